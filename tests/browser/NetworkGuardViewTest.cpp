// The network guard end to end: the view installs it, the browser's own requests are watched, and
// the first resize after the game has started removes it. Each control runs in a process of its own,
// since the guard is installed once per process.
#include <gtest/gtest.h>

#include <strsafe.h>

#include <string>

#include "HtmlTestSupport.h"
#include "app/gameApp.h"
#include "report/NetworkGuard.h"
#include "support/LoopbackHttpServer.h"
#include "../report/GuardTestSupport.h"

using testsupport::BrowserControl;
using testsupport::LoopbackHttpServer;
using testsupport::PumpMessages;
using testsupport::PumpUntil;

namespace {

constexpr BrowserControl kControl = BrowserControl::GUARD_TEST_CONTROL;

class GuardedView : public htmltest::HtmlThreadTest {
protected:
    GuardedView() : HtmlThreadTest(kControl) {
        EXPECT_TRUE(site.Start("127.0.0.1"));
        EXPECT_TRUE(foreign.Start("127.0.0.2"));
        EXPECT_TRUE(stats.Start(guardtest::StatisticsAddress().c_str(), guardtest::StatisticsPort()));
        foreign.SetPage("/x.js", "application/javascript", "var x = 1;");
        foreign.SetPage("/page.html", "text/html", "<html><title>Elsewhere</title></html>");
        site.SetPage("/wd1/index.html", "text/html",
                     "<html><head><title>Home</title><script src=\"" + foreign.Url("/x.js") +
                         "\"></script></head><body>Home</body></html>");
        home = site.UrlW(L"/wd1/index.html?runcount=3");
        StringCchCopyW(app.homeUrl, gameApp::kHomeUrlSize, home.c_str());
        theApp = &app;
    }
    ~GuardedView() override {
        EXPECT_TRUE(StopHtmlThread());
        theApp = nullptr;
    }

    size_t HomeLoads() {
        size_t loads = 0;
        for (const auto& request : site.Requests())
            loads += request.Path() == "/wd1/index.html";
        return loads;
    }
    std::vector<guardtest::HijackReport> Reports() {
        std::vector<guardtest::HijackReport> reports;
        for (const auto& request : stats.Requests()) {
            guardtest::HijackReport report;
            EXPECT_EQ(request.target, "/domainInfo.php");
            EXPECT_TRUE(guardtest::ParseHijackReport(request.body, &report)) << request.body;
            reports.push_back(report);
        }
        return reports;
    }

    gameApp app;
    LoopbackHttpServer site, foreign, stats;
    std::wstring home;
};

TEST_F(GuardedView, AForeignDottedQuadRequestIsReportedAndReloadsTheHomePage) {
    NetworkGuardState state;
    GetNetworkGuardState(&state);
    EXPECT_FALSE(state.connectWatched);
    StartHtmlThread();
    ASSERT_NE(CreateView(view), nullptr);
    // The view's creation installed the guard.
    GetNetworkGuardState(&state);
    EXPECT_TRUE(state.connectWatched);
    EXPECT_TRUE(state.openRequestWatched);
    EXPECT_EQ(viewWindow.load(), view.ViewWindow());

    std::string expectedUrl;
    if (kControl == BrowserControl::StandIn) {
        // The home page loads a script from the foreign host.
        view.Navigate(home.c_str(), navNoHistory);
        expectedUrl = foreign.Url("/x.js");
    } else {
        // Wine's control loads no page, but fetches the address it is sent to.
        const std::wstring elsewhere = foreign.UrlW(L"/page.html");
        view.Navigate(elsewhere.c_str(), navNoHistory);
        expectedUrl = foreign.Url("/page.html");
    }
    ASSERT_TRUE(PumpUntil([&] { return stats.RequestCount() >= 1; }, 10000));
    auto reports = Reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports[0].hijackUrl, expectedUrl);
    EXPECT_EQ(reports[0].type, "0");
    EXPECT_EQ(reports[0].logUrl, std::string(home.begin(), home.end()));

    // The reload brings the home page again.
    const size_t loadsBefore = kControl == BrowserControl::StandIn ? 1 : 0;
    EXPECT_TRUE(PumpUntil([&] { return HomeLoads() >= loadsBefore + 1; }, 10000));
    if (kControl == BrowserControl::StandIn) {
        // Every load of the home page fetches the script again: reported each time, reloaded twice.
        EXPECT_TRUE(PumpUntil([&] { return stats.RequestCount() >= 3; }, 15000));
        PumpMessages(1000);
        EXPECT_EQ(stats.RequestCount(), 3u);
        EXPECT_EQ(HomeLoads(), 3u);
    }
}

// Runs second: the removal is for the rest of the process.
TEST_F(GuardedView, TheFirstResizeInGameRemovesTheGuardForGood) {
    NetworkGuardState state;
    StartHtmlThread();
    const HWND window = CreateView(view);
    ASSERT_NE(window, nullptr);
    GetNetworkGuardState(&state);
    EXPECT_TRUE(state.connectWatched);
    EXPECT_TRUE(state.openRequestWatched);
    EXPECT_EQ(viewWindow.load(), window);

    // Before the game a resize changes nothing.
    MoveWindow(window, 0, 0, 500, 300, TRUE);
    GetNetworkGuardState(&state);
    EXPECT_FALSE(state.hooksRemoved);

    view.inGame = true;
    MoveWindow(window, 0, 25, 640, 455, TRUE);
    GetNetworkGuardState(&state);
    EXPECT_TRUE(state.hooksRemoved);
    EXPECT_FALSE(state.connectWatched);
    EXPECT_FALSE(state.openRequestWatched);

    // The browser's requests are no longer seen.
    const std::wstring elsewhere = foreign.UrlW(L"/page.html");
    view.Navigate(elsewhere.c_str(), navNoHistory);
    EXPECT_TRUE(PumpUntil([&] { return foreign.RequestCount() >= 1; }, 10000));
    PumpMessages(300);
    EXPECT_EQ(stats.RequestCount(), 0u);
}

} // namespace
