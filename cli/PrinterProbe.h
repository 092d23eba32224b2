#pragma once
// Looks for the printer on one serial port: takes the port exclusively, as
// the driver does, and sends a status request at each rate in turn, fastest
// first, until a well-formed reply comes. Any reply with a correct CRC
// counts, a sequence error (31) included; an echo of the request does not.
// Then it asks for the firmware and the serial number.
#include <string>
#include <vector>

#include "serial/PortError.h"

namespace kestrel::cli {

// The rates tried, fastest first.
const std::vector<unsigned long>& ProbeRates();

struct ProbeOptions {
  // How long to wait for a reply at each rate, on top of the time that 128
  // bytes take on the line at that rate.
  int replyWaitMs = 150;
  // How long to wait for the answers about firmware and serial number.
  int queryWaitMs = 2000;
  // The rates to try in this order; empty: ProbeRates().
  std::vector<unsigned long> rates;
};

enum class ProbeVerdict {
  kFound,
  kUnavailable,  // the port could not be opened or set up (cause says why)
  kSilent,       // nothing came back at any rate
  kNoReply,      // bytes came, but never a well-formed reply
  kEcho,         // the request came back as it was sent (a loopback)
};

struct ProbeResult {
  std::string port;
  ProbeVerdict verdict = ProbeVerdict::kSilent;
  PortError cause;         // kUnavailable
  unsigned long rate = 0;  // kFound
  int replyCode = 0;       // of the status request
  std::string firmware;    // empty when the printer did not say
  std::string serialNumber;
};

ProbeResult ProbePort(const std::string& port, const ProbeOptions& options);

// Probes every port at the same time (one thread each); results in the
// ports' order. The time taken is that of the slowest port.
std::vector<ProbeResult> ProbePorts(const std::vector<std::string>& ports, const ProbeOptions& options);

// The request frame: STX, code, sequence digit, type 01, FS fields, ETX, CRC.
std::string RequestFrame(const std::string& code, char sequence, const std::vector<std::string>& fields);

// Finds the first frame with a correct CRC in bytes: its body (between STX
// and ETX) into body and the whole frame into frame. False when there is none.
bool FindFrame(const std::string& bytes, std::string& body, std::string& frame);

}  // namespace kestrel::cli
