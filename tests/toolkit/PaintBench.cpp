// Benchmark, not a test: the cost of painting a launcher-sized skinned window, as ratios against a
// plain BitBlt of the same surface measured in the same run. Run it with
//   scripts/wine-exec build/test build/test/tests/toolkit/toolkit_paint_bench.exe
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/CAppManager.h"
#include "toolkit/CImageCtrl.h"
#include "toolkit/MouseInput.h"

namespace {

constexpr int kWidth = 1230;
constexpr int kHeight = 728;
constexpr int kRounds = 15;
constexpr int kPerRound = 10;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds per run of one operation, over a batch.
double TimeBatch(const std::function<void()>& operation) {
    const double start = Now();
    for (int i = 0; i < kPerRound; ++i)
        operation();
    GdiFlush();
    return (Now() - start) / kPerRound;
}

// Area of the pending update region, in pixels.
long PendingArea(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    long area = 0;
    if (GetUpdateRgn(window, region, FALSE) > NULLREGION) {
        const DWORD size = GetRegionData(region, 0, nullptr);
        std::vector<BYTE> buffer(size);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        GetRegionData(region, size, data);
        const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
        for (DWORD i = 0; i < data->rdh.nCount; ++i)
            area += (rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
    }
    DeleteObject(region);
    return area;
}

} // namespace

int main() {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    moduleInstance = GetModuleHandleW(nullptr);
    CAppManager manager;
    CAppManager::RegisterManager(&manager);

    int result = 1;
    {
        CImageCtrl window;
        if (window.CreateAt(0, L"", L"", WS_POPUP, 40, 20, kWidth, kHeight, nullptr)) {
            // The launcher: its picture, four link strips, minimise and close, and four band buttons.
            window.paint.AddStatic(145, 1, false, RECT{0, 0, kWidth, kHeight});
            const int links[4] = {131, 134, 132, 133};
            for (int i = 0; i < 4; ++i) {
                const int x = 745 + i * 80;
                window.paint.AddButton(300 + i, 0, 0, 0, 0, 0, RECT{x, 8, x + 80, 42})
                    ->SetImageStrip(links[i]);
            }
            window.paint.AddButton(20, 0, 0, 0, 0, 0, RECT{1180, 16, 1196, 32})->SetImageStrip(135);
            window.paint.AddButton(10, 0, 0, 0, 0, 0, RECT{1202, 16, 1218, 32})->SetImageStrip(130);
            const int band[4][3] = {{196, 208, 151}, {153, 154, 155}, {213, 214, 157}, {211, 212, 156}};
            for (int i = 0; i < 4; ++i) {
                const int x = 1000 + i * 29;
                window.paint.AddButton(400 + i, 0, band[i][0], band[i][1], band[i][2], 0,
                                       RECT{x, 60, x + 25, 85});
            }
            mouseinput::ShowQuietly(window.hwnd);
            UpdateWindow(window.hwnd);
            Pump();

            // The two neighbouring links the pointer moves between; mouse tracking sees the pointer
            // parked over the window.
            const POINT first = {785, 25};
            const POINT second = {865, 25};
            mouseinput::Move(window.hwnd, first.x, first.y);
            UpdateWindow(window.hwnd);
            ValidateRect(window.hwnd, nullptr);
            SendMessageW(window.hwnd, WM_MOUSEMOVE, 0, mouseinput::At(second.x, second.y));
            const long hoverArea = PendingArea(window.hwnd);
            UpdateWindow(window.hwnd);

            // The plain copy: the same 1230 x 728 surface blitted to the window.
            HDC windowDC = GetDC(window.hwnd);
            HDC surfaceDC = CreateCompatibleDC(windowDC);
            HBITMAP surface = CreateCompatibleBitmap(windowDC, kWidth, kHeight);
            HGDIOBJ old = SelectObject(surfaceDC, surface);
            PatBlt(surfaceDC, 0, 0, kWidth, kHeight, WHITENESS);

            bool onFirst = false;
            std::vector<double> blit, full, hover;
            for (int round = 0; round < kRounds; ++round) {
                blit.push_back(
                    TimeBatch([&] { BitBlt(windowDC, 0, 0, kWidth, kHeight, surfaceDC, 0, 0, SRCCOPY); }));
                full.push_back(TimeBatch([&] {
                    InvalidateRect(window.hwnd, nullptr, TRUE);
                    UpdateWindow(window.hwnd);
                }));
                hover.push_back(TimeBatch([&] {
                    const POINT to = onFirst ? second : first;
                    onFirst = !onFirst;
                    SendMessageW(window.hwnd, WM_MOUSEMOVE, 0, mouseinput::At(to.x, to.y));
                    UpdateWindow(window.hwnd);
                }));
                Pump();
            }
            SelectObject(surfaceDC, old);
            DeleteObject(surface);
            DeleteDC(surfaceDC);
            ReleaseDC(window.hwnd, windowDC);

            const double blitMs = Median(blit);
            const double fullMs = Median(full);
            const double hoverMs = Median(hover);
            std::printf("plain BitBlt of the %d x %d surface: %.3f ms (median of %d rounds of %d)\n", kWidth,
                        kHeight, blitMs, kRounds, kPerRound);
            std::printf("full Paint, picture + 10 buttons:    %.3f ms = %.2f x BitBlt\n", fullMs,
                        fullMs / blitMs);
            std::printf(
                "hover change, 2 buttons repainted:   %.3f ms = %.2f x BitBlt (repainted area %ld px of "
                "%d)\n",
                hoverMs, hoverMs / blitMs, hoverArea, kWidth * kHeight);
            result = hoverArea == 2 * 80 * 34 ? 0 : 1;
            if (result)
                std::printf("unexpected: a hover change should repaint exactly the two link buttons\n");
            DestroyWindow(window.hwnd);
        }
    }
    CAppManager::UnregisterManager(manager.threadId);
    Gdiplus::GdiplusShutdown(token);
    return result;
}
