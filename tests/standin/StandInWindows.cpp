#include "StandInWindows.h"

#include <mutex>

#include "StandInModule.h"

namespace standin {

const wchar_t kFlashWindowClass[] = L"MacromediaFlashPlayerActiveX";

namespace {

const wchar_t kFrameClass[] = L"CorvaneStandInBrowser";
const wchar_t kPageClass[] = L"CorvaneStandInPage";
const wchar_t kMessageClass[] = L"CorvaneStandInMessages";

const int kTitleBandHeight = 28;
const int kContentTop = 52;
const int kMargin = 8;
const COLORREF kBandColour = RGB(0xE4, 0xEC, 0xF4);
const COLORREF kFlashColour = RGB(0x20, 0x30, 0x40);
const UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;

std::once_flag g_classesOnce;

LRESULT CALLBACK FlashProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTTAB;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(kFlashColour);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        wchar_t text[600] = L"Flash ";
        GetWindowTextW(hwnd, text + 6, 600 - 6);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc, text, -1, &client,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void RegisterClassOnce(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

void EnsureClasses();

// The object a window was created for: stored at WM_NCCREATE, read for every later message.
template <class T> T* WindowObject(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

int Resolve(int value, bool percent, int whole) {
    if (!percent)
        return value;
    return static_cast<int>(static_cast<long long>(whole) * value / 100);
}

} // namespace

BrowserWindows::~BrowserWindows() {
    Destroy();
}

bool BrowserWindows::Create(HWND parent, const RECT& rect) {
    if (frame_)
        return true;
    EnsureClasses();
    if (!titleFont_)
        titleFont_ =
            CreateFontW(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    frame_ = CreateWindowExW(0, kFrameClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                             rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                             nullptr, ModuleInstance(), this);
    if (!frame_)
        return false;
    RECT client;
    GetClientRect(frame_, &client);
    page_ = CreateWindowExW(0, kPageClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, client.right,
                            client.bottom, frame_, nullptr, ModuleInstance(), this);
    if (!page_) {
        Destroy();
        return false;
    }
    CreateFlashWindows();
    return true;
}

void BrowserWindows::Destroy() {
    flash_.clear(); // children go with their parent
    if (frame_) {
        HWND frame = frame_;
        frame_ = nullptr;
        page_ = nullptr;
        DestroyWindow(frame);
    }
    if (titleFont_) {
        DeleteObject(titleFont_);
        titleFont_ = nullptr;
    }
}

void BrowserWindows::Move(const RECT& rect) {
    if (frame_)
        MoveWindow(frame_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void BrowserWindows::Show(bool visible) {
    if (frame_)
        ShowWindow(frame_, visible ? SW_SHOW : SW_HIDE);
}

void BrowserWindows::SetContent(PageContent content) {
    content_ = std::move(content);
    for (HWND flash : flash_)
        DestroyWindow(flash);
    flash_.clear();
    CreateFlashWindows();
    if (page_)
        InvalidateRect(page_, nullptr, TRUE);
}

void BrowserWindows::CreateFlashWindows() {
    if (!page_)
        return;
    for (const FlashObject& object : content_.flash) {
        HWND flash = CreateWindowExW(0, kFlashWindowClass, object.src.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                     0, page_, nullptr, ModuleInstance(), nullptr);
        if (flash)
            flash_.push_back(flash);
    }
    LayoutFlashWindows();
}

// Flash objects follow the text block, one below the other, at the size the page gives them.
void BrowserWindows::LayoutFlashWindows() {
    RECT client;
    GetClientRect(page_, &client);
    int top = kContentTop;
    if (!content_.text.empty()) {
        RECT text = {kMargin, kContentTop, client.right - kMargin, kContentTop};
        HDC dc = GetDC(page_);
        HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc, content_.text.c_str(), -1, &text, kTextFormat | DT_CALCRECT);
        SelectObject(dc, oldFont);
        ReleaseDC(page_, dc);
        top = text.bottom + kMargin;
    }
    for (size_t i = 0; i < flash_.size() && i < content_.flash.size(); ++i) {
        const FlashObject& object = content_.flash[i];
        const int width = Resolve(object.width, object.widthPercent, client.right);
        const int height = Resolve(object.height, object.heightPercent, client.bottom);
        MoveWindow(flash_[i], kMargin, top, width, height, TRUE);
        top += height;
    }
}

void BrowserWindows::Paint(HDC dc) const {
    RECT client;
    GetClientRect(page_, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT band = {0, 0, client.right, kTitleBandHeight};
    HBRUSH bandBrush = CreateSolidBrush(kBandColour);
    FillRect(dc, &band, bandBrush);
    DeleteObject(bandBrush);
    SetBkMode(dc, TRANSPARENT);

    const UINT lineFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    HGDIOBJ oldFont = SelectObject(dc, titleFont_ ? titleFont_ : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, RGB(0x10, 0x20, 0x30));
    RECT titleRect = {kMargin, 0, client.right - kMargin, kTitleBandHeight};
    DrawTextW(dc, content_.title.c_str(), -1, &titleRect, lineFormat);

    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, RGB(0x60, 0x60, 0x60));
    RECT urlRect = {kMargin, kTitleBandHeight, client.right - kMargin, kContentTop - 4};
    DrawTextW(dc, content_.url.c_str(), -1, &urlRect, lineFormat | DT_PATH_ELLIPSIS);

    SetTextColor(dc, RGB(0, 0, 0));
    RECT textRect = {kMargin, kContentTop, client.right - kMargin, client.bottom - kMargin};
    DrawTextW(dc, content_.text.c_str(), -1, &textRect, kTextFormat);
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK BrowserWindows::FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject<BrowserWindows>(hwnd, msg, lParam);
    switch (msg) {
    case WM_SIZE:
        if (self && self->page_)
            MoveWindow(self->page_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_ERASEBKGND:
        return 1; // the page window covers the frame
    case WM_NCDESTROY:
        // Destroyed with the host window: forget the handles so they are never destroyed again.
        if (self && self->frame_ == hwnd) {
            self->frame_ = nullptr;
            self->page_ = nullptr;
            self->flash_.clear();
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK BrowserWindows::PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject<BrowserWindows>(hwnd, msg, lParam);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_SIZE:
        if (self && self->page_ == hwnd)
            self->LayoutFlashWindows();
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT fills everything
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (self && self->page_ == hwnd)
            self->Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

MessageWindow::~MessageWindow() {
    Destroy();
}

bool MessageWindow::Create(Handler handler) {
    if (hwnd_)
        return true;
    EnsureClasses();
    handler_ = std::move(handler);
    hwnd_ =
        CreateWindowExW(0, kMessageClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleInstance(), this);
    return hwnd_ != nullptr;
}

void MessageWindow::Destroy() {
    if (!hwnd_)
        return;
    HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

LRESULT CALLBACK MessageWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject<MessageWindow>(hwnd, msg, lParam);
    if (self && (msg == WM_TIMER || msg >= WM_APP) && self->handler_) {
        self->handler_(msg, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

namespace {

void EnsureClasses() {
    std::call_once(g_classesOnce, [] {
        RegisterClassOnce(kFrameClass, BrowserWindows::FrameProc);
        RegisterClassOnce(kPageClass, BrowserWindows::PageProc);
        RegisterClassOnce(kFlashWindowClass, FlashProc);
        RegisterClassOnce(kMessageClass, MessageWindow::Proc);
    });
}

} // namespace

void UnregisterWindowClasses() {
    for (const wchar_t* name : {kFrameClass, kPageClass, kFlashWindowClass, kMessageClass})
        UnregisterClassW(name, ModuleInstance());
}

} // namespace standin
