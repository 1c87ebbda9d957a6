#include "browser/CHtmlAppManager.h"

#include <ole2.h>

#include <vector>

#include "browser/CMyHtml.h"
#include "browser/HtmlMessages.h"

CHtmlAppManager* g_htmlAppManager = nullptr;

CHtmlAppManager::CHtmlAppManager() {
    g_htmlAppManager = this;
}

CHtmlAppManager::~CHtmlAppManager() {
    if (threadHandle) {
        PostQuit();
        if (!WaitForThreadEnd(kThreadEndTimeoutMs)) {
            // Nothing better is possible in a destructor; callers avoid this by waiting first.
            threadHandle.reset();
        }
    }
    if (g_htmlAppManager == this)
        g_htmlAppManager = nullptr;
}

bool CHtmlAppManager::InitInstance() {
    // Make sure the thread has its message queue before anyone is told to post to it.
    MSG peek;
    PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE);
    const DWORD self = GetCurrentThreadId();
    bool quit = false;
    UINT wakeups = 0;
    {
        ProcessMutexLock lock(commandLock);
        htmlThreadId = self;
        state = ThreadState::Running;
        quit = quitRequested;
        wakeups = missedWakeups;
        missedWakeups = 0;
    }
    if (!quit) {
        // Records queued before the thread registered got no wake-up of their own.
        UINT failed = 0;
        for (UINT i = 0; i < wakeups; ++i) {
            if (!PostThreadMessageW(self, WM_HTML_COMMAND, 0, 0))
                ++failed;
        }
        if (failed) {
            ProcessMutexLock lock(commandLock);
            missedWakeups += failed;
        }
        RunMessageLoop();
    }
    MarkEnded();
    DestroyOwnWindows();
    return false;
}

bool CHtmlAppManager::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_HTML_COMMAND)
        return false;
    ProcessNextCommand();
    return true;
}

BOOL CHtmlAppManager::PostCommand(const HtmlCommand& record) {
    ThreadState current;
    DWORD target;
    {
        ProcessMutexLock lock(commandLock);
        commands.push_back(record);
        ++commandCount;
        current = state;
        target = htmlThreadId;
        if (current == ThreadState::NotStarted)
            ++missedWakeups;
    }
    if (current == ThreadState::NotStarted)
        return TRUE;
    if (current == ThreadState::Ended)
        return FALSE;
    if (PostThreadMessageW(target, WM_HTML_COMMAND, 0, 0))
        return TRUE;
    ProcessMutexLock lock(commandLock);
    ++missedWakeups;
    return FALSE;
}

void CHtmlAppManager::ProcessNextCommand() {
    HtmlCommand record = {};
    bool taken = false;
    bool wakeAgain = false;
    {
        ProcessMutexLock lock(commandLock);
        if (!commands.empty()) {
            record = commands.front();
            commands.pop_front();
            --commandCount;
            taken = true;
        }
        if (commands.empty()) {
            missedWakeups = 0;
        } else if (missedWakeups > 0) {
            --missedWakeups;
            wakeAgain = true;
        }
    }
    // One record per wake-up, so the thread's other messages are pumped between commands.
    if (wakeAgain && !PostThreadMessageW(GetCurrentThreadId(), WM_HTML_COMMAND, 0, 0)) {
        ProcessMutexLock lock(commandLock);
        ++missedWakeups;
    }
    if (taken && record.kind != 0)
        ExecuteCommand(record);
}

void CHtmlAppManager::ExecuteCommand(const HtmlCommand& record) {
    CMyHtml* view = record.view;
    if (!view)
        return;
    switch (record.kind) {
    case HTML_CMD_CREATE_VIEW:
        if (!view->hwnd || !IsWindow(view->hwnd)) {
            view->CreateAt(0, nullptr, L"", WS_CHILD | WS_VISIBLE, record.left, record.top,
                           static_cast<int>(record.param1), static_cast<int>(record.param2), record.window);
        }
        break;
    case HTML_CMD_NAVIGATE:
        if (view->browser.IsAttached()) {
            wchar_t url[CMyHtml::kStagingUrlSize];
            if (view->CopyStagedUrl(reinterpret_cast<const wchar_t*>(record.param1), url,
                                    CMyHtml::kStagingUrlSize))
                view->Navigate(url, static_cast<LONG>(record.param2));
        } else {
            PostCommand(record);
        }
        break;
    case HTML_CMD_REFRESH:
        if (view->browser.IsAttached())
            view->Refresh();
        else
            PostCommand(record);
        break;
    case HTML_CMD_SET_SILENT:
        if (view->browser.IsAttached())
            view->SetSilent(static_cast<BOOL>(record.param1));
        else
            PostCommand(record);
        break;
    default:
        break;
    }
}

bool CHtmlAppManager::StartThread() {
    if (threadHandle)
        return false;
    threadHandle.reset(CreateThread(nullptr, 0, HtmlThreadProc, this, 0, nullptr));
    return threadHandle != nullptr;
}

bool CHtmlAppManager::PostQuit() {
    DWORD target;
    {
        ProcessMutexLock lock(commandLock);
        if (state == ThreadState::NotStarted) {
            quitRequested = true;
            return true;
        }
        if (state == ThreadState::Ended)
            return true;
        target = htmlThreadId;
    }
    return PostThreadMessageW(target, WM_QUIT, 0, 0) != FALSE;
}

bool CHtmlAppManager::WaitForThreadEnd(DWORD timeoutMs) {
    if (!threadHandle)
        return true;
    if (IsHtmlThread())
        return false;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
        // The HTML thread may send messages to this thread's windows while it ends (destroying a view
        // notifies its parent): keep serving them, or both threads would wait for each other.
        HANDLE thread = threadHandle.get();
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, remaining, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) {
            threadHandle.reset();
            return true;
        }
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool CHtmlAppManager::IsHtmlThread() {
    const DWORD self = GetCurrentThreadId();
    ProcessMutexLock lock(commandLock);
    return htmlThreadId != 0 && htmlThreadId == self;
}

UINT CHtmlAppManager::QueuedCount() {
    ProcessMutexLock lock(commandLock);
    return commandCount;
}

void CHtmlAppManager::MarkEnded() {
    ProcessMutexLock lock(commandLock);
    state = ThreadState::Ended;
}

void CHtmlAppManager::DestroyOwnWindows() {
    std::vector<HWND> handles;
    for (CWindowCtrl* window : windows)
        handles.push_back(window->hwnd);
    for (HWND handle : handles) {
        if (handle && IsWindow(handle))
            DestroyWindow(handle);
    }
}

DWORD WINAPI HtmlThreadProc(LPVOID parameter) {
    auto* manager = static_cast<CHtmlAppManager*>(parameter);
    if (OleInitialize(nullptr) != S_OK) {
        manager->MarkEnded();
        return 0;
    }
    manager->Run();
    manager->MarkEnded();
    OleUninitialize();
    return 0;
}
