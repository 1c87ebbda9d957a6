#pragma once

#include <windows.h>

#include <list>

#include "app/CAppManager.h"
#include "app/OwnedHandle.h"
#include "app/ProcessMutex.h"
#include "browser/HtmlCommand.h"

// The manager of the HTML thread, which owns the HTML view and the WebBrowser control. Other threads
// never touch the view: they append a command to the queue (under commandLock) and wake the thread
// with one WM_HTML_COMMAND; the thread takes one record per wake-up and carries it out.
//
// The object itself is owned by the main thread, which constructs it, starts the thread and, after
// WaitForThreadEnd has seen the thread finish, destroys it.
//
// No command is lost: a record whose wake-up cannot be posted (the thread has not registered yet, or
// posting failed) is counted, and the HTML thread posts the missing wake-ups itself as soon as it has
// registered and after each command it runs.
class CHtmlAppManager : public CAppManager {
public:
    // How long the main thread waits for the HTML thread to end before giving up.
    static constexpr DWORD kThreadEndTimeoutMs = 5000;

    CHtmlAppManager();
    // Asks the thread to quit and waits for it (bounded), then drops the records still queued.
    ~CHtmlAppManager() override;

    // Runs the thread's loop until WM_QUIT, then destroys the thread's remaining windows so that the
    // control is released here, before the thread gives up OLE. Returns false: no second loop.
    bool InitInstance() override;
    bool PreTranslateMessage(MSG* msg) override;

    // Any thread. True when the record will be carried out as far as can be told now: its wake-up was
    // posted, or the thread has not registered yet and will wake itself.
    BOOL PostCommand(const HtmlCommand& record);
    // HTML thread only.
    void ProcessNextCommand();
    void ExecuteCommand(const HtmlCommand& record);

    // Starts the HTML thread and keeps its handle.
    bool StartThread();
    // Ends the thread's loop (what the game window does when it is destroyed); a request made before
    // the thread has registered is kept until it does.
    bool PostQuit();
    // Waits up to timeoutMs for the HTML thread to end, still serving messages that thread sends to
    // this one. False when it is still running: the manager and the views it serves must then be kept
    // alive (leaked) rather than destroyed under it.
    bool WaitForThreadEnd(DWORD timeoutMs);
    // True on the HTML thread once it has registered.
    bool IsHtmlThread();
    // Number of records waiting, read under the lock.
    UINT QueuedCount();

    std::list<HtmlCommand> commands;
    UINT commandCount = 0;
    ProcessMutex commandLock;

private:
    enum class ThreadState { NotStarted, Running, Ended };

    friend DWORD WINAPI HtmlThreadProc(LPVOID manager);
    void MarkEnded();
    void DestroyOwnWindows();

    // Guarded by commandLock.
    ThreadState state = ThreadState::NotStarted;
    DWORD htmlThreadId = 0;
    UINT missedWakeups = 0;
    bool quitRequested = false;

    // Main thread only.
    OwnedHandle threadHandle;
};

// The one HTML manager of the process, set by its constructor (cleared again by its destructor).
extern CHtmlAppManager* g_htmlAppManager;

// The HTML thread's routine; its argument is the manager.
DWORD WINAPI HtmlThreadProc(LPVOID manager);
