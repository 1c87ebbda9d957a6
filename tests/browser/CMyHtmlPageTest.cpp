#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "HtmlTestSupport.h"
#include "app/gameApp.h"
#include "browser/HtmlMessages.h"
#include "report/NetworkGuard.h"
#include "support/LoopbackHttpServer.h"

using testsupport::BrowserControl;
using testsupport::LoopbackHttpServer;
using testsupport::PumpMessages;
using testsupport::PumpUntil;

namespace {

const char kHomePage[] = "<html><head><title>Home</title></head><body>"
                         "<p id=\"login_user\">Hero</p><input id=\"name\" value=\"Ann\"></body></html>";

// One browser event as a bound callback saw it.
struct PageEvent {
    std::string kind;
    std::wstring url;
    DWORD thread;
};

// Binds the view's browser callbacks from the main thread, before any navigation is queued, the way
// the game window does, and records what they report.
class EventLog {
public:
    explicit EventLog(CMyHtml& view) {
        view.browser.onNavigateComplete = [this](const wchar_t* url) { Add("navigate", url); };
        view.browser.onDocumentComplete = [this](IDispatch*, const wchar_t* url) { Add("document", url); };
        view.browser.onNewWindow = [this](IDispatch**, VARIANT_BOOL* cancel, DWORD, const wchar_t*,
                                          const wchar_t* url) {
            Add("newwindow", url);
            *cancel = VARIANT_TRUE;
        };
    }

    std::vector<PageEvent> Events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    bool WaitFor(const std::string& kind, const std::wstring& url, DWORD milliseconds) {
        return PumpUntil(
            [&] {
                for (const PageEvent& event : Events()) {
                    if (event.kind == kind && event.url == url)
                        return true;
                }
                return false;
            },
            milliseconds);
    }

private:
    void Add(const char* kind, const wchar_t* url) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back({kind, url, GetCurrentThreadId()});
    }

    std::mutex mutex_;
    std::vector<PageEvent> events_;
};

RECT WindowRectIn(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class LoopbackSite {
public:
    LoopbackSite() {
        EXPECT_TRUE(server.Start("127.0.0.1"));
        server.SetPage("/wd1/index.html", "text/html", kHomePage);
    }
    std::wstring Url(const std::string& path) const {
        return server.UrlW(std::wstring(path.begin(), path.end()));
    }
    // Keeps serving this thread's messages meanwhile: the HTML thread may be sending it some.
    bool WaitForRequests(size_t count) {
        return PumpUntil([&] { return server.RequestCount() >= count; }, 10000);
    }
    LoopbackHttpServer server;
};

// Both controls fetch through WinINet, so the site sees their requests; only the stand-in loads pages.
class HtmlViewSite : public htmltest::HtmlThreadTestOnBoth {
protected:
    // The thread ends before the site and the log that its callbacks write to.
    ~HtmlViewSite() override { EXPECT_TRUE(StopHtmlThread()); }
    LoopbackSite site;
    EventLog log{view};
};

TEST_P(HtmlViewSite, TheGameWindowsStartReachesTheSiteAndItsEventsArriveOnTheHtmlThread) {
    const std::wstring home = site.Url("/wd1/index.html?runcount=1");
    StartHtmlThread();
    // What the game window asks for at its creation, from the main thread.
    view.CreateAt(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 600, 400, parent.hwnd);
    EXPECT_TRUE(view.Navigate(home.c_str(), navNoHistory));
    view.SetSilent(TRUE);

    ASSERT_TRUE(site.WaitForRequests(1));
    const testsupport::HttpRequestRecord request = site.server.Requests()[0];
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/wd1/index.html?runcount=1");
    if (control == BrowserControl::Wine)
        return; // no page loads: nothing more is raised than the navigation error

    ASSERT_TRUE(log.WaitFor("document", home, 10000));
    const std::vector<PageEvent> events = log.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].kind, "navigate");
    EXPECT_EQ(events[0].url, home);
    for (const PageEvent& event : events)
        EXPECT_EQ(event.thread, htmlThread) << event.kind;
}

TEST_P(HtmlViewSite, AReloadRequestLoadsTheHomePageAgain) {
    gameApp app;
    const std::wstring home = site.Url("/wd1/index.html?reload=1");
    wcscpy_s(app.homeUrl, home.c_str());
    theApp = &app;
    StartHtmlThread();
    const HWND window = CreateView(view);
    ASSERT_NE(window, nullptr);

    PostMessageW(window, WM_HTML_RELOAD, 7, 0);
    PostMessageW(window, WM_HTML_RELOAD, RELOAD_HOME_CODE, 0);
    EXPECT_TRUE(site.WaitForRequests(1));
    PumpMessages(200);
    EXPECT_TRUE(StopHtmlThread());
    theApp = nullptr;
    ASSERT_EQ(site.server.RequestCount(), 1u);
    EXPECT_EQ(site.server.Requests()[0].target, "/wd1/index.html?reload=1");
}

INSTANTIATE_TEST_SUITE_P(Control, HtmlViewSite,
                         ::testing::Values(BrowserControl::Wine, BrowserControl::StandIn),
                         htmltest::ControlName);

// Pages that load: the stand-in control.
class HtmlViewPage : public htmltest::HtmlThreadTestOnStandIn {
protected:
    ~HtmlViewPage() override { EXPECT_TRUE(StopHtmlThread()); }

    // Creates the view and loads a page into it, waiting for its document.
    bool Load(const std::string& path, int width = 500, int height = 320) {
        if (!view.ViewWindow()) {
            StartHtmlThread();
            if (!CreateView(view, width, height))
                return false;
        }
        const std::wstring url = site.Url(path);
        return view.Navigate(url.c_str(), navNoHistory) && log.WaitFor("document", url, 10000);
    }
    HWND Control() {
        HWND control = nullptr;
        view.RunOnViewThread([&] { control = view.browser.GetBrowserWindow(); });
        return control;
    }

    LoopbackSite site;
    EventLog log{view};
};

TEST_F(HtmlViewPage, TheControlsWindowIsFourPixelsTallerUntilTheGameStarts) {
    ASSERT_TRUE(Load("/wd1/index.html"));
    const HWND control = Control();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), view.ViewWindow());
    RECT rect = WindowRectIn(control);
    EXPECT_EQ(rect.right - rect.left, 500);
    EXPECT_EQ(rect.bottom - rect.top, 324);

    // The game starts; the game window moves the view below its title band and refits it.
    view.inGame = true;
    MoveWindow(view.ViewWindow(), 0, 25, 640, 455, TRUE);
    view.OnSize(0, 0, 0);
    rect = WindowRectIn(control);
    EXPECT_EQ(rect.right - rect.left, 640);
    EXPECT_EQ(rect.bottom - rect.top, 455);
}

TEST_F(HtmlViewPage, ASmallFlashObjectIsStretchedOverTheWholeView) {
    site.server.SetPage("/game.html", "text/html",
                        "<html><body><p>Loading</p><embed type=\"application/x-shockwave-flash\" "
                        "src=\"game.swf\" width=\"40\" height=\"30\"></body></html>");
    ASSERT_TRUE(Load("/game.html", 480, 360));
    const HWND flash = CMyHtml::FindFlashWindow(Control());
    ASSERT_NE(flash, nullptr);
    RECT rect = WindowRectIn(flash);
    EXPECT_EQ(rect.right - rect.left, 40);

    view.OnSize(0, 0, 0); // the game window's refit, from the main thread
    rect = WindowRectIn(flash);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right - rect.left, 480);
    EXPECT_EQ(rect.bottom - rect.top, 360);
}

TEST_F(HtmlViewPage, AStaleControlWindowIsLearntAgainOnTheHtmlThread) {
    ASSERT_TRUE(Load("/wd1/index.html", 400, 300));
    const HWND control = Control();
    ASSERT_NE(control, nullptr);
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    view.RunOnViewThread([&] {
        MoveWindow(control, 0, 0, 10, 10, TRUE);
        view.browser.browserWindow = gone;
    });

    view.OnSize(0, 0, 0); // main thread: the cache is stale, the HTML thread refits
    ASSERT_TRUE(PumpUntil([&] { return view.refits == 1; }, 5000));
    const RECT rect = WindowRectIn(control);
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 304);
    EXPECT_EQ(view.browser.browserWindow, control);
}

TEST_F(HtmlViewPage, ARefreshFromTheMainThreadFetchesThePageAgain) {
    ASSERT_TRUE(Load("/wd1/index.html"));
    ASSERT_EQ(site.server.RequestCount(), 1u);
    view.Refresh();
    EXPECT_TRUE(site.WaitForRequests(2));
    EXPECT_EQ(site.server.Requests()[1].target, "/wd1/index.html");
}

TEST_F(HtmlViewPage, NewWindowsOfThePageReachTheOwnersHandler) {
    site.server.SetPage(
        "/popup.html", "text/html",
        "<html><body><script>window.open('http://127.0.0.1:9/ad.html');</script></body></html>");
    ASSERT_TRUE(Load("/popup.html"));
    bool seen = false;
    for (const PageEvent& event : log.Events())
        seen = seen || (event.kind == "newwindow" && event.url == L"http://127.0.0.1:9/ad.html");
    EXPECT_TRUE(seen);
}

// The document helpers, on the HTML thread where the control lives.
TEST_F(HtmlViewPage, DocumentHelpersReadAndChangeThePage) {
    ASSERT_TRUE(Load("/wd1/index.html"));
    view.RunOnViewThread([&] {
        CWebBrowser& browser = view.browser;
        IHTMLDocument2* document = browser.GetHtmlDocument2();
        ASSERT_NE(document, nullptr);
        BSTR title = nullptr;
        EXPECT_EQ(document->get_title(&title), S_OK);
        EXPECT_STREQ(title, L"Home");
        SysFreeString(title);
        document->Release();
        IHTMLDocument3* document3 = browser.GetHtmlDocument3();
        ASSERT_NE(document3, nullptr);
        document3->Release();

        wchar_t value[8] = L"";
        DWORD capacity = 8;
        EXPECT_TRUE(browser.GetElementValue(L"name", value, &capacity));
        EXPECT_STREQ(value, L"Ann");
        EXPECT_TRUE(browser.SetElementValue(L"name", L"Bartholomew"));
        EXPECT_FALSE(browser.GetElementValue(L"name", value, &capacity));
        EXPECT_EQ(capacity, 12u); // the length with its terminator
        EXPECT_STREQ(value, L"");
        wchar_t wide[16] = L"";
        capacity = 16;
        EXPECT_TRUE(browser.GetElementValue(L"name", wide, &capacity));
        EXPECT_STREQ(wide, L"Bartholomew");
        EXPECT_FALSE(browser.GetElementValue(L"missing", wide, &capacity));
        EXPECT_FALSE(browser.SetElementValue(L"missing", L"x"));
        EXPECT_FALSE(browser.ClickElement(L"missing"));

        wchar_t small[4] = L"";
        capacity = 4;
        EXPECT_FALSE(browser.GetBodyHtml(small, &capacity));
        EXPECT_GT(capacity, 4u);
        std::vector<wchar_t> body(capacity);
        EXPECT_TRUE(browser.GetBodyHtml(body.data(), &capacity));
        EXPECT_NE(std::wstring(body.data()).find(L"login_user"), std::wstring::npos);
    });
}

} // namespace
