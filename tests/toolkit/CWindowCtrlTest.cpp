#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/CAppManager.h"
#include "support/TestSupport.h"
#include "toolkit/CWindowCtrl.h"

using testsupport::PumpMessages;
using testsupport::PumpUntil;
using testsupport::ScopedManager;

namespace {

// Records what reaches the virtual operations.
class RecordingWindow : public CWindowCtrl {
public:
    LRESULT OnMessage(UINT msg, WPARAM, LPARAM) override {
        messages.push_back(msg);
        return 0;
    }
    void OnCreate(CREATESTRUCTW*) override { created = true; }
    void OnDestroy() override { destroyed = true; }
    void OnTimer(UINT_PTR id) override { timers.push_back(id); }
    LRESULT OnNcHitTest(int x, int y) override {
        hitX = x;
        hitY = y;
        return hitResult;
    }
    void OnSize(UINT type, int cx, int cy) override {
        sizeType = type;
        sizeX = cx;
        sizeY = cy;
    }
    void OnGetMinMaxInfo(MINMAXINFO*) override { ++minMaxCalls; }

    std::vector<UINT> messages;
    std::vector<UINT_PTR> timers;
    bool created = false;
    bool destroyed = false;
    int hitX = 0, hitY = 0;
    LRESULT hitResult = HTCAPTION;
    UINT sizeType = 99;
    int sizeX = 0, sizeY = 0;
    int minMaxCalls = 0;
};

class WindowTest : public ::testing::Test {
protected:
    WindowTest() : scope(manager) {}
    CAppManager manager;
    ScopedManager scope;
};

TEST(WindowCreate, WithoutManagerReturnsNullAndRegistersNoClass) {
    RecordingWindow window;
    EXPECT_EQ(window.CreateAt(0, L"NoManagerClass", L"", WS_POPUP, 0, 0, 10, 10, nullptr), nullptr);
    EXPECT_FALSE(IsClassRegistered(L"NoManagerClass"));
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"NoManagerClass", &info));
    EXPECT_EQ(window.manager, nullptr);
}

TEST_F(WindowTest, CreateBindsTheObjectAndRoutesCreation) {
    RecordingWindow window;
    HWND hwnd = window.CreateAt(0, L"RecordingWnd", L"title", WS_POPUP, 10, 20, 200, 100, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.hwnd, hwnd);
    EXPECT_EQ(window.manager, &manager);
    EXPECT_TRUE(window.created);
    EXPECT_STREQ(window.className, L"RecordingWnd");
    EXPECT_EQ(manager.FindWindowObject(hwnd), &window);
    EXPECT_TRUE(IsClassRegistered(L"RecordingWnd"));
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, CreateTwiceReturnsTheSameHandle) {
    RecordingWindow window;
    RECT rect = {0, 0, 50, 40};
    HWND first = window.Create(0, L"RecordingWnd", L"", WS_POPUP, rect, nullptr);
    ASSERT_NE(first, nullptr);
    size_t listed = manager.windows.size();
    EXPECT_EQ(window.Create(0, L"OtherClassName", L"", WS_POPUP, rect, nullptr), first);
    EXPECT_EQ(manager.windows.size(), listed);
    EXPECT_STREQ(window.className, L"RecordingWnd");
    DestroyWindow(first);
}

TEST_F(WindowTest, DefaultClassNameIsImageWndAndEmptyNameKeepsIt) {
    RecordingWindow window;
    EXPECT_STREQ(window.className, L"ImageWnd");
    ASSERT_NE(window.CreateAt(0, L"", L"", WS_POPUP, 0, 0, 10, 10, nullptr), nullptr);
    EXPECT_STREQ(window.className, L"ImageWnd");
    wchar_t name[64] = {};
    GetClassNameW(window.hwnd, name, 64);
    EXPECT_STREQ(name, L"ImageWnd");
    DestroyWindow(window.hwnd);
}

TEST_F(WindowTest, ClassTheSystemAlreadyKnowsCountsAsRegistered) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = moduleInstance;
    wc.lpszClassName = L"PreExistingClass";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    EXPECT_FALSE(IsClassRegistered(L"PreExistingClass"));
    EXPECT_TRUE(RegisterWindowClass(L"PreExistingClass"));
    EXPECT_TRUE(IsClassRegistered(L"PreExistingClass"));
    // Exact, case-sensitive comparison of the whole name.
    EXPECT_FALSE(IsClassRegistered(L"preexistingclass"));
    EXPECT_FALSE(IsClassRegistered(L"PreExisting"));
}

TEST(WindowClassName, LongNamesAreCutTo63) {
    CWindowCtrl window;
    std::wstring name63(63, L'n');
    window.SetClassName(name63.c_str());
    EXPECT_EQ(std::wstring(window.className), name63);
    std::wstring name64 = std::wstring(63, L'm') + L"X";
    window.SetClassName(name64.c_str());
    EXPECT_EQ(std::wstring(window.className), std::wstring(63, L'm'));
    window.SetClassName(nullptr);
    EXPECT_EQ(std::wstring(window.className), std::wstring(63, L'm'));
}

TEST_F(WindowTest, TimerAnswersOneAndHitTestReturnsTheHandlersCode) {
    RecordingWindow window;
    ASSERT_NE(window.CreateAt(0, L"RecordingWnd", L"", WS_POPUP, 0, 0, 100, 100, nullptr), nullptr);
    EXPECT_EQ(SendMessageW(window.hwnd, WM_TIMER, 42, 0), 1);
    EXPECT_EQ(window.timers, (std::vector<UINT_PTR>{42}));

    for (LRESULT code : {LRESULT(HTCAPTION), LRESULT(HTBOTTOMRIGHT), LRESULT(HTNOWHERE), LRESULT(HTTRANSPARENT)}) {
        window.hitResult = code;
        EXPECT_EQ(SendMessageW(window.hwnd, WM_NCHITTEST, 0, MAKELPARAM(-5, -7)), code);
    }
    // Points left of and above the primary monitor arrive negative.
    EXPECT_EQ(window.hitX, -5);
    EXPECT_EQ(window.hitY, -7);
    DestroyWindow(window.hwnd);
}

TEST_F(WindowTest, SizeReachesOnSizeWithSignedHalves) {
    RecordingWindow window;
    ASSERT_NE(window.CreateAt(0, L"RecordingWnd", L"", WS_POPUP, 0, 0, 100, 100, nullptr), nullptr);
    SendMessageW(window.hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    EXPECT_EQ(window.sizeType, UINT(SIZE_MAXIMIZED));
    EXPECT_EQ(window.sizeX, 640);
    EXPECT_EQ(window.sizeY, 480);
    DestroyWindow(window.hwnd);
}

// A handler that claims a message keeps it from the table and from default processing.
class ClaimingWindow : public CWindowCtrl {
public:
    LRESULT OnMessage(UINT msg, WPARAM, LPARAM) override { return msg == WM_TIMER ? 77 : 0; }
    void OnTimer(UINT_PTR) override { ++timerCalls; }
    int timerCalls = 0;
};

TEST_F(WindowTest, NonzeroOnMessageResultEndsHandling) {
    ClaimingWindow window;
    ASSERT_NE(window.CreateAt(0, L"ClaimingWnd", L"", WS_POPUP, 0, 0, 10, 10, nullptr), nullptr);
    EXPECT_EQ(SendMessageW(window.hwnd, WM_TIMER, 1, 0), 77);
    EXPECT_EQ(window.timerCalls, 0);
    DestroyWindow(window.hwnd);
}

// Messages the window received, in order, seen from outside the window procedure.
std::vector<UINT>* hookLog = nullptr;
LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && hookLog)
        hookLog->push_back(reinterpret_cast<CWPSTRUCT*>(lParam)->message);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowTest, FirstGetMinMaxInfoGetsDefaultProcessingOnly) {
    std::vector<UINT> sent;
    hookLog = &sent;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CallWndHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    RecordingWindow window;
    HWND hwnd = window.CreateAt(0, L"RecordingWnd", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr);
    UnhookWindowsHookEx(hook);
    hookLog = nullptr;
    ASSERT_NE(hwnd, nullptr);

    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), UINT(WM_GETMINMAXINFO));
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(window.messages.front(), UINT(WM_NCCREATE));
    // Later ones reach the object.
    int before = window.minMaxCalls;
    SetWindowPos(hwnd, nullptr, 0, 0, 320, 220, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_GT(window.minMaxCalls, before);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, AfterNcDestroyTheObjectIsFreeForANewWindow) {
    RecordingWindow window;
    HWND first = window.CreateAt(0, L"RecordingWnd", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
    ASSERT_NE(first, nullptr);
    DestroyWindow(first);
    EXPECT_TRUE(window.destroyed);
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_EQ(manager.FindWindowObject(first), nullptr);
    EXPECT_EQ(window.messages.back(), UINT(WM_NCDESTROY));

    HWND second = window.CreateAt(0, L"RecordingWnd", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(manager.FindWindowObject(second), &window);
    DestroyWindow(second);
}

TEST_F(WindowTest, DestroyingTheObjectClosesTheWindowAsynchronously) {
    auto* window = new RecordingWindow;
    HWND hwnd = window->CreateAt(0, L"RecordingWnd", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
    ASSERT_NE(hwnd, nullptr);
    delete window;
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(manager.FindWindowObject(hwnd), nullptr);
    // Messages in between get default processing.
    EXPECT_EQ(SendMessageW(hwnd, WM_TIMER, 1, 0), 0);
    EXPECT_TRUE(PumpUntil([hwnd] { return !IsWindow(hwnd); }, 2000));
}

class ForeignCountingManager : public CAppManager {
public:
    LRESULT OnForeignMessage(HWND, UINT, WPARAM, LPARAM) override {
        ++foreign;
        return 5;
    }
    int foreign = 0;
};

TEST(WindowProc, MessagesOfWindowsWithoutObjectGoToTheForeignHook) {
    ForeignCountingManager manager;
    ScopedManager scope(manager);
    ASSERT_TRUE(RegisterWindowClass(L"ForeignTestClass"));
    HWND hwnd = CreateWindowExW(0, L"ForeignTestClass", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                moduleInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_GT(manager.foreign, 0);
    EXPECT_EQ(SendMessageW(hwnd, WM_TIMER, 1, 0), 0);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, WindowsOfTwoThreadsReachTheirOwnObjects) {
    RecordingWindow mine;
    ASSERT_NE(mine.CreateAt(0, L"RecordingWnd", L"", WS_POPUP, 0, 0, 10, 10, nullptr), nullptr);
    UINT_PTR otherTimer = 0;
    bool otherBound = false;
    std::thread other([&] {
        CAppManager otherManager;
        ScopedManager otherScope(otherManager);
        RecordingWindow theirs;
        HWND hwnd = theirs.CreateAt(0, L"RecordingWnd", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
        otherBound = hwnd && theirs.manager == &otherManager && otherManager.FindWindowObject(hwnd) == &theirs;
        SendMessageW(hwnd, WM_TIMER, 9, 0);
        otherTimer = theirs.timers.empty() ? 0 : theirs.timers.front();
        DestroyWindow(hwnd);
    });
    other.join();
    EXPECT_TRUE(otherBound);
    EXPECT_EQ(otherTimer, 9u);
    SendMessageW(mine.hwnd, WM_TIMER, 3, 0);
    EXPECT_EQ(mine.timers, (std::vector<UINT_PTR>{3}));
    DestroyWindow(mine.hwnd);
}

} // namespace
