#include "StandInEvents.h"

#include <exdisp.h>
#include <exdispid.h>

namespace standin {

namespace {

// A VARIANT cleared when it goes away.
class OwnedVariant {
public:
    OwnedVariant() { VariantInit(&value_); }
    explicit OwnedVariant(const std::wstring& text) : OwnedVariant() { Assign(text); }
    explicit OwnedVariant(LONG number) : OwnedVariant() {
        V_VT(&value_) = VT_I4;
        V_I4(&value_) = number;
    }
    ~OwnedVariant() { VariantClear(&value_); }
    void Assign(const std::wstring& text) {
        VariantClear(&value_);
        V_VT(&value_) = VT_BSTR;
        V_BSTR(&value_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    VARIANT* Get() { return &value_; }

private:
    VARIANT value_;
};

void SetDispatch(VARIANTARG& arg, IDispatch* dispatch) {
    V_VT(&arg) = VT_DISPATCH;
    V_DISPATCH(&arg) = dispatch;
}

void SetVariantRef(VARIANTARG& arg, VARIANT* target) {
    V_VT(&arg) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&arg) = target;
}

void SetBoolRef(VARIANTARG& arg, VARIANT_BOOL* target) {
    V_VT(&arg) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&arg) = target;
}

void SetText(VARIANTARG& arg, BSTR text) {
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = text;
}

} // namespace

HRESULT STDMETHODCALLTYPE EventConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint))
        return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid)
        return E_POINTER;
    *iid = DIID_DWebBrowserEvents2;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE
EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container)
        return E_POINTER;
    *container = owner_;
    owner_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    ComRef<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(dispatch.Receive()))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Receive()))))
        return CONNECT_E_CANNOTCONNECT;
    if (!dispatch)
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, std::move(dispatch));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->first == cookie) {
            ComRef<IDispatch> leaving = std::move(it->second); // released after the list is consistent
            sinks_.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections)
        *connections = nullptr;
    return E_NOTIMPL;
}

void EventConnectionPoint::Fire(DISPID dispid, VARIANTARG* args, UINT count) {
    std::vector<ComRef<IDispatch>> sinks;
    for (const auto& entry : sinks_)
        sinks.push_back(entry.second);
    for (const auto& sink : sinks) {
        DISPPARAMS params = {args, nullptr, count, 0};
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
    }
}

// Arguments go in reverse order: args[0] is the event's last parameter.
bool EventConnectionPoint::BeforeNavigate2(IDispatch* frame, const std::wstring& url, LONG flags,
                                           const std::wstring& target, const std::wstring& headers) {
    // A target or headers the navigation did not name stay VT_EMPTY, as no post data always does.
    OwnedVariant urlValue(url), flagsValue(flags), postData;
    OwnedVariant targetValue, headersValue;
    if (!target.empty())
        targetValue.Assign(target);
    if (!headers.empty())
        headersValue.Assign(headers);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG args[7];
    SetBoolRef(args[0], &cancel);
    SetVariantRef(args[1], headersValue.Get());
    SetVariantRef(args[2], postData.Get());
    SetVariantRef(args[3], targetValue.Get());
    SetVariantRef(args[4], flagsValue.Get());
    SetVariantRef(args[5], urlValue.Get());
    SetDispatch(args[6], frame);
    Fire(DISPID_BEFORENAVIGATE2, args, 7);
    return cancel != VARIANT_FALSE;
}

void EventConnectionPoint::NavigateComplete2(IDispatch* frame, const std::wstring& url) {
    OwnedVariant urlValue(url);
    VARIANTARG args[2];
    SetVariantRef(args[0], urlValue.Get());
    SetDispatch(args[1], frame);
    Fire(DISPID_NAVIGATECOMPLETE2, args, 2);
}

void EventConnectionPoint::DocumentComplete(IDispatch* frame, const std::wstring& url) {
    OwnedVariant urlValue(url);
    VARIANTARG args[2];
    SetVariantRef(args[0], urlValue.Get());
    SetDispatch(args[1], frame);
    Fire(DISPID_DOCUMENTCOMPLETE, args, 2);
}

bool EventConnectionPoint::NavigateError(IDispatch* frame, const std::wstring& url, LONG statusCode) {
    OwnedVariant urlValue(url), frameName{std::wstring()}, status(statusCode);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG args[5];
    SetBoolRef(args[0], &cancel);
    SetVariantRef(args[1], status.Get());
    SetVariantRef(args[2], frameName.Get());
    SetVariantRef(args[3], urlValue.Get());
    SetDispatch(args[4], frame);
    Fire(DISPID_NAVIGATEERROR, args, 5);
    return cancel != VARIANT_FALSE;
}

bool EventConnectionPoint::NewWindow3(const std::wstring& url, const std::wstring& context, DWORD flags) {
    OwnedVariant urlValue(url), contextValue(context);
    IDispatch* newWindow = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG args[5];
    SetText(args[0], V_BSTR(urlValue.Get()));
    SetText(args[1], V_BSTR(contextValue.Get()));
    V_VT(&args[2]) = VT_I4;
    V_I4(&args[2]) = static_cast<LONG>(flags);
    SetBoolRef(args[3], &cancel);
    V_VT(&args[4]) = VT_DISPATCH | VT_BYREF;
    V_DISPATCHREF(&args[4]) = &newWindow;
    Fire(DISPID_NEWWINDOW3, args, 5);
    if (newWindow) // a host may hand over a browser of its own; the stand-in opens no window
        newWindow->Release();
    return cancel != VARIANT_FALSE;
}

} // namespace standin
