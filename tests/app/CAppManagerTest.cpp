#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/CAppManager.h"
#include "support/TestSupport.h"
#include "toolkit/CWindowCtrl.h"

using testsupport::PumpMessages;
using testsupport::ScopedManager;

namespace {

// Runs a function on a thread of its own and waits for it.
template <typename F> void OnOtherThread(F&& function) {
    std::thread worker(std::forward<F>(function));
    worker.join();
}

TEST(ManagerRegistry, SecondManagerOnSameThreadIsRefused) {
    CAppManager first, second;
    ScopedManager scope(first);
    ASSERT_TRUE(scope.registered());
    EXPECT_EQ(first.threadId, GetCurrentThreadId());
    EXPECT_FALSE(CAppManager::RegisterManager(&second));
    EXPECT_EQ(second.threadId, 0u);
    EXPECT_EQ(CAppManager::FindManager(GetCurrentThreadId()), &first);
}

TEST(ManagerRegistry, SoleManagerIsSetClearedAndNotRestored) {
    CAppManager mainManager, otherManager;
    ASSERT_TRUE(CAppManager::RegisterManager(&mainManager));
    EXPECT_EQ(soleManager, &mainManager);

    OnOtherThread([&] {
        ASSERT_TRUE(CAppManager::RegisterManager(&otherManager));
        EXPECT_EQ(soleManager, nullptr);
        CAppManager::UnregisterManager(otherManager.threadId);
    });
    // One manager is left, but the shortcut stays off until the registry is empty.
    EXPECT_EQ(soleManager, nullptr);
    EXPECT_EQ(CAppManager::FindManager(GetCurrentThreadId()), &mainManager);

    CAppManager::UnregisterManager(mainManager.threadId);
    EXPECT_EQ(soleManager, nullptr);
    EXPECT_TRUE(managerRegistry.empty());
}

TEST(ManagerRegistry, FindManagerOfUnknownThreadIsNull) {
    CAppManager manager;
    ScopedManager scope(manager);
    EXPECT_EQ(CAppManager::FindManager(GetCurrentThreadId() + 1000), nullptr);
    EXPECT_EQ(CAppManager::FindManager(0), nullptr);
}

TEST(ManagerRegistry, UnregisterKeepsOrderAndIgnoresUnknownIds) {
    CAppManager a, b, c;
    std::atomic<bool> release{false};
    std::vector<std::thread> threads;
    std::atomic<int> ready{0};
    for (CAppManager* m : {&a, &b, &c}) {
        threads.emplace_back([m, &release, &ready] {
            CAppManager::RegisterManager(m);
            ++ready;
            while (!release)
                Sleep(1);
        });
        while (ready < static_cast<int>(threads.size()))
            Sleep(1);
    }
    CAppManager::UnregisterManager(12345);
    ASSERT_EQ(managerRegistry.size(), 3u);
    CAppManager::UnregisterManager(b.threadId);
    ASSERT_EQ(managerRegistry.size(), 2u);
    EXPECT_EQ(managerRegistry[0], &a);
    EXPECT_EQ(managerRegistry[1], &c);
    CAppManager::UnregisterManager(a.threadId);
    CAppManager::UnregisterManager(c.threadId);
    release = true;
    for (auto& t : threads)
        t.join();
    EXPECT_TRUE(managerRegistry.empty());
}

TEST(MessageLoop, RefusedFromAnotherThread) {
    CAppManager manager;
    ScopedManager scope(manager);
    bool result = true;
    OnOtherThread([&] { result = manager.RunMessageLoop(); });
    EXPECT_FALSE(result);
    EXPECT_FALSE(manager.inMessageLoop);
}

// A window whose timer tries to nest a loop, then quits the outer one.
class NestingWindow : public CWindowCtrl {
public:
    explicit NestingWindow(CAppManager& m) : owner(m) {}
    void OnTimer(UINT_PTR) override {
        KillTimer(hwnd, 1);
        nestedResult = owner.RunMessageLoop();
        PostQuitMessage(7);
    }
    CAppManager& owner;
    bool nestedResult = true;
};

TEST(MessageLoop, NestedLoopIsRefusedAndQuitEndsTheLoop) {
    CAppManager manager;
    ScopedManager scope(manager);
    NestingWindow window(manager);
    ASSERT_NE(window.CreateAt(0, L"NestingTestWnd", L"", WS_POPUP, 0, 0, 10, 10, nullptr), nullptr);
    SetTimer(window.hwnd, 1, 10, nullptr);
    EXPECT_TRUE(manager.RunMessageLoop());
    EXPECT_FALSE(window.nestedResult);
    EXPECT_FALSE(manager.inMessageLoop);
    DestroyWindow(window.hwnd);
}

TEST(MessageLoop, QuitAlreadyQueuedEndsTheLoopAtOnce) {
    CAppManager manager;
    ScopedManager scope(manager);
    PostQuitMessage(0);
    EXPECT_TRUE(manager.RunMessageLoop());
    EXPECT_FALSE(manager.inMessageLoop);
}

class CountingManager : public CAppManager {
public:
    bool InitInstance() override {
        ++initCalls;
        registeredDuringInit = CAppManager::FindManager(GetCurrentThreadId()) == this;
        gdiplusStarted = gdiplusToken != 0;
        return initResult;
    }
    bool initResult = true;
    int initCalls = 0;
    bool registeredDuringInit = false;
    bool gdiplusStarted = false;
};

TEST(Run, InitInstanceTrueWithoutWindowRunsNoLoop) {
    CountingManager manager;
    // A quit message in the queue would end a loop; it must still be there afterwards.
    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 5, 0, 0);
    manager.Run();
    EXPECT_EQ(manager.initCalls, 1);
    EXPECT_TRUE(manager.registeredDuringInit);
    EXPECT_TRUE(manager.gdiplusStarted);
    EXPECT_EQ(CAppManager::FindManager(GetCurrentThreadId()), nullptr);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_APP + 5, WM_APP + 5, PM_REMOVE));
}

TEST(Run, RefusedWhenTheThreadAlreadyHasAManager) {
    CAppManager first;
    ScopedManager scope(first);
    CountingManager second;
    second.Run();
    EXPECT_EQ(second.initCalls, 0);
    EXPECT_EQ(second.gdiplusToken, 0u);
    EXPECT_EQ(CAppManager::FindManager(GetCurrentThreadId()), &first);
}

// PreTranslateWalk: windows that record the order in which they were asked.
class FilterWindow : public CWindowCtrl {
public:
    FilterWindow(std::vector<int>& log, int id, bool consume) : consume_(consume), log_(log), id_(id) {}
    bool PreTranslateMessage(MSG*) override {
        log_.push_back(id_);
        return consume_;
    }
    bool consume_;

private:
    std::vector<int>& log_;
    int id_;
};

class FilterManager : public CAppManager {
public:
    explicit FilterManager(std::vector<int>& log) : log_(log) {}
    bool PreTranslateMessage(MSG*) override {
        log_.push_back(0);
        return false;
    }

private:
    std::vector<int>& log_;
};

TEST(PreTranslateWalk, AsksAncestorsInnermostFirstAndStopsAtTheFirstThatConsumes) {
    std::vector<int> log;
    FilterManager manager(log);
    ScopedManager scope(manager);
    FilterWindow outer(log, 1, false), middle(log, 2, false), inner(log, 3, false);
    ASSERT_TRUE(outer.CreateAt(0, L"WalkTestWnd", L"", WS_POPUP, 0, 0, 100, 100, nullptr));
    ASSERT_TRUE(middle.CreateAt(0, L"WalkTestWnd", L"", WS_CHILD, 0, 0, 50, 50, outer.hwnd));
    // A child without an object in between is skipped.
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 40, 40, middle.hwnd, nullptr, nullptr, nullptr);
    ASSERT_TRUE(inner.CreateAt(0, L"WalkTestWnd", L"", WS_CHILD, 0, 0, 20, 20, plain));

    MSG msg = {};
    msg.hwnd = inner.hwnd;
    msg.message = WM_KEYDOWN;
    EXPECT_FALSE(manager.PreTranslateWalk(&msg));
    EXPECT_EQ(log, (std::vector<int>{3, 2, 1, 0}));

    log.clear();
    middle.consume_ = true;
    EXPECT_TRUE(manager.PreTranslateWalk(&msg));
    EXPECT_EQ(log, (std::vector<int>{3, 2}));

    log.clear();
    msg.hwnd = nullptr;
    EXPECT_FALSE(manager.PreTranslateWalk(&msg));
    EXPECT_EQ(log, (std::vector<int>{0}));
    DestroyWindow(outer.hwnd);
}

TEST(PreTranslateWalk, ConsultsTheParentManagerAfterItsOwnFilter) {
    std::vector<int> log;
    FilterManager manager(log), parentManager(log);
    ScopedManager scope(manager);
    manager.parent = &parentManager;
    MSG msg = {};
    EXPECT_FALSE(manager.PreTranslateWalk(&msg));
    EXPECT_EQ(log, (std::vector<int>{0, 0}));
}

TEST(WindowList, AddRemoveAndFind) {
    CAppManager manager;
    CWindowCtrl a, b, c;
    a.hwnd = reinterpret_cast<HWND>(0x10);
    b.hwnd = reinterpret_cast<HWND>(0x20);
    c.hwnd = reinterpret_cast<HWND>(0x30);
    EXPECT_TRUE(manager.AddWindow(a.hwnd, &a));
    EXPECT_TRUE(manager.AddWindow(b.hwnd, &b));
    EXPECT_FALSE(manager.AddWindow(a.hwnd, &c));
    EXPECT_TRUE(manager.AddWindow(c.hwnd, &c));
    EXPECT_EQ(manager.FindWindowObject(nullptr), nullptr);
    EXPECT_EQ(manager.FindWindowObject(b.hwnd), &b);

    manager.RemoveWindow(b.hwnd);
    EXPECT_EQ(b.hwnd, nullptr);
    EXPECT_EQ(manager.windows, (std::vector<CWindowCtrl*>{&a, &c}));
    manager.RemoveWindow(reinterpret_cast<HWND>(0x99));
    EXPECT_EQ(manager.windows.size(), 2u);
    // The objects are not real windows: keep their destructors from posting anything.
    a.hwnd = c.hwnd = nullptr;
}

} // namespace

namespace {

TEST(ProcessMutexDeathTest, ALockFailureEndsTheProcess) {
    // Locking twice on one thread is an error for this mutex, never a silent deadlock.
    EXPECT_EXIT(
        {
            ProcessMutex mutex;
            mutex.Lock();
            mutex.Lock();
        },
        ::testing::ExitedWithCode(3), "");
}

TEST(ProcessMutexDeathTest, UnlockWithoutLockEndsTheProcess) {
    EXPECT_EXIT(
        {
            ProcessMutex mutex;
            mutex.Unlock();
        },
        ::testing::ExitedWithCode(3), "");
}

} // namespace
