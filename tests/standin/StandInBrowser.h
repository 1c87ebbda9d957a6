#pragma once

// The stand-in WebBrowser control: an in-place OLE object with the IWebBrowser2 subset and the
// DWebBrowserEvents2 events a page host relies on. It belongs to the (apartment) thread that created it:
// every interface method, event and window runs there. Only the downloads run on worker threads, which
// hand their results back through a WorkerMailbox.
//
// A navigation: BeforeNavigate2 (cancellable) -> page download on a worker -> NavigateComplete2 ->
// NewWindow3 for each window.open of the page's inline scripts -> script and image downloads on a worker
// -> DocumentComplete -> after a meta refresh delay, the next navigation. A failed download, or a
// response of 400 or more, raises NavigateError instead and keeps the previous document. Refresh loads
// the current address again without raising navigation events, as the real control does.

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <servprov.h>

#include <memory>
#include <string>

#include "ComRef.h"
#include "StandInDefaults.h"
#include "StandInDocument.h"
#include "StandInEvents.h"
#include "StandInWindows.h"
#include "WorkerMailbox.h"

namespace standin {

class StandInBrowser final : public WebBrowserDefaults,
                             public IOleObject,
                             public IOleInPlaceObject,
                             public IOleInPlaceActiveObject,
                             public IServiceProvider,
                             public IConnectionPointContainer,
                             public IPersistStorage,
                             private DocumentHost {
public:
    static HRESULT Create(REFIID iid, void** out);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IWebBrowser2 subset
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                                        VARIANT* headers) override;
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** document) override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override;
    HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL* silent) override;
    HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL silent) override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index,
                                     HWND parent, LPCRECT posRect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR* userType) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, for both in-place interfaces
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT posRect, LPCRECT clipRect) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IOleInPlaceActiveObject: no accelerators of its own, every key goes on to the page.
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** out) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IPersistStorage: Wine's OleCreate insists on initialising the object from the new storage.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE InitNew(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Load(IStorage*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStorage*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override { return S_OK; }

private:
    StandInBrowser();
    ~StandInBrowser();

    IDispatch* Frame() { return static_cast<IWebBrowser2*>(this); }
    void FollowLink(const std::wstring& url, const std::wstring& target) override;

    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT posRect);
    void DeactivateInPlace();

    // Raises BeforeNavigate2 and, unless a sink cancels, starts the download.
    void StartNavigation(const std::wstring& url, LONG flags, const std::wstring& target,
                         const std::wstring& headers);
    void StartDownload(const std::wstring& url, bool quiet);
    void OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPage(WorkerResult& result);
    void OnSubresources(unsigned navigation);
    void ShowDocument(HtmlPage page, const std::wstring& url);

    LONG refs_ = 1;
    EventConnectionPoint events_;
    ComRef<IOleClientSite> clientSite_;
    ComRef<IOleInPlaceSite> inPlaceSite_; // while in place active
    BrowserWindows windows_;
    MessageWindow messages_;
    std::shared_ptr<WorkerMailbox> mailbox_;
    ComRef<StandInDocument> document_;
    std::wstring locationUrl_;
    unsigned navigation_ = 0;      // the current navigation; results of others are stale
    unsigned quietNavigation_ = 0; // a Refresh: no navigation events
    unsigned refreshNavigation_ = 0;
    std::wstring refreshUrl_; // where a pending meta refresh leads
    bool silent_ = false;
    SIZEL extent_ = {0, 0};
};

} // namespace standin
