#include "host/core/panel_host.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "host/core/gauge_instances.h"
#include "host/core/host_clock.h"
#include "host/core/messages.h"
#include "host/core/module_code.h"
#include "host/core/module_loader.h"
#include "host/core/mouse_capture.h"
#include "host/core/reactions.h"
#include "module/tokens.h"

namespace panelhost {

namespace {

// Bound on the gauge table read from Linkage, for a table without its end.
constexpr int maxLinkageEntries = 4096;

constexpr const char* atcIdCode = "(A:ATC ID,string)";
constexpr double defaultFramePeriod = 1.0 / 18.0;

// The host that loaded a module last; the service routines have no context.
Host* activeHost = nullptr;

// Makes the host the one the module's service calls reach, for what follows;
// the only place that changes activeHost. A host that goes away (nullptr
// wanted, host is it) leaves none.
Host& Activated(Host* host, bool leaving = false) {
    if (!leaving) {
        activeHost = host;
    } else if (activeHost == host) {
        activeHost = nullptr;
    }
    return *host;
}

void FSAPI ServiceLookupVar(MODULE_VAR* var) {
    const CodeRunning host(false);
    if (activeHost && var) activeHost->LookupVar(var);
}

void FSAPI ServiceTriggerKeyEvent(UINT32 event, UINT32 value) {
    const CodeRunning host(false);
    if (activeHost) activeHost->TriggerKeyEvent(event, value);
}

void FSAPI ServicePanelWindowToggle(UINT32 window) {
    const CodeRunning host(false);
    if (activeHost) activeHost->ToggleWindow(window);
}

void FSAPI ServiceExecuteCalculatorCode(const char* code, FLOAT64* fvalue, SINT32* ivalue,
                                        const char** svalue) {
    const CodeRunning host(false);
    if (activeHost) {
        activeHost->CalculatorCode(code, fvalue, ivalue, svalue);
    } else {
        if (fvalue) *fvalue = 0;
        if (ivalue) *ivalue = 0;
        if (svalue) *svalue = "";
    }
}

PANEL_SERVICES panelServices = {
    .version = MODULE_VERSION_FS2004,
    .lookup_var = ServiceLookupVar,
    .trigger_key_event = ServiceTriggerKeyEvent,
    .panel_window_toggle = ServicePanelWindowToggle,
    .execute_calculator_code = ServiceExecuteCalculatorCode,
};

}  // namespace

struct Host::Impl {
    ModuleFile file;
    std::string path;
    bool attached{};
    IMPORT_TABLE* importTable{};
    MODULE_LINKAGE_VIEW* linkage{};
    PANEL_SERVICES* previousTable{};

    PlacedGauges instances;
    EventList events;
    std::size_t droppedEvents{};
    std::set<UINT32> openWindows;
    std::set<SINT32> failures;
    std::string atcId;
    std::string calculatorText;
    double clock{};
    double framePeriod{defaultFramePeriod};
    bool reactions{};
    // Key events the simulator has yet to act on: it reacts between frames,
    // so a click's effect shows in the tokens from the next frame on.
    EventList pendingReactions;
    // The area a held button was pressed on: drags and the release go to it.
    MouseCapture mouse;

    Instance* Find(const std::string& alias) const { return instances.Find(alias); }
};

Host::Host() : impl_(std::make_unique<Impl>()) {}

Host::~Host() {
    Unload();
    Activated(this, true);
}

// --- Module -----------------------------------------------------------------

bool Host::Attach(IMPORT_TABLE* importTable, MODULE_LINKAGE_VIEW* linkage, std::string* error) {
    Unload();
    if (!importTable || !linkage || importTable->panels.id != PANELS_ENTRY_ID) {
        if (error) *error = "the module has no panel-services entry in ImportTable";
        return false;
    }
    impl_->importTable = importTable;
    impl_->linkage = linkage;
    impl_->previousTable = importTable->panels.table;
    importTable->panels.table = &panelServices;
    impl_->attached = true;
    Activated(this);
    if (linkage->module_init) {
        const CodeRunning module(true);
        linkage->module_init();
    }
    return true;
}

bool Host::Load(const std::string& path, std::string* error) {
    Unload();
    std::string message;
    ModuleFile file;
    if (!OpenModuleFile(path, file, message)) {
        if (error) *error = message;
        return false;
    }
    if (!Attach(file.importTable, file.linkage, error)) {
        CloseModuleFile(file);
        return false;
    }
    impl_->file = file;
    impl_->path = path;
    return true;
}

void Host::Unload() {
    if (!impl_->attached) return;
    Activated(this);
    KillAll();
    if (impl_->linkage->module_deinit) {
        const CodeRunning module(true);
        impl_->linkage->module_deinit();
    }
    impl_->importTable->panels.table = impl_->previousTable;
    CloseModuleFile(impl_->file);
    impl_->attached = false;
    impl_->importTable = nullptr;
    impl_->linkage = nullptr;
    impl_->previousTable = nullptr;
    Activated(this, true);
}

bool Host::Reload(std::string* error) {
    if (!impl_->attached) {
        if (error) *error = "no module loaded";
        return false;
    }
    if (impl_->file.handle) {
        const std::string path = impl_->path;
        Unload();
        return Load(path, error);
    }
    IMPORT_TABLE* importTable = impl_->importTable;
    MODULE_LINKAGE_VIEW* linkage = impl_->linkage;
    Unload();
    return Attach(importTable, linkage, error);
}

bool Host::Loaded() const { return impl_->attached; }

void* Host::ModuleHandle() const { return impl_->file.handle; }

UINT32 Host::ModuleHandle32() const {
    return static_cast<UINT32>(reinterpret_cast<std::uintptr_t>(impl_->file.handle));
}

std::vector<GaugeEntry> Host::Gauges() const {
    std::vector<GaugeEntry> entries;
    if (!impl_->linkage) return entries;
    GAUGEHDR* const* list = impl_->linkage->gauge_header_ptr;
    for (int i = 0; i < maxLinkageEntries && list[i]; ++i) {
        GAUGEHDR* header = list[i];
        entries.push_back(GaugeEntry{.number = i + 1,
                                     .name = header->gauge_name ? header->gauge_name : "",
                                     .sizeMm = header->size_x_mm,
                                     .header = header});
    }
    return entries;
}

GAUGEHDR* Host::FindGauge(const std::string& name) const {
    for (const GaugeEntry& entry : Gauges()) {
        if (entry.name == name) return entry.header;
    }
    return nullptr;
}

// --- Instances ----------------------------------------------------------------

bool Host::Place(const std::string& gauge, const std::string& alias,
                 std::optional<std::string> params, std::string* error) {
    if (!impl_->attached) {
        if (error) *error = "no module loaded";
        return false;
    }
    GAUGEHDR* source = FindGauge(gauge);
    if (!source) {
        if (error) *error = "the module has no gauge named " + Quoted(gauge);
        return false;
    }
    const std::string name = alias.empty() ? gauge : alias;
    if (impl_->Find(name)) {
        if (error) *error = "alias " + Quoted(name) + " is already placed";
        return false;
    }
    Activated(this);
    impl_->instances.Add(std::make_unique<Instance>(name, *source, std::move(params))).Install(ModuleHandle32());
    return true;
}

bool Host::Kill(const std::string& alias) {
    Instance* instance = impl_->Find(alias);
    if (!instance) return false;
    Activated(this);
    instance->Uninstall();
    impl_->mouse.Forget(instance);
    impl_->instances.Remove(instance);
    return true;
}

void Host::KillAll() {
    while (!impl_->instances.empty()) Kill(impl_->instances[0].alias);
}

bool Host::Reinstall(const std::string& alias) {
    Instance* instance = impl_->Find(alias);
    if (!instance) return false;
    Activated(this);
    instance->Uninstall();
    instance->Install(ModuleHandle32());
    return true;
}

void Host::Connect() { SendService(PANEL_SERVICE_CONNECT_TO_WINDOW); }

void Host::SendService(UINT32 service, UINT32 extraData) {
    Activated(this);
    for (std::size_t i = 0; i < impl_->instances.size(); ++i) impl_->instances[i].Notify(service, extraData);
}

void Host::Frame(int n) {
    n = std::clamp(n, 0, maxFramesPerCall);
    Activated(this);
    for (int frame = 0; frame < n; ++frame) {
        impl_->clock += impl_->framePeriod;
        ApplyPendingReactions();
        SendService(PANEL_SERVICE_PRE_UPDATE);
        for (std::size_t i = 0; i < impl_->instances.size(); ++i) impl_->instances[i].Update(*this, impl_->failures);
        SendService(PANEL_SERVICE_POST_UPDATE);
    }
}

bool Host::Has(const std::string& alias) const { return impl_->Find(alias) != nullptr; }

std::vector<std::string> Host::Aliases() const {
    std::vector<std::string> aliases;
    for (const auto& instance : impl_->instances) aliases.push_back(instance->alias);
    return aliases;
}

GAUGEHDR* Host::Header(const std::string& alias) const {
    Instance* instance = impl_->Find(alias);
    return instance ? &instance->header : nullptr;
}

int Host::ElementCount(const std::string& alias) const { return static_cast<int>(Elements(alias).size()); }

const ElementState& Host::Element(const std::string& alias, int number) const {
    Instance* instance = impl_->Find(alias);
    if (!instance) throw std::out_of_range("no gauge placed as " + Quoted(alias));
    return instance->Element(number);
}

std::span<const ElementState> Host::Elements(const std::string& alias) const {
    const Instance* instance = impl_->Find(alias);
    return instance ? std::span<const ElementState>(instance->elements) : std::span<const ElementState>();
}

double Host::Value(const std::string& alias, int number) const { return Element(alias, number).value; }
double Host::Angle(const std::string& alias, int number) const { return Element(alias, number).angle; }
int Host::Image(const std::string& alias, int number) const { return Element(alias, number).image; }
std::string Host::Text(const std::string& alias, int number) const { return Element(alias, number).text; }
bool Host::Hidden(const std::string& alias, int number) const { return Element(alias, number).hidden; }
double Host::ShiftX(const std::string& alias, int number) const { return Element(alias, number).shiftX; }
double Host::ShiftY(const std::string& alias, int number) const { return Element(alias, number).shiftY; }
double Host::Rotation(const std::string& alias, int number) const { return Element(alias, number).rotation; }

// --- Tokens ---------------------------------------------------------------------

void Host::LookupVar(MODULE_VAR* var) const {
    if (var) var->var_value = Token(var->id);
}

// --- Key events -----------------------------------------------------------------

const EventList& Host::Events() const { return impl_->events; }
std::size_t Host::DroppedEvents() const { return impl_->droppedEvents; }

EventList Host::TakeEvents() {
    EventList taken;
    taken.swap(impl_->events);
    impl_->droppedEvents = 0;
    return taken;
}

void Host::ClearEvents() {
    impl_->events.clear();
    impl_->droppedEvents = 0;
}

void Host::TriggerKeyEvent(UINT32 event, UINT32 value) {
    if (impl_->events.size() < maxLoggedEvents) {
        impl_->events.push_back({event, value});
    } else {
        ++impl_->droppedEvents;
    }
    switch (event) {
    case keyPanelWindowToggle: ToggleWindow(value); break;
    case keyPanelWindowOpen: SetWindow(value, true); break;
    case keyPanelWindowClose: SetWindow(value, false); break;
    default: break;
    }
    if (impl_->reactions) impl_->pendingReactions.push_back({event, value});
}

void Host::ApplyPendingReactions() {
    EventList pending;
    pending.swap(impl_->pendingReactions);
    for (const auto& [event, value] : pending) ApplyReactions(*this, event, value);
}

// --- Windows, calculator, failures ------------------------------------------------

bool Host::WindowOpen(UINT32 window) const { return impl_->openWindows.count(window) != 0; }

void Host::SetWindow(UINT32 window, bool open) {
    if (open) {
        impl_->openWindows.insert(window);
    } else {
        impl_->openWindows.erase(window);
    }
}

void Host::ToggleWindow(UINT32 window) { SetWindow(window, !WindowOpen(window)); }

void Host::SetAtcId(const std::string& text) { impl_->atcId = text; }

void Host::CalculatorCode(const char* code, FLOAT64* fvalue, SINT32* ivalue, const char** svalue) {
    if (fvalue) *fvalue = 0;
    if (ivalue) *ivalue = 0;
    // The text is the host's and stays valid until the next call.
    if (code && std::strcmp(code, atcIdCode) == 0) {
        impl_->calculatorText = impl_->atcId;
    } else {
        impl_->calculatorText.clear();
    }
    if (svalue) *svalue = impl_->calculatorText.c_str();
}

void Host::Fail(SINT32 key) { impl_->failures.insert(key); }
void Host::Repair(SINT32 key) { impl_->failures.erase(key); }

// --- Mouse ------------------------------------------------------------------------

bool Host::Click(const std::string& alias, int x, int y, Button button) {
    return impl_->mouse.Click(Activated(this), impl_->Find(alias), x, y, button);
}

bool Host::Hold(const std::string& alias, int x, int y, int repeats, Button button) {
    return impl_->mouse.Hold(Activated(this), impl_->Find(alias), x, y, repeats, button);
}

bool Host::Repeat(int x, int y, Button button) {
    return impl_->mouse.Repeat(Activated(this), x, y, button);
}

bool Host::Release(const std::string& alias, int x, int y) {
    return impl_->mouse.Release(Activated(this), impl_->Find(alias), x, y);
}

bool Host::Drag(const std::string& alias, int x, int y) {
    return impl_->mouse.Drag(Activated(this), impl_->Find(alias), x, y);
}

// --- Clock and reactions -------------------------------------------------------------

double Host::Clock() const { return impl_->clock; }
double Host::FramePeriod() const { return impl_->framePeriod; }

void Host::SetFramePeriod(double seconds) {
    if (std::isfinite(seconds) && seconds > 0) impl_->framePeriod = seconds;
}

void Host::SetReactions(bool on) { impl_->reactions = on; }
bool Host::Reactions() const { return impl_->reactions; }

}  // namespace panelhost

// --- Process-wide hooks for module code (host_clock.h) -------------------------------

extern "C" double QrHostClockSeconds(void) {
    return panelhost::activeHost && panelhost::activeHost->Loaded() ? panelhost::activeHost->Clock()
                                                                    : 0.0;
}

extern "C" void* QrHostModuleHandle(void) {
    return panelhost::activeHost ? panelhost::activeHost->ModuleHandle() : nullptr;
}
