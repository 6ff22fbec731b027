// What the host keeps of a placed gauge's elements and of the simulator's
// side that the lower parts of the host work on: the values an element
// shows, the key events sent, the tokens, without the host that owns them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "module/gauge_records.h"

namespace panelhost {

// Bound to keep scenario and configuration input from running away.
inline constexpr int maxFramesPerCall = 1000000;
inline constexpr int maxRepeatsPerHold = 100000;
inline constexpr std::size_t maxLoggedEvents = 100000;

struct KeyEvent {
    UINT32 event{};
    UINT32 value{};
    bool operator==(const KeyEvent&) const = default;
};
using EventList = std::vector<KeyEvent>;

enum class Button { Left, Right };

// What the host shows for one element after the last frame.
struct ElementState {
    ELEMENT_HEADER* record{};       // the instance's copy of the record
    UINT32 kind{};
    double value{};                 // what the element shows (see Host::Value())
    double x{};                     // x value (sliders, moving images, sprites)
    double y{};                     // y value
    double rotationValue{};         // sprite rotation value, before its scale
    double angle{};                 // needle angle in degrees, clockwise from +x
    int image{-1};                  // icon image, -1 for none
    std::string text;               // string element text
    bool hidden{};                  // not drawn (failure action 3)
    double shiftX{}, shiftY{};      // sliders and sprites: pixels; moving images: 0..1 of travel
    double rotation{};              // sprite rotation: value x scale
};

// The simulator's variables: 64-bit floats, or 32-bit integers in the
// value's first four bytes. A token never set reads 0.
class TokenStore {
public:
    void SetNumber(SINT32 token, double value);
    void SetInteger(SINT32 token, std::int32_t value);  // first four bytes, rest 0
    MODULE_VAR_VALUE Token(SINT32 token) const;         // 0 when never set
    double Number(SINT32 token) const;
    std::int32_t Integer(SINT32 token) const;

private:
    std::unordered_map<SINT32, MODULE_VAR_VALUE> tokens_;
};

// Where the key events of mouse areas go: the simulator, through its host.
class KeySink {
public:
    virtual void TriggerKeyEvent(UINT32 event, UINT32 value) = 0;

protected:
    ~KeySink() = default;
};

}  // namespace panelhost
