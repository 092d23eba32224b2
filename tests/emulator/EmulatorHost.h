#pragma once
// A minimal host for the printer's tests: builds requests with the sequence
// digit the printer expects (it follows the printer's replies, as the service
// does) and parses the replies.
#include <ctime>
#include <string>
#include <vector>

#include "emulator/Device.h"
#include "emulator/Frame.h"

namespace kestrel::emulator::testing {

// A fixed instant: Friday 2 January 2026, 10:30 local time.
inline std::time_t FixedNow() {
  std::tm parts{};
  parts.tm_year = 126;
  parts.tm_mon = 0;
  parts.tm_mday = 2;
  parts.tm_hour = 10;
  parts.tm_min = 30;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

inline PrinterOptions FixedOptions(const std::string& firmware = "2.5.23") {
  PrinterOptions options;
  options.firmware = firmware;
  options.now = [] { return FixedNow(); };
  return options;
}

struct HostReply {
  bool answered = false;
  bool valid = false;
  int code = -1;
  std::vector<std::string> fields;
  std::string raw;
  std::string Field(std::size_t i) const { return i < fields.size() ? fields[i] : std::string("<none>"); }
};

class Host {
 public:
  explicit Host(Device& device) : device_(device) {}

  std::string Frame(const std::string& code, const std::vector<std::string>& fields, int type = 1) const {
    return BuildRequest(code, next_, type, fields);
  }

  HostReply SendFrame(const std::string& frame) {
    Transmission sent = device_.Exchange(frame);
    HostReply reply;
    for (const std::string& piece : sent.pieces) reply.raw += piece;
    reply.answered = !sent.pieces.empty();
    std::size_t stx = reply.raw.find('\x02');
    Reply parsed;
    if (stx != std::string::npos) {
      std::size_t etx = reply.raw.find('\x03', stx);
      if (etx != std::string::npos && etx + 5 <= reply.raw.size() &&
          ParseReply(reply.raw.substr(stx, etx + 5 - stx), parsed)) {
        reply.valid = true;
        reply.code = parsed.replyCode;
        reply.fields = parsed.fields;
        char digit = parsed.sequence;
        next_ = (digit >= '1' && digit < '9') ? static_cast<char>(digit + 1) : '1';
      }
    }
    return reply;
  }

  HostReply Send(const std::string& code, const std::vector<std::string>& fields = {}, int type = 1) {
    return SendFrame(Frame(code, fields, type));
  }

  // A receipt start with the fixed date.
  HostReply Start(const std::string& id = "") {
    std::vector<std::string> fields{"0", "0", "202601021030005"};
    if (!id.empty()) fields.push_back(id);
    return Send("P02", fields);
  }
  HostReply Sale(const std::string& quantity, const std::string& price, int vat = 1,
                 const std::string& text = "Tovar") {
    return Send("P03", {"1", "ks", std::to_string(vat), quantity, price, Pad(text)});
  }
  HostReply Pay(const std::string& amount, const std::string& form = "1") { return Send("P09", {form, amount}); }
  HostReply Close(bool cancel = false) { return Send("P12", {cancel ? "2" : "1", "2", std::string(40, ' ')}); }
  // A whole paid receipt of one item.
  void Receipt(const std::string& price) {
    Start();
    Sale("1.0000", price);
    Pay(price);
    Send("P10");
    Send("P11");
    Close();
  }
  int StateDigit() { return std::atoi(Send("S01").Field(3).c_str()); }

  static std::string Pad(const std::string& text) {
    std::string padded = text;
    padded.resize(text.size() <= 20 ? 20 : 40, ' ');
    return padded;
  }
  char NextDigit() const { return next_; }

 private:
  Device& device_;
  char next_ = '1';
};

}  // namespace kestrel::emulator::testing
