// The state directory: what a real printer keeps through a power cut (fiscal
// memory, counters, parameters, the electronic journal). One text file,
// written whole to a temporary name and renamed, so a crash never leaves half.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "emulator/Printer.h"

namespace kestrel::emulator {
namespace {

const char kFileName[] = "vprinter-state.txt";

std::string ToHex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    out += digits[b >> 4];
    out += digits[b & 0x0F];
  }
  return out.empty() ? "-" : out;
}

std::string FromHex(const std::string& text) {
  std::string out;
  if (text == "-") return out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
  }
  return out;
}

}  // namespace

int Printer::Save(const std::string& directory) const {
  std::ostringstream out;
  out << "documentsToday " << documentsToday_ << "\n"
      << "documentsTotal " << documentsTotal_ << "\n"
      << "dailyTotal " << dailyTotal_ << "\n"
      << "grandTotal " << grandTotal_ << "\n"
      << "cashIn " << cashIn_ << "\n"
      << "cashOut " << cashOut_ << "\n"
      << "dayOpenedAt " << static_cast<long long>(dayOpenedAt_) << "\n"
      << "fiscalisedAt " << static_cast<long long>(fiscalisedAt_) << "\n"
      << "clockOffset " << static_cast<long long>(clockOffset_) << "\n"
      << "training " << (training_ ? 1 : 0) << "\n"
      << "printing " << (printing_ ? 1 : 0) << "\n"
      << "lastReceipt " << lastReceiptNumber_ << "\n"
      << "closureNumber " << closureNumber_ << "\n";
  for (const auto& [group, gross] : dailyByVat_) out << "vat " << group << " " << gross << "\n";
  for (const Closure& c : closures_) {
    out << "closure " << c.number << " " << static_cast<long long>(c.time) << " " << c.total << " " << c.documents
        << "\n";
  }
  for (const auto& [item, value] : parameters_) out << "param " << item << " " << ToHex(value) << "\n";
  for (const std::string& id : receiptIds_) out << "id " << ToHex(id) << "\n";
  out << "journal " << journal_.Position() << " " << journal_.Confirmed() << "\n";
  for (const JournalBlock& block : journal_.Blocks()) out << "block " << block.kind << " " << ToHex(block.data) << "\n";

  std::string path = directory + "/" + kFileName;
  std::string temporary = path + ".new";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return -1;
    file << out.str();
    if (!file.flush()) return -1;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : -1;
}

int Printer::Load(const std::string& directory) {
  std::ifstream file(directory + "/" + kFileName, std::ios::binary);
  if (!file) return 0;  // a new printer
  std::vector<JournalBlock> blocks;
  std::size_t position = 0;
  std::size_t confirmed = 0;
  std::string line;
  try {
    while (std::getline(file, line)) {
      std::istringstream in(line);
      std::string key;
      in >> key;
      long long a = 0;
      if (key == "vat") {
        long long g = 0;
        in >> g >> a;
        dailyByVat_[static_cast<int>(g)] = a;
      } else if (key == "closure") {
        Closure c;
        long long t = 0;
        in >> c.number >> t >> c.total >> c.documents;
        c.time = static_cast<std::time_t>(t);
        closures_.push_back(c);
      } else if (key == "param") {
        int item = 0;
        std::string hex;
        in >> item >> hex;
        parameters_[item] = FromHex(hex);
      } else if (key == "id") {
        std::string hex;
        in >> hex;
        receiptIds_.push_back(FromHex(hex));
      } else if (key == "journal") {
        in >> position >> confirmed;
      } else if (key == "block") {
        JournalBlock block;
        std::string hex;
        in >> block.kind >> hex;
        block.data = FromHex(hex);
        blocks.push_back(block);
      } else {
        in >> a;
        if (key == "documentsToday") documentsToday_ = static_cast<int>(a);
        if (key == "documentsTotal") documentsTotal_ = static_cast<int>(a);
        if (key == "dailyTotal") dailyTotal_ = a;
        if (key == "grandTotal") grandTotal_ = a;
        if (key == "cashIn") cashIn_ = a;
        if (key == "cashOut") cashOut_ = a;
        if (key == "dayOpenedAt") dayOpenedAt_ = static_cast<std::time_t>(a);
        if (key == "fiscalisedAt") fiscalisedAt_ = static_cast<std::time_t>(a);
        if (key == "clockOffset") clockOffset_ = static_cast<std::time_t>(a);
        if (key == "training") training_ = a != 0;
        if (key == "printing") printing_ = a != 0;
        if (key == "lastReceipt") lastReceiptNumber_ = static_cast<int>(a);
        if (key == "closureNumber") closureNumber_ = static_cast<int>(a);
      }
    }
  } catch (...) {
    return -1;  // a damaged file: what was read stays, the rest is factory state
  }
  journal_.Restore(std::move(blocks), position, confirmed);
  return 0;
}

}  // namespace kestrel::emulator
