#pragma once
// The protocol tests drive Messaging against a scripted printer on the fake
// line: each request takes the next scripted answer (none left: silence).
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "protocol/Messaging.h"
#include "tests/serial/SerialFixture.h"

namespace kestrel {

// Test-only access to what the printer commands keep.
struct MessagingTestPeer {
  static void SetFirmware(Messaging& m, int major, int minor) {
    m.majorVersion_ = major;
    m.minorVersion_ = minor;
  }
  static void SetPrinterState(Messaging& m, int state) { m.printerState_ = state; }
  static void SetSlip(Messaging& m, bool present) { m.slipPresent_ = present; }
};

namespace testing {

// A request as the printer sees it.
struct Request {
  std::string code;
  char sequence = 0;
  int type = -1;
  std::vector<std::string> fields;
};

inline Request ParseRequest(const std::string& raw) {
  Request r;
  if (raw.size() < 12) return r;
  r.code = raw.substr(1, 3);
  r.sequence = raw[4];
  r.type = std::stoi(raw.substr(5, 2));
  const std::string body = raw.substr(7, raw.size() - 12);
  std::size_t at = 0;
  while (at < body.size()) {
    const std::size_t next = body.find('\x1C', at + 1);
    r.fields.push_back(body.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
    at = next == std::string::npos ? body.size() : next;
  }
  return r;
}

using Answer = std::function<std::vector<Chunk>(const Request&)>;

// The printer answers with this reply code and fields, echoing the request's
// code and sequence digit.
inline Answer Reply(int code, std::vector<std::string> fields = {}) {
  return [code, fields](const Request& r) {
    return std::vector<Chunk>{{ReplyFrame(r.code, r.sequence, code, fields), 0}};
  };
}
// As Reply, with the printer's own sequence digit.
inline Answer ReplyWithSequence(char sequence, int code, std::vector<std::string> fields = {}) {
  return [sequence, code, fields](const Request& r) {
    return std::vector<Chunk>{{ReplyFrame(r.code, sequence, code, fields), 0}};
  };
}
inline Answer Raw(std::string bytes) {
  return [bytes](const Request&) { return std::vector<Chunk>{{bytes, 0}}; };
}
inline Answer Silence() {
  return [](const Request&) { return std::vector<Chunk>{}; };
}
// The answer comes `polls` polls later, past anything the host discards.
inline Answer Late(Answer answer, int polls) {
  return [answer, polls](const Request& r) {
    std::vector<Chunk> chunks = answer(r);
    for (Chunk& c : chunks) {
      c.afterPolls = polls;
      c.late = true;
    }
    return chunks;
  };
}
// As Reply, with a command code of the printer's own instead of the echo.
inline Answer ReplyAs(std::string code, int reply, std::vector<std::string> fields = {}) {
  return [code, reply, fields](const Request& r) {
    return std::vector<Chunk>{{ReplyFrame(code, r.sequence, reply, fields), 0}};
  };
}

class ProtocolFixture : public SerialFixture {
 protected:
  void SetUp() override {
    SerialFixture::SetUp();
    line->responder = [this](const std::string& raw) {
      if (script.empty()) return std::vector<Chunk>{};
      Answer next = script.front();
      script.pop_front();
      return next(ParseRequest(raw));
    };
  }

  // Requests sent so far, parsed.
  std::vector<Request> Sent() const {
    std::vector<Request> out;
    for (const std::string& w : line->writes) out.push_back(ParseRequest(w));
    return out;
  }
  std::vector<std::string> SentCodes() const {
    std::vector<std::string> out;
    for (const Request& r : Sent()) out.push_back(r.code);
    return out;
  }
  void Script(std::initializer_list<Answer> answers) {
    for (const Answer& a : answers) script.push_back(a);
  }

  Messaging& m = Messaging::Instance();
  std::deque<Answer> script;
};

}  // namespace testing
}  // namespace kestrel
