#include "report/NetworkGuard.h"

// Minimal for now: the view already calls these at the right moments, and the guard's own behaviour
// (whitelist, WinINet hooks, reports) is filled in behind the same functions.

std::atomic<HWND> viewWindow{nullptr};

void InitHostWhitelist() {}

void InstallNetworkHooks() {}

void RemoveNetworkHooks() {}
