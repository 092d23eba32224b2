#pragma once
// Every method of the service's interface, in interface order, with the
// arguments a script line gives it and the call that makes it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CallArgs.h"
#include "service/FiscalPrinter.h"

namespace kestrel::cli {

// What R is on the printed line.
enum class Report {
  kResultCode,   // the ResultCode property after the call
  kNumberValue,  // the number the getter delivered (GetPropertyNumber)
  kTextValue,    // the text the getter delivered (GetPropertyString)
};

using CallFunction = int32_t (*)(FiscalPrinter&, CallArgs&);

struct MethodEntry {
  const char* name;
  const char* signature;  // see ParseSignature
  Report report;
  CallFunction call;
};

struct Method {
  std::string name;
  std::vector<Parameter> parameters;
  Report report = Report::kResultCode;
  CallFunction call = nullptr;

  std::size_t WrittenCount() const;
  // "PrintRecItem description price quantity vatInfo unitPrice unitName"
  // with "=> values" for what is printed after the call.
  std::string Usage() const;
};

// The raw entries, as written in CallTableEntries.cpp.
const std::vector<MethodEntry>& MethodEntries();
// The entries with their signatures read; built once.
const std::vector<Method>& Methods();
// Exact, case-sensitive lookup; null when unknown.
const Method* FindMethod(std::string_view name);
// A method whose name differs only in letter case, for a hint; null if none.
const Method* FindMethodIgnoringCase(std::string_view name);

}  // namespace kestrel::cli
