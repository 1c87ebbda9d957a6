#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "GuardTestSupport.h"
#include "app/gameApp.h"
#include "report/NetworkGuard.h"

using guardtest::HijackReport;
using guardtest::OpenRequest;
using guardtest::ParseHijackReport;
using testsupport::LoopbackHttpServer;

namespace {

// Eight threads make requests through both watched functions while another thread removes the
// hooks. Nothing may crash, every report must be whole, and no call that starts after the removal
// has returned may be watched.
TEST(NetworkGuardStress, ConcurrentCallsAndRemoval) {
    LoadLibraryW(L"wininet.dll");
    gameApp app;
    app.uid = 7;
    theApp = &app;
    LoopbackHttpServer stats;
    ASSERT_TRUE(stats.Start(guardtest::StatisticsAddress().c_str(), guardtest::StatisticsPort()));
    InitHostWhitelist();
    InstallNetworkHooks();

    std::atomic<bool> removed{false};
    std::atomic<bool> stop{false};
    std::atomic<int> calls{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 8; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; !stop; ++i) {
                // Calls that begin after the removal carry a mark of their own.
                const bool after = removed;
                std::wstring object = (after ? L"/after-" : L"/before-") + std::to_wstring(t) + L"-" +
                                      std::to_wstring(i);
                if (i % 3 == 0)
                    OpenRequest(L"www.corvane.example", 80, object.c_str());
                else
                    OpenRequest(L"foreign.elsewhere.test", 8000 + t, object.c_str());
                ++calls;
            }
        });
    }
    Sleep(700);
    RemoveNetworkHooks();
    removed = true;
    Sleep(500);
    stop = true;
    for (auto& worker : workers)
        worker.join();

    EXPECT_GT(calls.load(), 8);
    auto requests = stats.Requests();
    EXPECT_FALSE(requests.empty());
    for (const auto& request : requests) {
        HijackReport report;
        ASSERT_TRUE(ParseHijackReport(request.body, &report)) << request.body;
        EXPECT_EQ(report.agentId, "7");
        EXPECT_EQ(report.hijackUrl.rfind("http://foreign.elsewhere.test:80", 0), 0u) << report.hijackUrl;
        EXPECT_EQ(report.hijackUrl.find("/after-"), std::string::npos) << report.hijackUrl;
    }
}

} // namespace
