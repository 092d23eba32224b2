// The 4-byte check code of one journal file.
//
// The file is read as the Windows C runtime reads a file opened in text mode,
// on every platform alike, so that a journal gets the same code wherever it
// is checked: CR LF reads as LF, a lone CR stays, and reading ends at the
// first 0x1A byte. The translated bytes are taken in pieces of 40, each piece
// folded into the CRC and the XOR byte. Memory use does not grow with the file.
#include <cstdio>

#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr std::size_t kPiece = 40;
constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kEndOfText = 0x1A;

// Feeds translated bytes into 40-byte pieces and folds each full piece.
class PieceFolder {
 public:
  void Add(unsigned char byte) {
    piece_[used_++] = byte;
    if (used_ == kPiece) Flush();
  }
  void Flush() {
    crc_ = Tools::Crc16(piece_, used_, crc_);
    x_ = Tools::XorBytes(piece_, used_, x_);
    used_ = 0;
  }
  std::uint16_t Crc() const { return crc_; }
  std::uint8_t Xor() const { return x_; }

 private:
  unsigned char piece_[kPiece] = {};
  std::size_t used_ = 0;
  std::uint16_t crc_ = 0xFFFF;
  std::uint8_t x_ = 0xFF;
};

// Reads the file through the text-mode rules into the folder. False on a
// read error (what was read up to it stays folded).
bool FoldTextMode(std::FILE* file, PieceFolder& folder) {
  unsigned char raw[4096];
  bool pendingCr = false;  // a CR whose next byte decides whether it stays
  for (;;) {
    std::size_t got = std::fread(raw, 1, sizeof raw, file);
    for (std::size_t i = 0; i < got; ++i) {
      unsigned char byte = raw[i];
      if (pendingCr) {
        pendingCr = false;
        if (byte == kLf) {
          folder.Add(kLf);
          continue;
        }
        folder.Add(kCr);
      }
      if (byte == kEndOfText) return true;
      if (byte == kCr) {
        pendingCr = true;
      } else {
        folder.Add(byte);
      }
    }
    if (got < sizeof raw) {
      if (pendingCr) folder.Add(kCr);  // a CR at the very end stays
      return !std::ferror(file);
    }
  }
}

}  // namespace

int Tools::FileCheckCode(const std::string& path, unsigned char out[4]) {
  if (!out) return kIllegal;
  PieceFolder folder;
  int result = kSuccess;
  // A file that cannot be opened counts as empty.
  if (std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb")) {
    if (!FoldTextMode(file, folder)) result = kFailure;
    std::fclose(file);
  }
  folder.Flush();
  const unsigned hi = folder.Crc() >> 8;
  const unsigned lo = folder.Crc() & 0xFF;
  const unsigned x = folder.Xor();
  out[0] = static_cast<unsigned char>((hi + x) & 0xFF);
  out[1] = static_cast<unsigned char>(hi ^ x);
  out[2] = static_cast<unsigned char>((lo + x) & 0xFF);
  out[3] = static_cast<unsigned char>(lo ^ x);
  return result;
}

}  // namespace kestrel
