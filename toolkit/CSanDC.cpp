#include "toolkit/CSanDC.h"

CSanDC::CSanDC(HDC target, const RECT& area, const RECT* copy)
    : copyRect(copy ? *copy : area), memDC(CreateCompatibleDC(target)), targetDC(target) {
    bitmap.reset(CreateCompatibleBitmap(target, area.right - area.left, area.bottom - area.top));
    if (memDC && bitmap)
        oldBitmap = SelectObject(memDC.get(), bitmap.get());
}

CSanDC::~CSanDC() {
    if (memDC && bitmap && targetDC) {
        BitBlt(targetDC, copyRect.left, copyRect.top, copyRect.right - copyRect.left,
               copyRect.bottom - copyRect.top, memDC.get(), copyRect.left, copyRect.top, SRCCOPY);
    }
    // The bitmap can only be deleted once it is no longer selected.
    if (oldBitmap)
        SelectObject(memDC.get(), oldBitmap);
    bitmap.reset();
    memDC.reset();
}
