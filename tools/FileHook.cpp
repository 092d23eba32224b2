#include "tools/FileHook.h"

#include <atomic>

namespace kestrel::file_hook {
namespace {
std::atomic<Hook> g_hook{nullptr};
}  // namespace

void SetHook(Hook hook) { g_hook.store(hook); }

int Consult(FileOperation operation, const std::string& path, const void* bytes, std::size_t length) {
  if (Hook hook = g_hook.load()) return hook(operation, path, bytes, length);
  return 0;
}

}  // namespace kestrel::file_hook
