#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "report/AdapterMacText.h"
#include "report/HttpPostForm.h"
#include "report/TextCut.h"
#include "report/UnixTime.h"
#include "report/UsageReports.h"
#include "support/LoopbackHttpServer.h"

using testsupport::LoopbackHttpServer;

namespace {

FILETIME FileTimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = ms;
    FILETIME fileTime{};
    SystemTimeToFileTime(&time, &fileTime);
    return fileTime;
}

std::string Narrow(const wchar_t* text) {
    return std::string(text, text + wcslen(text));
}

TEST(UnixTime, CountsWholeSecondsSince1970) {
    EXPECT_EQ(UnixTimeFromFileTime(FileTimeOf(1970, 1, 1, 0, 0, 0, 0)), 0u);
    EXPECT_EQ(UnixTimeFromFileTime(FileTimeOf(2024, 1, 1, 0, 0, 0, 0)), 1704067200u);
    EXPECT_EQ(UnixTimeFromFileTime(FileTimeOf(2024, 1, 1, 0, 0, 0, 500)), 1704067200u);
    EXPECT_EQ(UnixTimeFromFileTime(FileTimeOf(2024, 1, 1, 0, 0, 0, 999)), 1704067200u);
    EXPECT_EQ(UnixTimeFromFileTime(FileTimeOf(2107, 1, 1, 0, 0, 1, 0)), 4323283201u) << "past 32 bits";
    EXPECT_EQ(UnixTimeFromFileTime(FileTimeOf(1969, 12, 31, 23, 59, 59, 0)), 0u) << "earlier times give 0";
    const unsigned long long before = static_cast<unsigned long long>(std::time(nullptr));
    const unsigned long long now = GetUnixTimeUtc();
    const unsigned long long after = static_cast<unsigned long long>(std::time(nullptr));
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
}

TEST(ReportEndpoints, ComeFromTheHostSettings) {
    EXPECT_EQ(std::string(STATISTICS_URL), "http://" + Narrow(CORVANE_STAT_HOST));
    EXPECT_EQ(std::wstring(HOME_PAGE_URL), std::wstring(L"http://") + CORVANE_GAME_HOST + L"/wd1/index.html");
    EXPECT_EQ(GAME_ID, 40);
}

TEST(ReportBodies, InstallAndCloseAreExact) {
    char body[REPORT_BUFFER_SIZE];
    EXPECT_TRUE(
        FormatInstallReport(body, sizeof(body), 1700000000, "00:1A:2B:3C:4D:5E#00:50:56:C0:00:08", 12, 3));
    EXPECT_STREQ(body, "game_id=40&action=install&install_time=1700000000"
                       "&uuid=00:1A:2B:3C:4D:5E#00:50:56:C0:00:08&agent_id=12&site_id=3");
    EXPECT_TRUE(FormatCloseReport(body, sizeof(body), 1700000001, "00:1A:2B:3C:4D:5E", 12, 3, "player01"));
    EXPECT_STREQ(body, "game_id=40&action=close&logout_time=1700000001&uuid=00:1A:2B:3C:4D:5E"
                       "&agent_id=12&site_id=3&user_name=player01");
}

TEST(ReportBodies, FieldsAreNotEncoded) {
    char body[REPORT_BUFFER_SIZE];
    EXPECT_TRUE(FormatCloseReport(body, sizeof(body), 18446744073709551615ULL, "", -1, -2147483647 - 1,
                                  "a&b=c d\xE9%"));
    EXPECT_STREQ(body, "game_id=40&action=close&logout_time=18446744073709551615&uuid=&agent_id=-1"
                       "&site_id=-2147483648&user_name=a&b=c d\xE9%");
    EXPECT_TRUE(FormatInstallReport(body, sizeof(body), 0, nullptr, 0, 0));
    EXPECT_STREQ(body, "game_id=40&action=install&install_time=0&uuid=&agent_id=0&site_id=0");
}

TEST(ReportBodies, OverLongInputIsCutAtTheBuffer) {
    std::vector<char> body(REPORT_BUFFER_SIZE + 1, '\x7F');
    const std::string uuid(5000, 'U');
    EXPECT_FALSE(FormatInstallReport(body.data(), REPORT_BUFFER_SIZE, 1, uuid.c_str(), 1, 2));
    EXPECT_EQ(strlen(body.data()), REPORT_BUFFER_SIZE - 1);
    EXPECT_EQ(body[REPORT_BUFFER_SIZE], '\x7F');
    const std::string name(5000, 'n');
    EXPECT_FALSE(FormatCloseReport(body.data(), REPORT_BUFFER_SIZE, 1, "u", 1, 2, name.c_str()));
    EXPECT_EQ(strlen(body.data()), REPORT_BUFFER_SIZE - 1);
    EXPECT_EQ(body[REPORT_BUFFER_SIZE], '\x7F');
}

TEST(ReportBodies, LongestRealisticCloseReportFits) {
    // Identity of 259 characters, the lowest ids, a name of 63 bytes, the largest time.
    char body[REPORT_BUFFER_SIZE];
    const std::string uuid(259, 'F');
    const std::string name(63, 'n');
    EXPECT_TRUE(FormatCloseReport(body, sizeof(body), 18446744073709551615ULL, uuid.c_str(), -2147483647 - 1,
                                  -2147483647 - 1, name.c_str()));
}

TEST(TextCut, DropsHalfCharactersLeftByACut) {
    wchar_t wide[] = L"ab\xD83D";
    DropBrokenTrailingChar(wide);
    EXPECT_STREQ(wide, L"ab");
    wchar_t whole[] = L"ab\xD83D\xDE00";
    DropBrokenTrailingChar(whole);
    EXPECT_STREQ(whole, L"ab\xD83D\xDE00");
    // Code page 936: 0xB0 0xA1 is one character; its trail byte is also a valid lead byte.
    char narrow[] = "a\xB0\xB0\xB0";
    DropBrokenTrailingChar(narrow, 936);
    EXPECT_STREQ(narrow, "a\xB0\xB0");
    char intact[] = "a\xB0\xA1";
    DropBrokenTrailingChar(intact, 936);
    EXPECT_STREQ(intact, "a\xB0\xA1");
}

TEST(HomeUrl, QueryIsExact) {
    wchar_t url[HOME_URL_SIZE];
    EXPECT_TRUE(FormatHomeUrl(url, HOME_URL_SIZE, L"http://game.example/wd1/index.html", L"2024-01-01 10:00",
                              12, 3, 0, L"00:1A:2B:3C:4D:5E#00:50:56:C0:00:08"));
    EXPECT_STREQ(url,
                 L"http://game.example/wd1/index.html?installtime=2024-01-01 10:00&agent_id=12&cplaceid=3"
                 L"&runcount=0&mac=00:1A:2B:3C:4D:5E#00:50:56:C0:00:08&Version=IE:2duvurize"
                 L"&UIVersion=vanterlo");
    EXPECT_TRUE(FormatHomeUrl(url, HOME_URL_SIZE, L"http://h/wd1/index.html", L"", 0, 0, -1, L""));
    EXPECT_STREQ(url, L"http://h/wd1/index.html?installtime=&agent_id=0&cplaceid=0&runcount=-1&mac=&Version="
                      L"IE:2duvurize&UIVersion=vanterlo");
}

TEST(HomeUrl, OverLongAddressIsCutAtWholeCharacters) {
    std::vector<wchar_t> url(HOME_URL_SIZE + 1, L'\x7F');
    // A surrogate pair straddles the last unit of the buffer.
    std::wstring page =
        L"http://" + std::wstring(HOME_URL_SIZE - 9, L'p') + L"\xD83D\xDE00" + std::wstring(3000, L'q');
    EXPECT_FALSE(FormatHomeUrl(url.data(), HOME_URL_SIZE, page.c_str(), L"t", 1, 2, 3, L"m"));
    EXPECT_EQ(wcslen(url.data()), HOME_URL_SIZE - 2);
    EXPECT_EQ(url[HOME_URL_SIZE], L'\x7F');
}

TEST(HomeUrl, BuiltForThisMachine) {
    wchar_t mac[HOME_MAC_SIZE];
    BuildHomeMacText(mac, HOME_MAC_SIZE);
    EXPECT_LE(wcslen(mac), 63u);
    wchar_t expected[HOME_URL_SIZE];
    FormatHomeUrl(expected, HOME_URL_SIZE, HOME_PAGE_URL, L"it", 1, 2, 3, mac);
    wchar_t url[HOME_URL_SIZE];
    EXPECT_TRUE(BuildHomeUrl(url, HOME_URL_SIZE, L"it", 1, 2, 3));
    EXPECT_STREQ(url, expected);
}

class ReportPostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start("127.0.0.1")); }
    std::string PostedBody() {
        EXPECT_TRUE(server.WaitForRequests(1, 5000));
        auto requests = server.Requests();
        if (requests.size() != 1)
            return std::string();
        EXPECT_EQ(requests[0].method, "POST");
        EXPECT_EQ(requests[0].target, "/");
        EXPECT_EQ(requests[0].Header("User-Agent"), "PostData");
        return requests[0].body;
    }
    // The time field of a body, checked to lie within [before, after].
    void ExpectTime(const std::string& text, unsigned long long before, unsigned long long after) {
        const unsigned long long value = std::stoull(text);
        EXPECT_GE(value, before);
        EXPECT_LE(value, after);
        EXPECT_EQ(std::to_string(value), text);
    }
    LoopbackHttpServer server;
};

TEST_F(ReportPostTest, InstallReportReachesTheStatisticsServer) {
    const unsigned long long before = GetUnixTimeUtc();
    SendInstallReport(server.Url().c_str(), 12, 3);
    const unsigned long long after = GetUnixTimeUtc();
    std::smatch match;
    const std::string body = PostedBody();
    ASSERT_TRUE(std::regex_match(body, match,
                                 std::regex("game_id=40&action=install&install_time=([0-9]+)&uuid=(.*)"
                                            "&agent_id=12&site_id=3")))
        << body;
    ExpectTime(match[1], before, after);
    EXPECT_EQ(match[2], GetMachineId());
}

TEST_F(ReportPostTest, CloseReportCarriesTheAnsiUserNameUnescaped) {
    char name[64] = {};
    WideCharToMultiByte(CP_ACP, 0, L"pl\x00E4yer&x=1", -1, name, sizeof(name), nullptr, nullptr);
    const unsigned long long before = GetUnixTimeUtc();
    SendCloseReport(server.Url().c_str(), -5, 0, name);
    const unsigned long long after = GetUnixTimeUtc();
    std::smatch match;
    const std::string body = PostedBody();
    ASSERT_TRUE(std::regex_match(body, match,
                                 std::regex("game_id=40&action=close&logout_time=([0-9]+)&uuid=(.*)"
                                            "&agent_id=-5&site_id=0&user_name=(.*)")))
        << body;
    ExpectTime(match[1], before, after);
    EXPECT_EQ(match[2], GetMachineId());
    EXPECT_EQ(match[3], std::string(name));
}

TEST_F(ReportPostTest, UnreachableServerDropsTheReport) {
    server.Refuse();
    EXPECT_EQ(SendCloseReport(server.Url().c_str(), 1, 2, "x"), 0);
    EXPECT_EQ(SendInstallReport(server.Url().c_str(), 1, 2), 0);
    EXPECT_EQ(server.RequestCount(), 0u);
}

} // namespace
