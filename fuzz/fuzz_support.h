// What the fuzz targets share: a host driving the module linked into the
// target (its records and state live in this process, so a fault in a gauge
// routine is caught where it happens).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/core/panel_host.h"
#include "sound/sound.h"

extern "C" IMPORT_TABLE ImportTable;
extern "C" MODULE_LINKAGE_VIEW Linkage;

namespace fuzzing {

// A host attached to the linked module, with no gauge placed. Sound is back
// on: one input that silenced the module must not silence every later one.
inline bool AttachModule(panelhost::Host& host) {
    SoundEnabled = 1;
    return host.Attach(&ImportTable, &Linkage);
}

// The fuzz input as text, cut at its first character zero as a C string is.
inline std::string Text(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

}  // namespace fuzzing
