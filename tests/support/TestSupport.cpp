#include "support/TestSupport.h"

#include <objbase.h>
#include <gdiplus.h>

namespace testsupport {

void PumpMessages(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed < 10 ? milliseconds - elapsed : 10,
                                  QS_ALLINPUT);
    }
}

ScopedManager::ScopedManager(CAppManager& manager)
    : manager_(manager), registered_(CAppManager::RegisterManager(&manager)) {
    moduleInstance = GetModuleHandleW(nullptr);
}

ScopedManager::~ScopedManager() {
    if (registered_)
        CAppManager::UnregisterManager(manager_.threadId);
}

ScopedGdiplus::ScopedGdiplus() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

ScopedGdiplus::~ScopedGdiplus() { Gdiplus::GdiplusShutdown(token_); }

} // namespace testsupport
