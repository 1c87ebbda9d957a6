#include "standin/BrowserTestHost.h"

#include <exdispid.h>
#include <ocidl.h>
#include <shlguid.h>
#include <shobjidl.h>

#include "support/TestSupport.h"

namespace standintest {

namespace {

const wchar_t kHostClass[] = L"StandInTestHost";

void RegisterHostClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = kHostClass;
    RegisterClassExW(&wc); // fails harmlessly when already registered
}

// The string of an argument given directly or by reference.
std::wstring TextArg(const VARIANTARG& arg) {
    const VARIANT* value = &arg;
    if (V_VT(value) == (VT_VARIANT | VT_BYREF))
        value = V_VARIANTREF(value);
    if (!value)
        return std::wstring();
    if (V_VT(value) == VT_BSTR && V_BSTR(value))
        return std::wstring(V_BSTR(value), SysStringLen(V_BSTR(value)));
    if (V_VT(value) == (VT_BSTR | VT_BYREF) && V_BSTRREF(value) && *V_BSTRREF(value))
        return std::wstring(*V_BSTRREF(value), SysStringLen(*V_BSTRREF(value)));
    return std::wstring();
}

LONG NumberArg(const VARIANTARG& arg) {
    const VARIANT* value = &arg;
    if (V_VT(value) == (VT_VARIANT | VT_BYREF))
        value = V_VARIANTREF(value);
    return value && V_VT(value) == VT_I4 ? V_I4(value) : 0;
}

} // namespace

BrowserTestHost::BrowserTestHost() = default;

BrowserTestHost::~BrowserTestHost() {
    ReleaseControl();
    if (window)
        DestroyWindow(window);
}

bool BrowserTestHost::Create(int width, int height) {
    RegisterHostClass();
    window = CreateWindowExW(0, kHostClass, L"stand-in host", WS_POPUP | WS_CLIPCHILDREN, 0, 0, width, height,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return false;
    // Shown without activation: Wine hands activated windows to a window manager and, with none
    // running, waits two seconds for it when they are destroyed.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (FAILED(StgCreateDocfile(nullptr,
                                STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE | STGM_DELETEONRELEASE, 0,
                                storage_.Receive())))
        return false;
    if (FAILED(OleCreate(CLSID_WebBrowser, IID_IOleObject, OLERENDER_DRAW, nullptr,
                         static_cast<IOleClientSite*>(this), storage_.Get(),
                         reinterpret_cast<void**>(oleObject.Receive()))) ||
        !oleObject)
        return false;
    if (FAILED(oleObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(browser.Receive()))))
        return false;
    RECT client;
    GetClientRect(window, &client);
    oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, window,
                      &client);
    standin::ComRef<IConnectionPointContainer> container;
    standin::ComRef<IConnectionPoint> point;
    DWORD cookie = 0;
    return SUCCEEDED(browser->QueryInterface(IID_IConnectionPointContainer,
                                             reinterpret_cast<void**>(container.Receive()))) &&
           SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive())) &&
           SUCCEEDED(point->Advise(static_cast<IDispatch*>(this), &cookie));
}

void BrowserTestHost::ReleaseControl() {
    browser.Reset();
    oleObject.Reset();
    storage_.Reset();
}

bool BrowserTestHost::Navigate(const std::wstring& url) {
    if (!browser)
        return false;
    VARIANT address, flags;
    VariantInit(&address);
    V_VT(&address) = VT_BSTR;
    V_BSTR(&address) = SysAllocString(url.c_str());
    VariantInit(&flags);
    V_VT(&flags) = VT_I4;
    V_I4(&flags) = navNoHistory;
    const HRESULT hr = browser->Navigate2(&address, &flags, nullptr, nullptr, nullptr);
    VariantClear(&address);
    return SUCCEEDED(hr);
}

bool BrowserTestHost::WaitForEvent(DISPID id, const std::wstring& url, DWORD timeoutMs) {
    return testsupport::PumpUntil([&] { return FindEvent(id, url) != nullptr; }, timeoutMs);
}

HWND BrowserTestHost::BrowserWindow() {
    standin::ComRef<IServiceProvider> services;
    standin::ComRef<IOleWindow> oleWindow;
    HWND hwnd = nullptr;
    if (browser &&
        SUCCEEDED(
            browser->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.Receive()))) &&
        SUCCEEDED(services->QueryService(SID_SShellBrowser, IID_IOleWindow,
                                         reinterpret_cast<void**>(oleWindow.Receive()))))
        oleWindow->GetWindow(&hwnd);
    return hwnd;
}

std::vector<DISPID> BrowserTestHost::EventIds() const {
    std::vector<DISPID> ids;
    for (const RecordedEvent& event : events)
        ids.push_back(event.id);
    return ids;
}

const RecordedEvent* BrowserTestHost::FindEvent(DISPID id, const std::wstring& url) const {
    for (const RecordedEvent& event : events)
        if (event.id == id && (url.empty() || event.url == url))
            return &event;
    return nullptr;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, DIID_DWebBrowserEvents2))
        *out = static_cast<IDispatch*>(this);
    else if (IsEqualIID(iid, IID_IOleClientSite))
        *out = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceFrame) || IsEqualIID(iid, IID_IOleInPlaceUIWindow))
        *out = static_cast<IOleInPlaceFrame*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::GetContainer(IOleContainer** container) {
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::GetWindow(HWND* hwnd) {
    if (!hwnd)
        return E_POINTER;
    *hwnd = window;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::CanInPlaceActivate() {
    siteCalls.push_back(L"CanInPlaceActivate");
    return refuseInPlace ? S_FALSE : S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::OnInPlaceActivate() {
    siteCalls.push_back(L"OnInPlaceActivate");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::OnInPlaceDeactivate() {
    siteCalls.push_back(L"OnInPlaceDeactivate");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::GetWindowContext(IOleInPlaceFrame** frame,
                                                            IOleInPlaceUIWindow** doc, LPRECT pos,
                                                            LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    siteCalls.push_back(L"GetWindowContext");
    if (!frame || !doc || !pos || !clip || !info)
        return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *doc = nullptr;
    GetClientRect(window, pos);
    *clip = *pos;
    info->cb = sizeof(OLEINPLACEFRAMEINFO);
    info->fMDIApp = FALSE;
    info->hwndFrame = window;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::GetBorder(LPRECT border) {
    if (!border)
        return E_POINTER;
    GetClientRect(window, border);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BrowserTestHost::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params,
                                                  VARIANT*, EXCEPINFO*, UINT*) {
    if (!IsEqualIID(iid, IID_NULL))
        return E_INVALIDARG;
    RecordedEvent event;
    event.id = id;
    event.threadId = GetCurrentThreadId();
    const UINT count = params ? params->cArgs : 0;
    VARIANTARG* args = params ? params->rgvarg : nullptr;
    for (UINT i = 0; i < count; ++i)
        event.argTypes.push_back(V_VT(&args[i]));
    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        if (count >= 7) {
            event.frame = V_VT(&args[6]) == VT_DISPATCH ? V_DISPATCH(&args[6]) : nullptr;
            event.url = TextArg(args[5]);
            event.number = NumberArg(args[4]);
            if (cancelNavigation && V_VT(&args[0]) == (VT_BOOL | VT_BYREF))
                *V_BOOLREF(&args[0]) = VARIANT_TRUE;
        }
        break;
    case DISPID_NAVIGATECOMPLETE2:
    case DISPID_DOCUMENTCOMPLETE:
        if (count >= 2) {
            event.frame = V_VT(&args[1]) == VT_DISPATCH ? V_DISPATCH(&args[1]) : nullptr;
            event.url = TextArg(args[0]);
        }
        break;
    case DISPID_NAVIGATEERROR:
        if (count >= 5) {
            event.frame = V_VT(&args[4]) == VT_DISPATCH ? V_DISPATCH(&args[4]) : nullptr;
            event.url = TextArg(args[3]);
            event.number = NumberArg(args[1]);
        }
        break;
    case DISPID_NEWWINDOW3:
        if (count >= 5) {
            event.url = TextArg(args[0]);
            event.context = TextArg(args[1]);
            event.number = NumberArg(args[2]);
            if (cancelNewWindow && V_VT(&args[3]) == (VT_BOOL | VT_BYREF))
                *V_BOOLREF(&args[3]) = VARIANT_TRUE;
        }
        break;
    default:
        break;
    }
    events.push_back(event);
    if (onEvent)
        onEvent(event); // a copy: the handler may cause further events
    return S_OK;
}

} // namespace standintest
