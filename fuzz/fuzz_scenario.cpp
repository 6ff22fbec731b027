// Scenario texts run in-process against the linked module, every input on
// a fresh host, tamed as fuzzing::TamedScenario says. Every message the
// runner prints must stay terminal-safe: no control byte but the line
// break, and each line short however long the input was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "host/core/messages.h"
#include "host/script/scenario.h"

namespace {

// A message line: file, line number and words around two cut quotes.
constexpr std::size_t maxMessageLine = 2 * panelhost::messageLength;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzzing::TamedScenario(std::string(reinterpret_cast<const char*>(data), size));
    panelhost::Host host;
    if (!fuzzing::AttachModule(host)) return 0;
    std::ostringstream out, err;
    panelhost::RunScenarioText(host, "fuzz.scn", text, out, err);
    const std::string messages = err.str();
    std::size_t lineLength = 0;
    for (const char c : messages) {
        lineLength = c == '\n' ? 0 : lineLength + 1;
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7f || lineLength > maxMessageLine) {
            std::fprintf(stderr, "unsafe message: %s\n", panelhost::Printable(messages).c_str());
            std::abort();
        }
    }
    return 0;
}
