#include "support/PixelSupport.h"

#include <cstdlib>
#include <cstring>

using namespace Gdiplus::DllExports;

namespace testsupport {

void GdiplusEnvironment::SetUp() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

void GdiplusEnvironment::TearDown() {
    Gdiplus::GdiplusShutdown(token_);
}

int CountGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0)
        return static_cast<int>(reported);
    int count = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0)
            ++count;
    }
    return count;
}

size_t CountHeapBlocks() {
    HANDLE heap = GetProcessHeap();
    size_t busy = 0;
    if (!HeapLock(heap))
        return 0;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            ++busy;
    }
    HeapUnlock(heap);
    return busy;
}

::testing::AssertionResult LeavesNothingBehind(const std::function<void()>& cycle, int rounds) {
    for (int i = 0; i < 3; ++i)
        cycle();
    const int gdiBefore = CountGdiObjects();
    const size_t heapBefore = CountHeapBlocks();
    for (int i = 0; i < rounds; ++i)
        cycle();
    const int gdiAfter = CountGdiObjects();
    const size_t heapAfter = CountHeapBlocks();
    if (gdiAfter == gdiBefore && heapAfter < heapBefore + static_cast<size_t>(rounds))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "GDI objects " << gdiBefore << " -> " << gdiAfter << ", heap blocks " << heapBefore << " -> "
           << heapAfter << " over " << rounds << " rounds";
}

bool ColorsNear(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > tolerance)
            return false;
    }
    return true;
}

Pixels ReadImage(Gdiplus::GpImage* image) {
    Pixels result;
    if (!image)
        return result;
    UINT width = 0, height = 0;
    GdipGetImageWidth(image, &width);
    GdipGetImageHeight(image, &height);
    // Drawing onto a transparent ARGB bitmap copies pixels exactly at 1:1 with SourceCopy.
    Gdiplus::GpBitmap* copy = nullptr;
    if (GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0, PixelFormat32bppARGB,
                                  nullptr, &copy) != Gdiplus::Ok)
        return result;
    Gdiplus::GpGraphics* graphics = nullptr;
    GdipGetImageGraphicsContext(copy, &graphics);
    GdipSetCompositingMode(graphics, Gdiplus::CompositingModeSourceCopy);
    GdipDrawImageRectI(graphics, image, 0, 0, static_cast<INT>(width), static_cast<INT>(height));
    GdipDeleteGraphics(graphics);

    result.width = static_cast<int>(width);
    result.height = static_cast<int>(height);
    result.argb.resize(static_cast<size_t>(width) * height);
    Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData data = {};
    if (GdipBitmapLockBits(copy, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) ==
        Gdiplus::Ok) {
        for (UINT y = 0; y < height; ++y)
            std::memcpy(&result.argb[y * width], static_cast<BYTE*>(data.Scan0) + y * data.Stride, width * 4);
        GdipBitmapUnlockBits(copy, &data);
    }
    GdipDisposeImage(copy);
    return result;
}

namespace {

Pixels CaptureFromDC(HDC source, int x, int y, int width, int height) {
    Pixels result;
    if (width <= 0 || height <= 0)
        return result;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    result.width = width;
    result.height = height;
    result.argb.resize(static_cast<size_t>(width) * height);
    const auto* src = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < result.argb.size(); ++i)
        result.argb[i] = src[i] | 0xFF000000u;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    return result;
}

bool FindPngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    GdipGetImageEncodersSize(&count, &size);
    if (size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    GdipGetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace

Pixels CaptureClient(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    Pixels result = CaptureFromDC(dc, 0, 0, client.right, client.bottom);
    ReleaseDC(window, dc);
    return result;
}

Pixels CaptureScreen(const RECT& area) {
    HDC dc = GetDC(nullptr);
    Pixels result = CaptureFromDC(dc, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ReleaseDC(nullptr, dc);
    return result;
}

bool SavePng(const Pixels& pixels, const wchar_t* path) {
    CLSID png;
    if (pixels.width <= 0 || !FindPngEncoder(&png))
        return false;
    Gdiplus::GpBitmap* bitmap = nullptr;
    std::vector<uint32_t> copy = pixels.argb;
    if (GdipCreateBitmapFromScan0(pixels.width, pixels.height, pixels.width * 4, PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE*>(copy.data()), &bitmap) != Gdiplus::Ok)
        return false;
    const bool saved = GdipSaveImageToFile(bitmap, path, &png, nullptr) == Gdiplus::Ok;
    GdipDisposeImage(bitmap);
    return saved;
}

Canvas::Canvas(int width, int height, Gdiplus::ARGB fill) {
    GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap_);
    if (bitmap_)
        GdipGetImageGraphicsContext(bitmap_, &graphics_);
    if (graphics_ && fill)
        GdipGraphicsClear(graphics_, fill);
}

Canvas::~Canvas() {
    if (graphics_)
        GdipDeleteGraphics(graphics_);
    if (bitmap_)
        GdipDisposeImage(bitmap_);
}

Pixels Canvas::Read() const {
    if (graphics_)
        GdipFlush(graphics_, Gdiplus::FlushIntentionSync);
    return ReadImage(bitmap_);
}

} // namespace testsupport
