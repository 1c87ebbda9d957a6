#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "HtmlTestSupport.h"
#include "browser/HtmlMessages.h"

using htmltest::HtmlThreadTest;
using htmltest::ProbeView;
using htmltest::ViewCall;
using testsupport::PumpMessages;
using testsupport::PumpUntil;

namespace {

// Nothing listens there: the control's fetch fails at once.
const wchar_t kDeadUrl[] = L"http://127.0.0.1:9/home";

std::vector<std::string> Kinds(const std::vector<ViewCall>& calls) {
    std::vector<std::string> kinds;
    for (const ViewCall& call : calls)
        kinds.push_back(call.what);
    return kinds;
}

using HtmlQueue = htmltest::HtmlThreadTestOnBoth;

TEST_P(HtmlQueue, CreateNavigateAndSilentFromTheMainThreadRunInThatOrderOnTheHtmlThread) {
    StartHtmlThread();
    EXPECT_EQ(view.CreateAt(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, parent.hwnd), nullptr);
    EXPECT_TRUE(view.Navigate(kDeadUrl, navNoHistory));
    view.SetSilent(TRUE);

    ASSERT_TRUE(PumpUntil([&] { return view.CallsOn(htmlThread).size() >= 3; }, 10000));
    PumpMessages(50);
    const std::vector<ViewCall> calls = view.CallsOn(htmlThread);
    ASSERT_EQ(Kinds(calls), (std::vector<std::string>{"create", "navigate", "silent"}));
    EXPECT_EQ(calls[1].url, kDeadUrl);
    EXPECT_EQ(calls[1].value, static_cast<UINT_PTR>(navNoHistory));
    EXPECT_EQ(calls[2].value, 1u);
    EXPECT_EQ(html.QueuedCount(), 0u);

    // The silent value reached the control, on its own thread.
    VARIANT_BOOL silent = VARIANT_FALSE;
    view.RunOnViewThread([&] {
        if (view.browser.webBrowser)
            view.browser.webBrowser->get_Silent(&silent);
    });
    EXPECT_EQ(silent, VARIANT_TRUE);
}

TEST_P(HtmlQueue, CommandsQueuedBeforeTheThreadRegisteredStillRun) {
    view.passThrough = false;
    EXPECT_EQ(view.CreateAt(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, parent.hwnd), nullptr);
    EXPECT_TRUE(view.Navigate(kDeadUrl, navNoHistory));
    view.SetSilent(TRUE);
    EXPECT_EQ(html.QueuedCount(), 3u);

    StartHtmlThread();
    ASSERT_TRUE(PumpUntil([&] { return view.CallsOn(htmlThread).size() >= 3; }, 10000));
    EXPECT_EQ(Kinds(view.CallsOn(htmlThread)), (std::vector<std::string>{"create", "navigate", "silent"}));
    EXPECT_EQ(html.QueuedCount(), 0u);
}

TEST_P(HtmlQueue, ANavigationWaitsForItsViewWhileTheThreadKeepsPumping) {
    view.passThrough = false;
    StartHtmlThread();
    EXPECT_TRUE(view.Navigate(kDeadUrl, navNoHistory));
    PumpMessages(300);
    EXPECT_TRUE(view.CallsOn(htmlThread).empty());

    // The thread still serves its windows meanwhile.
    CreateView(second);
    ASSERT_NE(second.ViewWindow(), nullptr);
    EXPECT_TRUE(view.CallsOn(htmlThread).empty());

    view.CreateAt(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, parent.hwnd);
    ASSERT_TRUE(PumpUntil([&] { return view.CallsOn(htmlThread).size() >= 2; }, 10000));
    PumpMessages(100);
    const std::vector<ViewCall> calls = view.CallsOn(htmlThread);
    EXPECT_EQ(Kinds(calls), (std::vector<std::string>{"create", "navigate"}));
}

TEST_P(HtmlQueue, QuitEndsTheLoopWhileACommandKeepsWaiting) {
    view.passThrough = false;
    StartHtmlThread();
    EXPECT_TRUE(view.Navigate(kDeadUrl, navNoHistory));
    view.Refresh();
    view.SetSilent(TRUE);
    PumpMessages(200);

    EXPECT_TRUE(StopHtmlThread());
    EXPECT_TRUE(view.CallsOn(htmlThread).empty());
    // The waiting records are dropped with the manager, never carried out.
    EXPECT_EQ(html.QueuedCount(), 3u);
    EXPECT_FALSE(view.Navigate(kDeadUrl, navNoHistory));
}

TEST_P(HtmlQueue, UnusedAndUnknownKindsAreConsumedWithoutEffect) {
    StartHtmlThread();
    ASSERT_NE(CreateView(view), nullptr);
    for (int kind : {1002, 0, 4242, -1}) {
        HtmlCommand record = {parent.hwnd, kind, 11, &view, 22, 1, 2};
        EXPECT_TRUE(html.PostCommand(record));
    }
    view.SetSilent(TRUE);
    ASSERT_TRUE(PumpUntil([&] { return view.CallsOn(htmlThread).size() >= 2; }, 10000));
    PumpMessages(100);
    EXPECT_EQ(Kinds(view.CallsOn(htmlThread)), (std::vector<std::string>{"create", "silent"}));
    EXPECT_EQ(html.QueuedCount(), 0u);
}

TEST_P(HtmlQueue, ACreateForAViewThatHasAWindowDoesNothing) {
    StartHtmlThread();
    const HWND window = CreateView(view, 400, 300);
    ASSERT_NE(window, nullptr);
    HtmlCommand record = {parent.hwnd, HTML_CMD_CREATE_VIEW, 50, &view, 60, 5, 5};
    html.PostCommand(record);
    view.SetSilent(TRUE);
    ASSERT_TRUE(PumpUntil([&] { return view.CallsOn(htmlThread).size() >= 2; }, 10000));
    EXPECT_EQ(Kinds(view.CallsOn(htmlThread)), (std::vector<std::string>{"create", "silent"}));
    EXPECT_EQ(view.ViewWindow(), window);
    RECT rect = {};
    GetClientRect(window, &rect);
    EXPECT_EQ(rect.right, 400);
    EXPECT_EQ(rect.bottom, 300);
}

TEST_P(HtmlQueue, AnEmptyWakeUpDoesNothing) {
    StartHtmlThread();
    ASSERT_NE(CreateView(view), nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(PostThreadMessageW(htmlThread, WM_HTML_COMMAND, 0, 0));
    // Posted after the wake-ups, so it arrives after them.
    PostMessageW(view.ViewWindow(), htmltest::WM_TEST_MARK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return view.marks == 1; }, 5000));
    EXPECT_EQ(Kinds(view.CallsOn(htmlThread)), (std::vector<std::string>{"create"}));
    EXPECT_EQ(html.QueuedCount(), 0u);

    view.Refresh();
    ASSERT_TRUE(PumpUntil([&] { return view.CallsOn(htmlThread).size() >= 2; }, 5000));
    PumpMessages(100);
    EXPECT_EQ(Kinds(view.CallsOn(htmlThread)), (std::vector<std::string>{"create", "refresh"}));
}

TEST_P(HtmlQueue, ManyThreadsQueueingThousandsLoseNoneAndRunEachOnce) {
    constexpr int kThreads = 4;
    constexpr int kEach = 2500;
    StartHtmlThread();
    ASSERT_NE(CreateView(view), nullptr);
    view.passThrough = false;

    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([this, t] {
            for (int i = 0; i < kEach; ++i)
                view.SetSilent(static_cast<BOOL>(t * 100000 + i));
        });
    }
    for (std::thread& producer : producers)
        producer.join();

    ASSERT_TRUE(PumpUntil([&] { return view.CallsOn(htmlThread).size() >= 1 + kThreads * kEach; }, 60000));
    PumpMessages(200);
    std::vector<ViewCall> calls = view.CallsOn(htmlThread);
    ASSERT_EQ(calls.size(), 1u + kThreads * kEach);
    calls.erase(calls.begin()); // the create
    std::vector<int> next(kThreads, 0);
    for (const ViewCall& call : calls) {
        ASSERT_EQ(call.what, "silent");
        const int t = static_cast<int>(call.value / 100000);
        const int i = static_cast<int>(call.value % 100000);
        ASSERT_LT(t, kThreads);
        // Each producer's commands arrive once each, in the order it queued them.
        ASSERT_EQ(i, next[t]);
        ++next[t];
    }
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(next[t], kEach);
    EXPECT_EQ(html.QueuedCount(), 0u);
}

TEST(HtmlManager, IsTheProcessWideManagerWhileItLives) {
    {
        CHtmlAppManager manager;
        EXPECT_EQ(g_htmlAppManager, &manager);
        EXPECT_FALSE(manager.IsHtmlThread());
        // Without a thread there is nothing to wait for.
        EXPECT_TRUE(manager.WaitForThreadEnd(0));
    }
    EXPECT_EQ(g_htmlAppManager, nullptr);
}

TEST(HtmlManager, AQuitRequestedBeforeTheThreadRegisteredEndsItAtOnce) {
    CHtmlAppManager manager;
    EXPECT_TRUE(manager.PostQuit());
    ASSERT_TRUE(manager.StartThread());
    EXPECT_TRUE(manager.WaitForThreadEnd(CHtmlAppManager::kThreadEndTimeoutMs));
}

TEST(HtmlManager, DestroyingTheManagerEndsItsThread) {
    auto manager = std::make_unique<CHtmlAppManager>();
    ASSERT_TRUE(manager->StartThread());
    ASSERT_TRUE(PumpUntil([&] { return htmltest::RegisteredThreadOf(manager.get()) != 0; }, 5000));
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, htmltest::RegisteredThreadOf(manager.get()));
    ASSERT_NE(thread, nullptr);
    manager.reset();
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    CloseHandle(thread);
}

INSTANTIATE_TEST_SUITE_P(Control, HtmlQueue,
                         ::testing::Values(testsupport::BrowserControl::Wine,
                                           testsupport::BrowserControl::StandIn),
                         htmltest::ControlName);

} // namespace
