#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/ProcessMutex.h"

// What page script sees as window.external: a table of member names with one handler behind it.
// The shell registers no names, so script finds no members. A member of its container, used on the
// HTML thread; Release never deletes it.
class CImpIDispatch : public IDispatch {
public:
    using Handler = std::function<std::wstring(DISPID id, const std::vector<std::wstring>& arguments)>;

    CImpIDispatch() = default;
    CImpIDispatch(const CImpIDispatch&) = delete;
    CImpIDispatch& operator=(const CImpIDispatch&) = delete;
    virtual ~CImpIDispatch() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // Members script may call, by ascending id; searched under namesLock.
    std::map<DISPID, std::wstring> names;
    Handler handler;
    LONG refCount = 0;
    ProcessMutex namesLock;
};
