#include "standin/StandInTestSupport.h"

#include <gtest/gtest.h>
#include <ole2.h>

namespace standintest {

namespace {

const wchar_t kStandInModule[] = L"standin_browser.dll";

class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { initialised_ = SUCCEEDED(OleInitialize(nullptr)); }
    void TearDown() override {
        if (initialised_)
            OleUninitialize();
    }

private:
    bool initialised_ = false;
};

::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

} // namespace

bool IsStandInObject(IUnknown* object) {
    if (!object)
        return false;
    // The first entry of the object's interface table points into the module that implements it.
    void* const* table = *reinterpret_cast<void* const* const*>(object);
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(table[0]), &module))
        return false;
    return module != nullptr && module == GetModuleHandleW(kStandInModule);
}

HRESULT StandInCanUnloadNow() {
    HMODULE module = GetModuleHandleW(kStandInModule);
    if (!module)
        return E_FAIL;
    using CanUnloadNow = HRESULT(WINAPI*)();
    auto function =
        reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return function ? function() : E_FAIL;
}

} // namespace standintest
