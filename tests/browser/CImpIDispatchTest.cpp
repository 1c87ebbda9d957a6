#include <gtest/gtest.h>

#include <dispex.h>

#include <string>
#include <vector>

#include "browser/CImpIDispatch.h"

namespace {

// Releases a VARIANT at the end of a scope.
struct ScopedVariant {
    ScopedVariant() { VariantInit(&value); }
    ~ScopedVariant() { VariantClear(&value); }
    VARIANT value;
};

TEST(ScriptBridge, EveryNameIsUnknown) {
    CImpIDispatch bridge;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"login"), const_cast<LPOLESTR>(L""),
                        const_cast<LPOLESTR>(L"toString")};
    DISPID ids[3] = {7, 7, 7};
    EXPECT_EQ(bridge.GetIDsOfNames(IID_NULL, names, 3, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
    for (DISPID id : ids)
        EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(bridge.GetIDsOfNames(IID_NULL, names, 0, LOCALE_USER_DEFAULT, ids), S_OK);
}

TEST(ScriptBridge, AnswersOnlyIUnknownAndIDispatchWithoutTakingReferences) {
    CImpIDispatch bridge;
    void* out = nullptr;
    EXPECT_EQ(bridge.QueryInterface(IID_IDispatch, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDispatch*>(&bridge));
    out = nullptr;
    EXPECT_EQ(bridge.QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDispatch*>(&bridge));
    EXPECT_EQ(bridge.refCount, 0);

    for (REFIID iid : {__uuidof(IDispatchEx), IID_IOleClientSite, IID_IStream}) {
        out = &bridge;
        EXPECT_EQ(bridge.QueryInterface(iid, &out), E_FAIL);
        EXPECT_EQ(out, nullptr);
    }
}

TEST(ScriptBridge, ReferenceCountIsAPlainCounterThatFreesNothing) {
    CImpIDispatch bridge;
    EXPECT_EQ(bridge.AddRef(), 1u);
    EXPECT_EQ(bridge.Release(), 0u);
    EXPECT_EQ(bridge.Release(), static_cast<ULONG>(-1));
    UINT count = 5;
    EXPECT_EQ(bridge.GetTypeInfoCount(&count), E_FAIL);
    EXPECT_EQ(count, 5u);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(bridge.GetTypeInfo(0, 0, &info), E_FAIL);
}

TEST(ScriptBridge, InvokeTouchesNothing) {
    CImpIDispatch bridge;
    bool handled = false;
    bridge.handler = [&handled](DISPID, const std::vector<std::wstring>&) {
        handled = true;
        return std::wstring(L"x");
    };
    for (DISPID id : {DISPID_UNKNOWN, 0, 1, 1000}) {
        for (WORD flags : {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT}) {
            ScopedVariant result;
            result.value.vt = VT_I4;
            result.value.lVal = 42;
            DISPPARAMS none = {};
            EXPECT_EQ(bridge.Invoke(id, IID_NULL, 0, flags, &none, &result.value, nullptr, nullptr), S_OK);
            EXPECT_EQ(result.value.vt, VT_I4);
            EXPECT_EQ(result.value.lVal, 42);
        }
    }
    EXPECT_FALSE(handled);
}

// The table is never filled by the shell; a filled one finds names exactly and calls the handler
// with the string arguments in script order.
TEST(ScriptBridge, RegisteredNamesReachTheHandler) {
    CImpIDispatch bridge;
    bridge.names = {{5, L"Echo"}, {9, L"echo"}};
    std::vector<std::wstring> seen;
    bridge.handler = [&seen](DISPID id, const std::vector<std::wstring>& arguments) {
        seen = arguments;
        return std::wstring(id == 9 ? L"lower" : L"upper");
    };
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"echo"), const_cast<LPOLESTR>(L"ECHO")};
    DISPID ids[2] = {};
    EXPECT_EQ(bridge.GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 9);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);

    // Script called echo("a", 3, null, "b"): rgvarg holds them last first.
    VARIANT args[4];
    for (VARIANT& v : args)
        VariantInit(&v);
    args[3].vt = VT_BSTR;
    args[3].bstrVal = SysAllocString(L"a");
    args[2].vt = VT_I4;
    args[2].lVal = 3;
    args[1].vt = VT_BSTR;
    args[1].bstrVal = nullptr;
    args[0].vt = VT_BSTR;
    args[0].bstrVal = SysAllocString(L"b");
    DISPPARAMS params = {args, nullptr, 4, 0};
    ScopedVariant result;
    EXPECT_EQ(bridge.Invoke(9, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, &result.value,
                            nullptr, nullptr),
              S_OK);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"a", L"b"}));
    ASSERT_EQ(result.value.vt, VT_BSTR);
    EXPECT_STREQ(result.value.bstrVal, L"lower");

    ScopedVariant property;
    EXPECT_EQ(bridge.Invoke(5, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &property.value, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(property.value.vt, VT_BOOL);
    for (VARIANT& v : args)
        VariantClear(&v);
}

TEST(ScriptBridge, AFailingHandlerIsSwallowed) {
    CImpIDispatch bridge;
    bridge.names = {{1, L"boom"}};
    bridge.handler = [](DISPID, const std::vector<std::wstring>&) -> std::wstring { throw 1; };
    DISPPARAMS none = {};
    ScopedVariant result;
    EXPECT_EQ(bridge.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, &result.value, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.value.vt, VT_EMPTY);
}

} // namespace
