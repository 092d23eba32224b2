#include "cli/serve/HttpApi.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "cli/FileNames.h"
#include "cli/serve/Digest.h"
#include "cli/serve/ListenSocket.h"
#include "cli/serve/OpenApi.h"
#include "cli/serve/TechnicianPage.h"

namespace kestrel::serve {
namespace {

using httplib::Request;
using httplib::Response;
using HandlerResponse = httplib::Server::HandlerResponse;

constexpr std::size_t kRecentReceipts = 50;
constexpr int kAcceptQueue = 256;
#ifdef _WIN32
static_assert(CPPHTTPLIB_LISTEN_BACKLOG == kAcceptQueue, "Windows takes the accept queue of the first listen only");
#endif

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

void SendJson(Response& res, int status, const Json& body) {
  res.status = status;
  // Texts from the printer or a file are made valid UTF-8 rather than refused.
  res.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace), "application/json; charset=utf-8");
}

void SendError(Response& res, int status, const std::string& text, const std::string& field = "") {
  Json error{{"text", text}};
  if (!field.empty()) error["field"] = field;
  SendJson(res, status, Json{{"ok", false}, {"error", error}});
}

void SendAnswer(Response& res, const Answer& answer) {
  for (const auto& [name, value] : answer.headers) res.set_header(name, value);
  SendJson(res, answer.status, answer.body);
}

// The body as JSON (an empty body reads as {}); false with the answer sent.
bool ReadBody(const Request& req, Response& res, bool emptyAllowed, ParsedBody& body) {
  if (req.body.empty()) {
    if (!emptyAllowed) {
      SendError(res, 400, "the body must be a JSON object");
      return false;
    }
    body = ParsedBody();
    body.value = Json::object();
    return true;
  }
  ApiError error;
  if (!ParseJsonBody(req.body, body, error)) {
    SendError(res, error.status, error.text, error.field);
    return false;
  }
  if (!body.value.is_object()) {
    SendError(res, 400, "the body must be a JSON object");
    return false;
  }
  return true;
}

std::string Digest(const char* kind, const ParsedBody& body) {
  return Sha256Hex(std::string(kind) + "\n" + body.value.dump(-1, ' ', false, Json::error_handler_t::replace));
}

// "name:port", "[v6]:port" or "name" into its parts.
bool SplitHost(const std::string& host, std::string& name, int& port) {
  std::string portText;
  if (!host.empty() && host[0] == '[') {
    const std::size_t close = host.find(']');
    if (close == std::string::npos) return false;
    name = host.substr(1, close - 1);
    if (close + 1 < host.size()) {
      if (host[close + 1] != ':') return false;
      portText = host.substr(close + 2);
    }
  } else {
    const std::size_t colon = host.find(':');
    name = host.substr(0, colon);
    if (colon != std::string::npos) portText = host.substr(colon + 1);
  }
  if (name.empty()) return false;
  port = 80;
  if (host.find(':', host[0] == '[' ? host.find(']') : 0) != std::string::npos) {
    if (portText.empty() || portText.size() > 5) return false;
    port = 0;
    for (char c : portText) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
      port = port * 10 + (c - '0');
    }
  }
  return true;
}

}  // namespace

bool HostAllowed(const SafetyRules& rules, int port, const std::string& host) {
  std::string name;
  int given = 0;
  if (!SplitHost(host, name, given) || given != port) return false;
  name = Lower(name);
  if (name == "localhost" || name == "127.0.0.1" || name == "::1") return true;
  const std::string& listen = rules.address.host;
  if (name == Lower(listen) && listen != "0.0.0.0" && listen != "::") return true;
  for (const std::string& allowed : rules.allowHosts) {
    if (name == Lower(allowed)) return true;
  }
  return false;
}

bool OriginAllowed(const SafetyRules& rules, const std::string& host, const std::string& origin) {
  if (origin == "http://" + host) return true;  // the technician's page, served from here
  return std::find(rules.allowOrigins.begin(), rules.allowOrigins.end(), origin) != rules.allowOrigins.end();
}

bool ContentTypeAllowed(const std::string& contentType, bool hasBody) {
  if (contentType.empty()) return !hasBody;
  const std::string type = Lower(contentType.substr(0, contentType.find(';')));
  const std::size_t end = type.find_last_not_of(" \t");
  return type.substr(0, end == std::string::npos ? 0 : end + 1) == "application/json";
}

bool TokenAccepted(const std::string& token, const std::string& authorization) {
  static const std::string kScheme = "Bearer ";
  if (authorization.size() != kScheme.size() + token.size() ||
      Lower(authorization.substr(0, kScheme.size())) != Lower(kScheme)) {
    return false;
  }
  unsigned char difference = 0;
  for (std::size_t i = 0; i < token.size(); ++i) {
    difference |= static_cast<unsigned char>(authorization[kScheme.size() + i] ^ token[i]);
  }
  return difference == 0;
}

HttpApi::HttpApi(SafetyRules rules, PaymentTable payments, Desk& desk)
    : rules_(std::move(rules)), payments_(std::move(payments)), desk_(desk), server_(new httplib::Server) {
  Routes();
}

HttpApi::~HttpApi() = default;

bool HttpApi::Bind() {
  port_ = rules_.address.port == 0
              ? server_->bind_to_any_port(rules_.address.host)
              : (server_->bind_to_port(rules_.address.host, rules_.address.port) ? rules_.address.port : -1);
  if (port_ <= 0) return false;
  WidenAcceptQueue(static_cast<socket_t>(socket_), kAcceptQueue);
  return true;
}

void HttpApi::Listen() { server_->listen_after_bind(); }

void HttpApi::Stop() { server_->stop(); }

void HttpApi::Routes() {
  httplib::Server& server = *server_;
  // Worker threads: a few more than the queue needs, so that refusals and
  // replays are answered while one request prints.
  server.new_task_queue = [] { return new httplib::ThreadPool(24); };
  server.set_socket_options([this](socket_t socket) {
    PrepareListenSocket(socket);
    socket_ = static_cast<long long>(socket);
  });
  server.set_payload_max_length(kMaxBodyBytes);
  server.set_keep_alive_max_count(20);
  server.set_read_timeout(10, 0);
  server.set_write_timeout(10, 0);

  // Headers every answer carries, and the CORS ones for an allowed origin.
  const auto commonHeaders = [](const Request& req, Response& res) {
    if (res.has_header("X-Content-Type-Options")) return;
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Cache-Control", "no-store");
    const std::string origin = req.get_header_value("Origin");
    if (!origin.empty()) {
      res.set_header("Access-Control-Allow-Origin", origin);
      res.set_header("Vary", "Origin");
      res.set_header("Access-Control-Expose-Headers", "Retry-After, Idempotent-Replayed");
    }
  };

  server.set_pre_routing_handler([this, commonHeaders](const Request& req, Response& res) {
    const std::string host = req.get_header_value("Host");
    if (!HostAllowed(rules_, port_, host)) {
      SendError(res, 421, "the Host header names neither this server's address nor a loopback name");
      return HandlerResponse::Handled;
    }
    const bool hasOrigin = req.has_header("Origin");
    const std::string origin = req.get_header_value("Origin");
    if (hasOrigin && !OriginAllowed(rules_, host, origin)) {
      SendError(res, 403, "requests from the web origin " + origin + " are not allowed (see --allow-origin)");
      return HandlerResponse::Handled;
    }
    commonHeaders(req, res);
    if (req.method == "OPTIONS") {
      // The preflight a browser sends before a cross-origin or private-network request.
      res.status = 204;
      res.set_header("Access-Control-Allow-Methods", "GET, POST, OPTIONS");
      res.set_header("Access-Control-Allow-Headers", "Authorization, Content-Type");
      res.set_header("Access-Control-Max-Age", "600");
      if (Lower(req.get_header_value("Access-Control-Request-Private-Network")) == "true") {
        res.set_header("Access-Control-Allow-Private-Network", "true");
      }
      return HandlerResponse::Handled;
    }
    const bool api = req.path.rfind("/api/", 0) == 0;
    if (api && !rules_.token.empty() && !TokenAccepted(rules_.token, req.get_header_value("Authorization"))) {
      res.set_header("WWW-Authenticate", "Bearer");
      SendError(res, 401, "a valid \"Authorization: Bearer\" token is required");
      return HandlerResponse::Handled;
    }
    if (req.method == "POST") {
      const bool hasBody = req.get_header_value_count("Content-Length") > 0
                               ? req.get_header_value("Content-Length") != "0"
                               : req.has_header("Transfer-Encoding");
      if (!ContentTypeAllowed(req.get_header_value("Content-Type"), hasBody)) {
        SendError(res, 415, "the body must be application/json");
        return HandlerResponse::Handled;
      }
      const std::string length = req.get_header_value("Content-Length");
      if (length.size() > 7 || (!length.empty() && std::strtoull(length.c_str(), nullptr, 10) > kMaxBodyBytes)) {
        SendError(res, 413, "the body may hold at most 1 MiB");
        return HandlerResponse::Handled;
      }
      // A POST without any body ("curl -X POST") announces no length, which
      // the HTTP library refuses; it is served here as an empty body.
      if (length.empty() && !req.has_header("Transfer-Encoding")) {
        const auto post = posts_.find(req.path);
        if (post == posts_.end()) {
          SendError(res, 404, "no such resource");
        } else {
          post->second(req, res);
        }
        return HandlerResponse::Handled;
      }
    }
    return HandlerResponse::Unhandled;
  });

  server.set_error_handler([commonHeaders](const Request& req, Response& res) {
    if (!res.body.empty()) return;
    commonHeaders(req, res);
    switch (res.status) {
      case 404:
        SendError(res, 404, "no such resource");
        break;
      case 413:
        SendError(res, 413, "the body may hold at most 1 MiB");
        break;
      default:
        SendError(res, res.status, "the request cannot be served");
        break;
    }
  });
  server.set_exception_handler([](const Request&, Response& res, std::exception_ptr) {
    SendError(res, 500, "the server failed to serve this request");
  });

  const auto post = [this, &server](const char* path, httplib::Server::Handler handler) {
    posts_[path] = handler;
    server.Post(path, handler);
  };

  server.Get("/", [](const Request&, Response& res) {
    res.set_header("Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'");
    res.set_content(PageHtml(), "text/html; charset=utf-8");
  });
  server.Get("/app.js",
             [](const Request&, Response& res) { res.set_content(PageScript(), "text/javascript; charset=utf-8"); });
  server.Get("/app.css",
             [](const Request&, Response& res) { res.set_content(PageStyle(), "text/css; charset=utf-8"); });
  server.Get("/api/v1/openapi.json",
             [this](const Request&, Response& res) { SendJson(res, 200, OpenApiDocument(payments_)); });
  server.Get("/api/v1/printer", [this](const Request&, Response& res) { SendAnswer(res, desk_.GetPrinter()); });

  post("/api/v1/receipts", [this](const Request& req, Response& res) {
    ParsedBody body;
    if (!ReadBody(req, res, false, body)) return;
    ReceiptRequest receipt;
    ApiError error;
    if (!ParseReceipt(body, payments_, receipt, error)) return SendError(res, error.status, error.text, error.field);
    SendAnswer(res, desk_.PostReceipt(receipt, Digest("receipt", body)));
  });
  server.Get("/api/v1/receipts",
             [this](const Request&, Response& res) { SendAnswer(res, desk_.ListReceipts(kRecentReceipts)); });
  server.Get(R"(/api/v1/receipts/([A-Za-z0-9._:-]{1,64}))",
             [this](const Request& req, Response& res) { SendAnswer(res, desk_.GetReceipt(req.matches[1])); });
  post("/api/v1/cash", [this](const Request& req, Response& res) {
    ParsedBody body;
    if (!ReadBody(req, res, false, body)) return;
    CashRequest cash;
    ApiError error;
    if (!ParseCash(body, cash, error)) return SendError(res, error.status, error.text, error.field);
    SendAnswer(res, desk_.PostCash(cash, Digest("cash", body)));
  });
  for (const bool z : {false, true}) {
    post(z ? "/api/v1/reports/z" : "/api/v1/reports/x", [this, z](const Request& req, Response& res) {
      ParsedBody body;
      if (!ReadBody(req, res, !z, body)) return;
      ReportRequest report;
      ApiError error;
      if (!ParseReport(body, z, report, error)) return SendError(res, error.status, error.text, error.field);
      SendAnswer(res, desk_.PostReport(report, z, Digest(z ? "z-report" : "x-report", body)));
    });
  }
  post("/api/v1/cancel", [this](const Request& req, Response& res) {
    ParsedBody body;
    if (!ReadBody(req, res, true, body)) return;
    ApiError error;
    FieldReader reader(body, body.value, "", error);
    if (!reader.OnlyFields({})) return SendError(res, error.status, error.text, error.field);
    SendAnswer(res, desk_.PostCancel());
  });
  post("/api/v1/journal", [this](const Request& req, Response& res) {
    ParsedBody body;
    if (!ReadBody(req, res, false, body)) return;
    JournalSaveRequest save;
    ApiError error;
    if (!ParseJournalSave(body, save, error)) return SendError(res, error.status, error.text, error.field);
    SendAnswer(res, desk_.SaveJournal(save));
  });
  server.Get("/api/v1/journal", [this](const Request&, Response& res) { SendAnswer(res, desk_.ListJournals()); });
  server.Get(R"(/api/v1/journal/([^/]+))", [this](const Request& req, Response& res) {
    const std::string name = req.matches[1];
    std::string base;
    const bool text = name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0;
    const bool binary = name.size() > 4 && name.compare(name.size() - 4, 4, ".bin") == 0;
    if ((!text && !binary) || !JournalBaseName(name, base)) {
      return SendError(res, 400, "a saved journal is NAME.txt or NAME.bin", "name");
    }
    std::ifstream in(cli::PathOfUtf8(desk_.ExportDir()) / name, std::ios::binary);
    if (!in) return SendError(res, 404, "no saved journal of this name");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    res.set_header("Content-Disposition", "attachment; filename=\"" + name + "\"");
    res.set_content(bytes.str(), text ? "text/plain; charset=windows-1250" : "application/octet-stream");
  });
}

}  // namespace kestrel::serve
