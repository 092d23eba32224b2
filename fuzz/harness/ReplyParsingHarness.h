#pragma once
// Reply parsing in Messaging: whatever the line delivers to an exchange, the
// field reader, the VAT summary, the reply amounts, the reply-code mapping
// with the status follow-up of code 51, and the status and state getters
// must stay within their buffers and keep their promises.
//
// Input: one byte choosing the operation, one parameter byte, then the chunk
// script of FuzzHarness.h; each request written to the line releases the
// chunks of one reply (up to a chunk marked as ending the reply). A request
// without a reply left in the script meets silence.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "fuzz/harness/FuzzHarness.h"
#include "protocol/Messaging.h"
#include "serial/RS232.h"
#include "tests/support/SingletonReset.h"
#include "tools/Results.h"

namespace kestrel::fuzz {

enum class ReplyOperation { kExchange, kVatTable, kPayment, kPrinterError, kGetters, kCount };

// The fields of a reply as the printer's packet layout defines them: the
// frame without ETX and CRC, cut at FS bytes, empty pieces skipped, the
// header piece first. Replies of 12 bytes or less have none.
inline std::vector<std::string> ReferenceFields(const char* packet) {
  std::vector<std::string> fields;
  const std::size_t length = std::strlen(packet);
  if (length <= 12) return fields;
  const std::string body(packet, length - kFrameTrailerSize);
  std::size_t at = 0;
  bool header = true;
  while (at <= body.size()) {
    std::size_t stop = body.find(kFs, at);
    if (stop == std::string::npos) stop = body.size();
    if (stop > at) {
      if (!header) fields.push_back(body.substr(at, stop - at));
      header = false;
    }
    at = stop + 1;
  }
  return fields;
}

// A reply amount written the printer's way (digits, a decimal comma,
// digits) decodes to its value.
inline void CheckAmount(const std::string& field, double decoded) {
  if (field.empty() || field.size() > 15) return;
  std::size_t at = field[0] == '-' ? 1 : 0;
  long long whole = 0;
  long long fraction = 0;
  double scale = 1;
  bool comma = false;
  bool digits = false;
  for (; at < field.size(); ++at) {
    const char c = field[at];
    if (c == ',' && !comma) {
      comma = true;
    } else if (c >= '0' && c <= '9') {
      digits = true;
      if (comma) {
        fraction = fraction * 10 + (c - '0');
        scale *= 10;
      } else {
        whole = whole * 10 + (c - '0');
      }
    } else {
      return;  // not an amount of that form
    }
  }
  if (!digits) return;
  const double expected =
      (static_cast<double>(whole) + static_cast<double>(fraction) / scale) * (field[0] == '-' ? -1 : 1);
  Check(std::fabs(decoded - expected) <= 1e-9 * (1 + std::fabs(expected)), "a reply amount decodes to its value");
}

// Reads every field (and one past the last) into buffers of several sizes,
// each allocated at exactly that size, and compares with the reference.
inline void CheckFieldReader(Messaging& messaging) {
  const std::string packet(messaging.PacketIn());
  const std::vector<std::string> fields = ReferenceFields(packet.c_str());
  static const int kSizes[] = {1, 2, 3, 16, 21, 101, static_cast<int>(kPacketBufferSize)};
  const std::size_t last = fields.size() < 40 ? fields.size() : 40;
  for (std::size_t index = 0; index <= last; ++index) {
    for (int size : kSizes) {
      std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(size)]);
      std::memset(buffer.get(), 0x55, static_cast<std::size_t>(size));
      const int r = messaging.GetPacketInField(buffer.get(), size, static_cast<int>(index));
      Check(::strnlen(buffer.get(), static_cast<std::size_t>(size)) < static_cast<std::size_t>(size),
            "a field read leaves a terminated string");
      if (index < fields.size()) {
        Check(r == kSuccess, "an existing field is read");
        Check(fields[index].compare(0, static_cast<std::size_t>(size) - 1, buffer.get()) == 0,
              "the field read is the field's text, cut to the buffer");
        if (size == static_cast<int>(kPacketBufferSize)) CheckAmount(fields[index], DecodeReplyAmount(buffer.get()));
      } else {
        Check(r == kFailure, "a missing field answers 111");
        Check(buffer[0] == '\0', "a missing field leaves the buffer empty");
      }
    }
  }
}

inline void CheckErrorText(Messaging& messaging) {
  Check(std::strlen(messaging.GetErrorMessage()) <= 100, "the error text holds at most 100 characters");
}

inline void RunReplyParsing(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  Environment::Get();
  const auto operation = static_cast<ReplyOperation>(data[0] % static_cast<int>(ReplyOperation::kCount));
  const int parameter = data[1];

  SingletonReset::All();
  auto line = std::make_shared<Line>();
  line->replyPerRequest = true;
  RS232::SetDeviceFactoryForTests([line] { return std::make_unique<ScriptedDevice>(line); });
  Settings::Instance().SetDeviceClass("FiscalPrinter");
  Messaging& messaging = Messaging::Instance();
  Check(messaging.OpenPort() == kSuccess, "the scripted port opens");
  for (Chunk& chunk : ParseChunks(data + 2, size - 2)) line->script.push_back(std::move(chunk));

  switch (operation) {
    case ReplyOperation::kExchange: {
      messaging.CreatePacketOut("S01", kPacketTypeCommand);
      messaging.ClosePacketOut();
      messaging.SendReceive(1 + parameter % 4);
      CheckFieldReader(messaging);
      break;
    }
    case ReplyOperation::kVatTable: {
      if (messaging.PrintVatTable() == kSuccess) CheckFieldReader(messaging);
      for (int group = -1; group <= kVatGroups; ++group) {
        for (int index = -1; index <= kVatValues; ++index) {
          const double value = messaging.GetVatSummaryValue(group, index);
          const bool inside = group >= 0 && group < kVatGroups && index >= 0 && index < kVatValues;
          Check(inside || value == 0, "the VAT summary reads 0 outside its table");
        }
      }
      break;
    }
    case ReplyOperation::kPayment: {
      // The display rows come from the profile, so any number may arrive.
      const long long amount = (static_cast<long long>(parameter) - 64) * 12345;
      messaging.Payment(amount, "1", (parameter & 1) != 0, parameter % 7 - 2);
      CheckFieldReader(messaging);
      break;
    }
    case ReplyOperation::kPrinterError: {
      // The code 51 follow-up must leave the command's own request and reply
      // in place for the caller.
      messaging.CreatePacketOut("P03", kPacketTypeCommand);
      messaging.AddPacketOutField("Item");
      messaging.ClosePacketOut();
      messaging.SendPacket();
      messaging.ReadPacket(1);
      const std::string out(messaging.PacketOut());
      const std::string in(messaging.PacketIn());
      const int result = messaging.GetUPOSError(parameter < 100 ? parameter : ToInt(ReplyCode::kPrinterError));
      Check(result == kSuccess || (result >= 101 && result <= 114) || result > 200, "a result number");
      Check(out == messaging.PacketOut(), "the request survives the reply-code mapping");
      Check(in == messaging.PacketIn(), "the reply survives the reply-code mapping");
      CheckFieldReader(messaging);
      break;
    }
    case ReplyOperation::kGetters: {
      // Firmware version and slip station first: they open the paths of
      // the state refresh and of the slip status.
      messaging.SetFirmwareVersion(false);
      messaging.SetSlipPresent();
      messaging.GetPrinterStatus(parameter & 1 ? kStationReceipt : kStationSlip);
      const int state = messaging.GetFiscalPrinterState(true);
      Check(state == 1 || state == 2 || state == 3 || state == 4 || state == 9, "a PrinterState value");
      messaging.GetEODRequired();
      messaging.GetTrainingModeActive();
      messaging.GetMemNearFullConfirmRequired();
      messaging.GetServiceConfirmRequired();
      messaging.GetDailyTotal();
      messaging.GetReceiptNumber();
      // Items 63..65 join two fields; the joined text must stay within the
      // size given, which the buffer has exactly.
      const std::size_t given = 1 + static_cast<std::size_t>(parameter) % 24;
      std::unique_ptr<char[]> joined(new char[given]);
      std::memset(joined.get(), 0x55, given);
      messaging.ReadFiscalData(63 + parameter % 3, joined.get(), static_cast<int>(given));
      Check(std::memchr(joined.get(), 0, given) != nullptr, "fiscal data leave a terminated string");
      break;
    }
    case ReplyOperation::kCount:
      break;
  }
  CheckErrorText(messaging);
  RS232::SetDeviceFactoryForTests(nullptr);
  SingletonReset::All();
}

}  // namespace kestrel::fuzz
