#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "HtmlTestSupport.h"
#include "app/gameApp.h"
#include "browser/HtmlMessages.h"
#include "report/NetworkGuard.h"
#include "frame/FrameCommands.h"

using htmltest::HtmlThreadTest;
using htmltest::ViewCall;
using testsupport::PumpMessages;
using testsupport::PumpUntil;

namespace {

const wchar_t kDeadUrl[] = L"http://127.0.0.1:9/home";
RECT WindowRectIn(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

using HtmlView = htmltest::HtmlThreadTestOnBoth;

TEST_P(HtmlView, CreateAtOnTheMainThreadReturnsNullAndTheHtmlThreadCreatesTheWindow) {
    EXPECT_EQ(
        view.CreateAt(WS_EX_TOOLWINDOW, L"OtherClass", L"ignored", WS_POPUP, 5, 7, 400, 300, parent.hwnd),
        nullptr);
    EXPECT_EQ(FindWindowExW(parent.hwnd, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(view.ViewWindow(), nullptr);

    StartHtmlThread();
    ASSERT_TRUE(PumpUntil([&] { return view.windowsCreated == 1; }, 10000));
    const HWND window = view.ViewWindow();
    EXPECT_EQ(FindWindowExW(parent.hwnd, nullptr, L"ImageWnd", nullptr), window);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), htmlThread);
    EXPECT_EQ(GetParent(window), parent.hwnd);
    // Created with the view's own fixed class, style and title; only place and size are carried.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & (WS_CHILD | WS_VISIBLE | WS_POPUP),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(GetWindowTextLengthW(window), 0);
    const RECT rect = WindowRectIn(window);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 7);
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 300);

    // The control was created inside it, on the HTML thread.
    bool attached = false, control = false;
    view.RunOnViewThread([&] {
        attached = view.browser.IsAttached();
        control = view.browser.webBrowser != nullptr;
    });
    EXPECT_TRUE(attached);
    EXPECT_TRUE(control);
    EXPECT_NE(GetWindow(window, GW_CHILD), nullptr);
}

TEST_P(HtmlView, NavigateOnTheHtmlThreadStartsAtOnceAndQueuesNothing) {
    StartHtmlThread();
    ASSERT_NE(CreateView(view), nullptr);
    std::vector<std::wstring> seen;
    bool result = false;
    UINT queuedBefore = 99, queuedAfter = 99;
    view.RunOnViewThread([&] {
        view.browser.onBeforeNavigate = [&](IDispatch*, const wchar_t* url, VARIANT_BOOL*) {
            seen.push_back(url);
        };
        queuedBefore = html.QueuedCount();
        result = view.Navigate(kDeadUrl, navNoHistory);
        queuedAfter = html.QueuedCount();
        view.browser.onBeforeNavigate = nullptr; // seen dies with this test body
    });
    EXPECT_TRUE(result);
    EXPECT_EQ(queuedBefore, 0u);
    EXPECT_EQ(queuedAfter, 0u);
    EXPECT_EQ(seen, std::vector<std::wstring>{kDeadUrl});
}

TEST_P(HtmlView, QueuedUrlsMustFitTheStagingBuffer) {
    const std::wstring fits = L"http://127.0.0.1:9/" + std::wstring(CMyHtml::kStagingUrlSize - 1 - 19, L'a');
    const std::wstring tooLong = fits + L"b";
    EXPECT_TRUE(view.Navigate(fits.c_str(), navNoHistory));
    EXPECT_EQ(std::wstring(view.stagingUrl), fits);
    EXPECT_EQ(html.QueuedCount(), 1u);

    // Refused whole: a cut URL would lead somewhere else.
    EXPECT_FALSE(view.Navigate(tooLong.c_str(), navNoHistory));
    EXPECT_EQ(std::wstring(view.stagingUrl), fits);
    EXPECT_FALSE(view.Navigate(nullptr, navNoHistory));
    EXPECT_EQ(html.QueuedCount(), 1u);
}

TEST_P(HtmlView, ALaterQueuedNavigationOverwritesTheStagedUrl) {
    view.passThrough = false;
    view.CreateAt(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, parent.hwnd);
    view.Navigate(L"http://127.0.0.1:9/first", navNoHistory);
    view.Navigate(L"http://127.0.0.1:9/second", navNoHistory);
    StartHtmlThread();
    ASSERT_TRUE(PumpUntil([&] { return view.CallsOn(htmlThread).size() >= 3; }, 10000));
    const std::vector<ViewCall> calls = view.CallsOn(htmlThread);
    EXPECT_EQ(calls[1].url, L"http://127.0.0.1:9/second");
    EXPECT_EQ(calls[2].url, L"http://127.0.0.1:9/second");
}

TEST_P(HtmlView, F10AndEscReachTheParentOnlyInGame) {
    StartHtmlThread();
    const HWND window = CreateView(view);
    ASSERT_NE(window, nullptr);

    auto pressKeys = [&](int mark) {
        PostMessageW(window, WM_KEYDOWN, VK_F10, 0);
        PostMessageW(window, WM_SYSKEYDOWN, VK_F10, 0);
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0);
        PostMessageW(window, WM_KEYDOWN, 'A', 0);
        PostMessageW(window, htmltest::WM_TEST_MARK, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return view.marks == mark; }, 5000));
        PumpMessages(50);
    };
    pressKeys(1);
    EXPECT_TRUE(parent.frameCommands.empty());

    view.inGame = true;
    pressKeys(2);
    EXPECT_EQ(parent.frameCommands,
              (std::vector<WPARAM>{FRAME_CMD_TOGGLE_FULLSCREEN, FRAME_CMD_TOGGLE_FULLSCREEN,
                                   FRAME_CMD_EXIT_FULLSCREEN}));
}

TEST_P(HtmlView, ReloadWithTheHomeCodeNavigatesHome) {
    gameApp app;
    wcscpy_s(app.homeUrl, L"http://127.0.0.1:9/wd1/index.html?runcount=3");
    theApp = &app;
    StartHtmlThread();
    const HWND window = CreateView(view);
    ASSERT_NE(window, nullptr);
    view.passThrough = false;

    for (WPARAM code : {WPARAM(0), WPARAM(99), WPARAM(101), RELOAD_HOME_CODE})
        PostMessageW(window, WM_HTML_RELOAD, code, 0);
    PostMessageW(window, htmltest::WM_TEST_MARK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return view.marks == 1; }, 5000));
    EXPECT_TRUE(StopHtmlThread());
    theApp = nullptr;

    std::vector<ViewCall> calls = view.CallsOn(htmlThread);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].what, "navigate");
    EXPECT_EQ(calls[1].url, app.homeUrl);
    EXPECT_EQ(calls[1].value, static_cast<UINT_PTR>(navNoHistory));
    EXPECT_EQ(html.QueuedCount(), 0u);
}

// The layout works from the control window the container knows; here it is handed the control's
// window directly, as if the control had reported it.
TEST_P(HtmlView, TheControlIsFourPixelsTallerUntilTheGameStarts) {
    StartHtmlThread();
    const HWND window = CreateView(view, 500, 320);
    ASSERT_NE(window, nullptr);
    const HWND control = GetWindow(window, GW_CHILD);
    ASSERT_NE(control, nullptr);
    view.RunOnViewThread([&] { view.browser.browserWindow = control; });

    view.OnSize(0, 0, 0); // on the main thread, as the game window does
    RECT rect = WindowRectIn(control);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right - rect.left, 500);
    EXPECT_EQ(rect.bottom - rect.top, 324);

    view.inGame = true;
    SetWindowPos(window, nullptr, 0, 25, 600, 400, SWP_NOZORDER);
    view.OnSize(0, 0, 0);
    rect = WindowRectIn(control);
    EXPECT_EQ(rect.right - rect.left, 600);
    EXPECT_EQ(rect.bottom - rect.top, 400);
    EXPECT_EQ(view.refits, 0);
}

TEST_P(HtmlView, ASmallFlashWindowIsStretchedOverTheWholeView) {
    StartHtmlThread();
    const HWND window = CreateView(view, 480, 360);
    ASSERT_NE(window, nullptr);
    const HWND control = GetWindow(window, GW_CHILD);
    HWND flash = nullptr;
    view.RunOnViewThread([&] {
        view.browser.browserWindow = control;
        htmltest::RegisterTestWindowClasses();
        // Nested like a plug-in inside a page window.
        HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 480, 360, control,
                                    nullptr, nullptr, nullptr);
        flash = CreateWindowExW(0, htmltest::kFlashClass, L"", WS_CHILD | WS_VISIBLE, 40, 30, 20, 10, page,
                                nullptr, nullptr, nullptr);
    });
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(CMyHtml::FindFlashWindow(control), flash);

    view.OnSize(0, 0, 0);
    const RECT rect = WindowRectIn(flash);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right - rect.left, 480);
    EXPECT_EQ(rect.bottom - rect.top, 360);
}

TEST(FindFlashWindow, MatchesTheClassNameAtAnyDepth) {
    htmltest::RegisterTestWindowClasses();

    HWND top =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(CMyHtml::FindFlashWindow(top), nullptr);
    EXPECT_EQ(CMyHtml::FindFlashWindow(nullptr), nullptr);
    // The title is not looked at, and a longer class name is another class.
    HWND titled = CreateWindowExW(0, L"STATIC", htmltest::kFlashClass, WS_CHILD, 0, 0, 10, 10, top, nullptr,
                                  nullptr, nullptr);
    HWND longer = CreateWindowExW(0, L"MacromediaFlashPlayerActiveXEx", L"", WS_CHILD, 0, 0, 10, 10, top,
                                  nullptr, nullptr, nullptr);
    ASSERT_TRUE(titled && longer);
    EXPECT_EQ(CMyHtml::FindFlashWindow(top), nullptr);

    HWND middle =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, longer, nullptr, nullptr, nullptr);
    HWND deep = CreateWindowExW(0, htmltest::kFlashClass, L"", WS_CHILD, 0, 0, 10, 10, middle, nullptr,
                                nullptr, nullptr);
    ASSERT_TRUE(deep);
    EXPECT_EQ(CMyHtml::FindFlashWindow(top), deep);
    DestroyWindow(top);
}

TEST_P(HtmlView, AResizeOnTheMainThreadWithoutAKnownControlWindowIsHandedToTheHtmlThread) {
    StartHtmlThread();
    const HWND window = CreateView(view, 400, 300);
    ASSERT_NE(window, nullptr);
    const HWND control = GetWindow(window, GW_CHILD);
    const RECT before = WindowRectIn(control);
    // A cached window that no longer exists is not used, and not learnt anew from this thread.
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    view.RunOnViewThread([&] { view.browser.browserWindow = gone; });

    view.OnSize(0, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return view.refits == 1; }, 5000));
    const RECT after = WindowRectIn(control);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_P(HtmlView, TheControlIsReleasedOnTheHtmlThreadWhenItEnds) {
    StartHtmlThread();
    ASSERT_NE(CreateView(view), nullptr);
    bool control = false;
    view.RunOnViewThread([&] { control = view.browser.webBrowser != nullptr; });
    ASSERT_TRUE(control);

    EXPECT_TRUE(StopHtmlThread());
    EXPECT_EQ(view.ViewWindow(), nullptr);
    EXPECT_EQ(view.browser.webBrowser, nullptr);
    EXPECT_EQ(view.browser.oleObject, nullptr);
    EXPECT_EQ(view.browser.storage, nullptr);
    EXPECT_EQ(view.browser.inPlaceGranted, 0);
}

INSTANTIATE_TEST_SUITE_P(Control, HtmlView,
                         ::testing::Values(testsupport::BrowserControl::Wine,
                                           testsupport::BrowserControl::StandIn),
                         htmltest::ControlName);

} // namespace
