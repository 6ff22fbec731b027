// The substitute panel host: loads the gauge module through its two exported
// records, places gauge instances, drives them through their services, keeps
// the token store, the key-event log, the panel windows and the failures, and
// hit-tests mouse rectangles. Tests drive gauges through this class; the
// scenario runner (scenario.h) is a thin text layer over it. A placed gauge's
// record copies are in gauge_instances.h, hit-testing and press capture in
// mouse_capture.h; this class keeps the simulator's side.
//
// Typical gtest:
//
//   panelhost::Host host;
//   ASSERT_TRUE(host.Load(QR_MODULE_PATH));
//   host.Place("Tachometer", "Tach2", "2");
//   host.SetNumber(tokenEngine2Rpm, 2400);
//   host.Frame();
//   EXPECT_NEAR(host.Value("Tach2", 2), 2400, 1e-9);
//   EXPECT_EQ(host.TakeEvents(), (panelhost::EventList{{keyThrottle1Set, 0}}));
//
// Elements are named by their 1-based drawing-order number: the element list
// of the header, each element followed by its next list, depth first.
//
// One process holds one loaded module at a time: the panel services are
// plain routines without context, so they serve the host that loaded last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/core/element_state.h"
#include "host/core/module_code.h"
#include "module/gauge_records.h"

namespace panelhost {

// One placed gauge: the host's private copies of every record.
class Instance;

// Entry of the module's gauge table as Linkage lists it.
struct GaugeEntry {
    int number{};        // 1-based position in Linkage
    std::string name;
    UINT32 sizeMm{};
    GAUGEHDR* header{};  // the module's build-time header
};

class Host : public TokenStore, public KeySink {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // --- Module -----------------------------------------------------------
    // Opens the module file, fills ImportTable with the host's services, reads
    // Linkage and calls the module's initialisation routine. False (with a
    // message in *error) when the file or its records cannot be found.
    bool Load(const std::string& path, std::string* error = nullptr);
    // Uses module records already present in the process (the static library
    // linked into a test): the same steps as Load without opening a file.
    // Detaching restores the ImportTable entry found at attach.
    bool Attach(IMPORT_TABLE* importTable, MODULE_LINKAGE_VIEW* linkage,
                std::string* error = nullptr);
    // Kills every gauge, calls the module's shutdown routine and closes the file.
    void Unload();
    // Kills every gauge, unloads and loads the same file again: a fresh module.
    bool Reload(std::string* error = nullptr);
    bool Loaded() const;
    // The module's instance handle (dlopen/LoadLibrary handle; null when attached).
    void* ModuleHandle() const;
    // The 32-bit form gauges receive as extra data at pre-install.
    UINT32 ModuleHandle32() const;

    std::vector<GaugeEntry> Gauges() const;
    // First header of that name in Linkage, or null.
    GAUGEHDR* FindGauge(const std::string& name) const;

    // --- Instances ---------------------------------------------------------
    // Copies the gauge's records, sends pre-install (2) and post-install (3).
    // alias defaults to the gauge name; params absent means no parameters
    // text. False (message in *error) for an unknown gauge or a used alias.
    bool Place(const std::string& gauge, const std::string& alias = {},
               std::optional<std::string> params = std::nullopt, std::string* error = nullptr);
    // Sends pre-kill (12) and post-kill (13) and drops the instance.
    bool Kill(const std::string& alias);
    void KillAll();
    // Pre-kill, post-kill, pre-install and post-install on the same instance:
    // its records (user data included) are kept.
    bool Reinstall(const std::string& alias);
    // Connect to window (14) to every gauge in placement order.
    void Connect();
    // Any service number to every gauge in placement order.
    void SendService(UINT32 service, UINT32 extraData = 0);
    // Advances the clock, sends pre-update (6) to every gauge, evaluates every
    // gauge's elements, sends post-update (7). Repeated n times.
    void Frame(int n = 1);

    bool Has(const std::string& alias) const;
    std::vector<std::string> Aliases() const;  // placement order
    // The instance's header copy (parameters, user data, records), or null.
    GAUGEHDR* Header(const std::string& alias) const;
    int ElementCount(const std::string& alias) const;

    // Element state by drawing-order number; throws std::out_of_range for an
    // unknown alias or number.
    const ElementState& Element(const std::string& alias, int number) const;
    // Every element's state in drawing order (number 1 first); empty for an
    // unknown alias. One look-up for drawing a whole gauge.
    std::span<const ElementState> Elements(const std::string& alias) const;
    // value: a needle's or icon's value, a string routine's result, a
    // slider's or moving image's y value when it has a y token or routine
    // (else its x value), a sprite's rotation value.
    double Value(const std::string& alias, int number) const;
    double Angle(const std::string& alias, int number) const;
    int Image(const std::string& alias, int number) const;
    std::string Text(const std::string& alias, int number) const;
    bool Hidden(const std::string& alias, int number) const;
    double ShiftX(const std::string& alias, int number) const;
    double ShiftY(const std::string& alias, int number) const;
    double Rotation(const std::string& alias, int number) const;

    // --- Tokens: SetNumber, SetInteger, Token, Number, Integer (TokenStore).

    // --- Key events --------------------------------------------------------
    // Every event the module or a mouse area sent, in order: the first
    // maxLoggedEvents since the log was last taken or cleared. Later ones are
    // only counted, so that a long hold cannot fill the memory.
    const EventList& Events() const;
    std::size_t DroppedEvents() const;  // sent since then but not kept
    EventList TakeEvents();  // returns the log and empties it, the count too
    void ClearEvents();
    // Sends an event as if the module had: logged, windows and reactions apply.
    void TriggerKeyEvent(UINT32 event, UINT32 value) override;

    // --- Panel windows -----------------------------------------------------
    bool WindowOpen(UINT32 window) const;
    void SetWindow(UINT32 window, bool open);
    void ToggleWindow(UINT32 window);

    // --- Calculator service --------------------------------------------------
    // Text answered to "(A:ATC ID,string)".
    void SetAtcId(const std::string& text);

    // --- Failures ------------------------------------------------------------
    void Fail(SINT32 key);
    void Repair(SINT32 key);

    // --- Mouse (gauge pixel coordinates of the background bitmap) -----------
    // Each returns true when an area took the event (asked for it).
    bool Click(const std::string& alias, int x, int y, Button button = Button::Left);
    // Press, then `repeats` repeat events while held.
    bool Hold(const std::string& alias, int x, int y, int repeats, Button button = Button::Left);
    // One repeat to the area still pressed (a live button held down).
    bool Repeat(int x, int y, Button button = Button::Left);
    bool Release(const std::string& alias, int x, int y);
    bool Drag(const std::string& alias, int x, int y);

    // --- Clock ---------------------------------------------------------------
    // Simulated seconds; every frame first advances it by the period.
    double Clock() const;
    double FramePeriod() const;
    void SetFramePeriod(double seconds);  // ignored unless finite and > 0

    // --- Simulator reactions (reactions.h) ----------------------------------
    void SetReactions(bool on);
    // Acts on the key events sent since the last frame (done at the start of
    // every frame while reactions are on).
    void ApplyPendingReactions();
    bool Reactions() const;

    // Used by the service routines.
    void LookupVar(MODULE_VAR* var) const;
    void CalculatorCode(const char* code, FLOAT64* fvalue, SINT32* ivalue, const char** svalue);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace panelhost
