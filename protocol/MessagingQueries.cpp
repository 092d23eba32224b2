// Query commands: fiscal state (S01), fiscal data (S03), operating data (S08).
#include <cstdio>
#include <cstring>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr int kFiscalStateTimeout = reply_timeout::kStatus;
constexpr int kFiscalDataTimeout = reply_timeout::kStatus;
constexpr int kOperatingDataTimeout = reply_timeout::kCommand;

// Items whose answer comes in two fields, handed on joined by "|".
bool IsTwoFieldItem(int item) { return item >= 63 && item <= 65; }

void ClearBuffer(char* buffer, int size) {
  if (buffer != nullptr && size > 0) std::memset(buffer, 0, static_cast<std::size_t>(size));
}

}  // namespace

int Messaging::GetFiscalState(int index, char* buffer, int size) {
  Log::Instance().Write("Messaging::GetFiscalState", "%d", index);
  ClearBuffer(buffer, size);
  CreatePacketOut("S01", kPacketTypeCommand);
  ClosePacketOut();
  int r = SendReceive(kFiscalStateTimeout);
  if (r == kSuccess) r = GetPacketInField(buffer, size, index);
  return r;
}

int Messaging::ReadOperatingData(int index, char* buffer, int size) {
  Log::Instance().Write("Messaging::ReadOperatingData", "%d", index);
  ClearBuffer(buffer, size);
  CreatePacketOut("S08", kPacketTypeCommand);
  ClosePacketOut();
  int r = SendReceive(kOperatingDataTimeout);
  if (r == kSuccess) r = GetPacketInField(buffer, size, index);
  return r;
}

int Messaging::ReadFiscalData(int item, char* buffer, int size) {
  Log::Instance().Write("Messaging::ReadFiscalData", "%d", item);
  ClearBuffer(buffer, size);
  char number[16];
  std::snprintf(number, sizeof number, "%02d", item);
  CreatePacketOut("S03", kPacketTypeCommand);
  AddPacketOutField(number);
  ClosePacketOut();
  int r = SendReceive(kFiscalDataTimeout);
  if (r != kSuccess) return r;
  r = GetPacketInField(buffer, size, 0);
  if (r != kSuccess || !IsTwoFieldItem(item)) return r;

  // "|" and the second field, within what is left of the buffer.
  const std::size_t used = std::strlen(buffer);
  if (used + 2 > static_cast<std::size_t>(size)) return r;
  buffer[used] = '|';
  return GetPacketInField(buffer + used + 1, size - static_cast<int>(used) - 1, 1);
}

}  // namespace kestrel
