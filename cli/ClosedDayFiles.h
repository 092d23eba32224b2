#pragma once
// After a Z report the service starts its own day afresh in the data
// directory: the day-closure record, the receipt number and the journal
// check code are reset and the day's text journal moves aside. The printer
// has closed the day whatever happens to these files, so the service's
// result cannot tell whether they were written; the tool looks at them.
#include <string>
#include <vector>

namespace kestrel::cli {

// The local time as the day-closure record writes it ("%Y%m%d%H%M%S").
std::string ClosureStampNow();

// The closed-day files that do not show a closure made at or after since
// (a ClosureStampNow taken before the report): their names, empty when all
// do. Without a data directory every one is missing.
std::vector<std::string> UnwrittenClosedDayFiles(const std::string& since);

}  // namespace kestrel::cli
