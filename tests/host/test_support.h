// Helpers for host tests: a module made of records defined in the test, and
// the module records of the statically linked copy.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstddef>

#include "host/core/panel_host.h"
#include "module/gauge_builders.h"

// The statically linked module's exported records (the test program's copy).
extern "C" IMPORT_TABLE ImportTable;
extern "C" MODULE_LINKAGE_VIEW Linkage;

// A module whose gauge table lists gauges built by the test.
template <std::size_t Count>
struct TestModule {
    IMPORT_TABLE importTable{.panels = {.id = PANELS_ENTRY_ID, .table = nullptr}, .end = {}};
    MODULE_LINKAGE<Count> linkage{};

    explicit TestModule(std::array<GAUGEHDR*, Count> gauges) {
        linkage.module_id = MODULE_LINKAGE_ID;
        linkage.module_version = MODULE_VERSION_FS2004;
        for (std::size_t i = 0; i < Count; ++i) linkage.gauge_header_ptr[i] = gauges[i];
    }

    bool AttachTo(panelhost::Host& host) {
        return host.Attach(&importTable, reinterpret_cast<MODULE_LINKAGE_VIEW*>(&linkage));
    }
};

// A fixture whose host has a test module of the one gauge GAUGE attached.
template <GAUGEHDR* Gauge>
class OneGaugeTest : public ::testing::Test {
protected:
    // Attaches the module and places the gauge NAME as ALIAS.
    void AttachAndPlace(const char* name, const char* alias) {
        ASSERT_TRUE(module.AttachTo(host));
        ASSERT_TRUE(host.Place(name, alias));
    }
    TestModule<1> module{{Gauge}};
    panelhost::Host host;
};

// A gauge header with the fields a test needs.
inline GAUGEHDR TestGauge(const char* name, ELEMENT_HEADER** elements, MOUSERECT* mouse,
                          GAUGE_CALLBACK routine = nullptr) {
    return GAUGEHDR{.gauge_header_version = GAUGEHDR_VERSION,
                    .gauge_name = name,
                    .elements_list = elements,
                    .size_x_mm = 100,
                    .mouse_rect = mouse,
                    .gauge_callback = routine};
}
