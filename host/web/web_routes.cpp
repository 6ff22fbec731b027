#include "host/web/web_routes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <functional>
#include <iterator>
#include <string_view>

#include <nlohmann/json.hpp>

#include "host/web/design_panel.h"
#include "host/web/web_page.h"  // generated: web_index_html, web_panel_js, web_panel_css, web_design_js, ...
#include "host/web/web_protocol.h"

namespace panelhost {

namespace {

using Status = http::status;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

bool Among(const std::vector<std::string>& names, std::string_view value) {
    return std::find(names.begin(), names.end(), Lower(value)) != names.end();
}

std::string_view View(boost::beast::string_view text) { return {text.data(), text.size()}; }

SharedText Text(std::string text) { return std::make_shared<const std::string>(std::move(text)); }

WebAnswer Refusal(Status status, const std::string& why) {
    return WebAnswer{.status = status, .body = Text(JsonText({{"error", why}}))};
}

WebAnswer BodyTooLarge() {
    return Refusal(Status::payload_too_large, "expected a body of at most " + std::to_string(maxBodyBytes) + " bytes");
}

WebAnswer FromPanel(const LiveAnswer& answer) {
    return WebAnswer{.status = Status(answer.status), .body = Text(answer.body)};
}

// The media type of a Content-Type value, without its parameters.
std::string MediaType(std::string_view value) {
    value = value.substr(0, value.find(';'));
    const auto first = value.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = value.find_last_not_of(" \t");
    return Lower(value.substr(first, last - first + 1));
}

// "NAME.SUFFIX" after `prefix`: NAME when the path has that shape and NAME
// is 1 to `longest` characters that `allowed` takes.
std::optional<std::string_view> Named(std::string_view path, std::string_view prefix, std::string_view suffix,
                                      std::size_t longest, int (*allowed)(int)) {
    if (!path.starts_with(prefix) || !path.ends_with(suffix) || path.size() < prefix.size() + suffix.size()) {
        return std::nullopt;
    }
    const std::string_view name = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    if (name.empty() || name.size() > longest) return std::nullopt;
    if (!std::all_of(name.begin(), name.end(), [&](char c) { return allowed(static_cast<unsigned char>(c)) != 0; })) {
        return std::nullopt;
    }
    return name;
}

int SectionCharacter(int c) { return std::isalnum(c) || c == '_'; }

template <typename Number>
std::optional<Number> NumberOf(std::string_view text) {
    Number value{};
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The page's own files, made into shared texts once.
struct PageFile {
    std::string_view path;
    const char* text;
    const char* type;
};
constexpr std::array pageFiles{
    PageFile{"/", web_index_html, "text/html; charset=utf-8"},
    PageFile{"/panel.js", web_panel_js, "text/javascript; charset=utf-8"},
    // Painting, the page's and its motion worker's.
    PageFile{"/paint.js", web_paint_js, "text/javascript; charset=utf-8"},
    PageFile{"/motion.js", web_motion_js, "text/javascript; charset=utf-8"},
    PageFile{"/panel.css", web_panel_css, "text/css; charset=utf-8"},
    // Design mode's part of the page: it stands down where /api/design is
    // not served.
    PageFile{"/design.js", web_design_js, "text/javascript; charset=utf-8"},
    PageFile{"/design.css", web_design_css, "text/css; charset=utf-8"},
};

// The requests that change the panel or ask it something with a body.
using PostAction = LiveAnswer (*)(LivePanel&, const nlohmann::json&);
struct PostRoute {
    std::string_view path;
    PostAction act;
    bool readsBody{true};
};
constexpr std::array postRoutes{
    PostRoute{"/api/mouse", [](LivePanel& panel, const nlohmann::json& body) { return panel.Mouse(body); }},
    PostRoute{"/api/layout", [](LivePanel& panel, const nlohmann::json& body) { return panel.Layout(body); }},
    PostRoute{"/api/flight", [](LivePanel& panel, const nlohmann::json& body) { return panel.Flight(body); }},
    PostRoute{"/api/lighting", [](LivePanel& panel, const nlohmann::json& body) { return panel.SetLighting(body); }},
    PostRoute{"/api/approach", [](LivePanel& panel, const nlohmann::json&) { return panel.FlyApproach(); }, false},
};

// Design mode's requests, served with --edit only.
using DesignAction = LiveAnswer (*)(DesignPanel&, const nlohmann::json&);
struct DesignRoute {
    std::string_view path;
    DesignAction act;
    bool readsBody{true};
};
constexpr std::array designRoutes{
    DesignRoute{"/api/edit", [](DesignPanel& design, const nlohmann::json& body) { return design.Edit(body); }},
    DesignRoute{"/api/save", [](DesignPanel& design, const nlohmann::json& body) { return design.Save(body); }},
    DesignRoute{"/api/undo", [](DesignPanel& design, const nlohmann::json&) { return design.Undo(); }, false},
    DesignRoute{"/api/redo", [](DesignPanel& design, const nlohmann::json&) { return design.Redo(); }, false},
};
constexpr std::string_view designState = "/api/design";

const DesignRoute* DesignRouteOf(std::string_view path) {
    const auto found = std::ranges::find(designRoutes, path, &DesignRoute::path);
    return found == designRoutes.end() ? nullptr : &*found;
}

const PostRoute* PostRouteOf(std::string_view path) {
    const auto found = std::ranges::find(postRoutes, path, &PostRoute::path);
    return found == postRoutes.end() ? nullptr : &*found;
}

bool IsGetRoute(std::string_view path) {
    const auto page = std::ranges::find(pageFiles, path, &PageFile::path);
    return page != pageFiles.end() || path == "/events" || path == "/api/events" || path == "/api/measures" ||
           path.starts_with("/bitmap/") || path.starts_with("/background/") || path.starts_with("/wave/");
}

std::string_view PathOf(const WebRequest& request) {
    const std::string_view target = View(request.target());
    return target.substr(0, target.find('?'));
}

}  // namespace

void LimitParser(http::request_parser<http::string_body>& parser) {
    parser.header_limit(std::uint32_t(maxHeaderBytes));
    parser.body_limit(std::uint64_t(maxBodyBytes));
}

std::vector<std::string> ServedHosts(const std::string& address, int port) {
    const std::string given = address.find(':') != std::string::npos ? "[" + address + "]" : address;
    std::vector<std::string> names{"127.0.0.1", "localhost", "[::1]", Lower(given)};
    std::vector<std::string> hosts;
    for (const std::string& name : names) {
        hosts.push_back(name + ":" + std::to_string(port));
        // A browser leaves the port out of Host when it is HTTP's own.
        if (port == 80) hosts.push_back(name);
    }
    return hosts;
}

WebRoutes::WebRoutes(LivePanel& panel, const std::vector<std::string>& hosts, DesignPanel* design)
    : panel_(panel), design_(design) {
    for (const std::string& host : hosts) {
        hosts_.push_back(Lower(host));
        origins_.push_back("http://" + Lower(host));
    }
}

std::optional<WebAnswer> WebRoutes::Screen(const WebRequest& request) const {
    if (!Among(hosts_, View(request[http::field::host]))) {
        return Refusal(Status::misdirected_request, "this server answers only to its own address");
    }
    if (std::size_t(std::distance(request.begin(), request.end())) > maxHeaderFields) {
        return Refusal(Status::request_header_fields_too_large,
                       "expected at most " + std::to_string(maxHeaderFields) + " header fields");
    }
    const std::string_view path = PathOf(request);
    const bool designing = design_ && (DesignRouteOf(path) || path == designState);
    const bool post = PostRouteOf(path) || (designing && path != designState);
    if (!post && !designing && !IsGetRoute(path)) return Refusal(Status::not_found, "no such resource");
    if (request.method() != (post ? http::verb::post : http::verb::get)) {
        return Refusal(Status::method_not_allowed, post ? "expected POST" : "expected GET");
    }
    // No body is inflated: a few kilobytes of gzip can stand for gigabytes.
    const auto encoding = request.find(http::field::content_encoding);
    if (encoding != request.end() && Lower(View(encoding->value())) != "identity") {
        return Refusal(Status::unsupported_media_type, "expected a body that is not compressed");
    }
    if (request.has_content_length() && request[http::field::content_length].size() > 0 &&
        NumberOf<std::uint64_t>(View(request[http::field::content_length])).value_or(0) > maxBodyBytes) {
        return BodyTooLarge();
    }
    if (!post) return std::nullopt;
    const auto origin = request.find(http::field::origin);
    if (origin != request.end() && !Among(origins_, View(origin->value()))) {
        return Refusal(Status::forbidden, "only the panel's own page may operate it");
    }
    // Another site's form or `no-cors` fetch can send only form and plain
    // text types; JSON takes a page of our own.
    if (MediaType(View(request[http::field::content_type])) != "application/json") {
        return Refusal(Status::unsupported_media_type, "expected Content-Type: application/json");
    }
    return std::nullopt;
}

WebAnswer WebRoutes::Answer(const WebRequest& request) {
    const std::string_view path = PathOf(request);
    if (const PostRoute* post = PostRouteOf(path)) {
        nlohmann::json body;
        if (post->readsBody) {
            body = nlohmann::json::parse(request.body(), nullptr, false);
            if (body.is_discarded()) return Refusal(Status::bad_request, "expected a JSON body");
        }
        return FromPanel(post->act(panel_, body));
    }
    if (const DesignRoute* route = design_ ? DesignRouteOf(path) : nullptr) {
        nlohmann::json body;
        if (route->readsBody) {
            body = nlohmann::json::parse(request.body(), nullptr, false);
            if (body.is_discarded()) return Refusal(Status::bad_request, "expected a JSON body");
        }
        return FromPanel(route->act(*design_, body));
    }
    if (design_ && path == designState) return FromPanel(design_->State());
    static const std::vector<SharedText> pages = [] {
        std::vector<SharedText> texts;
        for (const PageFile& file : pageFiles) texts.push_back(Text(file.text));
        return texts;
    }();
    for (std::size_t i = 0; i < pageFiles.size(); ++i) {
        if (pageFiles[i].path != path) continue;
        return WebAnswer{.type = pageFiles[i].type, .cache = "no-cache", .body = pages[i]};
    }
    if (path == "/events") return WebAnswer{.eventStream = true};
    if (path == "/api/events") return FromPanel(panel_.Events());
    if (path == "/api/measures") return WebAnswer{.body = Text(JsonText(panel_.Measures()))};

    // Pictures and sounds: each made once, kept by the browser an hour.
    const auto resource = [](SharedText bytes, const char* type) {
        if (!bytes) return Refusal(Status::not_found, "no such resource");
        return WebAnswer{.type = type, .cache = "max-age=3600", .body = std::move(bytes)};
    };
    if (const auto id = Named(path, "/bitmap/", ".png", 10, isdigit)) {
        const auto number = NumberOf<std::int32_t>(*id);
        return resource(number ? panel_.BitmapPng(*number) : nullptr, "image/png");
    }
    if (const auto section = Named(path, "/background/", ".png", 64, SectionCharacter)) {
        return resource(panel_.BackgroundPng(std::string(*section)), "image/png");
    }
    if (const auto id = Named(path, "/wave/", ".wav", 10, isdigit)) {
        const auto number = NumberOf<std::uint32_t>(*id);
        return resource(number ? panel_.Wave(*number) : nullptr, "audio/wav");
    }
    return Refusal(Status::not_found, "no such resource");
}

std::optional<WebAnswer> WebRoutes::Unreadable(const boost::system::error_code& error) {
    if (error == http::error::header_limit) {
        return Refusal(Status::request_header_fields_too_large,
                       "expected a request head of at most " + std::to_string(maxHeaderBytes) + " bytes");
    }
    if (error == http::error::body_limit) {
        return BodyTooLarge();
    }
    if (error.category() == http::make_error_code(http::error::bad_target).category() &&
        error != http::error::end_of_stream && error != http::error::partial_message) {
        return Refusal(Status::bad_request, "expected an HTTP/1 request");
    }
    return std::nullopt;  // gone, cut short or too slow: nobody to answer
}

}  // namespace panelhost
