#include <gtest/gtest.h>

#include <string>

#include "app/gameApp.h"
#include "frame/CFrameGame.h"
#include "frame/FrameCommands.h"
#include "support/TestSupport.h"

namespace {

class KeyFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.gameWindow = &frame;
        frame.hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(frame.hwnd, nullptr);
    }
    void TearDown() override {
        DestroyWindow(frame.hwnd);
        frame.hwnd = nullptr;
    }

    // Feeds one key message through the filter; returns the frame commands it posted.
    std::vector<WPARAM> Filter(UINT message, WPARAM key) {
        MSG msg = {};
        msg.message = message;
        msg.wParam = key;
        EXPECT_FALSE(app.PreTranslateMessage(&msg));
        std::vector<WPARAM> posted;
        MSG queued;
        while (PeekMessageW(&queued, frame.hwnd, WM_FRAME_COMMAND, WM_FRAME_COMMAND, PM_REMOVE)) {
            EXPECT_EQ(queued.lParam, 0);
            posted.push_back(queued.wParam);
        }
        return posted;
    }

    gameApp app;
    CFrameGame frame;
};

TEST_F(KeyFilterTest, PostsNothingBeforeGameMode) {
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_ESCAPE).empty());
    EXPECT_TRUE(Filter(WM_SYSKEYDOWN, VK_F10).empty());
}

TEST_F(KeyFilterTest, InGameModeEscAndF10PostTheirCommands) {
    frame.gameMode = true;
    struct Case {
        UINT message;
        WPARAM key;
        std::vector<WPARAM> expected;
    } cases[] = {
        {WM_KEYDOWN, VK_ESCAPE, {FRAME_CMD_EXIT_FULLSCREEN}},
        {WM_SYSKEYDOWN, VK_ESCAPE, {FRAME_CMD_EXIT_FULLSCREEN}},
        {WM_KEYDOWN, VK_F10, {FRAME_CMD_TOGGLE_FULLSCREEN}},
        {WM_SYSKEYDOWN, VK_F10, {FRAME_CMD_TOGGLE_FULLSCREEN}},
        {WM_KEYUP, VK_F10, {}},
        {WM_CHAR, VK_ESCAPE, {}},
        {WM_KEYDOWN, 'A', {}},
        {WM_KEYDOWN, VK_F11, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Filter(c.message, c.key), c.expected) << "message " << c.message << " key " << c.key;
}

TEST_F(KeyFilterTest, NoGameWindowPostsNothing) {
    app.gameWindow = nullptr;
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_ESCAPE).empty());
}

TEST(SetUserName, NameOf63CharactersIsStoredWholeInBothForms) {
    gameApp app;
    std::wstring name(63, L'x');
    app.SetUserName(name.c_str());
    EXPECT_EQ(std::wstring(app.userName), name);
    EXPECT_EQ(std::string(app.userNameAnsi), std::string(63, 'x'));
}

TEST(SetUserName, LongerNamesAreCutSafely) {
    gameApp app;
    std::wstring name(5000, L'y');
    app.SetUserName(name.c_str());
    EXPECT_EQ(std::wstring(app.userName), std::wstring(63, L'y'));
    EXPECT_EQ(std::string(app.userNameAnsi), std::string(63, 'y'));
}

TEST(SetUserName, CutNeverSplitsASurrogatePair) {
    gameApp app;
    std::wstring name(62, L'z');
    name += L"\xD83D\xDE00"; // one character in two units, straddling the limit
    app.SetUserName(name.c_str());
    EXPECT_EQ(std::wstring(app.userName), std::wstring(62, L'z'));
}

TEST(SetUserName, ReplacesThePreviousNameAndEmptyClears) {
    gameApp app;
    app.SetUserName(L"a-much-longer-first-name");
    app.SetUserName(L"bob");
    EXPECT_STREQ(app.userName, L"bob");
    EXPECT_STREQ(app.userNameAnsi, "bob");
    app.SetUserName(L"");
    EXPECT_STREQ(app.userName, L"");
    EXPECT_STREQ(app.userNameAnsi, "");
}

} // namespace
