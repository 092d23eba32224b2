#include "server/RegistrationTable.h"

namespace kestrel::server {

std::vector<RegistrationRow> RegistrationRows(const std::string& modulePath, int wordBits) {
  const std::string classKey = std::string("CLSID\\") + kClsidText;
  const std::string progId = kProgId;
  const std::string independent = kVersionIndependentProgId;
  const std::string libraryKey = std::string("TypeLib\\") + kLibIdText + "\\" + std::to_string(kTypeLibMajor) + "." +
                                 std::to_string(kTypeLibMinor);
  const std::string interfaceKey = std::string("Interface\\") + kInterfaceIdText;
  const std::string platform = wordBits == 64 ? "win64" : "win32";
  return {
      {std::string("AppID\\") + kAppIdText, "", kAppName},
      {std::string("AppID\\") + kModuleName, "AppID", kAppIdText},
      {progId, "", kClassName},
      {progId + "\\CLSID", "", kClsidText},
      {independent, "", kClassName},
      {independent + "\\CLSID", "", kClsidText},
      {independent + "\\CurVer", "", progId},
      {classKey, "", kClassName},
      {classKey, "AppID", kAppIdText},
      {classKey + "\\ProgID", "", progId},
      {classKey + "\\VersionIndependentProgID", "", independent},
      {classKey + "\\Programmable", "", "", false},
      {classKey + "\\InprocServer32", "", modulePath},
      {classKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {classKey + "\\TypeLib", "", kLibIdText},
      // The type library lives in the DLL itself; it has no help file.
      {libraryKey, "", kTypeLibDescription},
      {libraryKey + "\\FLAGS", "", kTypeLibFlags},
      {libraryKey + "\\0\\" + platform, "", modulePath},
      {interfaceKey, "", kInterfaceName},
      {interfaceKey + "\\ProxyStubClsid", "", kAutomationProxyStub},
      {interfaceKey + "\\ProxyStubClsid32", "", kAutomationProxyStub},
      {interfaceKey + "\\TypeLib", "", kLibIdText},
      {interfaceKey + "\\TypeLib", "Version", std::to_string(kTypeLibMajor) + "." + std::to_string(kTypeLibMinor)},
  };
}

std::vector<std::string> OwnKeyTrees() {
  return {std::string("CLSID\\") + kClsidText, kProgId, kVersionIndependentProgId, std::string("AppID\\") + kAppIdText,
          std::string("AppID\\") + kModuleName};
}

}  // namespace kestrel::server
