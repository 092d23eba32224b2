#pragma once
// The texts a printed document takes from what the service keeps: the
// trailer under a receipt or a document, and the header above a non-fiscal
// one. A command asks for them while it builds its request, and only when
// the document prints them; where they are kept is the service's business
// (service/PrinterJournal.h).
#include <string>

namespace kestrel {

class DocumentTexts {
 public:
  virtual ~DocumentTexts() = default;
  // The stored trailer, at most 1000 characters; empty when there is none.
  virtual std::string Trailer() = 0;
  // The stored header, at most 1000 characters. When none is stored it is
  // made first; 0, or 112 when the printer fell silent while it was made
  // (nothing is to be printed then). A header that could not be made is
  // empty with 0.
  virtual int Header(std::string& header) = 0;
};

}  // namespace kestrel
