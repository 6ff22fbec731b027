// Opening the module file and finding its two exported records. The only
// part of the host that differs between Linux and Windows.
#pragma once

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

// Directory of the running program, with a trailing separator; empty when
// unknown.
std::string ExecutableDirectory();

// File name of the module as built for this platform.
const char* ModuleFileName();

}  // namespace panelhost
