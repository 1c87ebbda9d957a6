#pragma once

#include <windows.h>
#include <wininet.h>

// Owns one WinINet handle and closes it with InternetCloseHandle.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle = nullptr) : handle_(handle) {}
    ~InternetHandle() { Close(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    void Close() {
        if (handle_) {
            InternetCloseHandle(handle_);
            handle_ = nullptr;
        }
    }

private:
    HINTERNET handle_;
};
