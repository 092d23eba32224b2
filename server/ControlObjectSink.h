#pragma once
// Delivers the service's status update events to the Control Object: its
// SOStatusUpdate method, found by name on the dispatch interface that
// OpenService was given and called with one VT_INT argument.
#include "server/ComHeaders.h"
#include "service/EventSink.h"

namespace kestrel::server {

class ControlObjectSink : public EventSink {
 public:
  // The Control Object owns the service object, so holding a reference back
  // would keep both alive for ever: the pointer is kept without AddRef and
  // must outlive the service's use of it (until CloseService).
  void Attach(IDispatch* controlObject) { controlObject_ = controlObject; }
  void SOStatusUpdate(int status) override;

 private:
  IDispatch* controlObject_ = nullptr;
};

}  // namespace kestrel::server
