#pragma once

#include <windows.h>

#include <atomic>

#include "app/ProcessMutex.h"
#include "browser/CWebBrowser.h"
#include "browser/HtmlCommand.h"
#include "toolkit/CWindowCtrl.h"

// The window that shows the game's page: a child of the game window, created on and owned by the
// HTML thread, so the control and its events stay there. The create, navigate, refresh and silent
// operations may be called from any thread: on the HTML thread they act at once, elsewhere they are
// queued to it. Apart from them only OnSize is called from another thread (the main thread), and
// then it touches no more than window placement and the cached control window.
//
// The object is a member of the game window and is destroyed on the main thread, which must first
// have seen the HTML thread end (CHtmlAppManager::WaitForThreadEnd): by then that thread has destroyed
// the view's window and released the control.
class CMyHtml : public CWindowCtrl {
public:
    static constexpr int kStagingUrlSize = 2048;

    CMyHtml();

    HWND CreateAt(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, int x,
                  int y, int width, int height, HWND parent) override;
    bool PreTranslateMessage(MSG* msg) override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCreate(CREATESTRUCTW* cs) override;
    void OnDestroy() override;
    void OnSize(UINT sizeType, int cx, int cy) override;

    // Thread-aware. Queued from another thread, a URL that does not fit stagingUrl is refused (a cut
    // URL would lead somewhere else) and false is returned.
    virtual bool Navigate(const wchar_t* url, LONG flags);
    virtual void Refresh();
    virtual void SetSilent(BOOL value);

    // Bound to the browser's before-navigate event: the view lets every navigation go ahead.
    void OnBeforeNavigate(IDispatch* frame, const wchar_t* url, VARIANT_BOOL* cancel);
    // The first window below parent (any depth) of the Flash player's window class, or null.
    static HWND FindFlashWindow(HWND parent);

    // The view's window for other threads: set when it is created, cleared when it is destroyed.
    HWND ViewWindow() const { return viewHandle; }
    // Copies a queued URL out of the staging buffer under its lock (HTML thread); false if it does not
    // fit the output.
    bool CopyStagedUrl(const wchar_t* staged, wchar_t* out, size_t outSize);

    // Set once by the game window (main thread) when the game starts, read on the HTML thread.
    std::atomic<bool> inGame{false};
    CWebBrowser browser;
    // Written by queueing threads and read by the HTML thread, both under stagingLock.
    wchar_t stagingUrl[kStagingUrlSize];

private:
    bool OnHtmlThread() const;
    // A record for this view, carrying its window as it is now.
    HtmlCommand CommandFor(int kind, UINT_PTR param1 = 0, UINT_PTR param2 = 0);

    ProcessMutex stagingLock;
    std::atomic<HWND> viewHandle{nullptr};
};
