#include "browser/CMyHtml.h"

#include <strsafe.h>

#include <cwchar>

#include "app/gameApp.h"
#include "browser/CHtmlAppManager.h"
#include "browser/HtmlCommand.h"
#include "browser/HtmlMessages.h"
#include "frame/FrameCommands.h"
#include "report/NetworkGuard.h"

namespace {

BOOL CALLBACK MatchFlashWindow(HWND window, LPARAM found) {
    wchar_t name[512] = {};
    GetClassNameW(window, name, 512);
    if (wcscmp(name, CWebBrowser::kFlashWindowClass) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

BOOL Queue(const HtmlCommand& record) {
    return g_htmlAppManager ? g_htmlAppManager->PostCommand(record) : FALSE;
}

} // namespace

CMyHtml::CMyHtml() : stagingUrl{} {}

HtmlCommand CMyHtml::CommandFor(int kind, UINT_PTR param1, UINT_PTR param2) {
    HtmlCommand record = {};
    record.window = ViewWindow();
    record.kind = kind;
    record.param1 = param1;
    record.view = this;
    record.param2 = param2;
    return record;
}

bool CMyHtml::OnHtmlThread() const {
    return g_htmlAppManager && g_htmlAppManager->IsHtmlThread();
}

HWND CMyHtml::CreateAt(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, int x,
                       int y, int width, int height, HWND parent) {
    if (OnHtmlThread())
        return CWindowCtrl::CreateAt(exStyle, className, windowName, style, x, y, width, height, parent);
    // The HTML thread creates the window with its own fixed style, class and title.
    HtmlCommand record =
        CommandFor(HTML_CMD_CREATE_VIEW, static_cast<UINT_PTR>(width), static_cast<UINT_PTR>(height));
    record.window = parent;
    record.left = x;
    record.top = y;
    Queue(record);
    return nullptr;
}

bool CMyHtml::Navigate(const wchar_t* url, LONG flags) {
    if (OnHtmlThread())
        return browser.Navigate(url, flags);
    size_t length = 0;
    if (!url || FAILED(StringCchLengthW(url, kStagingUrlSize, &length)))
        return false;
    {
        ProcessMutexLock lock(stagingLock);
        ZeroMemory(stagingUrl, sizeof(stagingUrl));
        StringCchCopyW(stagingUrl, kStagingUrlSize, url);
    }
    return Queue(CommandFor(HTML_CMD_NAVIGATE, reinterpret_cast<UINT_PTR>(stagingUrl),
                            static_cast<UINT_PTR>(flags))) != FALSE;
}

void CMyHtml::Refresh() {
    if (OnHtmlThread()) {
        if (browser.webBrowser)
            browser.webBrowser->Refresh();
        return;
    }
    Queue(CommandFor(HTML_CMD_REFRESH));
}

void CMyHtml::SetSilent(BOOL value) {
    if (OnHtmlThread()) {
        if (browser.webBrowser)
            browser.webBrowser->put_Silent(value ? VARIANT_TRUE : VARIANT_FALSE);
        return;
    }
    Queue(CommandFor(HTML_CMD_SET_SILENT, static_cast<UINT_PTR>(value)));
}

bool CMyHtml::CopyStagedUrl(const wchar_t* staged, wchar_t* out, size_t outSize) {
    if (!out || outSize == 0)
        return false;
    ProcessMutexLock lock(stagingLock);
    return SUCCEEDED(StringCchCopyW(out, outSize, staged ? staged : L""));
}

void CMyHtml::OnBeforeNavigate(IDispatch*, const wchar_t*, VARIANT_BOOL*) {}

HWND CMyHtml::FindFlashWindow(HWND parent) {
    HWND found = nullptr;
    if (parent)
        EnumChildWindows(parent, MatchFlashWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CMyHtml::OnCreate(CREATESTRUCTW*) {
    viewHandle = hwnd;
    viewWindow = hwnd;
    browser.CreateBrowser(hwnd);
    browser.onBeforeNavigate = [this](IDispatch* frame, const wchar_t* url, VARIANT_BOOL* cancel) {
        OnBeforeNavigate(frame, url, cancel);
    };
    InitHostWhitelist();
    InstallNetworkHooks();
}

void CMyHtml::OnDestroy() {
    viewHandle = nullptr;
    browser.inPlaceGranted = 0;
    // The control is released here, on its own thread and while that thread still has OLE.
    browser.ReleaseControl();
}

LRESULT CMyHtml::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_HTML_RELOAD && wParam == RELOAD_HOME_CODE) {
        if (theApp)
            Navigate(theApp->homeUrl, navNoHistory);
    } else if (msg == WM_HTML_REFIT) {
        OnSize(0, 0, 0);
    }
    return 0;
}

void CMyHtml::OnSize(UINT, int, int) {
    const HWND view = ViewWindow();
    RECT client = {};
    if (view)
        GetClientRect(view, &client);
    // Off the HTML thread this answers from the cache only; a stale cache is refreshed over there.
    const HWND control = browser.GetBrowserWindow();
    if (!control && view && !OnHtmlThread())
        PostMessageW(view, WM_HTML_REFIT, 0, 0);
    if (control) {
        const int width = client.right - client.left;
        const int height = client.bottom - client.top;
        // Before the game the control reaches 4 pixels below the view, hiding the page's bottom edge.
        MoveWindow(control, client.left, client.top, width, height + (inGame ? 0 : 4), TRUE);
        if (HWND flash = FindFlashWindow(control))
            MoveWindow(flash, client.left, client.top, width, height, TRUE);
    }
    if (inGame)
        RemoveNetworkHooks();
}

bool CMyHtml::PreTranslateMessage(MSG* msg) {
    if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && inGame) {
        const HWND parent = GetParent(hwnd);
        if (msg->wParam == VK_ESCAPE)
            PostMessageW(parent, WM_FRAME_COMMAND, FRAME_CMD_EXIT_FULLSCREEN, 0);
        else if (msg->wParam == VK_F10)
            PostMessageW(parent, WM_FRAME_COMMAND, FRAME_CMD_TOGGLE_FULLSCREEN, 0);
    }
    return browser.TranslateKeyMessage(msg) == S_OK;
}
