#pragma once

#include <windows.h>

#include "toolkit/GdiplusPtr.h"

// Skin images come from PNG resources of the executable (type "PNG"); every helper here needs GDI+
// running and is called on the thread of the window that draws.

// Decodes the PNG resource with this id into a new image; null for id 0, a missing resource or a
// stream that cannot be made.
ImagePtr LoadPngResource(int id);

// A new 32-bit ARGB bitmap holding columns x to x + width - 1 and rows 0 to height - 1 of source
// (alpha included); source is left unchanged. Null without a source.
ImagePtr CropImage(Gdiplus::GpImage* source, int x, int width, int height);

// A font of the named family in points; a missing family falls back to the generic sans-serif one.
// Null when not even that exists.
FontPtr MakeFont(const wchar_t* familyName, float sizeInPoints, int style);

// Appends a rounded rectangle outline (corner ellipses 2*rx by 2*ry) to path; the figure stays open.
void AddRoundRect(Gdiplus::GpPath* path, const RECT& rect, int rx, int ry);
