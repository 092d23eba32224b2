#pragma once
// `kestrel cancel`: ends whatever an interrupted or failed run left open at
// the printer (cli/CancelOpen.h) and says what it found and did.
#include <iosfwd>

#include "cli/TechnicianCommands.h"

namespace kestrel::cli {

// nonFiscal: a non-fiscal document is known to be open though the printer
// cannot tell (an earlier process began it). 0 when nothing was open or it
// was ended; 1 when the printer could not be reached or refused.
int RunCancel(const Target& target, bool nonFiscal, std::ostream& out, std::ostream& err);

}  // namespace kestrel::cli
