#pragma once

// A minimal container for a WebBrowser control in the tests: client site, in-place site and frame, and
// DWebBrowserEvents2 sink in one object that records what the control calls. Its reference count
// never deletes it, so the tests can check that the control hands back every reference it took.
// Everything runs on the test's thread, which pumps messages while it waits.

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

#include "standin/ComRef.h"

namespace standintest {

struct RecordedEvent {
    DISPID id = 0;
    std::wstring url;              // the address the event carries
    std::wstring context;          // NewWindow3: the opener's address
    LONG number = 0;               // NavigateError: status code; NewWindow3: flags
    IDispatch* frame = nullptr;    // compared only, never called
    std::vector<VARTYPE> argTypes; // rgvarg[0] first
    DWORD threadId = 0;
};

class BrowserTestHost : public IOleClientSite,
                        public IOleInPlaceSite,
                        public IOleInPlaceFrame,
                        public IDispatch {
public:
    BrowserTestHost();
    ~BrowserTestHost();
    BrowserTestHost(const BrowserTestHost&) = delete;
    BrowserTestHost& operator=(const BrowserTestHost&) = delete;

    // Host window, OleCreate (CLSID_WebBrowser), in-place activation and the event connection.
    bool Create(int width = 800, int height = 600);
    // Releases the control (and closes nothing first, as a host that just drops it).
    void ReleaseControl();

    bool Navigate(const std::wstring& url);
    // Pumps messages until an event with this id (and address, when given) has been recorded.
    bool WaitForEvent(DISPID id, const std::wstring& url = std::wstring(), DWORD timeoutMs = 15000);
    // The window the control reports through its shell-browser service.
    HWND BrowserWindow();
    std::vector<DISPID> EventIds() const;
    const RecordedEvent* FindEvent(DISPID id, const std::wstring& url = std::wstring()) const;

    HWND window = nullptr;
    standin::ComRef<IOleObject> oleObject;
    standin::ComRef<IWebBrowser2> browser;
    std::vector<std::wstring> siteCalls; // in-place site calls, in order
    std::vector<RecordedEvent> events;
    std::function<void(const RecordedEvent&)> onEvent; // runs inside the event
    bool cancelNavigation = false;
    bool cancelNewWindow = true;
    bool refuseInPlace = false;
    LONG refs = 0;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs)); }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return S_OK; }

    // IOleWindow (in-place site and frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) override;
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return E_NOTIMPL; }

    // IDispatch: the event sink
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override;

private:
    standin::ComRef<IStorage> storage_;
};

} // namespace standintest
