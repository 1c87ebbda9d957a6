#include "toolkit/CImageCtrl.h"

#include <algorithm>

#include "app/CAppManager.h"

namespace {

int LowSigned(LPARAM value) {
    return static_cast<short>(LOWORD(value));
}
int HighSigned(LPARAM value) {
    return static_cast<short>(HIWORD(value));
}

// Skinned windows draw their own frame: no caption or border; they clip their children and can be
// maximised.
constexpr DWORD kStyleKeep = 0xFF3FFFFF;
constexpr DWORD kStyleAdd = 0x02010100;

} // namespace

CImageCtrl::CImageCtrl() {
    SetClassName(L"ImageCtrl");
}

CImageCtrl::~CImageCtrl() {
    // The window outlives this object until its posted WM_CLOSE arrives; it must not keep showing
    // icons that are destroyed with the object.
    if (hwnd && IsWindow(hwnd) && (icon || bigIcon_)) {
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, 0);
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, 0);
    }
}

void CImageCtrl::BindPainter() {
    paint.onButtonDown = [this](CImageButton* button) { return OnButtonDown(button); };
    paint.onButtonClick = [this](CImageButton* button) { return OnButtonClick(button); };
    paint.onButtonHover = [this](CImageButton* button) { return OnButtonHover(button); };
    paint.onButtonRDown = [this](CImageButton* button) { return OnButtonRDown(button); };
    paint.onButtonRClick = [this](CImageButton* button) { return OnButtonRClick(button); };
    paint.onDrawBackground = [this](Gdiplus::GpGraphics* graphics) { OnDrawBackground(graphics); };
    paint.onDrawForeground = [this](Gdiplus::GpGraphics* graphics) { OnDrawForeground(graphics); };
}

LRESULT CImageCtrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE: {
        paint.hwnd = hwnd;
        BindPainter();
        const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
        SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & kStyleKeep) | kStyleAdd));
        break;
    }
    case WM_NCHITTEST:
        return HitTest(LowSigned(lParam), HighSigned(lParam));
    case WM_SIZE:
        if (shapedRegion)
            ApplyRegion();
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        ApplyMaximizedArea(info);
        info->ptMinTrackSize.x = minWidth;
        info->ptMinTrackSize.y = minHeight;
        break;
    }
    case WM_WINDOWPOSCHANGING:
        // Holds the minimum for programmatic moves too, not only for mouse tracking.
        if (minWidth != 0 && minHeight != 0) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            pos->cx = std::max(pos->cx, minWidth);
            pos->cy = std::max(pos->cy, minHeight);
        }
        break;
    default:
        break;
    }
    return paint.HandleMessage(msg, wParam, lParam) ? 1 : 0;
}

LRESULT CImageCtrl::HitTest(int screenX, int screenY) const {
    RECT client = {0, 0, 0, 0};
    if (hwnd && IsWindow(hwnd))
        GetClientRect(hwnd, &client);
    POINT point = {screenX, screenY};
    ScreenToClient(hwnd, &point);
    if (!resizable)
        return HTCLIENT;
    const int x = point.x;
    const int y = point.y;
    const int bx = borderWidth;
    const int by = borderHeight;
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    if (x < bx && y < by)
        return HTTOPLEFT;
    if (x <= bx && y >= h - by)
        return HTBOTTOMLEFT;
    if (x > w - bx && y < by)
        return HTTOPRIGHT;
    if (x >= w - bx && y >= h - by)
        return HTBOTTOMRIGHT;
    if (x < bx)
        return HTLEFT;
    if (x >= w - bx)
        return HTRIGHT;
    if (y < by)
        return HTTOP;
    if (y > h - by)
        return HTBOTTOM;
    return HTCLIENT;
}

void CImageCtrl::ApplyRegion() {
    RECT client;
    GetClientRect(hwnd, &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    OwnedRegion region;
    if (IsZoomed(hwnd)) {
        region.reset(CreateRectRgn(0, 0, w, h));
    } else {
        // Top corners cut by one pixel, bottom corners by two.
        const POINT corners[8] = {{0, 1},     {1, 0},     {w - 1, 0}, {w, 1},
                                  {w, h - 2}, {w - 2, h}, {2, h},     {0, h - 2}};
        region.reset(CreatePolygonRgn(corners, 8, WINDING));
    }
    // Once set, the region belongs to the system.
    if (region && SetWindowRgn(hwnd, region.get(), TRUE))
        region.release();
}

void CImageCtrl::ApplyMaximizedArea(MINMAXINFO* info) const {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    HMONITOR nearest = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (!nearest || !GetMonitorInfoW(nearest, &monitor) || !(monitor.dwFlags & MONITORINFOF_PRIMARY))
        return;
    // Maximised on the primary monitor, the window leaves the taskbar visible.
    info->ptMaxSize.x = monitor.rcWork.right - monitor.rcWork.left;
    info->ptMaxSize.y = monitor.rcWork.bottom - monitor.rcWork.top;
    info->ptMaxPosition.x = monitor.rcWork.left;
    info->ptMaxPosition.y = monitor.rcWork.top;
}

void CImageCtrl::SetIcon(HICON given, bool big) {
    OwnedIcon retired;
    if (!big) {
        retired = std::move(icon);
        icon.reset(given ? CopyIcon(given) : nullptr);
    }
    // The window's big icon is the kept small copy: before any small icon exists, it is cleared.
    HICON sent = icon.get();
    HICON previous = nullptr;
    if (hwnd && IsWindow(hwnd)) {
        previous = reinterpret_cast<HICON>(
            SendMessageW(hwnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(sent)));
    }
    const bool ours = previous && (previous == sent || previous == retired.get() || previous == bigIcon_.get());
    if (big) {
        bigShown_ = sent;
        if (bigIcon_ && bigIcon_.get() != sent)
            bigIcon_.reset();
    } else if (retired && retired.get() == bigShown_) {
        // A replaced small copy that is still the big icon lives on until the big icon changes.
        bigIcon_ = std::move(retired);
    }
    // Our copies are freed once, by their holders; an icon installed by anyone else goes here.
    if (previous && !ours)
        DestroyIcon(previous);
}

bool CImageCtrl::LoadIconResource(int, bool big, int size) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(kIconGroupId), RT_GROUP_ICON);
    HGLOBAL groupData = group ? LoadResource(module, group) : nullptr;
    auto* directory = static_cast<BYTE*>(groupData ? LockResource(groupData) : nullptr);
    if (!directory)
        return false;
    const int iconId = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    if (iconId <= 0)
        return false;
    HRSRC entry = FindResourceW(module, MAKEINTRESOURCEW(iconId), RT_ICON);
    HGLOBAL entryData = entry ? LoadResource(module, entry) : nullptr;
    auto* bytes = static_cast<BYTE*>(entryData ? LockResource(entryData) : nullptr);
    if (!bytes)
        return false;
    OwnedIcon made(
        CreateIconFromResourceEx(bytes, SizeofResource(module, entry), TRUE, 0x00030000, size, size, 0));
    if (!made)
        return false;
    SetIcon(made.get(), big);
    return true;
}

bool CImageCtrl::OnButtonDown(CImageButton*) {
    return true;
}
bool CImageCtrl::OnButtonClick(CImageButton*) {
    return true;
}
bool CImageCtrl::OnButtonHover(CImageButton*) {
    return true;
}
bool CImageCtrl::OnButtonRDown(CImageButton*) {
    return true;
}
bool CImageCtrl::OnButtonRClick(CImageButton*) {
    return true;
}
void CImageCtrl::OnDrawBackground(Gdiplus::GpGraphics*) {}
void CImageCtrl::OnDrawForeground(Gdiplus::GpGraphics*) {}
