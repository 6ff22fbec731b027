// The two primary instruments as a pilot reads them: the radio altimeter's
// pointer sweeps one way round its dial, and the attitude's card fills its
// round opening at every pitch and bank it can show, on a plate as dark at
// night as its neighbours'.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/picture/bitmap_source.h"
#include "host/core/panel_host.h"
#include "host/picture/renderer.h"
#include "module/tokens.h"

namespace {

constexpr double metresPerFoot = 0.3047999902464003;

class PrimaryInstruments : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error; }

    panelhost::Host host;
    std::string error;
};

// Pointer (element 2) and decision-height index (3) share one table; the
// knob (5) turns twenty times as far as the index.
TEST_F(PrimaryInstruments, RadioAltimeterSweepsClockwiseFromTheBottom) {
    ASSERT_TRUE(host.Place("Radio_Altimeter", "RA", {}, &error)) << error;
    ASSERT_TRUE(host.Place("Radio_Altimeter_Switch", "Switch", {}, &error)) << error;
    host.Frame();
    ASSERT_TRUE(host.Click("Switch", 20, 60));
    // Clockwise from +x, screen y down: 0 ft straight below the pivot, 500
    // ft near the top, 1000 ft at the lower right, 2500 ft a little further.
    const struct {
        double feet, degrees;
    } readings[] = {{0, 89.53}, {500, 249.65}, {1000, 409.76}, {2500, 420.75}};
    double before = -1e9;
    for (const auto& reading : readings) {
        host.SetNumber(tokenRadioHeight, reading.feet * metresPerFoot);
        host.SetNumber(tokenDecisionHeight, reading.feet * metresPerFoot);
        host.Frame();
        const double pointer = host.Angle("RA", 2);
        EXPECT_NEAR(pointer, reading.degrees, 0.05) << reading.feet << " ft";
        EXPECT_GT(pointer, before) << reading.feet << " ft: the pointer turned back";
        EXPECT_NEAR(host.Angle("RA", 3), pointer, 1e-9) << reading.feet << " ft: index";
        EXPECT_NEAR(host.Value("RA", 5), 20 * pointer, 1e-6) << reading.feet << " ft: knob";
        before = pointer;
    }
}

#if defined(QR_CAIRO)

constexpr int centreX = 127, centreY = 130;
constexpr double openingRadius = 95;
constexpr double bezelRadius = 100;  // past it only the bezel and case lie

bool Dark(const panelhost::Rgb& c) { return std::max({c.r, c.g, c.b}) < 40; }

class AttitudePictures : public PrimaryInstruments {
protected:
    void SetUp() override {
        PrimaryInstruments::SetUp();
        ASSERT_TRUE(host.Place("Attitude", "A", {}, &error)) << error;
    }

    panelhost::Picture At(double pitch, double bank, panelhost::Lighting lighting = panelhost::Lighting::Day) {
        host.SetNumber(tokenPitch, pitch);
        host.SetNumber(tokenBank, bank);
        host.Frame();
        panelhost::ModuleBitmaps bitmaps(host);
        panelhost::Picture picture;
        EXPECT_TRUE(panelhost::RenderInstance(host, "A", bitmaps, picture, &error, nullptr, lighting)) << error;
        return picture;
    }

    static double Distance(int x, int y) { return std::hypot(x - centreX, y - centreY); }
};

TEST_F(AttitudePictures, CardFillsTheOpeningAtTheCornersOfItsRange) {
    const panelhost::Picture level = At(0, 0);
    const struct {
        double pitch, bank;
    } corners[] = {{0, 0}, {40, 60}, {-40, -120}, {40, 180}, {-40, 90}, {40, -45}, {-40, 0}};
    for (const auto& corner : corners) {
        const panelhost::Picture picture = At(corner.pitch, corner.bank);
        ASSERT_EQ(picture.width, level.width);
        int inside = 0, dark = 0, changedOutside = 0;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const double r = Distance(x, y);
                if (r <= openingRadius) {
                    ++inside;
                    dark += Dark(picture.At(x, y));
                } else if (r > bezelRadius) {
                    changedOutside += !(picture.At(x, y) == level.At(x, y));
                }
            }
        }
        EXPECT_LT(dark, inside / 50) << "pitch " << corner.pitch << " bank " << corner.bank;
        EXPECT_EQ(changedOutside, 0) << "pitch " << corner.pitch << " bank " << corner.bank;
    }
}

TEST_F(AttitudePictures, PlateIsAsDarkAtNightAsTheAirspeedIndicators) {
    ASSERT_TRUE(host.Place("Airspeed", "S", {}, &error)) << error;
    const panelhost::Picture attitude = At(0, 0, panelhost::Lighting::Night);
    panelhost::ModuleBitmaps bitmaps(host);
    panelhost::Picture airspeed;
    ASSERT_TRUE(panelhost::RenderInstance(host, "S", bitmaps, airspeed, &error, nullptr, panelhost::Lighting::Night));
    const auto brightness = [](const panelhost::Rgb& c) { return (c.r + c.g + c.b) / 3.0; };
    const double neighbour = brightness(airspeed.At(3, 3));
    for (const auto& [x, y] : {std::pair{3, 3}, {attitude.width - 4, 3}, {3, attitude.height - 4},
                               {attitude.width - 4, attitude.height - 4}}) {
        EXPECT_LE(brightness(attitude.At(x, y)), neighbour + 4) << x << "," << y;
    }
}

#endif  // QR_CAIRO

}  // namespace
