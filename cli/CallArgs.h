#pragma once
// The arguments of one service call, converted from the words of a script
// line into what FiscalPrinter takes: texts in windows-1250, 32-bit numbers,
// 64-bit amounts, flags, and slots for the in/out and out values.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/ScriptLine.h"
#include "service/EventSink.h"

namespace kestrel::cli {

// How a parameter is written ("name:kind" in a signature):
//   t text   n 32-bit number   c 64-bit number (currency, x10000)   b flag
//   n& t&    in/out: written on the line, printed after the call
//   n* t* c* out: not written, printed after the call
enum class ArgKind { kText, kNumber, kWide, kFlag, kNumberInOut, kTextInOut, kNumberOut, kTextOut, kWideOut };

struct Parameter {
  std::string name;
  ArgKind kind = ArgKind::kNumber;
};

bool IsWritten(ArgKind kind);  // the line gives a value
bool IsPrinted(ArgKind kind);  // the value is printed after the call

// "timeout:n data:n& text:t*" into parameters; false on a malformed signature.
bool ParseSignature(const char* signature, std::vector<Parameter>& out);

class CallArgs {
 public:
  // Converts the words by the parameters (the caller has checked their
  // number). False with a reason naming the argument when a word does not fit.
  bool Bind(const std::vector<Parameter>& parameters, const std::vector<Token>& words, std::string& error);

  // Accessors by parameter position, used by the call table. Asking for a kind
  // the parameter does not have marks the call as miswired (see Miswired) and
  // answers a harmless value.
  const char* Text(std::size_t i);
  int32_t Number(std::size_t i);
  int64_t Wide(std::size_t i);
  bool Flag(std::size_t i);
  int32_t* NumberRef(std::size_t i);
  std::string* TextRef(std::size_t i);
  int64_t* WideRef(std::size_t i);
  int32_t* Result() { return &result_; }
  EventSink* Sink() const { return sink_; }
  void SetSink(EventSink* sink) { sink_ = sink; }

  bool Miswired() const { return miswired_; }
  // The in/out and out values after the call, in parameter order: numbers in
  // decimal, texts as UTF-8 in double quotes.
  std::vector<std::string> PrintedValues() const;
  // The first out value as the property getters deliver it.
  int32_t NumberValue(std::size_t i) const;
  std::string TextValue(std::size_t i) const;  // windows-1250

 private:
  struct Slot {
    ArgKind kind = ArgKind::kNumber;
    std::string text;  // windows-1250
    int32_t number = 0;
    int64_t wide = 0;
  };
  Slot* Take(std::size_t i, ArgKind a, ArgKind b);

  std::vector<Slot> slots_;
  Slot spare_;
  int32_t result_ = 0;
  EventSink* sink_ = nullptr;
  bool miswired_ = false;
};

// Reads a decimal integer (optional sign, digits only) within [low, high].
bool ParseInteger(const std::string& text, int64_t low, int64_t high, int64_t& value);

}  // namespace kestrel::cli
