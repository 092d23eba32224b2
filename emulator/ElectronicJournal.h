#pragma once
// The printer's electronic journal: every closed document adds a text block
// (its printed lines, windows-1250, CR LF line ends) and a binary record. The
// host pulls blocks one at a time and confirms what it pulled with a check
// code; the printer compares it with the code of the blocks it handed out
// since the last confirmation or the last restart of the transfer. Blocks()
// keeps every block for tests, also those a freeing printer let go.
#include <cstddef>
#include <string>
#include <vector>

namespace kestrel::emulator {

struct JournalBlock {
  int kind = 1;  // 1 text, 2 binary
  std::string data;
};

class ElectronicJournal {
 public:
  // Largest data part of one block; keeps every reply far below the host's
  // 10 000-byte packet buffer.
  static constexpr std::size_t kMaxBlockData = 480;

  // Adds one document: its text (split into blocks at line ends) and its
  // binary record. Bytes the line cannot carry are replaced first.
  void AddDocument(const std::string& text, const std::string& record);

  // A printer that frees confirmed blocks hands out, on a restart, only those
  // it still holds; one that keeps them hands out its whole history again.
  void SetFreesConfirmed(bool frees) { freesConfirmed_ = frees; }
  bool FreesConfirmed() const { return freesConfirmed_; }

  // Restarts the transfer at the first block it still holds.
  void Restart();
  // The next block; false when everything has been handed out.
  bool Next(JournalBlock& block, std::size_t& number);

  // The code of the blocks handed out since the last Accept or Restart.
  std::string ExpectedCheckCode() const;
  // Compares; a match moves the confirmation point to the present position.
  bool Verify(const std::string& code);

  void Clear();
  std::size_t Size() const { return blocks_.size(); }
  std::size_t Position() const { return position_; }
  const std::vector<JournalBlock>& Blocks() const { return blocks_; }

  // For the state directory.
  void Restore(std::vector<JournalBlock> blocks, std::size_t position, std::size_t confirmed);
  std::size_t Confirmed() const { return confirmed_; }

  // Bytes 0x01, 0x02, 0x03 and 0x1C cannot travel in a field (and the host
  // turns 0x01 into 0x00); the printer stores a neighbour value instead.
  static std::string Sanitise(const std::string& bytes);

 private:
  std::vector<JournalBlock> blocks_;
  std::size_t position_ = 0;   // next block to hand out
  std::size_t confirmed_ = 0;  // first block not yet confirmed
  bool freesConfirmed_ = false;
};

}  // namespace kestrel::emulator
