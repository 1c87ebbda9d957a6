#pragma once

#include <windows.h>

#include <memory>

// Owns a kernel handle (thread, event, mutex ...) and closes it with CloseHandle.
struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle)
            CloseHandle(handle);
    }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;
