// Building request frames.
#include "protocol/Request.h"

#include <cstring>
#include <vector>

#include "log/Log.h"
#include "serial/Frame.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr std::size_t kTextFieldWidth = 40;
// STX, code, digit, type, ETX and the CRC: the shortest closed request.
constexpr std::size_t kClosedHeaderLength = 12;
constexpr std::size_t kDigitAt = 4;
constexpr std::size_t kTypeAt = 5;

// Two decimal digits, whatever the number: the layout never shifts.
void WriteTwoDigits(char* at, int value) {
  const int v = ((value % 100) + 100) % 100;
  at[0] = static_cast<char>('0' + v / 10);
  at[1] = static_cast<char>('0' + v % 10);
}

}  // namespace

Request::Request(const char* code, int sequence, int type) {
  char header[7];
  header[0] = kStx;
  std::size_t n = 1;
  for (std::size_t i = 0; code != nullptr && i < 3 && code[i] != '\0'; ++i) header[n++] = code[i];
  header[n++] = static_cast<char>('0' + sequence);
  WriteTwoDigits(header + n, type);
  n += 2;
  Append(header, n);
}

bool Request::Append(const char* bytes, std::size_t count) {
  if (refused_) return false;
  // Room must stay for ETX, the CRC digits and the line buffer's terminator.
  if (count > kPacketBufferSize - 1 - kFrameTrailerSize - frame_.size()) {
    // The daily log has always named this step after the packet builder.
    Log::Instance().Write("Messaging::CreatePacketOut", "Request %.3s exceeds %d bytes, refused", frame_.c_str() + 1,
                          static_cast<int>(kPacketBufferSize));
    refused_ = true;
    return false;
  }
  frame_.append(bytes, count);
  return true;
}

int Request::AddField(const char* text) {
  std::string field(1, kFs);
  if (text != nullptr) field += text;
  for (std::size_t i = 1; i < field.size(); ++i) {
    if (static_cast<unsigned char>(field[i]) < 0x20) field[i] = ' ';
  }
  return Append(field.data(), field.size()) ? kSuccess : kIllegal;
}

int Request::AddText(const char* text, bool addBlank, int maxLength) {
  const std::size_t available = text != nullptr ? std::strlen(text) : 0;
  const std::size_t limit = maxLength > 0 ? static_cast<std::size_t>(maxLength) : 0;
  const std::size_t take = available < limit ? available : limit;
  std::vector<char> clean(take + 1, '\0');
  if (take > 0) Tools::StripControl(clean.data(), take, text);
  const std::string kept(clean.data());

  if (kept.empty()) {
    if (!addBlank) return refused_ ? kIllegal : kSuccess;
    return AddField(std::string(kTextFieldWidth, ' ').c_str());
  }
  for (std::size_t at = 0; at < kept.size(); at += kTextFieldWidth) {
    std::string piece = kept.substr(at, kTextFieldWidth);
    piece.resize(kTextFieldWidth, ' ');
    if (AddField(piece.c_str()) != kSuccess) return kIllegal;
  }
  return kSuccess;
}

int Request::Close() {
  if (refused_) return kIllegal;
  // Every append kept room for ETX and the CRC digits.
  frame_ += kEtx;
  frame_ += Tools::Crc16Hex(frame_.data(), frame_.size(), 0xFFFF);
  return kSuccess;
}

void Request::Restamp(const char* code, int sequence, int type) {
  const std::size_t length = frame_.size();
  if (length < kClosedHeaderLength) return;
  if (code != nullptr) {
    for (std::size_t i = 0; i < 3 && code[i] != '\0'; ++i) frame_[1 + i] = code[i];
  }
  frame_[kDigitAt] = static_cast<char>('0' + sequence);
  if (type > 0) WriteTwoDigits(&frame_[kTypeAt], type);
  const std::string crc = Tools::Crc16Hex(frame_.data(), length - kCrcDigits, 0xFFFF);
  frame_.replace(length - kCrcDigits, kCrcDigits, crc);
}

}  // namespace kestrel
