#pragma once

#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

#include <memory>

#include "toolkit/GdiHandles.h"

// Owning holders of GDI+ objects (flat API). Each disposes its object once; an empty holder is null.
namespace gdip {
using namespace Gdiplus::DllExports;
using Gdiplus::GpBitmap;
using Gdiplus::GpBrush;
using Gdiplus::GpFont;
using Gdiplus::GpFontFamily;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;
using Gdiplus::GpImageAttributes;
using Gdiplus::GpPath;
using Gdiplus::GpPen;
using Gdiplus::GpSolidFill;
using Gdiplus::GpStringFormat;
using Gdiplus::GpTexture;
} // namespace gdip

using ImagePtr = std::unique_ptr<Gdiplus::GpImage, HandleReleaser<&gdip::GdipDisposeImage>>;
using BrushPtr = std::unique_ptr<Gdiplus::GpBrush, HandleReleaser<&gdip::GdipDeleteBrush>>;
using PenPtr = std::unique_ptr<Gdiplus::GpPen, HandleReleaser<&gdip::GdipDeletePen>>;
using FontPtr = std::unique_ptr<Gdiplus::GpFont, HandleReleaser<&gdip::GdipDeleteFont>>;
using FontFamilyPtr = std::unique_ptr<Gdiplus::GpFontFamily, HandleReleaser<&gdip::GdipDeleteFontFamily>>;
using GraphicsPtr = std::unique_ptr<Gdiplus::GpGraphics, HandleReleaser<&gdip::GdipDeleteGraphics>>;
using PathPtr = std::unique_ptr<Gdiplus::GpPath, HandleReleaser<&gdip::GdipDeletePath>>;
using StringFormatPtr =
    std::unique_ptr<Gdiplus::GpStringFormat, HandleReleaser<&gdip::GdipDeleteStringFormat>>;
using ImageAttributesPtr =
    std::unique_ptr<Gdiplus::GpImageAttributes, HandleReleaser<&gdip::GdipDisposeImageAttributes>>;
