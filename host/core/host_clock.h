// Process-wide hooks of the substitute host for code inside the loaded module
// that has no other way to reach the host (the portable sound backend).
//
// The host program exports these C symbols from its executable (and every test
// program linked with the host library does too), so module code finds them at
// run time without linking the host:
//
//   using ClockFn = double (*)();
//   auto clock = reinterpret_cast<ClockFn>(dlsym(RTLD_DEFAULT, QR_HOST_CLOCK_SYMBOL));
//   double now = clock ? clock() : wallClockSeconds;
//
// When no host is present (the symbol is missing) module code falls back to its
// own clock. Both hooks answer for the host that loaded a module last.
#pragma once

#include <cstdint>

#define QR_HOST_CLOCK_SYMBOL "QrHostClockSeconds"
#define QR_HOST_MODULE_HANDLE_SYMBOL "QrHostModuleHandle"

extern "C" {

// Simulated seconds since the host started: every frame advances the clock by
// the frame period (1/18 s unless the scenario or test sets another). 0 when
// no host has a module loaded.
double QrHostClockSeconds(void);

// The full instance handle of the loaded module (the pre-install extra data is
// only its low 32 bits). Null when no host has a module loaded from a file.
void* QrHostModuleHandle(void);

}  // extern "C"
