#include "toolkit/CImageDialog.h"

#include "app/CAppManager.h"

CImageDialog::CImageDialog() {
    SetClassName(L"ImageDialog");
}

CImageDialog::~CImageDialog() = default;

LRESULT CImageDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY)
        modalRunning = false;
    return CImageCtrl::OnMessage(msg, wParam, lParam);
}

bool CImageDialog::OfferToWindows(MSG* msg) const {
    for (HWND h = msg->hwnd; h; h = GetParent(h)) {
        CWindowCtrl* window = manager->FindWindowObject(h);
        if (window && window->PreTranslateMessage(msg))
            return true;
    }
    return manager->PreTranslateMessage(msg);
}

bool CImageDialog::RunModalLoop() {
    if (!manager || GetCurrentThreadId() != manager->threadId || modalRunning)
        return false;
    // Without a window nothing could ever end the loop.
    const HWND window = hwnd;
    if (!window || !IsWindow(window))
        return false;
    modalRunning = true;
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            modalRunning = false;
            PostQuitMessage(static_cast<int>(msg.wParam));
            return true;
        }
        // -1 reports an invalid call; the loop only ends on WM_QUIT or the window's end.
        if (got > 0 && !OfferToWindows(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!IsWindow(window) || !modalRunning) {
            modalRunning = false;
            return true;
        }
    }
}
