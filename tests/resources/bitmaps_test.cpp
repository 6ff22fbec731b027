// The module's bitmap resources, as the host finds them: every bitmap that an
// element of a gauge in the loaded module's table names (each image of an
// icon) must be a bitmap resource of the module file, a well-formed 8-bit
// device-independent bitmap of the size that resources/bitmaps.tsv gives, and
// the same bytes as the committed .bmp file.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/core/panel_host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>

#include "sound/platform/qrsystem.h"
#endif

namespace {

const std::string bitmapDir = std::string(QR_SOURCE_DIR) + "/resources/bitmaps/";
constexpr std::size_t fileHeaderSize = 14;
constexpr std::size_t infoHeaderSize = 40;
constexpr std::uintmax_t artworkBudget = 15u << 20;

struct Size {
    int width{};
    int height{};
    bool operator==(const Size&) const = default;
};

std::map<int, Size> ReadTable() {
    std::map<int, Size> table;
    std::ifstream in(std::string(QR_SOURCE_DIR) + "/resources/bitmaps.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] < '0' || line[0] > '9') continue;
        std::istringstream fields(line);
        int id = 0;
        Size size;
        fields >> id >> size.width >> size.height;
        table[id] = size;
    }
    return table;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// A decoded 8-bit bottom-up BI_RGB bitmap (what a BITMAP resource holds).
struct Dib {
    Size size;
    std::vector<unsigned char> rgb;  // palette, 3 bytes per entry
    const unsigned char* pixels{};   // bottom row first, rows padded to 4 bytes

    unsigned stride() const { return (static_cast<unsigned>(size.width) + 3) & ~3u; }
    // Palette colour at (x, y), y counted from the top.
    const unsigned char* At(int x, int y) const {
        const unsigned index = pixels[stride() * (size.height - 1 - y) + x];
        return &rgb[3 * index];
    }
};

// Parses the DIB or explains why it is not one the host can draw.
testing::AssertionResult ParseDib(const unsigned char* data, std::size_t bytes, Dib& dib) {
    if (bytes < infoHeaderSize) return testing::AssertionFailure() << bytes << " bytes, no header";
    const std::uint32_t headerSize = Le32(data);
    const auto width = static_cast<std::int32_t>(Le32(data + 4));
    const auto height = static_cast<std::int32_t>(Le32(data + 8));
    const unsigned planes = Le16(data + 12), bits = Le16(data + 14);
    const std::uint32_t compression = Le32(data + 16);
    std::uint32_t colours = Le32(data + 32);
    if (headerSize != infoHeaderSize || planes != 1 || bits != 8 || compression != 0)
        return testing::AssertionFailure()
               << "header " << headerSize << ", planes " << planes << ", bits " << bits
               << ", compression " << compression << " (want 40, 1, 8, 0)";
    if (width <= 0 || width > 4096 || height <= 0 || height > 4096)
        return testing::AssertionFailure() << "size " << width << "x" << height;
    if (colours == 0) colours = 256;
    if (colours > 256) return testing::AssertionFailure() << colours << " palette entries";
    dib.size = {width, height};
    const std::size_t pixelsAt = headerSize + 4 * static_cast<std::size_t>(colours);
    if (bytes < pixelsAt + static_cast<std::size_t>(dib.stride()) * height)
        return testing::AssertionFailure() << bytes << " bytes, too short for " << width << "x"
                                           << height;
    dib.rgb.assign(3 * 256, 0);
    for (std::uint32_t i = 0; i < colours; ++i) {  // stored blue, green, red, 0
        dib.rgb[3 * i] = data[headerSize + 4 * i + 2];
        dib.rgb[3 * i + 1] = data[headerSize + 4 * i + 1];
        dib.rgb[3 * i + 2] = data[headerSize + 4 * i];
    }
    dib.pixels = data + pixelsAt;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            if (dib.pixels[dib.stride() * y + x] >= colours)
                return testing::AssertionFailure() << "pixel outside the palette";
    return testing::AssertionSuccess();
}

// The module's BITMAP resource with that id, found the way the renderer does.
bool FindBitmap(panelhost::Host& host, int id, const unsigned char*& data, std::size_t& bytes) {
#if defined(_WIN32)
    const auto module = static_cast<HMODULE>(host.ModuleHandle());
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    data = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    bytes = SizeofResource(module, found);
#else
    const void* found = nullptr;
    std::uint32_t size = 0;
    if (qrsystem_find_resource(host.ModuleHandle32(), "BITMAP", static_cast<std::uint32_t>(id),
                               nullptr, &found, &size) != QRSYSTEM_OK)
        return false;
    data = static_cast<const unsigned char*>(found);
    bytes = size;
#endif
    return data != nullptr;
}

// One element of a gauge and where it stands in drawing order.
struct ElementUse {
    std::string where;  // "Gauge element N"
    const ELEMENT_HEADER* element{};
    int images{};       // bitmaps it names: picture count for icons, else 1
};

void Walk(const std::string& gauge, ELEMENT_HEADER* element, int& number,
          std::vector<ElementUse>& uses) {
    if (!element) return;
    ++number;
    int images = 1;
    if (element->element_type == ELEMENT_TYPE_STRING) images = 0;
    if (element->element_type == ELEMENT_TYPE_ICON)
        images = reinterpret_cast<const ELEMENT_ICON*>(element)->picture_count;
    uses.push_back({gauge + " element " + std::to_string(number), element, images});
    if (element->next_element)
        for (ELEMENT_HEADER** next = element->next_element; *next; ++next)
            Walk(gauge, *next, number, uses);
}

class ModuleBitmaps : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Load(QR_MODULE_PATH, &error)) << error;
        for (const panelhost::GaugeEntry& entry : host.Gauges()) {
            int number = 0;
            for (ELEMENT_HEADER** e = entry.header->elements_list; e && *e; ++e)
                Walk(entry.name, *e, number, uses);
        }
        ASSERT_FALSE(uses.empty());
    }

    // The resource's DIB, checked against the table and the committed file.
    void CheckBitmap(const ElementUse& use, int id, Dib& dib) {
        SCOPED_TRACE(use.where + ", bitmap " + std::to_string(id));
        const unsigned char* data = nullptr;
        std::size_t bytes = 0;
        ASSERT_TRUE(FindBitmap(host, id, data, bytes)) << "no BITMAP resource";
        ASSERT_TRUE(ParseDib(data, bytes, dib));
        const auto row = table.find(id);
        ASSERT_NE(row, table.end()) << "not in bitmaps.tsv";
        EXPECT_EQ(dib.size, row->second) << "is " << dib.size.width << "x" << dib.size.height
                                         << ", want " << row->second.width << "x"
                                         << row->second.height;
        const std::vector<unsigned char> file = ReadFile(bitmapDir + std::to_string(id) + ".bmp");
        ASSERT_GT(file.size(), fileHeaderSize);
        EXPECT_TRUE(bytes >= file.size() - fileHeaderSize &&
                    std::memcmp(data, file.data() + fileHeaderSize, file.size() - fileHeaderSize) == 0)
            << "differs from the committed file";
    }

    panelhost::Host host;
    std::vector<ElementUse> uses;
    std::map<int, Size> table = ReadTable();
};

TEST_F(ModuleBitmaps, EveryElementFindsItsBitmapsAtTheirSize) {
    int checked = 0;
    for (const ElementUse& use : uses) {
        if (use.images == 0) {
            EXPECT_EQ(use.element->resource_id, -1) << use.where << ": a string names no bitmap";
            continue;
        }
        ASSERT_GE(use.images, 1) << use.where;
        for (int image = 0; image < use.images; ++image) {
            Dib dib;
            CheckBitmap(use, use.element->resource_id + image, dib);
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

// The host draws every image of an icon at the element's one position.
TEST_F(ModuleBitmaps, ImagesOfAnIconShareOneSize) {
    for (const ElementUse& use : uses) {
        if (use.element->element_type != ELEMENT_TYPE_ICON || use.images < 2) continue;
        Dib first;
        CheckBitmap(use, use.element->resource_id, first);
        for (int image = 1; image < use.images; ++image) {
            Dib other;
            CheckBitmap(use, use.element->resource_id + image, other);
            EXPECT_EQ(other.size, first.size) << use.where << ", image " << image;
        }
    }
}

// A needle turns about its pivot: where the pivot lies inside a needle drawn
// with transparency, the artwork must be there (not the transparent black),
// or the needle would float off its hub.
TEST_F(ModuleBitmaps, NeedlesAreDrawnAtTheirPivot) {
    int pivots = 0;
    for (const ElementUse& use : uses) {
        const ELEMENT_HEADER& e = *use.element;
        if (e.element_type != ELEMENT_TYPE_NEEDLE || !(e.image_flags & IMAGE_USE_TRANSPARENCY))
            continue;
        Dib dib;
        CheckBitmap(use, e.resource_id, dib);
        if (e.ofs.x < 0 || e.ofs.y < 0 || e.ofs.x >= dib.size.width || e.ofs.y >= dib.size.height)
            continue;
        const unsigned char* colour = dib.At(e.ofs.x, e.ofs.y);
        EXPECT_TRUE(colour[0] || colour[1] || colour[2])
            << use.where << ": transparent at the pivot " << e.ofs.x << "," << e.ofs.y;
        ++pivots;
    }
    EXPECT_GT(pivots, 0);
}

// The artwork is reached through the module's resources alone: the module
// still exports only ImportTable and Linkage, none of the embedded data.
TEST_F(ModuleBitmaps, EmbeddedDataIsNotExported) {
    for (const char* name : {"ImportTable", "Linkage", "qrEmbeddedResources", "qrEmbeddedResourceCount",
                             "qrBitmap40", "qrBitmap4400"}) {
        const bool exported = std::strcmp(name, "ImportTable") == 0 || std::strcmp(name, "Linkage") == 0;
#if defined(_WIN32)
        const bool found =
            GetProcAddress(static_cast<HMODULE>(host.ModuleHandle()), name) != nullptr;
#else
        const bool found = dlsym(host.ModuleHandle(), name) != nullptr;
#endif
        EXPECT_EQ(found, exported) << name;
    }
}

// The committed files are the table: one 8-bit uncompressed file per row, at
// the row's size, and no file without a row; together small enough to ship.
TEST(BitmapFiles, MatchTheTable) {
    const std::map<int, Size> table = ReadTable();
    ASSERT_FALSE(table.empty());
    std::set<int> files;
    std::uintmax_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(bitmapDir)) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        ASSERT_EQ(entry.path().extension(), ".bmp");
        const int id = std::stoi(name);
        EXPECT_EQ(std::to_string(id) + ".bmp", name);
        EXPECT_TRUE(table.count(id)) << "not in bitmaps.tsv";
        files.insert(id);
        const std::vector<unsigned char> file = ReadFile(entry.path().string());
        total += file.size();
        ASSERT_GT(file.size(), fileHeaderSize + infoHeaderSize);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Le32(&file[2]), file.size()) << "file size field";
        Dib dib;
        ASSERT_TRUE(ParseDib(file.data() + fileHeaderSize, file.size() - fileHeaderSize, dib));
        const std::uint32_t pixelsAt = Le32(&file[10]);
        EXPECT_EQ(file.data() + pixelsAt, dib.pixels) << "pixel offset field";
        if (table.count(id)) {
            EXPECT_EQ(dib.size, table.at(id));
        }
    }
    for (const auto& [id, size] : table) EXPECT_TRUE(files.count(id)) << id << ".bmp missing";
    EXPECT_LT(total, artworkBudget);
}

}  // namespace
