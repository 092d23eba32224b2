#include "cli/CallTable.h"

#include <cctype>

namespace kestrel::cli {

std::size_t Method::WrittenCount() const {
  std::size_t count = 0;
  for (const Parameter& parameter : parameters) count += IsWritten(parameter.kind) ? 1 : 0;
  return count;
}

std::string Method::Usage() const {
  std::string usage = name;
  std::string printed;
  for (const Parameter& parameter : parameters) {
    if (IsWritten(parameter.kind)) usage += " " + parameter.name;
    if (IsPrinted(parameter.kind)) printed += " " + parameter.name;
  }
  if (!printed.empty()) usage += "  =>" + printed;
  return usage;
}

const std::vector<Method>& Methods() {
  static const std::vector<Method> methods = [] {
    std::vector<Method> built;
    for (const MethodEntry& entry : MethodEntries()) {
      Method method;
      method.name = entry.name;
      method.report = entry.report;
      method.call = entry.call;
      // A malformed signature is a fault of the table, which the tests catch;
      // the method then takes no arguments rather than wrong ones.
      if (!ParseSignature(entry.signature, method.parameters)) method.parameters.clear();
      built.push_back(std::move(method));
    }
    return built;
  }();
  return methods;
}

const Method* FindMethod(std::string_view name) {
  for (const Method& method : Methods()) {
    if (method.name == name) return &method;
  }
  return nullptr;
}

const Method* FindMethodIgnoringCase(std::string_view name) {
  for (const Method& method : Methods()) {
    if (method.name.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; same && i < name.size(); ++i) {
      same =
          std::tolower(static_cast<unsigned char>(method.name[i])) == std::tolower(static_cast<unsigned char>(name[i]));
    }
    if (same) return &method;
  }
  return nullptr;
}

}  // namespace kestrel::cli
