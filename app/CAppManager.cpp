#include "app/CAppManager.h"

#include <objbase.h>
#include <gdiplus.h>

#include <algorithm>

#include "toolkit/CWindowCtrl.h"

gameApp* theApp = nullptr;
HINSTANCE moduleInstance = nullptr;
ProcessMutex registryMutex;
std::vector<CAppManager*> managerRegistry;
CAppManager* volatile soleManager = nullptr;

CAppManager::~CAppManager() = default;

bool CAppManager::InitInstance() { return true; }

bool CAppManager::PreTranslateMessage(MSG*) { return false; }

LRESULT CAppManager::OnForeignMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }

void CAppManager::Run() {
    if (!RegisterManager(this))
        return;
    moduleInstance = GetModuleHandleW(nullptr);

    Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, background thread and codecs on
    Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);

    if (InitInstance() && !windows.empty())
        RunMessageLoop();

    UnregisterManager(threadId);
    Gdiplus::GdiplusShutdown(gdiplusToken);
}

bool CAppManager::RunMessageLoop() {
    if (GetCurrentThreadId() != threadId || inMessageLoop)
        return false;
    inMessageLoop = true;
    MSG msg;
    // GetMessageW returns -1 on an invalid call; only 0 (WM_QUIT) ends the loop.
    while (GetMessageW(&msg, nullptr, 0, 0) != 0) {
        if (!PreTranslateWalk(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    inMessageLoop = false;
    return true;
}

bool CAppManager::RegisterManager(CAppManager* manager) {
    const DWORD current = GetCurrentThreadId();
    ProcessMutexLock lock(registryMutex);
    for (CAppManager* registered : managerRegistry) {
        if (registered->threadId == current)
            return false;
    }
    manager->threadId = current;
    managerRegistry.push_back(manager);
    soleManager = managerRegistry.size() == 1 ? managerRegistry.front() : nullptr;
    return true;
}

void CAppManager::UnregisterManager(DWORD threadId) {
    ProcessMutexLock lock(registryMutex);
    auto found = std::find_if(managerRegistry.begin(), managerRegistry.end(),
                              [threadId](CAppManager* m) { return m->threadId == threadId; });
    if (found == managerRegistry.end())
        return;
    managerRegistry.erase(found);
    if (managerRegistry.empty())
        soleManager = nullptr;
}

CAppManager* CAppManager::FindManager(DWORD threadId) {
    ProcessMutexLock lock(registryMutex);
    for (CAppManager* registered : managerRegistry) {
        if (registered->threadId == threadId)
            return registered;
    }
    return nullptr;
}

bool CAppManager::AddWindow(HWND hwnd, CWindowCtrl* window) {
    if (FindWindowObject(hwnd))
        return false;
    windows.push_back(window);
    return true;
}

void CAppManager::RemoveWindow(HWND hwnd) {
    auto found =
        std::find_if(windows.begin(), windows.end(), [hwnd](CWindowCtrl* w) { return w->hwnd == hwnd; });
    if (found == windows.end())
        return;
    (*found)->hwnd = nullptr;
    windows.erase(found);
}

CWindowCtrl* CAppManager::FindWindowObject(HWND hwnd) const {
    if (!hwnd)
        return nullptr;
    for (CWindowCtrl* window : windows) {
        if (window->hwnd == hwnd)
            return window;
    }
    return nullptr;
}

bool CAppManager::PreTranslateWalk(MSG* msg) {
    for (CAppManager* m = this; m; m = m->parent) {
        for (HWND h = msg->hwnd; h; h = GetParent(h)) {
            CWindowCtrl* window = m->FindWindowObject(h);
            if (window && window->PreTranslateMessage(msg))
                return true;
        }
        if (m->PreTranslateMessage(msg))
            return true;
    }
    return false;
}
