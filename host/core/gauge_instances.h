// A placed gauge: the host's own copies of the gauge's header, element tree,
// failure lists and mouse list, taken from the module's build-time records
// when the gauge is placed, so that every placement keeps its own state and
// the module's records stay as the module built them.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/core/element_kinds.h"
#include "host/core/element_state.h"

namespace panelhost {

class Instance {
public:
    // Copies the records; params absent means no parameters text.
    Instance(std::string aliasName, const GAUGEHDR& source, std::optional<std::string> params);
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    std::string alias;
    GAUGEHDR header{};
    std::vector<ElementState> elements;  // drawing order

    // Calls the gauge's routine with a service number.
    void Notify(UINT32 service, UINT32 extra);
    // Pre-install (extra data: the module's handle), the needle tables'
    // degrees, post-install.
    void Install(UINT32 moduleHandle);
    // Pre-kill, post-kill.
    void Uninstall();
    // Reads every element's values and turns them into what is shown; an
    // element whose failure is active freezes, hides or reads zero.
    void Update(const TokenStore& tokens, const std::set<SINT32>& failures);
    // Element by drawing-order number; throws std::out_of_range for a number
    // the gauge does not have.
    const ElementState& Element(int number) const;

private:
    std::vector<char> parameters;
    RecordStore store;
    std::vector<MOUSERECT> mouse;

    ELEMENT_HEADER** CopyList(ELEMENT_HEADER** source, int depth);
    FAILURE_RECORD* CopyFailures(const FAILURE_RECORD* source);
    ELEMENT_HEADER* CopyElement(const ELEMENT_HEADER* source, int depth);
    MOUSERECT* CopyMouse(const MOUSERECT* source);
};

// The placed gauges in placement order, and by alias: a panel of thousands
// of gauges looks each up once per element it draws.
class PlacedGauges {
public:
    // The one placed under an alias; null for none.
    Instance* Find(const std::string& alias) const;
    Instance& Add(std::unique_ptr<Instance> instance);
    void Remove(const Instance* instance);

    std::size_t size() const { return list_.size(); }
    bool empty() const { return list_.empty(); }
    Instance& operator[](std::size_t i) const { return *list_[i]; }
    auto begin() const { return list_.begin(); }
    auto end() const { return list_.end(); }

private:
    std::vector<std::unique_ptr<Instance>> list_;
    std::unordered_map<std::string, Instance*> byAlias_;
};

}  // namespace panelhost
