#pragma once
// Every value of the device profile the service reads, with the default it
// uses when the value is absent. The integrator's guide and the installer
// packages are generated from this table; tests/settings checks that the
// service really behaves as the defaults here say.
#include <cstddef>

namespace kestrel {

struct ProfileValueInfo {
  const char* name;
  const char* absentDefault;  // what the service uses when the value is absent; nullptr: nothing
  const char* accepted;       // the form and range of the text
  const char* meaning;
};

// In the order the guide lists them.
const ProfileValueInfo* ProfileValueTable(std::size_t* count);

}  // namespace kestrel
