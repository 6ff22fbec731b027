// Text elements and night lighting: text pixels inside their box in the
// text colour, the faces the gauges name found on the machine, and elements
// dimmed, lit or left bright at night by their flags.
#include <gtest/gtest.h>

#if defined(QR_CAIRO)

#include <algorithm>
#include <cstdio>

#include "host/picture/drawing.h"
#include "host/picture/renderer.h"
#include "tests/host/test_support.h"

extern GAUGEHDR PlateGauge;

namespace {

using panelhost::Lighting;
using panelhost::Picture;
using panelhost::Rgb;

constexpr Rgb grey{100, 100, 100};
constexpr Rgb yellow{255, 255, 0};

const char* plateText = "AB-CDE";

FLOAT64 FSAPI PlateText(ELEMENT_STRING* element) {
    std::snprintf(element->string, element->max_string_length + 1, "%s", plateText);
    return 0;
}

// Element 2: white bold text on a blue box; element 3: yellow text on a
// black background left out (transparency).
ELEMENT_STRING text = String({4, 4}, &PlateGauge, nullptr, IMAGE_USE_ERASE, nullptr, {},
                             {.box = {88, 24}, .characters = 7, .foreground = 0x00FFFFFF,
                              .background = 0x00800000, .font = "Arial", .weight = 700},
                             PlateText);
ELEMENT_STRING clearText = String({4, 34}, &PlateGauge, nullptr,
                                  IMAGE_USE_TRANSPARENCY | IMAGE_USE_ERASE | IMAGE_USE_BRIGHT, nullptr, {},
                                  {.box = {88, 24}, .characters = 7, .foreground = 0x0000FFFF, .background = 0,
                                   .font = "Quartz", .weight = 400},
                                  PlateText);
// Elements 4 to 6: lamps with no lighting flag, bright, luminous.
ELEMENT_STATIC_IMAGE plainLamp = {.header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 2, {100, 4}, &PlateGauge,
                                                          nullptr, IMAGE_USE_ERASE)};
ELEMENT_STATIC_IMAGE brightLamp = {.header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 2, {100, 20}, &PlateGauge,
                                                           nullptr, IMAGE_USE_ERASE | IMAGE_USE_BRIGHT)};
ELEMENT_STATIC_IMAGE luminousLamp = {.header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 2, {100, 36},
                                                             &PlateGauge, nullptr,
                                                             IMAGE_USE_ERASE | IMAGE_USE_LUMINOUS)};
ELEMENT_HEADER* plateParts[] = {&text.header,       &clearText.header,    &plainLamp.header,
                                &brightLamp.header, &luminousLamp.header, nullptr};
ELEMENT_STATIC_IMAGE plate = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1, {0, 0}, &PlateGauge, plateParts, 0),
};
ELEMENT_HEADER* plateElements[] = {&plate.header, nullptr};

}  // namespace

GAUGEHDR PlateGauge = TestGauge("Plate", plateElements, nullptr);

namespace {

class TextAndLight : public OneGaugeTest<&PlateGauge> {
protected:
    panelhost::MemoryBitmaps bitmaps;

    void SetUp() override {
        AttachAndPlace("Plate", "P");
        bitmaps.Add(1, Picture(120, 64, grey));
        bitmaps.Add(2, Picture(12, 12, yellow));
        host.Frame();
    }

    Picture Render(Lighting lighting) {
        Picture picture;
        std::string error;
        EXPECT_TRUE(panelhost::RenderInstance(host, "P", bitmaps, picture, &error, nullptr, lighting)) << error;
        return picture;
    }
};

// Pixels of the box (x0, y0, w, h) close to the colour.
int CountNear(const Picture& picture, int x0, int y0, int w, int h, Rgb colour, int tolerance = 40) {
    int count = 0;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            const Rgb& p = picture.At(x, y);
            if (std::abs(p.r - colour.r) <= tolerance && std::abs(p.g - colour.g) <= tolerance &&
                std::abs(p.b - colour.b) <= tolerance) {
                ++count;
            }
        }
    }
    return count;
}

TEST_F(TextAndLight, TextIsDrawnCentredInItsBoxInItsColours) {
    EXPECT_EQ(host.Text("P", 2), "AB-CDE");
    const Picture picture = Render(Lighting::Day);
    const Rgb white{255, 255, 255}, blue{0, 0, 128};
    // The box is filled with the background colour; the text lies inside it,
    // centred: as much of it left of the middle as right of it.
    EXPECT_EQ(picture.At(4, 4), blue);
    EXPECT_EQ(picture.At(91, 27), blue);
    EXPECT_EQ(picture.At(3, 4), grey);
    EXPECT_EQ(picture.At(92, 28), grey);
    const int left = CountNear(picture, 4, 4, 44, 24, white), right = CountNear(picture, 48, 4, 44, 24, white);
    EXPECT_GT(left, 40);
    EXPECT_GT(right, 40);
    EXPECT_LT(std::abs(left - right), (left + right) / 3);
    EXPECT_EQ(CountNear(picture, 4, 4, 88, 3, white), 0) << "no text in the box's top rows";
    EXPECT_EQ(CountNear(picture, 4, 25, 88, 3, white), 0) << "no text in the box's bottom rows";

    // Transparency leaves a black background out: the plate shows around
    // the yellow digits.
    EXPECT_EQ(picture.At(5, 35), grey);
    EXPECT_GT(CountNear(picture, 4, 34, 88, 24, yellow), 30);
}

TEST_F(TextAndLight, TextFollowsTheBufferAndAnEmptyTextDrawsOnlyTheBox) {
    plateText = "";
    host.Frame();
    Picture picture = Render(Lighting::Day);
    EXPECT_EQ(CountNear(picture, 4, 4, 88, 24, Rgb{0, 0, 128}, 0), 88 * 24);
    plateText = "WWWWWWW";  // wider than the box at full height: made smaller to fit
    host.Frame();
    picture = Render(Lighting::Day);
    EXPECT_GT(CountNear(picture, 4, 4, 88, 24, Rgb{255, 255, 255}), 40);
    for (int y = 4; y < 28; ++y) {
        EXPECT_EQ(picture.At(4, y), (Rgb{0, 0, 128})) << y;
        EXPECT_EQ(picture.At(91, y), (Rgb{0, 0, 128})) << y;
    }
    plateText = "AB-CDE";
}

TEST_F(TextAndLight, NightDimsPlainElementsLightsLuminousOnesAndLeavesBrightOnes) {
    const Picture day = Render(Lighting::Day);
    const Picture night = Render(Lighting::Night);
    const auto brightness = [](const Rgb& p) { return p.r + p.g + p.b; };
    EXPECT_EQ(day.At(105, 8), yellow);
    EXPECT_LT(brightness(night.At(0, 60)), brightness(grey) / 3) << "the plate lies in the dark";
    EXPECT_LT(brightness(night.At(105, 8)), brightness(yellow) / 3) << "a lamp without lighting flags";
    EXPECT_EQ(night.At(105, 24), yellow) << "a bright lamp";
    const Rgb lit = night.At(105, 40);
    EXPECT_GT(brightness(lit), brightness(yellow) / 2) << "a luminous lamp";
    EXPECT_LT(brightness(lit), brightness(yellow));
    // Text without lighting flags goes dark; bright text keeps its colour.
    EXPECT_EQ(CountNear(night, 4, 4, 88, 24, Rgb{255, 255, 255}), 0);
    EXPECT_EQ(CountNear(night, 4, 34, 88, 24, yellow, 0), CountNear(day, 4, 34, 88, 24, yellow, 0));
    EXPECT_GT(CountNear(night, 4, 34, 88, 24, yellow, 0), 10);
}

TEST(Fonts, TheGaugesFacesAreFoundThroughTheProjectsSubstitutions) {
    EXPECT_EQ(panelhost::ResolvedFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(panelhost::ResolvedFontFamily("Quartz").rfind("DSEG7", 0), 0u) << panelhost::ResolvedFontFamily("Quartz");
}

}  // namespace

#endif  // QR_CAIRO

#if defined(QR_CAIRO)

namespace {

// A NAV receiver switched off shows dark digits at night; switched on, its
// digits are lit by the panel lights as its routines mark them luminous.
TEST(NightLighting, ANavReceiverSwitchedOffShowsDarkDigits) {
    panelhost::Host host;
    std::string error;
    ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    ASSERT_TRUE(host.Place("Radio_NAV1", "NAV1"));
    host.SetNumber(50, 60);
    host.SetInteger(52, 1);
    host.SetInteger(24, 0x1795);  // 117.95
    host.Frame();
    panelhost::ModuleBitmaps bitmaps(host);

    // The digit drums: elements 2 to 7, moving images at their windows.
    int x0 = 1 << 20, y0 = 1 << 20, x1 = 0, y1 = 0;
    for (int n = 2; n <= 7; ++n) {
        const panelhost::ElementState& drum = host.Element("NAV1", n);
        if (drum.kind != ELEMENT_TYPE_MOVING_IMAGE) continue;
        x0 = std::min(x0, int(drum.record->position.x));
        y0 = std::min(y0, int(drum.record->position.y));
        x1 = std::max(x1, int(drum.record->position.x) + 8);
        y1 = std::max(y1, int(drum.record->position.y) + 12);
    }
    ASSERT_LT(x0, x1);
    const auto digits = [&](Lighting lighting) {
        Picture picture;
        EXPECT_TRUE(panelhost::RenderInstance(host, "NAV1", bitmaps, picture, &error, nullptr, lighting)) << error;
        long sum = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) sum += picture.At(x, y).r + picture.At(x, y).g + picture.At(x, y).b;
        }
        return sum;
    };
    const long dayOff = digits(Lighting::Day), nightOff = digits(Lighting::Night);
    EXPECT_LT(nightOff * 3, dayOff) << "switched off: the digits lie in the dark";

    ASSERT_TRUE(host.Click("NAV1", 70, 75));  // power
    host.Frame();
    const long nightOn = digits(Lighting::Night);
    EXPECT_GT(nightOn, nightOff * 2) << "switched on: the digits are lit";
    EXPECT_GT(nightOn * 2, digits(Lighting::Day));
}

}  // namespace

#endif  // QR_CAIRO
