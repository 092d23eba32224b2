#pragma once
// The service's own files in the data directory: the electronic journal as it
// is downloaded from the printer (a text file and a binary file), the check
// code the printer last accepted, the day-closure record, the receipt number
// and the receipt header and trailer that the service prints itself.
//
// Every file is opened and closed within one operation; nothing is kept open.
// Each operation writes one log entry under its own tag ("Journal::<Method>").
// Operations return 0 or 111 unless stated otherwise; nothing throws.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/Singleton.h"

namespace kestrel {

// The files that Journal keeps, each under a fixed name in the data directory.
enum class JournalFile {
  kTmpText,        // "kstr_jrn_tmp.txt": text journal blocks as downloaded
  kTmpBinary,      // "kstr_jrn_tmp.bin": binary journal blocks as downloaded
  kCheckCode,      // "kstr_jrn_cc.bin": the last accepted check code, 8 bytes
  kEod,            // "kstr_jrn_eod.txt": last day closure time + transactions flag
  kEodContent,     // "kstr_jrn_eod_content.txt": text journal of the last closed day
  kHeader,         // "kstr_jrn_header.txt"
  kTrailer,        // "kstr_jrn_trailer.txt"
  kReceiptNumber,  // "kstr_jrn_rec.txt"
  kCheckState,     // "kstr_jrn_check.txt": how far the printer has confirmed the temporary files
};

class Journal : public ProcessSingleton<Journal> {
 public:
  // Kind and half arguments: 0 is the text journal, 1 the binary journal.
  static constexpr int kText = 0;
  static constexpr int kBinary = 1;
  // No path may be longer than this; a data directory that would make one
  // longer leaves every path empty rather than cut it.
  static constexpr std::size_t kMaxPathChars = 300;
  static constexpr std::size_t kCheckCodeSize = 8;
  // The day-closure record: "%Y%m%d%H%M%S" and the flag character.
  static constexpr std::size_t kEodRecordChars = 15;
  static constexpr std::size_t kEodContentLineChars = 40;

  // A place in the two temporary files: a byte count into each.
  struct Extent {
    std::uint64_t text = 0;
    std::uint64_t binary = 0;
    bool operator==(const Extent& other) const { return text == other.text && binary == other.binary; }
  };

  // The fixed file name (no directory) of a journal file.
  static const char* FileName(JournalFile file);

  // Builds the paths that are still empty from the profile's "DataDirectory".
  // 0, or 111 when the value is missing or too long (the paths then stay
  // empty and every file operation fails with 111 until a later call
  // succeeds; on Windows a missing value puts the files at the drive's root).
  int LoadPaths();
  // The full path of a file; empty until LoadPaths has built it.
  const std::string& PathOf(JournalFile file) const;

  // The 8-byte check code of the two temporary files (text, then binary).
  int GetCheckCode(unsigned char code[kCheckCodeSize]);
  // Stores one half of code in "kstr_jrn_cc.bin": half 1 takes bytes 4..7,
  // any other value bytes 0..3; the other half keeps what the file held.
  int UpdateCheckCode(const unsigned char code[kCheckCodeSize], int half);
  int ResetCheckCode(int half);

  // Turns every 0x01 among the bytes back into 0x00 (the serial layer sends
  // a zero byte as 0x01), in the caller's buffer, and appends them to the
  // binary temporary file when kind is 1, else to the text one.
  int AppendTmp(char* bytes, std::size_t length, int kind);
  // Deletes the binary temporary file when kind is 1, else the text one:
  // 0 (also when it does not exist), -1 when it cannot be deleted.
  int DeleteTmp(int kind);
  // Moves the temporary file (binary when kind is not 0) to baseName plus
  // ".bin" or ".txt". Never replaces an existing file. 0 also when there is no
  // temporary file; 111 when the move fails.
  int SaveJournal(const char* baseName, int kind);

  // True when the day-closure record says a transaction was started since.
  bool GetEODTransactions();
  // Rewrites the day-closure record: a non-empty timeStamp (14 digits)
  // replaces the stored closure time, an empty one keeps it (a missing record
  // starts from the present time); the flag becomes "1" or "0".
  int UpdateEOD(const char* timeStamp, bool transactions);
  // A day closure: the text journal moves into "kstr_jrn_eod_content.txt" and
  // the record gets the present time and flag "0".
  int ResetEOD();
  // Writes the whole text journal, cut into 40-character lines each ended by
  // CR LF, to "kstr_jrn_eod_content.txt", then deletes the text journal.
  // 0 when there is nothing to copy; on any failure the text journal stays.
  int CopyEODContent();

  // ---- What the printer has confirmed (JournalCheck.cpp) ----
  // The temporary files begin with what the printer has confirmed and the
  // application has not saved yet; "kstr_jrn_check.txt" keeps where that
  // ends. A check the printer was sent but never answered may have moved its
  // confirmation on; the places such checks reached are kept too, so that
  // what the printer may have freed is never thrown away nor saved twice.
  //
  // Where the printer's confirmation may stand: the part known confirmed
  // first, then the ends of checks left unanswered, in order.
  std::vector<Extent> ConfirmationPoints();
  // The present ends of the two temporary files.
  Extent TmpEnd();
  // The journal check code of the temporary files from a place on.
  int GetCheckCodeFrom(const Extent& from, unsigned char code[kCheckCodeSize]);
  // Before a check up to end is sent: end becomes a place the confirmation
  // may stand. 111 when that cannot be kept; then nothing may be sent.
  int NoteCheckSent(const Extent& end);
  // The printer accepted the check up to end: everything up to it is confirmed.
  int NoteCheckAccepted(const Extent& end);
  // The printer refused the check from point: its confirmation is not there
  // (nor at the end of that check, unless it may have been there before).
  int NoteCheckRefused(const Extent& point, const Extent& end, bool endWasPoint);
  // Nothing sent was recognised: what follows the confirmed part goes aside
  // under "kstr_jrn_refused_N.txt" / ".bin" (never deleted by the service),
  // and the temporary files keep the confirmed part only. 0 or 111.
  int SetAsideUnconfirmed();
  // Saves the confirmed part under baseName + ".txt" / ".bin" (neither may
  // exist; a half with nothing confirmed is not written) and drops it from
  // the temporary files. Either both halves are saved or, after a failure
  // the process lives through, neither. 0 or 111.
  int SaveConfirmed(const char* baseName);
  // Finishes a save or a setting aside that a process stopped in the middle
  // of (called when the service opens and before every transfer). 0 or 111.
  int Settle();
  // Drops what follows length in a temporary file (kind as AppendTmp),
  // deleting it when nothing is left, but never what the printer may have
  // confirmed. 0 or 111.
  int TruncateTmp(int kind, std::uint64_t length);

  // The number held in the first 5 characters of the file; 0 when missing.
  int GetReceiptNumber();
  int UpdateReceiptNumber(int number);
  int ResetReceiptNumber();

  // Reads at most maxChars bytes of the stored text into buffer, which must
  // hold maxChars + 1 bytes: all of them are cleared first, so the text is
  // always terminated. 0 only when the file holds at least maxChars bytes,
  // else 111 (what was read is in the buffer either way).
  int GetReceiptHeader(char* buffer, std::size_t maxChars);
  int GetReceiptTrailer(char* buffer, std::size_t maxChars);
  // Replaces the stored text; a null or empty text changes nothing (0).
  int UpdateReceiptHeader(const char* text);
  int UpdateReceiptTrailer(const char* text);

 private:
  friend class ProcessSingleton<Journal>;
  Journal() = default;

  static constexpr std::size_t kFileCount = 9;

  // The path of file, or empty with a log line under tag when it was not built.
  const std::string* RequirePath(JournalFile file, const char* tag) const;
  int ReadStoredText(JournalFile file, const char* tag, char* buffer, std::size_t maxChars);
  int ReplaceStoredText(JournalFile file, const char* tag, const char* text);

  // The check state as "kstr_jrn_check.txt" holds it.
  struct CheckState {
    std::vector<Extent> points;  // never empty: the known confirmed part first
    bool saving = false;         // a save of points[0] under savingName is under way
    std::string savingName;
    Extent savingEnd;           // the files' ends when it began
    bool settingAside = false;  // a setting aside into refused number asideNumber is under way
    int asideNumber = 0;
    Extent asideFrom;
    Extent asideEnd;
  };
  CheckState LoadCheckState();
  int StoreCheckState(const CheckState& state);
  int FinishSave(CheckState& state);
  int FinishAside(CheckState& state);
  // A file of the data directory by name.
  std::string DataPath(const std::string& name) const;

  std::string paths_[kFileCount];
};

}  // namespace kestrel
