#pragma once

#include <windows.h>

#include "toolkit/GdiHandles.h"

// An off-screen surface of a window's client size: everything is drawn into memDC and, when the
// surface goes away, copyRect is copied to the target DC in one BitBlt. Client coordinates
// throughout (the area starts at 0, 0).
class CSanDC {
public:
    CSanDC(HDC target, const RECT& area, const RECT* copy);
    CSanDC(const CSanDC&) = delete;
    CSanDC& operator=(const CSanDC&) = delete;
    virtual ~CSanDC();

    OwnedBitmap bitmap;
    HGDIOBJ oldBitmap = nullptr;
    RECT copyRect;
    OwnedDC memDC;
    HDC targetDC;
};
