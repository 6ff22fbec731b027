#include "host/picture/bitmap_source.h"

#include <cstring>

#include "host/core/module_loader.h"
#include "host/core/panel_host.h"

namespace panelhost {

namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::uint32_t compressionNone = 0;
constexpr std::uint32_t compressionBitfields = 3;  // 32-bit pictures may name their masks

std::uint32_t Read32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t Read16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

bool Refuse(std::string* error, const std::string& reason) {
    if (error) *error = reason;
    return false;
}

}  // namespace

bool DecodeDib(const void* data, std::size_t size, Picture& picture, std::string* error) {
    if (!data) return Refuse(error, "no data");
    auto* bytes = static_cast<const std::uint8_t*>(data);
    if (size >= fileHeaderSize && bytes[0] == 'B' && bytes[1] == 'M') {
        bytes += fileHeaderSize;
        size -= fileHeaderSize;
    }
    if (size < infoHeaderSize) return Refuse(error, "shorter than a bitmap header");
    const std::uint32_t headerSize = Read32(bytes);
    if (headerSize < infoHeaderSize || headerSize > size) return Refuse(error, "bad header size");
    const auto width = static_cast<std::int32_t>(Read32(bytes + 4));
    const auto height = static_cast<std::int32_t>(Read32(bytes + 8));
    const std::uint16_t planes = Read16(bytes + 12);
    const std::uint16_t bits = Read16(bytes + 14);
    const std::uint32_t compression = Read32(bytes + 16);
    const std::uint32_t colorsUsed = Read32(bytes + 32);

    // Height: positive bottom-up, negative top-down; INT32_MIN has no magnitude.
    if (width <= 0 || height == 0 || height == INT32_MIN) return Refuse(error, "empty or odd size");
    const std::int64_t rows = height < 0 ? -std::int64_t(height) : height;
    if (width > maxBitmapSide || rows > maxBitmapSide) {
        return Refuse(error, "larger than " + std::to_string(maxBitmapSide) + " pixels a side");
    }
    if (planes != 1) return Refuse(error, "not one plane");
    if (bits != 8 && bits != 24 && bits != 32) {
        return Refuse(error, std::to_string(bits) + "-bit pictures are not drawn");
    }
    if (compression != compressionNone && !(bits == 32 && compression == compressionBitfields)) {
        return Refuse(error, "compressed");
    }

    std::size_t offset = headerSize;
    if (compression == compressionBitfields && headerSize == infoHeaderSize) offset += 12;
    Rgb palette[256]{};
    if (bits == 8) {
        const std::uint32_t entries = colorsUsed == 0 ? 256 : colorsUsed;
        if (entries > 256) return Refuse(error, "palette of more than 256 colours");
        if (std::uint64_t(offset) + std::uint64_t(entries) * 4 > size) return Refuse(error, "palette cut short");
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint8_t* entry = bytes + offset + 4 * i;
            palette[i] = Rgb{entry[2], entry[1], entry[0]};
        }
        offset += std::size_t(entries) * 4;
    }
    const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
    if (offset + stride * std::uint64_t(rows) > size) return Refuse(error, "pixel rows cut short");

    picture = Picture(width, static_cast<int>(rows));
    for (std::int64_t row = 0; row < rows; ++row) {
        const std::int64_t y = height > 0 ? rows - 1 - row : row;
        const std::uint8_t* source = bytes + offset + stride * std::uint64_t(row);
        Rgb* target = &picture.At(0, static_cast<int>(y));
        for (std::int32_t x = 0; x < width; ++x) {
            if (bits == 8) {
                target[x] = palette[source[x]];
            } else {
                const std::uint8_t* pixel = source + std::size_t(x) * (bits / 8);
                target[x] = Rgb{pixel[2], pixel[1], pixel[0]};
            }
        }
    }
    return true;
}

const Picture* MemoryBitmaps::Find(SINT32 id) {
    auto it = pictures_.find(id);
    return it == pictures_.end() ? nullptr : &it->second;
}

ModuleBitmaps::ModuleBitmaps(const Host& host)
    : module_(host.ModuleHandle()), module32_(host.ModuleHandle32()) {}

const Picture* ModuleBitmaps::Find(SINT32 id) {
    if (auto it = cache_.find(id); it != cache_.end()) return it->second.get();
    const void* data = nullptr;
    std::size_t size = 0;
    const bool found = id >= 0 && FindModuleResource(module_, module32_, "BITMAP", std::uint32_t(id), data, size);
    std::unique_ptr<Picture> picture;
    if (!found) {
        problems_[id] = "the module has no bitmap " + std::to_string(id);
    } else {
        picture = std::make_unique<Picture>();
        std::string reason;
        if (!DecodeDib(data, size, *picture, &reason)) {
            problems_[id] = "bitmap " + std::to_string(id) + ": " + reason;
            picture.reset();
        }
    }
    return (cache_[id] = std::move(picture)).get();
}

std::string ModuleBitmaps::Problem(SINT32 id) const {
    auto it = problems_.find(id);
    return it == problems_.end() ? std::string{} : it->second;
}

}  // namespace panelhost
