#pragma once
// The checkout the benchmarks measure: the service opened, claimed and
// enabled on the profile's port, then a sales receipt of ten items with one
// cash payment and the close (which also pulls the new journal blocks).
#include <string>

#include "service/FiscalPrinter.h"

namespace kestrel::bench {

class Checkout {
 public:
  Checkout();
  ~Checkout();  // releases and closes the service
  Checkout(const Checkout&) = delete;
  Checkout& operator=(const Checkout&) = delete;

  // Opens, claims and enables the service. 0, or the first failing result.
  int Open();
  // One whole receipt. 0, or the first failing result (the step in *step).
  int SellTenItems(std::string* step = nullptr);
  FiscalPrinter& Printer() { return printer_; }

 private:
  FiscalPrinter printer_;
  bool open_ = false;
};

}  // namespace kestrel::bench
