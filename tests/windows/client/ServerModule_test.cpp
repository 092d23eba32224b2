// The DLL's exports, class factory and object counts, loaded directly as
// COM loads an in-process server, and the dispatch rules of its objects.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

namespace {

// {1FE7F6C6-C15F-42D7-95BE-FA392D3E2896}
const CLSID kClsid = {0x1FE7F6C6, 0xC15F, 0x42D7, {0x95, 0xBE, 0xFA, 0x39, 0x2D, 0x3E, 0x28, 0x96}};

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

class ServerModule : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    module_ = ::LoadLibraryW(L"ZB_KSTR.DLL");
    ASSERT_NE(nullptr, module_) << "ZB_KSTR.DLL must sit next to the test";
    getClassObject_ =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(::GetProcAddress(module_, "DllGetClassObject")));
    canUnloadNow_ =
        reinterpret_cast<CanUnloadNowFn>(reinterpret_cast<void*>(::GetProcAddress(module_, "DllCanUnloadNow")));
    ASSERT_NE(nullptr, getClassObject_);
    ASSERT_NE(nullptr, canUnloadNow_);
    ASSERT_EQ(S_OK, getClassObject_(kClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory_)));
  }
  void TearDown() override {
    if (factory_) factory_->Release();
    if (module_) ::FreeLibrary(module_);
    ::CoUninitialize();
  }

  HMODULE module_ = nullptr;
  GetClassObjectFn getClassObject_ = nullptr;
  CanUnloadNowFn canUnloadNow_ = nullptr;
  IClassFactory* factory_ = nullptr;
};

TEST_F(ServerModule, ServesOnlyItsOwnClass) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject_(IID_IUnknown, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  IUnknown* outer = reinterpret_cast<IUnknown*>(factory_);
  EXPECT_EQ(CLASS_E_NOAGGREGATION, factory_->CreateInstance(outer, IID_IUnknown, &object));
  EXPECT_EQ(E_NOINTERFACE, factory_->CreateInstance(nullptr, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
}

TEST_F(ServerModule, StaysLoadedWhileObjectsOrLocksLive) {
  EXPECT_EQ(S_OK, canUnloadNow_());
  IDispatch* first = nullptr;
  IDispatch* second = nullptr;
  ASSERT_EQ(S_OK, factory_->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&first)));
  ASSERT_EQ(S_OK, factory_->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&second)));
  EXPECT_EQ(S_FALSE, canUnloadNow_());
  first->Release();
  EXPECT_EQ(S_FALSE, canUnloadNow_());
  second->AddRef();
  EXPECT_EQ(1u, second->Release());
  EXPECT_EQ(0u, second->Release());
  EXPECT_EQ(S_OK, canUnloadNow_());

  EXPECT_EQ(S_OK, factory_->LockServer(TRUE));
  EXPECT_EQ(S_FALSE, canUnloadNow_());
  EXPECT_EQ(S_OK, factory_->LockServer(FALSE));
  EXPECT_EQ(S_OK, canUnloadNow_());
}

TEST_F(ServerModule, DispatchComesFromTheTypeLibrary) {
  IDispatch* service = nullptr;
  ASSERT_EQ(S_OK, factory_->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&service)));
  UINT count = 0;
  EXPECT_EQ(S_OK, service->GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  ITypeInfo* typeInfo = nullptr;
  ASSERT_EQ(S_OK, service->GetTypeInfo(0, LOCALE_SYSTEM_DEFAULT, &typeInfo));
  // The dual interface's virtual table: seven IDispatch slots, then the
  // interface's 113 methods.
  HREFTYPE vtableRef = 0;
  ASSERT_EQ(S_OK, typeInfo->GetRefTypeOfImplType(-1, &vtableRef));
  ITypeInfo* vtable = nullptr;
  ASSERT_EQ(S_OK, typeInfo->GetRefTypeInfo(vtableRef, &vtable));
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, vtable->GetTypeAttr(&attributes));
  EXPECT_EQ(TKIND_INTERFACE, attributes->typekind);
  EXPECT_EQ((7 + 113) * sizeof(void*), attributes->cbSizeVft);
  EXPECT_EQ(113, attributes->cFuncs);
  vtable->ReleaseTypeAttr(attributes);
  vtable->Release();
  typeInfo->Release();
  EXPECT_EQ(DISP_E_BADINDEX, service->GetTypeInfo(1, LOCALE_SYSTEM_DEFAULT, &typeInfo));

  wchar_t name[] = L"NoSuchMethod";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  EXPECT_EQ(DISP_E_UNKNOWNNAME, service->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id));
  // A wrong argument count is refused before anything reaches the service.
  wchar_t claim[] = L"ClaimDevice";
  names[0] = claim;
  ASSERT_EQ(S_OK, service->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id));
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT result;
  ::VariantInit(&result);
  EXPECT_EQ(DISP_E_BADPARAMCOUNT,
            service->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr));
  EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, service->Invoke(id, IID_IDispatch, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &none,
                                                     &result, nullptr, nullptr));
  service->Release();
}

}  // namespace
