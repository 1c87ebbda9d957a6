#pragma once

#include <windows.h>

#include "toolkit/GdiplusPtr.h"

// A windowless button: a rectangle, state images, a caption and drawing resources, painted by its
// holder (an element host or a menu row), which owns it and decides hover, press and click. It is
// used only on the thread of the window it is drawn in.
class CImageButton {
public:
    // Looks, and the index of their images, pens and brushes.
    enum Look { Normal = 0, Hover = 1, Pressed = 2 };
    // How the state image and the normal image combine.
    static constexpr int ImageModeSingle = 3;
    static constexpr int ImageModeNormalOnTop = 4;
    static constexpr int ImageModeStateOnTop = 5;
    static constexpr int kTextSize = 256;
    static constexpr int kDisabledImage = 3;

    CImageButton(HWND ownerWindow, UINT id, int left, int top, int right, int bottom, const wchar_t* text);
    CImageButton(const CImageButton&) = delete;
    CImageButton& operator=(const CImageButton&) = delete;

    virtual ~CImageButton();
    // Paints the look for this pointer position and button state into place, or into rect when
    // place has left equal to right.
    virtual void Draw(Gdiplus::GpGraphics* graphics, int mouseX, int mouseY, bool mouseDown, RECT place);
    virtual void SetRect(int left, int top, int right, int bottom);
    virtual BYTE HitTestPart(int x, int y);
    virtual RECT GetPartRect();
    // Draws the caption inside box (adjusted in place); a null brush draws nothing.
    virtual void DrawText(Gdiplus::GpGraphics* graphics, RECT& box, Gdiplus::GpBrush* textBrush);

    // Loads the four state images (normal, hover, pressed, disabled) by PNG resource id; a normal id
    // of 0 changes nothing.
    void SetImages(int normalId, int hoverId, int pressedId, int disabledId);
    // Loads a two-look strip: left half normal, right half hover.
    void SetImageStrip(int resourceId);
    // ARGB caption colours; a colour with alpha 0 leaves that look without its own brush.
    void SetTextColors(Gdiplus::ARGB normal, Gdiplus::ARGB hover, Gdiplus::ARGB pressed);

    // The look that Draw shows for a pointer position and button state inside box.
    Look LookAt(const RECT& box, int mouseX, int mouseY, bool mouseDown) const;

    bool checked = false;
    int rightMargin = -1;
    int bottomMargin = -1;
    int imageOffsetX = 0;
    int imageOffsetY = 0;
    RECT textPadding = {0, 2, 0, 0};
    bool showText = true;
    int drawMode = ImageModeSingle;
    UINT id;
    RECT rect;
    bool visible = true;
    bool noDefaultAction = false;
    FontPtr font;
    Gdiplus::GpFont* fontOverride = nullptr;
    wchar_t text[kTextSize];
    int lineHeight = 0;
    wchar_t tipText[kTextSize];
    HWND ownerWindow;
    ImagePtr stateImages[4];
    ImagePtr stripImage;
    bool showIcon = false;
    ImagePtr iconImages[2];
    RECT iconRect = {0, 0, 0, 0};
    PenPtr borderPens[3];
    BrushPtr backBrushes[3];
    BrushPtr textBrushes[3];
    int textAlign = 1;
};
