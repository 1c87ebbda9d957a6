#pragma once

#include <windows.h>

#include "toolkit/CImagePaint.h"
#include "toolkit/CWindowCtrl.h"
#include "toolkit/GdiHandles.h"

// The borderless, skin-drawn top-level window: its painter hosts and draws the elements, its edges
// resize it when resizable, it can keep a cut-corner region, maximises to the primary monitor's
// work area and carries the application icon. Lives on the thread that creates it.
class CImageCtrl : public CWindowCtrl {
public:
    static constexpr int kIconGroupId = 128;

    CImageCtrl();
    ~CImageCtrl() override;

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Painter events; false stops the painter's own handling (for a click: its default action).
    virtual bool OnButtonDown(CImageButton* button);
    virtual bool OnButtonClick(CImageButton* button);
    virtual bool OnButtonHover(CImageButton* button);
    virtual bool OnButtonRDown(CImageButton* button);
    virtual bool OnButtonRClick(CImageButton* button);
    virtual void OnDrawBackground(Gdiplus::GpGraphics* graphics);
    virtual void OnDrawForeground(Gdiplus::GpGraphics* graphics);

    // Installs a copy of icon as the window's small (big false) or big icon; the caller keeps its own.
    void SetIcon(HICON icon, bool big);
    // Installs the size x size image of icon group 128; false when there is none.
    bool LoadIconResource(int reserved, bool big, int size);
    // Hit-test code of a point in screen coordinates (the WM_NCHITTEST answer).
    LRESULT HitTest(int screenX, int screenY) const;

    CImagePaint paint;
    OwnedIcon icon;
    int minWidth = 0;
    int minHeight = 0;
    bool resizable = false;
    int borderHeight = 3;
    int borderWidth = 3;
    bool shapedRegion = false;

private:
    void BindPainter();
    void ApplyRegion();
    void ApplyMaximizedArea(MINMAXINFO* info) const;
    // The icon the window shows as its big one (a small copy, or null).
    HICON bigShown_ = nullptr;
    // A replaced small copy that is still the big icon, kept alive until the big icon changes.
    OwnedIcon bigIcon_;
};
