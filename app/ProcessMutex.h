#pragma once

#include <pthread.h>

// A plain non-recursive mutex for process-wide registries. It is constant-initialised, so it can be
// used by static initialisers of any translation unit. A lock or unlock that reports an error
// (including a thread locking it twice) ends the process: the registries it guards cannot be trusted
// afterwards.
class ProcessMutex {
public:
    constexpr ProcessMutex() = default;
    ProcessMutex(const ProcessMutex&) = delete;
    ProcessMutex& operator=(const ProcessMutex&) = delete;

    void Lock();
    void Unlock();

private:
    pthread_mutex_t mutex_ = PTHREAD_ERRORCHECK_MUTEX_INITIALIZER;
};

// Holds a ProcessMutex for one scope.
class ProcessMutexLock {
public:
    explicit ProcessMutexLock(ProcessMutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
    ~ProcessMutexLock() { mutex_.Unlock(); }
    ProcessMutexLock(const ProcessMutexLock&) = delete;
    ProcessMutexLock& operator=(const ProcessMutexLock&) = delete;

private:
    ProcessMutex& mutex_;
};
