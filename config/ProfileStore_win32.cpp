// The profile is the registry key itself, opened afresh for every value.
#include <windows.h>

#include <atomic>
#include <cstring>

#include "config/ProfileStore.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

// 0: the program's own view, opened as the service always opens it.
std::atomic<int> selectedView{0};

LONG OpenProfileKey(const std::string& keyPath, HKEY* key) {
  const int view = selectedView.load();
  if (view == 0) return RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str(), key);
  const REGSAM flag = view == 32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE | flag, key);
}

}  // namespace

bool SelectProfileView(int bits) {
  if (bits != 0 && bits != 32 && bits != 64) return false;
  selectedView = bits;
  return true;
}

int ProfileViewBits() {
  const int view = selectedView.load();
  return view != 0 ? view : static_cast<int>(sizeof(void*) * 8);
}

int ReadProfileValue(const std::string& keyPath, const char* name, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return kFailure;
  std::memset(buffer, 0, size);
  if (name == nullptr || size > 0x7FFFFFFF) return kFailure;

  HKEY key = nullptr;
  if (OpenProfileKey(keyPath, &key) != ERROR_SUCCESS) return kFailure;
  DWORD length = static_cast<DWORD>(size);
  // The type is not looked at: whatever bytes are stored are taken as text.
  LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &length);
  RegCloseKey(key);

  // Bytes that fill the buffer exactly need a terminator of their own;
  // otherwise the zeroed rest of the buffer ends the text.
  bool fits = rc == ERROR_SUCCESS && length <= size && (length < size || buffer[size - 1] == '\0');
  if (!fits) {
    std::memset(buffer, 0, size);
    return kFailure;
  }
  return kSuccess;
}

std::string ProfileLocation() { return "the registry"; }

ProfileState CheckProfile(const std::string& keyPath, std::string& reason) {
  reason.clear();
  if (keyPath.empty()) return ProfileState::kUsable;
  HKEY key = nullptr;
  if (OpenProfileKey(keyPath, &key) != ERROR_SUCCESS) {
    reason = "no key [HKEY_LOCAL_MACHINE\\" + keyPath + "]";
    return ProfileState::kNoKey;
  }
  RegCloseKey(key);
  return ProfileState::kUsable;
}

}  // namespace kestrel
