#include "config/RegFile.h"

#include <cstdint>
#include <cstring>
#include <iterator>

#include "tools/Results.h"
#include "tools/Tools.h"
#include "tools/Utf8.h"

namespace kestrel {
namespace {

constexpr char kHeader5[] = "windows registry editor version 5.00";
constexpr char kHeader4[] = "regedit4";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string text) {
  for (char& c : text) c = Lower(c);
  return text;
}

bool StartsWithNoCase(const std::string& text, std::size_t pos, const char* prefix) {
  std::size_t n = std::strlen(prefix);
  if (pos > text.size() || text.size() - pos < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (Lower(text[pos + i]) != Lower(prefix[i])) return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Parses 1..maxDigits hex digits forming all of text.
bool ParseHex(const std::string& text, std::size_t maxDigits, std::uint32_t& value) {
  if (text.empty() || text.size() > maxDigits) return false;
  value = 0;
  for (char c : text) {
    int d = HexDigit(c);
    if (d < 0) return false;
    value = (value << 4) | static_cast<std::uint32_t>(d);
  }
  return true;
}

// UTF-16LE code units to UTF-8; an odd last byte is dropped and unpaired
// surrogates become U+FFFD.
std::string Utf16LeToUtf8(const char* bytes, std::size_t length) {
  std::string out;
  std::size_t units = length / 2;
  auto unit = [bytes](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
  };
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

bool IsValidUtf8(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    auto b = static_cast<unsigned char>(text[i]);
    std::size_t extra;
    std::uint32_t cp;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (n - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

// Expands an abbreviated root key name (HKLM) to its full form.
std::string ExpandRoot(const std::string& lowerRoot) {
  static const char* const kRoots[][2] = {{"hklm", "hkey_local_machine"},
                                          {"hkcu", "hkey_current_user"},
                                          {"hkcr", "hkey_classes_root"},
                                          {"hku", "hkey_users"},
                                          {"hkcc", "hkey_current_config"}};
  for (const auto& root : kRoots) {
    if (lowerRoot == root[0]) return root[1];
  }
  return lowerRoot;
}

bool IsKnownRoot(const std::string& normalizedPath) {
  static const char* const kRoots[] = {"hkey_local_machine", "hkey_current_user", "hkey_classes_root", "hkey_users",
                                       "hkey_current_config"};
  std::string root = normalizedPath.substr(0, normalizedPath.find('\\'));
  for (const char* known : kRoots) {
    if (root == known) return true;
  }
  return false;
}

}  // namespace

// One pass over the decoded lines of a file.
class RegFileParser {
 public:
  RegFileParser(RegFile& file, const std::string& bytes) : file_(file) { Decode(bytes); }

  void Run() {
    SplitLines();
    bool seenContent = false;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      std::string line = Trim(lines_[index_]);
      if (line.empty() || line[0] == ';') continue;
      bool first = !seenContent;
      seenContent = true;
      std::string lower = LowerAscii(line);
      if (lower == kHeader5 || lower == kHeader4) {
        if (first) {
          file_.version4_ = (lower == kHeader4);
        } else {
          Problem("file header in the middle of the file");
        }
      } else if (line[0] == '[') {
        Section(line);
      } else if (line[0] == '"' || line[0] == '@') {
        Entry(line);
      } else {
        Problem("neither a key, a value nor a comment");
      }
    }
  }

 private:
  enum class Target { kNone, kKey, kRemoved };

  void Decode(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
      text_ = Utf16LeToUtf8(bytes.data() + 2, bytes.size() - 2);
      return;
    }
    bool bom = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    text_ = bom ? bytes.substr(3) : bytes;
    // Whatever is not valid UTF-8 was written in windows-1250.
    cp1250_ = !IsValidUtf8(text_);
  }

  void SplitLines() {
    std::size_t start = 0;
    while (start <= text_.size()) {
      std::size_t end = text_.find('\n', start);
      if (end == std::string::npos) end = text_.size();
      std::string line = text_.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(std::move(line));
      start = end + 1;
    }
    text_.clear();
  }

  // Text of the file as the service sees it: windows-1250.
  std::string ToAnsi(const std::string& text) const { return cp1250_ ? text : Tools::Utf8ToCp1250(text); }

  void Problem(const std::string& reason) { file_.AddProblem(static_cast<int>(index_ + 1), reason); }

  void Section(const std::string& line) {
    target_ = Target::kNone;  // entries after a broken section must not land in the previous key
    if (line.size() < 2 || line.back() != ']') {
      Problem("key line without closing bracket");
      return;
    }
    std::string inner = line.substr(1, line.size() - 2);
    bool removal = !inner.empty() && inner[0] == '-';
    if (removal) inner.erase(0, 1);
    std::string path = RegFile::NormalizeKeyPath(ToAnsi(inner));
    if (!IsKnownRoot(path)) {
      Problem("key path without a known root key");
      return;
    }
    if (removal) {
      RemoveKeyTree(path);
      target_ = Target::kRemoved;
      return;
    }
    file_.keys_[path];
    key_ = path;
    target_ = Target::kKey;
  }

  void RemoveKeyTree(const std::string& path) {
    auto& keys = file_.keys_;
    for (auto it = keys.lower_bound(path); it != keys.end();) {
      const std::string& name = it->first;
      bool inTree = name == path ||
                    (name.size() > path.size() && name.compare(0, path.size(), path) == 0 && name[path.size()] == '\\');
      if (name.compare(0, path.size(), path) != 0) break;
      it = inTree ? keys.erase(it) : std::next(it);
    }
  }

  // Reads a quoted text starting at pos (on the opening quote). \\ and \"
  // are escapes; any other backslash stands for itself.
  static bool QuotedText(const std::string& line, std::size_t& pos, std::string& out) {
    out.clear();
    for (std::size_t i = pos + 1; i < line.size(); ++i) {
      char c = line[i];
      if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
        out += line[++i];
      } else if (c == '"') {
        pos = i + 1;
        return true;
      } else {
        out += c;
      }
    }
    return false;
  }

  void Entry(const std::string& line) {
    std::string name;
    std::size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (!QuotedText(line, pos, name)) {
      Problem("value name without closing quote");
      return;
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '=') {
      Problem("value name not followed by =");
      return;
    }
    std::string data = Trim(line.substr(pos + 1));

    bool remove = false;
    std::string stored;
    if (!ValueData(data, remove, stored)) return;
    if (target_ == Target::kRemoved) return;  // the registry editor ignores values under a removed key
    if (target_ == Target::kNone) {
      Problem("value outside a valid key");
      return;
    }
    auto& values = file_.keys_[key_];
    std::string lowerName = LowerAscii(ToAnsi(name));
    if (remove) {
      values.erase(lowerName);
    } else {
      values[lowerName] = std::move(stored);
    }
  }

  bool ValueData(const std::string& data, bool& remove, std::string& stored) {
    if (data == "-") {
      remove = true;
      return true;
    }
    if (!data.empty() && data[0] == '"') {
      std::size_t pos = 0;
      std::string text;
      if (!QuotedText(data, pos, text) || pos != data.size()) {
        Problem("text value not closed by a quote at the end of the line");
        return false;
      }
      stored = ToAnsi(text);
      stored += '\0';
      return true;
    }
    if (StartsWithNoCase(data, 0, "dword:")) {
      std::uint32_t value = 0;
      if (!ParseHex(Trim(data.substr(6)), 8, value)) {
        Problem("dword value is not 1 to 8 hex digits");
        return false;
      }
      for (int i = 0; i < 4; ++i) stored += static_cast<char>((value >> (8 * i)) & 0xFF);
      return true;
    }
    if (StartsWithNoCase(data, 0, "hex")) return HexData(data, stored);
    Problem("unknown kind of value data");
    return false;
  }

  // hex:41,42 or hex(N):41,00 with backslash continuation lines.
  bool HexData(const std::string& data, std::string& stored) {
    std::string body = data;
    // Continuation lines belong to this value even when it turns out broken.
    while (!body.empty() && body.back() == '\\' && index_ + 1 < lines_.size()) {
      body.pop_back();
      body += Trim(lines_[++index_]);
    }
    if (!body.empty() && body.back() == '\\') body.pop_back();

    std::uint32_t type = 3;  // REG_BINARY
    std::size_t pos = 3;
    if (pos < body.size() && body[pos] == '(') {
      std::size_t close = body.find(')', pos);
      if (close == std::string::npos || !ParseHex(body.substr(pos + 1, close - pos - 1), 8, type)) {
        Problem("hex(N) value with a bad type number");
        return false;
      }
      pos = close + 1;
    }
    if (pos >= body.size() || body[pos] != ':') {
      Problem("hex value without a colon");
      return false;
    }
    std::string bytes;
    std::string list = body.substr(pos + 1);
    std::size_t start = 0;
    while (start < list.size()) {
      std::size_t comma = list.find(',', start);
      std::size_t end = comma == std::string::npos ? list.size() : comma;
      std::string token = Trim(list.substr(start, end - start));
      std::uint32_t value = 0;
      bool lastEmpty = token.empty() && comma == std::string::npos;  // a trailing comma
      if (!lastEmpty && !ParseHex(token, 2, value)) {
        Problem("hex value with a bad byte");
        return false;
      }
      if (!lastEmpty) bytes += static_cast<char>(value);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    // Text types of a version 5 export hold UTF-16LE; the ANSI query converts them.
    bool textType = type == 1 || type == 2 || type == 7;
    if (textType && !file_.version4_) {
      stored.clear();
      std::string utf8 = Utf16LeToUtf8(bytes.data(), bytes.size());
      std::size_t from = 0;
      for (;;) {  // convert each NUL-separated piece, keeping the NULs
        std::size_t nul = utf8.find('\0', from);
        stored += Tools::Utf8ToCp1250(utf8.substr(from, nul == std::string::npos ? std::string::npos : nul - from));
        if (nul == std::string::npos) break;
        stored += '\0';
        from = nul + 1;
      }
    } else {
      stored = std::move(bytes);
    }
    return true;
  }

  RegFile& file_;
  std::string text_;
  bool cp1250_ = false;
  std::vector<std::string> lines_;
  std::size_t index_ = 0;
  Target target_ = Target::kNone;
  std::string key_;
};

RegFile RegFile::Parse(const std::string& fileBytes) {
  RegFile file;
  RegFileParser parser(file, fileBytes);
  parser.Run();
  return file;
}

void RegFile::AddProblem(int line, const std::string& reason) {
  if (problems_.size() < kMaxProblems) problems_.push_back(Problem{line, reason});
  ++problemCount_;
}

std::string RegFile::NormalizeKeyPath(const std::string& keyPath) {
  std::string path = LowerAscii(keyPath);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  std::size_t slash = path.find('\\');
  std::string root = path.substr(0, slash);
  std::string rest = slash == std::string::npos ? std::string() : path.substr(slash);
  return ExpandRoot(root) + rest;
}

const std::string* RegFile::Find(const std::string& keyPath, const std::string& name) const {
  auto key = keys_.find(NormalizeKeyPath(keyPath));
  if (key == keys_.end()) return nullptr;
  auto value = key->second.find(LowerAscii(name));
  return value == key->second.end() ? nullptr : &value->second;
}

bool RegFile::HasKey(const std::string& keyPath) const { return keys_.count(NormalizeKeyPath(keyPath)) != 0; }

int RegFile::Deliver(const std::string& stored, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return kFailure;
  std::memset(buffer, 0, size);
  bool terminated = !stored.empty() && stored.back() == '\0';
  std::size_t needed = stored.size() + (terminated ? 0 : 1);
  if (needed > size) return kFailure;
  std::memcpy(buffer, stored.data(), stored.size());
  return kSuccess;
}

}  // namespace kestrel
