// Editing a panel configuration in place: only the lines a change is about
// move, in the file's own style; refused changes leave every byte; saving
// keeps the old file whole until the new one is complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/panel/panel_edit.h"

namespace panelhost {
namespace {

const TableGauge table[] = {{"Airspeed"}, {"Altimeter"}, {"Attitude"}, {"Radio_COM1"}};

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string WithCrlf(const std::string& text) {
    std::string out;
    for (const char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// Lines of `after` that differ from `before`, as "-old" and "+new".
std::vector<std::string> Changed(const std::string& before, const std::string& after) {
    const auto split = [](const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };
    const auto a = split(before), b = split(after);
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    std::size_t tail = 0;
    while (tail + head < a.size() && tail + head < b.size() && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    std::vector<std::string> out;
    for (std::size_t i = head; i + tail < a.size(); ++i) out.push_back("-" + a[i]);
    for (std::size_t i = head; i + tail < b.size(); ++i) out.push_back("+" + b[i]);
    return out;
}

PanelEdit Edit(PanelEditKind kind, std::string window, std::string gauge = {}) {
    PanelEdit edit;
    edit.kind = kind;
    edit.window = std::move(window);
    edit.gauge = std::move(gauge);
    return edit;
}
PanelEdit Move(std::string window, std::string gauge, std::optional<int> x, std::optional<int> y) {
    PanelEdit edit = Edit(PanelEditKind::Move, std::move(window), std::move(gauge));
    edit.x = x;
    edit.y = y;
    return edit;
}
PanelEdit Resize(std::string window, std::string gauge, int width, std::optional<int> height) {
    PanelEdit edit = Edit(PanelEditKind::Resize, std::move(window), std::move(gauge));
    edit.width = width;
    edit.height = height;
    return edit;
}
PanelEdit Add(std::string window, std::string name, int x, int y, std::optional<int> width = std::nullopt) {
    PanelEdit edit = Edit(PanelEditKind::Add, std::move(window));
    edit.name = std::move(name);
    edit.x = x;
    edit.y = y;
    edit.width = width;
    return edit;
}
PanelEdit Params(std::string window, std::string gauge, std::string text) {
    PanelEdit edit = Edit(PanelEditKind::Params, std::move(window), std::move(gauge));
    edit.text = std::move(text);
    return edit;
}
PanelEdit Key(std::string window, std::string key, std::string value) {
    PanelEdit edit = Edit(PanelEditKind::Window, std::move(window));
    edit.key = std::move(key);
    edit.value = std::move(value);
    return edit;
}
PanelEdit NewWindow(std::string window, std::string title) {
    PanelEdit edit = Edit(PanelEditKind::AddWindow, std::move(window));
    edit.text = std::move(title);
    return edit;
}

// The odd spacing, key case, comments and unknown lines designers' files hold.
const std::string odd =
    "\xEF\xBB\xBF; made by hand\n"
    "[Window Titles]\n"
    "Window00=Main\n"
    "\n"
    "[Window00]\n"
    "SIZE_MM = 1600,900   ; design space\n"
    "my_own_key=kept\n"
    "Gauge00 = QR417_Instr!Airspeed,300,60,200  // the speed\n"
    "Gauge01 = Other!Clock,  10 ,  20\n"
    "Gauge02 = QR417_Instr!Altimeter, 720, 60, 200, , s1\n"
    "\n"
    "[Unknown Section]\n"
    "anything=at all\n"
    "[Window01]\n"
    "size_mm=400,300\n"
    "gauge00=QR417_Instr!Radio_COM1,0,0,400";  // no line end at the end

std::vector<std::string> Configurations() {
    std::vector<std::string> texts{odd, WithCrlf(odd)};
    for (const char* name : {"panels/corvane/panel.cfg", "tests/panel/configs/quirks.cfg",
                             "tests/panel/configs/light_aircraft.cfg", "docs/gauges/gauges.cfg"}) {
        const std::string text = FileText(std::filesystem::path(QR_SOURCE_DIR) / name);
        texts.push_back(text);
        texts.push_back(WithCrlf(text));
    }
    return texts;
}

TEST(PanelEdit, MovesThereAndBackGiveTheSameBytes) {
    for (const std::string& text : Configurations()) {
        PanelDocument document(text, "panel.cfg");
        for (const PanelWindow& window : document.Config().windows) {
            for (const PanelGauge& gauge : window.gauges) {
                if (gauge.x < 0 || gauge.y < 0) continue;
                // To where it stands: nothing written; one over and back: the same bytes.
                const PanelEdit there[] = {Move(window.section, gauge.key, gauge.x, gauge.y)};
                const PanelEdit away[] = {Move(window.section, gauge.key, gauge.x + 1, gauge.y),
                                          Move(window.section, gauge.key, gauge.x, gauge.y)};
                EditRefusal refusal;
                ASSERT_TRUE(document.Apply(there, table, &refusal)) << refusal.reason;
                ASSERT_TRUE(document.Apply(away, table, &refusal)) << window.section << "." << gauge.key << ": " << refusal.reason;
                ASSERT_EQ(document.Text(), text) << window.section << "." << gauge.key;
            }
        }
    }
}

TEST(PanelEdit, EachChangeRewritesItsLineInTheFilesStyle) {
    const std::string crlf = WithCrlf(odd);
    PanelDocument document(crlf, "panel.cfg");
    const PanelEdit move[] = {Move("window00", "GAUGE00", 320, 60)};
    ASSERT_TRUE(document.Apply(move, table, nullptr));
    EXPECT_EQ(Changed(crlf, document.Text()),
              (std::vector<std::string>{"-Gauge00 = QR417_Instr!Airspeed,300,60,200  // the speed\r",
                                        "+Gauge00 = QR417_Instr!Airspeed,320,60,200  // the speed\r"}));

    // A height added before the trailing comment; one taken away again.
    const PanelEdit resize[] = {Resize("Window00", "gauge00", 210, 230)};
    ASSERT_TRUE(document.Apply(resize, table, nullptr));
    EXPECT_EQ(document.GaugeLine(document.Config().windows[0].gauges[0]),
              "Gauge00 = QR417_Instr!Airspeed,320,60,210,230  // the speed");
    const PanelEdit aspect[] = {Resize("Window00", "gauge02", 180, std::nullopt)};
    ASSERT_TRUE(document.Apply(aspect, table, nullptr));
    EXPECT_EQ(document.GaugeLine(document.Config().windows[0].gauges[2]),
              "Gauge02 = QR417_Instr!Altimeter, 720, 60, 180, , s1");

    // Parameters after empty width and height; none again drops them.
    const PanelEdit params[] = {Params("Window01", "gauge00", "r240, g1")};
    ASSERT_TRUE(document.Apply(params, table, nullptr));
    EXPECT_EQ(document.GaugeLine(document.Config().windows[1].gauges[0]), "gauge00=QR417_Instr!Radio_COM1,0,0,400,,r240, g1");
    EXPECT_EQ(document.Config().windows[1].gauges[0].params, "r240, g1");

    // Window keys: the value replaced before its comment, a new key in the
    // section's spelling of "=".
    const PanelEdit keys[] = {Key("Window00", "size_mm", "1280,720"),
                              Key("Window00", "visible", "0")};
    ASSERT_TRUE(document.Apply(keys, table, nullptr));
    EXPECT_NE(document.Text().find("SIZE_MM = 1280,720   ; design space\r\nmy_own_key=kept\r\nvisible=0\r\n"),
              std::string::npos);
    EXPECT_EQ(document.Config().windows[0].sizeWidth, 1280);

    // Undo goes back batch by batch to the bytes read; redo forward again.
    const std::string last = document.Text();
    while (document.Undo()) {
    }
    EXPECT_EQ(document.Text(), crlf);
    while (document.Redo()) {
    }
    EXPECT_EQ(document.Text(), last);
}

TEST(PanelEdit, AddedGaugesTakeTheNextFreeNumberAndRemovalsCloseTheGap) {
    PanelDocument document(odd, "panel.cfg");
    const PanelEdit add[] = {Add("Window00", "QR417_Instr!attitude", 510, 60),
                             Add("Window01", "Other!Clock", 5, 5, 50)};
    EditRefusal refusal;
    ASSERT_TRUE(document.Apply(add, table, &refusal)) << refusal.reason;
    // Each after its window's last gauge; the file's last line gets its line end.
    std::string expected = odd;
    expected.replace(expected.find("s1\n") + 3, 0, "Gauge03 = QR417_Instr!Attitude, 510, 60\n");
    EXPECT_EQ(document.Text(), expected + "\ngauge01=Other!Clock,5,5,50\n");

    // Removing gauge01 moves 02 and 03 up, keys only; nothing is left unseen.
    const std::string before = document.Text();
    const PanelEdit remove[] = {Edit(PanelEditKind::Remove, "Window00", "gauge01")};
    ASSERT_TRUE(document.Apply(remove, table, &refusal)) << refusal.reason;
    EXPECT_EQ(Changed(before, document.Text()),
              (std::vector<std::string>{"-Gauge01 = Other!Clock,  10 ,  20",
                                        "-Gauge02 = QR417_Instr!Altimeter, 720, 60, 200, , s1",
                                        "-Gauge03 = QR417_Instr!Attitude, 510, 60",
                                        "+Gauge01 = QR417_Instr!Altimeter, 720, 60, 200, , s1",
                                        "+Gauge02 = QR417_Instr!Attitude, 510, 60"}));
    for (const PanelFinding& finding : document.Config().findings) EXPECT_NE(finding.severity, Severity::Warning) << finding.message;

    const PanelEdit window[] = {NewWindow("", "Radios")};
    ASSERT_TRUE(document.Apply(window, table, &refusal)) << refusal.reason;
    EXPECT_TRUE(document.Text().ends_with("\n\n[Window02]\nsize_mm=400,300\nvisible=1\n"));
    EXPECT_NE(document.Text().find("Window00=Main\nWindow02=Radios\n"), std::string::npos);
}

TEST(PanelEdit, RefusedChangesSayWhichAndWhyAndChangeNothing) {
    struct Case {
        PanelEdit change;
        std::string reason;
    };
    const Case cases[] = {
        {Move("Window09", "gauge00", 1, 1), "no window \"Window09\""},
        {Move("Window00", "gauge07", 1, 1), "no gauge \"gauge07\" in Window00"},
        {Move("Window00", "gauge00", 1600, 10), "expected x from 0 to 1599 and y from 0 to 899"},
        {Move("Window00", "gauge00", 10, -1), "expected x from 0 to 1599"},
        {Move("Window00", "gauge00", 1, std::nullopt), "expected x and y"},
        {Resize("Window00", "gauge00", 0, std::nullopt), "expected width from 1"},
        {Resize("Window00", "gauge00", 10, 200000),
         "expected height from 1"},
        {Add("Window00", "QR417_Instr!Airpseed", 1, 1),
         "expected a gauge of QR417_Instr's table"},
        {Add("Window00", "Elsewhere!Clock", 1, 1),
         "expected a gauge of QR417_Instr's table"},
        {Params("Window00", "gauge02", "two\nlines"),
         "expected parameters on one line"},
        {Params("Window00", "gauge02", "\xFF"),
         "expected parameters in characters of Windows-1252"},
        // The comment after the width would be read as parameters.
        {Params("Window00", "gauge00", "s1"),
         "trailing comment would be read as part of the parameters"},
        {Key("Window00", "file", "x.bmp"), "expected the key size_mm"},
        {Key("Window00", "size_mm", "wide"),
         "expected size_mm=WIDTH,HEIGHT"},
        {Key("Window00", "position", "9"),
         "expected position=N, a whole number from 0 to 8"},
        {Key("Window00", "visible", "1\n[Window05]"),
         "on one line"},
        {NewWindow("Window01", ""), "expected a new window's section name"},
        {NewWindow("Panel", ""), "expected a new window's section name"},
    };
    PanelDocument document(odd, "panel.cfg");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        // Behind a change that would go through: all or none.
        const PanelEdit batch[] = {Move("Window00", "gauge00", 5, 5), cases[i].change};
        EditRefusal refusal;
        EXPECT_FALSE(document.Apply(batch, table, &refusal)) << i;
        EXPECT_EQ(refusal.change, 1u) << i;
        EXPECT_NE(refusal.reason.find(cases[i].reason), std::string::npos) << i << ": " << refusal.reason;
        EXPECT_EQ(document.Text(), odd) << i;
    }
    EXPECT_FALSE(document.CanUndo());
}

class PanelFileSave : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("panel-edit-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        path = folder / "panel.cfg";
        std::ofstream(path, std::ios::binary) << WithCrlf(odd);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder, path;
};

TEST_F(PanelFileSave, KeepsTheOldFileOnceAndRefusesAFileChangedOnDisk) {
    PanelFile file(path.string());
    std::string text, error;
    ASSERT_TRUE(file.Read(&text, &error)) << error;
    const PanelFile::Saved same = file.Save(text, false);
    ASSERT_TRUE(same.written) << same.error;
    EXPECT_EQ(FileText(path), WithCrlf(odd));
    EXPECT_EQ(same.backup, path.string() + ".bak");

    PanelDocument document(text, path.string());
    const PanelEdit move[] = {Move("Window00", "gauge00", 320, 60)};
    ASSERT_TRUE(document.Apply(move, table, nullptr));
    ASSERT_TRUE(file.Save(document.Text(), false).written);
    ASSERT_TRUE(file.Save(document.Text() + "; again\r\n", false).written);
    // The backup is the file as it was before this run's first save.
    EXPECT_EQ(FileText(path.string() + ".bak"), WithCrlf(odd));
    EXPECT_EQ(FileText(path), document.Text() + "; again\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);  // no temporary left

    std::ofstream(path, std::ios::binary | std::ios::app) << "; someone else\r\n";
    const PanelFile::Saved refused = file.Save(document.Text(), false);
    EXPECT_FALSE(refused.written);
    EXPECT_TRUE(refused.changedOnDisk);
    EXPECT_TRUE(FileText(path).ends_with("; someone else\r\n"));
    EXPECT_TRUE(file.Save(document.Text(), true).written);
    EXPECT_EQ(FileText(path), document.Text());
}

TEST_F(PanelFileSave, AWriteThatFailsLeavesTheOldFileWhole) {
    PanelFile file(path.string());
    std::string text, error;
    ASSERT_TRUE(file.Read(&text, &error)) << error;
    ASSERT_TRUE(file.Save(text, false).written);  // the backup made while writes succeed
    // The temporary file's name taken by a folder: no user can write there.
    std::filesystem::create_directory(folder / ".panel.cfg.saving");
    const PanelFile::Saved saved = file.Save(text + "x", false);
    EXPECT_FALSE(saved.written);
    EXPECT_NE(saved.error.find("cannot write"), std::string::npos) << saved.error;
    EXPECT_EQ(FileText(path), WithCrlf(odd));
}

TEST(PanelEdit, TextConvertsBetweenUtf8AndTheCodePage) {
    EXPECT_EQ(Windows1252FromUtf8("Caf\xC3\xA9 \xE2\x82\xAC"), "Caf\xE9 \x80");
    EXPECT_EQ(Utf8FromWindows1252(*Windows1252FromUtf8("\xE2\x80\x94 \xC5\xB8")), "\xE2\x80\x94 \xC5\xB8");
    EXPECT_FALSE(Windows1252FromUtf8("\xE4\xB8\xAD"));  // not in the code page
    EXPECT_FALSE(Windows1252FromUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(Windows1252FromUtf8("\xC3"));          // cut short
}

}  // namespace
}  // namespace panelhost
