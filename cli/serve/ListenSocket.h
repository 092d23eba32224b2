#pragma once
// The listening socket's options. A burst of clients (a hundred tills posting
// at once) overflows the short accept queue that the HTTP library asks for,
// and the kernel then drops connections; the queue is made longer once the
// socket listens.
#include <httplib.h>

namespace kestrel::serve {

// Before bind: lets a restarted server take its port at once.
void PrepareListenSocket(socket_t socket);
// After bind: asks for an accept queue of `backlog` connections.
void WidenAcceptQueue(socket_t socket, int backlog);

}  // namespace kestrel::serve
