#include <gtest/gtest.h>

#include <strsafe.h>

#include <cstring>
#include <string>
#include <vector>

#include "GuardTestSupport.h"
#include "app/gameApp.h"
#include "report/HttpPostForm.h"
#include "report/InlineHook.h"
#include "report/NetworkGuard.h"
#include "report/UnixTime.h"
#include "report/UsageReports.h"

using guardtest::HijackReport;
using guardtest::OpenRequest;
using guardtest::ParseHijackReport;
using testsupport::LoopbackHttpServer;

namespace {

const wchar_t kHomeUrl[] = L"http://127.0.0.1:28080/wd1/index.html?installtime=&agent_id=12&cplaceid=3&runcount=4"
                           L"&mac=00:1A:2B:3C:4D:5E&Version=IE:2duvurize&UIVersion=vanterlo";

uint8_t originalConnect[8];
uint8_t originalOpenRequest[8];

void* WininetExport(const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"WININET.DLL"), name));
}

// The process-wide guard is installed once, as the view does when it is created.
class GuardEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        LoadLibraryW(L"wininet.dll");
        std::memcpy(originalConnect, WininetExport("InternetConnectW"), 8);
        std::memcpy(originalOpenRequest, WininetExport("HttpOpenRequestW"), 8);
        app.uid = 12;
        app.adv = 3;
        StringCchCopyW(app.homeUrl, gameApp::kHomeUrlSize, kHomeUrl);
        theApp = &app;
        view = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        viewWindow = view;
        InitHostWhitelist();
        InstallNetworkHooks();
    }
    gameApp app;
    HWND view = nullptr;
};
GuardEnvironment* environment =
    static_cast<GuardEnvironment*>(::testing::AddGlobalTestEnvironment(new GuardEnvironment));

int TakeReloads() {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, environment->view, WM_HTML_RELOAD, WM_HTML_RELOAD, PM_REMOVE)) {
        EXPECT_EQ(msg.wParam, RELOAD_HOME_CODE);
        EXPECT_EQ(msg.lParam, 0);
        ++count;
    }
    return count;
}

NetworkGuardState State() {
    NetworkGuardState state;
    GetNetworkGuardState(&state);
    return state;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class GuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(stats.Start(guardtest::StatisticsAddress().c_str(), guardtest::StatisticsPort()));
        TakeReloads();
    }
    // Hijack reports received since the test began.
    std::vector<HijackReport> Reports() {
        std::vector<HijackReport> reports;
        for (const auto& request : stats.Requests()) {
            EXPECT_EQ(request.method, "POST");
            EXPECT_EQ(request.target, "/domainInfo.php");
            HijackReport report;
            EXPECT_TRUE(ParseHijackReport(request.body, &report)) << request.body;
            reports.push_back(report);
        }
        return reports;
    }
    LoopbackHttpServer stats;
};

TEST(IsDottedQuad, Table) {
    struct Case {
        const char* text;
        bool expected;
    } cases[] = {
        {"1.2.3.4", true},       {"127.0.0.1", true},    {"  10.0.0.1  ", true},   {"255.255.255.255", true},
        {"0.0.0.0", true},       {"00.0.0.0", true},     {"01.2.3.4", false},      {"256.1.1.1", false},
        {"1.2.3", false},        {"1.2.3.4.5", false},   {"1..2.3", false},        {"", false},
        {"   ", false},          {".1.2.3", false},      {"1.2.3.", false},        {"1.2.3.4a", false},
        {"1.2. 3.4", false},     {"a.b.c.d", false},     {"1.2.3.-4", false},      {"99999999999.1.1.1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsDottedQuad(c.text), c.expected) << '"' << c.text << '"';
    std::string hundred(100, '1');
    EXPECT_FALSE(IsDottedQuad(hundred.c_str()));
    std::string ninetyNine = "1.2.3." + std::string(93, '0');
    EXPECT_EQ(ninetyNine.size(), 99u);
    EXPECT_TRUE(IsDottedQuad(ninetyNine.c_str()));
    std::string padded = "  " + ninetyNine + "   ";
    EXPECT_TRUE(IsDottedQuad(padded.c_str()));
    EXPECT_FALSE(IsDottedQuad(nullptr));
}

TEST(HijackReportEndpoint, IsTheStatisticsHostsDomainInfoPage) {
    EXPECT_EQ(std::string(HIJACK_REPORT_URL), "http://" + std::string(CORVANE_STAT_HOST_A) + "/domainInfo.php");
}

TEST(PrologueDecoder, KnownEntriesAreCoveredAndBranchesRefused) {
    struct Case {
        std::vector<uint8_t> code;
        int expected;
    } cases[] = {
        {{0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x10}, 5},             // Windows: mov edi,edi; push ebp; mov ebp,esp
        {{0x8D, 0x4C, 0x24, 0x04, 0x83, 0xE4, 0xF0, 0xFF, 0x71, 0xFC}, 7}, // Wine: lea ecx,[esp+4]; and esp,-16
        {{0x55, 0x89, 0xE5, 0x57, 0x56, 0x53, 0x83, 0xEC, 0x2C}, 5},       // push ebp; mov ebp,esp; push; push
        {{0x6A, 0x10, 0x68, 0x11, 0x22, 0x33, 0x44}, 7},                   // push imm8; push imm32
        {{0xE9, 0x00, 0x00, 0x00, 0x00}, 0},                               // already a jump
        {{0x55, 0xE8, 0x00, 0x00, 0x00, 0x00}, 0},                         // call rel32 inside the range
        {{0x55, 0x74, 0x05, 0x90, 0x90, 0x90}, 0},                         // jz rel8
        {{0x55, 0xFF, 0x25, 0x00, 0x10, 0x00, 0x00}, 0},                   // jmp [abs]
        {{0x0F, 0x84, 0x00, 0x00, 0x00, 0x00}, 0},                         // jz rel32
        {{0xCC, 0x90, 0x90, 0x90, 0x90}, 0},                               // unknown
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> code = c.code;
        code.resize(32, 0xCC);
        EXPECT_EQ(CoveringPrologueLength(code.data(), 5), c.expected) << "first byte " << int(c.code[0]);
    }
}

// A function of our own to patch: its entry is what the compiler makes of it.
__attribute__((noinline)) int __stdcall Doubler(int value) {
    volatile int result = value * 2;
    return result;
}
InlineHook doublerHook;
__attribute__((noinline)) int __stdcall TriplerThenOriginal(int value) {
    auto original = reinterpret_cast<int(__stdcall*)(int)>(doublerHook.trampoline);
    return original(value) + value;
}

TEST(InlineHookTest, PatchedCallsReachTheReplacementWhichReachesTheOriginal) {
    doublerHook.target = reinterpret_cast<void*>(&Doubler);
    doublerHook.replacement = reinterpret_cast<void*>(&TriplerThenOriginal);
    uint8_t before[8];
    std::memcpy(before, doublerHook.target, 8);
    ASSERT_TRUE(doublerHook.Prepare());
    ASSERT_TRUE(doublerHook.InstallHook());
    EXPECT_TRUE(doublerHook.IsInstalled());
    auto volatile call = &Doubler;
    EXPECT_EQ(call(5), 15);
    // The three bytes after the jump are carried unchanged.
    EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(doublerHook.target) + 5, before + 5, 3), 0);
    ASSERT_TRUE(doublerHook.Restore());
    EXPECT_FALSE(doublerHook.IsInstalled());
    EXPECT_EQ(std::memcmp(doublerHook.target, before, 8), 0);
    EXPECT_EQ(call(5), 10);
}

TEST_F(GuardTest, BothFunctionsAreWatchedAndTheWhitelistHoldsSevenEntries) {
    NetworkGuardState state = State();
    EXPECT_TRUE(state.openRequestWatched);
    EXPECT_TRUE(state.connectWatched);
    EXPECT_EQ(state.whitelistCount, 7);
    EXPECT_FALSE(state.hooksRemoved);
}

TEST_F(GuardTest, PrefixFollowsThePort) {
    struct Case {
        INTERNET_PORT port;
        const wchar_t* expected;
    } cases[] = {
        {0, L"http://www.corvane.example"},
        {80, L"http://www.corvane.example"},
        {443, L"https://www.corvane.example"},
        {8080, L"http://www.corvane.example:8080"},
        {65535, L"http://www.corvane.example:65535"},
    };
    for (const Case& c : cases) {
        OpenRequest(L"www.corvane.example", c.port, L"/a.js");
        NetworkGuardState state = State();
        EXPECT_STREQ(state.urlPrefix, c.expected);
        EXPECT_EQ(std::string(state.hostText), Narrow(c.expected));
        EXPECT_EQ(std::wstring(state.requestUrl), std::wstring(c.expected) + L"/a.js");
    }
    EXPECT_EQ(stats.RequestCount(), 0u);
}

TEST_F(GuardTest, WhitelistIsAPlainCaseSensitiveSubstringTest) {
    OpenRequest(L"www.corvane.example", 80, L"/index.html");
    OpenRequest(L"static.cvcdn.example", 443, L"/lib.js");
    OpenRequest(L"cvn.example.elsewhere.test", 80, L"/x.js");
    EXPECT_EQ(stats.RequestCount(), 0u);

    OpenRequest(L"WWW.CORVANE.EXAMPLE", 80, L"/upper.js");
    ASSERT_TRUE(stats.WaitForRequests(1, 5000));
    auto reports = Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].hijackUrl, "http://WWW.CORVANE.EXAMPLE/upper.js");
    // A named host is reported but never reloads.
    EXPECT_EQ(TakeReloads(), 0);
    EXPECT_EQ(State().reloadCount, 0);
}

TEST_F(GuardTest, ForeignNamedHostIsReportedWithoutReload) {
    OpenRequest(L"ads.elsewhere.test", 8081, L"/banner.png?x=1");
    auto reports = Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].hijackUrl, "http://ads.elsewhere.test:8081/banner.png?x=1");
    EXPECT_EQ(TakeReloads(), 0);
}

TEST_F(GuardTest, ForeignDottedQuadIsReportedEveryTimeAndReloadsTwice) {
    const int expectedReloads[] = {1, 1, 0};
    for (int round = 0; round < 3; ++round) {
        SYSTEMTIME before;
        GetSystemTime(&before);
        OpenRequest(L"127.0.0.2", 80, L"/x.js");
        auto reports = Reports();
        ASSERT_EQ(reports.size(), size_t(round + 1));
        const HijackReport& report = reports.back();
        EXPECT_EQ(report.gameId, "40");
        EXPECT_EQ(report.agentId, "12");
        EXPECT_EQ(report.siteId, "3");
        EXPECT_EQ(report.type, "0");
        EXPECT_EQ(report.logUrl, Narrow(kHomeUrl));
        EXPECT_EQ(report.hijackUrl, "http://127.0.0.2/x.js");
        unsigned long long now = GetUnixTimeUtc();
        unsigned long long sent = std::stoull(report.time);
        EXPECT_LE(sent, now);
        EXPECT_GE(sent + 5, now);
        EXPECT_EQ(TakeReloads(), expectedReloads[round]) << "round " << round;
    }
    EXPECT_EQ(State().reloadCount, 3);
}

TEST_F(GuardTest, OverlongObjectNameIsNotExamined) {
    OpenRequest(L"other.elsewhere.test", 80, (L"/" + std::wstring(1999, L'o')).c_str());
    EXPECT_EQ(stats.RequestCount(), 0u);
    std::wstring longest = L"/" + std::wstring(1998, L'p');
    OpenRequest(L"other.elsewhere.test", 80, longest.c_str());
    auto reports = Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].hijackUrl, "http://other.elsewhere.test" + Narrow(longest));
}

TEST_F(GuardTest, AReportBodyLongerThanItsBufferIsCutAtIt) {
    const std::string logUrl(2047, 'l'), hijackUrl(2047, 'h');
    SendHijackReport(logUrl.c_str(), hijackUrl.c_str());
    ASSERT_EQ(stats.RequestCount(), 1u);
    const std::string body = stats.Requests()[0].body;
    EXPECT_EQ(body.size(), size_t(kReportBufferSize - 1));
    EXPECT_EQ(body.rfind("time=", 0), 0u);
    EXPECT_NE(body.find("&type=0&hijack_url=hhh"), std::string::npos);
    EXPECT_EQ(body.back(), 'h');
}

TEST_F(GuardTest, OverlongServerNameKeepsThePreviousPrefix) {
    OpenRequest(L"kept.elsewhere.test", 80, L"/first");
    std::wstring longName(296, L'h');
    longName += L".net"; // 300 characters
    OpenRequest(longName.c_str(), 80, L"/second");
    auto reports = Reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].hijackUrl, "http://kept.elsewhere.test/second");
    // 299 characters are still taken.
    longName.erase(0, 1);
    OpenRequest(longName.c_str(), 80, L"/third");
    reports = Reports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[2].hijackUrl, "http://" + Narrow(longName) + "/third");
}

TEST_F(GuardTest, TheShellsOwnPostIsNeverTakenForAPageRequest) {
    char body[512] = "game_id=40&action=close";
    std::string url = "http://" + stats.HostPort() + "/";
    HttpPostForm(url.c_str(), body, sizeof(body));
    ASSERT_EQ(stats.RequestCount(), 1u);
    EXPECT_EQ(stats.Requests()[0].target, "/");
    Sleep(200);
    EXPECT_EQ(stats.RequestCount(), 1u);
}

TEST_F(GuardTest, FailuresOfTheWatchedFunctionsKeepTheirErrorCode) {
    SetLastError(0);
    HINTERNET connection = InternetConnectW(nullptr, L"kept.elsewhere.test", 80, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    EXPECT_EQ(connection, nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

// Runs last: removal is for good.
TEST_F(GuardTest, ZZ_AfterRemovalNothingIsSeenAndTheEntriesAreOriginal) {
    RemoveNetworkHooks();
    NetworkGuardState state = State();
    EXPECT_TRUE(state.hooksRemoved);
    EXPECT_FALSE(state.openRequestWatched);
    EXPECT_FALSE(state.connectWatched);
    EXPECT_EQ(std::memcmp(WininetExport("InternetConnectW"), originalConnect, 8), 0);
    EXPECT_EQ(std::memcmp(WininetExport("HttpOpenRequestW"), originalOpenRequest, 8), 0);

    OpenRequest(L"127.0.0.2", 80, L"/after-removal.js");
    OpenRequest(L"named.elsewhere.test", 80, L"/after-removal.js");
    EXPECT_EQ(stats.RequestCount(), 0u);
    EXPECT_EQ(TakeReloads(), 0);
    EXPECT_STRNE(State().requestUrl, L"http://named.elsewhere.test/after-removal.js");

    // Neither a second removal nor a second installation changes anything.
    RemoveNetworkHooks();
    InstallNetworkHooks();
    EXPECT_EQ(std::memcmp(WininetExport("InternetConnectW"), originalConnect, 8), 0);
    EXPECT_EQ(std::memcmp(WininetExport("HttpOpenRequestW"), originalOpenRequest, 8), 0);
}

} // namespace
