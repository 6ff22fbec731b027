#include "host/web/web_server.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <deque>
#include <iostream>
#include <list>
#include <memory>
#include <optional>
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "host/core/messages.h"
#include "host/web/design_panel.h"
#include "host/web/live_panel.h"
#include "host/web/web_protocol.h"
#include "host/web/web_routes.h"

namespace panelhost {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int defaultPort = 8417;
// How long one request may take to arrive whole, or a kept-alive connection
// may wait for its next; and how long one write may wait for the client.
constexpr auto requestTimeout = 10s;
constexpr auto writeTimeout = 10s;
// After an answer that ends a connection, what the client still sends (the
// rest of a body too large) is read and dropped for this long, so that it
// reads the answer rather than a reset.
constexpr auto lingerTimeout = 2s;
// Open connections at most; past it the oldest that is only draining what a
// client still sends after its last answer is closed first, then the one
// that has waited longest for a request, the oldest event stream, and the
// oldest answer still being written.
constexpr std::size_t maxConnections = 1024;
// An event stream whose page reads no more is dropped when this much waits
// for it: some five seconds of frames (the page's EventSource opens a new
// one, which starts from a snapshot).
constexpr std::size_t maxQueuedUpdates = 90;
constexpr std::size_t maxQueuedBytes = 8 << 20;
// A failed accept (no descriptors left) is tried again after a pause.
constexpr auto acceptPause = 50ms;
// Accepts waiting at once. Where each accept is a round trip through the
// system (Windows' completion ports, Wine's server most of all), one at a
// time falls behind a crowd of connecting clients, and a page's request
// waits in the queue behind them.
constexpr int pendingAccepts = 16;
// A request head that comes a few bytes at a time is taken in by one round
// over all such connections at this pace, rather than by a read waiting on
// each: what the client sends meanwhile waits in the system and comes in
// one read. Each read waiting costs a round trip through the system per
// packet (through Wine's server, most of all), and a thousand clients
// dribbling a byte at a time would queue a page's own request and its event
// stream behind theirs. A read that fills a packet goes on as it came.
constexpr auto dribblePace = 500ms;
constexpr std::size_t dribbleBytes = 512;
constexpr std::size_t readBytes = 64 * 1024;  // at most, in one read

const std::string streamHeader =
    "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
    "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n";
const std::string eventStart = "data: ", eventEnd = "\n\n";
const std::string emptyBody = "{}";

int Usage(const std::string& message) {
    std::cerr << "panelhost: " << message << "\n"
              << "usage: panelhost [--module PATH] serve PANEL.CFG [--port N] [--host ADDRESS] [--scenario FILE] [--edit]\n";
    return 2;
}

template <typename Number>
std::optional<Number> NumberOf(const std::string& text) {
    Number value{};
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Many connections each hold a descriptor: as many as the system lets us.
void RaiseOpenFileLimit() {
#if !defined(_WIN32)
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
#endif
}

class Server;

// One client's connection: requests read and answered in turn (pipelined
// ones too), or, once it asks for /events, the panel's updates.
class Session : public std::enable_shared_from_this<Session> {
public:
    enum class State { Reading, Answering, Streaming, Draining, Closed };

    Session(tcp::socket socket, Server& server) : stream_(std::move(socket)), server_(server) {}
    // The server holds the session until it closes (an event stream
    // waits on nothing of its own between frames).
    void Start();
    void Close();
    // The updates of the frames since the last, for an event stream.
    void Push(const std::vector<std::pair<std::uint64_t, SharedText>>& updates);

    State state() const { return state_; }
    Clock::time_point since() const { return since_; }
    std::list<std::shared_ptr<Session>>::iterator place;  // in the server's list

    // Takes in what a dribbling head's client has sent since the last
    // round; true once the session has left the round (head whole, failed,
    // out of time or closed).
    bool TakeDribble();

private:
    void ReadRequest();
    void ReadHeaderPart();
    void OnHeaderPart(beast::error_code error, std::size_t bytes);
    void ParseHeader(beast::error_code& error);
    void OnHeader(beast::error_code error);
    void OnRequest(beast::error_code error);
    void Failed(beast::error_code error);
    void Send(const WebAnswer& answer, bool close);
    void Linger();
    void StartStream();
    void WriteQueued();

    beast::tcp_stream stream_;
    Server& server_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    State state_{State::Reading};
    Clock::time_point since_{Clock::now()};
    bool closed_{};
    // The answer being written, and the bytes its body lies in.
    http::response<http::span_body<const char>> response_;
    SharedText body_;
    // The event stream: what waits to be written, and what is being written.
    std::uint64_t frame_{};
    std::deque<SharedText> queue_;
    std::size_t queuedBytes_{}, writing_{};
    bool headerSent_{};
    std::vector<asio::const_buffer> buffers_;
};

class Server {
public:
    Server(LivePanel& panel, DesignPanel* design) : panel_(panel), design_(design) {}

    // Listens at the address; the port is known once bound (--port 0 takes
    // a free one), and with it the Host values the server answers to.
    bool Listen(const std::string& address, int port, int* bound, bool* loopback) {
        beast::error_code error;
        tcp::resolver resolver(io_);
        const auto found = resolver.resolve(address, std::to_string(port), tcp::resolver::passive, error);
        if (error) return false;
        *loopback = true;
        for (const auto& entry : found) *loopback = *loopback && entry.endpoint().address().is_loopback();
        for (const auto& entry : found) {
            acceptor_.close(error);
            acceptor_.open(entry.endpoint().protocol(), error);
            if (error) continue;
            acceptor_.set_option(asio::socket_base::reuse_address(true), error);
            acceptor_.bind(entry.endpoint(), error);
            if (!error) acceptor_.listen(asio::socket_base::max_listen_connections, error);
            if (!error) {
                *bound = acceptor_.local_endpoint().port();
                routes_.emplace(panel_, ServedHosts(address, *bound), design_);
                return true;
            }
        }
        return false;
    }

    // Serves until Ctrl-C or termination.
    void Run() {
        signals_.async_wait([this](beast::error_code, int) { io_.stop(); });
        panel_.OnFrame([this] {
            // One broadcast waiting is enough: it takes every frame since.
            if (!broadcastWaiting_.exchange(true)) asio::post(io_, [this] { Broadcast(); });
        });
        for (int i = 0; i < pendingAccepts; ++i) Accept();
        io_.run();
    }

    WebRoutes& routes() { return *routes_; }
    LivePanel& panel() { return panel_; }
    ~Server() {
        // Closed while what they wait on is still there; the handlers that
        // hold them go with the io context.
        while (!sessions_.empty()) sessions_.front()->Close();
    }

    std::list<std::shared_ptr<Session>>::iterator Enter(std::shared_ptr<Session> session) {
        return sessions_.insert(sessions_.end(), std::move(session));
    }
    void Leave(std::list<std::shared_ptr<Session>>::iterator place) { sessions_.erase(place); }

    void Dribbling(std::shared_ptr<Session> session) {
        dribbling_.push_back(std::move(session));
        if (dribbling_.size() == 1) DribbleRound();
    }

private:
    void Accept() {
        acceptor_.async_accept([this](beast::error_code error, tcp::socket socket) {
            if (error == asio::error::operation_aborted) return;
            if (error) {
                // A pause of this accept's own: the others keep theirs.
                auto pause = std::make_shared<asio::steady_timer>(io_, acceptPause);
                pause->async_wait([this, pause](beast::error_code) { Accept(); });
                return;
            }
            if (MakeRoom()) {
                socket.set_option(tcp::no_delay(true), error);
                std::make_shared<Session>(std::move(socket), *this)->Start();
            }
            Accept();
        });
    }

    // Room for one more connection, made as maxConnections says.
    bool MakeRoom() {
        if (sessions_.size() < maxConnections) return true;
        Session* oldest = nullptr;
        using enum Session::State;
        for (const Session::State state : {Draining, Reading, Streaming, Answering}) {
            for (const auto& session : sessions_) {
                if (session->state() == state && (!oldest || session->since() < oldest->since())) {
                    oldest = session.get();
                }
            }
            if (oldest) break;
        }
        if (!oldest) return false;
        oldest->Close();
        return true;
    }

    void DribbleRound() {
        dribbleTimer_.expires_after(dribblePace);
        dribbleTimer_.async_wait([this](beast::error_code error) {
            if (error) return;
            // A session leaving the round reads on by itself; none joins
            // the round during it.
            std::erase_if(dribbling_, [](const std::shared_ptr<Session>& session) { return session->TakeDribble(); });
            if (!dribbling_.empty()) DribbleRound();
        });
    }

    void Broadcast() {
        broadcastWaiting_ = false;
        const auto updates = panel_.UpdatesAfter(frame_);
        if (updates.empty()) return;
        // Pushing may close a session, which leaves the list.
        for (auto at = sessions_.begin(); at != sessions_.end();) {
            const std::shared_ptr<Session> session = *at++;
            if (session->state() == Session::State::Streaming) session->Push(updates);
        }
    }

    LivePanel& panel_;
    std::optional<WebRoutes> routes_;
    DesignPanel* design_;
    std::list<std::shared_ptr<Session>> sessions_;
    std::uint64_t frame_{};
    std::atomic<bool> broadcastWaiting_{false};
    // Declared after what the sessions use: the sessions still waiting on
    // it go when it does.
    asio::io_context io_;
    tcp::acceptor acceptor_{io_};
    asio::signal_set signals_{io_, SIGINT, SIGTERM};
    asio::steady_timer dribbleTimer_{io_};
    // After the io context: the sessions here go before it does.
    std::vector<std::shared_ptr<Session>> dribbling_;
};

void Session::Start() {
    place = server_.Enter(shared_from_this());
    ReadRequest();
}

void Session::Close() {
    if (closed_) return;
    const auto keep = shared_from_this();  // leaving the list lets go of it
    closed_ = true;
    state_ = State::Closed;
    server_.Leave(place);
    stream_.close();
}

void Session::ReadRequest() {
    state_ = State::Reading;
    since_ = Clock::now();
    parser_.emplace();
    LimitParser(*parser_);
    stream_.expires_after(requestTimeout);
    // A pipelined request may be here already, whole or in part.
    beast::error_code error;
    if (buffer_.size() > 0) ParseHeader(error);
    if (error || parser_->is_header_done()) return OnHeader(error);
    ReadHeaderPart();
}

void Session::ReadHeaderPart() {
    stream_.async_read_some(buffer_.prepare(beast::read_size(buffer_, readBytes)),
                            [self = shared_from_this()](beast::error_code error, std::size_t bytes) {
                                self->OnHeaderPart(error, bytes);
                            });
}

void Session::OnHeaderPart(beast::error_code error, std::size_t bytes) {
    if (closed_) return;
    buffer_.commit(bytes);
    if (!error) ParseHeader(error);
    if (error || parser_->is_header_done()) return OnHeader(error);
    if (bytes >= dribbleBytes) return ReadHeaderPart();
    stream_.expires_never();  // the round keeps the request's time
    server_.Dribbling(shared_from_this());
}

void Session::ParseHeader(beast::error_code& error) {
    buffer_.consume(parser_->put(buffer_.data(), error));
    if (error == http::error::need_more) error = {};
}

bool Session::TakeDribble() {
    if (closed_) return true;
    const auto deadline = since_ + requestTimeout;
    if (Clock::now() >= deadline) {
        OnHeader(beast::error::timeout);
        return true;
    }
    beast::error_code error;
    tcp::socket& socket = stream_.socket();
    // What is waiting, so that the read never blocks (a client gone shows
    // as nothing waiting, and goes with the request's time).
    const std::size_t waiting = socket.available(error);
    if (!error && waiting == 0) return false;
    if (!error) buffer_.commit(socket.read_some(buffer_.prepare(std::min(waiting, readBytes)), error));
    if (!error) ParseHeader(error);
    if (!error && !parser_->is_header_done()) return false;
    stream_.expires_at(deadline);  // for the body
    OnHeader(error);
    return true;
}

void Session::OnHeader(beast::error_code error) {
    if (closed_) return;
    if (error) return Failed(error);
    if (const auto refused = server_.routes().Screen(parser_->get())) return Send(*refused, true);
    if (parser_->is_done()) return OnRequest({});
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code error, std::size_t) { self->OnRequest(error); });
}

void Session::OnRequest(beast::error_code error) {
    if (closed_) return;
    if (error) return Failed(error);
    state_ = State::Answering;
    WebAnswer answer;
    try {
        answer = server_.routes().Answer(parser_->get());
    } catch (const std::exception&) {
        // Whatever went wrong with this request, the server goes on.
        answer = WebAnswer{.status = http::status::internal_server_error};
    }
    if (answer.eventStream) return StartStream();
    Send(answer, !parser_->get().keep_alive());
}

void Session::Failed(beast::error_code error) {
    const auto answer = WebRoutes::Unreadable(error);
    if (!answer) return Close();
    Send(*answer, true);
}

void Session::Send(const WebAnswer& answer, bool close) {
    state_ = State::Answering;
    since_ = Clock::now();
    body_ = answer.body;
    const std::string& body = body_ ? *body_ : emptyBody;
    response_ = {};
    response_.result(answer.status);
    response_.version(11);
    response_.set(http::field::content_type, answer.type);
    response_.set(http::field::cache_control, answer.cache);
    response_.set("X-Content-Type-Options", "nosniff");
    response_.body() = {body.data(), body.size()};
    response_.keep_alive(!close);
    response_.prepare_payload();
    stream_.expires_after(writeTimeout);
    http::async_write(stream_, response_, [self = shared_from_this(), close](beast::error_code error, std::size_t) {
        if (self->closed_) return;
        if (error) return self->Close();
        self->body_.reset();
        if (close) return self->Linger();
        self->ReadRequest();
    });
}

void Session::Linger() {
    state_ = State::Draining;
    since_ = Clock::now();
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(lingerTimeout);
    buffer_.clear();
    // Read into the buffer and dropped until the client closes or the time
    // is up; then close.
    struct Drain {
        std::shared_ptr<Session> self;
        void operator()(beast::error_code error, std::size_t) {
            Session& s = *self;
            if (s.closed_ || error) return s.Close();
            s.stream_.async_read_some(s.buffer_.prepare(16 * 1024), std::move(*this));
        }
    };
    stream_.async_read_some(buffer_.prepare(16 * 1024), Drain{shared_from_this()});
}

void Session::StartStream() {
    state_ = State::Streaming;
    since_ = Clock::now();
    stream_.expires_never();
    queue_.push_back(server_.panel().Snapshot(&frame_));
    queuedBytes_ = queue_.back()->size();
    WriteQueued();
}

void Session::Push(const std::vector<std::pair<std::uint64_t, SharedText>>& updates) {
    for (const auto& [frame, text] : updates) {
        if (frame <= frame_) continue;
        frame_ = frame;
        queue_.push_back(text);
        queuedBytes_ += text->size();
    }
    if (queue_.size() > maxQueuedUpdates || queuedBytes_ > maxQueuedBytes) return Close();
    WriteQueued();
}

void Session::WriteQueued() {
    if (closed_ || writing_ > 0 || queue_.empty()) return;
    buffers_.clear();
    if (!headerSent_) buffers_.push_back(asio::buffer(streamHeader));
    for (const SharedText& text : queue_) {
        buffers_.push_back(asio::buffer(eventStart));
        buffers_.push_back(asio::buffer(*text));
        buffers_.push_back(asio::buffer(eventEnd));
    }
    writing_ = queue_.size();
    stream_.expires_after(writeTimeout);
    asio::async_write(stream_, buffers_, [self = shared_from_this()](beast::error_code error, std::size_t) {
        Session& s = *self;
        if (s.closed_) return;
        if (error) return s.Close();
        s.headerSent_ = true;
        for (; s.writing_ > 0; --s.writing_) {
            s.queuedBytes_ -= s.queue_.front()->size();
            s.queue_.pop_front();
        }
        s.stream_.expires_never();
        s.WriteQueued();
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
            return Usage("unknown option of serve: " + Quoted(option));
        } else if (options.panelPath.empty()) {
            options.panelPath = option;
        } else {
            return Usage("serve takes one panel configuration file");
        }
    }
    if (options.panelPath.empty()) return Usage("serve needs a panel configuration file");

    LivePanel panel;
    std::string error;
    if (!panel.Open(options, &error)) {
        std::cerr << "panelhost: " << Printable(error) << '\n';
        return 2;
    }
    for (const std::string& finding : panel.Findings()) std::cerr << finding << '\n';
    std::optional<DesignPanel> design;
    if (edit && !design.emplace(panel, options.panelPath).Open(&error)) {
        std::cerr << "panelhost: " << Printable(error) << '\n';
        return 2;
    }

    RaiseOpenFileLimit();
    int bound = port;
    bool loopback = true;
    std::optional<Server> server;
    server.emplace(panel, design ? &*design : nullptr);
    if (!server->Listen(address, port, &bound, &loopback)) {
        std::cerr << "panelhost: serve: cannot listen on " << Quoted(address) << ":" << port << '\n';
        return 1;
    }
    if (!loopback) {
        std::cerr << "panelhost: serve: " << Quoted(address)
                  << " is not a loopback address: anyone who can reach it can operate the panel\n";
    }
    const std::string shown = address.find(':') != std::string::npos ? "[" + address + "]" : address;
    std::cout << "panelhost: serving " << Quoted(options.panelPath) << " at http://" << Printable(shown) << ":"
              << bound << "/ (Ctrl-C stops)" << std::endl;
    panel.Start();
    server->Run();
    // No frame is pushed to the server once it is gone.
    panel.Stop();
    server.reset();
    std::cout << "panelhost: stopped" << std::endl;
    return 0;
}

}  // namespace panelhost
