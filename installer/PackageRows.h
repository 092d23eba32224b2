#pragma once
// The installer packages' registry rows and settings properties, made from
// the server's registration table and the service's profile table. The
// build prints them as WiX include files (msi_rows_main.cpp); the tests
// compare the built packages' Registry tables with RegistryRowsText.
// Plain C++: it runs on the build machine.
#include <string>
#include <vector>

namespace kestrel::installer {

enum class Arch { kX86, kX64 };

// The key of the device profile below HKEY_LOCAL_MACHINE.
inline constexpr char kProfileKey[] = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\ZB_Tarnel.COM";
// The installed DLL, as the package's file key names it in a formatted text.
inline constexpr char kDllFileReference[] = "[#ZbKstrDll]";

// How the installer sets one profile value: a value given as the property on
// the command line wins; otherwise the value already in the registry stays;
// otherwise the default is written.
struct ProfileSetting {
  std::string value;             // "Port"
  std::string property;          // "PORT"
  std::string installedDefault;  // a formatted text: "COM1", "[CommonAppDataFolder]Kestrel"
  std::string shownDefault;      // the same for people: "C:\ProgramData\Kestrel"
};
std::vector<ProfileSetting> ProfileSettings();

// A row of the package's Registry table: root 0 is HKEY_CLASSES_ROOT, 2 is
// HKEY_LOCAL_MACHINE; value is a formatted text; a key-only row has the name
// "*" (made on install, removed on uninstall) and no value.
struct PackageRow {
  int root;
  std::string key;
  std::string name;
  std::string value;
};
std::vector<PackageRow> ComRows(Arch arch);
std::vector<PackageRow> ProfileRows();

// Text with the characters that a formatted text reads as references
// ([ and ]) escaped, so the installer writes it as it is.
std::string FormattedLiteral(const std::string& text);
std::string XmlAttribute(const std::string& text);

// WiX include files (<Include> documents).
std::string ComRowsInclude(Arch arch);            // RegistryValue elements of the COM registration
std::string ProfileRowsInclude();                 // RegistryValue elements of the profile
std::string ProfilePropertiesInclude(Arch arch);  // Property and CustomAction elements
std::string ProfileSequenceInclude();             // Custom elements for both sequences

// The settings properties, separated by ';': the package passes them from
// its interface to the part that installs (SecureCustomProperties).
std::string SecureProperties();

// "root<TAB>key<TAB>name<TAB>value" lines, sorted, as msiinfo exports the
// package's Registry table (without the row and component columns).
std::string RegistryRowsText(Arch arch);

}  // namespace kestrel::installer
