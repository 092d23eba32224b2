#pragma once
// The virtual printer's request side: bytes from the line cut into frames,
// each frame parsed and carried out, the reply framed.
//
// Input: one byte of options, then request material. Option bit 0: the
// material is raw line bytes fed to the frame assembler; otherwise it is a
// run of request bodies, each ended by ETX, that the harness frames with a
// correct CRC so that the commands themselves are reached. Bit 1: a slip
// station; bit 2: strict sequence digits; bit 3: older firmware.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "emulator/Frame.h"
#include "emulator/Printer.h"
#include "fuzz/harness/FuzzHarness.h"

namespace kestrel::fuzz {

inline void CheckReply(const std::string& reply) {
  if (reply.empty()) return;
  emulator::Reply parsed;
  Check(emulator::ParseReply(reply, parsed), "every reply is a well-formed frame");
  Check(parsed.replyCode >= 0 && parsed.replyCode <= 99, "a reply code has two digits");
  for (const std::string& field : parsed.fields) {
    for (char c : field) {
      Check(c != emulator::kStx && c != emulator::kEtx && c != emulator::kFs, "reply fields carry no frame bytes");
    }
  }
}

inline void RunPrinterRequest(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return;
  const unsigned options = data[0];
  emulator::PrinterOptions printerOptions;
  printerOptions.slipStation = (options & 2) != 0;
  printerOptions.strictSequence = (options & 4) != 0;
  if (options & 8) printerOptions.firmware = "2.1.7";
  printerOptions.now = [] { return static_cast<std::time_t>(1717000000); };
  emulator::Printer printer(printerOptions);

  const std::string material(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> frames;
  if (options & 1) {
    emulator::FrameAssembler assembler;
    assembler.Feed(material.data(), material.size());
    Check(assembler.Pending() <= emulator::FrameAssembler::kMaxFrame, "the assembler stays bounded");
    std::string frame;
    while (assembler.Next(frame)) frames.push_back(frame);
  } else {
    std::size_t at = 0;
    while (at < material.size() && frames.size() < 256) {
      std::size_t end = material.find(emulator::kEtx, at);
      if (end == std::string::npos) end = material.size();
      std::string frame = std::string(1, emulator::kStx) + material.substr(at, end - at) + emulator::kEtx;
      frames.push_back(frame + emulator::FrameCrc(frame));
      at = end + 1;
    }
  }
  for (const std::string& frame : frames) {
    CheckReply(printer.Handle(frame));
    (void)printer.TakeNewPaper();
  }
  (void)printer.DisplayRows();
}

}  // namespace kestrel::fuzz
