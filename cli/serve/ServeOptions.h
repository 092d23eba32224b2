#pragma once
// The options of `kestrel serve` and the checks made on them before the
// server starts: where it listens, who may call it, where files go and how
// payment types map onto the printer's payment codes.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kestrel::serve {

struct ServeOptions {
  std::string listen = "127.0.0.1:8750";  // HOST:PORT; port 0 picks a free one
  std::string tokenFile;                  // a file holding the bearer token
  std::string exportDir;                  // saved journals; default <DataDirectory>/kstr_export
  std::vector<std::string> allowOrigins;  // web origins whose pages may call the API
  std::vector<std::string> allowHosts;    // further names the Host header may carry
  std::vector<std::string> paymentTypes;  // NAME=CODE; any given replace the default table
  std::string deviceClass = "FiscalPrinter";
  int keepDays = 30;           // settled ids are forgotten after this many days
  int queueLength = 16;        // requests that may wait for the printer at once
  int queueWaitSeconds = 120;  // the longest a request waits for the printer
};

// What the options come to once checked.
struct ListenAddress {
  std::string host;  // an IP address as given ("127.0.0.1", "::1", "0.0.0.0")
  int port = 0;
  bool loopback = false;
};

// "HOST:PORT" or "[V6]:PORT"; host an IP address or "localhost" (which
// becomes 127.0.0.1). False with a reason for anything else.
bool ParseListen(const std::string& text, ListenAddress& address, std::string& error);

// The default payment table: cash 1, card 2, voucher 3, other 4.
std::map<std::string, std::string> DefaultPaymentTypes();
// NAME=CODE entries (lower-case name, code one character 1-9); false with a
// reason naming the entry.
bool ParsePaymentTypes(const std::vector<std::string>& entries, std::map<std::string, std::string>& table,
                       std::string& error);

// "scheme://host[:port]" with nothing after it; false otherwise.
bool IsOriginText(const std::string& text);

// The token from the file: its first line without surrounding blanks. False
// with a reason when it cannot be read or is shorter than 16 characters.
bool ReadToken(const std::string& path, std::string& token, std::string& error);

}  // namespace kestrel::serve
