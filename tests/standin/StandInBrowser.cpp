#include "StandInBrowser.h"

#include <exdisp.h>
#include <shlguid.h>
#include <shobjidl.h>

#include "PageFetcher.h"
#include "StandInModule.h"

namespace standin {

namespace {

const UINT WM_WORKER_RESULT = WM_APP + 1;
const UINT_PTR kRefreshTimer = 1;

// Keeps the control alive while it calls out (a sink may drop the last outside reference).
class SelfReference {
public:
    explicit SelfReference(IUnknown* self) : self_(self) { self_->AddRef(); }
    ~SelfReference() { self_->Release(); }
    SelfReference(const SelfReference&) = delete;
    SelfReference& operator=(const SelfReference&) = delete;

private:
    IUnknown* self_;
};

// The string a VARIANT argument holds, also by reference; false when it holds none.
bool TextOf(VARIANT* value, std::wstring& text) {
    if (!value)
        return false;
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopyInd(&copy, value)))
        return false;
    bool found = false;
    if (V_VT(&copy) == VT_BSTR) {
        text.assign(V_BSTR(&copy) ? V_BSTR(&copy) : L"", SysStringLen(V_BSTR(&copy)));
        found = true;
    }
    VariantClear(&copy);
    return found;
}

// A numeric VARIANT argument, also by reference; 0 when it is missing or not a number.
LONG NumberOf(VARIANT* value) {
    if (!value)
        return 0;
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopyInd(&copy, value)))
        return 0;
    LONG number = 0;
    if (SUCCEEDED(VariantChangeType(&copy, &copy, 0, VT_I4)))
        number = V_I4(&copy);
    VariantClear(&copy);
    return number;
}

bool IsAboutBlank(const std::wstring& url) {
    return AsciiLower(url) == L"about:blank";
}

} // namespace

HRESULT StandInBrowser::Create(REFIID iid, void** out) {
    auto* browser = new StandInBrowser();
    const HRESULT hr = browser->QueryInterface(iid, out);
    browser->Release();
    return hr;
}

StandInBrowser::StandInBrowser() : events_(this), mailbox_(std::make_shared<WorkerMailbox>()) {
    LockModule();
    if (messages_.Create(
            [this](UINT msg, WPARAM wParam, LPARAM lParam) { OnWindowMessage(msg, wParam, lParam); }))
        mailbox_->Open(messages_.Handle(), WM_WORKER_RESULT);
}

StandInBrowser::~StandInBrowser() {
    mailbox_->Close();
    messages_.Destroy();
    if (document_)
        document_->Detach();
    windows_.Destroy();
    events_.Clear();
    UnlockModule();
}

HRESULT STDMETHODCALLTYPE StandInBrowser::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IWebBrowser) ||
        IsEqualIID(iid, IID_IWebBrowserApp) || IsEqualIID(iid, IID_IWebBrowser2))
        *out = static_cast<IWebBrowser2*>(this);
    else if (IsEqualIID(iid, IID_IOleObject))
        *out = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
        *out = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
        *out = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(iid, IID_IServiceProvider))
        *out = static_cast<IServiceProvider*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        *out = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStorage))
        *out = static_cast<IPersistStorage*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE StandInBrowser::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE StandInBrowser::Release() {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

// ---- IWebBrowser2 ----

HRESULT STDMETHODCALLTYPE StandInBrowser::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrame,
                                                    VARIANT*, VARIANT* headers) {
    std::wstring address;
    if (!TextOf(url, address) || address.empty())
        return E_INVALIDARG;
    std::wstring target, headerText;
    TextOf(targetFrame, target);
    TextOf(headers, headerText);
    StartNavigation(address, NumberOf(flags), target, headerText);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::Refresh() {
    if (!locationUrl_.empty())
        StartDownload(locationUrl_, true);
    return S_OK;
}

// Before the first page there is no document: success with a null pointer, as the real control answers.
HRESULT STDMETHODCALLTYPE StandInBrowser::get_Document(IDispatch** document) {
    if (!document)
        return E_POINTER;
    *document = nullptr;
    if (document_)
        *document = ComRef<IHTMLDocument2>::Share(document_.Get()).Detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::get_LocationURL(BSTR* url) {
    if (!url)
        return E_POINTER;
    *url = SysAllocStringLen(locationUrl_.data(), static_cast<UINT>(locationUrl_.size()));
    return *url ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::get_Silent(VARIANT_BOOL* silent) {
    if (!silent)
        return E_POINTER;
    *silent = silent_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::put_Silent(VARIANT_BOOL silent) {
    silent_ = silent != VARIANT_FALSE;
    return S_OK;
}

// ---- IOleObject ----

HRESULT STDMETHODCALLTYPE StandInBrowser::SetClientSite(IOleClientSite* site) {
    clientSite_ = ComRef<IOleClientSite>::Share(site);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::GetClientSite(IOleClientSite** site) {
    if (!site)
        return E_POINTER;
    *site = ComRef<IOleClientSite>(clientSite_).Detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::Close(DWORD) {
    ++navigation_; // pending downloads and refreshes are dropped
    if (messages_.Handle())
        KillTimer(messages_.Handle(), kRefreshTimer);
    DeactivateInPlace();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::GetClipboardData(DWORD, IDataObject** data) {
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG,
                                                 HWND parent, LPCRECT posRect) {
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
    case OLEIVERB_INPLACEACTIVATE:
        return ActivateInPlace(activeSite ? activeSite : clientSite_.Get(), parent, posRect);
    case OLEIVERB_HIDE:
        windows_.Show(false);
        return S_OK;
    default:
        return E_NOTIMPL;
    }
}

HRESULT STDMETHODCALLTYPE StandInBrowser::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs)
        *verbs = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::GetUserClassID(CLSID* clsid) {
    return GetClassID(clsid);
}

HRESULT STDMETHODCALLTYPE StandInBrowser::GetUserType(DWORD, LPOLESTR* userType) {
    if (userType)
        *userType = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    extent_ = *size;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    *size = extent_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::Advise(IAdviseSink*, DWORD* connection) {
    if (connection)
        *connection = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise)
        *advise = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::GetMiscStatus(DWORD, DWORD* status) {
    if (!status)
        return E_POINTER;
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
    return S_OK;
}

// ---- In-place activation ----

HRESULT STDMETHODCALLTYPE StandInBrowser::GetWindow(HWND* window) {
    if (!window)
        return E_POINTER;
    *window = windows_.Frame();
    return *window ? S_OK : E_FAIL;
}

HRESULT StandInBrowser::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT posRect) {
    if (windows_.Frame()) { // already active: only show and place
        if (posRect)
            windows_.Move(*posRect);
        windows_.Show(true);
        return S_OK;
    }
    if (!site)
        return E_INVALIDARG;
    ComRef<IOleInPlaceSite> inPlaceSite;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlaceSite.Receive()))) ||
        !inPlaceSite)
        return E_NOINTERFACE;
    if (inPlaceSite->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    HWND host = nullptr;
    if (FAILED(inPlaceSite->GetWindow(&host)) || !host)
        host = parent;
    if (!host)
        return E_FAIL;
    SelfReference keep(static_cast<IWebBrowser2*>(this));
    inPlaceSite->OnInPlaceActivate();

    ComRef<IOleInPlaceFrame> frame;
    ComRef<IOleInPlaceUIWindow> documentWindow;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof(frameInfo);
    const bool haveContext = SUCCEEDED(inPlaceSite->GetWindowContext(
        frame.Receive(), documentWindow.Receive(), &position, &clip, &frameInfo));
    RECT where = {};
    if (haveContext)
        where = position;
    else if (posRect)
        where = *posRect;
    else
        GetClientRect(host, &where);
    if (!windows_.Create(host, where)) {
        inPlaceSite->OnInPlaceDeactivate();
        return E_FAIL;
    }
    inPlaceSite_ = inPlaceSite;
    return S_OK;
}

void StandInBrowser::DeactivateInPlace() {
    windows_.Destroy();
    ComRef<IOleInPlaceSite> site = std::move(inPlaceSite_);
    if (site) {
        SelfReference keep(static_cast<IWebBrowser2*>(this));
        site->OnInPlaceDeactivate();
    }
}

HRESULT STDMETHODCALLTYPE StandInBrowser::InPlaceDeactivate() {
    DeactivateInPlace();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::SetObjectRects(LPCRECT posRect, LPCRECT) {
    if (!posRect)
        return E_POINTER;
    windows_.Move(*posRect);
    return S_OK;
}

// ---- Services, connection points, persistence ----

// The shell-browser service is the control's own window object, as a page host expects.
HRESULT STDMETHODCALLTYPE StandInBrowser::QueryService(REFGUID service, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(service, SID_SShellBrowser)) {
        if (!IsEqualIID(iid, IID_IOleWindow) && !IsEqualIID(iid, IID_IUnknown))
            return E_NOINTERFACE;
        return QueryInterface(iid, out);
    }
    if (IsEqualGUID(service, SID_SWebBrowserApp))
        return QueryInterface(iid, out);
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points)
        *points = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, DIID_DWebBrowserEvents2))
        return CONNECT_E_NOCONNECTION;
    *point = &events_;
    events_.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StandInBrowser::GetClassID(CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_WebBrowser;
    return S_OK;
}

// ---- Navigation ----

void StandInBrowser::FollowLink(const std::wstring& url, const std::wstring& target) {
    SelfReference keep(static_cast<IWebBrowser2*>(this));
    const std::wstring frame = AsciiLower(target);
    if (frame.empty() || frame == L"_self" || frame == L"_top" || frame == L"_parent")
        StartNavigation(url, 0, std::wstring(), std::wstring());
    else
        events_.NewWindow3(url, locationUrl_, NWMF_USERINITED | NWMF_FIRST);
}

void StandInBrowser::StartNavigation(const std::wstring& url, LONG flags, const std::wstring& target,
                                     const std::wstring& headers) {
    SelfReference keep(static_cast<IWebBrowser2*>(this));
    if (messages_.Handle())
        KillTimer(messages_.Handle(), kRefreshTimer);
    if (events_.BeforeNavigate2(Frame(), url, flags, target, headers))
        return;
    StartDownload(url, false);
}

void StandInBrowser::StartDownload(const std::wstring& url, bool quiet) {
    const unsigned navigation = ++navigation_;
    quietNavigation_ = quiet ? navigation : 0;
    refreshNavigation_ = 0;
    if (IsAboutBlank(url)) {
        WorkerResult result;
        result.navigation = navigation;
        result.fetch.ok = true;
        result.fetch.finalUrl = url;
        mailbox_->Post(std::move(result)); // completes asynchronously, like every navigation
        return;
    }
    std::shared_ptr<WorkerMailbox> mailbox = mailbox_;
    const bool started = StartWorker([mailbox, navigation, url] {
        PageFetcher fetcher;
        WorkerResult result;
        result.navigation = navigation;
        result.fetch = fetcher.Fetch(url);
        if (result.fetch.ok)
            result.page = HtmlPage::Parse(DecodeHtmlBytes(result.fetch.body, result.fetch.contentType));
        mailbox->Post(std::move(result));
    });
    if (!started) {
        WorkerResult result;
        result.navigation = navigation;
        result.fetch.finalUrl = url;
        result.fetch.error = INET_E_DOWNLOAD_FAILURE;
        mailbox_->Post(std::move(result));
    }
}

void StandInBrowser::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM) {
    SelfReference keep(static_cast<IWebBrowser2*>(this));
    if (msg == WM_TIMER && wParam == kRefreshTimer) {
        KillTimer(messages_.Handle(), kRefreshTimer);
        if (refreshNavigation_ == navigation_ && refreshNavigation_ != 0)
            StartNavigation(refreshUrl_, 0, std::wstring(), std::wstring());
        return;
    }
    if (msg != WM_WORKER_RESULT)
        return;
    WorkerResult result;
    while (mailbox_->Take(result)) {
        if (result.navigation != navigation_)
            continue; // a later navigation has replaced this one
        if (result.kind == WorkerResult::Kind::Page)
            OnPage(result);
        else
            OnSubresources(result.navigation);
    }
}

void StandInBrowser::OnPage(WorkerResult& result) {
    const unsigned navigation = result.navigation;
    const bool quiet = quietNavigation_ == navigation;
    const FetchResult& fetch = result.fetch;
    if (!fetch.ok) {
        if (!quiet) {
            const LONG status = fetch.httpStatus >= 400 ? static_cast<LONG>(fetch.httpStatus) : fetch.error;
            events_.NavigateError(Frame(), fetch.finalUrl, status);
        }
        return;
    }
    ShowDocument(std::move(result.page), fetch.finalUrl);
    if (!quiet)
        events_.NavigateComplete2(Frame(), locationUrl_);
    // Inline scripts run once the document exists; window.open asks the host for a new window.
    for (const std::wstring& link : document_->Page().ScriptWindowOpens()) {
        if (navigation != navigation_)
            return; // a handler navigated elsewhere
        events_.NewWindow3(ResolveUrl(locationUrl_, link), locationUrl_, NWMF_FIRST);
    }
    if (navigation != navigation_)
        return;
    std::vector<std::wstring> urls;
    for (const std::wstring& link : document_->Page().SubresourceUrls())
        urls.push_back(ResolveUrl(locationUrl_, link));
    std::shared_ptr<WorkerMailbox> mailbox = mailbox_;
    auto fetchAll = [mailbox, navigation, urls] {
        PageFetcher fetcher;
        for (const std::wstring& url : urls)
            fetcher.Fetch(url); // what a script or image holds does not matter to the stand-in
        WorkerResult done;
        done.kind = WorkerResult::Kind::Subresources;
        done.navigation = navigation;
        mailbox->Post(std::move(done));
    };
    if (urls.empty() || !StartWorker(fetchAll)) {
        WorkerResult done;
        done.kind = WorkerResult::Kind::Subresources;
        done.navigation = navigation;
        mailbox_->Post(std::move(done));
    }
}

void StandInBrowser::OnSubresources(unsigned navigation) {
    if (quietNavigation_ != navigation)
        events_.DocumentComplete(Frame(), locationUrl_);
    if (navigation != navigation_ || !document_)
        return;
    const MetaRefresh refresh = document_->Page().Refresh();
    if (!refresh.present || !messages_.Handle())
        return;
    refreshUrl_ = refresh.url.empty() ? locationUrl_ : ResolveUrl(locationUrl_, refresh.url);
    refreshNavigation_ = navigation;
    SetTimer(messages_.Handle(), kRefreshTimer, refresh.seconds * 1000, nullptr);
}

void StandInBrowser::ShowDocument(HtmlPage page, const std::wstring& url) {
    if (document_)
        document_->Detach();
    document_ = ComRef<StandInDocument>::Adopt(StandInDocument::Create(std::move(page), url, this));
    locationUrl_ = url;
    PageContent content;
    const HtmlPage& shown = document_->Page();
    content.title = shown.Title();
    content.url = url;
    content.text = shown.InnerText(shown.Body());
    content.flash = shown.FlashObjects();
    windows_.SetContent(std::move(content));
}

} // namespace standin
