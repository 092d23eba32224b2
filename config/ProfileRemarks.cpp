// Where the profile store's remarks go: a plain pointer, set once by the
// daily log before any profile is read.
#include <atomic>

#include "config/ProfileStore.h"

namespace kestrel {
namespace {

std::atomic<ProfileRemarkSink> g_sink{nullptr};

}  // namespace

void SetProfileRemarkSink(ProfileRemarkSink sink) { g_sink.store(sink); }

void RemarkOnProfile(const char* tag, const std::string& text) {
  const ProfileRemarkSink sink = g_sink.load();
  if (sink != nullptr) sink(tag, text);
}

}  // namespace kestrel
