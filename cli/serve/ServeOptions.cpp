#include "cli/serve/ServeOptions.h"

#include <cctype>
#include <fstream>

namespace kestrel::serve {
namespace {

// A bearer token shorter than this is guessable.
constexpr std::size_t kMinTokenChars = 16;

bool IsIPv4(const std::string& text, bool& loopback) {
  int parts = 0;
  int value = -1;
  int first = -1;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '.') {
      if (value < 0 || value > 255) return false;
      if (parts == 0) first = value;
      ++parts;
      value = -1;
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    value = (value < 0 ? 0 : value * 10) + (text[i] - '0');
    if (value > 255) return false;
  }
  loopback = first == 127;
  return parts == 4;
}

bool IsIPv6(const std::string& text, bool& loopback) {
  if (text.empty() || text.size() > 45) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
  }
  if (text.find(':') == std::string::npos) return false;
  loopback = text == "::1";
  return true;
}

}  // namespace

bool ParseListen(const std::string& text, ListenAddress& address, std::string& error) {
  std::string host;
  std::string port;
  if (!text.empty() && text[0] == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') {
      error = "--listen takes [IPv6]:PORT, not \"" + text + "\"";
      return false;
    }
    host = text.substr(1, close - 1);
    port = text.substr(close + 2);
  } else {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || text.find(':') != colon) {
      error = "--listen takes HOST:PORT, not \"" + text + "\"";
      return false;
    }
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (port.empty() || port.size() > 5) {
    error = "--listen needs a port number 0-65535";
    return false;
  }
  int number = 0;
  for (char c : port) {
    if (!std::isdigit(static_cast<unsigned char>(c))) {
      error = "--listen needs a port number 0-65535";
      return false;
    }
    number = number * 10 + (c - '0');
  }
  if (number > 65535) {
    error = "--listen needs a port number 0-65535";
    return false;
  }
  bool loopback = false;
  if (host == "localhost") {
    host = "127.0.0.1";
    loopback = true;
  } else if (!IsIPv4(host, loopback) && !IsIPv6(host, loopback)) {
    error = "--listen takes an IP address (or localhost), not \"" + host + "\"";
    return false;
  }
  address.host = host;
  address.port = number;
  address.loopback = loopback;
  return true;
}

std::map<std::string, std::string> DefaultPaymentTypes() {
  return {{"cash", "1"}, {"card", "2"}, {"voucher", "3"}, {"other", "4"}};
}

bool ParsePaymentTypes(const std::vector<std::string>& entries, std::map<std::string, std::string>& table,
                       std::string& error) {
  if (entries.empty()) {
    table = DefaultPaymentTypes();
    return true;
  }
  table.clear();
  for (const std::string& entry : entries) {
    const std::size_t equals = entry.find('=');
    const std::string name = equals == std::string::npos ? "" : entry.substr(0, equals);
    const std::string code = equals == std::string::npos ? "" : entry.substr(equals + 1);
    bool nameOk = !name.empty() && name.size() <= 32;
    for (char c : name) nameOk = nameOk && (std::islower(static_cast<unsigned char>(c)) || c == '-' || c == '_');
    if (!nameOk || code.size() != 1 || code[0] < '1' || code[0] > '9') {
      error = "--payment-type takes NAME=CODE (a lower-case name, the printer's code 1-9), not \"" + entry + "\"";
      return false;
    }
    table[name] = code;
  }
  return true;
}

bool IsOriginText(const std::string& text) {
  const std::size_t scheme = text.find("://");
  if (scheme == std::string::npos || scheme == 0) return false;
  const std::string rest = text.substr(scheme + 3);
  if (rest.empty() || rest.find('/') != std::string::npos) return false;
  for (char c : text) {
    if (c <= ' ' || c >= 0x7F) return false;
  }
  return true;
}

bool ReadToken(const std::string& path, std::string& token, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) {
    error = "cannot read the token file " + path;
    return false;
  }
  const std::size_t first = line.find_first_not_of(" \t\r");
  const std::size_t last = line.find_last_not_of(" \t\r");
  token = first == std::string::npos ? "" : line.substr(first, last - first + 1);
  if (token.size() < kMinTokenChars) {
    error = "the token in " + path + " must be at least 16 characters long";
    return false;
  }
  for (char c : token) {
    if (c <= ' ' || c >= 0x7F) {
      error = "the token in " + path + " may hold only visible ASCII characters";
      return false;
    }
  }
  return true;
}

}  // namespace kestrel::serve
