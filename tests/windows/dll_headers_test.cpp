// The built Windows module file, read without running it: the exported
// Linkage record leads to every gauge header, and each header, its first
// element and its mouse list hold their values in the file's image, before
// any start-up code of the module could run. The file is the module under
// test in the Windows build, and the cross-built one beside the sources
// natively (skipped until it is built).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "module/gauge_records.h"

namespace {

const char* const gaugeNames[] = {
#define QR_GAUGE(name) #name,
#include "module/gauge_list.h"
#undef QR_GAUGE
};

std::string ModuleFile() {
    const std::string own = QR_MODULE_PATH;
    if (own.size() > 4 && own.substr(own.size() - 4) == ".gau") return own;
    return std::string(QR_SOURCE_DIR) + "/build-win/QR417_Instr.gau";
}

// A PE32 image as the loader would map it, read from the file's sections.
class PeImage {
public:
    explicit PeImage(std::vector<unsigned char> file) : file_(std::move(file)) {
        const auto pe = U32(0x3C);
        if (!pe || *pe + 24 > file_.size() || std::memcmp(&file_[*pe], "PE\0\0", 4) != 0) return;
        const auto sections = U16(*pe + 6);
        const auto optionalSize = U16(*pe + 20);
        const std::size_t optional = *pe + 24;
        if (!sections || !optionalSize || U16(optional) != 0x10B) return;  // PE32
        imageBase_ = U32(optional + 28).value_or(0);
        exportRva_ = U32(optional + 96).value_or(0);
        for (std::size_t i = 0; i < *sections; ++i) {
            const std::size_t at = optional + *optionalSize + 40 * i;
            const auto size = U32(at + 8), rva = U32(at + 12), raw = U32(at + 20), rawSize = U32(at + 16);
            if (!size || !rva || !raw || !rawSize) return;
            sections_.push_back({*rva, *size < *rawSize ? *size : *rawSize, *raw});
        }
        valid_ = imageBase_ != 0 && exportRva_ != 0;
    }
    bool Valid() const { return valid_; }

    // The address of an exported symbol, as a pointer in the image holds it.
    std::optional<std::uint32_t> Export(const std::string& name) const {
        const auto count = Read32(exportRva_ + 24), functions = Read32(exportRva_ + 28);
        const auto names = Read32(exportRva_ + 32), ordinals = Read32(exportRva_ + 36);
        if (!count || !functions || !names || !ordinals) return std::nullopt;
        for (std::uint32_t i = 0; i < *count; ++i) {
            const auto nameRva = Read32(*names + 4 * i);
            if (!nameRva || String(*nameRva + imageBase_) != name) continue;
            const auto ordinal = Read16(*ordinals + 2 * i);
            const auto rva = ordinal ? Read32(*functions + 4 * *ordinal) : std::nullopt;
            if (rva) return *rva + imageBase_;
        }
        return std::nullopt;
    }
    // A 32-bit value at an address of the mapped image.
    std::optional<std::uint32_t> At(std::uint32_t address) const {
        return address >= imageBase_ ? Read32(address - imageBase_) : std::nullopt;
    }
    std::string String(std::uint32_t address) const {
        std::string text;
        for (auto at = Offset(address - imageBase_); at && *at < file_.size() && file_[*at] && text.size() < 256;
             ++*at) {
            text += static_cast<char>(file_[*at]);
        }
        return text;
    }

private:
    struct Section {
        std::uint32_t rva, size, raw;
    };
    std::optional<std::size_t> Offset(std::uint32_t rva) const {
        for (const Section& s : sections_) {
            if (rva >= s.rva && rva - s.rva < s.size) return s.raw + (rva - s.rva);
        }
        return std::nullopt;
    }
    std::optional<std::uint32_t> U32(std::size_t at) const {
        if (at + 4 > file_.size()) return std::nullopt;
        return file_[at] | file_[at + 1] << 8 | file_[at + 2] << 16 | std::uint32_t(file_[at + 3]) << 24;
    }
    std::optional<std::uint16_t> U16(std::size_t at) const {
        if (at + 2 > file_.size()) return std::nullopt;
        return static_cast<std::uint16_t>(file_[at] | file_[at + 1] << 8);
    }
    std::optional<std::uint32_t> Read32(std::uint32_t rva) const {
        const auto at = Offset(rva);
        return at ? U32(*at) : std::nullopt;
    }
    std::optional<std::uint16_t> Read16(std::uint32_t rva) const {
        const auto at = Offset(rva);
        return at ? U16(*at) : std::nullopt;
    }

    std::vector<unsigned char> file_;
    std::vector<Section> sections_;
    std::uint32_t imageBase_{}, exportRva_{};
    bool valid_{};
};

// Offsets of the 32-bit module's records: six 4-byte fields before the
// header list; version, name, element list, width, mouse list in a header;
// the gauge after type, bitmap and three points in an element header.
constexpr std::uint32_t linkageHeaders = 24;
constexpr std::uint32_t headerName = 4, headerElements = 8, headerMouse = 16;
constexpr std::uint32_t elementGauge = 32;

TEST(WindowsModuleFile, EveryGaugeHeaderIsInTheImageBeforeTheModuleRuns) {
    std::ifstream in(ModuleFile(), std::ios::binary);
    if (!in) GTEST_SKIP() << "no Windows module file at " << ModuleFile();
    const PeImage image(std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {}));
    ASSERT_TRUE(image.Valid()) << ModuleFile() << " is not a PE32 image";
    const auto linkage = image.Export("Linkage");
    ASSERT_TRUE(linkage) << "no Linkage export";
    EXPECT_EQ(image.At(*linkage), MODULE_LINKAGE_ID);

    std::size_t n = 0;
    for (;; ++n) {
        const auto header = image.At(*linkage + linkageHeaders + 4 * static_cast<std::uint32_t>(n));
        ASSERT_TRUE(header) << "header list runs out of the image at entry " << n + 1;
        if (*header == 0) break;
        ASSERT_LT(n, std::size(gaugeNames)) << "more headers than the gauge list";
        SCOPED_TRACE(gaugeNames[n]);
        EXPECT_EQ(image.At(*header), GAUGEHDR_VERSION);
        const auto name = image.At(*header + headerName);
        EXPECT_EQ(name ? image.String(*name) : "", gaugeNames[n]);
        // The face element points back to its gauge, and the mouse list
        // opens with its group.
        const auto elements = image.At(*header + headerElements);
        const auto face = elements ? image.At(*elements) : std::nullopt;
        EXPECT_EQ(face ? image.At(*face + elementGauge) : std::nullopt, header);
        const auto mouse = image.At(*header + headerMouse);
        EXPECT_EQ(mouse ? image.At(*mouse) : std::nullopt, MOUSE_RECT_PARENT);
    }
    EXPECT_EQ(n, std::size(gaugeNames));
}

}  // namespace
