#pragma once
// One request to the printer as a value: STX, the three-character command
// code, the sequence digit, the packet type as two digits, FS-separated
// fields, then ETX and the CRC once closed. The exchange takes it and may
// restamp it (a new digit for the resend after reply 31, the poll and result
// types of a long operation); nothing else is shared.
//
// A request never outgrows the 10000-byte packet buffer of the line: an
// append that would is refused (logged once), the request keeps what it had
// and stays refused, and the exchange sends nothing for it (106).
#include <cstddef>
#include <string>

namespace kestrel {

// Packet types of a request.
constexpr int kPacketTypeCommand = 1;
constexpr int kPacketTypeLongPoll = 2;    // status poll while the printer works
constexpr int kPacketTypeLongResult = 3;  // fetch the long operation's result

class Request {
 public:
  Request() = default;
  // At most three characters of code, the digit (1..9) and the type.
  Request(const char* code, int sequence, int type);

  // Appends FS and the text. Bytes below 0x20 are sent as blanks so that a
  // text can never carry STX, ETX, FS or NUL into the frame; the width stays.
  // 0, or 106 when refused.
  int AddField(const char* text);
  // Appends at most maxLength bytes of text, control bytes dropped, as fields
  // of exactly 40 characters (the last padded with blanks). Nothing left:
  // one field of 40 blanks when addBlank, else nothing. 0 or 106.
  int AddText(const char* text, bool addBlank, int maxLength);
  // Appends ETX and the four CRC digits over STX..ETX. 0 or 106.
  int Close();
  // Rewrites a closed request: code (when not null), digit, type (when > 0)
  // and the CRC. A request too short to be closed stays as it is.
  void Restamp(const char* code, int sequence, int type);

  bool Refused() const { return refused_; }
  // The frame as it stands (closed or not).
  const std::string& Frame() const { return frame_; }

 private:
  bool Append(const char* bytes, std::size_t count);

  std::string frame_;
  bool refused_ = false;
};

}  // namespace kestrel
