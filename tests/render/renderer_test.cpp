// Pictures of placed gauges: synthetic gauges drawn from synthetic bitmaps,
// checked pixel by pixel, the picture files, and every gauge of the module
// drawn from its own bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>

#include "host/picture/painter.h"
#include "host/picture/renderer.h"
#include "host/script/scenario.h"
#include "tests/host/test_support.h"

namespace {

using panelhost::Picture;
using panelhost::Rgb;

constexpr Rgb grey{40, 40, 40};
constexpr Rgb white{255, 255, 255};
constexpr Rgb black{0, 0, 0};
constexpr Rgb red{255, 0, 0};
constexpr Rgb green{0, 255, 0};
constexpr Rgb blue{0, 0, 255};
constexpr Rgb yellow{255, 255, 0};
constexpr Rgb cyan{0, 255, 255};
constexpr Rgb magenta{255, 0, 255};
constexpr Rgb orange{255, 128, 0};

}  // namespace

#if defined(QR_CAIRO)  // the cairo painter, pixel by pixel

extern GAUGEHDR CanvasGauge;

namespace {

using panelhost::Picture;
using panelhost::Rgb;


FAILURE_RECORD hideOnPanelPower[] = {{FAIL_SYSTEM_ELECTRICAL_PANELS, FAIL_ACTION_NO_DRAW, 0}, {}};

// Token numbers.
enum : SINT32 { NeedleAngle = 1, OpaqueAngle, IconImage, SliderX, DrumValue, SpriteTurn, SpriteShift };

ELEMENT_NEEDLE needle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 10, {16, 16}, &CanvasGauge, nullptr, IMAGE_USE_TRANSPARENCY,
                            nullptr, {0, 1}),
    .source_var = Token(NeedleAngle),
};
ELEMENT_NEEDLE opaqueNeedle = {
    .header = ElementHeader(ELEMENT_TYPE_NEEDLE, 10, {16, 40}, &CanvasGauge, nullptr, 0, nullptr, {0, 1}),
    .source_var = Token(OpaqueAngle),
};
ELEMENT_ICON icon = {
    .header = ElementHeader(ELEMENT_TYPE_ICON, 20, {40, 4}, &CanvasGauge, nullptr, 0),
    .source_var = Token(IconImage),
    .scale = 1.0,
    .picture_count = 3,
};
ELEMENT_STATIC_IMAGE cyanChild = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 31, {56, 4}, &CanvasGauge, nullptr, 0),
};
ELEMENT_HEADER* lampChildren[] = {&cyanChild.header, nullptr};
ELEMENT_STATIC_IMAGE lamp = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 30, {48, 4}, &CanvasGauge, lampChildren, 0,
                            hideOnPanelPower),
};
ELEMENT_STATIC_IMAGE over = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 41, {7, 51}, &CanvasGauge, nullptr, 0),
};
ELEMENT_HEADER* underChildren[] = {&over.header, nullptr};
ELEMENT_STATIC_IMAGE under = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 40, {4, 48}, &CanvasGauge, underChildren, 0),
};
ELEMENT_SLIDER slider = {
    .header = ElementHeader(ELEMENT_TYPE_SLIDER, 50, {0, 60}, &CanvasGauge, nullptr, 0),
    .source_var_x = Token(SliderX),
    .scale_x = 2.0,
};
// Two drums of eleven 3-pixel cells: one with a window bitmap, one without.
constexpr MovingAxis drumTravel{.token = SimToken(DrumValue), .min = 0, .max = 10};
ELEMENT_MOVING_IMAGE drum = MovingImage(60, {30, 40}, &CanvasGauge, nullptr, 0, nullptr, {}, drumTravel);
// No x source: the x range does not move the strip.
ELEMENT_MOVING_IMAGE bareDrum =
    MovingImage(62, {36, 40}, &CanvasGauge, nullptr, 0, nullptr, {.min = 5, .max = 1}, drumTravel);
ELEMENT_SPRITE sprite = {
    .header = ElementHeader(ELEMENT_TYPE_SPRITE, 70, {44, 40}, &CanvasGauge, nullptr, IMAGE_USE_TRANSPARENCY,
                            nullptr, {48, 44}),
    .source_var_x = Token(SpriteShift),
    .scale_x = 1.0,
    .scale_y = 1.0,
    .source_var_0 = Token(SpriteTurn),
    .scale_0 = 1.0,
    .texture_scale_x = 1.0f,
    .texture_scale_y = 1.0f,
};
ELEMENT_HEADER* faceParts[] = {&needle.header, &opaqueNeedle.header, &icon.header, &lamp.header,
                               &under.header,  &slider.header,       &drum.header, &bareDrum.header,
                               &sprite.header, nullptr};
ELEMENT_STATIC_IMAGE face = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1, {0, 0}, &CanvasGauge, faceParts, IMAGE_USE_TRANSPARENCY),
};
ELEMENT_HEADER* canvasElements[] = {&face.header, nullptr};

}  // namespace

GAUGEHDR CanvasGauge = TestGauge("Canvas", canvasElements, nullptr);

namespace {

Picture Filled(int w, int h, Rgb colour) { return Picture(w, h, colour); }

Rgb DrumCell(int cell) { return Rgb{std::uint8_t(cell * 20 + 10), 0, 200}; }

// A strip of eleven cells of 3 rows each.
Picture DrumStrip() {
    Picture strip(3, 33);
    for (int y = 0; y < 33; ++y) {
        for (int x = 0; x < 3; ++x) strip.At(x, y) = DrumCell(y / 3);
    }
    return strip;
}

// A white line along +x from the pivot (0,1) on black: rows 0 and 2 black.
Picture NeedleBitmap() {
    Picture bitmap(12, 3, black);
    for (int x = 0; x < 12; ++x) bitmap.At(x, 1) = white;
    return bitmap;
}

// A 9x9 texture, black but for a white line from its centre (4,4) to the right.
Picture SpriteTexture() {
    Picture bitmap(9, 9, black);
    for (int x = 4; x < 9; ++x) bitmap.At(x, 4) = white;
    return bitmap;
}

class RenderTest : public OneGaugeTest<&CanvasGauge> {
protected:
    panelhost::MemoryBitmaps bitmaps;

    void SetUp() override {
        AttachAndPlace("Canvas", "C");
        bitmaps.Add(1, Filled(64, 64, grey));
        bitmaps.Add(10, NeedleBitmap());
        bitmaps.Add(20, Filled(4, 4, red));
        bitmaps.Add(21, Filled(4, 4, green));
        bitmaps.Add(22, Filled(4, 4, blue));
        bitmaps.Add(30, Filled(4, 4, yellow));
        bitmaps.Add(31, Filled(2, 2, cyan));
        bitmaps.Add(40, Filled(6, 6, magenta));
        bitmaps.Add(41, Filled(6, 6, orange));
        bitmaps.Add(50, Filled(2, 2, white));
        bitmaps.Add(60, DrumStrip());
        bitmaps.Add(61, Filled(3, 3, black));  // the window: only its size counts
        bitmaps.Add(62, DrumStrip());
        bitmaps.Add(70, SpriteTexture());
        host.SetNumber(IconImage, -1);
    }

    Picture Render() {
        Picture picture;
        std::string error;
        std::vector<std::string> skipped;
        EXPECT_TRUE(panelhost::RenderInstance(host, "C", bitmaps, picture, &error, &skipped)) << error;
        EXPECT_TRUE(skipped.empty()) << skipped.front();
        return picture;
    }
    Picture FrameAndRender() {
        host.Frame();
        return Render();
    }
    // Sets TOKEN to VALUE, draws a frame and checks the colour of each pixel.
    struct Pixel {
        int x, y;
        Rgb colour;
    };
    void ExpectDrawnAt(SINT32 token, double value, std::initializer_list<Pixel> pixels) {
        host.SetNumber(token, value);
        const Picture picture = FrameAndRender();
        for (const Pixel& p : pixels) {
            EXPECT_EQ(picture.At(p.x, p.y), p.colour) << "at " << p.x << "," << p.y << " with " << value;
        }
    }
};

TEST_F(RenderTest, PictureIsTheBackgroundsSize) {
    const Picture picture = FrameAndRender();
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(picture.height, 64);
    EXPECT_EQ(picture.At(63, 0), grey);
}

TEST_F(RenderTest, NeedleTurnsClockwiseAboutItsPivot) {
    // The pivot sits on the position; the needle is twelve pixels long.
    ExpectDrawnAt(NeedleAngle, 0, {{16, 16, white}, {27, 16, white}, {28, 16, grey}, {16, 24, grey}});
    // Screen y points down: 90 degrees is straight down.
    ExpectDrawnAt(NeedleAngle, 90, {{16, 24, white}, {16, 27, white}, {24, 16, grey}, {16, 8, grey}});
    ExpectDrawnAt(NeedleAngle, -90, {{16, 8, white}, {16, 24, grey}});
    ExpectDrawnAt(NeedleAngle, 45, {{22, 22, white}, {22, 10, grey}});
}

TEST_F(RenderTest, BlackIsTransparentOnlyWithTheFlag) {
    host.SetNumber(NeedleAngle, 0);
    host.SetNumber(OpaqueAngle, 0);
    const Picture picture = FrameAndRender();
    // Rows 0 and 2 of the needle bitmap are black.
    EXPECT_EQ(picture.At(20, 15), grey);
    EXPECT_EQ(picture.At(20, 17), grey);
    EXPECT_EQ(picture.At(20, 39), black);
    EXPECT_EQ(picture.At(20, 41), black);
    EXPECT_EQ(picture.At(20, 40), white);
}

TEST_F(RenderTest, IconDrawsTheShownImage) {
    const std::pair<double, Rgb> cases[] = {{0, red}, {1, green}, {2.5, blue}, {-1, grey}, {3, grey}};
    for (const auto& [value, colour] : cases) {
        host.SetNumber(IconImage, value);
        const Picture picture = FrameAndRender();
        EXPECT_EQ(picture.At(41, 5), colour) << value;
        EXPECT_EQ(picture.At(44, 5), grey) << value;  // four pixels wide
    }
}

TEST_F(RenderTest, HiddenElementIsNotDrawnButItsNextListIs) {
    Picture picture = FrameAndRender();
    EXPECT_EQ(picture.At(49, 5), yellow);
    EXPECT_EQ(picture.At(56, 4), cyan);
    host.Fail(FAIL_SYSTEM_ELECTRICAL_PANELS);
    picture = FrameAndRender();
    EXPECT_EQ(picture.At(49, 5), grey);
    EXPECT_EQ(picture.At(56, 4), cyan);
}

TEST_F(RenderTest, LaterElementsCoverEarlierOnes) {
    const Picture picture = FrameAndRender();
    EXPECT_EQ(picture.At(5, 49), magenta);
    EXPECT_EQ(picture.At(8, 52), orange);  // the next list lies over its element
    EXPECT_EQ(picture.At(12, 56), orange);
}

TEST_F(RenderTest, SliderMovesByItsShift) {
    ExpectDrawnAt(SliderX, 0, {{0, 60, white}});
    // Scale 2: ten pixels.
    ExpectDrawnAt(SliderX, 5, {{0, 60, grey}, {10, 60, white}, {11, 61, white}, {12, 60, grey}});
}

TEST_F(RenderTest, DrumShowsTheCellOfItsValueInsideItsWindow) {
    for (const int value : {0, 5, 10}) {
        host.SetNumber(DrumValue, value);
        const Picture picture = FrameAndRender();
        for (const int x : {30, 36}) {  // with and without a window bitmap
            EXPECT_EQ(picture.At(x, 40), DrumCell(value)) << value << " at x " << x;
            EXPECT_EQ(picture.At(x + 2, 42), DrumCell(value)) << value << " at x " << x;
            EXPECT_EQ(picture.At(x, 43), grey) << "clipped below the window";
            EXPECT_EQ(picture.At(x, 39), grey) << "clipped above the window";
        }
    }
    host.SetNumber(DrumValue, 99);  // held at the end of the strip
    EXPECT_EQ(FrameAndRender().At(30, 41), DrumCell(10));
}

TEST_F(RenderTest, SpriteTurnsAboutItsCentreAndShifts) {
    // The centre: the offset, a point of the gauge (4,4 inside the texture
    // lying at 44,40), where the gauge's other parts turn too.
    ExpectDrawnAt(SpriteTurn, 0, {{48, 44, white}, {52, 44, white}, {48, 47, grey}});
    ExpectDrawnAt(SpriteTurn, 90, {{48, 47, white}, {52, 44, grey}});
    ExpectDrawnAt(SpriteShift, 2, {{50, 47, white}, {48, 47, grey}});
}

TEST_F(RenderTest, MissingBitmapsSkipTheirElementsOnly) {
    panelhost::MemoryBitmaps few;
    few.Add(1, Filled(64, 64, grey));
    few.Add(40, Filled(6, 6, magenta));
    host.SetNumber(IconImage, 1);
    host.Frame();
    Picture picture;
    std::vector<std::string> skipped;
    ASSERT_TRUE(panelhost::RenderInstance(host, "C", few, picture, nullptr, &skipped));
    EXPECT_EQ(picture.At(5, 49), magenta);
    EXPECT_EQ(picture.At(8, 52), magenta);  // the cover over it has no bitmap
    ASSERT_FALSE(skipped.empty());
    EXPECT_EQ(skipped.front(), "element 2 (needle): bitmap 10 missing");
    EXPECT_NE(std::find(skipped.begin(), skipped.end(), "element 4 (icon): bitmap 21 missing"), skipped.end());

    panelhost::MemoryBitmaps none;
    std::string error;
    EXPECT_FALSE(panelhost::RenderInstance(host, "C", none, picture, &error));
    EXPECT_EQ(error, "C: no usable background bitmap 1");
    EXPECT_FALSE(panelhost::RenderInstance(host, "nobody", few, picture, &error));
}

TEST_F(RenderTest, OddValuesDrawWithoutHarm) {
    // Shifts and angles far beyond the picture, and values that are not numbers.
    const double odd[] = {1e300, -1e300, std::nan(""), HUGE_VAL, 1e18};
    for (const double value : odd) {
        for (SINT32 token = NeedleAngle; token <= SpriteShift; ++token) host.SetNumber(token, value);
        const Picture picture = FrameAndRender();
        EXPECT_EQ(picture.At(63, 0), grey) << value;
    }
}

}  // namespace

#endif  // QR_CAIRO

namespace {

using panelhost::Picture;
using panelhost::Rgb;

// --- Bitmap resources ----------------------------------------------------------

void Put16(std::vector<std::uint8_t>& out, int value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::int64_t value) {
    Put16(out, int(value & 0xFFFF));
    Put16(out, int((value >> 16) & 0xFFFF));
}

std::vector<std::uint8_t> InfoHeader(int width, int height, int bits, int colours = 0) {
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);
    Put16(out, bits);
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    Put32(out, colours);
    Put32(out, 0);
    return out;
}

TEST(DibDecoding, PalettizedRowsAreBottomUpAndPadded) {
    // 3x2, two palette entries: bottom row (stored first) 0 1 0, top row 1 1 0.
    std::vector<std::uint8_t> dib = InfoHeader(3, 2, 8, 2);
    dib.insert(dib.end(), {0, 0, 255, 0, 255, 0, 0, 0});  // red, blue (stored blue, green, red)
    dib.insert(dib.end(), {0, 1, 0, 0xEE, 1, 1, 0, 0xEE});
    Picture picture;
    std::string error;
    ASSERT_TRUE(panelhost::DecodeDib(dib.data(), dib.size(), picture, &error)) << error;
    ASSERT_EQ(picture.width, 3);
    ASSERT_EQ(picture.height, 2);
    EXPECT_EQ(picture.At(0, 0), blue);
    EXPECT_EQ(picture.At(2, 0), red);
    EXPECT_EQ(picture.At(0, 1), red);
    EXPECT_EQ(picture.At(1, 1), blue);

    dib.pop_back();  // the last row's padding cut off
    EXPECT_FALSE(panelhost::DecodeDib(dib.data(), dib.size(), picture, &error));
}

TEST(DibDecoding, TrueColourTopDownAndFileHeader) {
    std::vector<std::uint8_t> dib = InfoHeader(1, -2, 24);
    dib.insert(dib.end(), {255, 0, 0, 0, 0, 0, 255, 0});  // blue, then red (stored B G R), each padded to 4
    Picture picture;
    ASSERT_TRUE(panelhost::DecodeDib(dib.data(), dib.size(), picture));
    EXPECT_EQ(picture.At(0, 0), blue);
    EXPECT_EQ(picture.At(0, 1), red);

    std::vector<std::uint8_t> file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    file.insert(file.end(), dib.begin(), dib.end());
    ASSERT_TRUE(panelhost::DecodeDib(file.data(), file.size(), picture));
    EXPECT_EQ(picture.At(0, 1), red);
}

TEST(DibDecoding, OddHeadersAreRefused) {
    Picture picture;
    const struct {
        int width, height, bits;
    } odd[] = {{0, 1, 24}, {1, 0, 24}, {5000, 1, 24}, {1, -5000, 24}, {1, INT32_MIN, 24}, {1, 1, 2},
               {-1, 1, 24}, {4096, 4096, 24}};
    for (const auto& [width, height, bits] : odd) {
        std::vector<std::uint8_t> dib = InfoHeader(width, height, bits);
        dib.resize(dib.size() + 64, 0);
        EXPECT_FALSE(panelhost::DecodeDib(dib.data(), dib.size(), picture))
            << width << "x" << height << " " << bits;  // the last one is only cut short
    }
    std::vector<std::uint8_t> compressed = InfoHeader(1, 1, 8);
    compressed[16] = 4;  // JPEG inside
    compressed.resize(compressed.size() + 1024 + 4, 0);
    EXPECT_FALSE(panelhost::DecodeDib(compressed.data(), compressed.size(), picture));
    EXPECT_FALSE(panelhost::DecodeDib(nullptr, 100, picture));
    EXPECT_FALSE(panelhost::DecodeDib(compressed.data(), 39, picture));
}

// --- Picture files -------------------------------------------------------------

Picture Sample() {
    Picture picture(5, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) picture.At(x, y) = Rgb{std::uint8_t(x * 50), std::uint8_t(y * 100), 7};
    }
    return picture;
}

TEST(PictureFiles, BmpReadsBackAsTheSamePicture) {
    const Picture picture = Sample();
    const std::vector<std::uint8_t> bmp = panelhost::EncodeBmp(picture);
    EXPECT_EQ(bmp.size(), 54u + 16u * 3u);  // 15 bytes a row padded to 16
    Picture back;
    ASSERT_TRUE(panelhost::DecodeDib(bmp.data(), bmp.size(), back));
    EXPECT_EQ(back.pixels, picture.pixels);
}

// PNG files come from the painter, compressed, and read back as drawn.
TEST(PictureFiles, PngReadsBackAsTheSamePictureAndIsCompressed) {
    Picture picture(200, 120);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) picture.At(x, y) = Rgb{std::uint8_t(x), std::uint8_t(y), 9};
    }
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("qr417_png_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".PNG");
    std::string error;
    ASSERT_TRUE(panelhost::WritePicture(picture, path.string(), &error)) << error;
    // Compressed: cairo's filtered rows take a quarter of the pixels' bytes at
    // most; Wine's GDI+ encoder does not filter rows and takes more, but
    // still less than the pixels.
#if defined(_WIN32)
    constexpr std::uintmax_t compressedBytes = 200u * 120u * 3u;
#else
    constexpr std::uintmax_t compressedBytes = 200u * 120u * 3u / 4u;
#endif
    EXPECT_LT(std::filesystem::file_size(path), compressedBytes);
    const std::optional<Picture> back = panelhost::ReadPngFile(path.string());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pixels, picture.pixels);
    std::filesystem::remove(path);
    EXPECT_FALSE(panelhost::WritePicture(picture, "/nonexistent/folder/x.png", &error));
    EXPECT_NE(error.find("cannot write /nonexistent/folder/x.png"), std::string::npos) << error;
}

#if defined(QR_CAIRO)  // the synthetic gauge of the cairo pictures above

// --- Scenario line -------------------------------------------------------------

TEST_F(RenderTest, RenderLineWritesIntoTheOutputFolder) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("qr417_render_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::remove_all(folder);
    panelhost::ScenarioOptions options{.outputDirectory = folder.string(), .bitmaps = &bitmaps};
    std::ostringstream out, err;
    ASSERT_TRUE(panelhost::RunScenarioText(host, "render.scn",
                                           "set 3 2\nframe\nrender C pictures/canvas.bmp\nrender C canvas.png\n",
                                           out, err, options))
        << err.str();
    std::vector<std::uint8_t> bytes;
    {
        std::ifstream file(folder / "pictures" / "canvas.bmp", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(file), {});
    }
    Picture back;
    ASSERT_TRUE(panelhost::DecodeDib(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.width, 64);
    EXPECT_EQ(back.At(41, 5), blue);
    const std::optional<Picture> png = panelhost::ReadPngFile((folder / "canvas.png").string());
    ASSERT_TRUE(png);
    EXPECT_EQ(png->At(41, 5), blue);

    EXPECT_FALSE(panelhost::RunScenarioText(host, "bad.scn", "render nobody x.bmp\n", out, err, options));
    EXPECT_FALSE(panelhost::RunScenarioText(host, "bad.scn", "render C\n", out, err, options));
    panelhost::MemoryBitmaps none;
    options.bitmaps = &none;
    std::ostringstream noBackground;
    EXPECT_FALSE(panelhost::RunScenarioText(host, "bad.scn", "render C x.bmp\n", out, noBackground, options));
    EXPECT_NE(noBackground.str().find("bad.scn:1: render: C: no usable background bitmap 1"), std::string::npos)
        << noBackground.str();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

#endif  // QR_CAIRO

// --- The module's own gauges ----------------------------------------------------

TEST(ModuleGauges, EveryGaugeDrawsFromItsOwnBitmaps) {
    panelhost::Host host;
    std::string error;
    ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
    panelhost::ModuleBitmaps bitmaps(host);
    const auto gauges = host.Gauges();
    ASSERT_FALSE(gauges.empty());
    int drawn = 0;
    for (const panelhost::GaugeEntry& entry : gauges) {
        if (host.Has(entry.name)) continue;  // listed twice
        Picture picture;
        std::vector<std::string> skipped;
        const bool ok = panelhost::PreviewGauge(host, entry.name, std::nullopt, bitmaps, picture, &error, &skipped);
        if (!ok && drawn == 0 && error.find("no usable background") != std::string::npos &&
            bitmaps.Problem(host.Element(entry.name, 1).record->resource_id).find("has no bitmap") !=
                std::string::npos) {
            GTEST_SKIP() << "the module carries no bitmaps yet: " << error;
        }
        ASSERT_TRUE(ok) << entry.name << ": " << error;
        EXPECT_TRUE(skipped.empty()) << entry.name << ": " << skipped.front();
        const Picture* background = bitmaps.Find(host.Element(entry.name, 1).record->resource_id);
        ASSERT_NE(background, nullptr);
        EXPECT_EQ(picture.width, background->width) << entry.name;
        EXPECT_EQ(picture.height, background->height) << entry.name;
        // Something is drawn, unless the background itself is all black (transparent).
        const auto allBlack = [](const Picture& p) {
            return std::all_of(p.pixels.begin(), p.pixels.end(), [](const Rgb& c) { return c == black; });
        };
        EXPECT_FALSE(allBlack(picture) && !allBlack(*background)) << entry.name << " draws nothing";
        ++drawn;
    }
}

}  // namespace
