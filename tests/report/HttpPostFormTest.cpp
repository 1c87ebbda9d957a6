#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "report/HttpPostForm.h"
#include "support/LoopbackHttpServer.h"

using testsupport::HttpRequestRecord;
using testsupport::LoopbackHttpServer;

namespace {

constexpr char kSentinel = 0x5A;

// A form buffer of the given capacity with one guard byte behind it.
struct FormBuffer {
    explicit FormBuffer(int capacity, const std::string& body = "a=1&b=two")
        : bytes(static_cast<size_t>(capacity) + 1, kSentinel) {
        std::fill(bytes.begin(), bytes.end() - 1, '\x11');
        std::copy(body.begin(), body.end(), bytes.begin());
        bytes[body.size()] = '\0';
    }
    char* data() { return bytes.data(); }
    int capacity() const { return static_cast<int>(bytes.size()) - 1; }
    char guard() const { return bytes.back(); }
    bool ZeroFrom(size_t offset) const {
        return std::all_of(bytes.begin() + offset, bytes.end() - 1, [](char c) { return c == 0; });
    }
    std::vector<char> bytes;
};

class HttpPostFormTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start("127.0.0.1")); }
    int Post(const std::string& url, FormBuffer& form) {
        return HttpPostForm(url.c_str(), form.data(), form.capacity());
    }
    HttpRequestRecord OnlyRequest() {
        EXPECT_TRUE(server.WaitForRequests(1, 5000));
        std::vector<HttpRequestRecord> requests = server.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? HttpRequestRecord() : requests[0];
    }
    LoopbackHttpServer server;
};

TEST_F(HttpPostFormTest, SendsThePostWithItsHeadersAndBody) {
    FormBuffer form(512, "game_id=40&action=close&user_name=a&b=c");
    EXPECT_EQ(Post(server.Url("/domainInfo.php?x=1&y=2"), form), 2);
    HttpRequestRecord request = OnlyRequest();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/domainInfo.php?x=1&y=2");
    EXPECT_EQ(request.Header("User-Agent"), "PostData");
    EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.Header("Accept"), "*/*");
    EXPECT_EQ(request.Header("Content-Length"), "39");
    EXPECT_EQ(request.Header("Host"), server.HostPort());
    EXPECT_EQ(request.body, "game_id=40&action=close&user_name=a&b=c");
    int contentTypes = 0;
    for (const auto& header : request.headers)
        contentTypes += _stricmp(header.name.c_str(), "Content-Type") == 0;
    EXPECT_EQ(contentTypes, 1) << "the content type given twice is sent once";
}

TEST_F(HttpPostFormTest, ReplyIsReadIntoTheZeroFilledBuffer) {
    FormBuffer form(512);
    EXPECT_EQ(Post(server.Url("/"), form), 2);
    EXPECT_EQ(std::string(form.data(), 2), "OK");
    EXPECT_TRUE(form.ZeroFrom(2));
    EXPECT_EQ(form.guard(), kSentinel);
}

TEST_F(HttpPostFormTest, UrlWithoutPathPostsToTheRoot) {
    FormBuffer form(512);
    Post(server.Url(), form);
    EXPECT_EQ(OnlyRequest().target, "/");
}

TEST(HttpPostFormPort, UrlWithoutPortUsesPort80) {
    LoopbackHttpServer server;
    if (!server.Start("127.0.0.47", 80))
        GTEST_SKIP() << "port 80 of 127.0.0.47 is not available here";
    FormBuffer form(512);
    EXPECT_EQ(HttpPostForm("http://127.0.0.47", form.data(), form.capacity()), 2);
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    EXPECT_EQ(server.Requests()[0].target, "/");
}

TEST_F(HttpPostFormTest, ExplicitPortIsUsed) {
    LoopbackHttpServer other;
    ASSERT_TRUE(other.Start("127.0.0.2"));
    FormBuffer form(512);
    EXPECT_EQ(Post("http://127.0.0.2:" + std::to_string(other.port()) + "/domainInfo.php", form), 2);
    ASSERT_TRUE(other.WaitForRequests(1, 5000));
    EXPECT_EQ(other.Requests()[0].target, "/domainInfo.php");
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(HttpPostFormTest, ReplyLongerThanTheCapacityIsCutWithoutTerminator) {
    for (int capacity : {512, 3000}) {
        server.AnswerLongBody(5000);
        FormBuffer form(capacity);
        EXPECT_EQ(Post(server.Url("/"), form), capacity);
        for (int i = 0; i < capacity; ++i)
            ASSERT_EQ(form.data()[i], 'A' + i % 26) << "at " << i;
        EXPECT_EQ(form.guard(), kSentinel);
    }
}

TEST_F(HttpPostFormTest, RefusedConnectionReturnsZeroPromptlyWithTheBufferZeroFilled) {
    server.Refuse();
    FormBuffer form(512);
    const DWORD start = GetTickCount();
    EXPECT_EQ(Post(server.Url("/"), form), 0);
    const DWORD elapsed = GetTickCount() - start;
    printf("refused post returned after %lu ms\n", elapsed);
    EXPECT_LT(elapsed, HTTP_POST_TIMEOUT_MS);
    EXPECT_TRUE(form.ZeroFrom(0));
    EXPECT_EQ(form.guard(), kSentinel);
}

TEST_F(HttpPostFormTest, UnresolvableHostReturnsZero) {
    FormBuffer form(512);
    const DWORD start = GetTickCount();
    EXPECT_EQ(HttpPostForm("http://no-such-host.invalid/x", form.data(), form.capacity()), 0);
    printf("unresolvable host returned after %lu ms\n", GetTickCount() - start);
    EXPECT_TRUE(form.ZeroFrom(0));
}

TEST_F(HttpPostFormTest, UrlsThatCannotBeUsedReturnZeroWithoutConnecting) {
    const std::string longHost(64, 'h');
    for (const std::string& url : {std::string("not a url"), std::string(""), "http://" + longHost + "/x"}) {
        FormBuffer form(512, "kept");
        EXPECT_EQ(Post(url, form), 0) << url;
        EXPECT_STREQ(form.data(), "kept") << "nothing was opened, so the body stays";
    }
    EXPECT_EQ(server.ConnectionCount(), 0u);
    FormBuffer form(512);
    EXPECT_EQ(HttpPostForm(nullptr, form.data(), 512), 0);
    EXPECT_EQ(HttpPostForm(server.Url().c_str(), nullptr, 512), 0);
    EXPECT_EQ(HttpPostForm(server.Url().c_str(), form.data(), 0), 0);
}

TEST_F(HttpPostFormTest, BodyWithoutTerminatorIsSentUpToTheCapacityOnly) {
    FormBuffer form(16);
    std::fill(form.bytes.begin(), form.bytes.end() - 1, 'q');
    Post(server.Url("/"), form);
    EXPECT_EQ(OnlyRequest().body, std::string(16, 'q'));
}

// The one slow case: a server that accepts and never answers.
TEST_F(HttpPostFormTest, SilentServerReleasesThePostAfterTheTimeOut) {
    server.Hold(60000);
    FormBuffer form(512);
    const DWORD start = GetTickCount();
    EXPECT_EQ(Post(server.Url("/"), form), 0);
    const DWORD elapsed = GetTickCount() - start;
    printf("silent server: post released after %lu ms (time-out %lu ms)\n", elapsed, HTTP_POST_TIMEOUT_MS);
    EXPECT_LT(elapsed, 6 * HTTP_POST_TIMEOUT_MS);
    EXPECT_EQ(server.RequestCount(), 1u);
    EXPECT_TRUE(form.ZeroFrom(0));
}

TEST_F(HttpPostFormTest, SeveralThreadsMayPostAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> results(4, -1);
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            FormBuffer form(512, "n=" + std::to_string(i));
            results[i] = Post(server.Url("/"), form);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(results, std::vector<int>(4, 2));
    EXPECT_EQ(server.RequestCount(), 4u);
}

TEST(HttpPostFlag, SetOnlyInsideThePostOnTheCallingThread) {
    EXPECT_FALSE(IsInsideHttpPostForm());
    {
        HttpPostScope outer;
        EXPECT_TRUE(IsInsideHttpPostForm());
        {
            HttpPostScope inner;
            EXPECT_TRUE(IsInsideHttpPostForm());
        }
        EXPECT_TRUE(IsInsideHttpPostForm());
        bool otherThread = true;
        std::thread([&] { otherThread = IsInsideHttpPostForm(); }).join();
        EXPECT_FALSE(otherThread);
    }
    EXPECT_FALSE(IsInsideHttpPostForm());
    char body[16] = "x=1";
    HttpPostForm("http://127.0.0.1:1/", body, sizeof(body));
    EXPECT_FALSE(IsInsideHttpPostForm());
}

TEST(CrackPostUrl, SplitsHostPortAndTarget) {
    HttpPostTarget target;
    ASSERT_TRUE(CrackPostUrl("http://stat.example:8080/domainInfo.php?a=1&b=2", target));
    EXPECT_STREQ(target.host, "stat.example");
    EXPECT_EQ(target.port, 8080);
    EXPECT_STREQ(target.object, "/domainInfo.php?a=1&b=2");
    ASSERT_TRUE(CrackPostUrl("http://stat.example", target));
    EXPECT_EQ(target.port, 80);
    EXPECT_STREQ(target.object, "");
    const std::string host63(63, 'h');
    ASSERT_TRUE(CrackPostUrl(("http://" + host63 + "/").c_str(), target));
    EXPECT_EQ(std::string(target.host), host63);
    EXPECT_FALSE(CrackPostUrl(("http://" + host63 + "h/").c_str(), target));
    EXPECT_FALSE(CrackPostUrl(("http://" + std::string(3000, 'h') + "/").c_str(), target));
}

} // namespace
