// What the host does for each kind of element, in one table: how it copies
// the record when a gauge is placed, what it does at install, how it reads
// the element's values each frame and turns them into what is shown, how
// `show` describes it. How each kind is drawn is the picture room's
// (picture/display_list.cpp). A kind the host does not know is copied as it
// is and shows nothing else.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "host/core/element_state.h"

namespace panelhost {

// The storage behind one instance's copies of its records: everything it
// keeps lives as long as the store.
class RecordStore {
public:
    template <typename Record>
    Record* Keep(const Record& source) {
        auto copy = std::make_shared<Record>(source);
        storage.push_back(copy);
        return copy.get();
    }

    // count entries, value-initialised.
    template <typename Entry>
    Entry* NewArray(std::size_t count) {
        std::shared_ptr<Entry[]> array(new Entry[count]());
        storage.push_back(array);
        return array.get();
    }

    template <typename Entry>
    Entry* KeepArray(const Entry* source, std::size_t count) {
        Entry* copy = NewArray<Entry>(count);
        std::copy(source, source + count, copy);
        return copy;
    }

private:
    std::vector<std::shared_ptr<void>> storage;
};

struct ElementKind {
    UINT32 type;
    const char* name;  // as `show` and the trace print it
    const char* noun;  // in the renderer's notes about a missing bitmap
    // Copies the kind's record into the store, with the tables and buffers
    // it owns; the host fills the common header fields afterwards.
    ELEMENT_HEADER* (*copy)(const ELEMENT_HEADER& source, RecordStore& store);
    // At install, after pre-install; null for nothing.
    void (*install)(ElementState& state);
    // Refreshes the source tokens and calls the element's routines, or sets
    // every value to 0 for an element failed to its zero; null for none.
    void (*read)(const TokenStore& tokens, ElementState& state, bool zero);
    // Turns the values read into what is shown and keeps them in the
    // record's save fields; null for nothing.
    void (*show)(ElementState& state);
    // What `show` prints after the kind's name; null for nothing.
    std::string (*describe)(const ElementState& state);
};

// The row for an element type; unknown types get the fallback row.
const ElementKind& KindOf(UINT32 type);

// "needle value 3 angle 45": the kind's name and what the element shows.
std::string DescribeElement(const ElementState& state);

// A number as the host prints it: up to 12 significant digits.
std::string FormatNumber(double value);

}  // namespace panelhost
