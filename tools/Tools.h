#pragma once
// Small conversions shared by every subsystem: files, time, text, numbers,
// checksums and code pages. None of them logs. Operations that the original
// design returned in shared result buffers return values here, keeping the
// same widths and limits.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "tools/Singleton.h"

// <windows.h> defines DeleteFile and MoveFile as macros; a Windows source that
// uses these tools includes <windows.h> first, and the names are freed here.
#ifdef DeleteFile
#undef DeleteFile
#endif
#ifdef MoveFile
#undef MoveFile
#endif

namespace kestrel {

class Tools : public ProcessSingleton<Tools> {
 public:
  // ---- Files (every call opens and closes the file) ----
  static bool DirectoryExists(const std::string& path);
  // Creates one directory level; negative on failure.
  static int MakeDirectory(const std::string& path);
  static bool FileExists(const std::string& path);
  // Clears size bytes of buffer, then reads up to size bytes of the file.
  // 0 only when exactly size bytes were read, else 111.
  static int ReadFile(char* buffer, std::size_t size, const std::string& path);
  // length 0 touches nothing and returns 0; else appends or overwrites.
  // 0 when all bytes were written, 111 otherwise.
  static int WriteFile(const void* bytes, std::size_t length, const std::string& path, bool append);
  // Deletes a file: 0, or the platform's error number.
  static int DeleteFile(const std::string& path);
  // Renames without replacing an existing target: 0, or the platform's error
  // number. Between two volumes, where a rename cannot do it, the file is
  // copied to a staged name beside the target (target + ".part"), flushed to
  // the disk and renamed into place; the source is removed only then.
  static int MoveFile(const std::string& from, const std::string& to);
  // Writes bytes [begin, end) of from to to (created or truncated) and flushes
  // them to the disk: 0, or an error number (the target is then removed).
  static int CopyFileRange(const std::string& from, std::uint64_t begin, std::uint64_t end, const std::string& to);
  // The size of a file in bytes; -1 when it does not exist or cannot be read.
  static long long FileSize(const std::string& path);
  // Names of the entries of a directory ("." and ".." left out), sorted by
  // byte value: 0, or 111 (and no names) when the directory cannot be listed.
  static int ListDirectory(const std::string& path, std::vector<std::string>& names);
  // The platform's separator between a directory and a file name.
  static char PathSeparator();
  // directory + separator + name; no second separator when the directory
  // already ends in one, and the name alone for an empty directory.
  static std::string JoinPath(const std::string& directory, const std::string& name);

  // ---- Time (local time, read through the clock seam) ----
  static std::tm GetLocalTime();
  // Parses text by template (when both are non-empty) into the present local
  // time and formats the result with outFormat (strftime rules) into out,
  // at most size bytes including the terminator. 0 or 106 (output empty).
  // Each conversion must read its full width of decimal digits; a day that
  // does not exist in its month (32 January, 30 February) is refused.
  static int FormatTime(char* out, std::size_t size, const char* outFormat, const char* text, const char* textTemplate);

  // ---- Text and numbers ----
  static std::string MakeFormat(const char* prefix, int width, const char* suffix);
  // At most min(count, 1000) bytes from offset; empty for null or offset past end.
  static std::string SubString(const char* text, std::size_t offset, std::size_t count);
  static std::string CenterText(const char* text, int width);
  static std::string PadLeft(const char* text, char fill, int width);
  // Removes spaces, TABs, LFs and CRs at both ends, in place.
  static void Trim(char* text);
  // Clears n+1 bytes of out (out must hold n+1 bytes), then copies the first
  // min(n, strlen(text)) bytes of text, leaving out every byte below 0x20.
  static void StripControl(char* out, std::size_t n, const char* text);
  static void ReplaceByte(void* bytes, std::size_t length, unsigned char oldValue, unsigned char newValue);
  // direction 0: first ',' becomes the locale's decimal point; 1: the reverse.
  static void SwapDecimalPoint(char* number, int direction);
  static int IntegerDigits(double number);
  // windows-1250 text to code page 852, at most size bytes into out (a shorter
  // result is filled with NUL up to size). 106 when text or out is null.
  static int ToPrinterCodePage(const char* text, std::size_t size, char* out);

  // Conversions used where text enters or leaves the system natively
  // (profiles, the command-line tool, the virtual printer's paper).
  static std::string Cp1250ToUtf8(const std::string& text);
  // Characters that windows-1250 lacks become '?'.
  static std::string Utf8ToCp1250(const std::string& text);

  // ---- Checksums ----
  // CRC-16/CCITT-FALSE update (poly 0x1021, MSB first, no final XOR).
  static std::uint16_t Crc16(const void* bytes, std::size_t length, std::uint16_t start);
  // The CRC as four upper-case hex digits.
  static std::string Crc16Hex(const void* bytes, std::size_t length, std::uint16_t start);
  static std::uint8_t XorBytes(const void* bytes, std::size_t length, std::uint8_t start);
  // The 4-byte file check code of the journal. The file is read with the
  // Windows C runtime's text-mode rules on every platform (CR LF reads as LF,
  // reading stops at 0x1A). A missing file gives FE 00 FE 00. 0; 111 after a
  // read error (the code then covers what was read); 106 for a null out.
  static int FileCheckCode(const std::string& path, unsigned char out[4]);
  // The same over the file's bytes from offset on (none past its end).
  static int FileCheckCode(const std::string& path, std::uint64_t offset, unsigned char out[4]);

 private:
  friend class ProcessSingleton<Tools>;
  Tools() = default;
};

}  // namespace kestrel
