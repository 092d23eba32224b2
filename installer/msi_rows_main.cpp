// kestrel-msi-rows: prints the installer packages' generated parts.
//   kestrel-msi-rows x86|x64 DIRECTORY  writes the WiX include files there
//   kestrel-msi-rows x86|x64 --rows     prints the Registry rows, as msiinfo exports them
//   kestrel-msi-rows x86|x64 --defaults prints each profile value and what a first install writes
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "installer/PackageRows.h"

namespace {

using kestrel::installer::Arch;

bool WriteFile(const std::string& path, const std::string& text) {
  // Rewritten only when it changed, so the packages are not rebuilt for nothing.
  {
    std::ifstream in(path, std::ios::binary);
    std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in && old == text) return true;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  namespace in = kestrel::installer;
  if (argc != 3 || (std::strcmp(argv[1], "x86") != 0 && std::strcmp(argv[1], "x64") != 0)) {
    std::cerr << "usage: kestrel-msi-rows x86|x64 DIRECTORY|--rows|--defaults" << std::endl;
    return 2;
  }
  const Arch arch = std::strcmp(argv[1], "x64") == 0 ? Arch::kX64 : Arch::kX86;
  if (std::strcmp(argv[2], "--rows") == 0) {
    std::cout << in::RegistryRowsText(arch);
    return std::cout.flush() ? 0 : 1;
  }
  if (std::strcmp(argv[2], "--defaults") == 0) {
    for (const in::ProfileSetting& s : in::ProfileSettings()) std::cout << s.value << "\t" << s.shownDefault << "\n";
    return std::cout.flush() ? 0 : 1;
  }
  const std::string dir = argv[2];
  const bool written = WriteFile(dir + "/com-rows.wxi", in::ComRowsInclude(arch)) &&
                       WriteFile(dir + "/profile-rows.wxi", in::ProfileRowsInclude()) &&
                       WriteFile(dir + "/profile-properties.wxi", in::ProfilePropertiesInclude(arch)) &&
                       WriteFile(dir + "/profile-sequence.wxi", in::ProfileSequenceInclude()) &&
                       WriteFile(dir + "/secure-properties.txt", in::SecureProperties() + "\n");
  if (!written) {
    std::cerr << "kestrel-msi-rows: cannot write into " << dir << std::endl;
    return 1;
  }
  return 0;
}
