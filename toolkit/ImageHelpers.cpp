#include "toolkit/ImageHelpers.h"

#include <atomic>
#include <cstring>

using namespace gdip;

namespace {

// The generic sans-serif family, fetched once and kept for the life of the process (GDI+ owns it).
// MakeFont may run on more than one thread; the first successful lookup wins.
std::atomic<GpFontFamily*> genericSansSerif{nullptr};

GpFontFamily* GenericSansSerif() {
    if (GpFontFamily* known = genericSansSerif.load())
        return known;
    GpFontFamily* found = nullptr;
    if (GdipGetGenericFontFamilySansSerif(&found) != Gdiplus::Ok || !found)
        return nullptr;
    GpFontFamily* expected = nullptr;
    if (!genericSansSerif.compare_exchange_strong(expected, found)) {
        GdipDeleteFontFamily(found);
        return expected;
    }
    return found;
}

// The bytes of a resource stay valid for the life of the module.
bool FindPngBytes(int id, const void** bytes, DWORD* size) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(LOWORD(id)), L"PNG");
    if (!info)
        return false;
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded)
        return false;
    *bytes = LockResource(loaded);
    *size = SizeofResource(module, info);
    return *bytes && *size;
}

} // namespace

ImagePtr LoadPngResource(int id) {
    if (id == 0)
        return nullptr;
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!FindPngBytes(id, &bytes, &size))
        return nullptr;

    // GDI+ reads the picture from a stream that it keeps until the image is disposed; the stream
    // owns a copy of the bytes in a movable block and frees it on its last release.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block)
        return nullptr;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(block);

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        return nullptr;
    }
    GpImage* image = nullptr;
    GdipLoadImageFromStreamICM(stream, &image);
    stream->Release();
    return ImagePtr(image);
}

ImagePtr CropImage(GpImage* source, int x, int width, int height) {
    if (!source)
        return nullptr;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok)
        return nullptr;
    ImagePtr result(bitmap);

    Gdiplus::GpTexture* texture = nullptr;
    GdipCreateTextureIA(source, nullptr, static_cast<Gdiplus::REAL>(x), 0.0f,
                        static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height), &texture);
    BrushPtr brush(texture);
    GpGraphics* graphics = nullptr;
    GdipGetImageGraphicsContext(bitmap, &graphics);
    GraphicsPtr context(graphics);
    if (brush && context)
        GdipFillRectangleI(graphics, brush.get(), 0, 0, width, height);
    return result;
}

FontPtr MakeFont(const wchar_t* familyName, float sizeInPoints, int style) {
    GpFontFamily* named = nullptr;
    if (familyName && GdipCreateFontFamilyFromName(familyName, nullptr, &named) != Gdiplus::Ok)
        named = nullptr;
    FontFamilyPtr ownFamily(named);

    GpFontFamily* family = named ? named : GenericSansSerif();
    if (!family)
        return nullptr;
    GpFont* font = nullptr;
    if (GdipCreateFont(family, sizeInPoints, style, Gdiplus::UnitPoint, &font) != Gdiplus::Ok || !font) {
        font = nullptr;
        if (GpFontFamily* fallback = GenericSansSerif()) {
            if (GdipCreateFont(fallback, sizeInPoints, style, Gdiplus::UnitPoint, &font) != Gdiplus::Ok)
                font = nullptr;
        }
    }
    return FontPtr(font);
}

void AddRoundRect(Gdiplus::GpPath* path, const RECT& rect, int rx, int ry) {
    if (!path)
        return;
    const int l = rect.left;
    const int t = rect.top;
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    const int dx = 2 * rx;
    const int dy = 2 * ry;
    GdipAddPathArcI(path, l, t, dx, dy, 180.0f, 90.0f);
    GdipAddPathLineI(path, l + rx, t, l + w - rx, t);
    GdipAddPathArcI(path, l + w - dx, t, dx, dy, 270.0f, 90.0f);
    GdipAddPathLineI(path, l + w, t + ry, l + w, t + h - ry);
    GdipAddPathArcI(path, l + w - dx, t + h - dy, dx, dy, 0.0f, 90.0f);
    GdipAddPathLineI(path, l + w - rx, t + h, l + rx, t + h);
    GdipAddPathArcI(path, l, t + h - dy, dx, dy, 90.0f, 90.0f);
    GdipAddPathLineI(path, l, t + ry, l, t + h - ry);
}
