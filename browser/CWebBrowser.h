#pragma once

#include <windows.h>
#include <ole2.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtml.h>
#include <mshtmhst.h>
#include <wrl/client.h>

#include <atomic>
#include <functional>

#include "browser/CImpIDispatch.h"

// The OLE container of the WebBrowser control: client site, in-place site and frame, UI handler and
// DWebBrowserEvents2 sink in one object. It belongs to the HTML thread: the control is created, called
// and released there, and its events and the bound callbacks run there. Only GetBrowserWindow may be
// called from another thread, and then answers from its cache without touching the control.
// Release never deletes the object; its lifetime is that of the view that holds it.
class CWebBrowser : public IDispatch,
                    public IOleClientSite,
                    public IOleInPlaceSite,
                    public IOleInPlaceFrame,
                    public IDocHostUIHandler {
public:
    using TitleChangeHandler = std::function<void(const wchar_t* text)>;
    using DocumentCompleteHandler = std::function<void(IDispatch* frame, const wchar_t* url)>;
    using NavigateCompleteHandler = std::function<void(const wchar_t* url)>;
    // cancel always points at writable storage; storing a non-zero value cancels.
    using BeforeNavigateHandler =
        std::function<void(IDispatch* frame, const wchar_t* url, VARIANT_BOOL* cancel)>;
    using NewWindowHandler = std::function<void(IDispatch** newWindow, VARIANT_BOOL* cancel, DWORD flags,
                                                const wchar_t* contextUrl, const wchar_t* url)>;
    using QuitHandler = std::function<void()>;
    using BrowserWindowHandler = std::function<void(HWND window)>;

    // Window class of the Flash player inside pages.
    static constexpr wchar_t kFlashWindowClass[] = L"MacromediaFlashPlayerActiveX";

    CWebBrowser() = default;
    CWebBrowser(const CWebBrowser&) = delete;
    CWebBrowser& operator=(const CWebBrowser&) = delete;

    // IUnknown, shared by all five interfaces.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: the event sink.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // Own operations, following Invoke in the primary table.
    virtual bool Navigate(const wchar_t* url, LONG flags);
    virtual HRESULT QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text);
    virtual HRESULT Exec(const GUID* group, DWORD commandId, DWORD options, VARIANT* in, VARIANT* out);
    virtual bool WriteHtml(const wchar_t* text);
    virtual bool GetBodyHtml(wchar_t* buffer, DWORD* capacity);
    virtual bool ClickElement(const wchar_t* elementId);
    virtual bool SetElementValue(const wchar_t* elementId, const wchar_t* text);
    virtual bool GetElementValue(const wchar_t* elementId, wchar_t* buffer, DWORD* capacity);
    // Declared after the own operations so that its slots do not move them.
    virtual ~CWebBrowser();

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow, shared by the in-place site and the frame.
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

    // IOleInPlaceUIWindow and IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT border) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
    STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHODIMP SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) override;
    STDMETHODIMP RemoveMenus(HMENU shared) override;
    STDMETHODIMP SetStatusText(LPCOLESTR text) override;
    STDMETHODIMP EnableModeless(BOOL enable) override; // also IDocHostUIHandler's
    STDMETHODIMP TranslateAccelerator(LPMSG msg, WORD id) override;

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* object, IOleCommandTarget* target,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* group, DWORD commandId) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* target, IDropTarget** replacement) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* translated) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** replacement) override;

    // Creates the control in place inside host and connects the events. HTML thread.
    bool CreateBrowser(HWND host);
    // Releases the control's references in the documented order. Only on the thread that created the
    // control, while it still has OLE (the view calls it when its window is destroyed).
    void ReleaseControl();
    // The caller releases the results.
    IHTMLDocument2* GetHtmlDocument2();
    IHTMLDocument3* GetHtmlDocument3();
    // The control's own window. On the HTML thread a stale cache is learnt anew from the control; on any
    // other thread only the cache is consulted (null when it no longer names a window).
    HWND GetBrowserWindow();
    HRESULT TranslateKeyMessage(MSG* msg);
    // True once CreateBrowser has recorded the host window; commands for the view wait for this.
    bool IsAttached() const { return hostWindow != nullptr; }

    Microsoft::WRL::ComPtr<IStorage> storage;
    Microsoft::WRL::ComPtr<IOleObject> oleObject;
    Microsoft::WRL::ComPtr<IOleInPlaceObject> inPlaceObject;
    Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> activeObject;
    Microsoft::WRL::ComPtr<IWebBrowser2> webBrowser;
    HWND hostWindow = nullptr;
    // Written on the HTML thread, read by OnSize on the main thread as well.
    std::atomic<HWND> browserWindow{nullptr};
    LONG inPlaceGranted = 0;
    LONG refCount = 0;

    TitleChangeHandler onTitleChange;
    DocumentCompleteHandler onDocumentComplete;
    NavigateCompleteHandler onNavigateComplete;
    BeforeNavigateHandler onBeforeNavigate;
    NewWindowHandler onNewWindow;
    QuitHandler onQuit;
    CImpIDispatch external;
    BrowserWindowHandler onBrowserWindow;

private:
    void LearnBrowserWindow();
    IHTMLElement* FindElement(const wchar_t* elementId);

    // The thread that created the control: the only one allowed to call it.
    std::atomic<DWORD> controlThread{0};
};
