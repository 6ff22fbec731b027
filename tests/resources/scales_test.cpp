// The dials' painted scales and the needles' tables are one set of numbers:
// resources/scales.tsv, which the artwork script paints the marks from, is
// what the built module's needles hold, and on every dial face a mark lies
// on the line from the needle's pivot through each point of its table, where
// the needle points for that point's value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <numbers>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/picture/bitmap_source.h"
#include "host/core/panel_host.h"
#include "host/picture/scales.h"

namespace {

using panelhost::Host;
using panelhost::Picture;
using panelhost::Rgb;
using panelhost::ScaleRow;

const std::string scalesFile = std::string(QR_SOURCE_DIR) + "/resources/scales.tsv";

class Scales : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    }
    Host host;
};

TEST_F(Scales, CommittedTablesAreTheModules) {
    std::ostringstream module;
    panelhost::WriteScales(panelhost::NeedleScales(host), module);
    std::ifstream in(scalesFile, std::ios::binary);
    std::ostringstream committed;
    committed << in.rdbuf();
    // Cell by cell: the same text, or the same number to within rounding in
    // its last digits (the degrees a 32-bit Windows build computes may differ
    // there from the native build's).
    const auto cells = [](const std::string& text) {
        std::vector<std::string> all;
        std::string cell;
        for (const char c : text) {
            if (c == '\t' || c == '\n') {
                all.push_back(cell);
                cell.clear();
            } else {
                cell += c;
            }
        }
        all.push_back(cell);
        return all;
    };
    const auto same = [](const std::string& a, const std::string& b) {
        if (a == b) return true;
        char* endA = nullptr;
        char* endB = nullptr;
        const double x = std::strtod(a.c_str(), &endA), y = std::strtod(b.c_str(), &endB);
        return !a.empty() && !b.empty() && *endA == '\0' && *endB == '\0' &&
               std::fabs(x - y) <= 1e-9 * std::max({1.0, std::fabs(x), std::fabs(y)});
    };
    const std::vector<std::string> kept = cells(committed.str()), made = cells(module.str());
    const bool agree = kept.size() == made.size() && std::equal(kept.begin(), kept.end(), made.begin(), same);
    EXPECT_TRUE(agree) << "a needle's table changed: run `build/panelhost scales > resources/scales.tsv`, then "
                          "resources/make_bitmaps.py to paint the marks anew, and commit both";
}

// The dials whose faces carry a needle's scale, by needle (gauge and drawing
// number); knobs, the bank pointer and the heading bug have none on their face.
const std::set<std::pair<std::string, int>> paintedScales = {
    {"Airspeed", 2},          {"Vertical_Speed", 2},          {"Altimeter", 14},
    {"Turn_Coordinator", 4},  {"Flaps_Indicator", 2},         {"Manifold_Pressure", 2},
    {"Tachometer", 2},        {"Oil_Pressure", 2},            {"Oil_Pressure", 3},
    {"Oil_Temperature", 2},   {"Oil_Temperature", 3},         {"Carburetor_Temperature", 2},
    {"Carburetor_Temperature", 3}, {"Fuel_Pressure", 2},      {"Fuel_Pressure", 3},
    {"Fuel_Quantity", 2},     {"Fuel_Quantity", 3},           {"Hydraulic_Pressure", 2},
    {"Voltmeter", 2},         {"Battery_Bus_Ammeter", 2},     {"Left_Generator_Bus_Ammeter", 2},
    {"Right_Generator_Bus_Ammeter", 2},
};

double Luminance(const Rgb& c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

// A scale's mark is a short radial stroke: on the line the needle points
// along it stands out from the face a little to either side (a few degrees
// round the pivot), for a few pixels in a row. Coloured arcs and the plain
// face do not; numerals of the same mark lie on the same line.
constexpr double sideDegrees = 4;
constexpr double markContrast = 60;
constexpr int markSteps = 4;  // half pixels in a row

std::optional<double> LuminanceAt(const Picture& face, double x, double y) {
    const int px = static_cast<int>(std::lround(x));
    const int py = static_cast<int>(std::lround(y));
    if (px < 0 || py < 0 || px >= face.width || py >= face.height) return std::nullopt;
    return Luminance(face.At(px, py));
}

// Walks from the pivot through the point (from a third of the way there) to
// the face's edge; true at the first mark.
bool MarkOnRay(const Picture& face, PIXPOINT pivot, PIXPOINT point) {
    const double dx = point.x - pivot.x;
    const double dy = point.y - pivot.y;
    const double length = std::hypot(dx, dy);
    if (length == 0) return true;
    const double angle = std::atan2(dy, dx);
    const double side = sideDegrees * std::numbers::pi / 180;
    const auto along = [&](double a, double r) {
        return LuminanceAt(face, pivot.x + std::cos(a) * r, pivot.y + std::sin(a) * r);
    };
    int run = 0;
    for (double r = length / 3;; r += 0.5) {
        const auto centre = along(angle, r);
        if (!centre) return false;
        const auto left = along(angle - side, r);
        const auto right = along(angle + side, r);
        const bool stands = left && right && std::abs(*centre - *left) >= markContrast &&
                            std::abs(*centre - *right) >= markContrast;
        run = stands ? run + 1 : 0;
        if (run >= markSteps) return true;
    }
}

TEST_F(Scales, EveryTablePointHasAMarkWhereTheNeedlePoints) {
    panelhost::ModuleBitmaps bitmaps(host);
    std::set<std::pair<std::string, int>> checked;
    for (const ScaleRow& row : panelhost::NeedleScales(host)) {
        if (!paintedScales.count({row.gauge, row.element})) continue;
        checked.insert({row.gauge, row.element});
        const Picture* face = bitmaps.Find(row.face);
        ASSERT_NE(face, nullptr) << row.gauge << ": face " << row.face << " not found";
        EXPECT_TRUE(MarkOnRay(*face, row.pivot, row.point))
            << row.gauge << " needle " << row.element << ": no mark on face " << row.face
            << " towards (" << row.point.x << ',' << row.point.y << "), value " << row.value;
    }
    EXPECT_EQ(checked, paintedScales) << "a painted scale's needle has no table in the module";
}

}  // namespace
