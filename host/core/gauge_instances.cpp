#include "host/core/gauge_instances.h"

#include <stdexcept>
#include <utility>

#include "host/core/module_code.h"

namespace panelhost {

namespace {

// Limits on what the host copies from a gauge's records, so that a record
// that names itself or a list without its end cannot run the host away.
constexpr int maxElementDepth = 32;
constexpr int maxElementsPerGauge = 4096;
constexpr int maxListEntries = 1024;
constexpr int maxFailureRecords = 64;
constexpr int maxCopiedMouseRects = 1024;  // the walk (mouse_capture.h) reads at most maxMouseRects

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

Instance::Instance(std::string aliasName, const GAUGEHDR& source, std::optional<std::string> params)
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

void Instance::Notify(UINT32 service, UINT32 extra) {
    if (!header.gauge_callback) return;
    const CodeRunning module(true);
    header.gauge_callback(&header, static_cast<SINT32>(service), extra);
}

void Instance::Install(UINT32 moduleHandle) {
    Notify(PANEL_SERVICE_PRE_INSTALL, moduleHandle);
    for (ElementState& element : elements) {
        if (const auto install = KindOf(element.kind).install) install(element);
    }
    Notify(PANEL_SERVICE_POST_INSTALL, 0);
}

void Instance::Uninstall() {
    Notify(PANEL_SERVICE_PRE_KILL, 0);
    Notify(PANEL_SERVICE_POST_KILL, 0);
}

void Instance::Update(const TokenStore& tokens, const std::set<SINT32>& failures) {
    for (ElementState& state : elements) {
        // A frozen element keeps what it showed; a hidden one is not drawn;
        // neither calls its routines.
        const SINT32 action = ActiveFailureAction(state.record, failures);
        state.hidden = action == FAIL_ACTION_NO_DRAW;
        if (action == FAIL_ACTION_FREEZE || action == FAIL_ACTION_NO_DRAW) continue;
        const ElementKind& kind = KindOf(state.kind);
        if (kind.read) kind.read(tokens, state, action == FAIL_ACTION_ZERO);
        if (kind.show) kind.show(state);
    }
}

const ElementState& Instance::Element(int number) const {
    if (number < 1 || number > static_cast<int>(elements.size())) {
        throw std::out_of_range(alias + " has no element " + std::to_string(number) + " (it has " +
                                std::to_string(elements.size()) + ")");
    }
    return elements[static_cast<std::size_t>(number - 1)];
}

ELEMENT_HEADER** Instance::CopyList(ELEMENT_HEADER** source, int depth) {
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

FAILURE_RECORD* Instance::CopyFailures(const FAILURE_RECORD* source) {
    if (!source) return nullptr;
    std::size_t count = 0;
    while (count < maxFailureRecords && source[count].key != 0) ++count;
    FAILURE_RECORD* copy = store.KeepArray(source, count + 1);
    copy[count] = FAILURE_RECORD{};
    return copy;
}

ELEMENT_HEADER* Instance::CopyElement(const ELEMENT_HEADER* source, int depth) {
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

MOUSERECT* Instance::CopyMouse(const MOUSERECT* source) {
    if (!source) return nullptr;
    for (int i = 0; i < maxCopiedMouseRects - 1; ++i) {
        mouse.push_back(source[i]);
        if (source[i].rect_type == MOUSE_RECT_EOL) return mouse.data();
    }
    mouse.push_back(MOUSERECT{.rect_type = MOUSE_RECT_EOL});
    return mouse.data();
}

Instance* PlacedGauges::Find(const std::string& alias) const {
    const auto found = byAlias_.find(alias);
    return found == byAlias_.end() ? nullptr : found->second;
}

Instance& PlacedGauges::Add(std::unique_ptr<Instance> instance) {
    byAlias_[instance->alias] = instance.get();
    list_.push_back(std::move(instance));
    return *list_.back();
}

void PlacedGauges::Remove(const Instance* instance) {
    if (!instance) return;
    byAlias_.erase(instance->alias);
    std::erase_if(list_, [&](const auto& placed) { return placed.get() == instance; });
}

}  // namespace panelhost
