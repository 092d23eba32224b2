#pragma once
// Store seam behind Settings. Windows reads HKEY_LOCAL_MACHINE; elsewhere a
// file in the registry export format (.reg) named by KESTREL_REGISTRY, or
// /etc/kestrel/registry.reg, stands in for the registry.
#include <cstddef>
#include <string>

namespace kestrel {

// Reads the string value `name` of the key `keyPath` (below HKEY_LOCAL_MACHINE)
// into buffer, with RegQueryValueExA's rules: the stored bytes plus a
// terminator must fit into size bytes. 0, or 111 when the key or value is
// missing or too long. Names compare case-insensitively.
int ReadProfileValue(const std::string& keyPath, const char* name, char* buffer, std::size_t size);

}  // namespace kestrel
