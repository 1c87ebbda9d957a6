#pragma once

#include <windows.h>

#include <vector>

#include "app/ProcessMutex.h"

class CWindowCtrl;

// Drives one window-owning thread: registers itself for that thread, runs GDI+ for as long as it
// runs, calls InitInstance and optionally a message loop. Its window list and loop belong to that
// thread alone; only the process-wide registry is shared, under registryMutex.
class CAppManager {
public:
    CAppManager() = default;
    CAppManager(const CAppManager&) = delete;
    CAppManager& operator=(const CAppManager&) = delete;

    virtual ~CAppManager();
    virtual bool InitInstance();
    virtual bool PreTranslateMessage(MSG* msg);
    virtual LRESULT OnForeignMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    void Run();
    bool RunMessageLoop();

    static bool RegisterManager(CAppManager* manager);
    static void UnregisterManager(DWORD threadId);
    static CAppManager* FindManager(DWORD threadId);

    // The thread's window list; used only on the manager's own thread.
    bool AddWindow(HWND hwnd, CWindowCtrl* window);
    void RemoveWindow(HWND hwnd);
    CWindowCtrl* FindWindowObject(HWND hwnd) const;
    bool PreTranslateWalk(MSG* msg);

    std::vector<CWindowCtrl*> windows;
    DWORD threadId = 0;
    CAppManager* parent = nullptr;
    ULONG_PTR gdiplusToken = 0;
    bool inMessageLoop = false;
};

class gameApp;

extern gameApp* theApp;
extern HINSTANCE moduleInstance;
extern ProcessMutex registryMutex;
// Registered managers in registration order; guarded by registryMutex.
extern std::vector<CAppManager*> managerRegistry;
// The registered manager while the latest registration left exactly one, else null. Written under
// registryMutex, read without it by the window procedure.
extern CAppManager* volatile soleManager;
