#pragma once
// Texts cross the interface as BSTR (UTF-16) and live inside the service as
// byte strings in the system ANSI code page. These helpers convert between
// the two and adapt the interface's in/out arguments to the service's
// pointer arguments for the length of one call.
#include <cstdint>
#include <string>

#include "server/ComHeaders.h"

namespace kestrel::server {

// A null BSTR reads as "". The text ends at the first NUL, as the service
// reads it.
std::string Ansi(BSTR text);
// A new BSTR owned by the caller; null only when memory runs out.
BSTR ToBstr(const std::string& text);

// An in/out BSTR: the service sees the text as ANSI and may change it. When
// it did, the slot receives a new BSTR and the one it held is freed, as the
// caller of an in/out argument expects; an unchanged text leaves the slot
// untouched. A null slot is passed on as an absent argument.
class TextSlot {
 public:
  explicit TextSlot(BSTR* slot);
  ~TextSlot();
  TextSlot(const TextSlot&) = delete;
  TextSlot& operator=(const TextSlot&) = delete;
  std::string* get() { return slot_ ? &text_ : nullptr; }

 private:
  BSTR* slot_;
  std::string original_;
  std::string text_;
};

// A LONG slot seen as int32_t for one call (LONG and int32_t are distinct
// types on Windows). An out-only slot is not read first. A null slot is
// passed on as an absent argument.
class NumberSlot {
 public:
  NumberSlot(LONG* slot, bool readFirst) : slot_(slot), value_(slot && readFirst ? *slot : 0) {}
  ~NumberSlot() {
    if (slot_) *slot_ = value_;
  }
  NumberSlot(const NumberSlot&) = delete;
  NumberSlot& operator=(const NumberSlot&) = delete;
  int32_t* get() { return slot_ ? &value_ : nullptr; }

 private:
  LONG* slot_;
  int32_t value_;
};

}  // namespace kestrel::server
