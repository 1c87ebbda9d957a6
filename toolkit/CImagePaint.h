#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "toolkit/CImageButton.h"
#include "toolkit/CImageStatic.h"
#include "toolkit/GdiplusPtr.h"

// Painter and element host of one window: owns its buttons and statics, paints them off-screen
// (CSanDC) or through UpdateLayeredWindow, re-anchors them on resize, and turns the window's mouse
// messages into hover, press, click and right click, caption drag and the default actions of the
// close (10), minimise (20), maximise (30) and restore (40) buttons. Everything runs on the thread
// of the painted window; the owner feeds it every message through HandleMessage.
class CImagePaint {
public:
    using ButtonHandler = std::function<bool(CImageButton*)>;
    using DrawHandler = std::function<void(Gdiplus::GpGraphics*)>;
    using UpdateLayeredWindowProc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                                  BLENDFUNCTION*, DWORD);

    static constexpr UINT kCloseId = 10;
    static constexpr UINT kMinimizeId = 20;
    static constexpr UINT kMaximizeId = 30;
    static constexpr UINT kRestoreId = 40;
    // Buttons with ids in this range never react to the mouse.
    static constexpr UINT kInertFirstId = 100;
    static constexpr UINT kInertLastId = 250;
    // With no explicit caption rectangle, points with y up to this value form the caption band.
    static constexpr int kCaptionBandBottom = 40;

    CImagePaint() = default;
    CImagePaint(const CImagePaint&) = delete;
    CImagePaint& operator=(const CImagePaint&) = delete;
    virtual ~CImagePaint();

    // True when the message is handled and default processing must be skipped.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Adds a button, or re-images and re-places the one with this id. The second argument is unused.
    CImageButton* AddButton(UINT id, int reserved, int normalId, int hoverId, int pressedId, int disabledId,
                            const RECT& rect);
    CImageButton* FindButton(UINT id) const;
    bool RemoveButton(UINT id);
    // Adds a static, or re-images and re-places the one with this id (image id 0: no image).
    CImageStatic* AddStatic(int imageId, int id, bool smoothEdges, const RECT& rect);
    CImageStatic* FindStatic(int id) const;
    bool RemoveStatic(int id);

    void SetBackgroundColor(Gdiplus::ARGB argb);
    void EnableLayered();
    void Paint();
    void PaintLayered();
    void InvalidateArea(const RECT& area);
    void Relayout(int cx, int cy);
    void Clear();
    // The click action; false means handled and nothing may touch the elements any more (the
    // window may be gone).
    virtual bool OnClick(CImageButton* button);
    void ToggleMaximize();

    UpdateLayeredWindowProc updateLayeredWindow = nullptr;
    bool layered = false;
    bool captured = false;
    bool leftPressed = false;
    RECT pressedRect = {0, 0, 0, 0};
    bool rightPressed = false;
    bool tracking = false;
    RECT rightPressedRect = {0, 0, 0, 0};
    bool draggable = false;
    bool fillBackground = true;
    BrushPtr backgroundBrush;
    Gdiplus::ARGB backgroundColor = 0xFFFAFAFA;
    RECT captionRect = {0, 0, 0, 0};
    int mouseX = -1;
    int mouseY = 0;
    BYTE layeredAlpha = 255;
    RECT lastClientRect = {0, 0, 0, 0};
    CImageButton* hotButton = nullptr;
    std::vector<std::unique_ptr<CImageStatic>> statics;
    std::vector<std::unique_ptr<CImageButton>> buttons;
    ButtonHandler onButtonDown;
    ButtonHandler onButtonClick;
    ButtonHandler onButtonHover;
    ButtonHandler onButtonRDown;
    ButtonHandler onButtonRClick;
    DrawHandler onDrawBackground;
    DrawHandler onDrawForeground;
    HWND hwnd = nullptr;

private:
    bool OnMouseMove(POINT point);
    bool OnLeftDown(POINT point);
    bool OnLeftUp(POINT point);
    bool OnRightDown(POINT point);
    void OnRightUp(POINT point);
    void OnMouseLeave();
    void PostCaptionDrag(POINT point);
    void DropCapture();
    bool IsListed(const CImageButton* button) const;
    // One paint pass: background, statics, buttons, foreground. With an update area, only the
    // elements that reach into it are drawn.
    void DrawPass(Gdiplus::GpGraphics* graphics, const RECT& client, const RECT* update, HRGN updateRegion);
};
