#pragma once

#include <windows.h>

// Mouse messages as the system sends them, with the real pointer parked at the same place so that
// mouse tracking sees the pointer over the window.
namespace mouseinput {

inline LPARAM At(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

inline void Park(HWND window, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
}

inline LRESULT Move(HWND window, int x, int y) {
    Park(window, x, y);
    return SendMessageW(window, WM_MOUSEMOVE, 0, At(x, y));
}

inline LRESULT Down(HWND window, int x, int y) {
    return SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
}
inline LRESULT Up(HWND window, int x, int y) {
    return SendMessageW(window, WM_LBUTTONUP, 0, At(x, y));
}

// Shows a test window without activating it. Wine then manages the window itself; an activated one
// is handed to the window manager, and on a display without one every hide or destroy of it waits
// two seconds for a withdrawal that never comes.
inline void ShowQuietly(HWND window) {
    ShowWindow(window, SW_SHOWNOACTIVATE);
}

// Hover, press and release at one point.
inline void Click(HWND window, int x, int y) {
    Move(window, x, y);
    Down(window, x, y);
    if (IsWindow(window))
        Up(window, x, y);
}

} // namespace mouseinput
