#include "host/web/web_server.h"

#include <atomic>
#include <charconv>
#include <csignal>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "host/web/design_panel.h"
#include "host/web/live_panel.h"
#include "host/web/web_page.h"  // generated: web_index_html, web_panel_js, web_panel_css, web_design_js, ...

namespace panelhost {

namespace {

constexpr int defaultPort = 8417;
constexpr std::size_t maxBodyBytes = 64 * 1024;
// Every open event stream holds a worker: enough for a classroom of pages.
constexpr std::size_t serverWorkers = 64;
// How long an event stream waits for a frame before it sends a keep-alive
// (which also finds pages that have gone).
constexpr std::chrono::milliseconds streamWait{500};

int Usage(const std::string& message) {
    std::cerr << "panelhost: " << message << "\n"
              << "usage: panelhost [--module PATH] serve PANEL.CFG [--port N] [--host ADDRESS] [--scenario FILE] [--edit]\n";
    return 2;
}

void Answer(httplib::Response& res, const LiveAnswer& answer) {
    res.status = answer.status;
    res.set_content(answer.body, "application/json");
}

void Refuse(httplib::Response& res, int status, const std::string& why) {
    Answer(res, LiveAnswer{status, nlohmann::json{{"error", why}}.dump()});
}

template <typename Number>
std::optional<Number> NumberOf(const std::string& text) {
    Number value{};
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A POST whose body is JSON, handed to the panel.
void JsonRoute(httplib::Server& server, const std::string& path, std::function<LiveAnswer(const nlohmann::json&)> act) {
    server.Post(path, [act](const httplib::Request& req, httplib::Response& res) {
        const nlohmann::json body = nlohmann::json::parse(req.body, nullptr, false);
        if (body.is_discarded()) return Refuse(res, 400, "expected a JSON body");
        Answer(res, act(body));
    });
}

void Routes(httplib::Server& server, LivePanel& panel, DesignPanel* design) {
    const auto file = [&server](const std::string& path, const char* text, const char* type) {
        server.Get(path, [text, type](const httplib::Request&, httplib::Response& res) {
            res.set_header("Cache-Control", "no-cache");
            res.set_content(text, type);
        });
    };
    file("/", web_index_html, "text/html; charset=utf-8");
    file("/panel.js", web_panel_js, "text/javascript; charset=utf-8");
    file("/panel.css", web_panel_css, "text/css; charset=utf-8");
    file("/design.js", web_design_js, "text/javascript; charset=utf-8");
    file("/design.css", web_design_css, "text/css; charset=utf-8");

    server.Get("/events", [&panel](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        auto frame = std::make_shared<std::optional<std::uint64_t>>();
        res.set_chunked_content_provider("text/event-stream", [&panel, frame](std::size_t, httplib::DataSink& sink) {
            std::vector<std::string> out;
            if (!*frame) {
                std::uint64_t at = 0;
                out.push_back(panel.Snapshot(&at));
                *frame = at;
            } else if (!panel.Updates(**frame, out, streamWait)) {
                sink.done();
                return false;
            }
            if (out.empty()) return sink.write(": waiting\n\n", 11);
            for (const std::string& text : out) {
                const std::string event = "data: " + text + "\n\n";
                if (!sink.write(event.data(), event.size())) return false;
            }
            return true;
        });
    });

    const auto binary = [](httplib::Response& res, const std::optional<std::string>& bytes, const char* type) {
        if (!bytes) return Refuse(res, 404, "no such resource");
        res.set_header("Cache-Control", "max-age=3600");
        res.set_content(*bytes, type);
    };
    server.Get(R"(/bitmap/(\d{1,10})\.png)", [&panel, binary](const httplib::Request& req, httplib::Response& res) {
        const auto id = NumberOf<std::int32_t>(req.matches[1]);
        binary(res, id ? panel.BitmapPng(*id) : std::nullopt, "image/png");
    });
    server.Get(R"(/background/([A-Za-z0-9_]{1,64})\.png)",
               [&panel, binary](const httplib::Request& req, httplib::Response& res) {
                   binary(res, panel.BackgroundPng(req.matches[1]), "image/png");
               });
    server.Get(R"(/wave/(\d{1,10})\.wav)", [&panel, binary](const httplib::Request& req, httplib::Response& res) {
        const auto id = NumberOf<std::uint32_t>(req.matches[1]);
        binary(res, id ? panel.Wave(*id) : std::nullopt, "audio/wav");
    });
    server.Get("/api/events", [&panel](const httplib::Request&, httplib::Response& res) { Answer(res, panel.Events()); });
    server.Get("/api/measures", [&panel](const httplib::Request&, httplib::Response& res) {
        res.set_content(panel.Measures().dump(), "application/json");
    });
    JsonRoute(server, "/api/mouse", [&panel](const nlohmann::json& body) { return panel.Mouse(body); });
    JsonRoute(server, "/api/layout", [&panel](const nlohmann::json& body) { return panel.Layout(body); });
    JsonRoute(server, "/api/flight", [&panel](const nlohmann::json& body) { return panel.Flight(body); });
    JsonRoute(server, "/api/lighting", [&panel](const nlohmann::json& body) { return panel.SetLighting(body); });
    server.Post("/api/approach", [&panel](const httplib::Request&, httplib::Response& res) {
        Answer(res, panel.FlyApproach());
    });
    if (design) {  // serve --edit
        server.Get("/api/design", [design](const httplib::Request&, httplib::Response& res) { Answer(res, design->State()); });
        JsonRoute(server, "/api/edit", [design](const nlohmann::json& body) { return design->Edit(body); });
        JsonRoute(server, "/api/save", [design](const nlohmann::json& body) { return design->Save(body); });
        server.Post("/api/undo", [design](const httplib::Request&, httplib::Response& res) { Answer(res, design->Undo()); });
        server.Post("/api/redo", [design](const httplib::Request&, httplib::Response& res) { Answer(res, design->Redo()); });
    }
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty()) {
            res.set_content(nlohmann::json{{"error", "HTTP " + std::to_string(res.status)}}.dump(),
                            "application/json");
        }
    });
}

}  // namespace

int ServeCommand(const std::string& modulePath, int argc, char** argv) {
    LiveOptions options;
    options.modulePath = modulePath;
    std::string address = "127.0.0.1";
    int port = defaultPort;
    bool edit = false;
    for (int i = 0; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--port") {
            const auto chosen = ++i < argc ? NumberOf<int>(argv[i]) : std::nullopt;
            if (!chosen || *chosen < 0 || *chosen > 65535) return Usage("--port needs a port number from 0 to 65535");
            port = *chosen;
        } else if (option == "--host") {
            if (++i >= argc || !*argv[i]) return Usage("--host needs an address");
            address = argv[i];
        } else if (option == "--scenario") {
            if (++i >= argc) return Usage("--scenario needs a scenario file");
            options.scenarioPath = argv[i];
        } else if (option == "--edit") {
            edit = true;
        } else if (option.starts_with("--")) {
            return Usage("unknown option of serve: " + option);
        } else if (options.panelPath.empty()) {
            options.panelPath = option;
        } else {
            return Usage("serve takes one panel configuration file");
        }
    }
    if (options.panelPath.empty()) return Usage("serve needs a panel configuration file");

    // Ctrl-C and termination are taken by one thread that stops the server;
    // every thread made from here on leaves them to it.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);

    LivePanel panel;
    std::string error;
    if (!panel.Open(options, &error)) {
        std::cerr << "panelhost: " << error << '\n';
        return 2;
    }
    for (const std::string& finding : panel.Findings()) std::cerr << finding << '\n';
    std::optional<DesignPanel> design;
    if (edit && !design.emplace(panel, options.panelPath).Open(&error)) {
        std::cerr << "panelhost: " << error << '\n';
        return 2;
    }

    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(serverWorkers); };
    server.set_payload_max_length(maxBodyBytes);
    Routes(server, panel, design ? &*design : nullptr);
    const int bound = port == 0 ? server.bind_to_any_port(address) : (server.bind_to_port(address, port) ? port : -1);
    if (bound < 0) {
        std::cerr << "panelhost: serve: cannot listen on " << address << ":" << port << '\n';
        return 1;
    }
    panel.Start();
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopping, &signal);
        stopped = true;
        panel.Stop();
        server.stop();
    });
    const std::string shown = address.find(':') != std::string::npos ? "[" + address + "]" : address;
    std::cout << "panelhost: serving " << options.panelPath << " at http://" << shown << ":" << bound
              << "/ (Ctrl-C stops)" << std::endl;
    server.listen_after_bind();
    if (!stopped) {
        // The server ended on its own: wake the stopper.
        pthread_kill(stopper.native_handle(), SIGTERM);
    }
    stopper.join();
    panel.Stop();
    std::cout << "panelhost: stopped" << std::endl;
    return 0;
}

}  // namespace panelhost
