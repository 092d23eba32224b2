#include "cli/DetectCommand.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <system_error>

#include "cli/ProfileTemplate.h"
#include "cli/SerialPorts.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

// A text as a .reg string holds it.
std::string RegString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// The name the profile gives the port: ports above COM9 only by their path.
std::string ProfilePort(const std::string& port) {
  const std::string open = OpenName(port);
  return open != port && port.size() > 4 ? open : port;
}

std::string Rates(const std::vector<unsigned long>& tried) {
  std::string text;
  for (unsigned long rate : tried.empty() ? ProbeRates() : tried)
    text += (text.empty() ? "" : ", ") + std::to_string(rate);
  return text;
}

std::string Verdict(const ProbeResult& r, const ProbeOptions& options) {
  switch (r.verdict) {
    case ProbeVerdict::kFound: {
      std::string text = "printer found at " + std::to_string(r.rate) + " baud, firmware " +
                         (r.firmware.empty() ? "unknown" : r.firmware) + ", serial number " +
                         (r.serialNumber.empty() ? "unknown" : r.serialNumber);
      if (r.replyCode != 0) text += " (it answered " + std::to_string(r.replyCode) + ")";
      return text;
    }
    case ProbeVerdict::kUnavailable:
      // The system's words come in the service's code page (Windows: ANSI).
      return std::string(r.cause.fault == PortFault::kHeld ? "skipped: " : "cannot be used: ") +
             Tools::Cp1250ToUtf8(PortCause(r.cause));
    case ProbeVerdict::kSilent:
      return "no answer at " + Rates(options.rates) + " baud";
    case ProbeVerdict::kNoReply:
      return "bytes came, but no printer's reply at any rate";
    case ProbeVerdict::kEcho:
      return "sends back what it gets (a loopback or a modem's echo), no printer";
  }
  return "";
}

}  // namespace

std::string ProfileFor(const std::string& port, unsigned long rate, const std::string& dataDirectory) {
  std::istringstream in(SerialPortProfileTemplate());
  std::ostringstream out;
  std::string line;
  const std::string directory = dataDirectory.empty() ? PlatformDataDirectory() : dataDirectory;
  while (std::getline(in, line)) {
    const bool crlf = !line.empty() && line.back() == '\r';
    if (crlf) line.pop_back();
    if (line.rfind("\"Port\"=", 0) == 0) {
      line = "\"Port\"=" + RegString(ProfilePort(port));
    } else if (line.rfind("\"Baudrate\"=", 0) == 0) {
      line = "\"Baudrate\"=" + RegString(std::to_string(rate));
    } else if (line.rfind("\"DataDirectory\"=", 0) == 0 && !directory.empty()) {
      line = "\"DataDirectory\"=" + RegString(directory);
    }
    out << line << (crlf ? "\r\n" : "\n");
  }
  return out.str();
}

int RunDetect(const DetectOptions& options, std::ostream& out, std::ostream& err) {
  std::error_code error;
  if (!options.writeProfile.empty() && std::filesystem::exists(options.writeProfile, error)) {
    err << "kestrel: " << options.writeProfile << " already exists; a profile is never written over a file"
        << std::endl;
    return 2;
  }
  const std::vector<std::string> ports = options.ports.empty() ? PresentSerialPorts() : options.ports;
  if (ports.empty()) {
    err << "kestrel: no serial port found on this machine; name the ports to probe" << std::endl;
    return 1;
  }
  const std::vector<ProbeResult> results = ProbePorts(ports, options.probe);
  const ProbeResult* first = nullptr;
  int found = 0;
  for (const ProbeResult& r : results) {
    out << r.port << ": " << Verdict(r, options.probe) << "\n";
    if (r.verdict != ProbeVerdict::kFound) continue;
    ++found;
    if (first == nullptr) first = &r;
  }
  if (found == 0) {
    out << "No printer found on " << ports.size() << (ports.size() == 1 ? " port." : " ports.") << std::endl;
    return 1;
  }
  out << "Found " << found << (found == 1 ? " printer." : " printers.") << std::endl;
  if (!options.writeProfile.empty()) {
    std::ofstream file(options.writeProfile, std::ios::binary);
    file << ProfileFor(first->port, first->rate, options.dataDirectory);
    file.close();
    if (!file) {
      err << "kestrel: cannot write the profile " << options.writeProfile << std::endl;
      return 1;
    }
    out << "Profile for " << first->port << " at " << first->rate << " baud written to " << options.writeProfile << "."
        << std::endl;
  }
  return 0;
}

}  // namespace kestrel::cli
