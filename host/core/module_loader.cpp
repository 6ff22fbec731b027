#include "host/core/module_loader.h"

#include "host/core/messages.h"

#if defined(_WIN32)
#include <windows.h>

#include <string_view>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <fstream>

#include "sound/platform/qrsystem.h"
#endif

namespace panelhost {

#if defined(_WIN32)

bool OpenModuleFile(const std::string& path, ModuleFile& module, std::string& error) {
    if (path.empty()) {
        error = "no module file named";
        return false;
    }
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library) {
        error = "cannot load " + Quoted(path) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    auto* importTable = reinterpret_cast<IMPORT_TABLE*>(GetProcAddress(library, "ImportTable"));
    auto* linkage = reinterpret_cast<MODULE_LINKAGE_VIEW*>(GetProcAddress(library, "Linkage"));
    if (!importTable || !linkage) {
        error = path + " does not export ImportTable and Linkage";
        FreeLibrary(library);
        return false;
    }
    module = {library, importTable, linkage};
    return true;
}

void CloseModuleFile(ModuleFile& module) {
    if (module.handle) FreeLibrary(static_cast<HMODULE>(module.handle));
    module = {};
}

bool FindModuleResource(void* module, std::uint32_t, const char* type, std::uint32_t id, const void*& data,
                        std::size_t& size) {
    HMODULE file = module ? static_cast<HMODULE>(module) : GetModuleHandleA(nullptr);
    // Bitmaps are of the system's own type, waves of a type named in the
    // module's resource script.
    const char* kind = std::string_view(type) == "BITMAP" ? MAKEINTRESOURCEA(2) /* RT_BITMAP */ : type;
    HRSRC resource = FindResourceA(file, MAKEINTRESOURCEA(id), kind);
    HGLOBAL loaded = resource ? LoadResource(file, resource) : nullptr;
    data = loaded ? LockResource(loaded) : nullptr;
    size = data ? SizeofResource(file, resource) : 0;
    return data != nullptr;
}

std::string ExecutableDirectory() {
    char buffer[MAX_PATH + 1]{};
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string path(buffer, length);
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

const char* ModuleFileName() { return "QR417_Instr.gau"; }

#else

// Whether the file is a Windows program or library: it starts with the
// "MZ" of every such file.
bool WindowsExecutable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char start[2]{};
    return file.read(start, sizeof start) && start[0] == 'M' && start[1] == 'Z';
}

bool OpenModuleFile(const std::string& path, ModuleFile& module, std::string& error) {
    if (path.empty()) {
        error = "no module file named";
        return false;
    }
    // A bare file name would send dlopen searching the library path.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = "cannot load " + Quoted(path) + (reason ? std::string(": ") + reason : std::string{});
        if (WindowsExecutable(file)) {
            error = Quoted(path) + " is the Windows module; on Linux load QR417_Instr.so, or run panelhost.exe under Wine";
        }
        return false;
    }
    auto* importTable = static_cast<IMPORT_TABLE*>(dlsym(library, "ImportTable"));
    auto* linkage = static_cast<MODULE_LINKAGE_VIEW*>(dlsym(library, "Linkage"));
    if (!importTable || !linkage) {
        error = path + " does not export ImportTable and Linkage";
        dlclose(library);
        return false;
    }
    module = {library, importTable, linkage};
    return true;
}

void CloseModuleFile(ModuleFile& module) {
    if (module.handle) dlclose(module.handle);
    module = {};
}

bool FindModuleResource(void*, std::uint32_t module32, const char* type, std::uint32_t id, const void*& data,
                        std::size_t& size) {
    std::uint32_t bytes = 0;
    data = nullptr;
    const bool found = qrsystem_find_resource(module32, type, id, nullptr, &data, &bytes) == QRSYSTEM_OK && data;
    size = found ? bytes : 0;
    return found;
}

std::string ExecutableDirectory() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    std::string path(buffer, static_cast<std::size_t>(length));
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

const char* ModuleFileName() { return "QR417_Instr.so"; }

#endif

}  // namespace panelhost
