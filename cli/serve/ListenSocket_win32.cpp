#include "cli/serve/ListenSocket.h"

namespace kestrel::serve {

void PrepareListenSocket(socket_t socket) {
  // No other process may take over the port while the server holds it.
  BOOL yes = TRUE;
  ::setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
}

// Windows keeps the accept queue of a socket's first listen and answers a
// second one with success, changing nothing; the HTTP library is built to ask
// for the long queue in its own listen (cli/serve/CMakeLists.txt).
void WidenAcceptQueue(socket_t, int) {}

}  // namespace kestrel::serve
