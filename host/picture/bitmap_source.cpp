#include "host/picture/bitmap_source.h"

#include <algorithm>
#include <cstring>

#include "host/core/module_loader.h"
#include "host/core/panel_host.h"

namespace panelhost {

namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::size_t fileHeaderPixelOffset = 10;
constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::uint32_t maskedHeaderSize = 52;  // the first header that holds its colour masks
constexpr std::uint32_t compressionNone = 0;
constexpr std::uint32_t compressionRle8 = 1;
constexpr std::uint32_t compressionRle4 = 2;
constexpr std::uint32_t compressionBitfields = 3;  // 16 and 32-bit pictures may name their masks

// The colour masks of 16-bit pictures the host reads: red, green, blue.
struct Masks16 {
    std::uint32_t red, green, blue;
    bool operator==(const Masks16&) const = default;
};
constexpr Masks16 masks555{.red = 0x7C00, .green = 0x03E0, .blue = 0x001F};
constexpr Masks16 masks565{.red = 0xF800, .green = 0x07E0, .blue = 0x001F};

std::uint32_t Read32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t Read16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

bool Refuse(std::string* error, const std::string& reason) {
    if (error) *error = reason;
    return false;
}

// A channel of `bits` bits (5 or 6) widened to 8, the top bits repeated below.
std::uint8_t Widened(std::uint32_t value, int bits) {
    return std::uint8_t(value << (8 - bits) | value >> (2 * bits - 8));
}

Rgb Pixel16(std::uint16_t pixel, const Masks16& masks) {
    const int greenBits = masks == masks565 ? 6 : 5;
    const int redShift = 5 + greenBits;
    return Rgb{Widened((pixel & masks.red) >> redShift, 5), Widened((pixel & masks.green) >> 5, greenBits),
               Widened(pixel & masks.blue, 5)};
}

// Run-length-encoded rows, bottom-up: (count, index) runs, and after a 0
// the end of a row (0), of the picture (1), a jump (2, dx, dy) or that many
// literal indices padded to two bytes. Four-bit runs alternate the two
// indices of their byte. Pixels no run reaches keep the first colour.
bool DecodeRle(const std::uint8_t* data, std::size_t size, int bits, const Rgb* palette, Picture& picture,
               std::string* error) {
    const int width = picture.width, rows = picture.height;
    std::size_t at = 0;
    int x = 0, row = 0;
    // Pixels past the row's end are dropped: x stops there, so that a
    // hostile run costs no more than a row.
    const auto put = [&](std::uint8_t index) {
        if (x < width && row < rows) picture.At(x, rows - 1 - row) = palette[index];
        x = std::min(x + 1, width);
    };
    const auto indexOf = [&](std::uint8_t byte, int i) -> std::uint8_t {
        return bits == 8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 0x0F);
    };
    while (row < rows) {
        if (at + 2 > size) return Refuse(error, "run-length data cut short");
        const std::uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i) put(indexOf(value, i));
        } else if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (at + 2 > size) return Refuse(error, "run-length data cut short");
            x = std::min(x + data[at], width);
            row += data[at + 1];
            at += 2;
        } else {
            const std::size_t bytes = bits == 8 ? value : (value + 1u) / 2;
            if (at + bytes > size) return Refuse(error, "run-length data cut short");
            for (int i = 0; i < value; ++i) put(indexOf(data[at + (bits == 8 ? i : i / 2)], i));
            at += bytes + bytes % 2;
        }
    }
    return true;
}

}  // namespace

bool DecodeDib(const void* data, std::size_t size, Picture& picture, std::string* error) {
    if (!data) return Refuse(error, "no data");
    auto* bytes = static_cast<const std::uint8_t*>(data);
    // A file's header may place the pixels further on than its palette ends.
    std::size_t pixelOffset = 0;
    if (size >= fileHeaderSize && bytes[0] == 'B' && bytes[1] == 'M') {
        pixelOffset = Read32(bytes + fileHeaderPixelOffset);
        pixelOffset = pixelOffset >= fileHeaderSize ? pixelOffset - fileHeaderSize : 0;
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
    if (bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return Refuse(error, std::to_string(bits) + "-bit bitmaps are not read (4, 8, 16, 24 and 32-bit are)");
    }
    const bool rle = (bits == 8 && compression == compressionRle8) || (bits == 4 && compression == compressionRle4);
    const bool masked = (bits == 16 || bits == 32) && compression == compressionBitfields;
    if (compression != compressionNone && !rle && !masked) {
        return Refuse(error, std::to_string(bits) + "-bit bitmaps compressed with method " +
                                 std::to_string(compression) + " are not read");
    }
    if (rle && height < 0) return Refuse(error, "run-length-encoded bitmaps are bottom-up; this one is top-down");

    std::size_t offset = headerSize;
    Masks16 masks = masks555;
    if (masked) {
        // The masks follow a plain header, or stand in a larger one.
        const std::size_t masksAt = headerSize >= maskedHeaderSize ? infoHeaderSize : headerSize;
        if (masksAt + 12 > size) return Refuse(error, "colour masks cut short");
        masks = {.red = Read32(bytes + masksAt), .green = Read32(bytes + masksAt + 4),
                 .blue = Read32(bytes + masksAt + 8)};
        if (headerSize < maskedHeaderSize) offset += 12;
        if (bits == 16 && masks != masks555 && masks != masks565) {
            return Refuse(error, "16-bit bitmaps with bit-field masks other than 5-5-5 and 5-6-5 are not read");
        }
    }
    Rgb palette[256]{};
    if (bits <= 8) {
        const std::uint32_t entries = colorsUsed == 0 ? 1u << bits : colorsUsed;
        if (entries > 1u << bits) return Refuse(error, "palette of more than " + std::to_string(1u << bits) + " colours");
        if (std::uint64_t(offset) + std::uint64_t(entries) * 4 > size) return Refuse(error, "palette cut short");
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint8_t* entry = bytes + offset + 4 * i;
            palette[i] = Rgb{entry[2], entry[1], entry[0]};
        }
        offset += std::size_t(entries) * 4;
    }
    if (pixelOffset > offset && pixelOffset <= size) offset = pixelOffset;

    picture = Picture(width, static_cast<int>(rows), palette[0]);
    if (rle) return DecodeRle(bytes + offset, size - offset, bits, palette, picture, error);
    const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
    if (offset + stride * std::uint64_t(rows) > size) return Refuse(error, "pixel rows cut short");
    for (std::int64_t row = 0; row < rows; ++row) {
        const std::int64_t y = height > 0 ? rows - 1 - row : row;
        const std::uint8_t* source = bytes + offset + stride * std::uint64_t(row);
        Rgb* target = &picture.At(0, static_cast<int>(y));
        for (std::int32_t x = 0; x < width; ++x) {
            if (bits == 4) {
                target[x] = palette[x % 2 == 0 ? source[x / 2] >> 4 : source[x / 2] & 0x0F];
            } else if (bits == 8) {
                target[x] = palette[source[x]];
            } else if (bits == 16) {
                target[x] = Pixel16(Read16(source + std::size_t(x) * 2), masks);
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
