#include "host/picture/scales.h"

#include <charconv>
#include <iostream>
#include <set>

#include "host/core/element_math.h"

namespace panelhost {

namespace {

struct Walk {
    const GaugeEntry& gauge;
    SINT32 face;
    std::vector<ScaleRow>& rows;
    int number = 0;

    // Element trees are a few levels deep; the bound guards against a record
    // that names itself.
    void List(ELEMENT_HEADER** list, int depth) {
        if (!list || depth > 64) return;
        for (; *list; ++list) Element(*list, depth);
    }

    void Element(ELEMENT_HEADER* element, int depth) {
        ++number;
        if (element->element_type == ELEMENT_TYPE_NEEDLE) {
            const auto* needle = reinterpret_cast<const ELEMENT_NEEDLE*>(element);
            if (needle->nonlinearity && needle->nonlinearity_table_size > 0) {
                // The build-time table holds no degrees: the host fills its
                // own copy at install, as here.
                std::vector<NONLINEARITY> table(needle->nonlinearity,
                                                needle->nonlinearity + needle->nonlinearity_table_size);
                FillNeedleDegrees(element->position, table.data(), int(table.size()));
                for (const NONLINEARITY& row : table) {
                    rows.push_back({gauge.name, number, face, element->position, row.pt, row.value, row.degrees});
                }
            }
        }
        List(element->next_element, depth + 1);
    }
};

std::string Shortest(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

}  // namespace

std::vector<ScaleRow> NeedleScales(const Host& host) {
    std::vector<ScaleRow> rows;
    std::set<std::string> seen;
    for (const GaugeEntry& gauge : host.Gauges()) {
        if (!gauge.header || !seen.insert(gauge.name).second) continue;
        ELEMENT_HEADER** elements = gauge.header->elements_list;
        if (!elements || !elements[0]) continue;
        Walk walk{gauge, elements[0]->resource_id, rows};
        walk.List(elements, 0);
    }
    return rows;
}

void WriteScales(const std::vector<ScaleRow>& rows, std::ostream& out) {
    out << "# The needles' scale tables of the module, written by `panelhost scales`:\n"
           "# make_bitmaps.py paints each dial's marks where these needles point, at the\n"
           "# degrees the host turns them to (clockwise from +x).\n"
           "# gauge\telement\tface\tpivot_x\tpivot_y\tpoint_x\tpoint_y\tvalue\tdegrees\n";
    for (const ScaleRow& row : rows) {
        out << row.gauge << '\t' << row.element << '\t' << row.face << '\t' << row.pivot.x << '\t'
            << row.pivot.y << '\t' << row.point.x << '\t' << row.point.y << '\t'
            << Shortest(row.value) << '\t' << Shortest(row.degrees) << '\n';
    }
}

int ScalesCommand(const std::string& modulePath) {
    Host host;
    std::string error;
    if (!host.Load(modulePath, &error)) {
        std::cerr << "panelhost: " << error << '\n';
        return 2;
    }
    WriteScales(NeedleScales(host), std::cout);
    return 0;
}

}  // namespace panelhost
