#pragma once
// Where status update events go. On Windows the COM server hands the service
// an object that forwards SOStatusUpdate to the Control Object's dispatch
// interface; natively the command-line tool or a test hands in its own.
// The service keeps a plain pointer: it neither owns nor reference-counts the
// sink, so the caller keeps it alive until CloseService.

namespace kestrel {

class EventSink {
 public:
  virtual ~EventSink() = default;
  // Called synchronously, on the caller's thread, from inside the service
  // method that noticed the change. Whatever the sink does, the service
  // ignores the outcome.
  virtual void SOStatusUpdate(int status) = 0;
};

}  // namespace kestrel
