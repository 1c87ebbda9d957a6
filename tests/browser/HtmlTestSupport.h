#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/CAppManager.h"
#include "browser/CHtmlAppManager.h"
#include "browser/CMyHtml.h"
#include "support/BrowserControlChoice.h"
#include "support/TestSupport.h"
#include "toolkit/CWindowCtrl.h"

namespace htmltest {

// Sent to a ProbeView with a std::function<void()>* in lParam: runs it on the HTML thread.
constexpr UINT WM_TEST_RUN = WM_APP + 77;
// Posted to a ProbeView: counted when it reaches the view, after everything posted before it.
constexpr UINT WM_TEST_MARK = WM_APP + 78;

// One operation that reached the view.
struct ViewCall {
    std::string what; // "create", "navigate", "refresh", "silent"
    std::wstring url;
    UINT_PTR value;
    DWORD thread;
};

// An HTML view that records its thread-aware operations and can run code on its own thread.
class ProbeView : public CMyHtml {
public:
    HWND CreateAt(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, int x,
                  int y, int width, int height, HWND parent) override;
    bool Navigate(const wchar_t* url, LONG flags) override;
    void Refresh() override;
    void SetSilent(BOOL value) override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Calls seen on the given thread, in order.
    std::vector<ViewCall> CallsOn(DWORD thread);
    // Runs the function on the view's thread and returns when it is done.
    void RunOnViewThread(const std::function<void()>& function);

    // When false, the operations are recorded but not carried out on the HTML thread (other threads
    // still queue them).
    std::atomic<bool> passThrough{true};
    std::atomic<int> marks{0};
    std::atomic<int> refits{0};
    // Windows whose creation (control included) has completed.
    std::atomic<int> windowsCreated{0};
    std::atomic<int> executed{0};

private:
    bool Carry() const;
    void Record(const char* what, const wchar_t* url, UINT_PTR value);

    std::mutex callsLock;
    std::vector<ViewCall> calls;
};

// The Flash player's window class name.
extern const wchar_t kFlashClass[];
// Key-downs that reached a window of the test classes (they were not consumed on the way).
extern std::atomic<int> keysDelivered;
// Registers the Flash player's class, a longer look-alike and an ordinary "PageField" class, all
// counting the key-downs they receive.
void RegisterTestWindowClasses();

// The thread a manager is registered for, 0 while it is not registered.
DWORD RegisteredThreadOf(const CAppManager* manager);

// A main-thread window that records the frame commands posted to it.
class ParentWindow : public CWindowCtrl {
public:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    std::vector<WPARAM> frameCommands;
};

// Main thread with its manager and a parent window, an HTML manager whose thread the test starts,
// and two views, with the chosen WebBrowser control registered. The thread is stopped before the
// views and the manager are destroyed.
class HtmlThreadTest : public ::testing::Test {
protected:
    explicit HtmlThreadTest(testsupport::BrowserControl control = testsupport::BrowserControl::Wine);
    ~HtmlThreadTest() override;

    // Starts the HTML thread and waits until it has registered; returns its id.
    DWORD StartHtmlThread();
    // Quits the HTML thread and waits for it to end.
    bool StopHtmlThread();
    // Queues the view's window and waits until it exists.
    HWND CreateView(ProbeView& view, int width = 400, int height = 300);

    const testsupport::BrowserControl control;
    testsupport::ScopedBrowserControl browserChoice;
    CAppManager mainManager;
    testsupport::ScopedManager mainScope;
    ParentWindow parent;
    CHtmlAppManager html;
    ProbeView view;
    ProbeView second;
    DWORD htmlThread = 0;
};

// The same tests on Wine's own control and on the stand-in.
class HtmlThreadTestOnBoth : public HtmlThreadTest,
                             public ::testing::WithParamInterface<testsupport::BrowserControl> {
protected:
    HtmlThreadTestOnBoth() : HtmlThreadTest(GetParam()) {}
};

// The stand-in control, which loads pages.
class HtmlThreadTestOnStandIn : public HtmlThreadTest {
protected:
    HtmlThreadTestOnStandIn() : HtmlThreadTest(testsupport::BrowserControl::StandIn) {}
};

// Test name suffix for a control.
std::string ControlName(const ::testing::TestParamInfo<testsupport::BrowserControl>& info);

} // namespace htmltest
