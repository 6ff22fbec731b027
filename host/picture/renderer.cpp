#include "host/picture/renderer.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>

#include "host/core/element_kinds.h"
#include "host/panel/panel_config.h"
#include "host/picture/painter.h"

namespace panelhost {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

bool EndsWithPng(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".png";
}

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

bool PreviewGauge(Host& host, const std::string& gauge, const std::optional<std::string>& params,
                  BitmapSource& bitmaps, Picture& picture, std::string* error, std::vector<std::string>* skipped,
                  const LightingScheme& lighting) {
    if (!host.Place(gauge, gauge, params, error)) return false;
    host.Connect();
    host.Frame();
    return RenderInstance(host, gauge, bitmaps, picture, error, skipped, lighting);
}

bool RenderInstance(const Host& host, const std::string& alias, BitmapSource& bitmaps, Picture& picture,
                    std::string* error, std::vector<std::string>* skipped, const LightingScheme& lighting) {
    const WindowList list = ComputeGaugeList(host, alias, bitmaps, lighting, error, skipped);
    if (list.width == 0) return false;
    Painter painter(bitmaps);
    Painting painting(list.width, list.height);
    if (!painting.Made()) {
        if (error) *error = alias + ": cannot make a picture of " + std::to_string(list.width) + "x" +
                            std::to_string(list.height);
        return false;
    }
    painting.Paint(list, painter);
    picture = painting.Over();
    return true;
}

bool WritePicture(const Picture& picture, const std::string& path, std::string* error) {
    if (EndsWithPng(path)) return WritePngFile(Painting(picture), path, error);
    const std::vector<std::uint8_t> bytes = EncodeBmp(picture);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace panelhost
