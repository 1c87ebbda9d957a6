#pragma once

#include <windows.h>

#include <atomic>

// Posted to the HTML view to ask for the home page again.
constexpr UINT WM_HTML_RELOAD = 5577;
constexpr WPARAM RELOAD_HOME_CODE = 100;

// The HTML view's window, to which reload requests are posted. Set by the view when its window is
// created, before the hooks are installed; read by the hook routines on network threads.
extern std::atomic<HWND> viewWindow;

// Fills the host whitelist. Called when the HTML view is created.
void InitHostWhitelist();
// Patches HttpOpenRequestW and InternetConnectW, each at most once per process.
void InstallNetworkHooks();
// Restores both functions for the rest of the process's life; later calls do nothing.
void RemoveNetworkHooks();
