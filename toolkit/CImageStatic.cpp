#include "toolkit/CImageStatic.h"

using namespace gdip;

namespace {

// Drawing a picture at its own size where only part of it can show (a hover repaint clipped to two
// buttons): some GDI+ implementations convert the whole picture on every draw, so only the visible
// piece is copied out and drawn. The pixels are the same. False when this does not apply.
bool DrawVisiblePiece(GpGraphics* graphics, GpImage* image, const RECT& box) {
    Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
    UINT width = 0, height = 0;
    GdipGetImageType(image, &type);
    GdipGetImageWidth(image, &width);
    GdipGetImageHeight(image, &height);
    if (type != Gdiplus::ImageTypeBitmap || static_cast<LONG>(width) != box.right - box.left ||
        static_cast<LONG>(height) != box.bottom - box.top)
        return false;
    Gdiplus::GpRect clip;
    if (GdipGetVisibleClipBoundsI(graphics, &clip) != Gdiplus::Ok)
        return false;
    const RECT clipRect = {clip.X, clip.Y, clip.X + clip.Width, clip.Y + clip.Height};
    RECT visible;
    if (!IntersectRect(&visible, &box, &clipRect))
        return true; // nothing of it shows
    if (EqualRect(&visible, &box))
        return false;
    Gdiplus::PixelFormat format = PixelFormat32bppARGB;
    GdipGetImagePixelFormat(image, &format);
    Gdiplus::GpBitmap* piece = nullptr;
    if (GdipCloneBitmapAreaI(visible.left - box.left, visible.top - box.top, visible.right - visible.left,
                             visible.bottom - visible.top, format, static_cast<Gdiplus::GpBitmap*>(image),
                             &piece) != Gdiplus::Ok)
        return false;
    ImagePtr owned(piece);
    GdipDrawImageRectI(graphics, piece, visible.left, visible.top, visible.right - visible.left,
                       visible.bottom - visible.top);
    return true;
}

} // namespace

void CImageStatic::Draw(GpGraphics* graphics, const RECT& target) const {
    const RECT& box = target.right - target.left != 0 ? target : rect;
    if (!image || !graphics)
        return;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    if (!smoothEdges) {
        if (!DrawVisiblePiece(graphics, image.get(), box))
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
