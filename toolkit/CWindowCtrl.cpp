#include "toolkit/CWindowCtrl.h"

#include <strsafe.h>

#include <string>
#include <vector>

#include "app/CAppManager.h"

namespace {

// Names of the window classes this process registered; guarded by registryMutex.
std::vector<std::wstring> classRegistry;

// The manager of the calling thread: the shortcut while only one manager exists, else a search.
CAppManager* CurrentManager() {
    if (CAppManager* sole = soleManager)
        return sole;
    return CAppManager::FindManager(GetCurrentThreadId());
}

int LowSigned(LPARAM value) { return static_cast<short>(LOWORD(value)); }
int HighSigned(LPARAM value) { return static_cast<short>(HIWORD(value)); }

} // namespace

bool IsClassRegistered(const wchar_t* name) {
    ProcessMutexLock lock(registryMutex);
    for (const std::wstring& registered : classRegistry) {
        if (registered == name)
            return true;
    }
    return false;
}

bool RegisterWindowClass(const wchar_t* name) {
    if (IsClassRegistered(name))
        return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = moduleInstance;
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    ProcessMutexLock lock(registryMutex);
    classRegistry.emplace_back(name);
    return true;
}

CWindowCtrl::CWindowCtrl() { StringCchCopyW(className, kClassNameSize, L"ImageWnd"); }

CWindowCtrl::~CWindowCtrl() {
    // The window closes asynchronously: unlisted first, so the WM_CLOSE and everything after it get
    // default processing and never reach this (by then destroyed) object.
    HWND window = hwnd;
    if (manager)
        manager->RemoveWindow(window);
    if (window && IsWindow(window))
        PostMessageW(window, WM_CLOSE, 0, 0);
}

HWND CWindowCtrl::CreateWindowObject(DWORD exStyle, const wchar_t* name, const wchar_t* windowName, DWORD style,
                                     int x, int y, int width, int height, HWND parent) {
    CAppManager* owner = CAppManager::FindManager(GetCurrentThreadId());
    if (!owner)
        return nullptr;
    if (hwnd && IsWindow(hwnd))
        return hwnd;
    if (name && name[0])
        SetClassName(name);
    if (!RegisterWindowClass(className))
        return hwnd;
    manager = owner;
    hwnd = CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent, nullptr,
                           moduleInstance, this);
    return hwnd;
}

HWND CWindowCtrl::Create(DWORD exStyle, const wchar_t* name, const wchar_t* windowName, DWORD style,
                         const RECT& rect, HWND parent) {
    return CreateWindowObject(exStyle, name, windowName, style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent);
}

HWND CWindowCtrl::CreateAt(DWORD exStyle, const wchar_t* name, const wchar_t* windowName, DWORD style, int x,
                           int y, int width, int height, HWND parent) {
    return CreateWindowObject(exStyle, name, windowName, style, x, y, width, height, parent);
}

INT_PTR CWindowCtrl::DoModal(const wchar_t* templateName, HWND parent) {
    CAppManager* owner = CAppManager::FindManager(GetCurrentThreadId());
    if (!owner)
        return 0;
    if (!RegisterWindowClass(className))
        return 0;
    manager = owner;
    modalResult = DialogBoxParamW(GetModuleHandleW(nullptr), templateName, parent,
                                  reinterpret_cast<DLGPROC>(reinterpret_cast<void*>(StaticWindowProc)), 0);
    return modalResult;
}

void CWindowCtrl::SetClassName(const wchar_t* name) {
    if (!name)
        return;
    className[0] = L'\0';
    // Cut to the buffer: a longer name keeps its first 63 characters.
    StringCchCopyW(className, kClassNameSize, name);
}

bool CWindowCtrl::PreTranslateMessage(MSG*) { return false; }
LRESULT CWindowCtrl::OnMessage(UINT, WPARAM, LPARAM) { return 0; }
void CWindowCtrl::OnCreate(CREATESTRUCTW*) {}
void CWindowCtrl::OnDestroy() {}
void CWindowCtrl::OnMove(int, int) {}
void CWindowCtrl::OnSize(UINT, int, int) {}
void CWindowCtrl::OnWindowPosChanging(WINDOWPOS*) {}
LRESULT CWindowCtrl::OnNcHitTest(int, int) { return HTCLIENT; }
void CWindowCtrl::OnGetMinMaxInfo(MINMAXINFO*) {}
void CWindowCtrl::OnShowWindow(WPARAM, LPARAM) {}
void CWindowCtrl::OnTimer(UINT_PTR) {}
void CWindowCtrl::OnSetCursor(HWND) { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

LRESULT CWindowCtrl::RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return RouteNativeMessage(hwnd, msg, wParam, lParam);
}

// Default processing needs the native handle even when hwnd was already cleared (WM_NCDESTROY) or a
// handler ended the window.
LRESULT CWindowCtrl::RouteNativeMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (LRESULT handled = OnMessage(msg, wParam, lParam))
        return handled;
    switch (msg) {
    case WM_CREATE:
        OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_MOVE:
        OnMove(LowSigned(lParam), HighSigned(lParam));
        break;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LowSigned(lParam), HighSigned(lParam));
        break;
    case WM_SHOWWINDOW:
        OnShowWindow(wParam, lParam);
        break;
    case WM_SETCURSOR:
        OnSetCursor(reinterpret_cast<HWND>(wParam));
        break;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        break;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_NCHITTEST:
        return OnNcHitTest(LowSigned(lParam), HighSigned(lParam));
    case WM_TIMER:
        OnTimer(wParam);
        return 1;
    default:
        break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

void CWindowCtrl::ShowCmd(int cmd) {
    if (IsWindow(hwnd))
        ShowWindow(hwnd, cmd);
}

void CWindowCtrl::SetBounds(const RECT& rect) {
    if (hwnd && IsWindow(hwnd))
        MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void CWindowCtrl::GetBounds(RECT* rect) const {
    if (hwnd && IsWindow(hwnd))
        GetWindowRect(hwnd, rect);
}

LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CAppManager* manager = CurrentManager();
    if (!manager)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    CWindowCtrl* window = manager->FindWindowObject(hwnd);
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        window = static_cast<CWindowCtrl*>(cs->lpCreateParams);
        if (window) {
            window->hwnd = hwnd;
            window->manager = manager;
            manager->AddWindow(hwnd, window);
        }
    } else if (msg == WM_NCDESTROY) {
        manager->RemoveWindow(hwnd);
    }
    if (window)
        return window->RouteNativeMessage(hwnd, msg, wParam, lParam);
    manager->OnForeignMessage(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
