#include <gtest/gtest.h>

#include "support/LoopbackHttpServer.h"

#include <ws2tcpip.h>
#include <wininet.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using testsupport::HttpPage;
using testsupport::HttpRequestRecord;
using testsupport::LoopbackHttpServer;

namespace {

// Winsock for the test's own raw client.
class WinsockScope {
public:
    WinsockScope() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockScope() { WSACleanup(); }
};

SOCKET Connect(const LoopbackHttpServer& server) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(server.port());
    inet_pton(AF_INET, server.address().c_str(), &remote.sin_addr);
    if (connect(s, reinterpret_cast<sockaddr*>(&remote), sizeof(remote)) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// Sends the text and reads until the server closes; false when the connection failed.
bool Exchange(const LoopbackHttpServer& server, const std::string& request, std::string* response) {
    SOCKET s = Connect(server);
    if (s == INVALID_SOCKET)
        return false;
    send(s, request.data(), static_cast<int>(request.size()), 0);
    char chunk[4096];
    int received;
    while ((received = recv(s, chunk, sizeof(chunk), 0)) > 0)
        response->append(chunk, static_cast<size_t>(received));
    closesocket(s);
    return true;
}

std::string BodyOf(const std::string& response) {
    size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : response.substr(end + 4);
}

class LoopbackServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start()); }
    WinsockScope winsock;
    LoopbackHttpServer server;
};

TEST_F(LoopbackServerTest, RecordsRequestLineHeadersInOrderAndBody) {
    EXPECT_NE(server.port(), 0);
    std::string response;
    ASSERT_TRUE(Exchange(server,
                         "POST /form.php?a=1&b=2 HTTP/1.1\r\nHost: x\r\nX-First: one\r\nx-second:  two \r\n"
                         "Content-Length: 11\r\n\r\nhello=world",
                         &response));
    ASSERT_TRUE(server.WaitForRequests(1, 2000));
    HttpRequestRecord record = server.Requests()[0];
    EXPECT_EQ(record.method, "POST");
    EXPECT_EQ(record.target, "/form.php?a=1&b=2");
    EXPECT_EQ(record.Path(), "/form.php");
    EXPECT_EQ(record.version, "HTTP/1.1");
    ASSERT_EQ(record.headers.size(), 4u);
    EXPECT_EQ(record.headers[1].name, "X-First");
    EXPECT_EQ(record.headers[2].name, "x-second");
    EXPECT_EQ(record.Header("X-SECOND"), "two");
    EXPECT_EQ(record.body, "hello=world");
    EXPECT_EQ(response.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_EQ(BodyOf(response), "OK");
}

TEST_F(LoopbackServerTest, ServesConfiguredPagesThroughWinInetIgnoringTheQuery) {
    server.SetPage("/wd1/index.html", "text/html", "<html>home</html>");
    HINTERNET internet = InternetOpenW(L"test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    ASSERT_NE(internet, nullptr);
    std::wstring url = server.UrlW(L"/wd1/index.html?runcount=3");
    HINTERNET request = InternetOpenUrlW(internet, url.c_str(), nullptr, 0,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    ASSERT_NE(request, nullptr);
    char body[256] = {};
    DWORD read = 0;
    InternetReadFile(request, body, sizeof(body) - 1, &read);
    InternetCloseHandle(request);
    InternetCloseHandle(internet);
    EXPECT_STREQ(body, "<html>home</html>");
    ASSERT_TRUE(server.WaitForRequests(1, 2000));
    EXPECT_EQ(server.Requests()[0].method, "GET");
    EXPECT_EQ(server.Requests()[0].target, "/wd1/index.html?runcount=3");
}

TEST_F(LoopbackServerTest, PageStatusAndExtraHeadersAreSent) {
    HttpPage page;
    page.status = 302;
    page.body = "";
    page.extraHeaders.push_back({"Location", "/elsewhere"});
    server.SetPage("/moved", page);
    std::string response;
    ASSERT_TRUE(Exchange(server, "GET /moved HTTP/1.0\r\n\r\n", &response));
    EXPECT_EQ(response.rfind("HTTP/1.0 302 Found\r\n", 0), 0u);
    EXPECT_NE(response.find("\r\nLocation: /elsewhere\r\n"), std::string::npos);
}

TEST_F(LoopbackServerTest, RefusesWhileToldToAndListensAgainOnTheSamePort) {
    const unsigned short port = server.port();
    server.Refuse();
    EXPECT_EQ(Connect(server), INVALID_SOCKET);
    server.Answer();
    EXPECT_EQ(server.port(), port);
    std::string response;
    ASSERT_TRUE(Exchange(server, "GET / HTTP/1.1\r\n\r\n", &response));
    EXPECT_EQ(BodyOf(response), "OK");
}

TEST_F(LoopbackServerTest, AnswersWithALongBodyOfTheGivenSize) {
    server.AnswerLongBody(5000);
    std::string response;
    ASSERT_TRUE(Exchange(server, "GET / HTTP/1.1\r\n\r\n", &response));
    std::string body = BodyOf(response);
    ASSERT_EQ(body.size(), 5000u);
    EXPECT_EQ(body.substr(0, 3), "ABC");
    EXPECT_EQ(body[26], 'A');
}

TEST_F(LoopbackServerTest, HoldsTheConnectionSilentlyThenCloses) {
    server.Hold(400);
    const DWORD start = GetTickCount();
    std::string response;
    ASSERT_TRUE(Exchange(server, "GET / HTTP/1.1\r\n\r\n", &response));
    EXPECT_TRUE(response.empty());
    EXPECT_GE(GetTickCount() - start, 350u);
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(LoopbackServerTest, StopEndsAHeldConnection) {
    server.Hold(60000);
    SOCKET s = Connect(server);
    ASSERT_NE(s, INVALID_SOCKET);
    send(s, "GET / HTTP/1.1\r\n\r\n", 18, 0);
    ASSERT_TRUE(server.WaitForRequests(1, 2000));
    const DWORD start = GetTickCount();
    server.Stop();
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(server.running());
    closesocket(s);
}

TEST_F(LoopbackServerTest, WritesRecordsAsJsonLines) {
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    std::wstring live = std::wstring(directory) + L"loopback_live.jsonl";
    std::wstring dump = std::wstring(directory) + L"loopback_dump.jsonl";
    DeleteFileW(live.c_str());
    server.SetRecordFile(live);
    std::string response;
    ASSERT_TRUE(Exchange(server, "POST /a HTTP/1.1\r\nContent-Length: 4\r\n\r\n\"\x01\xE9z", &response));
    ASSERT_TRUE(Exchange(server, "GET /b HTTP/1.0\r\n\r\n", &response));
    ASSERT_TRUE(server.WaitForRequests(2, 2000));
    ASSERT_TRUE(server.WriteRecords(dump));
    const std::string expected =
        "{\"method\":\"POST\",\"target\":\"/a\",\"version\":\"HTTP/"
        "1.1\",\"headers\":[[\"Content-Length\",\"4\"]],"
        "\"body\":\"\\\"\\u0001\\u00E9z\"}\n"
        "{\"method\":\"GET\",\"target\":\"/b\",\"version\":\"HTTP/1.0\",\"headers\":[],\"body\":\"\"}\n";
    for (const std::wstring& path : {live, dump}) {
        std::ifstream file(path.c_str(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        EXPECT_EQ(text.str(), expected);
        file.close();
        DeleteFileW(path.c_str());
    }
}

TEST(LoopbackServer, SeveralHostsOnDistinctLoopbackAddresses) {
    WinsockScope winsock;
    LoopbackHttpServer first, second;
    ASSERT_TRUE(first.Start("127.0.0.2"));
    ASSERT_TRUE(second.Start("127.0.0.3", first.port()));
    EXPECT_EQ(second.port(), first.port());
    EXPECT_EQ(second.Url("/x"), "http://127.0.0.3:" + std::to_string(first.port()) + "/x");
    std::string response;
    ASSERT_TRUE(Exchange(second, "GET /x HTTP/1.1\r\n\r\n", &response));
    EXPECT_EQ(first.RequestCount(), 0u);
    EXPECT_TRUE(second.WaitForRequests(1, 2000));
}

} // namespace
