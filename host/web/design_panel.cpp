#include "host/web/design_panel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>

#include "host/core/panel_host.h"
#include "host/panel/panel_edit.h"
#include "host/picture/bitmap_source.h"
#include "host/picture/panel_view.h"

namespace panelhost {

namespace {

struct EditOp {
    std::string_view name;
    PanelEditKind kind;
};
constexpr EditOp editOps[] = {
    {"move", PanelEditKind::Move},     {"resize", PanelEditKind::Resize}, {"add", PanelEditKind::Add},
    {"remove", PanelEditKind::Remove}, {"params", PanelEditKind::Params}, {"window", PanelEditKind::Window},
    {"addwindow", PanelEditKind::AddWindow},
};

std::string Dump(const nlohmann::json& json) { return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); }

LiveAnswer Refused(int status, const std::string& why, std::optional<std::size_t> change = std::nullopt) {
    nlohmann::json body{{"error", why}};
    if (change) body["change"] = *change;
    return LiveAnswer{status, Dump(body)};
}

// One change of a request as an edit, or the reason it is not one.
std::optional<std::string> ReadChange(const nlohmann::json& json, PanelEdit& edit) {
    if (!json.is_object() || !json.contains("op") || !json["op"].is_string()) return "expected {\"op\": ...}";
    const std::string op = json["op"];
    const auto found = std::find_if(std::begin(editOps), std::end(editOps), [&](const EditOp& e) { return e.name == op; });
    if (found == std::end(editOps)) {
        return "expected the op move, resize, add, remove, params, window or addwindow, found \"" + op + "\"";
    }
    edit.kind = found->kind;
    std::optional<std::string> problem;
    const auto text = [&](const char* name, std::string& into, bool needed) {
        if (!json.contains(name) || json[name].is_null()) {
            if (needed && !problem) problem = std::string("expected \"") + name + "\"";
            return;
        }
        if (!json[name].is_string()) {
            if (!problem) problem = std::string("expected \"") + name + "\" as text";
            return;
        }
        into = json[name].get<std::string>();
    };
    const auto whole = [&](const char* name, std::optional<int>& into) {
        if (!json.contains(name) || json[name].is_null()) return;
        const nlohmann::json& value = json[name];
        const double number = value.is_number() ? value.get<double>() : std::nan("");
        if (!std::isfinite(number) || number != std::floor(number) || std::abs(number) > maxPanelCoordinate * 10.0) {
            if (!problem) problem = std::string("expected \"") + name + "\" as a whole number";
            return;
        }
        into = int(number);
    };
    const bool gauge = edit.kind == PanelEditKind::Move || edit.kind == PanelEditKind::Resize ||
                       edit.kind == PanelEditKind::Remove || edit.kind == PanelEditKind::Params;
    text("window", edit.window, edit.kind != PanelEditKind::AddWindow);
    text("gauge", edit.gauge, gauge);
    text("name", edit.name, edit.kind == PanelEditKind::Add);
    text(edit.kind == PanelEditKind::AddWindow ? "title" : "text", edit.text, edit.kind == PanelEditKind::Params);
    text("key", edit.key, edit.kind == PanelEditKind::Window);
    whole("x", edit.x);
    whole("y", edit.y);
    whole("width", edit.width);
    whole("height", edit.height);
    const char* valueName = edit.kind == PanelEditKind::AddWindow ? "size_mm" : "value";
    if (json.contains(valueName) && !json[valueName].is_null()) {
        std::string value;
        text(valueName, value, false);
        edit.value = value;
    } else if (edit.kind == PanelEditKind::Window && !json.contains("value")) {
        if (!problem) problem = "expected \"value\" (null takes the key away)";
    }
    return problem;
}

std::string Number(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

nlohmann::json Box(const ClipBox& box) { return {box.x, box.y, box.w, box.h}; }

}  // namespace

struct DesignPanel::Impl {
    LivePanel& live;
    mutable std::mutex lock;  // the document and the file
    PanelFile file;
    std::optional<PanelDocument> document;
    std::string saved;  // the text as last read or saved
    std::vector<std::string> names;  // the module's gauge table, each name once
    std::vector<TableGauge> table;
    nlohmann::json palette = nlohmann::json::array();

    Impl(LivePanel& panel, std::string path) : live(panel), file(std::move(path)) {}

    nlohmann::json Layout() const {
        nlohmann::json windows = nlohmann::json::array();
        nlohmann::json findings = nlohmann::json::array();
        const PanelDocument& doc = *document;
        live.Inspect([&](const Host& host, const PlacedPanel& placed, BitmapSource& bitmaps) {
            for (const PanelWindow& window : placed.config.windows) {
                if (window.virtualCockpit) continue;
                nlohmann::json gauges = nlohmann::json::array();
                const std::vector<DrawnGauge> drawn = DrawnGauges(host, placed, window, bitmaps);
                for (const PanelGauge& gauge : window.gauges) {
                    nlohmann::json entry{{"key", gauge.key},
                                         {"name", Utf8FromWindows1252(gauge.module + "!" + gauge.gauge)},
                                         {"x", gauge.x}, {"y", gauge.y},
                                         {"width", gauge.width ? nlohmann::json(*gauge.width) : nlohmann::json()},
                                         {"height", gauge.height ? nlohmann::json(*gauge.height) : nlohmann::json()},
                                         {"params", gauge.params ? nlohmann::json(Utf8FromWindows1252(*gauge.params)) : nlohmann::json()},
                                         {"line", Utf8FromWindows1252(doc.GaugeLine(gauge))},
                                         {"lineNumber", gauge.line}};
                    const auto shown = std::find_if(drawn.begin(), drawn.end(),
                                                    [&](const DrawnGauge& d) { return d.gauge->entry == &gauge; });
                    if (shown != drawn.end()) {
                        entry["box"] = Box(shown->design);
                        entry["pixels"] = Box(shown->pixels);
                    }
                    gauges.push_back(std::move(entry));
                }
                const auto optional = [](const auto& value) { return value ? nlohmann::json(*value) : nlohmann::json(); };
                const auto pair = [](const std::optional<double>& a, const std::optional<double>& b) {
                    return a ? Number(*a) + (b ? "," + Number(*b) : std::string()) : std::string();
                };
                windows.push_back({{"s", Utf8FromWindows1252(window.section)},
                                   {"title", window.title},
                                   {"size", window.sizeWidth ? std::to_string(*window.sizeWidth) +
                                                                   (window.sizeHeight ? "," + std::to_string(*window.sizeHeight) : "")
                                                             : std::string()},
                                   {"width", optional(window.sizeWidth)},
                                   {"height", optional(window.sizeHeight)},
                                   {"position", window.position ? std::to_string(*window.position) : std::string()},
                                   {"window_pos", pair(window.screenX, window.screenY)},
                                   {"window_size", pair(window.screenWidth, window.screenHeight)},
                                   {"visible", window.visible},
                                   {"gauges", std::move(gauges)}});
            }
            for (const PanelFinding& finding : placed.findings) {
                findings.push_back({{"line", finding.line}, {"column", finding.column},
                                    {"severity", SeverityName(finding.severity)}, {"message", finding.message},
                                    {"text", FindingText(finding)}});
            }
        });
        return {{"file", file.Path()},        {"windows", windows},       {"findings", findings},
                {"palette", palette},         {"canUndo", doc.CanUndo()}, {"canRedo", doc.CanRedo()},
                {"changed", doc.Text() != saved}};
    }

    // The panel placed again from the document's text, and the new layout.
    LiveAnswer Placed() {
        live.Replace(document->Config());
        return LiveAnswer{200, Dump(Layout())};
    }
};

DesignPanel::DesignPanel(LivePanel& live, std::string path) : impl_(std::make_unique<Impl>(live, std::move(path))) {}

DesignPanel::~DesignPanel() = default;

bool DesignPanel::Open(std::string* error) {
    Impl& s = *impl_;
    std::lock_guard held(s.lock);
    std::string text;
    if (!s.file.Read(&text, error)) return false;
    s.saved = text;
    s.document.emplace(std::move(text), s.file.Path());
    s.live.Inspect([&](const Host& host, const PlacedPanel&, BitmapSource&) {
        std::set<std::string> seen;
        for (const GaugeEntry& entry : host.Gauges()) {
            if (!seen.insert(entry.name).second) continue;
            s.names.push_back(entry.name);
            const ELEMENT_HEADER* face = entry.header && entry.header->elements_list ? entry.header->elements_list[0] : nullptr;
            s.palette.push_back({{"name", entry.name}, {"width", entry.sizeMm},
                                 {"bitmap", face ? nlohmann::json(face->resource_id) : nlohmann::json()}});
        }
    });
    for (const std::string& name : s.names) s.table.push_back({name});
    return true;
}

LiveAnswer DesignPanel::State() const {
    std::lock_guard held(impl_->lock);
    return LiveAnswer{200, Dump(impl_->Layout())};
}

LiveAnswer DesignPanel::Edit(const nlohmann::json& body) {
    if (!body.is_object() || !body.contains("changes") || !body["changes"].is_array()) {
        return Refused(400, "expected {\"changes\": [...]}");
    }
    const nlohmann::json& list = body["changes"];
    if (list.size() > maxEditBatch) {
        return Refused(400, "expected at most " + std::to_string(maxEditBatch) + " changes at once");
    }
    std::vector<PanelEdit> changes(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (auto problem = ReadChange(list[i], changes[i])) {
            return Refused(400, "change " + std::to_string(i) + ": " + *problem, i);
        }
    }
    Impl& s = *impl_;
    std::lock_guard held(s.lock);
    EditRefusal refusal;
    if (!s.document->Apply(changes, s.table, &refusal)) {
        const std::string op = list[refusal.change].value("op", std::string());
        return Refused(422, "change " + std::to_string(refusal.change) + " (" + op + "): " + refusal.reason,
                       refusal.change);
    }
    return s.Placed();
}

LiveAnswer DesignPanel::Undo() {
    std::lock_guard held(impl_->lock);
    if (!impl_->document->Undo()) return Refused(409, "nothing to undo");
    return impl_->Placed();
}

LiveAnswer DesignPanel::Redo() {
    std::lock_guard held(impl_->lock);
    if (!impl_->document->Redo()) return Refused(409, "nothing to redo");
    return impl_->Placed();
}

LiveAnswer DesignPanel::Save(const nlohmann::json& body) {
    if (!body.is_object() || (body.contains("overwrite") && !body["overwrite"].is_boolean())) {
        return Refused(400, "expected {\"overwrite\": false or true}");
    }
    Impl& s = *impl_;
    std::lock_guard held(s.lock);
    const PanelFile::Saved saved = s.file.Save(s.document->Text(), body.value("overwrite", false));
    if (saved.changedOnDisk) return LiveAnswer{409, Dump({{"error", saved.error}, {"changedOnDisk", true}})};
    if (!saved.written) return Refused(500, saved.error);
    s.saved = s.document->Text();
    nlohmann::json answer{{"saved", s.file.Path()}};
    if (!saved.backup.empty()) answer["backup"] = saved.backup;
    return LiveAnswer{200, Dump(answer)};
}

}  // namespace panelhost
