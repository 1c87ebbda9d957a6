#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Calls a release function of the platform on a handle when its owner goes away.
template <auto Release> struct HandleReleaser {
    template <typename T> void operator()(T* handle) const noexcept { Release(handle); }
};

// Owning holders of GDI and USER handles: each frees its handle exactly once.
using OwnedDC = std::unique_ptr<std::remove_pointer_t<HDC>, HandleReleaser<&DeleteDC>>;
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, HandleReleaser<&DeleteObject>>;
using OwnedRegion = std::unique_ptr<std::remove_pointer_t<HRGN>, HandleReleaser<&DeleteObject>>;
using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, HandleReleaser<&DestroyIcon>>;

// A DC borrowed from a window (GetDC of null: the screen) and given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Keeps an object selected into a DC and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_)
            SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
