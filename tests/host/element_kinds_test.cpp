// The host's per-kind work: every kind describes what it shows in its own
// words, and a kind the host does not know is kept, left alone each frame and
// drawn as a plain image.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/core/element_kinds.h"
#include "host/picture/renderer.h"
#include "host/script/scenario.h"
#include "tests/host/test_support.h"

extern GAUGEHDR DisplayGauge;
extern GAUGEHDR StrangeGauge;

namespace {

TEST(ElementKinds, ShowDescribesEachKindWithWhatItShows) {
    TestModule<1> module{{&DisplayGauge}};
    panelhost::Host host;
    ASSERT_TRUE(module.AttachTo(host));
    std::ostringstream out, err;
    ASSERT_TRUE(panelhost::RunScenarioText(host, "show.scn",
                                           "place Display as D\n"
                                           "set 1 15\nset 3 2\nset 4 7\nset 5 3\nset 6 90\nset 7 30\nset 8 2\n"
                                           "fail 8\n"  // the string element's failure hides it
                                           "frame\n"
                                           "show D\n",
                                           out, err))
        << err.str();
    EXPECT_EQ(out.str(),
              "D (Display)\n"
              "   1 static\n"
              "   2 needle value 15 angle 135\n"
              "   3 needle value 0 angle 0\n"
              "   4 needle value 0 angle 90\n"
              "   5 needle value 0 angle 0\n"
              "   6 icon value 2 image 2\n"
              "   7 string hidden\n"
              "   8 slider value 10 shift 6 -5\n"
              "   9 moving value 90 shift 0.75 0\n"
              "  10 sprite value 30 shift 3 0 rotation -30\n"
              "show.scn: ok, 0 expectations held\n");
    host.Unload();
}

// Kind 9 is none the host knows.
constexpr UINT32 strangeKind = 9;
ELEMENT_STATIC_IMAGE strange = {
    .header = ElementHeader(strangeKind, 2, {2, 1}, &StrangeGauge, nullptr, 0),
};
ELEMENT_HEADER* strangeList[] = {&strange.header, nullptr};
ELEMENT_STATIC_IMAGE face = {
    .header = ElementHeader(ELEMENT_TYPE_STATIC_IMAGE, 1, {0, 0}, &StrangeGauge, strangeList, 0),
};
ELEMENT_HEADER* strangeElements[] = {&face.header, nullptr};

TEST(ElementKinds, UnknownKindIsKeptAndDrawnAsAnImage) {
    EXPECT_STREQ(panelhost::KindOf(strangeKind).name, "unknown");
    EXPECT_STREQ(panelhost::KindOf(ELEMENT_TYPE_MOVING_IMAGE).name, "moving");

    TestModule<1> module{{&StrangeGauge}};
    panelhost::Host host;
    ASSERT_TRUE(module.AttachTo(host));
    ASSERT_TRUE(host.Place("Strange", "S"));
    host.SetNumber(1, 5);
    host.Frame();
    ASSERT_EQ(host.ElementCount("S"), 2);
    const panelhost::ElementState& state = host.Element("S", 2);
    EXPECT_EQ(state.kind, strangeKind);
    EXPECT_NE(state.record, &strange.header);  // the host's own copy
    EXPECT_EQ(state.value, 0.0);
    EXPECT_EQ(panelhost::DescribeElement(state), "unknown");

#if defined(QR_CAIRO)
    panelhost::MemoryBitmaps bitmaps;
    bitmaps.Add(1, panelhost::Picture(4, 3, {10, 10, 10}));
    bitmaps.Add(2, panelhost::Picture(1, 1, {200, 0, 0}));
    panelhost::Picture picture;
    std::string error;
    ASSERT_TRUE(panelhost::RenderInstance(host, "S", bitmaps, picture, &error)) << error;
    EXPECT_EQ(picture.At(2, 1), (panelhost::Rgb{200, 0, 0}));
    EXPECT_EQ(picture.At(1, 1), (panelhost::Rgb{10, 10, 10}));

    // A missing bitmap is reported with the kind's noun.
    panelhost::MemoryBitmaps backgroundOnly;
    backgroundOnly.Add(1, panelhost::Picture(4, 3));
    std::vector<std::string> skipped;
    ASSERT_TRUE(panelhost::RenderInstance(host, "S", backgroundOnly, picture, &error, &skipped));
    EXPECT_EQ(skipped, (std::vector<std::string>{"element 2 (image): bitmap 2 missing"}));
#endif
    host.Unload();
}

}  // namespace

GAUGEHDR StrangeGauge = TestGauge("Strange", strangeElements, nullptr);
