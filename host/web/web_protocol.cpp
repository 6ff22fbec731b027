#include "host/web/web_protocol.h"

#include <cmath>

#include "host/panel/panel_config.h"  // Utf8FromWindows1252

namespace panelhost {

namespace {

// Placements and boxes travel to a thousandth of a pixel: finer than any
// painter shows, and short on the wire. Non-finite numbers travel as 0.
double Short(double value) {
    if (!std::isfinite(value)) return 0;
    return std::round(value * 1000) / 1000;
}

nlohmann::json BoxJson(const ClipBox& box) {
    return nlohmann::json::array({Short(box.x), Short(box.y), Short(box.w), Short(box.h)});
}

const char* KindName(PaintKind kind) {
    switch (kind) {
        case PaintKind::Fill: return "f";
        case PaintKind::Bitmap: return "b";
        case PaintKind::Text: return "t";
    }
    return "f";
}

}  // namespace

std::string JsonText(const nlohmann::json& json) {
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::json PaintItemJson(const PaintItem& item) {
    const PaintItem plain;
    nlohmann::json json = {{"k", KindName(item.kind)}, {"c", BoxJson(item.clip)}};
    if (!item.alias.empty()) json["al"] = std::string(item.alias);
    if (!item.light.Plain()) json["l"] = {Short(item.light.r), Short(item.light.g), Short(item.light.b)};
    if (item.kind == PaintKind::Bitmap) {
        if (item.bitmap >= 0) {
            json["i"] = item.bitmap;
        } else {
            json["g"] = item.background;
        }
        const Placement& p = item.placement;
        json["p"] = {Short(p.xx), Short(p.yx), Short(p.xy), Short(p.yy), Short(p.x0), Short(p.y0)};
        if (item.blackTransparent) json["bt"] = 1;
        if (item.bilinear) json["bi"] = 1;
        if (item.wrap) json["wr"] = 1;
        return json;
    }
    json["x"] = BoxJson(item.box);
    json["fg"] = item.foreground;
    if (item.alpha != plain.alpha) json["a"] = Short(item.alpha);
    if (item.kind == PaintKind::Text) {
        json["tx"] = item.text;
        json["f"] = Utf8FromWindows1252(item.face);  // as the gauge's record names it
        if (item.weight != plain.weight) json["wt"] = item.weight;
        json["bg"] = item.backgroundColour;
        if (item.transparentBackground) json["tb"] = 1;
    }
    return json;
}

nlohmann::json WindowListJson(const WindowList& list) {
    nlohmann::json set = nlohmann::json::array();
    for (std::size_t i = 0; i < list.items.size(); ++i) set.push_back({i, PaintItemJson(list.items[i])});
    return {{"s", list.section}, {"w", list.width}, {"h", list.height}, {"n", list.items.size()}, {"set", set}};
}

nlohmann::json WindowListChanges(const WindowList& before, const WindowList& after) {
    if (before.width != after.width || before.height != after.height || before.section != after.section) {
        return WindowListJson(after);
    }
    nlohmann::json set = nlohmann::json::array();
    for (std::size_t i = 0; i < after.items.size(); ++i) {
        if (i >= before.items.size() || !(before.items[i] == after.items[i])) {
            set.push_back({i, PaintItemJson(after.items[i])});
        }
    }
    if (set.empty() && before.items.size() == after.items.size()) return nullptr;
    return {{"s", after.section}, {"w", after.width}, {"h", after.height}, {"n", after.items.size()}, {"set", set}};
}

}  // namespace panelhost
