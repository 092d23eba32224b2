#pragma once
// The printer's side of the line frame: STX, three-character code, sequence
// digit, two digits (packet type in a request, reply code in a reply), fields
// each led by FS, ETX, then the CRC of STX..ETX as four hex digits.
#include <cstddef>
#include <string>
#include <vector>

namespace kestrel::emulator {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kFs = 0x1C;

// A request as the printer understands it.
struct Request {
  std::string code;                 // three characters
  char sequence = '0';              // the digit as sent
  int type = 0;                     // packet type 1..5
  std::vector<std::string> fields;  // empty fields kept as they came
};

enum class ParseError { kNone, kTooShort, kBadCrc, kBadHeader };

// Parses one complete frame (STX through the four CRC characters). The CRC is
// compared as a number, so lower-case digits from a host are accepted.
ParseError ParseRequest(const std::string& frame, Request& out);

// Builds a reply frame with upper-case CRC digits.
std::string BuildReply(const std::string& code, char sequence, int replyCode, const std::vector<std::string>& fields);

// Builds a request frame; the tests and tools use it to talk to the printer.
std::string BuildRequest(const std::string& code, char sequence, int type, const std::vector<std::string>& fields);

// The four CRC characters over the given bytes.
std::string FrameCrc(const std::string& bytes);

// Splits a reply frame into its parts, for tests and the trace. False when the
// frame is not well formed or its CRC does not match.
struct Reply {
  std::string code;
  char sequence = '0';
  int replyCode = -1;
  std::vector<std::string> fields;
};
bool ParseReply(const std::string& frame, Reply& out);

// Collects bytes from the line and hands out complete frames. Bytes before an
// STX are dropped, a new STX restarts the frame, and a frame that outgrows the
// limit is dropped whole, so no input can make it grow without bound.
class FrameAssembler {
 public:
  static constexpr std::size_t kMaxFrame = 10000;
  void Feed(const char* bytes, std::size_t length);
  // Takes the next complete frame; false when none is complete.
  bool Next(std::string& frame);
  std::size_t Pending() const { return current_.size(); }
  void Clear() {
    current_.clear();
    inFrame_ = false;
    frames_.clear();
  }

 private:
  std::string current_;
  bool inFrame_ = false;
  std::size_t etxAt_ = 0;  // 0: no ETX seen yet in the current frame
  std::vector<std::string> frames_;
};

}  // namespace kestrel::emulator
