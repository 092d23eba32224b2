// Building request packets and reading reply fields.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr std::size_t kTextFieldWidth = 40;
// A reply header is STX, code, sequence digit and reply code; with the
// trailer a reply of this length or less has no field.
constexpr std::size_t kBareReplyLength = 12;

// Two decimal digits, whatever the number: the layout never shifts.
void WriteTwoDigits(char* at, int value) {
  const int v = ((value % 100) + 100) % 100;
  at[0] = static_cast<char>('0' + v / 10);
  at[1] = static_cast<char>('0' + v % 10);
}

}  // namespace

Messaging::Messaging() {
  std::memset(packetOut_, 0, sizeof packetOut_);
  std::memset(packetIn_, 0, sizeof packetIn_);
  std::memset(errorText_, 0, sizeof errorText_);
}

std::size_t Messaging::PacketOutLength() const { return outLength_; }

void Messaging::RefuseOversizedRequest() {
  if (!outRefused_) {
    Log::Instance().Write("Messaging::CreatePacketOut", "Request %.3s exceeds %d bytes, refused", packetOut_ + 1,
                          static_cast<int>(kPacketBufferSize));
  }
  outRefused_ = true;
}

bool Messaging::AppendOut(const char* bytes, std::size_t count) {
  if (outRefused_) return false;
  // Room must stay for ETX, the CRC digits and the terminator.
  if (count > kPacketBufferSize - 1 - kFrameTrailerSize - outLength_) {
    RefuseOversizedRequest();
    return false;
  }
  std::memcpy(packetOut_ + outLength_, bytes, count);
  outLength_ += count;
  return true;
}

int Messaging::CreatePacketOut(const char* code, int type) {
  std::memset(packetOut_, 0, sizeof packetOut_);
  outLength_ = 0;
  outRefused_ = false;
  char header[7];
  header[0] = kStx;
  std::size_t n = 1;
  for (std::size_t i = 0; code != nullptr && i < 3 && code[i] != '\0'; ++i) header[n++] = code[i];
  header[n++] = static_cast<char>('0' + nextSequence_);
  WriteTwoDigits(header + n, type);
  n += 2;
  AppendOut(header, n);
  return kSuccess;
}

int Messaging::AddPacketOutField(const char* text) {
  // Text fields never carry control bytes: STX, ETX, FS or NUL would break
  // the frame or open a field of their own. A blank keeps the width.
  std::string field(1, kFs);
  if (text != nullptr) field += text;
  for (std::size_t i = 1; i < field.size(); ++i) {
    if (static_cast<unsigned char>(field[i]) < 0x20) field[i] = ' ';
  }
  return AppendOut(field.data(), field.size()) ? kSuccess : kIllegal;
}

int Messaging::AddPacketOutText(const char* text, bool addBlank, int maxLength) {
  const std::size_t available = text != nullptr ? std::strlen(text) : 0;
  const std::size_t limit = maxLength > 0 ? static_cast<std::size_t>(maxLength) : 0;
  const std::size_t take = available < limit ? available : limit;
  std::vector<char> clean(take + 1, '\0');
  if (take > 0) Tools::StripControl(clean.data(), take, text);
  const std::string kept(clean.data());

  if (kept.empty()) {
    if (!addBlank) return outRefused_ ? kIllegal : kSuccess;
    return AddPacketOutField(std::string(kTextFieldWidth, ' ').c_str());
  }
  for (std::size_t at = 0; at < kept.size(); at += kTextFieldWidth) {
    std::string piece = kept.substr(at, kTextFieldWidth);
    piece.resize(kTextFieldWidth, ' ');
    if (AddPacketOutField(piece.c_str()) != kSuccess) return kIllegal;
  }
  return kSuccess;
}

int Messaging::ClosePacketOut() {
  if (outRefused_) return kIllegal;
  // Every append kept room for ETX, the CRC digits and the terminator.
  packetOut_[outLength_++] = kEtx;
  const std::string crc = Tools::Crc16Hex(packetOut_, outLength_, 0xFFFF);
  std::memcpy(packetOut_ + outLength_, crc.data(), kCrcDigits);
  outLength_ += kCrcDigits;
  packetOut_[outLength_] = '\0';
  return kSuccess;
}

int Messaging::UpdatePacketOut(const char* code, int type) {
  Log::Instance().Write("Messaging::UpdatePacketOut", "%s", "");
  const std::size_t length = std::strlen(packetOut_);
  // Only a closed request (header, ETX and CRC at least) is rewritten.
  if (length < kBareReplyLength) return kSuccess;
  if (code != nullptr) {
    for (std::size_t i = 0; i < 3 && code[i] != '\0'; ++i) packetOut_[1 + i] = code[i];
  }
  packetOut_[4] = static_cast<char>('0' + nextSequence_);
  if (type > 0) WriteTwoDigits(packetOut_ + 5, type);
  const std::string crc = Tools::Crc16Hex(packetOut_, length - kCrcDigits, 0xFFFF);
  std::memcpy(packetOut_ + length - kCrcDigits, crc.data(), kCrcDigits);
  return kSuccess;
}

int Messaging::GetPacketInField(char* buffer, int size, int index) {
  Log::Instance().Write("Messaging::GetPacketInField", "%d", index);
  if (buffer == nullptr || size < 1) return kFailure;
  std::memset(buffer, 0, static_cast<std::size_t>(size));
  const std::size_t length = std::strlen(packetIn_);
  if (length <= kBareReplyLength || index < 0) return kFailure;

  // Pieces between FS bytes, empty ones skipped; the first is the header.
  const std::size_t body = length - kFrameTrailerSize;
  int piece = -1;
  std::size_t at = 0;
  while (at < body) {
    std::size_t stop = at;
    while (stop < body && packetIn_[stop] != kFs) ++stop;
    if (stop > at) {
      if (piece == index) {
        std::size_t count = stop - at;
        const std::size_t room = static_cast<std::size_t>(size) - 1;
        if (count > room) count = room;
        std::memcpy(buffer, packetIn_ + at, count);
        return kSuccess;
      }
      ++piece;
    }
    at = stop + 1;
  }
  return kFailure;
}

void Messaging::SetErrorMessage(const char* text) {
  Log::Instance().Write("Messaging::SetErrorMessage", "%s", text != nullptr ? text : "");
  if (text == nullptr) return;
  std::memset(errorText_, 0, sizeof errorText_);
  std::size_t length = 0;
  while (length < kErrorTextSize - 1 && text[length] != '\0') ++length;
  std::memcpy(errorText_, text, length);
}

const char* Messaging::GetErrorMessage() const {
  Log::Instance().Write("Messaging::GetErrorMessage", "%s", "");
  return errorText_;
}

void Messaging::SetState(int state) {
  Log::Instance().Write("Messaging::SetState", "%d", state);
  state_ = state;
}

int Messaging::GetState() const {
  Log::Instance().Write("Messaging::GetState", "%s", "");
  return state_;
}

double DecodeReplyAmount(const char* text) {
  if (text == nullptr) return 0;
  std::string number(text);
  const std::size_t comma = number.find(',');
  if (comma != std::string::npos) number[comma] = '.';
  return std::strtod(number.c_str(), nullptr);
}

}  // namespace kestrel
