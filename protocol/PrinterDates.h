#pragma once
// Date texts between the interface's "%d%m%Y%H%M" and the printer's forms.
#include <cstddef>
#include <string>

namespace kestrel::printer_dates {

// The present local time as the printer takes it where a command opens a
// document or sets the clock: "%Y%m%d%H%M%S" and the weekday 1..7 from Monday.
std::string StampWithWeekday();

// Reads an interface date (exactly twelve digits "%d%m%Y%H%M") and writes it
// in outFormat (strftime rules) into out; a trailing "%w" weekday digit 0
// (Sunday) becomes 7. 0, or 106 with out empty when the text is not a date.
int ConvertInterfaceDate(const char* text, const char* outFormat, char* out, std::size_t size);

// The reverse for printer timestamps: "%Y%m%d%H%M%S" (fourteen digits) into
// "%d%m%Y%H%M". 0, or 106 with out empty.
int ConvertPrinterStamp(const char* stamp, char* out, std::size_t size);

}  // namespace kestrel::printer_dates
