#pragma once
// UnifiedPOS stations as GetPrinterStatus takes them.

namespace kestrel {

constexpr int kStationReceipt = 2;  // FPTR_S_RECEIPT
constexpr int kStationSlip = 4;     // FPTR_S_SLIP

}  // namespace kestrel
