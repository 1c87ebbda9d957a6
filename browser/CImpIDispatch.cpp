#include "browser/CImpIDispatch.h"

#include <cwchar>

STDMETHODIMP CImpIDispatch::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        // The object lives as long as its container: no reference is taken.
        *out = static_cast<IDispatch*>(this);
        return S_OK;
    }
    // A failed query leaves no stale pointer behind for a careless caller.
    *out = nullptr;
    return E_FAIL;
}

STDMETHODIMP_(ULONG) CImpIDispatch::AddRef() {
    return static_cast<ULONG>(++refCount);
}

STDMETHODIMP_(ULONG) CImpIDispatch::Release() {
    return static_cast<ULONG>(--refCount);
}

STDMETHODIMP CImpIDispatch::GetTypeInfoCount(UINT*) {
    return E_FAIL;
}

STDMETHODIMP CImpIDispatch::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_FAIL;
}

STDMETHODIMP CImpIDispatch::GetIDsOfNames(REFIID, LPOLESTR* requested, UINT count, LCID, DISPID* ids) {
    if (count > 0 && (!requested || !ids))
        return E_POINTER;
    bool allFound = true;
    ProcessMutexLock lock(namesLock);
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (!requested[i]) {
            allFound = false;
            continue;
        }
        const size_t length = wcslen(requested[i]);
        bool found = false;
        for (const auto& entry : names) {
            if (entry.second.size() == length && entry.second.compare(0, length, requested[i], length) == 0) {
                ids[i] = entry.first;
                found = true;
                break;
            }
        }
        allFound = allFound && found;
    }
    return allFound ? S_OK : DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CImpIDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) {
    if (!handler)
        return S_OK;
    {
        ProcessMutexLock lock(namesLock);
        if (names.find(id) == names.end())
            return S_OK;
    }
    if ((flags & DISPATCH_PROPERTYGET) && result) {
        VariantClear(result);
        result->vt = VT_BOOL;
        result->boolVal = 1;
    }
    if (!(flags & DISPATCH_METHOD))
        return S_OK;

    // Script's first argument is the last element of rgvarg. Only strings are passed on; other
    // argument types and null strings are skipped.
    std::vector<std::wstring> arguments;
    if (params && params->rgvarg) {
        for (UINT i = params->cArgs; i-- > 0;) {
            const VARIANT& argument = params->rgvarg[i];
            if (argument.vt == VT_BSTR && argument.bstrVal)
                arguments.emplace_back(argument.bstrVal, SysStringLen(argument.bstrVal));
        }
    }
    std::wstring answer;
    try {
        answer = handler(id, arguments);
    } catch (...) {
        // A failing member must not unwind into the script engine.
        return S_OK;
    }
    if (result) {
        VariantClear(result);
        result->bstrVal = SysAllocStringLen(answer.data(), static_cast<UINT>(answer.size()));
        result->vt = result->bstrVal ? VT_BSTR : VT_EMPTY;
    }
    return S_OK;
}
