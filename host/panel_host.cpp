#include "host/panel_host.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <optional>
#include <unordered_map>
#include <utility>

#include "host/element_kinds.h"
#include "host/host_clock.h"
#include "host/module_loader.h"
#include "host/reactions.h"

namespace panelhost {

namespace {

// Limits on what the host copies from a gauge's records, so that a record
// that names itself or a list without its end cannot run the host away.
constexpr int maxElementDepth = 32;
constexpr int maxElementsPerGauge = 4096;
constexpr int maxListEntries = 1024;
constexpr int maxFailureRecords = 64;
constexpr int maxMouseRects = 1024;
constexpr int maxLinkageEntries = 4096;

constexpr UINT32 keyWindowToggle = 0x103CA;
constexpr UINT32 keyWindowOpen = 0x103CB;
constexpr UINT32 keyWindowClose = 0x103CC;
constexpr const char* atcIdCode = "(A:ATC ID,string)";
constexpr double defaultFramePeriod = 1.0 / 18.0;

// The host that loaded a module last; the service routines have no context.
Host* activeHost = nullptr;

ModuleCodeHook moduleCodeHook = nullptr;
bool inModuleCode = false;

void MarkModuleCode(bool module) {
    inModuleCode = module;
    if (moduleCodeHook) moduleCodeHook(module);
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

// A box in gauge pixels; `whole` covers every point. 64-bit, so that group
// offsets added up from any records cannot overflow.
struct Box {
    bool whole{true};
    long long x{}, y{}, w{}, h{};
    bool Contains(long long px, long long py) const {
        return whole || (px >= x && py >= y && px < x + w && py < y + h);
    }
};

// A clickable area and its box in gauge pixels.
struct Hit {
    MOUSERECT* rect{};
    Box box;
};

}  // namespace

CodeRunning::CodeRunning(bool module) : previous_(inModuleCode) { MarkModuleCode(module); }
CodeRunning::~CodeRunning() { MarkModuleCode(previous_); }

// ---------------------------------------------------------------------------
// Instance: the host's copies of one placed gauge's records.

class Instance {
public:
    Instance(std::string aliasName, const GAUGEHDR& source, std::optional<std::string> params)
        : alias(std::move(aliasName)) {
        header = source;
        header.user_data = 0;
        header.host_instance = this;
        if (params) {
            parameters.assign(params->begin(), params->end());
            parameters.push_back('\0');
            header.parameters = parameters.data();
        } else {
            header.parameters = nullptr;
        }
        header.elements_list = CopyList(source.elements_list, 0);
        header.mouse_rect = CopyMouse(source.mouse_rect);
    }

    std::string alias;
    GAUGEHDR header{};
    std::vector<ElementState> elements;  // drawing order

    void Notify(UINT32 service, UINT32 extra) {
        if (!header.gauge_callback) return;
        const CodeRunning module(true);
        header.gauge_callback(&header, static_cast<SINT32>(service), extra);
    }

    // Pre-install (extra data: the module's handle), the needle tables' degrees,
    // post-install.
    void Install(UINT32 moduleHandle) {
        Notify(PANEL_SERVICE_PRE_INSTALL, moduleHandle);
        for (ElementState& element : elements) {
            if (const auto install = KindOf(element.kind).install) install(element);
        }
        Notify(PANEL_SERVICE_POST_INSTALL, 0);
    }

    void Uninstall() {
        Notify(PANEL_SERVICE_PRE_KILL, 0);
        Notify(PANEL_SERVICE_POST_KILL, 0);
    }

private:
    std::vector<char> parameters;
    RecordStore store;
    std::vector<MOUSERECT> mouse;

    ELEMENT_HEADER** CopyList(ELEMENT_HEADER** source, int depth) {
        if (!source || depth > maxElementDepth) return nullptr;
        std::size_t count = 0;
        while (count < maxListEntries && source[count]) ++count;
        ELEMENT_HEADER** list = store.NewArray<ELEMENT_HEADER*>(count + 1);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (ELEMENT_HEADER* copy = CopyElement(source[i], depth)) list[kept++] = copy;
        }
        list[kept] = nullptr;
        return list;
    }

    FAILURE_RECORD* CopyFailures(const FAILURE_RECORD* source) {
        if (!source) return nullptr;
        std::size_t count = 0;
        while (count < maxFailureRecords && source[count].key != 0) ++count;
        FAILURE_RECORD* copy = store.KeepArray(source, count + 1);
        copy[count] = FAILURE_RECORD{};
        return copy;
    }

    ELEMENT_HEADER* CopyElement(const ELEMENT_HEADER* source, int depth) {
        if (elements.size() >= maxElementsPerGauge) return nullptr;
        ELEMENT_HEADER* copy = KindOf(source->element_type).copy(*source, store);
        copy->gauge_header = &header;
        copy->previous_element = nullptr;
        copy->failure_systems = CopyFailures(source->failure_systems);
        ElementState state;
        state.record = copy;
        state.kind = copy->element_type;
        elements.push_back(state);
        copy->next_element = CopyList(source->next_element, depth + 1);
        return copy;
    }

    MOUSERECT* CopyMouse(const MOUSERECT* source) {
        if (!source) return nullptr;
        for (int i = 0; i < maxMouseRects - 1; ++i) {
            mouse.push_back(source[i]);
            if (source[i].rect_type == MOUSE_RECT_EOL) return mouse.data();
        }
        mouse.push_back(MOUSERECT{.rect_type = MOUSE_RECT_EOL});
        return mouse.data();
    }
};

// ---------------------------------------------------------------------------

// The area a button was pressed on, and the instance it belongs to.
struct MouseCapture {
    Instance* instance{};
    Hit area;
};

struct Host::Impl {
    ModuleFile file;
    std::string path;
    bool attached{};
    IMPORT_TABLE* importTable{};
    MODULE_LINKAGE_VIEW* linkage{};
    PANEL_SERVICES* previousTable{};

    std::vector<std::unique_ptr<Instance>> instances;
    std::unordered_map<SINT32, MODULE_VAR_VALUE> tokens;
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
    // The area a held button was pressed on: drags and the release go to it,
    // wherever the pointer has moved since. A press ends with its instance.
    std::optional<MouseCapture> capture;

    // The same instances by alias: a panel of thousands of gauges looks
    // each up once per element it draws.
    std::unordered_map<std::string, Instance*> byAlias;

    Instance* Find(const std::string& alias) const {
        const auto found = byAlias.find(alias);
        return found == byAlias.end() ? nullptr : found->second;
    }
};

Host::Host() : impl_(std::make_unique<Impl>()) {}

Host::~Host() {
    Unload();
    if (activeHost == this) activeHost = nullptr;
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
    activeHost = this;
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
    activeHost = this;
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
    if (activeHost == this) activeHost = nullptr;
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
        if (error) *error = "the module has no gauge named " + gauge;
        return false;
    }
    const std::string name = alias.empty() ? gauge : alias;
    if (impl_->Find(name)) {
        if (error) *error = "alias " + name + " is already placed";
        return false;
    }
    activeHost = this;
    impl_->instances.push_back(std::make_unique<Instance>(name, *source, std::move(params)));
    impl_->byAlias[name] = impl_->instances.back().get();
    impl_->instances.back()->Install(ModuleHandle32());
    return true;
}

bool Host::Kill(const std::string& alias) {
    Instance* instance = impl_->Find(alias);
    if (!instance) return false;
    activeHost = this;
    instance->Uninstall();
    if (impl_->capture && impl_->capture->instance == instance) impl_->capture.reset();
    impl_->byAlias.erase(instance->alias);
    std::erase_if(impl_->instances, [&](const auto& placed) { return placed.get() == instance; });
    return true;
}

void Host::KillAll() {
    while (!impl_->instances.empty()) Kill(impl_->instances.front()->alias);
}

bool Host::Reinstall(const std::string& alias) {
    Instance* instance = impl_->Find(alias);
    if (!instance) return false;
    activeHost = this;
    instance->Uninstall();
    instance->Install(ModuleHandle32());
    return true;
}

void Host::Connect() { SendService(PANEL_SERVICE_CONNECT_TO_WINDOW); }

void Host::SendService(UINT32 service, UINT32 extraData) {
    activeHost = this;
    for (std::size_t i = 0; i < impl_->instances.size(); ++i) {
        impl_->instances[i]->Notify(service, extraData);
    }
}

namespace {

// Failure action that applies to an element: the first active key of its
// list with an action.
SINT32 ActiveFailureAction(const ELEMENT_HEADER* element, const std::set<SINT32>& failures) {
    if (!element->failure_systems || failures.empty()) return FAIL_ACTION_NONE;
    for (const FAILURE_RECORD* record = element->failure_systems; record->key != 0; ++record) {
        if (record->action != FAIL_ACTION_NONE && failures.count(record->key)) return record->action;
    }
    return FAIL_ACTION_NONE;
}

}  // namespace

void Host::Frame(int n) {
    n = std::clamp(n, 0, maxFramesPerCall);
    activeHost = this;
    for (int frame = 0; frame < n; ++frame) {
        impl_->clock += impl_->framePeriod;
        ApplyPendingReactions();
        SendService(PANEL_SERVICE_PRE_UPDATE);
        for (std::size_t i = 0; i < impl_->instances.size(); ++i) {
            Instance& instance = *impl_->instances[i];
            for (ElementState& state : instance.elements) {
                // A frozen element keeps what it showed; a hidden one is not
                // drawn; neither calls its routines.
                const SINT32 action = ActiveFailureAction(state.record, impl_->failures);
                state.hidden = action == FAIL_ACTION_NO_DRAW;
                if (action == FAIL_ACTION_FREEZE || action == FAIL_ACTION_NO_DRAW) continue;
                const ElementKind& kind = KindOf(state.kind);
                if (kind.read) kind.read(*this, state, action == FAIL_ACTION_ZERO);
                if (kind.show) kind.show(state);
            }
        }
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

int Host::ElementCount(const std::string& alias) const {
    Instance* instance = impl_->Find(alias);
    return instance ? static_cast<int>(instance->elements.size()) : 0;
}

const ElementState& Host::Element(const std::string& alias, int number) const {
    Instance* instance = impl_->Find(alias);
    if (!instance) throw std::out_of_range("no gauge placed as " + alias);
    if (number < 1 || number > static_cast<int>(instance->elements.size())) {
        throw std::out_of_range(alias + " has no element " + std::to_string(number) + " (it has " +
                                std::to_string(instance->elements.size()) + ")");
    }
    return instance->elements[static_cast<std::size_t>(number - 1)];
}

double Host::Value(const std::string& alias, int number) const { return Element(alias, number).value; }
double Host::Angle(const std::string& alias, int number) const { return Element(alias, number).angle; }
int Host::Image(const std::string& alias, int number) const { return Element(alias, number).image; }
std::string Host::Text(const std::string& alias, int number) const { return Element(alias, number).text; }
bool Host::Hidden(const std::string& alias, int number) const { return Element(alias, number).hidden; }
double Host::ShiftX(const std::string& alias, int number) const { return Element(alias, number).shiftX; }
double Host::ShiftY(const std::string& alias, int number) const { return Element(alias, number).shiftY; }
double Host::Rotation(const std::string& alias, int number) const {
    return Element(alias, number).rotation;
}

// --- Tokens ---------------------------------------------------------------------

void Host::SetNumber(SINT32 token, double value) {
    MODULE_VAR_VALUE stored{};
    stored.n = value;
    impl_->tokens[token] = stored;
}

void Host::SetInteger(SINT32 token, std::int32_t value) {
    MODULE_VAR_VALUE stored{};
    stored.d = value;
    impl_->tokens[token] = stored;
}

MODULE_VAR_VALUE Host::Token(SINT32 token) const {
    auto it = impl_->tokens.find(token);
    return it == impl_->tokens.end() ? MODULE_VAR_VALUE{} : it->second;
}

double Host::Number(SINT32 token) const { return Token(token).n; }
std::int32_t Host::Integer(SINT32 token) const { return Token(token).d; }

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
    case keyWindowToggle: ToggleWindow(value); break;
    case keyWindowOpen: SetWindow(value, true); break;
    case keyWindowClose: SetWindow(value, false); break;
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
bool Host::Failed(SINT32 key) const { return impl_->failures.count(key) != 0; }

// --- Mouse ------------------------------------------------------------------------

namespace {

// What each kind of mouse rectangle does as the hit test walks the list:
// groups open a box relative to the enclosing group (0,0,0,0 = the whole
// enclosing group; the outermost box is the whole gauge) and close it again;
// areas, relative to their group, take the point when they contain it.
// Tooltips and kinds the host does not know take no clicks.
using Groups = std::vector<Box>;

struct MouseRectKind {
    UINT32 type;
    // box: the rectangle relative to the innermost group. True when the
    // rectangle takes the point.
    bool (*hitTest)(Groups& groups, const MOUSERECT& rect, const Box& box, int x, int y);
};

bool OpenGroup(Groups& groups, const MOUSERECT& rect, const Box& box, int, int) {
    const PIXPOINT pos = rect.relative_box_pos;
    const PIXPOINT size = rect.relative_box_size;
    const Box enclosing = groups.back();
    groups.push_back(pos.x == 0 && pos.y == 0 && size.x == 0 && size.y == 0 ? enclosing : box);
    return false;
}

bool CloseGroup(Groups& groups, const MOUSERECT&, const Box&, int, int) {
    if (groups.size() > 1) groups.pop_back();
    return false;
}

bool TakesPoint(Groups&, const MOUSERECT&, const Box& box, int x, int y) { return box.Contains(x, y); }

constexpr MouseRectKind mouseRectKinds[] = {
    {MOUSE_RECT_PARENT, OpenGroup},
    {MOUSE_RECT_END_PARENT, CloseGroup},
    {MOUSE_RECT_CHILD, TakesPoint},
    {MOUSE_RECT_USER, nullptr},
};

// The first clickable area in list order that contains the point.
Hit FindArea(MOUSERECT* list, int x, int y) {
    if (!list) return {};
    Groups groups{Box{}};
    for (MOUSERECT* rect = list; rect->rect_type != MOUSE_RECT_EOL; ++rect) {
        const auto kind = std::find_if(std::begin(mouseRectKinds), std::end(mouseRectKinds),
                                       [&](const MouseRectKind& k) { return k.type == rect->rect_type; });
        if (kind == std::end(mouseRectKinds) || !kind->hitTest) continue;
        const Box& group = groups.back();
        const Box box{false, group.x + rect->relative_box_pos.x, group.y + rect->relative_box_pos.y,
                      rect->relative_box_size.x, rect->relative_box_size.y};
        if (kind->hitTest(groups, *rect, box, x, y)) return {rect, box};
    }
    return {};
}

// A point relative to a box edge, held within what the point record holds.
SINT32 RelativeTo(long long edge, int point) {
    return static_cast<SINT32>(std::clamp<long long>(point - edge, INT32_MIN, INT32_MAX));
}

// Calls the area's routine with the point relative to its box, or sends its
// key event; only when the area asks for every one of the event's bits.
bool Deliver(Host& host, Instance& instance, const Hit& area, int x, int y, UINT32 bits) {
    MOUSERECT* rect = area.rect;
    if (!rect || (rect->mouse_flags & bits) != bits) return false;
    if (rect->mouse_function) {
        MOUSECALLBACK_POINT point{.x = RelativeTo(area.box.x, x), .y = RelativeTo(area.box.y, y),
                                  .gauge = &instance.header, .rect = rect};
        const CodeRunning module(true);
        rect->mouse_function(&point, bits);
    } else if (rect->event_id != 0) {
        host.TriggerKeyEvent(rect->event_id, 0);
    }
    return true;
}

// Where a drag or release goes: the pressed area while a press on this
// instance lasts, else the area under the pointer.
Hit PressedOrUnder(const std::optional<MouseCapture>& capture, Instance& instance, int x, int y) {
    if (capture && capture->instance == &instance) return capture->area;
    return FindArea(instance.header.mouse_rect, x, y);
}

UINT32 ButtonBit(Button button) {
    return button == Button::Left ? MOUSE_LEFTSINGLE : MOUSE_RIGHTSINGLE;
}

}  // namespace

bool Host::Click(const std::string& alias, int x, int y, Button button) {
    activeHost = this;
    impl_->capture.reset();
    Instance* instance = impl_->Find(alias);
    if (!instance) return false;
    const Hit hit = FindArea(instance->header.mouse_rect, x, y);
    if (hit.rect) impl_->capture = MouseCapture{instance, hit};
    return Deliver(*this, *instance, hit, x, y, ButtonBit(button));
}

bool Host::Hold(const std::string& alias, int x, int y, int repeats, Button button) {
    bool taken = Click(alias, x, y, button);
    if (!impl_->capture) return taken;
    const MouseCapture pressed = *impl_->capture;
    // A repeat carries the button's bit with the repeat bit, so that a routine
    // still tells the buttons apart.
    const UINT32 bits = ButtonBit(button) | MOUSE_DOWN_REPEAT;
    repeats = std::clamp(repeats, 0, maxRepeatsPerHold);
    for (int i = 0; i < repeats; ++i) {
        taken = Deliver(*this, *pressed.instance, pressed.area, x, y, bits) || taken;
    }
    return taken;
}

bool Host::Repeat(int x, int y, Button button) {
    activeHost = this;
    if (!impl_->capture) return false;
    const MouseCapture pressed = *impl_->capture;
    return Deliver(*this, *pressed.instance, pressed.area, x, y, ButtonBit(button) | MOUSE_DOWN_REPEAT);
}

bool Host::Release(const std::string& alias, int x, int y) {
    activeHost = this;
    Instance* instance = impl_->Find(alias);
    const std::optional<MouseCapture> capture = std::exchange(impl_->capture, std::nullopt);
    return instance &&
           Deliver(*this, *instance, PressedOrUnder(capture, *instance, x, y), x, y, MOUSE_LEFTRELEASE);
}

bool Host::Drag(const std::string& alias, int x, int y) {
    activeHost = this;
    Instance* instance = impl_->Find(alias);
    return instance &&
           Deliver(*this, *instance, PressedOrUnder(impl_->capture, *instance, x, y), x, y, MOUSE_LEFTDRAG);
}

// --- Clock and reactions -------------------------------------------------------------

double Host::Clock() const { return impl_->clock; }
double Host::FramePeriod() const { return impl_->framePeriod; }

void Host::SetFramePeriod(double seconds) {
    if (std::isfinite(seconds) && seconds > 0) impl_->framePeriod = seconds;
}

void Host::SetReactions(bool on) { impl_->reactions = on; }

void SetModuleCodeHook(ModuleCodeHook hook) { moduleCodeHook = hook; }
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
