#include "host/core/module_code.h"

namespace panelhost {

namespace {

ModuleCodeHook moduleCodeHook = nullptr;
bool inModuleCode = false;

void MarkModuleCode(bool module) {
    inModuleCode = module;
    if (moduleCodeHook) moduleCodeHook(module);
}

}  // namespace

void SetModuleCodeHook(ModuleCodeHook hook) { moduleCodeHook = hook; }

CodeRunning::CodeRunning(bool module) : previous_(inModuleCode) { MarkModuleCode(module); }
CodeRunning::~CodeRunning() { MarkModuleCode(previous_); }

}  // namespace panelhost
