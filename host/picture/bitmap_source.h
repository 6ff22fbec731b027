// Bitmaps the host draws gauges from: decoded device-independent bitmaps
// (the module's BITMAP resources) as plain RGB pictures, found by resource
// id through a source that the renderer asks. The module's own resources
// are one source; tests hand the renderer pictures of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "module/gauge_records.h"

namespace panelhost {

struct Rgb {
    std::uint8_t r{}, g{}, b{};
    bool operator==(const Rgb&) const = default;
};

// A picture, rows top to bottom.
struct Picture {
    int width{};
    int height{};
    std::vector<Rgb> pixels;  // width * height

    Picture() = default;
    Picture(int w, int h, Rgb fill = {}) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), fill) {}
    Rgb& At(int x, int y) { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    const Rgb& At(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// Larger bitmaps are refused: no gauge artwork comes near, and a record or
// resource claiming more must not make the host allocate without bound.
inline constexpr int maxBitmapSide = 4096;

// Decodes a device-independent bitmap as a resource holds it: a
// BITMAPINFOHEADER (or a later, larger header), the palette of a 4 or 8-bit
// picture, then rows padded to 4 bytes, bottom-up (or top-down for a
// negative height). 4 and 8-bit palettized (uncompressed or run-length
// encoded), 16-bit (5-5-5, or 5-6-5 named by its masks), 24-bit and 32-bit
// pictures; a leading 14-byte file header ("BM") is skipped, and where it
// places the pixels is followed. False with a reason for anything else,
// truncated data included.
bool DecodeDib(const void* data, std::size_t size, Picture& picture, std::string* error = nullptr);

// Where the renderer finds bitmaps by resource id. Null when there is none.
class BitmapSource {
public:
    virtual ~BitmapSource() = default;
    virtual const Picture* Find(SINT32 id) = 0;
};

// Pictures handed in by a test or tool.
class MemoryBitmaps : public BitmapSource {
public:
    void Add(SINT32 id, Picture picture) { pictures_[id] = std::move(picture); }
    const Picture* Find(SINT32 id) override;

private:
    std::map<SINT32, Picture> pictures_;
};

class Host;

// The BITMAP resources of the module a host has loaded, decoded once each.
// Natively the module registers them with the substitute host's resource
// registry; under Windows they are RT_BITMAP resources of the module file.
// A module attached from the program itself is looked up in the program.
class ModuleBitmaps : public BitmapSource {
public:
    explicit ModuleBitmaps(const Host& host);
    const Picture* Find(SINT32 id) override;
    // Why the last Find of this id found nothing usable (missing or malformed).
    std::string Problem(SINT32 id) const;

private:
    void* module_{};
    UINT32 module32_{};
    std::unordered_map<SINT32, std::unique_ptr<Picture>> cache_;  // null: none usable
    std::map<SINT32, std::string> problems_;
};

}  // namespace panelhost
