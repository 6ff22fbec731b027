// The GDI+ painter of display lists (painter.h): the Windows host's, with
// the system's own 2D library. Text is set in the faces the gauges name,
// found by the system; a face it does not have is set in its sans-serif.
#include <windows.h>

#include <objidl.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string_view>
#include <tuple>
#include <vector>

// GDI+ wants min and max as the Windows headers once gave them.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "host/picture/painter.h"

namespace panelhost {

namespace {

namespace gp = Gdiplus;

// Bold from this weight on: GDI+ knows regular and bold only.
constexpr int boldWeight = 600;
// The size in pixels text is measured at.
constexpr double measuringSize = 1000;

// GDI+ started once for the process and left running: pictures may be made
// until the very end, and the system closes it with the process.
bool Started() {
    static const bool started = [] {
        ULONG_PTR token = 0;
        const gp::GdiplusStartupInput input;
        return gp::GdiplusStartup(&token, &input, nullptr) == gp::Ok;
    }();
    return started;
}

std::wstring Wide(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(std::max(length, 0)), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

gp::Color ColourOf(std::uint32_t rgb, const Light& light, double alpha = 1) {
    const Rgb lit = LitColour(rgb, light);
    return gp::Color(BYTE(std::lround(std::clamp(alpha, 0.0, 1.0) * 255)), lit.r, lit.g, lit.b);
}

gp::RectF RectOf(const ClipBox& box) {
    return gp::RectF(gp::REAL(box.x), gp::REAL(box.y), gp::REAL(box.w), gp::REAL(box.h));
}

using BitmapPtr = std::unique_ptr<gp::Bitmap>;

bool Usable(const BitmapPtr& bitmap) { return bitmap && bitmap->GetLastStatus() == gp::Ok; }

// Visits every pixel row of the bitmap as premultiplied ARGB words, to read
// (ImageLockModeRead) or to write (ImageLockModeWrite).
template <typename Row>
bool EachRow(gp::Bitmap& bitmap, gp::ImageLockMode mode, const Row& row) {
    const gp::Rect whole(0, 0, INT(bitmap.GetWidth()), INT(bitmap.GetHeight()));
    gp::BitmapData data{};
    if (bitmap.LockBits(&whole, UINT(mode), PixelFormat32bppPARGB, &data) != gp::Ok) return false;
    for (UINT y = 0; y < data.Height; ++y) {
        row(int(y), reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride));
    }
    return bitmap.UnlockBits(&data) == gp::Ok;
}

BitmapPtr NewBitmap(int width, int height) {
    if (width <= 0 || height <= 0 || !Started()) return nullptr;
    BitmapPtr bitmap = std::make_unique<gp::Bitmap>(width, height, PixelFormat32bppPARGB);
    if (!Usable(bitmap)) return nullptr;
    return bitmap;
}

BitmapPtr BitmapOf(const Picture& picture, bool blackTransparent, const Light& light) {
    BitmapPtr bitmap = NewBitmap(picture.width, picture.height);
    if (!bitmap || !EachRow(*bitmap, gp::ImageLockModeWrite, [&](int y, std::uint32_t* row) {
            for (int x = 0; x < picture.width; ++x) row[x] = PaintedPixel(picture.At(x, y), blackTransparent, light);
        })) {
        return nullptr;
    }
    return bitmap;
}

// Wrapped, the bitmap repeats beyond its edges over the whole clip box
// (`area`, in the same space as the placement's result).
void PaintBitmap(gp::Graphics& g, gp::Bitmap* bitmap, const Placement& placement, bool bilinear, bool wrap,
                 const ClipBox& area) {
    if (!bitmap || !Paintable(placement)) return;
    const gp::GraphicsState state = g.Save();
    const gp::Matrix matrix(gp::REAL(placement.xx), gp::REAL(placement.yx), gp::REAL(placement.xy),
                            gp::REAL(placement.yy), gp::REAL(placement.x0), gp::REAL(placement.y0));
    const gp::InterpolationMode smooth =
        AveragedWhenShrunk(placement) ? gp::InterpolationModeHighQualityBilinear : gp::InterpolationModeBilinear;
    g.SetInterpolationMode(bilinear ? smooth : gp::InterpolationModeNearestNeighbor);
    if (wrap) {
        gp::TextureBrush texture(bitmap, gp::WrapModeTile);
        texture.SetTransform(&matrix);
        g.FillRectangle(&texture, RectOf(area));
    } else {
        g.MultiplyTransform(&matrix);
        const gp::REAL width = gp::REAL(bitmap->GetWidth()), height = gp::REAL(bitmap->GetHeight());
        g.DrawImage(bitmap, gp::RectF(0, 0, width, height), 0, 0, width, height, gp::UnitPixel);
    }
    g.Restore(state);
}

// The face by name; where the system has no such face, Arial, else the
// first face the system has; null when it has none.
std::unique_ptr<gp::FontFamily> FamilyOf(const std::string& face) {
    for (const std::string& name : {face.empty() ? std::string(defaultTextFace) : face, std::string(defaultTextFace)}) {
        auto family = std::make_unique<gp::FontFamily>(Wide(name, CP_UTF8).c_str());
        if (family->GetLastStatus() == gp::Ok && family->IsAvailable()) return family;
    }
    const gp::InstalledFontCollection installed;
    const INT count = installed.GetFamilyCount();
    if (count <= 0) return nullptr;
    std::vector<gp::FontFamily> families(static_cast<std::size_t>(count));
    INT found = 0;
    if (installed.GetFamilies(count, families.data(), &found) != gp::Ok) return nullptr;
    for (INT i = 0; i < found; ++i) {
        if (families[std::size_t(i)].IsStyleAvailable(gp::FontStyleRegular)) {
            return std::unique_ptr<gp::FontFamily>(families[std::size_t(i)].Clone());
        }
    }
    return nullptr;
}

void PaintText(gp::Graphics& g, const PaintItem& item) {
    const ClipBox& box = item.box;
    if (!(box.w > 0 && box.h > 0)) return;
    const gp::GraphicsState state = g.Save();
    g.IntersectClip(RectOf(box));
    if (!item.transparentBackground) {
        const gp::SolidBrush background(ColourOf(item.backgroundColour, item.light));
        g.FillRectangle(&background, RectOf(box));
    }
    const std::wstring text = Wide(item.text, CP_UTF8);
    const std::unique_ptr<gp::FontFamily> family = text.empty() ? nullptr : FamilyOf(item.face);
    if (family) {
        const INT style = item.weight >= boldWeight ? gp::FontStyleBold : gp::FontStyleRegular;
        // Typographic layout: the advance of the letters, without the margins
        // GDI+ adds to a line by default, as the other painters measure it.
        std::unique_ptr<gp::StringFormat> format(gp::StringFormat::GenericTypographic()->Clone());
        format->SetFormatFlags(format->GetFormatFlags() | gp::StringFormatFlagsNoWrap |
                               gp::StringFormatFlagsMeasureTrailingSpaces);
        // Measured once at a large size and scaled: outlines scale as they
        // are, while small sizes are measured in whole pixels.
        const gp::Font reference(family.get(), gp::REAL(measuringSize), style, gp::UnitPixel);
        gp::RectF measured;
        g.MeasureString(text.c_str(), INT(text.size()), &reference, gp::PointF(0, 0), format.get(), &measured);
        const auto widthAt = [&](double size) { return double(measured.Width) * size / measuringSize; };
        const double size = FittedTextSize(box.w, box.h, widthAt);
        // The letters as outlines, as designed: the same at any resolution,
        // and their ink known exactly for centring.
        gp::GraphicsPath outline;
        outline.AddString(text.c_str(), INT(text.size()), family.get(), style, gp::REAL(size), gp::PointF(0, 0),
                          format.get());
        gp::RectF ink;
        outline.GetBounds(&ink);
        double x = 0, y = 0;
        CentredTextOrigin(box, TextExtents{.logicalX = 0, .logicalWidth = widthAt(size), .inkY = ink.Y,
                                           .inkHeight = ink.Height},
                          x, y);
        const gp::Matrix moved(1, 0, 0, 1, gp::REAL(x), gp::REAL(y));
        outline.Transform(&moved);
        const gp::SolidBrush inkBrush(ColourOf(item.foreground, item.light));
        g.FillPath(&inkBrush, &outline);
    }
    g.Restore(state);
}

// The encoder GDI+ offers for a MIME type.
bool EncoderFor(const wchar_t* mime, CLSID& clsid) {
    UINT count = 0, bytes = 0;
    if (gp::GetImageEncodersSize(&count, &bytes) != gp::Ok || bytes == 0) return false;
    std::vector<BYTE> buffer(bytes);
    auto* encoders = reinterpret_cast<gp::ImageCodecInfo*>(buffer.data());
    if (gp::GetImageEncoders(count, bytes, encoders) != gp::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring_view(encoders[i].MimeType) == mime) {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

std::string EncodedPng(gp::Image& image) {
    CLSID png{};
    if (!EncoderFor(L"image/png", png)) return {};
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return {};
    std::string bytes;
    if (image.Save(stream, &png, nullptr) == gp::Ok) {
        HGLOBAL memory = nullptr;
        STATSTG stat{};
        if (GetHGlobalFromStream(stream, &memory) == S_OK && stream->Stat(&stat, STATFLAG_NONAME) == S_OK) {
            if (const void* data = GlobalLock(memory)) {
                bytes.assign(static_cast<const char*>(data), std::size_t(stat.cbSize.QuadPart));
                GlobalUnlock(memory);
            }
        }
    }
    stream->Release();
    return bytes;
}

}  // namespace

const char* PainterName() { return "GDI+"; }

struct Painter::Converted {
    std::map<std::tuple<const Picture*, bool, Light>, BitmapPtr> bitmaps;

    gp::Bitmap* Get(const Picture& picture, bool blackTransparent, const Light& light) {
        auto& slot = bitmaps[{&picture, blackTransparent, light}];
        if (!slot) slot = BitmapOf(picture, blackTransparent, light);
        return slot.get();
    }
};

Painter::Painter(BitmapSource& bitmaps, const PanelBackgrounds* backgrounds)
    : bitmaps_(bitmaps), backgrounds_(backgrounds), converted_(std::make_unique<Converted>()) {}
Painter::~Painter() = default;

struct Painting::Pixels {
    BitmapPtr bitmap;
};

Painting::Painting(int width, int height)
    : width_(width), height_(height), pixels_(std::make_unique<Pixels>(NewBitmap(width, height))) {}

Painting::Painting(const Picture& picture)
    : width_(picture.width),
      height_(picture.height),
      pixels_(std::make_unique<Pixels>(BitmapOf(picture, false, Light{}))) {}

Painting::~Painting() = default;
Painting::Painting(Painting&&) noexcept = default;
Painting& Painting::operator=(Painting&&) noexcept = default;

bool Painting::Made() const { return pixels_ && pixels_->bitmap; }

void Painting::Fill(std::uint32_t rgb) {
    if (!Made()) return;
    gp::Graphics g(pixels_->bitmap.get());
    g.Clear(ColourOf(rgb, Light{}));
}

void Painting::Paint(const WindowList& list, Painter& painter, const ClipBox* into) {
    if (!Made() || list.width <= 0 || list.height <= 0) return;
    gp::Graphics g(pixels_->bitmap.get());
    // Pixel centres at half pixels, edges smoothed, as cairo and the
    // browser's canvas take them.
    g.SetPixelOffsetMode(gp::PixelOffsetModeHalf);
    g.SetSmoothingMode(gp::SmoothingModeAntiAlias);
    g.SetCompositingQuality(gp::CompositingQualityHighSpeed);
    if (into) {
        g.SetClip(RectOf(*into));
        const gp::Matrix placed(gp::REAL(into->w / list.width), 0, 0, gp::REAL(into->h / list.height),
                                gp::REAL(into->x), gp::REAL(into->y));
        g.SetTransform(&placed);
    }
    for (const PaintItem& item : list.items) {
        if (!(item.clip.w > 0 && item.clip.h > 0)) continue;
        const gp::GraphicsState state = g.Save();
        g.IntersectClip(RectOf(item.clip));
        switch (item.kind) {
        case PaintKind::Fill: {
            const gp::SolidBrush brush(ColourOf(item.foreground, item.light, item.alpha));
            g.FillRectangle(&brush, RectOf(item.box));
            break;
        }
        case PaintKind::Bitmap:
            if (const Picture* picture = painter.Source(item)) {
                PaintBitmap(g, painter.converted().Get(*picture, item.blackTransparent, item.light), item.placement,
                            item.bilinear, item.wrap, item.clip);
            }
            break;
        case PaintKind::Text:
            PaintText(g, item);
            break;
        }
        g.Restore(state);
    }
}

Picture Painting::Over(Rgb under) const {
    if (!Made()) return {};
    Picture picture(width_, height_);
    EachRow(*pixels_->bitmap, gp::ImageLockModeRead, [&](int y, const std::uint32_t* row) {
        for (int x = 0; x < width_; ++x) picture.At(x, y) = PixelOver(row[x], under);
    });
    return picture;
}

std::string Painting::Png() const {
    if (!Made()) return {};
    gp::Bitmap& bitmap = *pixels_->bitmap;
    bool opaque = true;
    EachRow(bitmap, gp::ImageLockModeRead, [&](int, const std::uint32_t* row) {
        opaque = opaque && std::all_of(row, row + width_, [](std::uint32_t pixel) { return pixel >> 24 == 0xFF; });
    });
    if (!opaque) return EncodedPng(bitmap);
    // An opaque picture as an RGB file, as the native painter writes it.
    const BitmapPtr rgb(bitmap.Clone(gp::Rect(0, 0, width_, height_), PixelFormat24bppRGB));
    return Usable(rgb) ? EncodedPng(*rgb) : std::string();
}

std::optional<Picture> ReadPngFile(const std::string& path) {
    if (!Started()) return std::nullopt;
    const BitmapPtr bitmap(gp::Bitmap::FromFile(Wide(path, CP_ACP).c_str()));
    if (!Usable(bitmap)) return std::nullopt;
    Picture picture(int(bitmap->GetWidth()), int(bitmap->GetHeight()));
    if (!EachRow(*bitmap, gp::ImageLockModeRead, [&](int y, const std::uint32_t* row) {
            for (int x = 0; x < picture.width; ++x) picture.At(x, y) = PixelOver(row[x], Rgb{});
        })) {
        return std::nullopt;
    }
    return picture;
}

}  // namespace panelhost
