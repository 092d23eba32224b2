#pragma once
// The service's process-wide objects (Journal, Log, Messaging, RS232, Settings,
// Tools) are created on first use and live until the process ends. They derive
// from ProcessSingleton<T>; only test programs can reach SingletonReset, which
// drops them so that a test starts from a freshly created object.
#include <memory>
#include <mutex>

namespace kestrel {

struct SingletonReset;  // defined in tests/support only

template <class T>
class ProcessSingleton {
 public:
  static T& Instance() {
    std::lock_guard<std::mutex> guard(CreationLock());
    std::unique_ptr<T>& slot = Slot();
    if (!slot) slot.reset(new T());
    return *slot;
  }

 protected:
  ProcessSingleton() = default;
  ~ProcessSingleton() = default;

 private:
  ProcessSingleton(const ProcessSingleton&) = delete;
  ProcessSingleton& operator=(const ProcessSingleton&) = delete;

  static std::unique_ptr<T>& Slot() {
    static std::unique_ptr<T> slot;
    return slot;
  }
  static std::mutex& CreationLock() {
    static std::mutex lock;
    return lock;
  }
  friend struct SingletonReset;
};

}  // namespace kestrel
