#pragma once

#include <windows.h>

class CAppManager;

// Base of every window of the shell. One object owns at most one native window at a time; all of
// the window's messages arrive on the thread that created it, through StaticWindowProc, which finds
// the object in that thread's manager and hands the message to RouteMessage.
class CWindowCtrl {
public:
    static constexpr int kClassNameSize = 64;

    CWindowCtrl();
    CWindowCtrl(const CWindowCtrl&) = delete;
    CWindowCtrl& operator=(const CWindowCtrl&) = delete;

    virtual ~CWindowCtrl();
    virtual HWND Create(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                        const RECT& rect, HWND parent);
    virtual HWND CreateAt(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                          int x, int y, int width, int height, HWND parent);
    virtual INT_PTR DoModal(const wchar_t* templateName, HWND parent);
    virtual void SetClassName(const wchar_t* name);
    virtual bool PreTranslateMessage(MSG* msg);
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnCreate(CREATESTRUCTW* cs);
    virtual void OnDestroy();
    virtual void OnMove(int x, int y);
    virtual void OnSize(UINT sizeType, int cx, int cy);
    virtual void OnWindowPosChanging(WINDOWPOS* pos);
    virtual LRESULT OnNcHitTest(int x, int y);
    virtual void OnGetMinMaxInfo(MINMAXINFO* info);
    virtual void OnShowWindow(WPARAM show, LPARAM status);
    virtual void OnTimer(UINT_PTR timerId);
    virtual void OnSetCursor(HWND hwndUnderCursor);

    LRESULT RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void ShowCmd(int cmd);
    void SetBounds(const RECT& rect);
    void GetBounds(RECT* rect) const;

    HWND hwnd = nullptr;
    CAppManager* manager = nullptr;
    INT_PTR modalResult = 0;
    wchar_t className[kClassNameSize];

private:
    friend LRESULT CALLBACK StaticWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT RouteNativeMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Shared by Create and CreateAt: manager lookup, class registration, CreateWindowExW.
    HWND CreateWindowObject(DWORD exStyle, const wchar_t* name, const wchar_t* windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent);
};

LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool RegisterWindowClass(const wchar_t* name);
bool IsClassRegistered(const wchar_t* name);
