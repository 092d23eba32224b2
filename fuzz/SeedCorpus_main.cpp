// Writes the seed corpora of the fuzz targets into <dir>/<target>/: real
// frames of a whole sales day that the service exchanges with the virtual
// printer (start of day, a receipt with payment and VAT table, the journal
// transfer, X and Z reports), cut and arranged the way each harness reads
// its input; sample profiles, date texts and script lines for the others.
// Usage: kestrel-fuzz-seeds <corpus directory>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/Settings.h"
#include "emulator/Printer.h"
#include "fuzz/harness/FuzzHarness.h"
#include "fuzz/harness/ReplyParsingHarness.h"
#include "protocol/Messaging.h"
#include "serial/RS232.h"
#include "service/PrinterJournal.h"

namespace kestrel::fuzz {
namespace {

struct Exchange {
  std::string request;
  std::string reply;
};

// A device wired straight to the virtual printer: every request written is
// answered at once.
class LoopbackDevice final : public SerialDevice {
 public:
  LoopbackDevice(emulator::Printer& printer, std::vector<Exchange>& log) : printer_(printer), log_(log) {}
  bool Open(const char*) override { return open_ = true; }
  bool IsOpen() const override { return open_; }
  unsigned long HandleValue() const override { return 1; }
  void Close() override { open_ = false; }
  bool SetQueueSizes(unsigned long, unsigned long) override { return true; }
  bool SetLineSettings(const LineSettings&) override { return true; }
  bool SetTimeouts(const LineTimeouts&) override { return true; }
  bool SetEventMask(unsigned long) override { return true; }
  bool PurgeInput() override {
    queue_.clear();
    return true;
  }
  bool PurgeOutput() override { return true; }
  std::size_t Write(const void* bytes, std::size_t count) override {
    const std::string request(static_cast<const char*>(bytes), count);
    queue_ = printer_.Handle(request);
    log_.push_back({request, queue_});
    return count;
  }
  std::size_t Read(void* bytes, std::size_t count) override {
    const std::size_t n = count < queue_.size() ? count : queue_.size();
    queue_.copy(static_cast<char*>(bytes), n);
    queue_.erase(0, n);
    return n;
  }
  std::size_t QueuedInput() override { return queue_.size(); }

 private:
  emulator::Printer& printer_;
  std::vector<Exchange>& log_;
  std::string queue_;
  bool open_ = false;
};

// Runs a sales day against the virtual printer and returns every exchange.
std::vector<Exchange> RecordSalesDay(emulator::Printer& printer) {
  std::vector<Exchange> log;
  RS232::SetDeviceFactoryForTests([&] { return std::make_unique<LoopbackDevice>(printer, log); });
  Settings::Instance().SetDeviceClass("FiscalPrinter");
  Messaging& m = Messaging::Instance();
  m.OpenPort();
  m.DisplayText("Vitajte", 2);
  m.SetFirmwareVersion(false);
  m.SetSlipPresent();
  m.GetPrinterStatus(kStationReceipt);
  m.GetFiscalPrinterState(true);
  m.GetDailyTotal();
  m.StartTicket(false, "");
  m.Item(0, "Ro\x9Eok grahamov\xFD", 6000, 40000, 2, 1500, "ks");
  m.Item(0, "Mlieko polotu\xE8n\xE9 1,5 %", 9900, 10000, 2, 9900, "");
  m.Item(0,
         "\x8Aunka \xFA"
         "den\xE1",
         35800, 2000, 2, 179000, "kg");
  m.ItemAdjustment(0,
                   "Akcia t\xFD\x9E"
                   "d\xF2"
                   "a",
                   2, -2500);
  m.Subtotal(true);
  m.Payment(100000, "1", false, 2);
  m.PrintVatTable();
  JournalTexts texts(m);
  CloseReceipt(m, texts);
  char text[64] = {};
  m.ReadFiscalData(63, text, sizeof text);
  m.SetDate(nullptr, true, text);
  m.Report(false);
  m.Report(true);
  m.ClosePort();
  RS232::SetDeviceFactoryForTests(nullptr);
  return log;
}

std::string Code(const std::string& frame) { return frame.size() >= 4 ? frame.substr(1, 3) : std::string(); }

class Corpus {
 public:
  explicit Corpus(std::string root) : root_(std::move(root)) { ::mkdir(root_.c_str(), 0755); }
  void Add(const std::string& target, const std::string& name, const std::string& bytes) {
    const std::string dir = root_ + "/" + target;
    ::mkdir(dir.c_str(), 0755);
    std::ofstream out(dir + "/seed-" + name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ++count_;
  }
  int Count() const { return count_; }

 private:
  std::string root_;
  int count_ = 0;
};

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string out;
  for (unsigned v : values) out += static_cast<char>(v);
  return out;
}

void ReadPacketSeeds(Corpus& corpus, const std::vector<Exchange>& day) {
  std::map<std::string, int> seen;
  for (const Exchange& e : day) {
    if (e.reply.empty()) continue;
    const std::string name = Code(e.request) + "-" + std::to_string(seen[Code(e.request)]++);
    if (seen[Code(e.request)] > 2) continue;
    const std::string& r = e.reply;
    const std::string whole = Bytes({0x00, 0x00}) + WriteChunk(r, 0);
    corpus.Add("read_packet", name + "-whole", whole);
    // Noise before it, split in three with waits between, trailing bytes.
    const std::size_t third = r.size() / 3;
    corpus.Add("read_packet", name + "-split",
               Bytes({0x00, 0x01}) + WriteChunk("\xFF\x10" + r.substr(0, third), 0) +
                   WriteChunk(r.substr(third, third), 5) + WriteChunk(r.substr(2 * third) + "\x06\x15", 12));
    // A damaged CRC, then the same frame again in full.
    std::string damaged = r;
    damaged[damaged.size() - 1] = static_cast<char>(damaged.back() == '0' ? '1' : '0');
    corpus.Add("read_packet", name + "-bad-crc", Bytes({0x00, 0x00}) + WriteChunk(damaged, 0) + WriteChunk(r, 2));
    // The caller's buffer too small for the frame.
    corpus.Add("read_packet", name + "-small", Bytes({0xC0 + 20, 0x00}) + WriteChunk(r, 0));
  }
}

// Reply scripts for the reply parsing harness: the replies of the commands
// that each operation sends, in order, each closing one reply.
std::string ReplyScript(const std::vector<std::string>& replies) {
  std::string out;
  for (const std::string& r : replies) out += WriteChunk(r, kEndsReply);
  return out;
}

std::string FirstReply(const std::vector<Exchange>& day, const std::string& code, int skip = 0) {
  for (const Exchange& e : day) {
    if (Code(e.request) == code && !e.reply.empty() && skip-- == 0) return e.reply;
  }
  return std::string();
}

void ReplyParsingSeeds(Corpus& corpus, const std::vector<Exchange>& day) {
  auto op = [](ReplyOperation o, unsigned parameter) { return Bytes({static_cast<unsigned>(o), parameter}); };
  const std::string s01 = FirstReply(day, "S01");
  const std::string s09 = FirstReply(day, "S09");
  corpus.Add("reply_parsing", "exchange-s01", op(ReplyOperation::kExchange, 0) + ReplyScript({s01}));
  corpus.Add("reply_parsing", "exchange-s08", op(ReplyOperation::kExchange, 0) + ReplyScript({FirstReply(day, "S08")}));
  corpus.Add("reply_parsing", "exchange-s04", op(ReplyOperation::kExchange, 0) + ReplyScript({FirstReply(day, "S04")}));
  // A sequence error, then the reply to the resend.
  corpus.Add("reply_parsing", "exchange-resend",
             op(ReplyOperation::kExchange, 1) + ReplyScript({emulator::BuildReply("S01", '4', 31, {}), s01}));
  // A long operation: two polls still working, then the result.
  corpus.Add("reply_parsing", "exchange-long",
             op(ReplyOperation::kExchange, 2) +
                 ReplyScript({emulator::BuildReply("P15", '1', 11, {}), emulator::BuildReply("P15", '2', 11, {}),
                              emulator::BuildReply("P15", '3', 0, {}), FirstReply(day, "P15")}));
  corpus.Add("reply_parsing", "vat-table", op(ReplyOperation::kVatTable, 0) + ReplyScript({FirstReply(day, "P11")}));
  corpus.Add("reply_parsing", "vat-table-groups",
             op(ReplyOperation::kVatTable, 0) +
                 ReplyScript({emulator::BuildReply(
                     "P11", '5', 0, {"0", "A20", "100,00", "20,00", "B10", "50,00", "5,00", "I5", "1,00", "0,05"})}));
  corpus.Add("reply_parsing", "payment",
             op(ReplyOperation::kPayment, 90) +
                 ReplyScript({FirstReply(day, "P08"), FirstReply(day, "P09"), FirstReply(day, "D01")}));
  corpus.Add("reply_parsing", "payment-due",
             op(ReplyOperation::kPayment, 70) +
                 ReplyScript({emulator::BuildReply("P08", '6', 0, {"7,41"}),
                              emulator::BuildReply("P09", '7', 0, {"2,59"}), FirstReply(day, "D01")}));
  for (const char* status : {"1", "3", "6"}) {
    corpus.Add("reply_parsing", std::string("printer-error-status-") + status,
               op(ReplyOperation::kPrinterError, 51) + ReplyScript({emulator::BuildReply("P03", '2', 51, {}),
                                                                    emulator::BuildReply("S09", '3', 0, {status})}));
  }
  const std::string s08 = FirstReply(day, "S08");
  const std::string slip = emulator::BuildReply("S03", '3', 0, {"6"});
  corpus.Add("reply_parsing", "getters",
             op(ReplyOperation::kGetters, 1) + ReplyScript({s08, FirstReply(day, "S03"), s09, s01, s01, s01, s01, s01,
                                                            s01, s01, FirstReply(day, "S03", 1)}));
  corpus.Add("reply_parsing", "getters-slip",
             op(ReplyOperation::kGetters, 0) + ReplyScript({s08, slip, emulator::BuildReply("P22", '4', 0, {"20"}), s01,
                                                            s01, s01, s01, s01, s01, s01, FirstReply(day, "S03", 1)}));
}

void PrinterRequestSeeds(Corpus& corpus, const std::vector<Exchange>& day) {
  std::string bodies;
  std::string raw;
  for (const Exchange& e : day) {
    raw += e.request;
    const std::size_t etx = e.request.rfind(emulator::kEtx);
    if (etx != std::string::npos && etx > 0) bodies += e.request.substr(1, etx - 1) + emulator::kEtx;
  }
  corpus.Add("printer_request", "sales-day", std::string(1, '\0') + bodies);
  corpus.Add("printer_request", "sales-day-slip", std::string(1, '\x02') + bodies);
  corpus.Add("printer_request", "sales-day-old-firmware", std::string(1, '\x08') + bodies);
  corpus.Add("printer_request", "sales-day-raw", std::string(1, '\x01') + raw);
  corpus.Add("printer_request", "sales-day-strict-raw", std::string(1, '\x05') + raw);
}

void FormatTimeSeeds(Corpus& corpus) {
  struct Seed {
    const char* name;
    unsigned format;  // index into the harness's formats
    std::string input;
  };
  const std::string clock = Bytes({0x00, 0x10, 0x20, 0x30});
  const std::string size32 = Bytes({0x00});
  const Seed seeds[] = {
      {"interface-date", 4, std::string("311220231530") + '\0' + "%d%m%Y%H%M"},
      {"interface-date-short", 3, std::string("3112202315") + '\0' + "%d%m%Y%H%M"},
      {"log-name", 2, std::string("kstr_log_2024_05_17.txt") + '\0' + "kstr_log_%Y_%m_%d.txt"},
      {"printer-clock", 0, std::string("20240517143005") + '\0' + "%Y%m%d%H%M%S"},
      {"two-digit-year", 2, std::string("690101") + '\0' + "%y%m%d"},
      {"day-32", 3, std::string("32012024") + '\0' + "%d%m%Y"},
      {"leap-day", 3, std::string("29022024") + '\0' + "%d%m%Y"},
      {"now", 1, std::string()},
      {"literals", 5, std::string("17.05.2024 14:30") + '\0' + "%d.%m.%Y %H:%M"},
      {"unknown-letter", 0, std::string("2024") + '\0' + "%Q"},
  };
  for (const Seed& s : seeds) {
    corpus.Add("format_time", s.name, clock + size32 + static_cast<char>(s.format) + s.input);
  }
  corpus.Add("format_time", "tiny-output", clock + Bytes({0xF4, 0x00}));
  corpus.Add("format_time", "own-format",
             clock + size32 + Bytes({0xF0}) + "17052024" + '\0' + "%d%m%Y" + '\0' + "%A %j %U %Z");
}

void RegFileSeeds(Corpus& corpus) {
  const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\ZB_Tarnel.COM]";
  corpus.Add(
      "reg_file", "version5",
      "Windows Registry Editor Version 5.00\r\n\r\n" + key +
          "\r\n\"Port\"=\"/dev/ttyUSB0\"\r\n\"Baudrate\"=\"115200\"\r\n\"DataDirectory\"=\"/var/lib/kestrel\"\r\n"
          "\"LogEnabled\"=\"1\"\r\n\"LogDays\"=\"60\"\r\n\"LogDebug\"=\"1\"\r\n; a comment\r\n"
          "@=\"default\"\r\n");
  corpus.Add("reg_file", "regedit4",
             "REGEDIT4\r\n\r\n" + key + "\r\n\"Port\"=\"COM1\"\r\n\"DataDirectory\"=\"C:\\\\Kestrel\\\\data\"\r\n");
  corpus.Add("reg_file", "types",
             "Windows Registry Editor Version 5.00\n\n" + key +
                 "\n\"LogDays\"=dword:0000003c\n\"Port\"=hex(2):43,00,4f,00,4d,00,33,00,00,00\n"
                 "\"Blob\"=hex:01,02,03,\\\n  04,05\n\"Gone\"=-\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n");
  corpus.Add("reg_file", "quotes",
             "Windows Registry Editor Version 5.00\r\n\r\n[HKLM\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\"
             "ZB_Tarnel.COM\\]\r\n\"Port\"=\"a \\\"quoted\\\" name\"\r\n\"V7Protocol\"=\"0\"\r\n");
  // UTF-16LE with a byte-order mark, as the registry editor exports.
  std::string wide = "\xFF\xFE";
  const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n" + key + "\r\n\"Port\"=\"COM2\"\r\n";
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  corpus.Add("reg_file", "utf16", wide);
  corpus.Add("reg_file", "windows-1250",
             "Windows Registry Editor Version 5.00\r\n\r\n" + key + "\r\n\"DataDirectory\"=\"C:\\\\\x8Eurn\xE1l\"\r\n");
}

void ScriptLineSeeds(Corpus& corpus) {
  const char* const lines[] = {
      "OpenService FiscalPrinter Kestrel",
      "ClaimDevice 1000",
      "SetPropertyNumber 3 1",
      "BeginFiscalReceipt 1",
      "PrintRecItem \"Ro\xC5\xBEok grahamov\xC3\xBD\" 6000 40000 2 1500 \"ks\"",
      "PrintRecItemAdjustment 1 \"Akcia t\xC3\xBD\xC5\xBE\x64\xC5\x88\x61\" 2500 1",
      "PrintRecTotal 74100 100000 \"1\"\r",
      "EndFiscalReceipt 0",
      "GetData 1 0 \"\"",
      "DirectIO 10 0 \"\\\"quoted\\\" and \\\\ backslash\"",
      "  # a comment",
      "\tPrintRecMessage\t\"tab\tinside\"",
      "GetPropertyString 1",
  };
  int n = 0;
  for (const char* line : lines) corpus.Add("script_line", "line-" + std::to_string(n++), line);
}

}  // namespace
}  // namespace kestrel::fuzz

int main(int argc, char** argv) {
  using namespace kestrel;
  using namespace kestrel::fuzz;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  Environment::Get();
  emulator::PrinterOptions options;
  options.now = [] { return static_cast<std::time_t>(1717000000); };
  emulator::Printer printer(options);
  const std::vector<Exchange> day = RecordSalesDay(printer);

  Corpus corpus(argv[1]);
  ReadPacketSeeds(corpus, day);
  ReplyParsingSeeds(corpus, day);
  PrinterRequestSeeds(corpus, day);
  FormatTimeSeeds(corpus);
  RegFileSeeds(corpus);
  ScriptLineSeeds(corpus);
  std::printf("%d seeds from %zu exchanges\n", corpus.Count(), day.size());
  return 0;
}
