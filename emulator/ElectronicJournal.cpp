#include "emulator/ElectronicJournal.h"

#include <algorithm>
#include <cctype>

#include "emulator/CheckCode.h"

namespace kestrel::emulator {

std::string ElectronicJournal::Sanitise(const std::string& bytes) {
  std::string out = bytes;
  for (char& c : out) {
    auto b = static_cast<unsigned char>(c);
    if (b == 0x01 || b == 0x02 || b == 0x03 || b == 0x1C) c = static_cast<char>(b | 0x80);
  }
  return out;
}

void ElectronicJournal::AddDocument(const std::string& text, const std::string& record) {
  std::string clean = Sanitise(text);
  std::size_t start = 0;
  while (start < clean.size()) {
    std::size_t length = std::min(kMaxBlockData, clean.size() - start);
    if (start + length < clean.size()) {
      // Prefer to end a block after a line end.
      std::size_t lineEnd = clean.rfind('\n', start + length - 1);
      if (lineEnd != std::string::npos && lineEnd >= start) length = lineEnd - start + 1;
    }
    blocks_.push_back({1, clean.substr(start, length)});
    start += length;
  }
  if (!record.empty()) blocks_.push_back({2, Sanitise(record)});
}

void ElectronicJournal::Restart() {
  // Confirmed blocks a freeing printer has let go cannot be handed out again.
  if (!freesConfirmed_) confirmed_ = 0;
  position_ = confirmed_;
}

bool ElectronicJournal::Next(JournalBlock& block, std::size_t& number) {
  if (position_ >= blocks_.size()) return false;
  block = blocks_[position_];
  number = ++position_;
  return true;
}

std::string ElectronicJournal::ExpectedCheckCode() const {
  std::string text;
  std::string binary;
  for (std::size_t i = confirmed_; i < position_ && i < blocks_.size(); ++i) {
    (blocks_[i].kind == 2 ? binary : text) += blocks_[i].data;
  }
  return JournalCheckCode(text, binary);
}

bool ElectronicJournal::Verify(const std::string& code) {
  std::string upper = code;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper != ExpectedCheckCode()) return false;
  confirmed_ = position_;
  return true;
}

void ElectronicJournal::Clear() {
  blocks_.clear();
  position_ = 0;
  confirmed_ = 0;
}

void ElectronicJournal::Restore(std::vector<JournalBlock> blocks, std::size_t position, std::size_t confirmed) {
  blocks_ = std::move(blocks);
  position_ = std::min(position, blocks_.size());
  confirmed_ = std::min(confirmed, position_);
}

}  // namespace kestrel::emulator
