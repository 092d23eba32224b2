// The registration table names the library, class and interface by text;
// the type library inside the DLL (made from ZB_KSTR.idl) must say the same,
// or the registry would point clients at something that is not there.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>

#include "server/RegistrationTable.h"

namespace {

using namespace kestrel::server;

GUID Guid(const char* text) {
  std::wstring wide(text, text + std::char_traits<char>::length(text));
  GUID guid = {};
  EXPECT_EQ(S_OK, ::CLSIDFromString(wide.c_str(), &guid)) << text;
  return guid;
}

std::string Narrow(BSTR text) {
  std::string narrow;
  for (UINT i = 0; text != nullptr && i < ::SysStringLen(text); ++i) narrow += static_cast<char>(text[i]);
  return narrow;
}

class RegistrationTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(S_OK, ::LoadTypeLibEx(L"ZB_KSTR.DLL", REGKIND_NONE, &library_)); }
  void TearDown() override {
    if (library_) library_->Release();
  }
  ITypeLib* library_ = nullptr;
};

TEST_F(RegistrationTable, TheLibraryIsTheOneTheTableRegisters) {
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, library_->GetLibAttr(&attributes));
  EXPECT_TRUE(IsEqualGUID(Guid(kLibIdText), attributes->guid));
  EXPECT_EQ(kTypeLibMajor, attributes->wMajorVerNum);
  EXPECT_EQ(kTypeLibMinor, attributes->wMinorVerNum);
  EXPECT_EQ(std::to_string(attributes->wLibFlags), kTypeLibFlags);
  library_->ReleaseTLibAttr(attributes);
  BSTR description = nullptr;
  ASSERT_EQ(S_OK, library_->GetDocumentation(-1, nullptr, &description, nullptr, nullptr));
  EXPECT_EQ(kTypeLibDescription, Narrow(description));
  ::SysFreeString(description);
}

TEST_F(RegistrationTable, TheClassAndTheDualInterfaceAreInTheLibrary) {
  struct Expected {
    const char* guid;
    TYPEKIND kind;
    const char* name;  // the type's name; for the class, its description
  };
  for (const Expected& e :
       {Expected{kClsidText, TKIND_COCLASS, kClassName}, Expected{kInterfaceIdText, TKIND_DISPATCH, kInterfaceName}}) {
    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, library_->GetTypeInfoOfGuid(Guid(e.guid), &info)) << e.guid;
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_EQ(e.kind, attributes->typekind) << e.guid;
    if (e.kind == TKIND_DISPATCH) {
      // Dual: automation's own marshaller serves it (ProxyStubClsid32).
      EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    }
    info->ReleaseTypeAttr(attributes);
    BSTR name = nullptr;
    BSTR doc = nullptr;
    ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr));
    EXPECT_EQ(e.name, Narrow(e.kind == TKIND_COCLASS ? doc : name)) << e.guid;
    ::SysFreeString(name);
    ::SysFreeString(doc);
    info->Release();
  }
}

}  // namespace
