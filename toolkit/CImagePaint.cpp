#include "toolkit/CImagePaint.h"

#include <algorithm>

#include "toolkit/CSanDC.h"
#include "toolkit/ImageHelpers.h"

using namespace gdip;

namespace {

constexpr RECT kNoRect = {-1, -1, -1, -1};

int LowSigned(LPARAM value) {
    return static_cast<short>(LOWORD(value));
}
int HighSigned(LPARAM value) {
    return static_cast<short>(HIWORD(value));
}

bool IsInert(UINT id) {
    return id >= CImagePaint::kInertFirstId && id <= CImagePaint::kInertLastId;
}

bool Contains(const RECT& rect, POINT point) {
    return PtInRect(&rect, point) != FALSE;
}

template <typename Element>
auto FindById(const std::vector<std::unique_ptr<Element>>& elements, decltype(Element::id) id) {
    return std::find_if(elements.begin(), elements.end(),
                        [id](const std::unique_ptr<Element>& element) { return element->id == id; });
}

// Whether an element has to be drawn in a pass limited to update (and to its region, when known).
bool Reaches(const RECT& rect, const RECT* update, HRGN updateRegion) {
    if (!update)
        return true;
    RECT overlap;
    if (!IntersectRect(&overlap, &rect, update))
        return false;
    return !updateRegion || RectInRegion(updateRegion, &rect);
}

} // namespace

CImagePaint::~CImagePaint() {
    hotButton = nullptr;
    buttons.clear();
    statics.clear();
}

bool CImagePaint::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT point = {LowSigned(lParam), HighSigned(lParam)};
    switch (msg) {
    case WM_CREATE:
        if (!backgroundBrush && (backgroundColor >> 24) != 0) {
            GpSolidFill* brush = nullptr;
            GdipCreateSolidFill(backgroundColor, &brush);
            backgroundBrush.reset(brush);
        }
        return false;
    case WM_DESTROY:
        Clear();
        return false;
    case WM_SIZE:
        Relayout(point.x, point.y);
        return false;
    case WM_PAINT:
        Paint();
        return false;
    case WM_ERASEBKGND: {
        // Painting here only once per client size keeps a resize from showing an unpainted area;
        // every other erase is left to WM_PAINT, which covers the whole update area anyway.
        RECT client = {0, 0, 0, 0};
        if (hwnd)
            GetClientRect(hwnd, &client);
        if (!EqualRect(&client, &lastClientRect)) {
            Paint();
            lastClientRect = client;
        }
        return true;
    }
    case WM_SHOWWINDOW:
        if (wParam) {
            if (layered)
                PaintLayered();
        } else {
            mouseX = mouseY = -1;
        }
        return false;
    case WM_MOUSEMOVE:
        mouseX = point.x;
        mouseY = point.y;
        return OnMouseMove(point);
    case WM_LBUTTONDOWN:
        mouseX = point.x;
        mouseY = point.y;
        return OnLeftDown(point);
    case WM_LBUTTONUP:
        mouseX = point.x;
        mouseY = point.y;
        return OnLeftUp(point);
    case WM_LBUTTONDBLCLK:
        if (point.y <= kCaptionBandBottom && draggable)
            ToggleMaximize();
        return false;
    case WM_RBUTTONDOWN:
        mouseX = point.x;
        mouseY = point.y;
        return OnRightDown(point);
    case WM_RBUTTONUP:
        mouseX = point.x;
        mouseY = point.y;
        OnRightUp(point);
        return false;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return false;
    default:
        return false;
    }
}

bool CImagePaint::OnMouseMove(POINT point) {
    if (!tracking) {
        TRACKMOUSEEVENT request = {};
        request.cbSize = sizeof(request);
        request.dwFlags = TME_HOVER | TME_LEAVE;
        request.hwndTrack = hwnd;
        request.dwHoverTime = 10;
        if (TrackMouseEvent(&request))
            tracking = true;
    }
    // Nothing changes while the pointer stays on the hot button or the left button is held.
    if (hotButton && Contains(hotButton->rect, point) && tracking)
        return false;
    if (leftPressed)
        return false;

    CImageButton* previous = hotButton;
    CImageButton* found = nullptr;
    if (tracking) {
        for (const auto& button : buttons) {
            if (!IsInert(button->id) && Contains(button->rect, point) && button->visible) {
                found = button.get();
                break;
            }
        }
    }
    if (previous)
        InvalidateArea(previous->rect);
    if (!found) {
        hotButton = nullptr;
        return false;
    }
    hotButton = found;
    InvalidateArea(found->rect);
    if (onButtonHover && !onButtonHover(found))
        return true;
    return false;
}

bool CImagePaint::OnLeftDown(POINT point) {
    bool onButton = false;
    if (hotButton && hotButton->visible && Contains(hotButton->rect, point)) {
        leftPressed = true;
        pressedRect = hotButton->rect;
        InvalidateArea(pressedRect);
        const HWND window = hwnd;
        if (onButtonDown && !onButtonDown(hotButton))
            return true;
        // A handler that ended the window: there is nothing left to capture for.
        if (window && !hwnd)
            return true;
        if (!captured) {
            SetCapture(hwnd);
            captured = true;
            return false;
        }
        onButton = true;
    }
    const bool implicitCaption =
        captionRect.right == captionRect.left && captionRect.bottom == captionRect.top;
    if (implicitCaption) {
        if (onButton)
            return false;
        if (point.y <= kCaptionBandBottom && draggable)
            PostCaptionDrag(point);
    } else {
        if (Contains(captionRect, point) && draggable)
            PostCaptionDrag(point);
        if (onButton)
            return false;
    }
    pressedRect = kNoRect;
    return false;
}

void CImagePaint::DropCapture() {
    if (captured) {
        ReleaseCapture();
        captured = false;
    }
}

bool CImagePaint::OnLeftUp(POINT point) {
    DropCapture();
    leftPressed = false;
    if (hotButton) {
        const RECT hotRect = hotButton->rect;
        const bool inPressed = Contains(pressedRect, point);
        if (inPressed && !OnClick(hotButton))
            return true;
        if (!inPressed && !Contains(hotRect, point)) {
            mouseX = mouseY = -1;
            hotButton = nullptr;
        }
        InvalidateArea(hotRect);
    }
    pressedRect = kNoRect;
    return false;
}

bool CImagePaint::OnRightDown(POINT point) {
    if (hotButton && Contains(hotButton->rect, point)) {
        rightPressed = true;
        rightPressedRect = hotButton->rect;
        const HWND window = hwnd;
        if (onButtonRDown && !onButtonRDown(hotButton))
            return true;
        if (window && !hwnd)
            return true;
        if (!captured) {
            SetCapture(hwnd);
            captured = true;
        }
        return false;
    }
    rightPressedRect = kNoRect;
    return false;
}

void CImagePaint::OnRightUp(POINT point) {
    DropCapture();
    rightPressed = false;
    if (hotButton) {
        if (Contains(rightPressedRect, point)) {
            if (onButtonRClick && !onButtonRClick(hotButton))
                return;
        } else if (!Contains(hotButton->rect, point)) {
            mouseX = mouseY = -1;
            hotButton = nullptr;
        }
    }
    rightPressedRect = kNoRect;
}

void CImagePaint::OnMouseLeave() {
    tracking = false;
    mouseX = mouseY = -1;
    if (leftPressed)
        return;
    if (hotButton) {
        // A maximised window's edge buttons stay lit when the pointer rests on the screen edge.
        if (hwnd && IsZoomed(hwnd)) {
            POINT cursor;
            if (GetCursorPos(&cursor) && ScreenToClient(hwnd, &cursor) && Contains(hotButton->rect, cursor)) {
                mouseX = cursor.x;
                mouseY = cursor.y;
            }
        }
        InvalidateArea(hotButton->rect);
    }
    hotButton = nullptr;
}

void CImagePaint::PostCaptionDrag(POINT point) {
    // Default processing of a caption press runs the system's move loop.
    const LPARAM where = static_cast<LPARAM>((static_cast<DWORD>(point.y) << 16) | (point.x & 0xFFFF));
    PostMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, where);
}

bool CImagePaint::IsListed(const CImageButton* button) const {
    return std::any_of(buttons.begin(), buttons.end(), [button](const std::unique_ptr<CImageButton>& listed) {
        return listed.get() == button;
    });
}

bool CImagePaint::OnClick(CImageButton* button) {
    if (onButtonClick) {
        if (!onButtonClick(hotButton))
            return false;
        // A handler that ended the window or removed the button without saying so: stop here.
        if (!hwnd || (button && !IsListed(button)))
            return false;
    }
    if (!button || button->noDefaultAction || !button->visible)
        return true;
    switch (button->id) {
    case kCloseId:
        DestroyWindow(hwnd);
        return false;
    case kMinimizeId:
        ShowWindow(hwnd, SW_MINIMIZE);
        return true;
    case kMaximizeId:
    case kRestoreId:
        ToggleMaximize();
        return true;
    default:
        return true;
    }
}

void CImagePaint::ToggleMaximize() {
    CImageButton* maximize = FindButton(kMaximizeId);
    CImageButton* restore = FindButton(kRestoreId);
    if (!maximize || !restore)
        return;
    if (IsZoomed(hwnd)) {
        maximize->visible = true;
        restore->visible = false;
        ShowWindow(hwnd, SW_RESTORE);
    } else {
        restore->visible = true;
        maximize->visible = false;
        ShowWindow(hwnd, SW_MAXIMIZE);
    }
}

CImageButton* CImagePaint::AddButton(UINT id, int, int normalId, int hoverId, int pressedId, int disabledId,
                                     const RECT& rect) {
    if (CImageButton* existing = FindButton(id)) {
        existing->SetImages(normalId, hoverId, pressedId, disabledId);
        existing->text[0] = L'\0';
        existing->SetRect(rect.left, rect.top, rect.right, rect.bottom);
        return existing;
    }
    auto button = std::make_unique<CImageButton>(hwnd, id, rect.left, rect.top, rect.right, rect.bottom, L"");
    button->SetImages(normalId, hoverId, pressedId, disabledId);
    buttons.push_back(std::move(button));
    return buttons.back().get();
}

CImageButton* CImagePaint::FindButton(UINT id) const {
    auto found = FindById(buttons, id);
    return found == buttons.end() ? nullptr : found->get();
}

bool CImagePaint::RemoveButton(UINT id) {
    auto found = FindById(buttons, id);
    if (found == buttons.end())
        return false;
    if (hotButton == found->get())
        hotButton = nullptr;
    buttons.erase(found);
    return true;
}

CImageStatic* CImagePaint::AddStatic(int imageId, int id, bool smoothEdges, const RECT& rect) {
    CImageStatic* item = FindStatic(id);
    if (!item) {
        statics.push_back(std::make_unique<CImageStatic>());
        item = statics.back().get();
    }
    item->id = id;
    item->smoothEdges = smoothEdges;
    item->rect = rect;
    item->image.reset();
    item->image = LoadPngResource(imageId);
    return item;
}

CImageStatic* CImagePaint::FindStatic(int id) const {
    auto found = FindById(statics, id);
    return found == statics.end() ? nullptr : found->get();
}

bool CImagePaint::RemoveStatic(int id) {
    auto found = FindById(statics, id);
    if (found == statics.end())
        return false;
    statics.erase(found);
    return true;
}

void CImagePaint::SetBackgroundColor(Gdiplus::ARGB argb) {
    GpSolidFill* brush = nullptr;
    GdipCreateSolidFill(argb, &brush);
    backgroundBrush.reset(brush);
    fillBackground = true;
}

void CImagePaint::EnableLayered() {
    if (layered || !IsWindow(hwnd))
        return;
    fillBackground = false;
    layered = true;
    layeredAlpha = 255;
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
        SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
        updateLayeredWindow = reinterpret_cast<UpdateLayeredWindowProc>(
            reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")));
    }
    PaintLayered();
}

void CImagePaint::DrawPass(GpGraphics* graphics, const RECT& client, const RECT* update, HRGN updateRegion) {
    if (fillBackground && backgroundBrush) {
        GdipFillRectangleI(graphics, backgroundBrush.get(), client.left - 1, client.top - 1,
                           client.right - client.left + 1, client.bottom - client.top + 1);
    }
    if (onDrawBackground)
        onDrawBackground(graphics);
    const RECT atOwnRect = {0, 0, 0, 0};
    for (const auto& item : statics) {
        if (Reaches(item->rect, update, updateRegion))
            item->Draw(graphics, atOwnRect);
    }
    for (const auto& button : buttons) {
        if (Reaches(button->rect, update, updateRegion))
            button->Draw(graphics, mouseX, mouseY, leftPressed, atOwnRect);
    }
    if (onDrawForeground)
        onDrawForeground(graphics);
}

void CImagePaint::Paint() {
    if (!hwnd)
        return;
    RECT update = {0, 0, 0, 0};
    GetUpdateRect(hwnd, &update, FALSE);
    // Drawing is clipped to the damaged region, so a hover change costs two button areas, not the
    // rectangle around them; the paint DC clips the copy to the same region.
    OwnedRegion region(CreateRectRgn(0, 0, 0, 0));
    if (region && GetUpdateRgn(hwnd, region.get(), FALSE) <= NULLREGION)
        region.reset();

    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    {
        CSanDC surface(dc, client, &update);
        if (surface.memDC && surface.bitmap) {
            SetBkMode(surface.memDC.get(), TRANSPARENT);
            GpGraphics* raw = nullptr;
            GdipCreateFromHDC(surface.memDC.get(), &raw);
            GraphicsPtr graphics(raw);
            if (graphics) {
                GdipSetSmoothingMode(raw, Gdiplus::SmoothingModeHighQuality);
                if (region)
                    GdipSetClipHrgn(raw, region.get(), Gdiplus::CombineModeReplace);
                DrawPass(raw, client, &update, region.get());
            }
        }
    }
    EndPaint(hwnd, &ps);
}

void CImagePaint::PaintLayered() {
    if (!updateLayeredWindow || !hwnd)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    OwnedDC memDC;
    {
        WindowDC windowDC(hwnd);
        memDC.reset(CreateCompatibleDC(windowDC.get()));
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap surface(memDC ? CreateDIBSection(memDC.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                              : nullptr);
    if (!surface)
        return;
    SelectedObject selected(memDC.get(), surface.get());
    SetBkMode(memDC.get(), TRANSPARENT);
    {
        GpGraphics* raw = nullptr;
        GdipCreateFromHDC(memDC.get(), &raw);
        GraphicsPtr graphics(raw);
        if (!graphics)
            return;
        GdipSetSmoothingMode(raw, Gdiplus::SmoothingModeHighQuality);
        DrawPass(raw, client, nullptr, nullptr);
    }
    RECT window;
    GetWindowRect(hwnd, &window);
    POINT destination = {window.left, window.top};
    SIZE size = {width, height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, layeredAlpha, AC_SRC_ALPHA};
    WindowDC screen(nullptr);
    updateLayeredWindow(hwnd, screen.get(), &destination, &size, memDC.get(), &source, 0, &blend, ULW_ALPHA);
}

void CImagePaint::InvalidateArea(const RECT& area) {
    // A null window would mean every window of the desktop.
    if (!hwnd)
        return;
    if (layered)
        PaintLayered();
    else
        InvalidateRect(hwnd, &area, TRUE);
}

void CImagePaint::Relayout(int cx, int cy) {
    for (const auto& button : buttons) {
        RECT r = button->rect;
        if (button->rightMargin != -1 && cx - button->rightMargin != r.right) {
            const int shift = cx - button->rightMargin - r.right;
            button->SetRect(r.left + shift, r.top, r.right + shift, r.bottom);
        }
        r = button->rect;
        if (button->bottomMargin != -1 && cy - button->bottomMargin != r.bottom) {
            const int shift = cy - button->bottomMargin - r.bottom;
            button->SetRect(r.left, r.top + shift, r.right, r.bottom + shift);
        }
    }
    for (const auto& item : statics) {
        RECT& r = item->rect;
        if (item->rightMargin != -1 && cx - item->rightMargin != r.right) {
            const int right = cx - item->rightMargin;
            r.left = item->fixedLeft != -1 ? item->fixedLeft : r.left + (right - r.right);
            r.right = right;
        }
        if (item->bottomMargin != -1 && cy - item->bottomMargin != r.bottom) {
            const int bottom = cy - item->bottomMargin;
            r.top = item->fixedTop != -1 ? item->fixedTop : r.top + (bottom - r.bottom);
            r.bottom = bottom;
        }
    }
    InvalidateArea(RECT{0, 0, cx, cy});
}

void CImagePaint::Clear() {
    hotButton = nullptr;
    statics.clear();
    buttons.clear();
    mouseX = mouseY = -1;
    hwnd = nullptr;
    backgroundBrush.reset();
    layered = false;
    // The window is gone, and with it its capture and mouse tracking: a new window starts idle.
    captured = false;
    leftPressed = false;
    rightPressed = false;
    tracking = false;
    pressedRect = kNoRect;
    rightPressedRect = kNoRect;
}
