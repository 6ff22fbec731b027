// What a client sends the live server: the bytes of one or more pipelined
// requests, read by the server's own parser with its limits, screened and
// answered by its routes on the shipped panel (placed once, a frame run
// for every input). Every answer must be a status of HTTP's and, when it is
// JSON, JSON in UTF-8 as it stands; nothing may throw.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz/fuzz_support.h"
#include "host/web/live_panel.h"
#include "host/web/web_routes.h"

namespace {

namespace http = boost::beast::http;

panelhost::LivePanel& Panel() {
    static panelhost::LivePanel* panel = [] {
        auto* live = new panelhost::LivePanel;
        panelhost::LiveOptions options;
        options.panelPath = QR_SHIPPED_PANEL;
        options.attach = [](panelhost::Host& host, std::string*) { return fuzzing::AttachModule(host); };
        std::string error;
        if (!live->Open(options, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
        return live;
    }();
    return *panel;
}

void Check(const panelhost::WebAnswer& answer) {
    const int status = int(answer.status);
    if (status < 100 || status > 599) {
        std::fprintf(stderr, "answered with status %d\n", status);
        std::abort();
    }
    if (answer.body && std::string(answer.type) == "application/json" && !nlohmann::json::accept(*answer.body)) {
        std::fprintf(stderr, "answered with JSON that does not read: %s\n", answer.body->substr(0, 200).c_str());
        std::abort();
    }
}

// Reads one request from `bytes` (as far as they go), as the server does:
// the header first and screened, then the body. Returns how many bytes it
// took, or 0 when the connection would end here.
std::size_t Serve(panelhost::WebRoutes& routes, std::string_view bytes) {
    http::request_parser<http::string_body> parser;
    panelhost::LimitParser(parser);
    std::size_t used = 0;
    boost::beast::error_code error;
    // Feeds the parser until `done` or it wants more than there is.
    const auto feed = [&](auto done) {
        while (!done() && !error && used < bytes.size()) {
            used += parser.put(boost::asio::buffer(bytes.data() + used, bytes.size() - used), error);
        }
        if (error && error != http::error::need_more) {
            if (const auto answer = panelhost::WebRoutes::Unreadable(error)) Check(*answer);
        }
        // The bytes ran out before the part wanted: the connection waits for
        // more, which never comes here.
        return !error && done();
    };
    if (!feed([&] { return parser.is_header_done(); })) return 0;
    if (const auto refused = routes.Screen(parser.get())) {
        Check(*refused);
        return 0;
    }
    if (!feed([&] { return parser.is_done(); })) return 0;
    const panelhost::WebAnswer answer = routes.Answer(parser.get());
    if (answer.eventStream) {
        std::uint64_t frame = 0;
        const panelhost::SharedText snapshot = Panel().Snapshot(&frame);
        if (!nlohmann::json::accept(*snapshot)) {
            std::fprintf(stderr, "snapshot JSON does not read\n");
            std::abort();
        }
    }
    Check(answer);
    return parser.get().keep_alive() ? used : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    panelhost::LivePanel& panel = Panel();
    static panelhost::WebRoutes routes(panel, panelhost::ServedHosts("127.0.0.1", 8417));
    panel.Step();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    while (!bytes.empty()) {
        const std::size_t used = Serve(routes, bytes);
        if (used == 0) break;
        bytes.remove_prefix(used);
    }
    return 0;
}
