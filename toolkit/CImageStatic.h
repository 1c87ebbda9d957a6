#pragma once

#include <windows.h>

#include "toolkit/GdiplusPtr.h"

// A static picture of a window: an image stretched into a rectangle. Created and re-placed only by
// the window's element host (CImagePaint), which owns it; it never reacts to the mouse.
class CImageStatic {
public:
    CImageStatic() = default;
    CImageStatic(const CImageStatic&) = delete;
    CImageStatic& operator=(const CImageStatic&) = delete;
    virtual ~CImageStatic() = default;

    // Draws into target, or into rect when target has zero width. Nothing without an image.
    void Draw(Gdiplus::GpGraphics* graphics, const RECT& target) const;

    // Anchors to the client area's right and bottom edges; -1 leaves that side alone (see Relayout).
    int rightMargin = -1;
    int bottomMargin = -1;
    // With a right (bottom) anchor: the left (top) edge stays here and the static stretches; -1 moves it.
    int fixedLeft = -1;
    int fixedTop = -1;
    // Mirrored sampling at the borders keeps a small image's edges clean when stretched far.
    bool smoothEdges = false;
    RECT rect = {0, 0, 0, 0};
    ImagePtr image;
    int id = 0;
};
