// The 4-byte check code of one journal file.
//
// The file is read as the Windows C runtime reads a file opened in text mode,
// on every platform alike, so that a journal gets the same code wherever it
// is checked: CR LF reads as LF, a lone CR stays, and reading ends at the
// first 0x1A byte. The translated bytes are folded into the CRC and the XOR
// byte as they come. Memory use does not grow with the file.
#include <cstdio>
#include <vector>

#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kEndOfText = 0x1A;

// The running CRC and XOR byte. Both fold a stream: taking the translated
// bytes in pieces of 40 gives the same code as taking any run of them at once,
// so runs between special bytes go in whole.
class Folder {
 public:
  void Add(const unsigned char* bytes, std::size_t count) {
    if (count == 0) return;
    crc_ = Tools::Crc16(bytes, count, crc_);
    x_ = Tools::XorBytes(bytes, count, x_);
  }
  void Add(unsigned char byte) { Add(&byte, 1); }
  std::uint16_t Crc() const { return crc_; }
  std::uint8_t Xor() const { return x_; }

 private:
  std::uint16_t crc_ = 0xFFFF;
  std::uint8_t x_ = 0xFF;
};

// Reads the file through the text-mode rules into the folder. False on a
// read error (what was read up to it stays folded).
bool FoldTextMode(std::FILE* file, Folder& folder) {
  static constexpr std::size_t kRead = 1 << 16;
  std::vector<unsigned char> raw(kRead);
  bool pendingCr = false;  // a CR at the end of a read: the next byte decides
  for (;;) {
    const std::size_t got = std::fread(raw.data(), 1, raw.size(), file);
    std::size_t i = 0;
    if (pendingCr && got > 0) {
      pendingCr = false;
      if (raw[0] == kLf) {
        folder.Add(kLf);
        i = 1;
      } else {
        folder.Add(kCr);
      }
    }
    while (i < got) {
      const std::size_t run = i;
      while (i < got && raw[i] != kCr && raw[i] != kEndOfText) ++i;
      folder.Add(raw.data() + run, i - run);
      if (i == got) break;
      if (raw[i] == kEndOfText) return true;
      // A CR: with an LF after it the pair reads as LF; alone it stays.
      if (i + 1 == got) {
        pendingCr = true;
        ++i;
      } else if (raw[i + 1] == kLf) {
        folder.Add(kLf);
        i += 2;
      } else {
        folder.Add(kCr);
        ++i;
      }
    }
    if (got < raw.size()) {
      if (pendingCr) folder.Add(kCr);  // a CR at the very end stays
      return !std::ferror(file);
    }
  }
}

}  // namespace

int Tools::FileCheckCode(const std::string& path, unsigned char out[4]) { return FileCheckCode(path, 0, out); }

int Tools::FileCheckCode(const std::string& path, std::uint64_t offset, unsigned char out[4]) {
  if (!out) return kIllegal;
  Folder folder;
  int result = kSuccess;
  // A file that cannot be opened counts as empty.
  if (std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb")) {
    // Skipped by reading, so that no seek limit of the platform applies.
    std::vector<unsigned char> skip(1 << 16);
    for (std::uint64_t left = offset; left > 0 && result == kSuccess;) {
      const std::size_t want = left < skip.size() ? static_cast<std::size_t>(left) : skip.size();
      const std::size_t got = std::fread(skip.data(), 1, want, file);
      if (got < want) break;  // past the end: nothing left to fold
      left -= got;
    }
    if (!std::feof(file) && !FoldTextMode(file, folder)) result = kFailure;
    std::fclose(file);
  }
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
