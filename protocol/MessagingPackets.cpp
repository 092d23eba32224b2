// The request being built and the reply last read, the error text and the
// State property.
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

Messaging::Messaging() { std::memset(errorText_, 0, sizeof errorText_); }

int Messaging::CreatePacketOut(const char* code, int type) {
  request_ = link_.NewRequest(code, type);
  return kSuccess;
}

int Messaging::AddPacketOutField(const char* text) { return request_.AddField(text); }

int Messaging::AddPacketOutText(const char* text, bool addBlank, int maxLength) {
  return request_.AddText(text, addBlank, maxLength);
}

int Messaging::ClosePacketOut() { return request_.Close(); }

int Messaging::UpdatePacketOut(const char* code, int type) {
  link_.Restamp(request_, code, type);
  return kSuccess;
}

int Messaging::GetPacketInField(char* buffer, int size, int index) { return ReplyField(reply_, index, buffer, size); }

int Messaging::ReplyField(const Reply& reply, int index, char* buffer, int size) {
  Log::Instance().Write("Messaging::GetPacketInField", "%d", index);
  return reply.Field(index, buffer, size);
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
