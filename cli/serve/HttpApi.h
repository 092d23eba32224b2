#pragma once
// The HTTP side of `kestrel serve`: the routes of API v1, the technician's
// page, and the safety rules every request passes before it is served:
// the Host header (against DNS rebinding), the Origin allow-list with the
// CORS and private-network preflight answers, the bearer token, JSON bodies
// only (415) of at most 1 MiB (413).
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/serve/ApiRequests.h"
#include "cli/serve/Desk.h"
#include "cli/serve/ServeOptions.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace kestrel::serve {

constexpr std::size_t kMaxBodyBytes = 1024 * 1024;

struct SafetyRules {
  ListenAddress address;
  std::string token;                      // empty: no token asked
  std::vector<std::string> allowOrigins;  // exact origins, "scheme://host[:port]"
  std::vector<std::string> allowHosts;    // further Host names
};

class HttpApi {
 public:
  HttpApi(SafetyRules rules, PaymentTable payments, Desk& desk);
  ~HttpApi();
  HttpApi(const HttpApi&) = delete;
  HttpApi& operator=(const HttpApi&) = delete;

  // Binds the listening socket; false when the address cannot be bound.
  bool Bind();
  int Port() const { return port_; }
  // Serves until Stop; the requests in progress end first.
  void Listen();
  void Stop();

 private:
  void Routes();

  SafetyRules rules_;
  PaymentTable payments_;
  Desk& desk_;
  std::unique_ptr<httplib::Server> server_;
  int port_ = 0;
  long long socket_ = -1;  // the listening socket, once made
  // The POST routes by path, for the requests that come without a body.
  std::map<std::string, std::function<void(const httplib::Request&, httplib::Response&)>> posts_;
};

// The safety rules as plain functions, for the server and its tests.
// Host header: a loopback name or the listen address (or an allowed name)
// with the server's port.
bool HostAllowed(const SafetyRules& rules, int port, const std::string& host);
// Origin header: the page's own origin, or one of the allowed ones.
bool OriginAllowed(const SafetyRules& rules, const std::string& host, const std::string& origin);
// Content-Type of a POST: application/json (parameters allowed); an empty
// body may come without one.
bool ContentTypeAllowed(const std::string& contentType, bool hasBody);
// "Bearer TOKEN" matching the token, compared in constant time.
bool TokenAccepted(const std::string& token, const std::string& authorization);

}  // namespace kestrel::serve
