// Loading the module file, its gauge table, placing instances, and the host
// services other than key events of mouse areas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include "gauges/electrical/systems_state.h"
#include "host/core/host_clock.h"
#include "host/core/messages.h"
#include "module/host_services.h"
#include "tests/host/test_support.h"

namespace {

using panelhost::EventList;

// The module's gauge table in listing order.
const char* const fullGaugeTable[] = {
    "Shut_Down", "Registration", "Kneeboard_Toggle", "ATC_Toggle", "Map_Toggle",
    "Invisible_Toggle", "Fuel_Toggle", "Close_Subpanel", "Radios_Toggle", "Show_Yoke",
    "Landing_View_Toggle", "Nav_Instruments_Toggle", "GPS_Toggle", "Throttle_Toggle",
    "Overhead_Toggle", "Compass_Toggle", "Electricity_Toggle", "Gear_Toggle", "Starter_Toggle",
    "Bombardier_View_Toggle", "Radio_COM1", "Radio_NAV1", "Radio_NAV2", "Radio_ADF",
    "Radio_IFF_XPDR", "Vertical_Speed", "Altimeter", "Airspeed", "Turn_Coordinator",
    "Gyro_Compass", "Attitude", "Bezu_Compass", "ADF_Indicator", "VOR1", "VOR2", "Tachometer",
    "Manifold_Pressure", "Oil_Pressure", "Fuel_Pressure", "Oil_Temperature", "Fuel_Quantity",
    "Carburetor_Temperature", "Fuel_Consumption", "Aviac_Box", "Throttle_Quadrant",
    "Flaps_Indicator", "Breguet_Timer", "Magnetic_Compass", "OMI", "Radio_Altimeter", "Gear_Lever",
    "Voltmeter", "Battery_Bus_Ammeter", "Left_Generator_Bus_Ammeter", "Right_Generator_Bus_Ammeter",
    "Hydraulic_Pressure", "Pitch_Trim_Indicator", "Flaps_Switch", "NAV_GPS_Switch",
    "Radio_Altimeter_Switch", "Parking_Brake", "Beacon_Lights_Switch", "Landing_Lights_Switch",
    "Taxi_Lights_Switch", "Navigation_Lights_Switch", "Panel_Lights_Switch", "Strobe_Lights_Switch",
    "Battery_Switch", "Avionics_Switch", "Pitot_Heat_Switch", "Main_Switch_Left",
    "Main_Switch_Right", "Left_Gen_Excit_Switch", "Right_Gen_Excit_Switch", "Left_Gen_Main_Switch",
    "Right_Gen_Main_Switch", "Prop_DeIce_Switch", "Wings_DeIce_Switch", "Propeller_Switch",
    "Flaps_Switch", "Propeller_Reset_Left", "Propeller_Reset_Right", "Propeller_Feather_Left",
    "Propeller_Feather_Right", "Gear_Lamps", "Radio_Altimeter_DH_Light", "Manifold_Light",
    "Left_Generator_Light", "Right_Generator_Light",
};
constexpr std::size_t fullGaugeCount = sizeof fullGaugeTable / sizeof fullGaugeTable[0];
static_assert(fullGaugeCount == 89);

class ModuleFileTest : public ::testing::Test {
protected:
    panelhost::Host host;
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    }
};

TEST_F(ModuleFileTest, LinkageListsGaugesInTableOrder) {
    const auto gauges = host.Gauges();
    ASSERT_FALSE(gauges.empty());
    ASSERT_LE(gauges.size(), fullGaugeCount);
    // Each name present stands at or after the table position of the one before.
    std::size_t position = 0;
    GAUGEHDR* flaps = nullptr;
    int flapsEntries = 0;
    for (const auto& entry : gauges) {
        const char* const* found =
            std::find_if(fullGaugeTable + position, fullGaugeTable + fullGaugeCount,
                         [&](const char* name) { return entry.name == name; });
        ASSERT_NE(found, fullGaugeTable + fullGaugeCount)
            << entry.name << " (entry " << entry.number << ") is out of order or unknown";
        position = static_cast<std::size_t>(found - fullGaugeTable) + 1;
        EXPECT_EQ(entry.header->gauge_header_version, GAUGEHDR_VERSION) << entry.name;
        EXPECT_GT(entry.sizeMm, 0u) << entry.name;
        if (entry.name == "Flaps_Switch") {
            ++flapsEntries;
            if (flaps) {
                EXPECT_EQ(entry.header, flaps) << "both entries share one header";
            }
            flaps = entry.header;
        }
    }
    EXPECT_TRUE(flapsEntries == 0 || flapsEntries == 2);
    if (flaps) {
        EXPECT_EQ(host.FindGauge("Flaps_Switch"), flaps);
    }
    EXPECT_EQ(host.FindGauge("Shut_Down"), gauges.front().header);
    EXPECT_EQ(host.FindGauge("shut_down"), nullptr);
}

TEST_F(ModuleFileTest, PlacedInstanceOwnsCopiesOfEveryRecord) {
    ASSERT_TRUE(host.Place("Shut_Down", "A", "ground # note"));
    ASSERT_TRUE(host.Place("Shut_Down", "B"));
    GAUGEHDR* built = host.FindGauge("Shut_Down");
    GAUGEHDR* a = host.Header("A");
    GAUGEHDR* b = host.Header("B");
    ASSERT_NE(a, built);
    EXPECT_NE(a->elements_list, built->elements_list);
    EXPECT_NE(a->elements_list[0], built->elements_list[0]);
    EXPECT_NE(a->elements_list[0], b->elements_list[0]);
    EXPECT_EQ(a->elements_list[0]->gauge_header, a);
    EXPECT_EQ(b->elements_list[0]->gauge_header, b);
    EXPECT_NE(a->mouse_rect, built->mouse_rect);
    EXPECT_EQ(a->user_data, 0u);
    ASSERT_NE(a->parameters, nullptr);
    EXPECT_STREQ(a->parameters, "ground # note");
    a->parameters[0] = 'G';  // writable, and the instance's own
    EXPECT_EQ(b->parameters, nullptr);
    EXPECT_EQ(built->parameters, nullptr);

    std::string error;
    EXPECT_FALSE(host.Place("Shut_Down", "A", std::nullopt, &error));
    EXPECT_NE(error.find("already"), std::string::npos);
    EXPECT_FALSE(host.Place("No_Such_Gauge", "", std::nullopt, &error));
    EXPECT_NE(error.find("No_Such_Gauge"), std::string::npos);
    EXPECT_TRUE(host.Kill("A"));
    EXPECT_FALSE(host.Kill("A"));
    EXPECT_EQ(host.Aliases(), std::vector<std::string>{"B"});
}

// The module file as the system knows it while mapped, or null.
void* MappedModule() {
#if defined(_WIN32)
    return GetModuleHandleA("QR417_Instr.gau");
#else
    void* mapped = dlopen(QR_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (mapped) dlclose(mapped);  // NOLOAD still counts a reference
    return mapped;
#endif
}

TEST_F(ModuleFileTest, UnloadReleasesTheFileAndReloadStartsAfresh) {
    ASSERT_TRUE(host.Place("Shut_Down"));
    void* handle = host.ModuleHandle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(QrHostModuleHandle(), handle);
    EXPECT_EQ(MappedModule(), handle);
    std::string error;
    ASSERT_TRUE(host.Reload(&error)) << error;
    EXPECT_FALSE(host.Has("Shut_Down"));
    host.Unload();
    EXPECT_EQ(MappedModule(), nullptr) << "the module is still mapped after unloading";
    EXPECT_EQ(QrHostModuleHandle(), nullptr);
}

// The simulator loads and unloads gauge modules as aircraft change: each load
// must give back all it took, or the process runs out after a thousand loads.
TEST(ModuleLoad, TwoThousandLoadsAndUnloadsInOneProcess) {
    panelhost::Host host;
    std::string error;
#if defined(_WIN32)
    const auto freeSlot = [] { const DWORD slot = TlsAlloc(); TlsFree(slot); return slot; };
    const DWORD firstFree = freeSlot();
#endif
    for (int load = 1; load <= 2000; ++load) {
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << "load " << load << ": " << error;
        if (load % 500 == 0) {  // now and then with a gauge at work
            ASSERT_TRUE(host.Place("Radio_ADF"));
            host.Connect();
            host.Frame(2);
        }
        host.Unload();
#if defined(_WIN32)
        if (load == 10 || load % 500 == 0) {
            ASSERT_EQ(freeSlot(), firstFree) << load << " loads kept thread-local slots";
        }
#endif
    }
}

TEST(ModuleLoad, MissingFileOrRecordsAreReported) {
    panelhost::Host host;
    std::string error;
    EXPECT_FALSE(host.Load("/nonexistent/QR417_Instr.so", &error));
    EXPECT_NE(error.find("cannot load"), std::string::npos) << error;
    EXPECT_FALSE(host.Load("", &error));  // not the library search path's first match
    EXPECT_FALSE(host.Loaded());
    IMPORT_TABLE wrongTable{};
    EXPECT_FALSE(host.Attach(&wrongTable, &Linkage, &error));
    EXPECT_FALSE(host.Place("Shut_Down", "", std::nullopt, &error));
}

#if !defined(_WIN32)
// The Windows module handed to the Linux host is named for what it is, with
// the two ways to go on; any other file that is no library keeps the
// loader's own reason.
TEST(ModuleLoad, TheWindowsModuleOnLinuxSaysWhatToLoadInstead) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("qr417_gau_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path gau = folder / "QR417_Instr.gau", text = folder / "notes.so";
    std::ofstream(gau, std::ios::binary) << "MZ\x90" << std::string(200, '\0');
    std::ofstream(text, std::ios::binary) << "not a library";
    panelhost::Host host;
    std::string error;
    EXPECT_FALSE(host.Load(gau.string(), &error));
    EXPECT_EQ(error, panelhost::Quoted(gau.string()) +
                         " is the Windows module; on Linux load QR417_Instr.so, or run panelhost.exe under Wine");
    EXPECT_FALSE(host.Load(text.string(), &error));
    EXPECT_NE(error.find("cannot load " + panelhost::Quoted(text.string()) + ": "), std::string::npos) << error;
    std::filesystem::remove_all(folder);
}
#endif

TEST(ModuleLoad, LoadingAndUnloadingWithoutGaugesChangesNothing) {
    const std::int32_t before[] = {nav1Power, nav1Ident, nav2Power, nav2Ident, com1Power, adfPower,
                                   adfIdent, xpdrPower, leftGenExcitation, leftGenMain,
                                   rightGenExcitation, rightGenMain, radaltPower};
    const auto aviac = std::make_pair(aviacLeftPosition, aviacRightPosition);
    PANEL_SERVICES* table = ImportTable.panels.table;
    {
        panelhost::Host host;
        ASSERT_TRUE(host.Attach(&ImportTable, &Linkage));
        EXPECT_NE(ImportTable.panels.table, nullptr);
        host.Connect();
        host.Frame(5);
        host.Unload();
        EXPECT_TRUE(host.Events().empty());
    }
    EXPECT_EQ(ImportTable.panels.table, table);
    const std::int32_t after[] = {nav1Power, nav1Ident, nav2Power, nav2Ident, com1Power, adfPower,
                                  adfIdent, xpdrPower, leftGenExcitation, leftGenMain,
                                  rightGenExcitation, rightGenMain, radaltPower};
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), std::begin(after)));
    EXPECT_EQ(std::make_pair(aviacLeftPosition, aviacRightPosition), aviac);
    // Without a host the module's services read 0 and send nothing.
    EXPECT_EQ(LookupNumber(60), 0.0);
    TriggerKeyEvent(0x1011C);
    EXPECT_EQ(ExecuteCalculatorText("(A:ATC ID,string)"), nullptr);
}

class ServicesTest : public ::testing::Test {
protected:
    panelhost::Host host;
    void SetUp() override { ASSERT_TRUE(host.Attach(&ImportTable, &Linkage)); }
};

TEST_F(ServicesTest, TokensAsNumbersOrIntegers) {
    EXPECT_EQ(LookupNumber(12345), 0.0);
    host.SetNumber(1, 2.5);
    host.SetInteger(2, 0x11850);
    host.SetNumber(2, -1);
    host.SetInteger(2, 0x11850);  // replaces the float: upper bytes cleared
    EXPECT_EQ(LookupNumber(1), 2.5);
    EXPECT_EQ(LookupInteger(2), 0x11850);
    EXPECT_EQ(LookupToken(2).u, 0x11850u);
    MODULE_VAR_VALUE raw = LookupToken(2);
    std::uint32_t upper = 0;
    std::memcpy(&upper, reinterpret_cast<const char*>(&raw) + 4, 4);
    EXPECT_EQ(upper, 0u);
}

TEST_F(ServicesTest, WindowsFollowToggleAndWindowEvents) {
    PanelWindowToggle(50);
    EXPECT_TRUE(host.WindowOpen(50));
    PanelWindowToggle(50);
    EXPECT_FALSE(host.WindowOpen(50));
    TriggerKeyEvent(0x103CB, 225);
    TriggerKeyEvent(0x103CB, 225);
    EXPECT_TRUE(host.WindowOpen(225));
    TriggerKeyEvent(0x103CA, 75);
    TriggerKeyEvent(0x103CC, 225);
    EXPECT_FALSE(host.WindowOpen(225));
    EXPECT_TRUE(host.WindowOpen(75));
    EXPECT_EQ(host.TakeEvents(),
              (EventList{{0x103CB, 225}, {0x103CB, 225}, {0x103CA, 75}, {0x103CC, 225}}));
    EXPECT_TRUE(host.Events().empty());
}

TEST_F(ServicesTest, AtcIdentifierTextBelongsToTheHost) {
    host.SetAtcId("F-BCRV");
    const char* text = ExecuteCalculatorText("(A:ATC ID,string)");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "F-BCRV");
    EXPECT_STREQ(ExecuteCalculatorText("(A:Something else,number)"), "");
    host.SetAtcId("");
    EXPECT_STREQ(ExecuteCalculatorText("(A:ATC ID,string)"), "");
}

TEST_F(ServicesTest, ClockAdvancesOneFramePeriodPerFrame) {
    EXPECT_EQ(host.Clock(), 0.0);
    host.Frame(18);
    EXPECT_NEAR(host.Clock(), 1.0, 1e-12);
    EXPECT_NEAR(QrHostClockSeconds(), 1.0, 1e-12);
    host.SetFramePeriod(0.5);
    host.SetFramePeriod(-1);
    host.SetFramePeriod(std::nan(""));
    host.Frame(2);
    EXPECT_NEAR(host.Clock(), 2.0, 1e-12);
    host.Frame(-5);
    EXPECT_NEAR(host.Clock(), 2.0, 1e-12);
}

}  // namespace
