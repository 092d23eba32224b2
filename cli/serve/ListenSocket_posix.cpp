#include <sys/socket.h>

#include "cli/serve/ListenSocket.h"

namespace kestrel::serve {

void PrepareListenSocket(socket_t socket) {
  const int yes = 1;
  ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

void WidenAcceptQueue(socket_t socket, int backlog) { ::listen(socket, backlog); }

}  // namespace kestrel::serve
