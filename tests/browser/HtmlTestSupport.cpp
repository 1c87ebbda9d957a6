#include <gtest/gtest.h>

#include "HtmlTestSupport.h"

#include <ole2.h>

#include "browser/HtmlMessages.h"
#include "frame/FrameCommands.h"

namespace htmltest {

namespace {

// The main thread holds OLE for the whole run, as the program's entry point does. Without it, a
// component that initialises COM on the main thread by the way (the input method, when the focus
// moves into the view) ends the process's COM when it lets go again, and the next HTML thread
// cannot start OLE.
class MainThreadOle : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(OleInitialize(nullptr), S_OK); }
    void TearDown() override { OleUninitialize(); }
};

const ::testing::Environment* const mainThreadOle = ::testing::AddGlobalTestEnvironment(new MainThreadOle);

} // namespace

HWND ProbeView::CreateAt(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                         int x, int y, int width, int height, HWND parent) {
    Record("create", L"", static_cast<UINT_PTR>(width));
    const HWND window = CMyHtml::CreateAt(exStyle, className, windowName, style, x, y, width, height, parent);
    if (window)
        ++windowsCreated;
    return window;
}

bool ProbeView::Navigate(const wchar_t* url, LONG flags) {
    Record("navigate", url, static_cast<UINT_PTR>(flags));
    return Carry() ? CMyHtml::Navigate(url, flags) : true;
}

void ProbeView::Refresh() {
    Record("refresh", L"", 0);
    if (Carry())
        CMyHtml::Refresh();
}

void ProbeView::SetSilent(BOOL value) {
    Record("silent", L"", static_cast<UINT_PTR>(value));
    if (Carry())
        CMyHtml::SetSilent(value);
}

bool ProbeView::Carry() const {
    return passThrough || !g_htmlAppManager || !g_htmlAppManager->IsHtmlThread();
}

LRESULT ProbeView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TEST_RUN) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    }
    if (msg == WM_TEST_MARK) {
        ++marks;
        return 1;
    }
    const LRESULT result = CMyHtml::OnMessage(msg, wParam, lParam);
    if (msg == WM_HTML_REFIT)
        ++refits; // counted once the refit is done
    return result;
}

void ProbeView::Record(const char* what, const wchar_t* url, UINT_PTR value) {
    std::lock_guard<std::mutex> lock(callsLock);
    calls.push_back({what, url ? url : L"", value, GetCurrentThreadId()});
    ++executed;
}

std::vector<ViewCall> ProbeView::CallsOn(DWORD thread) {
    std::lock_guard<std::mutex> lock(callsLock);
    std::vector<ViewCall> result;
    for (const ViewCall& call : calls) {
        if (call.thread == thread)
            result.push_back(call);
    }
    return result;
}

void ProbeView::RunOnViewThread(const std::function<void()>& function) {
    SendMessageW(ViewWindow(), WM_TEST_RUN, 0, reinterpret_cast<LPARAM>(&function));
}

const wchar_t kFlashClass[] = L"MacromediaFlashPlayerActiveX";
std::atomic<int> keysDelivered{0};

namespace {
LRESULT CALLBACK CountingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN)
        ++keysDelivered;
    return DefWindowProcW(window, msg, wParam, lParam);
}
} // namespace

void RegisterTestWindowClasses() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    for (const wchar_t* name : {kFlashClass, L"MacromediaFlashPlayerActiveXEx", L"PageField"}) {
        wc.lpszClassName = name;
        RegisterClassW(&wc);
    }
}

std::string ControlName(const ::testing::TestParamInfo<testsupport::BrowserControl>& info) {
    return info.param == testsupport::BrowserControl::Wine ? "WineControl" : "StandIn";
}

DWORD RegisteredThreadOf(const CAppManager* manager) {
    ProcessMutexLock lock(registryMutex);
    for (CAppManager* registered : managerRegistry) {
        if (registered == manager)
            return registered->threadId;
    }
    return 0;
}

LRESULT ParentWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_FRAME_COMMAND)
        frameCommands.push_back(wParam);
    return 0;
}

HtmlThreadTest::HtmlThreadTest(testsupport::BrowserControl chosen)
    : control(chosen), browserChoice(chosen), mainScope(mainManager) {
    EXPECT_TRUE(browserChoice.ok());
    // Hidden: destroying a visible top-level window makes Wine wait for a window manager.
    parent.CreateAt(0, L"HtmlTestParent", L"", WS_POPUP, 10, 10, 640, 480, nullptr);
}

HtmlThreadTest::~HtmlThreadTest() {
    EXPECT_TRUE(StopHtmlThread());
    if (parent.hwnd)
        DestroyWindow(parent.hwnd);
}

DWORD HtmlThreadTest::StartHtmlThread() {
    EXPECT_TRUE(html.StartThread());
    EXPECT_TRUE(testsupport::PumpUntil([this] { return RegisteredThreadOf(&html) != 0; }, 5000));
    htmlThread = RegisteredThreadOf(&html);
    return htmlThread;
}

bool HtmlThreadTest::StopHtmlThread() {
    html.PostQuit();
    return html.WaitForThreadEnd(CHtmlAppManager::kThreadEndTimeoutMs);
}

HWND HtmlThreadTest::CreateView(ProbeView& view, int width, int height) {
    EXPECT_EQ(view.CreateAt(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, parent.hwnd),
              nullptr);
    testsupport::PumpUntil([&view] { return view.windowsCreated > 0; }, 10000);
    return view.ViewWindow();
}

} // namespace htmltest
