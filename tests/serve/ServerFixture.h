#pragma once
// kestrel serve on a thread of the test, against the virtual printer on a
// pseudo-terminal, with an HTTP client and a look at what the printer did.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/serve/JsonBody.h"
#include "cli/serve/ServeApp.h"
#include "emulator/PtyServer.h"
#include "tests/support/PrinterOnProfile.h"
#include "tests/support/SingletonReset.h"
#include "tests/support/TestProfile.h"

namespace kestrel::serve {

struct Reply {
  int status = 0;     // 0: no answer at all
  std::string error;  // why there was none
  Json body;
  httplib::Headers headers;
};

// Receipts the printer closed (not cancelled), from its trace.
inline int ClosedReceipts(const std::vector<std::string>& trace) {
  int closed = 0;
  for (const std::string& line : trace) {
    if (line.rfind("P12\t", 0) != 0) continue;
    std::vector<std::string> columns;
    std::stringstream in(line);
    for (std::string column; std::getline(in, column, '\t');) columns.push_back(column);
    if (columns.size() > 4 && columns[3].rfind("1|", 0) == 0 && columns[4] == "00") ++closed;
  }
  return closed;
}

inline std::string HeaderOf(const Reply& reply, const char* name) {
  const auto found = reply.headers.find(name);
  return found == reply.headers.end() ? "" : found->second;
}

inline Reply Send(int port, const std::string& method, const std::string& path, const std::string& body = "",
                  httplib::Headers headers = {}) {
  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(5, 0);
  client.set_read_timeout(30, 0);
  // The content type goes apart from the other headers; JSON unless one is named.
  std::string type = body.empty() ? "" : "application/json";
  if (const auto named = headers.find("Content-Type"); named != headers.end()) {
    type = named->second;
    headers.erase(named);
  }
  httplib::Result result = method == "GET"    ? client.Get(path, headers)
                           : method == "POST" ? client.Post(path, headers, body, type)
                                              : client.Options(path, headers);
  Reply reply;
  if (!result) {
    reply.error = httplib::to_string(result.error());
    return reply;
  }
  reply.status = result->status;
  reply.headers = result->headers;
  reply.body = Json::parse(result->body, nullptr, false);
  return reply;
}

// Sends raw request bytes and returns the status of the answer (0: none): for
// requests a well-behaved client library will not send.
inline int RawStatus(int port, const std::string& request) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval wait{10, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  std::string answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
    char buffer[512];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n > 0) answer.assign(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return answer.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(answer.c_str() + 9) : 0;
}

inline std::string SaleBody(const std::string& id, const std::string& pay = "5") {
  return R"({"id":")" + id +
         R"(","items":[{"text":"Rožok","quantity":4,"unitPrice":0.15,"vat":1},)"
         R"({"text":"Mlieko","quantity":1,"unitPrice":0.99,"vat":2,"discount":{"percent":10}}],)"
         R"("message":"Ďakujeme","payments":[{"amount":1,"type":"card"},{"amount":)" +
         pay + "}]}";
}

class ServerOnPrinter : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseFastSleep(10);
    SingletonReset::All();
    testing::ServePrinterOnProfile(profile_, printer_);
  }

  void TearDown() override { StopServer(); }

  // 0 when serving; the code of Start otherwise.
  int StartServer(ServeOptions options = {}) {
    if (options.listen == ServeOptions().listen) options.listen = "127.0.0.1:0";
    app_ = std::make_unique<ServeApp>(options);
    const int status = app_->Start(err_);
    if (status == 0) runner_ = std::thread([this] { app_->Run(); });
    return status;
  }

  void StopServer() {
    if (app_) app_->Stop();
    if (runner_.joinable()) runner_.join();
    app_.reset();
  }

  Reply Post(const std::string& path, const std::string& body, httplib::Headers headers = {}) {
    return Send(app_->Port(), "POST", path, body, std::move(headers));
  }
  Reply Get(const std::string& path, httplib::Headers headers = {}) {
    return Send(app_->Port(), "GET", path, "", std::move(headers));
  }
  int Closed() { return ClosedReceipts(printer_->Trace()); }
  bool ReceiptOpen() {
    return printer_->WithDevice([](emulator::Device& device) { return device.Core().ReceiptOpen(); });
  }

  testing::TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> printer_;
  std::unique_ptr<ServeApp> app_;
  std::thread runner_;
  std::ostringstream err_;
};

}  // namespace kestrel::serve
