// Which side's code runs, the module's or the host's: every call into a
// module routine and every service routine the module calls back is marked,
// and a hook hears each change.
#pragma once

namespace panelhost {

// Told whenever control passes between host and module code: true as a
// module routine (gauge, element, mouse, initialisation) starts or a panel
// service returns to it, false as it returns or calls a service. Tests use
// it to tell the module's heap use from the host's. Null for none.
using ModuleCodeHook = void (*)(bool inModule);
void SetModuleCodeHook(ModuleCodeHook hook);

// Marks the module's code (true) or the host's as running while it lives,
// and whichever ran before once it ends: wraps every call into a module
// routine and every service routine the module calls back.
class CodeRunning {
public:
    explicit CodeRunning(bool module);
    ~CodeRunning();
    CodeRunning(const CodeRunning&) = delete;
    CodeRunning& operator=(const CodeRunning&) = delete;

private:
    bool previous_;
};

}  // namespace panelhost
