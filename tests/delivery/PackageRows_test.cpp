// The installer's generated rows: the COM registration must be the server's
// own table with the installed DLL's path in place of the module path, in
// the package's own word size; every profile value must be settable from
// the command line and have a value to write.
#include <gtest/gtest.h>

#include <string>

#include "config/ProfileValues.h"
#include "installer/PackageRows.h"
#include "server/RegistrationTable.h"

namespace kestrel::installer {
namespace {

struct ArchCase {
  Arch arch;
  int bits;
  const char* platformKey;
  const char* otherPlatformKey;
};
void PrintTo(const ArchCase& c, std::ostream* os) { *os << c.bits << "-bit"; }

class ComRowsOf : public ::testing::TestWithParam<ArchCase> {};

TEST_P(ComRowsOf, AreTheRegistrationTableWithTheInstalledPath) {
  const ArchCase& c = GetParam();
  const std::string path = "C:\\Program Files\\Kestrel\\ZB_KSTR.DLL";
  const std::vector<server::RegistrationRow> table = server::RegistrationRows(path, c.bits);
  const std::vector<PackageRow> rows = ComRows(c.arch);
  ASSERT_EQ(table.size(), rows.size());
  int paths = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(0, rows[i].root) << "below HKEY_CLASSES_ROOT";
    EXPECT_EQ(table[i].key, rows[i].key);
    if (!table[i].hasValue) {
      EXPECT_EQ("*", rows[i].name) << rows[i].key << ": made on install, removed on uninstall";
      EXPECT_EQ("", rows[i].value);
    } else if (table[i].value == path) {
      EXPECT_EQ(kDllFileReference, rows[i].value) << rows[i].key;
      ++paths;
    } else {
      EXPECT_EQ(table[i].name, rows[i].name);
      EXPECT_EQ(table[i].value, rows[i].value);
    }
    EXPECT_EQ(std::string::npos, rows[i].key.find(c.otherPlatformKey)) << rows[i].key;
  }
  EXPECT_EQ(2, paths) << "InprocServer32 and the type library";
  EXPECT_NE(std::string::npos, ComRowsInclude(c.arch).find(c.platformKey));
}

INSTANTIATE_TEST_SUITE_P(Arches, ComRowsOf,
                         ::testing::Values(ArchCase{Arch::kX86, 32, "\\0\\win32", "\\0\\win64"},
                                           ArchCase{Arch::kX64, 64, "\\0\\win64", "\\0\\win32"}));

TEST(ProfileRows, EveryValueIsAPublicPropertyWithADefault) {
  std::size_t count = 0;
  const ProfileValueInfo* values = ProfileValueTable(&count);
  const std::vector<ProfileSetting> settings = ProfileSettings();
  ASSERT_EQ(count, settings.size());
  const std::string sequence = ProfileSequenceInclude();
  const std::string properties = ProfilePropertiesInclude(Arch::kX64);
  for (std::size_t i = 0; i < count; ++i) {
    const ProfileSetting& s = settings[i];
    EXPECT_EQ(values[i].name, s.value);
    // Only a name without lower-case letters can be given on msiexec's command line.
    for (char c : s.property) EXPECT_FALSE(c >= 'a' && c <= 'z') << s.property;
    EXPECT_FALSE(s.installedDefault.empty()) << s.value;
    EXPECT_NE(std::string::npos, sequence.find(">NOT " + s.property + "<")) << s.value << " gets no default";
    EXPECT_NE(std::string::npos, properties.find("Name=\"" + s.value + "\" Type=\"raw\" Win64=\"yes\""))
        << s.value << " is not looked up in the 64-bit view";
  }
  EXPECT_EQ("PORT", settings[0].property);
  bool dataDirectory = false;
  for (const PackageRow& row : ProfileRows()) {
    EXPECT_EQ(2, row.root) << "below HKEY_LOCAL_MACHINE";
    EXPECT_EQ(kProfileKey, row.key);
    if (row.name == "DataDirectory") dataDirectory = row.value == "[DATADIR]";
  }
  EXPECT_TRUE(dataDirectory) << "the DATADIR property names the data directory";
  EXPECT_NE(std::string::npos, ProfilePropertiesInclude(Arch::kX86).find("Win64=\"no\""));
}

TEST(PackageText, LiteralsAreEscapedForTheInstallerAndForXml) {
  struct Case {
    std::string in;
    std::string formatted;
    std::string xml;
  };
  for (const Case& c : {Case{"plain", "plain", "plain"}, Case{"[PORT]", "[\\[]PORT[\\]]", "[PORT]"},
                        Case{"a&b<c>\"d\"", "a&b<c>\"d\"", "a&amp;b&lt;c&gt;&quot;d&quot;"}}) {
    EXPECT_EQ(c.formatted, FormattedLiteral(c.in)) << c.in;
    EXPECT_EQ(c.xml, XmlAttribute(c.in)) << c.in;
  }
}

}  // namespace
}  // namespace kestrel::installer
