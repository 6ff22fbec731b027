// The module's two exported records and its library entry point.
#include "module/gauge_records.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#define QR_GAUGE(name) extern GAUGEHDR name;
#include "module/gauge_list.h"
#undef QR_GAUGE

namespace {

constexpr GAUGEHDR* gaugeTableEntries[] = {
#define QR_GAUGE(name) &name,
#include "module/gauge_list.h"
#undef QR_GAUGE
};

constexpr std::size_t gaugeTableCount = sizeof gaugeTableEntries / sizeof gaugeTableEntries[0];

void FSAPI ModuleInit() {}
void FSAPI ModuleDeinit() {}

}  // namespace

extern "C" {

QR_EXPORT IMPORT_TABLE ImportTable = {
    .panels = {.id = PANELS_ENTRY_ID, .table = nullptr},
    .end = {.id = 0, .table = nullptr},
};

QR_EXPORT MODULE_LINKAGE<gaugeTableCount> Linkage = {
    .module_id = MODULE_LINKAGE_ID,
    .module_init = ModuleInit,
    .module_deinit = ModuleDeinit,
    .flags = 0,
    .module_priority = 0,
    .module_version = MODULE_VERSION_FS2004,
    .gauge_header_ptr = {
#define QR_GAUGE(name) &name,
#include "module/gauge_list.h"
#undef QR_GAUGE
        nullptr,
    },
};

}  // extern "C"

#if defined(_WIN32)
// The loader's attach and detach notifications: nothing to set up.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
