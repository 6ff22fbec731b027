#include "host/panel_host.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>

#include "host/element_math.h"
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
constexpr int maxTableEntries = 1024;
constexpr int maxMouseRects = 1024;
constexpr UINT32 maxStringLength = 4096;
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

// Marks the module's code (true) or the host's as running while it lives,
// and whichever ran before once it ends: wraps every call into a module
// routine and every service routine the module calls back.
class CodeRunning {
public:
    explicit CodeRunning(bool module) : previous_(inModuleCode) { Mark(module); }
    ~CodeRunning() { Mark(previous_); }
    CodeRunning(const CodeRunning&) = delete;
    CodeRunning& operator=(const CodeRunning&) = delete;

private:
    static void Mark(bool module) {
        inModuleCode = module;
        if (moduleCodeHook) moduleCodeHook(module);
    }
    bool previous_;
};

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
            if (element.kind != ELEMENT_TYPE_NEEDLE) continue;
            auto* needle = reinterpret_cast<ELEMENT_NEEDLE*>(element.record);
            FillNeedleDegrees(needle->header.position, needle->nonlinearity,
                              needle->nonlinearity_table_size);
        }
        Notify(PANEL_SERVICE_POST_INSTALL, 0);
    }

    void Uninstall() {
        Notify(PANEL_SERVICE_PRE_KILL, 0);
        Notify(PANEL_SERVICE_POST_KILL, 0);
    }

private:
    std::vector<char> parameters;
    std::vector<std::shared_ptr<void>> storage;
    std::vector<MOUSERECT> mouse;

    template <typename Record>
    Record* Keep(const Record& source) {
        auto copy = std::make_shared<Record>(source);
        storage.push_back(copy);
        return copy.get();
    }

    template <typename Entry>
    Entry* KeepArray(const Entry* source, std::size_t count) {
        std::shared_ptr<Entry[]> copy(new Entry[count]);
        std::copy(source, source + count, copy.get());
        storage.push_back(copy);
        return copy.get();
    }

    ELEMENT_HEADER** CopyList(ELEMENT_HEADER** source, int depth) {
        if (!source || depth > maxElementDepth) return nullptr;
        std::size_t count = 0;
        while (count < maxListEntries && source[count]) ++count;
        std::shared_ptr<ELEMENT_HEADER*[]> list(new ELEMENT_HEADER*[count + 1]);
        storage.push_back(list);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (ELEMENT_HEADER* copy = CopyElement(source[i], depth)) list[kept++] = copy;
        }
        list[kept] = nullptr;
        return list.get();
    }

    FAILURE_RECORD* CopyFailures(const FAILURE_RECORD* source) {
        if (!source) return nullptr;
        std::size_t count = 0;
        while (count < maxFailureRecords && source[count].key != 0) ++count;
        FAILURE_RECORD* copy = KeepArray(source, count + 1);
        copy[count] = FAILURE_RECORD{};
        return copy;
    }

    ELEMENT_HEADER* CopyElement(const ELEMENT_HEADER* source, int depth) {
        if (elements.size() >= maxElementsPerGauge) return nullptr;
        ELEMENT_HEADER* copy = nullptr;
        switch (source->element_type) {
        case ELEMENT_TYPE_NEEDLE: {
            auto* needle = Keep(*reinterpret_cast<const ELEMENT_NEEDLE*>(source));
            const int size = needle->nonlinearity_table_size;
            if (needle->nonlinearity && size > 0) {
                needle->nonlinearity_table_size = std::min(size, maxTableEntries);
                needle->nonlinearity = KeepArray(
                    needle->nonlinearity, static_cast<std::size_t>(needle->nonlinearity_table_size));
            } else {
                needle->nonlinearity = nullptr;
                needle->nonlinearity_table_size = 0;
            }
            copy = &needle->header;
            break;
        }
        case ELEMENT_TYPE_STRING: {
            auto* string = Keep(*reinterpret_cast<const ELEMENT_STRING*>(source));
            string->max_string_length = std::min(string->max_string_length, maxStringLength);
            std::shared_ptr<char[]> buffer(new char[string->max_string_length + 1]());
            storage.push_back(buffer);
            string->string = buffer.get();
            copy = &string->header;
            break;
        }
        case ELEMENT_TYPE_SLIDER:
            copy = &Keep(*reinterpret_cast<const ELEMENT_SLIDER*>(source))->header;
            break;
        case ELEMENT_TYPE_ICON:
            copy = &Keep(*reinterpret_cast<const ELEMENT_ICON*>(source))->header;
            break;
        case ELEMENT_TYPE_MOVING_IMAGE:
            copy = &Keep(*reinterpret_cast<const ELEMENT_MOVING_IMAGE*>(source))->header;
            break;
        case ELEMENT_TYPE_SPRITE:
            copy = &Keep(*reinterpret_cast<const ELEMENT_SPRITE*>(source))->header;
            break;
        default:  // static images, and kinds the host does not know: drawn as they are
            copy = &Keep(*reinterpret_cast<const ELEMENT_STATIC_IMAGE*>(source))->header;
            break;
        }
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

    Instance* Find(const std::string& alias) const {
        for (const auto& instance : instances) {
            if (instance->alias == alias) return instance.get();
        }
        return nullptr;
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
    impl_->instances.back()->Install(ModuleHandle32());
    return true;
}

bool Host::Kill(const std::string& alias) {
    Instance* instance = impl_->Find(alias);
    if (!instance) return false;
    activeHost = this;
    instance->Uninstall();
    if (impl_->capture && impl_->capture->instance == instance) impl_->capture.reset();
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

void Refresh(const Host& host, MODULE_VAR& var) {
    var.var_old = var.var_value;
    if (var.id != 0) var.var_value = host.Token(var.id);
}

template <typename Record, typename Callback>
double ValueOf(Record* record, Callback callback, const MODULE_VAR& var) {
    if (!callback) return var.var_value.n;
    const CodeRunning module(true);
    return callback(record);
}

// Failure action that applies to an element: the first active key of its
// list with an action.
SINT32 ActiveFailureAction(const ELEMENT_HEADER* element, const std::set<SINT32>& failures) {
    if (!element->failure_systems || failures.empty()) return FAIL_ACTION_NONE;
    for (const FAILURE_RECORD* record = element->failure_systems; record->key != 0; ++record) {
        if (record->action != FAIL_ACTION_NONE && failures.count(record->key)) return record->action;
    }
    return FAIL_ACTION_NONE;
}

// Reads the element's values: from its routines and refreshed tokens, or all
// zero for a failed element driven to its zero value.
void ReadValues(const Host& host, ElementState& state, bool zero) {
    ELEMENT_HEADER* element = state.record;
    switch (state.kind) {
    case ELEMENT_TYPE_NEEDLE: {
        auto* needle = reinterpret_cast<ELEMENT_NEEDLE*>(element);
        if (!zero) Refresh(host, needle->source_var);
        state.value = zero ? 0.0 : ValueOf(needle, needle->update_cb, needle->source_var);
        break;
    }
    case ELEMENT_TYPE_STRING: {
        auto* string = reinterpret_cast<ELEMENT_STRING*>(element);
        if (!zero) {
            for (MODULE_VAR& var : string->source_var) Refresh(host, var);
        }
        state.value = zero ? 0.0 : ValueOf(string, string->update_cb, string->source_var[0]);
        break;
    }
    case ELEMENT_TYPE_SLIDER: {
        auto* slider = reinterpret_cast<ELEMENT_SLIDER*>(element);
        if (!zero) {
            Refresh(host, slider->source_var_x);
            Refresh(host, slider->source_var_y);
        }
        state.x = zero ? 0.0 : ValueOf(slider, slider->update_x_cb, slider->source_var_x);
        state.y = zero ? 0.0 : ValueOf(slider, slider->update_y_cb, slider->source_var_y);
        break;
    }
    case ELEMENT_TYPE_ICON: {
        auto* icon = reinterpret_cast<ELEMENT_ICON*>(element);
        if (!zero) Refresh(host, icon->source_var);
        state.value = zero ? 0.0 : ValueOf(icon, icon->update_cb, icon->source_var);
        break;
    }
    case ELEMENT_TYPE_MOVING_IMAGE: {
        auto* image = reinterpret_cast<ELEMENT_MOVING_IMAGE*>(element);
        if (!zero) {
            Refresh(host, image->source_var_x);
            Refresh(host, image->source_var_y);
        }
        state.x = zero ? 0.0 : ValueOf(image, image->update_x_cb, image->source_var_x);
        state.y = zero ? 0.0 : ValueOf(image, image->update_y_cb, image->source_var_y);
        break;
    }
    case ELEMENT_TYPE_SPRITE: {
        auto* sprite = reinterpret_cast<ELEMENT_SPRITE*>(element);
        if (!zero) {
            Refresh(host, sprite->source_var_x);
            Refresh(host, sprite->source_var_y);
            Refresh(host, sprite->source_var_0);
        }
        state.x = zero ? 0.0 : ValueOf(sprite, sprite->update_x_cb, sprite->source_var_x);
        state.y = zero ? 0.0 : ValueOf(sprite, sprite->update_y_cb, sprite->source_var_y);
        state.rotationValue = zero ? 0.0 : ValueOf(sprite, sprite->update_0_cb, sprite->source_var_0);
        break;
    }
    default:
        break;
    }
}

// A value that is not a finite number is drawn as 0: the host has no
// position or angle for it.
double Drawn(double value) { return std::isfinite(value) ? value : 0.0; }

// Turns the values into what is drawn and keeps them in the host-owned fields.
void Show(ElementState& state) {
    ELEMENT_HEADER* element = state.record;
    switch (state.kind) {
    case ELEMENT_TYPE_NEEDLE: {
        auto* needle = reinterpret_cast<ELEMENT_NEEDLE*>(element);
        state.angle =
            NeedleAngle(Drawn(state.value), needle->nonlinearity, needle->nonlinearity_table_size);
        needle->save_value = state.value;
        needle->save_degrees = state.angle;
        break;
    }
    case ELEMENT_TYPE_STRING: {
        auto* string = reinterpret_cast<ELEMENT_STRING*>(element);
        string->string[string->max_string_length] = '\0';
        state.text = string->string;
        string->save_value = state.value;
        break;
    }
    case ELEMENT_TYPE_SLIDER: {
        auto* slider = reinterpret_cast<ELEMENT_SLIDER*>(element);
        const bool hasY = slider->source_var_y.id != 0 || slider->update_y_cb;
        state.value = hasY ? state.y : state.x;
        state.shiftX = Drawn(state.x) * slider->scale_x;
        state.shiftY = Drawn(state.y) * slider->scale_y;
        slider->save_x = state.x;
        slider->save_y = state.y;
        break;
    }
    case ELEMENT_TYPE_ICON: {
        auto* icon = reinterpret_cast<ELEMENT_ICON*>(element);
        state.image = IconImage(state.value, icon->picture_count);
        icon->save_value = state.value;
        break;
    }
    case ELEMENT_TYPE_MOVING_IMAGE: {
        auto* image = reinterpret_cast<ELEMENT_MOVING_IMAGE*>(element);
        const bool hasY = image->source_var_y.id != 0 || image->update_y_cb;
        state.value = hasY ? state.y : state.x;
        state.shiftX = TravelFraction(state.x, image->min_x, image->max_x);
        state.shiftY = TravelFraction(state.y, image->min_y, image->max_y);
        image->save_x = state.x;
        image->save_y = state.y;
        break;
    }
    case ELEMENT_TYPE_SPRITE: {
        auto* sprite = reinterpret_cast<ELEMENT_SPRITE*>(element);
        state.value = state.rotationValue;
        state.shiftX = Drawn(state.x) * sprite->scale_x;
        state.shiftY = Drawn(state.y) * sprite->scale_y;
        state.rotation = Drawn(state.rotationValue) * sprite->scale_0;
        sprite->save_x = state.x;
        sprite->save_y = state.y;
        sprite->save_0 = state.rotationValue;
        break;
    }
    default:
        break;
    }
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
                ReadValues(*this, state, action == FAIL_ACTION_ZERO);
                Show(state);
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

// The first clickable area in list order that contains the point. Groups open
// a box relative to the enclosing group (0,0,0,0 = the whole enclosing group;
// the outermost box is the whole gauge); areas are relative to their group.
Hit FindArea(MOUSERECT* list, int x, int y) {
    if (!list) return {};
    std::vector<Box> groups{Box{}};
    for (MOUSERECT* rect = list; rect->rect_type != MOUSE_RECT_EOL; ++rect) {
        const Box group = groups.back();
        const PIXPOINT pos = rect->relative_box_pos;
        const PIXPOINT size = rect->relative_box_size;
        const Box box{false, group.x + pos.x, group.y + pos.y, size.x, size.y};
        switch (rect->rect_type) {
        case MOUSE_RECT_PARENT:
            groups.push_back(pos.x == 0 && pos.y == 0 && size.x == 0 && size.y == 0 ? group : box);
            break;
        case MOUSE_RECT_END_PARENT:
            if (groups.size() > 1) groups.pop_back();
            break;
        case MOUSE_RECT_CHILD:
            if (box.Contains(x, y)) return {rect, box};
            break;
        default:  // tooltips and unknown kinds take no clicks
            break;
        }
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
