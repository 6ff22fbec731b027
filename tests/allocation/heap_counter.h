// Counts heap allocations and releases made while the module's own code runs.
//
// The host tells, through its module-code hook, whenever control passes into
// a module routine and back (services the module calls are host code), and
// the counter only counts while a measurement is open and module code runs:
// installs, kills and the host's own bookkeeping stay out of it.
//
// Natively the test program replaces malloc, calloc, realloc, free and the
// aligned allocators with counting wrappers around the C library's own; every
// operator new reaches malloc, so C and C++ allocations alike are seen, also
// those of the audio library the module plays through. Under AddressSanitizer,
// which owns malloc itself, the sanitizer's allocation hooks count instead.
#pragma once

#include <cstddef>

namespace heapcount {

struct Counts {
    long allocations{};
    long releases{};
    long moduleEntries{};  // times module code started running
};

// The host hook (panelhost::SetModuleCodeHook).
void ModuleCodeRunning(bool inModule);

// Opens a measurement: counts start from zero.
void Start();
// Closes it and returns what was counted since Start.
Counts Stop();

// True while code of the test itself counts as module code: lets the counter
// be checked without a module.
void PretendModuleCode(bool on);

}  // namespace heapcount
