#pragma once
// The printer's two-digit reply codes and what each becomes: the result the
// method reports and the Slovak error text it stores. Messaging::GetUPOSError
// reads this table; the integrator's guide lists it. Reply 51 (a fault of
// the printer's mechanism) is not in it: its result comes from a status
// request. Any code not listed gives 111 and "Neznáma chyba".
#include <cstddef>

namespace kestrel {

struct ReplyMapping {
  int reply;
  int result;
  const char* text;  // windows-1250; null: the previous error text stays
};

const ReplyMapping* ReplyCodeTable(std::size_t* count);

}  // namespace kestrel
