#include "server/ServerModule.h"

#include <atomic>
#include <string>

namespace kestrel::server {
namespace {

HMODULE module_ = nullptr;
std::atomic<long> objects_{0};
std::atomic<long> locks_{0};

}  // namespace

HMODULE ModuleHandle() { return module_; }
void SetModuleHandle(HMODULE module) { module_ = module; }

void ObjectCreated() { ++objects_; }
void ObjectDestroyed() { --objects_; }
void LockModule() { ++locks_; }
void UnlockModule() { --locks_; }
bool CanUnload() { return objects_ == 0 && locks_ == 0; }

std::wstring ModulePath() {
  // Long paths are rare for a DLL; grow until the whole name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameW(module_, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return std::wstring();
    path.resize(path.size() * 2);
  }
}

}  // namespace kestrel::server
