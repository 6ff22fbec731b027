// What the live server answers, apart from its sockets: which requests it
// obeys and the answer to each route. Only its own page is obeyed: a request
// must name the server in its Host (so that a name that resolves to
// 127.0.0.1 on another site's behalf is refused), and a request that changes
// the panel must carry JSON and come from no other origin (so that another
// page's form or `no-cors` post cannot act).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <boost/beast/http.hpp>

#include "host/web/live_panel.h"

namespace panelhost {

namespace http = boost::beast::http;
using WebRequest = http::request<http::string_body>;

// What one request may bring: the request line and header fields together,
// how many fields, and the body, counted as it arrives.
inline constexpr std::size_t maxHeaderBytes = 16 * 1024;
inline constexpr std::size_t maxHeaderFields = 64;
inline constexpr std::size_t maxBodyBytes = 64 * 1024;

struct WebAnswer {
    http::status status{http::status::ok};
    const char* type{"application/json"};
    const char* cache{"no-store"};
    SharedText body{};  // null: "{}"
    bool eventStream{};  // GET /events: the panel's updates follow the header
};

// A parser for one request, holding the limits above.
void LimitParser(http::request_parser<http::string_body>& parser);

// The Host values of a server listening at `address` and `port`: the
// loopback names with the port, and the address it was given.
std::vector<std::string> ServedHosts(const std::string& address, int port);

class WebRoutes {
public:
    WebRoutes(LivePanel& panel, const std::vector<std::string>& hosts);

    // The answer to a request that its header alone refuses (another Host,
    // another origin, a body that is not JSON or is compressed, too many
    // fields, an unknown route or method); nothing when its body is to be
    // read and the request answered.
    std::optional<WebAnswer> Screen(const WebRequest& request) const;
    // The answer to a request that Screen let through, body read.
    WebAnswer Answer(const WebRequest& request);
    // The answer to a request that could not be read, or nothing when the
    // client is not owed one (it went away, or it was too slow).
    static std::optional<WebAnswer> Unreadable(const boost::system::error_code& error);

private:
    LivePanel& panel_;
    std::vector<std::string> hosts_;    // lower case, "127.0.0.1:8417"
    std::vector<std::string> origins_;  // "http://127.0.0.1:8417"
};

}  // namespace panelhost
