#include "cli/serve/ListenSocket.h"

namespace kestrel::serve {

void PrepareListenSocket(socket_t socket) {
  // No other process may take over the port while the server holds it.
  BOOL yes = TRUE;
  ::setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
}

void WidenAcceptQueue(socket_t socket, int backlog) { ::listen(socket, backlog); }

}  // namespace kestrel::serve
