// kestrel-guide-tables: keeps the integrator's guide's generated tables in
// step with the code.
//   kestrel-guide-tables --check GUIDE   exit 1 when a table is out of date
//   kestrel-guide-tables --update GUIDE  rewrites the tables in place
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "docs/generator/GuideTables.h"

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  const bool update = argc == 3 && std::strcmp(argv[1], "--update") == 0;
  if (!check && !update) {
    std::cerr << "usage: kestrel-guide-tables --check|--update GUIDE.md" << std::endl;
    return 2;
  }
  const std::string path = argv[2];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "kestrel-guide-tables: cannot read " << path << std::endl;
    return 2;
  }
  const std::string guide((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> problems;
  const std::string updated = kestrel::guide::WithSections(guide, kestrel::guide::GeneratedSections(), &problems);
  for (const std::string& problem : problems) std::cerr << "kestrel-guide-tables: " << path << ": " << problem << "\n";
  if (!problems.empty()) return 1;
  if (check) {
    if (updated == guide) return 0;
    std::cerr << "kestrel-guide-tables: the tables in " << path << " are out of date; regenerate them with\n"
              << "  " << argv[0] << " --update " << path << std::endl;
    return 1;
  }
  if (updated == guide) return 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << updated;
  if (!out.flush()) {
    std::cerr << "kestrel-guide-tables: cannot write " << path << std::endl;
    return 1;
  }
  return 0;
}
