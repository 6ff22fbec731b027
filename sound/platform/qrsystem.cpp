// qrsystem: the registry of windows by class name and of loaded modules'
// resource tables.
#include "sound/platform/qrsystem.h"

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>
#include <link.h>

#include <cctype>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// The host tells which loaded object a module handle names (host_clock.h).
constexpr const char* hostModuleSymbol = "QrHostModuleHandle";

struct Window {
    std::string className;
    std::unique_ptr<char> handle;  // a unique address serves as the handle
};

struct Registration {
    const void* anchor{};
    const link_map* object{};
    const qrsystem_resource* table{};
    std::size_t count{};
};

struct State {
    std::vector<Window> windows;
    std::vector<Registration> registrations;
};

// Never destroyed: modules unregister from their own destructors, which may
// run after this library's would have.
State& System() {
    static State* state = new State;
    return *state;
}

const link_map* ObjectOf(const void* address) {
    Dl_info info{};
    link_map* object = nullptr;
    if (!dladdr1(address, &info, reinterpret_cast<void**>(&object), RTLD_DL_LINKMAP))
        return nullptr;
    return object;
}

const link_map* ObjectOfHandle(void* handle) {
    link_map* object = nullptr;
    if (!handle || dlinfo(handle, RTLD_DI_LINKMAP, &object) != 0)
        return nullptr;
    return object;
}

std::uint32_t Low32(const void* p) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
}

// The registration of the loaded object a module handle names: 0 is the
// program itself; the host that loaded a module knows its full handle;
// otherwise the handle is matched against the low halves of the registered
// modules' handles.
const Registration* RegistrationFor(std::uint32_t module) {
    const link_map* object = nullptr;
    if (module == 0) {
        void* self = dlopen(nullptr, RTLD_NOW);
        object = ObjectOfHandle(self);
        if (self)
            dlclose(self);
    } else {
        using HandleFn = void* (*)();
        if (auto hook = reinterpret_cast<HandleFn>(dlsym(RTLD_DEFAULT, hostModuleSymbol))) {
            void* full = hook();
            if (full && Low32(full) == module)
                object = ObjectOfHandle(full);
        }
    }
    for (const Registration& r : System().registrations) {
        if (object ? r.object == object : Low32(r.object) == module)
            return &r;
    }
    return nullptr;
}

bool SameName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        const auto ca = static_cast<unsigned char>(*a);
        const auto cb = static_cast<unsigned char>(*b);
        if (std::toupper(ca) != std::toupper(cb))
            return false;
    }
    return *a == *b;
}

}  // namespace

extern "C" {

void* qrsystem_window_register(const char* class_name) {
    if (!class_name)
        return nullptr;
    Window w{class_name, std::unique_ptr<char>(new (std::nothrow) char{})};
    void* handle = w.handle.get();
    if (handle)
        System().windows.push_back(std::move(w));
    return handle;
}

void qrsystem_window_unregister(void* window) {
    std::erase_if(System().windows, [window](const Window& w) { return w.handle.get() == window; });
}

void* qrsystem_window_find(const char* class_name) {
    if (!class_name)
        return nullptr;
    for (const Window& w : System().windows) {
        if (SameName(w.className.c_str(), class_name))
            return w.handle.get();
    }
    return nullptr;
}

int qrsystem_register_resources(const void* anchor, const qrsystem_resource* table, size_t count) {
    const link_map* object = ObjectOf(anchor);
    if (!object || (!table && count))
        return QRSYSTEM_ERR_INVALID;
    qrsystem_unregister_resources(anchor);
    System().registrations.push_back(Registration{anchor, object, table, count});
    return QRSYSTEM_OK;
}

void qrsystem_unregister_resources(const void* anchor) {
    std::erase_if(System().registrations, [anchor](const Registration& r) { return r.anchor == anchor; });
}

int qrsystem_find_resource(uint32_t module, const char* type, uint32_t id, const char* name,
                           const void** data, uint32_t* size) {
    if (!type || !data || !size)
        return QRSYSTEM_ERR_INVALID;
    *data = nullptr;
    *size = 0;
    const Registration* r = RegistrationFor(module);
    if (!r)
        return QRSYSTEM_ERR_INVALID;
    for (std::size_t i = 0; i < r->count; ++i) {
        const qrsystem_resource& res = r->table[i];
        if (!res.type || !SameName(res.type, type))
            continue;
        const bool match = name ? (res.name && SameName(res.name, name)) : (!res.name && res.id == id);
        if (match) {
            *data = res.data;
            *size = res.size;
            return QRSYSTEM_OK;
        }
    }
    return QRSYSTEM_ERR_NOT_FOUND;
}

uint32_t qrsystem_resource_holding(const void* address, const char* type) {
    if (!address || !type)
        return 0;
    const auto* at = static_cast<const std::uint8_t*>(address);
    for (const Registration& r : System().registrations) {
        for (std::size_t i = 0; i < r.count; ++i) {
            const qrsystem_resource& res = r.table[i];
            if (res.name || !res.type || !res.data || !SameName(res.type, type))
                continue;
            const auto* first = static_cast<const std::uint8_t*>(res.data);
            if (at >= first && at < first + res.size)
                return res.id;
        }
    }
    return 0;
}

}  // extern "C"
