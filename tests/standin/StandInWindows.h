#pragma once

// The windows of the stand-in control. All of them belong to the thread that created the control.
//  - the frame window: a child of the host window, what the shell-browser service reports;
//  - the page window filling it: draws the page title, address and text, and takes the keyboard focus
//    when clicked, so keys pressed in the page go through the host thread's message loop;
//  - one window of class "MacromediaFlashPlayerActiveX" per Flash object of the page, at its size;
//  - a message-only window that carries worker results and timers back to the control's thread.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "HtmlPage.h"

namespace standin {

extern const wchar_t kFlashWindowClass[];

struct PageContent {
    std::wstring title;
    std::wstring url;
    std::wstring text;
    std::vector<FlashObject> flash;
};

class BrowserWindows {
public:
    BrowserWindows() = default;
    ~BrowserWindows();
    BrowserWindows(const BrowserWindows&) = delete;
    BrowserWindows& operator=(const BrowserWindows&) = delete;

    bool Create(HWND parent, const RECT& rect);
    void Destroy();
    HWND Frame() const { return frame_; }
    HWND Page() const { return page_; }
    void Move(const RECT& rect);
    void Show(bool visible);
    // Shows another page: repaints and replaces the Flash windows.
    void SetContent(PageContent content);

    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void Paint(HDC dc) const;
    void CreateFlashWindows();
    void LayoutFlashWindows();

    HWND frame_ = nullptr;
    HWND page_ = nullptr;
    std::vector<HWND> flash_;
    PageContent content_;
    HFONT titleFont_ = nullptr;
};

// A message-only window whose messages (timers and WM_APP and above) go to a handler.
class MessageWindow {
public:
    using Handler = std::function<void(UINT msg, WPARAM wParam, LPARAM lParam)>;

    MessageWindow() = default;
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    bool Create(Handler handler);
    void Destroy();
    HWND Handle() const { return hwnd_; }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    HWND hwnd_ = nullptr;
    Handler handler_;
};

// Called when the DLL is unloaded.
void UnregisterWindowClasses();

} // namespace standin
