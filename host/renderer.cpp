#include "host/renderer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <fstream>
#include <numbers>

#include "host/element_kinds.h"

namespace panelhost {

namespace {

// A moving image without a window bitmap shows this part of its strip along
// the axis it travels: one cell of a drum holding 0 to 9 and a second 0.
constexpr int stripCellsWithoutWindow = 11;

// How a bitmap lands on the picture: the picture pixel p shows the source
// point s = m * (p - canvasPivot) + sourcePivot (pixel centres at integer
// coordinates), within the clip box of the picture.
struct Placement {
    double m00{1}, m01{0}, m10{0}, m11{1};
    double canvasX{}, canvasY{};
    double sourceX{}, sourceY{};
    // Clip box in picture pixels, end exclusive; 64-bit so that any position
    // plus any window size stays exact.
    long long clipX0{LLONG_MIN / 4}, clipY0{LLONG_MIN / 4}, clipX1{LLONG_MAX / 4}, clipY1{LLONG_MAX / 4};
    bool transparent{};
    bool bilinear{};

    bool Finite() const {
        return std::isfinite(m00) && std::isfinite(m01) && std::isfinite(m10) && std::isfinite(m11) &&
               std::isfinite(canvasX) && std::isfinite(canvasY) && std::isfinite(sourceX) &&
               std::isfinite(sourceY);
    }
};

Placement Translation(double x, double y, UINT32 flags) {
    Placement placement;
    placement.canvasX = x;
    placement.canvasY = y;
    placement.transparent = (flags & IMAGE_USE_TRANSPARENCY) != 0;
    placement.bilinear = (flags & IMAGE_BILINEAR_COLOR) != 0;
    return placement;
}

// Turned clockwise by `degrees` (screen y down) about the pivots.
Placement Turned(double degrees, double canvasX, double canvasY, double sourceX, double sourceY,
                 UINT32 flags) {
    Placement placement = Translation(canvasX, canvasY, flags);
    const double radians = std::fmod(degrees, 360.0) * std::numbers::pi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    // The inverse of the turn: picture offsets back into the bitmap.
    placement.m00 = c;
    placement.m01 = s;
    placement.m10 = -s;
    placement.m11 = c;
    placement.sourceX = sourceX;
    placement.sourceY = sourceY;
    return placement;
}

bool Black(const Rgb& pixel) { return pixel.r == 0 && pixel.g == 0 && pixel.b == 0; }

// Draws the source onto the picture through the placement: every picture
// pixel whose source point falls inside the bitmap, black ones left out when
// transparent. Bilinear sampling blends each pixel with what lies beneath by
// the share of its four neighbours that are drawn.
void Draw(Picture& canvas, const Picture& source, const Placement& placement) {
    if (!placement.Finite() || source.width <= 0 || source.height <= 0) return;
    const double det = placement.m00 * placement.m11 - placement.m01 * placement.m10;
    if (!(std::fabs(det) > 1e-12)) return;
    // The bitmap's corners on the picture bound the pixels to visit.
    const double i00 = placement.m11 / det, i01 = -placement.m01 / det;
    const double i10 = -placement.m10 / det, i11 = placement.m00 / det;
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (const double cx : {-1.0, double(source.width)}) {
        for (const double cy : {-1.0, double(source.height)}) {
            const double sx = cx - placement.sourceX, sy = cy - placement.sourceY;
            const double px = i00 * sx + i01 * sy + placement.canvasX;
            const double py = i10 * sx + i11 * sy + placement.canvasY;
            minX = std::min(minX, px);
            maxX = std::max(maxX, px);
            minY = std::min(minY, py);
            maxY = std::max(maxY, py);
        }
    }
    // Bounds held to the picture in floating point before any conversion.
    const auto bound = [](double value, long long low, long long high, long long clip0, long long clip1) {
        const double held = std::clamp(value, double(low), double(high));
        const long long first = std::max(low, clip0);
        const long long last = std::max(first, std::min(high, clip1));
        return std::clamp(static_cast<long long>(held), first, last);
    };
    const long long x0 = bound(std::floor(minX), 0, canvas.width, placement.clipX0, placement.clipX1);
    const long long x1 = bound(std::ceil(maxX) + 1, 0, canvas.width, placement.clipX0, placement.clipX1);
    const long long y0 = bound(std::floor(minY), 0, canvas.height, placement.clipY0, placement.clipY1);
    const long long y1 = bound(std::ceil(maxY) + 1, 0, canvas.height, placement.clipY0, placement.clipY1);

    for (long long y = y0; y < y1; ++y) {
        const double dy = double(y) - placement.canvasY;
        for (long long x = x0; x < x1; ++x) {
            const double dx = double(x) - placement.canvasX;
            const double sx = placement.m00 * dx + placement.m01 * dy + placement.sourceX;
            const double sy = placement.m10 * dx + placement.m11 * dy + placement.sourceY;
            Rgb& target = canvas.At(int(x), int(y));
            if (!placement.bilinear) {
                const double nx = std::floor(sx + 0.5), ny = std::floor(sy + 0.5);
                if (nx < 0 || ny < 0 || nx >= source.width || ny >= source.height) continue;
                const Rgb& pixel = source.At(int(nx), int(ny));
                if (placement.transparent && Black(pixel)) continue;
                target = pixel;
                continue;
            }
            const double fx0 = std::floor(sx), fy0 = std::floor(sy);
            if (fx0 < -1 || fy0 < -1 || fx0 >= source.width || fy0 >= source.height) continue;
            const int ix = int(fx0), iy = int(fy0);
            const double fx = sx - fx0, fy = sy - fy0;
            double r = 0, g = 0, b = 0, alpha = 0;
            for (int tap = 0; tap < 4; ++tap) {
                const int tx = ix + (tap & 1), ty = iy + (tap >> 1);
                const double weight = ((tap & 1) ? fx : 1 - fx) * ((tap >> 1) ? fy : 1 - fy);
                if (weight <= 0 || tx < 0 || ty < 0 || tx >= source.width || ty >= source.height) continue;
                const Rgb& pixel = source.At(tx, ty);
                if (placement.transparent && Black(pixel)) continue;
                r += weight * pixel.r;
                g += weight * pixel.g;
                b += weight * pixel.b;
                alpha += weight;
            }
            if (alpha <= 1e-9) continue;
            const double keep = 1 - std::min(alpha, 1.0);
            const auto blend = [keep](double added, std::uint8_t under) {
                return static_cast<std::uint8_t>(std::clamp(std::lround(added + keep * under), 0L, 255L));
            };
            target = Rgb{blend(r, target.r), blend(g, target.g), blend(b, target.b)};
        }
    }
}

// Resource id plus a count, or nothing when it leaves the 32-bit range.
std::optional<SINT32> BitmapId(SINT32 id, long long add) {
    const long long sum = static_cast<long long>(id) + add;
    if (id < 0 || sum < 0 || sum > INT32_MAX) return std::nullopt;
    return static_cast<SINT32>(sum);
}

bool HasSource(const MODULE_VAR& var, const void* routine) { return var.id != 0 || routine != nullptr; }

// The strip behind its window: the placement and the window's clip box.
Placement MovingStrip(const ELEMENT_MOVING_IMAGE& image, const ElementState& state, const Picture& strip,
                      const Picture* window) {
    const bool movesX = HasSource(image.source_var_x, reinterpret_cast<const void*>(image.update_x_cb));
    const bool movesY = HasSource(image.source_var_y, reinterpret_cast<const void*>(image.update_y_cb));
    const auto windowSide = [](int stripSide, bool moves, int windowSide) {
        if (windowSide > 0) return std::min(windowSide, stripSide);
        return moves ? std::max(1, stripSide / stripCellsWithoutWindow) : stripSide;
    };
    const int windowW = windowSide(strip.width, movesX, window ? window->width : 0);
    const int windowH = windowSide(strip.height, movesY, window ? window->height : 0);
    const double fractionX = movesX ? std::clamp(state.shiftX, 0.0, 1.0) : 0.0;
    const double fractionY = movesY ? std::clamp(state.shiftY, 0.0, 1.0) : 0.0;
    const PIXPOINT position = image.header.position;
    Placement placement = Translation(position.x, position.y, image.header.image_flags);
    placement.sourceX = fractionX * (strip.width - windowW);
    placement.sourceY = fractionY * (strip.height - windowH);
    placement.clipX0 = position.x;
    placement.clipY0 = position.y;
    placement.clipX1 = static_cast<long long>(position.x) + windowW;
    placement.clipY1 = static_cast<long long>(position.y) + windowH;
    return placement;
}

Placement SpriteTexture(const ELEMENT_SPRITE& sprite, const ElementState& state, const Picture* window) {
    const PIXPOINT position = sprite.header.position;
    const PIXPOINT centre = sprite.header.ofs;
    Placement placement = Turned(state.rotation, position.x + state.shiftX + centre.x,
                                 position.y + state.shiftY + centre.y, centre.x, centre.y,
                                 sprite.header.image_flags);
    // A texture scale makes the texture smaller or larger on the picture; one
    // that is not a positive number leaves it as it is.
    const auto scale = [](FLOAT32 value) {
        return std::isfinite(value) && value > 0.01f ? double(value) : 1.0;
    };
    const double scaleX = scale(sprite.texture_scale_x), scaleY = scale(sprite.texture_scale_y);
    placement.m00 /= scaleX;
    placement.m01 /= scaleX;
    placement.m10 /= scaleY;
    placement.m11 /= scaleY;
    if (window) {
        placement.clipX0 = position.x;
        placement.clipY0 = position.y;
        placement.clipX1 = static_cast<long long>(position.x) + window->width;
        placement.clipY1 = static_cast<long long>(position.y) + window->height;
    }
    return placement;
}

}  // namespace

const Picture* Canvas::Bitmap(const ElementState& state, std::optional<SINT32> id) {
    const Picture* bitmap = Optional(id);
    if (!bitmap && skipped) {
        skipped->push_back("element " + std::to_string(number) + " (" + KindOf(state.kind).noun +
                           "): bitmap " + (id ? std::to_string(*id) : std::string("out of range")) + " missing");
    }
    return bitmap;
}

const Picture* Canvas::Optional(std::optional<SINT32> id) { return id ? bitmaps.Find(*id) : nullptr; }

// The bitmap at the element's position (static images, and kinds the host
// does not know).
void DrawStaticImage(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (const Picture* bitmap = canvas.Bitmap(state, header.resource_id)) {
        Draw(canvas.picture, *bitmap, Translation(header.position.x, header.position.y, header.image_flags));
    }
}

// Turned by the shown angle about its pivot, the pivot on the position.
void DrawNeedle(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (const Picture* bitmap = canvas.Bitmap(state, header.resource_id)) {
        Draw(canvas.picture, *bitmap,
             Turned(state.angle, header.position.x, header.position.y, header.ofs.x, header.ofs.y,
                    header.image_flags));
    }
}

void DrawSlider(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    if (const Picture* bitmap = canvas.Bitmap(state, header.resource_id)) {
        Draw(canvas.picture, *bitmap,
             Translation(header.position.x + state.shiftX, header.position.y + state.shiftY, header.image_flags));
    }
}

// Bitmap id + the shown image; nothing for none.
void DrawIcon(Canvas& canvas, const ElementState& state) {
    if (state.image < 0) return;
    const ELEMENT_HEADER& header = *state.record;
    if (const Picture* bitmap = canvas.Bitmap(state, BitmapId(header.resource_id, state.image))) {
        Draw(canvas.picture, *bitmap, Translation(header.position.x, header.position.y, header.image_flags));
    }
}

void DrawMovingImage(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    const Picture* strip = canvas.Bitmap(state, header.resource_id);
    if (!strip) return;
    const Picture* window = canvas.Optional(BitmapId(header.resource_id, 1));
    Draw(canvas.picture, *strip,
         MovingStrip(*reinterpret_cast<const ELEMENT_MOVING_IMAGE*>(state.record), state, *strip, window));
}

void DrawSprite(Canvas& canvas, const ElementState& state) {
    const ELEMENT_HEADER& header = *state.record;
    const Picture* texture = canvas.Bitmap(state, header.resource_id);
    if (!texture) return;
    const Picture* window = canvas.Optional(BitmapId(header.resource_id, 1));
    Draw(canvas.picture, *texture, SpriteTexture(*reinterpret_cast<const ELEMENT_SPRITE*>(state.record), state, window));
}

bool RenderInstance(const Host& host, const std::string& alias, BitmapSource& bitmaps, Picture& picture,
                    std::string* error, std::vector<std::string>* skipped) {
    if (!host.Has(alias)) {
        if (error) *error = "no gauge placed as " + alias;
        return false;
    }
    const int count = host.ElementCount(alias);
    if (count == 0) {
        if (error) *error = alias + " has no elements";
        return false;
    }
    const SINT32 backgroundId = host.Element(alias, 1).record->resource_id;
    const Picture* background = bitmaps.Find(backgroundId);
    if (!background) {
        if (error) *error = alias + ": no usable background bitmap " + std::to_string(backgroundId);
        return false;
    }
    picture = Picture(background->width, background->height);
    Canvas canvas(picture, bitmaps, skipped);
    for (int number = 1; number <= count; ++number) {
        const ElementState& state = host.Element(alias, number);
        const auto draw = KindOf(state.kind).draw;
        if (state.hidden || !draw) continue;
        canvas.number = number;
        draw(canvas, state);
    }
    return true;
}

bool PreviewGauge(Host& host, const std::string& gauge, const std::optional<std::string>& params,
                  BitmapSource& bitmaps, Picture& picture, std::string* error,
                  std::vector<std::string>* skipped) {
    if (!host.Place(gauge, gauge, params, error)) return false;
    host.Connect();
    host.Frame();
    return RenderInstance(host, gauge, bitmaps, picture, error, skipped);
}

// --- Picture files -----------------------------------------------------------

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void Put32Big(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(value >> shift));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// A PNG chunk: length, type, data, CRC of type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char type[5], const std::vector<std::uint8_t>& data) {
    Put32Big(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32Big(out, Crc32(out.data() + start, out.size() - start));
}

bool EndsWithPng(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".png";
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const Picture& picture) {
    const std::uint32_t stride = (std::uint32_t(picture.width) * 3 + 3) / 4 * 4;
    const std::uint32_t pixelBytes = stride * std::uint32_t(picture.height);
    std::vector<std::uint8_t> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + pixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, std::uint32_t(picture.width));
    Put32(out, std::uint32_t(picture.height));  // bottom-up
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const Rgb& pixel = picture.At(x, y);
            out.push_back(pixel.b);
            out.push_back(pixel.g);
            out.push_back(pixel.r);
        }
        for (std::uint32_t pad = std::uint32_t(picture.width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

// An RGB PNG whose zlib stream holds the rows in stored (uncompressed)
// blocks: no compressor needed, and any reader takes it.
std::vector<std::uint8_t> EncodePng(const Picture& picture) {
    std::vector<std::uint8_t> raw;
    raw.reserve(std::size_t(picture.height) * (std::size_t(picture.width) * 3 + 1));
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < picture.width; ++x) {
            const Rgb& pixel = picture.At(x, y);
            raw.push_back(pixel.r);
            raw.push_back(pixel.g);
            raw.push_back(pixel.b);
        }
    }
    constexpr std::size_t maxStored = 65535;
    std::vector<std::uint8_t> zlib{0x78, 0x01};
    std::size_t done = 0;
    do {
        const std::size_t length = std::min(maxStored, raw.size() - done);
        const bool last = done + length == raw.size();
        zlib.push_back(last ? 1 : 0);
        Put16(zlib, std::uint32_t(length));
        Put16(zlib, std::uint32_t(~length & 0xFFFF));
        zlib.insert(zlib.end(), raw.begin() + std::ptrdiff_t(done), raw.begin() + std::ptrdiff_t(done + length));
        done += length;
    } while (done < raw.size());
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    Put32Big(zlib, (b << 16) | a);

    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    Put32Big(header, std::uint32_t(picture.width));
    Put32Big(header, std::uint32_t(picture.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", zlib);
    PutChunk(out, "IEND", {});
    return out;
}

bool WritePicture(const Picture& picture, const std::string& path, std::string* error) {
    const std::vector<std::uint8_t> bytes = EndsWithPng(path) ? EncodePng(picture) : EncodeBmp(picture);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace panelhost
