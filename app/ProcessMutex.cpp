#include "app/ProcessMutex.h"

#include <windows.h>

namespace {
[[noreturn]] void MutexFailed() {
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) {
    }
}
} // namespace

void ProcessMutex::Lock() {
    if (pthread_mutex_lock(&mutex_) != 0)
        MutexFailed();
}

void ProcessMutex::Unlock() {
    if (pthread_mutex_unlock(&mutex_) != 0)
        MutexFailed();
}
