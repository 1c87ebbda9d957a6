#pragma once

#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace testsupport {

// GDI+ for a whole test program: AddGlobalTestEnvironment(new GdiplusEnvironment).
class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    ULONG_PTR token_ = 0;
};

// Live GDI objects of this process. Wine answers GetGuiResources with 0, so there the handle table
// is probed instead (a handle whose upper half is 0 matches any live entry of its slot).
int CountGdiObjects();

// Busy blocks of the process heap, where GDI+ and global memory blocks live.
size_t CountHeapBlocks();

// Runs cycle a few times to settle caches, then rounds times, and fails when GDI objects or heap
// blocks were left behind (a leak of even one block per round shows).
::testing::AssertionResult LeavesNothingBehind(const std::function<void()>& cycle, int rounds);

// A 32-bit ARGB picture, rows top-down.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

inline int AlphaOf(uint32_t c) {
    return static_cast<int>(c >> 24);
}
inline int RedOf(uint32_t c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
inline int GreenOf(uint32_t c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline int BlueOf(uint32_t c) {
    return static_cast<int>(c & 0xFF);
}
// Every channel within tolerance.
bool ColorsNear(uint32_t a, uint32_t b, int tolerance);
// Brightness 0..765 (sum of the colour channels).
inline int LightnessOf(uint32_t c) {
    return RedOf(c) + GreenOf(c) + BlueOf(c);
}

// The pixels of a GDI+ image (any format), converted to 32-bit ARGB.
Pixels ReadImage(Gdiplus::GpImage* image);
// What a window's client area shows, read from its own DC (opaque: alpha 255).
Pixels CaptureClient(HWND window);
// What the screen shows in a rectangle (screen coordinates).
Pixels CaptureScreen(const RECT& area);
// Writes pixels as a PNG file; false on failure.
bool SavePng(const Pixels& pixels, const wchar_t* path);

// A transparent 32-bit ARGB bitmap with a GDI+ Graphics to draw into.
class Canvas {
public:
    Canvas(int width, int height, Gdiplus::ARGB fill = 0);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    Gdiplus::GpGraphics* graphics() const { return graphics_; }
    Pixels Read() const;

private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
    Gdiplus::GpGraphics* graphics_ = nullptr;
};

} // namespace testsupport
