#pragma once

// Module-wide state of the stand-in DLL: its instance handle, the count of live COM objects that keeps
// DllCanUnloadNow honest, and worker threads that keep the DLL loaded while they run.

#include <windows.h>

#include <functional>

namespace standin {

HINSTANCE ModuleInstance();

// Every COM object of the DLL holds one lock for its lifetime.
void LockModule();
void UnlockModule();

// Runs work on a new thread that holds a reference on the DLL until it has left the DLL's code.
// False when no thread could be started (work is then not run).
bool StartWorker(std::function<void()> work);

} // namespace standin
