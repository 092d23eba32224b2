#pragma once
// Values that the methods printing into an open fiscal receipt share.
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"

namespace kestrel {

// A quantity of one piece (quantities carry three decimals and a tenth).
constexpr int kOnePiece = 10000;

}  // namespace kestrel
