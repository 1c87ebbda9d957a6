#include "toolkit/CImageStatic.h"

using namespace gdip;

void CImageStatic::Draw(GpGraphics* graphics, const RECT& target) const {
    const RECT& box = target.right - target.left != 0 ? target : rect;
    if (!image || !graphics)
        return;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    if (!smoothEdges) {
        GdipDrawImageRectI(graphics, image.get(), box.left, box.top, width, height);
        return;
    }
    // Stretching samples beyond the last pixel; mirroring makes those samples the edge pixels
    // themselves instead of transparent black.
    GpImageAttributes* raw = nullptr;
    GdipCreateImageAttributes(&raw);
    ImageAttributesPtr attributes(raw);
    GdipSetImageAttributesWrapMode(raw, Gdiplus::WrapModeTileFlipXY, 0xFF000000, FALSE);
    UINT imageWidth = 0;
    UINT imageHeight = 0;
    GdipGetImageWidth(image.get(), &imageWidth);
    GdipGetImageHeight(image.get(), &imageHeight);
    GdipDrawImageRectRectI(graphics, image.get(), box.left, box.top, width, height, 0, 0,
                           static_cast<INT>(imageWidth), static_cast<INT>(imageHeight), Gdiplus::UnitPixel,
                           raw, nullptr, nullptr);
}
