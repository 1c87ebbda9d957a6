#include "toolkit/CImageButton.h"

#include <strsafe.h>

#include "toolkit/ImageHelpers.h"

using namespace gdip;

namespace {

// The look's own resource, else the normal one.
template <typename Holder> auto OwnOrNormal(const Holder (&byLook)[3], CImageButton::Look look) {
    return byLook[look] ? byLook[look].get() : byLook[CImageButton::Normal].get();
}

} // namespace

CImageButton::CImageButton(HWND owner, UINT buttonId, int left, int top, int right, int bottom,
                           const wchar_t* caption)
    : id(buttonId), rect{left, top, right, bottom}, ownerWindow(owner) {
    font = MakeFont(L"\u5b8b\u4f53", 9.0f, Gdiplus::FontStyleRegular);
    GpSolidFill* black = nullptr;
    GdipCreateSolidFill(0xFF000000, &black);
    textBrushes[Normal].reset(black);
    text[0] = L'\0';
    tipText[0] = L'\0';
    // A longer caption is cut to the buffer.
    StringCchPrintfW(text, kTextSize, L"%s", caption ? caption : L"");
}

CImageButton::~CImageButton() = default;

CImageButton::Look CImageButton::LookAt(const RECT& box, int mouseX, int mouseY, bool mouseDown) const {
    if (checked)
        return Pressed;
    const POINT point = {mouseX, mouseY};
    if (!PtInRect(&box, point))
        return Normal;
    return mouseDown ? Pressed : Hover;
}

void CImageButton::Draw(GpGraphics* graphics, int mouseX, int mouseY, bool mouseDown, RECT place) {
    if (!visible || !graphics)
        return;
    const RECT box = place.left != place.right ? place : rect;
    const Look look = LookAt(box, mouseX, mouseY, mouseDown);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;

    GpPen* pen = OwnOrNormal(borderPens, look);
    GpBrush* background = OwnOrNormal(backBrushes, look);
    GpBrush* textBrush = OwnOrNormal(textBrushes, look);
    GpImage* normalImage = stateImages[Normal].get();
    GpImage* stateImage = stateImages[look].get();
    if (!stateImage && look == Pressed)
        stateImage = stateImages[Hover].get();
    if (!stateImage)
        stateImage = normalImage;
    GpImage* icon = look != Normal && iconImages[Hover] ? iconImages[Hover].get() : iconImages[Normal].get();

    if (background) {
        if (pen)
            GdipFillRectangleI(graphics, background, box.left + 1, box.top + 1, width - 2, height - 2);
        else
            GdipFillRectangleI(graphics, background, box.left, box.top, width, height);
    }

    switch (drawMode) {
    case ImageModeSingle:
        if (stateImage) {
            if (imageOffsetX != 0) {
                UINT w = 0, h = 0;
                GdipGetImageWidth(stateImage, &w);
                GdipGetImageHeight(stateImage, &h);
                GdipDrawImageRectI(graphics, stateImage, box.left + imageOffsetX, box.top + imageOffsetY,
                                   static_cast<INT>(w), static_cast<INT>(h));
            } else {
                GdipDrawImageRectI(graphics, stateImage, box.left, box.top, width, height);
            }
        }
        break;
    case ImageModeNormalOnTop:
        if (stateImage)
            GdipDrawImageRectI(graphics, stateImage, box.left, box.top, width, height);
        if (normalImage && normalImage != stateImage)
            GdipDrawImageRectI(graphics, normalImage, box.left, box.top, width, height);
        break;
    case ImageModeStateOnTop:
        if (normalImage && normalImage != stateImage)
            GdipDrawImageRectI(graphics, normalImage, box.left, box.top, width, height);
        if (stateImage)
            GdipDrawImageRectI(graphics, stateImage, box.left, box.top, width, height);
        break;
    default:
        break;
    }

    if (showIcon && icon) {
        GdipDrawImageRectI(graphics, icon, box.left + iconRect.left, box.top + iconRect.top,
                           iconRect.right - iconRect.left, iconRect.bottom - iconRect.top);
    }

    RECT captionBox = box;
    DrawText(graphics, captionBox, textBrush);

    if (pen) {
        const int l = box.left, t = box.top, r = box.right, b = box.bottom;
        // A rectangle with its four corner pixels cut.
        const Gdiplus::GpPoint outline[9] = {{l, t + 1},     {l + 1, t},     {r - 2, t},
                                             {r - 1, t + 1}, {r - 1, b - 2}, {r - 2, b - 1},
                                             {l + 1, b - 1}, {l, b - 2},     {l, t + 1}};
        GdipDrawLinesI(graphics, pen, outline, 9);
    }
}

void CImageButton::SetRect(int left, int top, int right, int bottom) {
    rect = {left, top, right, bottom};
}

BYTE CImageButton::HitTestPart(int, int) {
    return 0;
}

RECT CImageButton::GetPartRect() {
    return RECT{0, 0, 0, 0};
}

void CImageButton::DrawText(GpGraphics* graphics, RECT& box, GpBrush* textBrush) {
    if (!showText || text[0] == L'\0')
        return;
    if (showIcon && iconImages[Normal])
        box.left += iconRect.right - 1;
    box.left += textPadding.left;
    box.top += textPadding.top;
    box.right -= textPadding.right;
    box.bottom -= textPadding.bottom + 1;

    GpFont* captionFont = fontOverride ? fontOverride : font.get();
    if (!textBrush || !captionFont || !graphics)
        return;

    GpStringFormat* rawFormat = nullptr;
    GdipCreateStringFormat(0, LANG_NEUTRAL, &rawFormat);
    StringFormatPtr format(rawFormat);
    GdipSetStringFormatAlign(rawFormat, static_cast<Gdiplus::StringAlignment>(textAlign));
    GdipSetStringFormatLineAlign(rawFormat, Gdiplus::StringAlignmentCenter);
    GdipSetStringFormatTrimming(rawFormat, Gdiplus::StringTrimmingEllipsisWord);

    int height = box.bottom - box.top;
    int offset = 0;
    if (lineHeight != 0 && lineHeight < height) {
        height = lineHeight;
        offset = (box.bottom - lineHeight - box.top) / 2;
    }
    const Gdiplus::RectF layout(
        static_cast<Gdiplus::REAL>(box.left), static_cast<Gdiplus::REAL>(box.top + offset),
        static_cast<Gdiplus::REAL>(box.right - box.left), static_cast<Gdiplus::REAL>(height));
    GdipDrawString(graphics, text, -1, captionFont, &layout, rawFormat, textBrush);
}

void CImageButton::SetImages(int normalId, int hoverId, int pressedId, int disabledId) {
    if (normalId == 0)
        return;
    const int ids[4] = {normalId, hoverId, pressedId, disabledId};
    for (int i = 0; i < 4; ++i)
        stateImages[i] = LoadPngResource(ids[i]);
}

void CImageButton::SetImageStrip(int resourceId) {
    stripImage = LoadPngResource(resourceId);
    UINT width = 0, height = 0;
    if (stripImage) {
        GdipGetImageWidth(stripImage.get(), &width);
        GdipGetImageHeight(stripImage.get(), &height);
    }
    // An odd last column is not used.
    const int half = static_cast<int>(width / 2);
    if (half == 0)
        return;
    stateImages[Normal] = CropImage(stripImage.get(), 0, half, static_cast<int>(height));
    stateImages[Hover] = CropImage(stripImage.get(), half, half, static_cast<int>(height));
}

void CImageButton::SetTextColors(Gdiplus::ARGB normal, Gdiplus::ARGB hover, Gdiplus::ARGB pressed) {
    const Gdiplus::ARGB colours[3] = {normal, hover, pressed};
    for (int look = 0; look < 3; ++look) {
        textBrushes[look].reset();
        if (colours[look] > 0x00FFFFFF) {
            GpSolidFill* brush = nullptr;
            GdipCreateSolidFill(colours[look], &brush);
            textBrushes[look].reset(brush);
        }
    }
}
