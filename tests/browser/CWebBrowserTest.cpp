#include <gtest/gtest.h>

#include <exdispid.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "browser/CWebBrowser.h"

namespace {

const GUID kDocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

HRESULT Query(CWebBrowser& browser, REFIID iid, void** out) {
    return static_cast<IDispatch*>(&browser)->QueryInterface(iid, out);
}

struct Answer {
    const char* name;
    const IID* iid;
    bool beforeActivation;
    bool afterActivation;
};

TEST(ContainerQueryInterface, TableBeforeAndAfterInPlaceActivation) {
    CWebBrowser browser;
    const Answer table[] = {
        {"IUnknown", &IID_IUnknown, true, true},
        {"IDispatch", &IID_IDispatch, true, true},
        {"DWebBrowserEvents2", &DIID_DWebBrowserEvents2, true, true},
        {"IOleClientSite", &IID_IOleClientSite, true, true},
        {"IOleInPlaceSite", &IID_IOleInPlaceSite, true, false},
        {"IOleInPlaceFrame", &IID_IOleInPlaceFrame, true, false},
        {"IOleInPlaceUIWindow", &IID_IOleInPlaceUIWindow, true, false},
        {"IDocHostUIHandler", &IID_IDocHostUIHandler, true, true},
        {"IOleCommandTarget", &IID_IOleCommandTarget, false, false},
        {"IOleWindow", &IID_IOleWindow, false, false},
        {"IServiceProvider", &IID_IServiceProvider, false, false},
        {"IDocHostUIHandler2", &__uuidof(IDocHostUIHandler2), false, false},
    };
    for (bool activated : {false, true}) {
        if (activated) {
            ASSERT_EQ(browser.CanInPlaceActivate(), S_OK);
        }
        for (const Answer& answer : table) {
            SCOPED_TRACE(std::string(answer.name) + (activated ? " after" : " before"));
            void* out = &browser;
            const LONG refsBefore = browser.refCount;
            const bool expected = activated ? answer.afterActivation : answer.beforeActivation;
            EXPECT_EQ(Query(browser, *answer.iid, &out), expected ? S_OK : E_NOINTERFACE);
            if (expected) {
                EXPECT_NE(out, nullptr);
                EXPECT_EQ(browser.refCount, refsBefore + 1);
            } else {
                EXPECT_EQ(out, nullptr);
                EXPECT_EQ(browser.refCount, refsBefore);
            }
        }
    }
}

TEST(ContainerQueryInterface, EachInterfaceIsTheMatchingBaseOfTheOneObject) {
    CWebBrowser browser;
    void* out = nullptr;
    ASSERT_EQ(Query(browser, IID_IOleClientSite, &out), S_OK);
    EXPECT_EQ(out, static_cast<IOleClientSite*>(&browser));
    ASSERT_EQ(Query(browser, IID_IOleInPlaceSite, &out), S_OK);
    EXPECT_EQ(out, static_cast<IOleInPlaceSite*>(&browser));
    ASSERT_EQ(Query(browser, IID_IOleInPlaceUIWindow, &out), S_OK);
    EXPECT_EQ(out, static_cast<IOleInPlaceFrame*>(&browser));
    ASSERT_EQ(Query(browser, IID_IDocHostUIHandler, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDocHostUIHandler*>(&browser));
    // Through another interface the same table answers.
    ASSERT_EQ(static_cast<IDocHostUIHandler*>(&browser)->QueryInterface(IID_IDispatch, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDispatch*>(&browser));
    // Reference counting is informative and never frees.
    EXPECT_EQ(static_cast<IOleClientSite*>(&browser)->AddRef(), 0u);
    EXPECT_EQ(static_cast<IOleClientSite*>(&browser)->Release(), 0u);
}

// Index of a virtual operation in the object's primary table. Under the compiler's C++ ABI a pointer
// to a virtual member holds 1 plus the byte offset of its slot, and a this-adjustment of 0 for the
// primary base.
template <class Member> size_t SlotOf(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(std::uintptr_t), "address word and adjustment");
    std::uintptr_t words[2] = {};
    std::memcpy(words, &member, sizeof(words));
    EXPECT_EQ(words[1], 0u);
    EXPECT_EQ(words[0] % sizeof(void*), 1u) << "not a virtual operation";
    return (words[0] - 1) / sizeof(void*);
}

TEST(ContainerLayout, OwnOperationsFollowTheSevenDispatchMethods) {
    const struct {
        const char* name;
        size_t slot;
        size_t expected;
    } table[] = {
        {"QueryInterface", SlotOf(&CWebBrowser::QueryInterface), 0},
        {"Invoke", SlotOf(&CWebBrowser::Invoke), 6},
        {"Navigate", SlotOf(&CWebBrowser::Navigate), 7},
        {"QueryStatus", SlotOf(&CWebBrowser::QueryStatus), 8},
        {"Exec", SlotOf(&CWebBrowser::Exec), 9},
        {"WriteHtml", SlotOf(&CWebBrowser::WriteHtml), 10},
        {"GetBodyHtml", SlotOf(&CWebBrowser::GetBodyHtml), 11},
        {"ClickElement", SlotOf(&CWebBrowser::ClickElement), 12},
        {"SetElementValue", SlotOf(&CWebBrowser::SetElementValue), 13},
        {"GetElementValue", SlotOf(&CWebBrowser::GetElementValue), 14},
    };
    for (const auto& row : table)
        EXPECT_EQ(row.slot, row.expected) << row.name;
}

TEST(ContainerSite, InPlaceActivationIsGrantedOnce) {
    CWebBrowser browser;
    EXPECT_EQ(browser.CanInPlaceActivate(), S_OK);
    EXPECT_EQ(browser.inPlaceGranted, 1);
    EXPECT_EQ(browser.CanInPlaceActivate(), S_FALSE);
    EXPECT_EQ(browser.CanInPlaceActivate(), S_FALSE);
}

TEST(ContainerSite, WindowAndContextComeFromTheHostWindow) {
    HWND parent =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND host =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 120, 80, parent, nullptr, nullptr, nullptr);
    ASSERT_TRUE(host);
    CWebBrowser browser;
    browser.hostWindow = host;

    HWND window = nullptr;
    EXPECT_EQ(static_cast<IOleInPlaceSite*>(&browser)->GetWindow(&window), S_OK);
    EXPECT_EQ(window, host);
    EXPECT_EQ(static_cast<IOleInPlaceSite*>(&browser)->ContextSensitiveHelp(TRUE), E_NOTIMPL);

    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(&browser);
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    ASSERT_EQ(browser.GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
    EXPECT_EQ(frame, static_cast<IOleInPlaceFrame*>(&browser));
    EXPECT_EQ(browser.refCount, 1);
    EXPECT_EQ(document, nullptr);
    const RECT expected = {0, 0, 120, 80};
    EXPECT_TRUE(EqualRect(&position, &expected));
    EXPECT_TRUE(EqualRect(&clip, &expected));
    EXPECT_EQ(info.cb, 20u);
    EXPECT_FALSE(info.fMDIApp);
    EXPECT_EQ(info.hwndFrame, parent);
    EXPECT_EQ(info.haccel, nullptr);
    EXPECT_EQ(info.cAccelEntries, 0u);

    RECT border = {};
    EXPECT_EQ(browser.GetBorder(&border), S_OK);
    EXPECT_TRUE(EqualRect(&border, &expected));
    DestroyWindow(parent);
}

TEST(ContainerSite, FixedAnswers) {
    CWebBrowser browser;
    IOleClientSite* site = &browser;
    IMoniker* moniker = reinterpret_cast<IMoniker*>(&browser);
    IOleContainer* container = reinterpret_cast<IOleContainer*>(&browser);
    EXPECT_EQ(site->SaveObject(), S_OK);
    EXPECT_EQ(site->GetMoniker(0, 0, &moniker), E_NOTIMPL);
    EXPECT_EQ(moniker, nullptr);
    EXPECT_EQ(site->GetContainer(&container), E_FAIL);
    EXPECT_EQ(container, nullptr);
    EXPECT_EQ(site->ShowObject(), S_OK);
    EXPECT_EQ(site->OnShowWindow(TRUE), S_OK);
    EXPECT_EQ(site->RequestNewObjectLayout(), S_OK);

    IOleInPlaceSite* inPlace = &browser;
    EXPECT_EQ(inPlace->Scroll(SIZE{1, 1}), E_NOTIMPL);
    EXPECT_EQ(inPlace->OnPosRectChange(nullptr), S_OK);
    EXPECT_EQ(inPlace->DeactivateAndUndo(), S_OK);

    IOleInPlaceFrame* frame = &browser;
    EXPECT_EQ(frame->SetActiveObject(nullptr, nullptr), S_OK);
    EXPECT_EQ(frame->InsertMenus(nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(frame->SetStatusText(L"x"), E_NOTIMPL);
    EXPECT_EQ(frame->EnableModeless(TRUE), E_NOTIMPL);
    MSG msg = {};
    EXPECT_EQ(frame->TranslateAccelerator(&msg, 0), E_NOTIMPL);

    IDocHostUIHandler* ui = &browser;
    POINT point = {};
    EXPECT_EQ(ui->ShowContextMenu(0, &point, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(ui->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->TranslateAccelerator(&msg, nullptr, 0), S_FALSE);
    LPOLESTR key = reinterpret_cast<LPOLESTR>(&browser);
    EXPECT_EQ(ui->GetOptionKeyPath(&key, 0), S_OK);
    EXPECT_EQ(key, nullptr);
    LPWSTR translated = reinterpret_cast<LPWSTR>(&browser);
    EXPECT_EQ(ui->TranslateUrl(0, const_cast<LPWSTR>(L"http://a/"), &translated), S_OK);
    EXPECT_EQ(translated, nullptr);
}

TEST(ContainerUiHandler, HostInfoAddsNoBorderAndNoScrollToTheCallersFlags) {
    CWebBrowser browser;
    for (DWORD given : {0x0u, 0x1u, 0x4u, 0x40010u}) {
        DOCHOSTUIINFO info = {};
        info.cbSize = sizeof(info);
        info.dwFlags = given;
        info.dwDoubleClick = 7;
        ASSERT_EQ(browser.GetHostInfo(&info), S_OK);
        EXPECT_EQ(info.cbSize, 20u);
        EXPECT_EQ(info.dwFlags, given | 0x0Cu);
        EXPECT_EQ(info.dwDoubleClick, 0u);
        EXPECT_EQ(info.pchHostCss, nullptr);
        EXPECT_EQ(info.pchHostNS, nullptr);
    }
}

TEST(ContainerUiHandler, ExternalIsTheScriptBridge) {
    CWebBrowser browser;
    IDispatch* external = nullptr;
    ASSERT_EQ(browser.GetExternal(&external), S_OK);
    EXPECT_EQ(external, static_cast<IDispatch*>(&browser.external));
    EXPECT_EQ(browser.external.refCount, 1);
    // It is the bridge, not the container's own dispatch: it knows no names.
    LPOLESTR name = const_cast<LPOLESTR>(L"anything");
    DISPID id = 0;
    EXPECT_EQ(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), DISP_E_UNKNOWNNAME);
}

TEST(ContainerCommands, QueryStatusAndExecRefuse) {
    CWebBrowser browser;
    OLECMD command = {OLECMDID_SHOWSCRIPTERROR, 0};
    EXPECT_EQ(browser.QueryStatus(&kDocHostCommandHandler, 1, &command, nullptr), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(browser.Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(browser.Exec(&IID_IUnknown, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr),
              OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(browser.Exec(&kDocHostCommandHandler, OLECMDID_REFRESH, 0, nullptr, nullptr),
              OLECMDERR_E_NOTSUPPORTED);
    // A script error without a document still tells the page to go on running scripts.
    VARIANT out;
    VariantInit(&out);
    EXPECT_TRUE(FAILED(browser.Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out)));
    EXPECT_EQ(out.vt, VT_BOOL);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
}

TEST(ContainerWithoutControl, OperationsFailQuietly) {
    CWebBrowser browser;
    EXPECT_FALSE(browser.IsAttached());
    EXPECT_FALSE(browser.Navigate(L"http://127.0.0.1/", navNoHistory));
    EXPECT_FALSE(browser.WriteHtml(L"<p>x</p>"));
    wchar_t buffer[16] = L"unchanged";
    DWORD capacity = 16;
    EXPECT_FALSE(browser.GetBodyHtml(buffer, &capacity));
    EXPECT_FALSE(browser.GetElementValue(L"login_user", buffer, &capacity));
    EXPECT_FALSE(browser.SetElementValue(L"login_user", L"x"));
    EXPECT_FALSE(browser.ClickElement(L"login_user"));
    EXPECT_EQ(browser.GetHtmlDocument2(), nullptr);
    EXPECT_EQ(browser.GetHtmlDocument3(), nullptr);
    EXPECT_EQ(browser.GetBrowserWindow(), nullptr);

    MSG key = {};
    key.message = WM_KEYDOWN;
    key.wParam = VK_TAB;
    EXPECT_EQ(browser.TranslateKeyMessage(&key), E_NOTIMPL);
    MSG mouse = {};
    mouse.message = WM_LBUTTONDOWN;
    EXPECT_EQ(browser.TranslateKeyMessage(&mouse), S_FALSE);
}

// The event sink. Each event is built as the control raises it; rgvarg holds the parameters last
// first, so an event given fewer than it needs lacks its leading parameters.
class EventSink : public ::testing::Test {
protected:
    EventSink() {
        browser.onTitleChange = [this](const wchar_t* text) { Log(L"title", text); };
        browser.onDocumentComplete = [this](IDispatch* frame, const wchar_t* url) {
            Log(L"document", url);
            lastFrame = frame;
        };
        browser.onNavigateComplete = [this](const wchar_t* url) { Log(L"navigate", url); };
        browser.onBeforeNavigate = [this](IDispatch* frame, const wchar_t* url, VARIANT_BOOL* cancel) {
            Log(L"before", url);
            lastFrame = frame;
            *cancel = VARIANT_TRUE;
        };
        browser.onNewWindow = [this](IDispatch** window, VARIANT_BOOL* cancel, DWORD flags,
                                     const wchar_t* context, const wchar_t* url) {
            Log(L"newwindow", std::wstring(context) + L" " + url);
            lastFlags = flags;
            lastNewWindow = window;
            *cancel = VARIANT_TRUE;
        };
        browser.onQuit = [this] { Log(L"quit", L""); };
        url.vt = VT_BSTR;
        url.bstrVal = SysAllocString(L"http://127.0.0.1/page");
        context.vt = VT_BSTR;
        context.bstrVal = SysAllocString(L"http://127.0.0.1/opener");
        frame = static_cast<IDispatch*>(&browser.external);
    }
    ~EventSink() override {
        VariantClear(&url);
        VariantClear(&context);
    }

    void Log(const std::wstring& what, const std::wstring& text) { events.push_back(what + L":" + text); }

    HRESULT Raise(DISPID id, std::vector<VARIANT>& args, UINT count) {
        DISPPARAMS params = {args.empty() ? nullptr : args.data(), nullptr, count, 0};
        return browser.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                              nullptr);
    }

    static VARIANT Typed(VARTYPE type) {
        VARIANT v;
        VariantInit(&v);
        v.vt = type;
        return v;
    }
    static VARIANT Dispatch(IDispatch* value) {
        VARIANT v = Typed(VT_DISPATCH);
        v.pdispVal = value;
        return v;
    }
    static VARIANT ByRef(VARIANT* value) {
        VARIANT v = Typed(VT_BYREF | VT_VARIANT);
        v.pvarVal = value;
        return v;
    }
    static VARIANT CancelFlag(VARIANT_BOOL* flag) {
        VARIANT v = Typed(VT_BYREF | VT_BOOL);
        v.pboolVal = flag;
        return v;
    }
    static VARIANT Empty() { return Typed(VT_EMPTY); }

    CWebBrowser browser;
    std::vector<std::wstring> events;
    IDispatch* lastFrame = nullptr;
    DWORD lastFlags = 0;
    IDispatch** lastNewWindow = nullptr;
    VARIANT url;
    VARIANT context;
    IDispatch* frame;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* newWindow = nullptr;
};

TEST_F(EventSink, EachEventRaisesItsCallbackOnlyWithAllItsArguments) {
    VARIANT flags;
    VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = 0x6;
    VARIANT newWindowRef;
    VariantInit(&newWindowRef);
    newWindowRef.vt = VT_BYREF | VT_DISPATCH;
    newWindowRef.ppdispVal = &newWindow;

    struct Case {
        DISPID id;
        std::vector<VARIANT> args;
        std::wstring expected;
    };
    Case cases[] = {
        // frame, URL, flags, target, post data, headers, cancel
        {DISPID_BEFORENAVIGATE2,
         {CancelFlag(&cancel), Empty(), Empty(), Empty(), Empty(), ByRef(&url), Dispatch(frame)},
         L"before:http://127.0.0.1/page"},
        {DISPID_NAVIGATECOMPLETE2, {ByRef(&url), Dispatch(frame)}, L"navigate:http://127.0.0.1/page"},
        {DISPID_DOCUMENTCOMPLETE, {ByRef(&url), Dispatch(frame)}, L"document:http://127.0.0.1/page"},
        // new window, cancel, flags, opener URL, URL
        {DISPID_NEWWINDOW3,
         {url, context, flags, CancelFlag(&cancel), newWindowRef},
         L"newwindow:http://127.0.0.1/opener http://127.0.0.1/page"},
        {DISPID_TITLECHANGE, {url}, L"title:http://127.0.0.1/page"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.id);
        const UINT needed = static_cast<UINT>(c.args.size());
        for (UINT count = 0; count < needed; ++count) {
            // Too few: the remaining leading arguments are missing.
            std::vector<VARIANT> partial(c.args.begin(), c.args.begin() + count);
            EXPECT_EQ(Raise(c.id, partial, count), S_OK);
        }
        EXPECT_TRUE(events.empty());
        cancel = VARIANT_FALSE;
        lastFrame = nullptr;
        EXPECT_EQ(Raise(c.id, c.args, needed), S_OK);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0], c.expected);
        if (c.id == DISPID_BEFORENAVIGATE2 || c.id == DISPID_NEWWINDOW3) {
            EXPECT_EQ(cancel, VARIANT_TRUE);
        }
        if (c.id == DISPID_BEFORENAVIGATE2 || c.id == DISPID_DOCUMENTCOMPLETE) {
            EXPECT_EQ(lastFrame, frame);
        }
        events.clear();
    }
    EXPECT_EQ(lastFlags, 0x6u);
    EXPECT_EQ(lastNewWindow, &newWindow);
}

TEST_F(EventSink, ATitleThatIsNotAStringRaisesNothing) {
    for (VARTYPE type :
         {VARTYPE(VT_EMPTY), VARTYPE(VT_I4), VARTYPE(VT_DISPATCH), VARTYPE(VT_BYREF | VT_VARIANT)}) {
        std::vector<VARIANT> args(1);
        VariantInit(&args[0]);
        args[0].vt = type;
        if (type == (VT_BYREF | VT_VARIANT))
            args[0].pvarVal = &url;
        EXPECT_EQ(Raise(DISPID_TITLECHANGE, args, 1), S_OK);
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(EventSink, QuitNeedsNoArgumentsAndOthersAreAcknowledged) {
    std::vector<VARIANT> none;
    EXPECT_EQ(Raise(DISPID_QUIT, none, 0), S_OK);
    EXPECT_EQ(events, std::vector<std::wstring>{L"quit:"});
    events.clear();
    EXPECT_EQ(Raise(DISPID_COMMANDSTATECHANGE, none, 0), S_OK);
    EXPECT_EQ(Raise(DISPID_NAVIGATEERROR, none, 0), S_OK);
    EXPECT_TRUE(events.empty());
}

TEST_F(EventSink, UnknownEventsAreNotMembers) {
    std::vector<VARIANT> none;
    for (DISPID id : {0, 1, DISPID_STATUSTEXTCHANGE, DISPID_PROGRESSCHANGE, DISPID_DOWNLOADCOMPLETE,
                      DISPID_NEWWINDOW2, DISPID_ONQUIT + 1000})
        EXPECT_EQ(Raise(id, none, 0), DISP_E_MEMBERNOTFOUND);
    EXPECT_TRUE(events.empty());
}

TEST_F(EventSink, ANonNullInterfaceIdIsRefusedBeforeTheEventIsLookedAt) {
    std::vector<VARIANT> args = {ByRef(&url), Dispatch(frame)};
    DISPPARAMS params = {args.data(), nullptr, 2, 0};
    EXPECT_EQ(browser.Invoke(DISPID_DOCUMENTCOMPLETE, IID_IDispatch, 0, DISPATCH_METHOD, &params, nullptr,
                             nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(browser.Invoke(12345, IID_IUnknown, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_TRUE(events.empty());
}

TEST_F(EventSink, EmptyCallbacksAreSkipped) {
    CWebBrowser plain;
    std::vector<VARIANT> args = {ByRef(&url), Dispatch(frame)};
    DISPPARAMS params = {args.data(), nullptr, 2, 0};
    for (DISPID id : {DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE, DISPID_QUIT})
        EXPECT_EQ(plain.Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(
        plain.Invoke(DISPID_TITLECHANGE, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
        S_OK);
}

} // namespace
