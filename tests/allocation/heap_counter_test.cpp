// The heap counter sees what module code allocates, wherever the host calls
// into the module (gauge routine, element routine, mouse routine), and leaves
// out the host's own work, also when the module asks the host for a service
// that allocates.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "host/core/panel_host.h"
#include "module/gauge_builders.h"
#include "tests/allocation/heap_counter.h"
#include "tests/host/test_support.h"

namespace {

// Allocations kept where the compiler cannot see them dropped again.
void* volatile keptBlock = nullptr;
std::string* volatile keptText = nullptr;

void AllocateBlock() {
    void* old = keptBlock;
    keptBlock = std::malloc(48);
    std::free(old);
}

void AllocateText() {
    std::string* old = keptText;
    keptText = new std::string(100, 'x');  // the object and its characters
    delete old;
}

TEST(HeapCounter, CountsOnlyModuleCodeInsideAMeasurement) {
    AllocateBlock();  // outside any measurement
    heapcount::Start();
    AllocateBlock();  // host code
    heapcount::PretendModuleCode(true);
    AllocateBlock();
    AllocateText();
    heapcount::PretendModuleCode(false);
    AllocateText();
    const heapcount::Counts counts = heapcount::Stop();
    EXPECT_EQ(counts.allocations, 3);
    EXPECT_EQ(counts.releases, 1);  // the block; the first text had nothing to delete
}

// --- A module whose routines allocate on demand -------------------------------

bool gaugeAllocates = false;
bool needleAllocates = false;
bool mouseAllocates = false;

void FSAPI LeakyGaugeRoutine(GAUGEHDR*, SINT32 service, UINT32) {
    if (service == PANEL_SERVICE_PRE_UPDATE && gaugeAllocates) AllocateBlock();
}

FLOAT64 FSAPI LeakyNeedleRoutine(ELEMENT_NEEDLE* needle) {
    if (needleAllocates) AllocateText();
    return needle->source_var.var_value.n;
}

SINT32 FSAPI LeakyMouseRoutine(MOUSECALLBACK_POINT*, UINT32) {
    if (mouseAllocates) AllocateBlock();
    return 0;
}

PANEL_SERVICES* Services();

// Asks the host for every service many times: the host's event log and
// calculator text grow on the heap, the module's own code does not.
SINT32 FSAPI ServiceHungryMouseRoutine(MOUSECALLBACK_POINT*, UINT32) {
    PANEL_SERVICES* services = Services();
    for (UINT32 i = 0; i < 200; ++i) {
        services->trigger_key_event(0x10000 + i, i);
        MODULE_VAR var{.id = static_cast<SINT32>(1000 + i)};
        services->lookup_var(&var);
        FLOAT64 number = 0;
        SINT32 integer = 0;
        const char* text = nullptr;
        services->execute_calculator_code("(A:ATC ID,string)", &number, &integer, &text);
    }
    return 0;
}

MOUSERECT leakyMouse[] = {
    MouseGauge(),
    MouseRoutine(0, 0, 50, 50, CURSOR_HAND, MOUSE_LEFTSINGLE, LeakyMouseRoutine),
    MouseRoutine(50, 0, 50, 50, CURSOR_HAND, MOUSE_LEFTSINGLE, ServiceHungryMouseRoutine),
    MouseEndParent(),
    MouseEnd(),
};

ELEMENT_NEEDLE leakyNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 1, {0, 0}, nullptr, nullptr, 0x3),
    .source_var = Token(7),
    .update_cb = LeakyNeedleRoutine,
};
ELEMENT_HEADER* leakyElements[] = {&leakyNeedle.header, nullptr};

GAUGEHDR leakyGauge = TestGauge("Leaky_Gauge", leakyElements, leakyMouse, LeakyGaugeRoutine);
TestModule<1> leakyModule{{&leakyGauge}};

PANEL_SERVICES* Services() { return leakyModule.importTable.panels.table; }

class LeakyModule : public ::testing::Test {
protected:
    panelhost::Host host;

    void SetUp() override {
        panelhost::SetModuleCodeHook(heapcount::ModuleCodeRunning);
        ASSERT_TRUE(leakyModule.AttachTo(host));
        ASSERT_TRUE(host.Place("Leaky_Gauge", "L"));
        host.SetAtcId(std::string(200, 'A'));  // longer than any short-string buffer
    }
    void TearDown() override {
        gaugeAllocates = needleAllocates = mouseAllocates = false;
        host.Unload();
        panelhost::SetModuleCodeHook(nullptr);
    }
    heapcount::Counts FramesAndClicks() {
        heapcount::Start();
        host.Frame(10);
        for (int i = 0; i < 10; ++i) host.Click("L", 10, 10);
        return heapcount::Stop();
    }
};

TEST_F(LeakyModule, AllocationInEachKindOfRoutineIsCaught) {
    EXPECT_EQ(FramesAndClicks().allocations, 0);

    gaugeAllocates = true;
    EXPECT_EQ(FramesAndClicks().allocations, 10);
    gaugeAllocates = false;

    needleAllocates = true;
    EXPECT_EQ(FramesAndClicks().allocations, 20);  // object and characters, each frame
    needleAllocates = false;

    mouseAllocates = true;
    const heapcount::Counts clicks = FramesAndClicks();
    EXPECT_EQ(clicks.allocations, 10);
    EXPECT_EQ(clicks.releases, 10);
}

TEST_F(LeakyModule, HostServicesCalledFromModuleCodeAreNotCounted) {
    heapcount::Start();
    for (int i = 0; i < 20; ++i) host.Click("L", 60, 10);
    const heapcount::Counts counts = heapcount::Stop();
    EXPECT_EQ(host.Events().size(), 20u * 200u);
    EXPECT_EQ(counts.moduleEntries, 20 + 20 * 200 * 3);  // routines, then back from each service
    EXPECT_EQ(counts.allocations, 0);
    EXPECT_EQ(counts.releases, 0);
}

}  // namespace
