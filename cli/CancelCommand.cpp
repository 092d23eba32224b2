#include "cli/CancelCommand.h"

#include <ostream>

#include "cli/CancelOpen.h"
#include "cli/Session.h"

namespace kestrel::cli {

int RunCancel(const Target& target, bool nonFiscal, std::ostream& out, std::ostream& err) {
  Session session(err);
  if (!session.Start(target.deviceClass)) return 1;
  const CancelOutcome outcome = nonFiscal ? EndLeftNonFiscal(session.Printer()) : CancelOpenWork(session.Printer());
  if (outcome.what == OpenWork::kFailed) {
    err << "kestrel: " << outcome.message << std::endl;
    return 1;
  }
  out << outcome.message << std::endl;
  return 0;
}

}  // namespace kestrel::cli
