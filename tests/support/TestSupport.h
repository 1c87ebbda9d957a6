#pragma once

#include <windows.h>

#include <functional>

#include "app/CAppManager.h"

namespace testsupport {

// Dispatches the calling thread's messages for about the given time (at least one pass).
void PumpMessages(DWORD milliseconds);

// Dispatches messages until the condition holds or the time is up; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds);

// Registers a manager for the calling thread for the lifetime of the object (as Run does).
class ScopedManager {
public:
    explicit ScopedManager(CAppManager& manager);
    ~ScopedManager();
    ScopedManager(const ScopedManager&) = delete;
    ScopedManager& operator=(const ScopedManager&) = delete;
    bool registered() const { return registered_; }

private:
    CAppManager& manager_;
    bool registered_;
};

// GDI+ for the lifetime of the object.
class ScopedGdiplus {
public:
    ScopedGdiplus();
    ~ScopedGdiplus();
    ScopedGdiplus(const ScopedGdiplus&) = delete;
    ScopedGdiplus& operator=(const ScopedGdiplus&) = delete;

private:
    ULONG_PTR token_ = 0;
};

} // namespace testsupport
