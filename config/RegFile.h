#pragma once
// Reader for the registry export format (.reg) that stands in for the
// registry where there is none. It understands what the registry editor
// writes ("Windows Registry Editor Version 5.00" or "REGEDIT4"): [key]
// sections with full paths, [-key] removals, "Name"="text", @= for the default
// value, "Name"=- deletions, dword:, hex: and hex(N): data with backslash
// continuation lines, and ; comments. Files may be UTF-8 (with or without
// BOM), UTF-16LE with BOM, or windows-1250 when they are not valid UTF-8.
//
// Values are kept as the registry stores them and as the ANSI query hands
// them out: strings as windows-1250 bytes with their terminator, dword as four
// little-endian bytes, hex data as given (text types of a version 5 export
// are UTF-16LE there and become windows-1250 text here).
//
// Parsing is platform-neutral, never throws on bad input and never stops at a
// bad line: the line is recorded as a problem and skipped.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace kestrel {

class RegFile {
 public:
  struct Problem {
    int line;            // 1-based line number in the decoded text
    std::string reason;  // short English description
  };
  // Only this many problems are kept; problemCount counts them all.
  static constexpr std::size_t kMaxProblems = 20;

  // Parses the bytes of a whole file.
  static RegFile Parse(const std::string& fileBytes);

  // The stored bytes of a value, or null. keyPath is a full path whose root
  // may be abbreviated (HKLM\...); names compare case-insensitively; the
  // empty name is the key's default value (@).
  const std::string* Find(const std::string& keyPath, const std::string& name) const;
  bool HasKey(const std::string& keyPath) const;

  // Hands stored bytes out the way the registry's query does: they must fit
  // into size bytes together with a terminator, unless they already end in
  // one. Fills size bytes of buffer with zero first. 0, or 111 when they do
  // not fit (the buffer then stays zeroed).
  static int Deliver(const std::string& stored, char* buffer, std::size_t size);

  // Canonical form of a key path: root spelt out, ASCII lower case, no
  // trailing backslash.
  static std::string NormalizeKeyPath(const std::string& keyPath);

  const std::vector<Problem>& Problems() const { return problems_; }
  std::size_t ProblemCount() const { return problemCount_; }
  bool IsVersion4() const { return version4_; }

 private:
  friend class RegFileParser;
  void AddProblem(int line, const std::string& reason);

  // normalised key path -> lower-case value name -> stored bytes
  std::map<std::string, std::map<std::string, std::string>> keys_;
  std::vector<Problem> problems_;
  std::size_t problemCount_ = 0;
  bool version4_ = false;
};

}  // namespace kestrel
