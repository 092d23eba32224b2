#include "installer/PackageRows.h"

#include <cstddef>

#include "config/ProfileValues.h"
#include "server/RegistrationTable.h"

namespace kestrel::installer {
namespace {

// Stands for the DLL's path while the table's texts are escaped.
constexpr char kModuleMarker[] = "<module>";

// The installer's own choices for the values that have no default in the
// service: a port to start from and a data directory for every account.
const char* InstalledDefault(const std::string& value, const char* absentDefault, bool shown) {
  if (value == "Port") return "COM1";
  if (value == "DataDirectory") return shown ? "C:\\ProgramData\\Kestrel" : "[CommonAppDataFolder]Kestrel";
  return absentDefault != nullptr ? absentDefault : "";
}

std::string PropertyName(const std::string& value) {
  if (value == "DataDirectory") return "DATADIR";
  std::string name;
  for (char c : value) name += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return name;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

const char* Win64(Arch arch) { return arch == Arch::kX64 ? "yes" : "no"; }

std::string RegistryValueElement(const PackageRow& row, bool keyPath) {
  // The element's attributes are taken as formatted texts already escaped.
  std::string element = "    <RegistryValue Root=\"";
  element += row.root == 0 ? "HKCR" : "HKLM";
  element += "\" Key=\"" + XmlAttribute(row.key) + "\"";
  if (!row.name.empty()) element += " Name=\"" + XmlAttribute(row.name) + "\"";
  element += " Type=\"string\" Value=\"" + XmlAttribute(row.value) + "\"";
  if (keyPath) element += " KeyPath=\"yes\"";
  return element + "/>\n";
}

std::string Include(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<!-- Generated at build time by kestrel-msi-rows: do not edit. -->\n"
         "<Include>\n" +
         body + "</Include>\n";
}

}  // namespace

std::vector<ProfileSetting> ProfileSettings() {
  std::size_t count = 0;
  const ProfileValueInfo* values = ProfileValueTable(&count);
  std::vector<ProfileSetting> settings;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string name = values[i].name;
    settings.push_back({name, PropertyName(name), InstalledDefault(name, values[i].absentDefault, false),
                        InstalledDefault(name, values[i].absentDefault, true)});
  }
  return settings;
}

std::string FormattedLiteral(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '[') {
      escaped += "[\\[]";
    } else if (c == ']') {
      escaped += "[\\]]";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string XmlAttribute(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::vector<PackageRow> ComRows(Arch arch) {
  std::vector<PackageRow> rows;
  for (const server::RegistrationRow& row : server::RegistrationRows(kModuleMarker, arch == Arch::kX64 ? 64 : 32)) {
    PackageRow out{0, FormattedLiteral(row.key), FormattedLiteral(row.name), FormattedLiteral(row.value)};
    out.value = Replace(out.value, FormattedLiteral(kModuleMarker), kDllFileReference);
    if (!row.hasValue) {
      out.name = "*";  // the key is made if absent, and removed with the package
      out.value.clear();
    }
    rows.push_back(out);
  }
  return rows;
}

std::vector<PackageRow> ProfileRows() {
  // The key's default value names the class the Control Object creates.
  std::vector<PackageRow> rows = {
      {2, FormattedLiteral(kProfileKey), "", FormattedLiteral(server::kVersionIndependentProgId)}};
  for (const ProfileSetting& setting : ProfileSettings()) {
    rows.push_back({2, FormattedLiteral(kProfileKey), FormattedLiteral(setting.value), "[" + setting.property + "]"});
  }
  return rows;
}

std::string ComRowsInclude(Arch arch) {
  std::string body;
  bool first = true;
  for (const PackageRow& row : ComRows(arch)) {
    body += RegistryValueElement(row, first);
    first = false;
  }
  return Include(body);
}

std::string ProfileRowsInclude() {
  std::string body;
  bool first = true;
  for (const PackageRow& row : ProfileRows()) {
    body += RegistryValueElement(row, first);
    first = false;
  }
  return Include(body);
}

std::string ProfilePropertiesInclude(Arch arch) {
  std::string body;
  for (const ProfileSetting& s : ProfileSettings()) {
    const std::string& p = s.property;
    body += "  <Property Id=\"" + p + "\">\n";
    body += "    <RegistrySearch Id=\"Find" + s.value + "\" Root=\"HKLM\" Key=\"" + XmlAttribute(kProfileKey) +
            "\" Name=\"" + XmlAttribute(s.value) + "\" Type=\"raw\" Win64=\"" + Win64(arch) + "\"/>\n";
    body += "  </Property>\n";
    // The search replaces a value given on the command line: keep that one
    // aside before the search and put it back after it.
    body += "  <CustomAction Id=\"Save" + s.value + "\" Property=\"Given" + s.value + "\" Value=\"[" + p + "]\"/>\n";
    body += "  <CustomAction Id=\"Given" + s.value + "\" Property=\"" + p + "\" Value=\"[Given" + s.value + "]\"/>\n";
    body += "  <CustomAction Id=\"Default" + s.value + "\" Property=\"" + p + "\" Value=\"" +
            XmlAttribute(s.installedDefault) + "\"/>\n";
  }
  return Include(body);
}

std::string ProfileSequenceInclude() {
  std::string body;
  std::string before = "AppSearch";
  for (const ProfileSetting& s : ProfileSettings()) {
    body += "    <Custom Action=\"Save" + s.value + "\" Before=\"" + before + "\"/>\n";
    before = "Save" + s.value;
  }
  std::string after = "AppSearch";
  for (const ProfileSetting& s : ProfileSettings()) {
    body += "    <Custom Action=\"Given" + s.value + "\" After=\"" + after + "\">Given" + s.value + "</Custom>\n";
    body += "    <Custom Action=\"Default" + s.value + "\" After=\"Given" + s.value + "\">NOT " + s.property +
            "</Custom>\n";
    after = "Default" + s.value;
  }
  // The data folder the package creates is the one the profile names.
  body += "    <Custom Action=\"SetDataFolder\" After=\"" + after + "\">DATADIR</Custom>\n";
  return Include(body);
}

std::string SecureProperties() {
  std::string list;
  for (const ProfileSetting& setting : ProfileSettings()) list += (list.empty() ? "" : ";") + setting.property;
  return list;
}

std::string RegistryRowsText(Arch arch) {
  std::string text;
  std::vector<PackageRow> rows = ComRows(arch);
  for (const PackageRow& row : ProfileRows()) rows.push_back(row);
  for (const PackageRow& row : rows) {
    text += std::to_string(row.root) + "\t" + row.key + "\t" + row.name + "\t" + row.value + "\n";
  }
  return text;
}

}  // namespace kestrel::installer
