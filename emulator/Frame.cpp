#include "emulator/Frame.h"

#include <cstdio>

#include "tools/Tools.h"

namespace kestrel::emulator {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Build(const std::string& code, char sequence, int number, const std::vector<std::string>& fields) {
  std::string frame(1, kStx);
  frame += code.substr(0, 3);
  frame += sequence;
  char digits[8];
  std::snprintf(digits, sizeof digits, "%02d", number % 100);
  frame += digits;
  for (const std::string& field : fields) {
    frame += kFs;
    frame += field;
  }
  frame += kEtx;
  frame += FrameCrc(frame);
  return frame;
}

// Checks STX .. ETX CRC and returns the body between STX and ETX.
bool SplitFrame(const std::string& frame, std::string& body, bool& crcOk) {
  crcOk = false;
  if (frame.size() < 6 || frame[0] != kStx) return false;
  std::size_t etx = frame.size() - 5;
  if (frame[etx] != kEtx) return false;
  unsigned value = 0;
  for (std::size_t i = etx + 1; i < frame.size(); ++i) {
    int digit = HexValue(frame[i]);
    if (digit < 0) return true;  // framed, but the CRC is not a number
    value = value * 16 + static_cast<unsigned>(digit);
  }
  crcOk = value == Tools::Crc16(frame.data(), etx + 1, 0xFFFF);
  body = frame.substr(1, etx - 1);
  return true;
}

std::vector<std::string> SplitFields(const std::string& body, std::size_t from) {
  std::vector<std::string> fields;
  if (from >= body.size()) return fields;
  std::size_t start = from + 1;  // body[from] is the first FS
  while (true) {
    std::size_t next = body.find(kFs, start);
    if (next == std::string::npos) {
      fields.push_back(body.substr(start));
      break;
    }
    fields.push_back(body.substr(start, next - start));
    start = next + 1;
  }
  return fields;
}

}  // namespace

std::string FrameCrc(const std::string& bytes) { return Tools::Crc16Hex(bytes.data(), bytes.size(), 0xFFFF); }

ParseError ParseRequest(const std::string& frame, Request& out) {
  std::string body;
  bool crcOk = false;
  if (!SplitFrame(frame, body, crcOk)) return ParseError::kTooShort;
  if (!crcOk) return ParseError::kBadCrc;
  if (body.size() < 6 || !IsDigit(body[4]) || !IsDigit(body[5])) return ParseError::kBadHeader;
  if (body.size() > 6 && body[6] != kFs) return ParseError::kBadHeader;
  out.code = body.substr(0, 3);
  out.sequence = body[3];
  out.type = (body[4] - '0') * 10 + (body[5] - '0');
  out.fields = SplitFields(body, 6);
  return ParseError::kNone;
}

bool ParseReply(const std::string& frame, Reply& out) {
  std::string body;
  bool crcOk = false;
  if (!SplitFrame(frame, body, crcOk) || !crcOk) return false;
  if (body.size() < 6 || !IsDigit(body[4]) || !IsDigit(body[5])) return false;
  out.code = body.substr(0, 3);
  out.sequence = body[3];
  out.replyCode = (body[4] - '0') * 10 + (body[5] - '0');
  out.fields = SplitFields(body, 6);
  return true;
}

std::string BuildReply(const std::string& code, char sequence, int replyCode, const std::vector<std::string>& fields) {
  // A text the printer stored from a request (a header line, say) may hold a
  // byte that would cut the reply's frame; it goes out as a blank.
  const auto blanked = [](std::string text) {
    for (char& c : text) {
      if (c == kStx || c == kEtx || c == kFs) c = ' ';
    }
    return text;
  };
  std::vector<std::string> safe;
  safe.reserve(fields.size());
  for (const std::string& field : fields) safe.push_back(blanked(field));
  return Build(blanked(code), sequence, replyCode, safe);
}

std::string BuildRequest(const std::string& code, char sequence, int type, const std::vector<std::string>& fields) {
  return Build(code, sequence, type, fields);
}

void FrameAssembler::Feed(const char* bytes, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    char c = bytes[i];
    if (c == kStx) {
      current_.assign(1, c);
      inFrame_ = true;
      etxAt_ = 0;
      continue;
    }
    if (!inFrame_) continue;
    current_ += c;
    if (etxAt_ == 0 && c == kEtx) etxAt_ = current_.size() - 1;
    if (etxAt_ != 0 && current_.size() == etxAt_ + 5) {
      frames_.push_back(current_);
      current_.clear();
      inFrame_ = false;
      etxAt_ = 0;
    } else if (current_.size() > kMaxFrame) {
      current_.clear();
      inFrame_ = false;
      etxAt_ = 0;
    }
  }
}

bool FrameAssembler::Next(std::string& frame) {
  if (frames_.empty()) return false;
  frame = frames_.front();
  frames_.erase(frames_.begin());
  return true;
}

}  // namespace kestrel::emulator
