// Opening the module file and finding its two exported records. The only
// part of the host that differs between Linux and Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "module/gauge_records.h"

namespace panelhost {

struct ModuleFile {
    void* handle{};
    IMPORT_TABLE* importTable{};
    MODULE_LINKAGE_VIEW* linkage{};
};

// Opens the file and looks up ImportTable and Linkage. On failure returns
// false with a message and leaves nothing open.
bool OpenModuleFile(const std::string& path, ModuleFile& module, std::string& error);
void CloseModuleFile(ModuleFile& module);

// A resource of the loaded module ("BITMAP" or "WAVE", by id): its bytes as
// the module holds them. `module` is the host's handle of the module file,
// `module32` the one the module was given (ModuleHandle, ModuleHandle32); a
// module linked into the program itself has no file and is looked up in the
// program. False when the module has no such resource.
bool FindModuleResource(void* module, std::uint32_t module32, const char* type, std::uint32_t id,
                        const void*& data, std::size_t& size);

// Directory of the running program, with a trailing separator; empty when
// unknown.
std::string ExecutableDirectory();

// File name of the module as built for this platform.
const char* ModuleFileName();

}  // namespace panelhost
