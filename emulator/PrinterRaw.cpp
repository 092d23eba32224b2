// Raw byte sequences for the printer mechanism (P22) and the customer display
// (D01, D02). The mechanism understands a small ESC/GS command set: line feed,
// carriage return, form feed (ejects the slip), cut, paper selection, bar
// codes and the slip status query; text bytes are code page 852.
#include <cstdio>

#include "emulator/CodePages.h"
#include "emulator/Printer.h"

namespace kestrel::emulator {
namespace {

bool DecodeHex(const std::string& text, std::string& out) {
  if (text.size() % 2 != 0) return false;
  out.clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int value = 0;
    for (std::size_t k = i; k < i + 2; ++k) {
      char c = text[k];
      int digit = (c >= '0' && c <= '9')   ? c - '0'
                  : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                  : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                           : -1;
      if (digit < 0) return false;
      value = value * 16 + digit;
    }
    out += static_cast<char>(value);
  }
  return true;
}

std::string Cp852ToCp1250(const std::string& bytes) { return Utf8ToCp1250(Cp852ToUtf8(bytes)); }

}  // namespace

Printer::Result Printer::RawPrinter(const Fields& f) {
  std::string bytes;
  if (f.size() != 1 || f[0].empty() || !DecodeHex(f[0], bytes)) return {33, {}};
  Fields reply;
  auto at = [&bytes](std::size_t i) -> int { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : -1; };
  // Printing on the roll needs the cover shut and paper; on the slip, a slip.
  // The mechanism stops at the first line it cannot print.
  auto blocked = [this]() { return slipSelected_ ? (slipInserted_ ? 0 : 51) : PrintBlocker(); };
  auto flush = [this]() {
    std::string line = Cp852ToCp1250(rawLine_);
    rawLine_.clear();
    if (slipSelected_) {
      if (printing_) paperText_ += "[slip] " + Cp1250ToUtf8(line) + "\n";
    } else {
      PrintLine(line);
    }
  };
  std::size_t i = 0;
  while (i < bytes.size()) {
    int b = at(i);
    if (b == 0x0A || b == 0x0D) {
      if (int code = blocked()) return {code, reply};
      flush();
      ++i;
    } else if (b == 0x0C) {
      if (!rawLine_.empty()) flush();
      if (slipSelected_ && slipInserted_) slipInserted_ = false;  // the slip is ejected
      ++i;
    } else if (b == 0x1B) {
      int command = at(i + 1);
      if (command == 'm' || command == 'i') {
        if (int code = blocked()) return {code, reply};
        if (!rawLine_.empty()) flush();
        Cut();
        if (!receipt_.open) documentText_.clear();
        i += 2;
      } else if (command == 'c' && at(i + 2) == '0') {
        int paper = at(i + 3);
        bool slip = paper >= 0 && (paper & 0x0C) != 0;
        if (slip && !slipStation_) return {48, reply};
        slipSelected_ = slip;
        i += 4;
      } else if (command == '@') {
        i += 2;
      } else {
        i += 3;  // one-argument commands: E, a, !, -, G, d, 0x16, ...
      }
    } else if (b == 0x1D) {
      int command = at(i + 1);
      if (command == 0x04) {
        // Slip status: 0x60 while no slip is in place.
        char status[4];
        std::snprintf(status, sizeof status, "%02X", slipInserted_ ? 0x10u : 0x60u);
        reply = {status};
        i += 3;
      } else if (command == 'k') {
        int kind = at(i + 2);
        std::size_t start = i + 3;
        std::size_t end = start;
        if (kind >= 65) {
          int length = at(i + 3);
          start = i + 4;
          end = start + static_cast<std::size_t>(length < 0 ? 0 : length);
        } else {
          while (end < bytes.size() && bytes[end] != 0) ++end;
        }
        if (end > bytes.size()) end = bytes.size();
        if (int code = blocked()) return {code, reply};
        if (!rawLine_.empty()) flush();
        PrintLine(Utf8ToCp1250("[čiarový kód ") + bytes.substr(start, end - start) + "]");
        i = end + (kind >= 65 ? 0 : 1);
      } else if (command == 'V') {
        if (int code = blocked()) return {code, reply};
        if (!rawLine_.empty()) flush();
        Cut();
        if (!receipt_.open) documentText_.clear();
        i += at(i + 2) >= 65 ? 4 : 3;
      } else {
        i += 3;  // h, w, H, f and the like take one argument
      }
    } else {
      if (b >= 0x20) rawLine_ += static_cast<char>(b);
      ++i;
    }
  }
  return {0, reply};
}

Printer::Result Printer::DisplayRowsCommand(const Fields& f) {
  if (f.empty() || f.size() > 2) return {33, {}};
  for (std::size_t row = 0; row < 2; ++row) {
    std::string text = row < f.size() ? f[row].substr(0, 20) : std::string();
    text.resize(20, ' ');
    display_[row] = text;
  }
  return {0, {}};
}

Printer::Result Printer::DisplayRaw(const Fields& f) {
  std::string bytes;
  if (f.size() != 1 || f[0].empty() || !DecodeHex(f[0], bytes)) return {33, {}};
  std::size_t row = 0;
  std::size_t column = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b == 0x1B && i + 1 < bytes.size() && bytes[i + 1] == '[') {
      // ESC [ row ; column H, both counted from 1.
      std::size_t end = bytes.find('H', i + 2);
      if (end == std::string::npos) return {33, {}};
      int r = 0;
      int c = 0;
      if (std::sscanf(bytes.substr(i + 2, end - i - 2).c_str(), "%d;%d", &r, &c) != 2) return {33, {}};
      row = r > 0 ? static_cast<std::size_t>(r - 1) : 0;
      column = c > 0 ? static_cast<std::size_t>(c - 1) : 0;
      i = end + 1;
    } else if (b == 0x0C) {
      display_.assign(2, std::string(20, ' '));
      row = column = 0;
      ++i;
    } else {
      std::string ch = Cp852ToCp1250(std::string(1, static_cast<char>(b)));
      if (b >= 0x20 && row < 2 && column < 20) display_[row][column] = ch[0];
      ++column;
      ++i;
    }
  }
  return {0, {}};
}

}  // namespace kestrel::emulator
