#include "browser/CWebBrowser.h"

#include <exdispid.h>
#include <servprov.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <cwchar>

using Microsoft::WRL::ComPtr;

namespace {

// The command group of the document host (script errors); not exported by the import libraries.
const GUID kDocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

// Owns one BSTR.
class Bstr {
public:
    explicit Bstr(const wchar_t* text = nullptr) : text_(text ? SysAllocString(text) : nullptr) {}
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return text_; }
    BSTR* out() {
        SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }

private:
    BSTR text_;
};

// Owns one VARIANT.
class Variant {
public:
    Variant() { VariantInit(&value); }
    ~Variant() { VariantClear(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT value;
};

// Text carried by an event argument: a string, a string by reference, or a variant by reference that
// holds one. Anything else reads as empty.
const wchar_t* ArgumentText(const VARIANT& argument) {
    const VARIANT* v = &argument;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
        v = v->pvarVal;
    if (v->vt == VT_BSTR)
        return v->bstrVal ? v->bstrVal : L"";
    if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal && *v->pbstrVal)
        return *v->pbstrVal;
    return L"";
}

IDispatch* ArgumentDispatch(const VARIANT& argument) {
    const VARIANT* v = &argument;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
        v = v->pvarVal;
    if (v->vt == VT_DISPATCH)
        return v->pdispVal;
    if (v->vt == (VT_BYREF | VT_DISPATCH) && v->ppdispVal)
        return *v->ppdispVal;
    return nullptr;
}

DWORD ArgumentNumber(const VARIANT& argument) {
    const VARIANT* v = &argument;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
        v = v->pvarVal;
    switch (v->vt) {
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
        return v->ulVal;
    case VT_BYREF | VT_I4:
    case VT_BYREF | VT_UI4:
        return v->pulVal ? *v->pulVal : 0;
    default:
        return 0;
    }
}

// Reads one property of a script object by name; the result of the read is all that matters.
HRESULT ReadProperty(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    DISPPARAMS none = {};
    Variant value;
    return object->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &none, &value.value,
                          nullptr, nullptr);
}

// Copies text into a caller's buffer when it fits with its terminator; otherwise reports the needed
// capacity and leaves the buffer empty.
bool CopyIfFits(const wchar_t* text, UINT length, wchar_t* buffer, DWORD* capacity) {
    const DWORD available = *capacity;
    if (length + 1 > available) {
        *capacity = length + 1;
        if (available > 0)
            buffer[0] = L'\0';
        return false;
    }
    if (length > 0)
        wmemcpy(buffer, text, length);
    buffer[length] = L'\0';
    return true;
}

} // namespace

CWebBrowser::~CWebBrowser() {
    inPlaceGranted = 0;
    onTitleChange = nullptr;
    onDocumentComplete = nullptr;
    onNavigateComplete = nullptr;
    onBeforeNavigate = nullptr;
    onNewWindow = nullptr;
    onQuit = nullptr;
    onBrowserWindow = nullptr;
    const DWORD owner = controlThread;
    if (owner == 0 || owner == GetCurrentThreadId()) {
        ReleaseControl();
        return;
    }
    // The control belongs to another thread, which has ended or lost OLE by now: calling it from here
    // could crash. Its references are abandoned instead; the process is shutting down.
    webBrowser.Detach();
    activeObject.Detach();
    inPlaceObject.Detach();
    oleObject.Detach();
    storage.Detach();
}

void CWebBrowser::ReleaseControl() {
    webBrowser.Reset();
    activeObject.Reset();
    inPlaceObject.Reset();
    oleObject.Reset();
    storage.Reset();
    browserWindow = nullptr;
}

// IUnknown

STDMETHODIMP CWebBrowser::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, DIID_DWebBrowserEvents2))
        *out = static_cast<IDispatch*>(this);
    else if (IsEqualIID(iid, IID_IOleClientSite))
        *out = static_cast<IOleClientSite*>(this);
    else if (!inPlaceGranted && IsEqualIID(iid, IID_IOleInPlaceSite))
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (!inPlaceGranted &&
             (IsEqualIID(iid, IID_IOleInPlaceFrame) || IsEqualIID(iid, IID_IOleInPlaceUIWindow)))
        *out = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(iid, IID_IDocHostUIHandler))
        *out = static_cast<IDocHostUIHandler*>(this);
    if (!*out)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CWebBrowser::AddRef() {
    InterlockedIncrement(&refCount);
    return 0;
}

STDMETHODIMP_(ULONG) CWebBrowser::Release() {
    InterlockedDecrement(&refCount);
    return 0;
}

// IDispatch

STDMETHODIMP CWebBrowser::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowser::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowser::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                 UINT*) {
    if (!IsEqualIID(iid, IID_NULL))
        return E_INVALIDARG;
    // rgvarg holds the event's parameters last first.
    const UINT count = params && params->rgvarg ? params->cArgs : 0;
    const VARIANT* args = count ? params->rgvarg : nullptr;
    VARIANT_BOOL ignoredCancel = VARIANT_FALSE;
    auto cancelOf = [&ignoredCancel](const VARIANT& argument) {
        if (argument.vt == (VT_BYREF | VT_BOOL) && argument.pboolVal)
            return argument.pboolVal;
        return &ignoredCancel;
    };

    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        // The frame is the seventh argument from the end, so seven are needed to read it.
        if (count >= 7 && onBeforeNavigate)
            onBeforeNavigate(ArgumentDispatch(args[6]), ArgumentText(args[5]), cancelOf(args[0]));
        return S_OK;
    case DISPID_NAVIGATECOMPLETE2:
        if (count >= 2) {
            LearnBrowserWindow();
            if (onNavigateComplete)
                onNavigateComplete(ArgumentText(args[0]));
        }
        return S_OK;
    case DISPID_DOCUMENTCOMPLETE:
        if (count >= 2 && onDocumentComplete)
            onDocumentComplete(ArgumentDispatch(args[1]), ArgumentText(args[0]));
        return S_OK;
    case DISPID_NEWWINDOW3:
        if (count >= 5 && onNewWindow) {
            IDispatch* ignoredWindow = nullptr;
            IDispatch** newWindow = args[4].vt == (VT_BYREF | VT_DISPATCH) && args[4].ppdispVal
                                        ? args[4].ppdispVal
                                        : &ignoredWindow;
            onNewWindow(newWindow, cancelOf(args[3]), ArgumentNumber(args[2]), ArgumentText(args[1]),
                        ArgumentText(args[0]));
        }
        return S_OK;
    case DISPID_TITLECHANGE:
        if (count >= 1 && args[0].vt == VT_BSTR && onTitleChange)
            onTitleChange(args[0].bstrVal ? args[0].bstrVal : L"");
        return S_OK;
    case DISPID_QUIT:
        if (onQuit)
            onQuit();
        return S_OK;
    case DISPID_COMMANDSTATECHANGE:
    case DISPID_NAVIGATEERROR:
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// Own operations

bool CWebBrowser::Navigate(const wchar_t* url, LONG flags) {
    if (!webBrowser || !url)
        return false;
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(url);
    if (!target.bstrVal)
        return false;
    VARIANT navigationFlags;
    VariantInit(&navigationFlags);
    navigationFlags.vt = VT_I4;
    navigationFlags.lVal = flags;
    webBrowser->Navigate2(&target, &navigationFlags, nullptr, nullptr, nullptr);
    VariantClear(&target);
    return true;
}

HRESULT CWebBrowser::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) {
    return OLECMDERR_E_NOTSUPPORTED;
}

HRESULT CWebBrowser::Exec(const GUID* group, DWORD commandId, DWORD, VARIANT* in, VARIANT* out) {
    if (!group || !IsEqualGUID(*group, kDocHostCommandHandler))
        return OLECMDERR_E_UNKNOWNGROUP;
    if (commandId != OLECMDID_SHOWSCRIPTERROR)
        return OLECMDERR_E_NOTSUPPORTED;

    HRESULT hr = E_FAIL;
    IUnknown* document = in && (in->vt == VT_UNKNOWN || in->vt == VT_DISPATCH) ? in->punkVal : nullptr;
    ComPtr<IHTMLDocument2> page;
    ComPtr<IHTMLWindow2> window;
    ComPtr<IHTMLEventObj> event;
    if (document && SUCCEEDED(hr = document->QueryInterface(IID_PPV_ARGS(&page))) &&
        SUCCEEDED(hr = page->get_parentWindow(&window)) && window &&
        SUCCEEDED(hr = window->get_event(&event)) && event) {
        for (const wchar_t* name :
             {L"errorLine", L"errorCharacter", L"errorCode", L"errorMessage", L"errorUrl"})
            hr = ReadProperty(event.Get(), name);
    }
    if (out) {
        // Keep running the page's scripts.
        VariantClear(out);
        out->vt = VT_BOOL;
        out->boolVal = VARIANT_TRUE;
    }
    return hr;
}

bool CWebBrowser::WriteHtml(const wchar_t* text) {
    if (!webBrowser || !text || !Navigate(L"about:blank", 0))
        return false;
    ComPtr<IHTMLDocument2> document;
    document.Attach(GetHtmlDocument2());
    if (!document)
        return false;
    SAFEARRAY* lines = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    if (!lines)
        return false;
    HRESULT hr = E_OUTOFMEMORY;
    VARIANT* line = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(lines, reinterpret_cast<void**>(&line)))) {
        line->vt = VT_BSTR;
        line->bstrVal = SysAllocString(text);
        SafeArrayUnaccessData(lines);
        if (line->bstrVal) {
            hr = document->write(lines);
            document->close();
        }
    }
    SafeArrayDestroy(lines); // also frees the string
    return SUCCEEDED(hr);
}

bool CWebBrowser::GetBodyHtml(wchar_t* buffer, DWORD* capacity) {
    if (!buffer || !capacity)
        return false;
    ComPtr<IHTMLDocument2> document;
    document.Attach(GetHtmlDocument2());
    ComPtr<IHTMLElement> body;
    if (!document || FAILED(document->get_body(&body)) || !body)
        return false;
    Bstr html;
    if (FAILED(body->get_innerHTML(html.out())))
        return false;
    return CopyIfFits(html.get() ? html.get() : L"", SysStringLen(html.get()), buffer, capacity);
}

IHTMLElement* CWebBrowser::FindElement(const wchar_t* elementId) {
    if (!elementId)
        return nullptr;
    ComPtr<IHTMLDocument3> document;
    document.Attach(GetHtmlDocument3());
    Bstr id(elementId);
    IHTMLElement* element = nullptr;
    if (!document || !id.get() || FAILED(document->getElementById(id.get(), &element)))
        return nullptr;
    return element;
}

bool CWebBrowser::ClickElement(const wchar_t* elementId) {
    ComPtr<IHTMLElement> element;
    element.Attach(FindElement(elementId));
    return element && SUCCEEDED(element->click());
}

bool CWebBrowser::SetElementValue(const wchar_t* elementId, const wchar_t* text) {
    ComPtr<IHTMLElement> element;
    element.Attach(FindElement(elementId));
    if (!element || !text)
        return false;
    Bstr name(L"value");
    Variant value;
    value.value.vt = VT_BSTR;
    value.value.bstrVal = SysAllocString(text);
    if (!name.get() || !value.value.bstrVal)
        return false;
    return SUCCEEDED(element->setAttribute(name.get(), value.value, 1));
}

bool CWebBrowser::GetElementValue(const wchar_t* elementId, wchar_t* buffer, DWORD* capacity) {
    if (!buffer || !capacity)
        return false;
    ComPtr<IHTMLElement> element;
    element.Attach(FindElement(elementId));
    Bstr name(L"value");
    Variant value;
    if (!element || !name.get() || FAILED(element->getAttribute(name.get(), 0, &value.value)))
        return false;
    if (FAILED(VariantChangeType(&value.value, &value.value, 0, VT_BSTR)))
        return false;
    const BSTR text = value.value.bstrVal;
    return CopyIfFits(text ? text : L"", SysStringLen(text), buffer, capacity);
}

// IOleClientSite

STDMETHODIMP CWebBrowser::SaveObject() {
    return S_OK;
}

STDMETHODIMP CWebBrowser::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowser::GetContainer(IOleContainer** container) {
    if (container)
        *container = nullptr;
    return E_FAIL;
}

STDMETHODIMP CWebBrowser::ShowObject() {
    return S_OK;
}
STDMETHODIMP CWebBrowser::OnShowWindow(BOOL) {
    return S_OK;
}
STDMETHODIMP CWebBrowser::RequestNewObjectLayout() {
    return S_OK;
}

// IOleWindow

STDMETHODIMP CWebBrowser::GetWindow(HWND* window) {
    if (!window)
        return E_POINTER;
    *window = hostWindow;
    return S_OK;
}

STDMETHODIMP CWebBrowser::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// IOleInPlaceSite

STDMETHODIMP CWebBrowser::CanInPlaceActivate() {
    if (inPlaceGranted)
        return S_FALSE;
    inPlaceGranted = 1;
    return S_OK;
}

STDMETHODIMP CWebBrowser::OnInPlaceActivate() {
    return S_OK;
}
STDMETHODIMP CWebBrowser::OnUIActivate() {
    return S_OK;
}

STDMETHODIMP CWebBrowser::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                           LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (!frame || !document || !position || !clip || !frameInfo)
        return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    RECT client = {};
    GetClientRect(hostWindow, &client);
    *position = client;
    *clip = client;
    frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = GetParent(hostWindow);
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP CWebBrowser::Scroll(SIZE) {
    return E_NOTIMPL;
}
STDMETHODIMP CWebBrowser::OnUIDeactivate(BOOL) {
    return S_OK;
}
STDMETHODIMP CWebBrowser::OnInPlaceDeactivate() {
    return S_OK;
}
STDMETHODIMP CWebBrowser::DiscardUndoState() {
    return S_OK;
}
STDMETHODIMP CWebBrowser::DeactivateAndUndo() {
    return S_OK;
}
// The view sizes the control itself.
STDMETHODIMP CWebBrowser::OnPosRectChange(LPCRECT) {
    return S_OK;
}

// IOleInPlaceUIWindow and IOleInPlaceFrame

STDMETHODIMP CWebBrowser::GetBorder(LPRECT border) {
    if (!border)
        return E_POINTER;
    RECT client = {};
    GetClientRect(hostWindow, &client);
    *border = client;
    return S_OK;
}

STDMETHODIMP CWebBrowser::RequestBorderSpace(LPCBORDERWIDTHS) {
    return S_OK;
}
STDMETHODIMP CWebBrowser::SetBorderSpace(LPCBORDERWIDTHS) {
    return S_OK;
}
STDMETHODIMP CWebBrowser::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) {
    return S_OK;
}
STDMETHODIMP CWebBrowser::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return E_NOTIMPL;
}
STDMETHODIMP CWebBrowser::SetMenu(HMENU, HOLEMENU, HWND) {
    return E_NOTIMPL;
}
STDMETHODIMP CWebBrowser::RemoveMenus(HMENU) {
    return E_NOTIMPL;
}
STDMETHODIMP CWebBrowser::SetStatusText(LPCOLESTR) {
    return E_NOTIMPL;
}
STDMETHODIMP CWebBrowser::EnableModeless(BOOL) {
    return E_NOTIMPL;
}
STDMETHODIMP CWebBrowser::TranslateAccelerator(LPMSG, WORD) {
    return E_NOTIMPL;
}

// IDocHostUIHandler. Outputs that the host does not supply are set to null rather than left as the
// caller passed them, so no caller can mistake stale memory for an answer.

STDMETHODIMP CWebBrowser::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    return S_FALSE;
}

STDMETHODIMP CWebBrowser::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info)
        return E_POINTER;
    info->cbSize = sizeof(DOCHOSTUIINFO);
    info->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info->pchHostCss = nullptr;
    info->pchHostNS = nullptr;
    return S_OK;
}

STDMETHODIMP CWebBrowser::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                 IOleInPlaceUIWindow*) {
    return S_OK;
}

STDMETHODIMP CWebBrowser::HideUI() {
    return S_OK;
}
STDMETHODIMP CWebBrowser::UpdateUI() {
    return S_OK;
}
STDMETHODIMP CWebBrowser::OnDocWindowActivate(BOOL) {
    return S_OK;
}
STDMETHODIMP CWebBrowser::OnFrameWindowActivate(BOOL) {
    return S_OK;
}
STDMETHODIMP CWebBrowser::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}
STDMETHODIMP CWebBrowser::TranslateAccelerator(LPMSG, const GUID*, DWORD) {
    return S_FALSE;
}

STDMETHODIMP CWebBrowser::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (key)
        *key = nullptr;
    return S_OK;
}

STDMETHODIMP CWebBrowser::GetDropTarget(IDropTarget*, IDropTarget** replacement) {
    if (replacement)
        *replacement = nullptr;
    return S_OK;
}

STDMETHODIMP CWebBrowser::GetExternal(IDispatch** result) {
    if (!result)
        return E_POINTER;
    external.AddRef();
    *result = &external;
    return S_OK;
}

STDMETHODIMP CWebBrowser::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
    if (translated)
        *translated = nullptr;
    return S_OK;
}

STDMETHODIMP CWebBrowser::FilterDataObject(IDataObject*, IDataObject** replacement) {
    if (replacement)
        *replacement = nullptr;
    return S_OK;
}

// Non-virtual operations

bool CWebBrowser::CreateBrowser(HWND host) {
    if (inPlaceGranted)
        return false;
    controlThread = GetCurrentThreadId();
    // Each step that fails leaves out the steps that need its result; the host is recorded anyway so
    // that commands waiting for the view go on (and find no control).
    if (SUCCEEDED(
            StgCreateDocfile(nullptr, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, &storage)) &&
        SUCCEEDED(OleCreate(CLSID_WebBrowser, IID_IOleObject, OLERENDER_DRAW, nullptr,
                            static_cast<IOleClientSite*>(this), storage.Get(),
                            reinterpret_cast<void**>(oleObject.ReleaseAndGetAddressOf())))) {
        oleObject.As(&inPlaceObject);
        oleObject.As(&activeObject);
        oleObject.As(&webBrowser);
    }
    hostWindow = host;
    RECT client = {};
    GetClientRect(host, &client);
    if (oleObject)
        oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, host,
                          &client);
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> events;
    if (webBrowser && SUCCEEDED(webBrowser.As(&points)) &&
        SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &events))) {
        // The connection lasts as long as the control; the cookie is not needed.
        DWORD cookie = 0;
        events->Advise(static_cast<IDispatch*>(this), &cookie);
    }
    inPlaceGranted = 1;
    return webBrowser != nullptr;
}

IHTMLDocument2* CWebBrowser::GetHtmlDocument2() {
    ComPtr<IDispatch> document;
    IHTMLDocument2* result = nullptr;
    if (webBrowser && SUCCEEDED(webBrowser->get_Document(&document)) && document)
        document->QueryInterface(IID_PPV_ARGS(&result));
    return result;
}

IHTMLDocument3* CWebBrowser::GetHtmlDocument3() {
    ComPtr<IDispatch> document;
    IHTMLDocument3* result = nullptr;
    if (webBrowser && SUCCEEDED(webBrowser->get_Document(&document)) && document)
        document->QueryInterface(IID_PPV_ARGS(&result));
    return result;
}

void CWebBrowser::LearnBrowserWindow() {
    ComPtr<IServiceProvider> services;
    if (!webBrowser || FAILED(webBrowser.As(&services)))
        return;
    ComPtr<IOleWindow> shellBrowser;
    if (FAILED(services->QueryService(SID_SShellBrowser, IID_PPV_ARGS(&shellBrowser))) || !shellBrowser)
        return;
    HWND window = nullptr;
    if (FAILED(shellBrowser->GetWindow(&window))) {
        browserWindow = nullptr;
        return;
    }
    browserWindow = window;
    if (onBrowserWindow)
        onBrowserWindow(window);
}

HWND CWebBrowser::GetBrowserWindow() {
    HWND cached = browserWindow;
    if (cached && IsWindow(cached))
        return cached;
    // Learning the window calls the control, which only its own thread may do.
    if (controlThread != GetCurrentThreadId())
        return nullptr;
    LearnBrowserWindow();
    return browserWindow;
}

HRESULT CWebBrowser::TranslateKeyMessage(MSG* msg) {
    if (!msg || msg->message < WM_KEYDOWN || msg->message > WM_UNICHAR)
        return S_FALSE;
    if (!webBrowser)
        return E_NOTIMPL;
    const HWND browser = GetBrowserWindow();
    bool focusInBrowser = false;
    for (HWND h = GetFocus(); h && browser; h = GetParent(h)) {
        if (h == browser) {
            focusInBrowser = true;
            break;
        }
    }
    if (!focusInBrowser)
        return S_FALSE;
    HRESULT result = activeObject ? activeObject->TranslateAccelerator(msg) : S_FALSE;
    if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_TAB) {
        // Tab inside the Flash player stays there instead of walking through the page.
        wchar_t name[65] = {};
        GetClassNameW(msg->hwnd, name, 65);
        if (wcscmp(name, kFlashWindowClass) == 0) {
            SetForegroundWindow(msg->hwnd);
            SetFocus(msg->hwnd);
            return S_OK;
        }
    }
    return result;
}
