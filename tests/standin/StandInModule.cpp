#include "StandInModule.h"

#include <exdisp.h>
#include <objbase.h>

#include "StandInBrowser.h"
#include "StandInWindows.h"

namespace standin {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;

struct WorkerStart {
    std::function<void()> work;
    HMODULE module;
};

void RunWorker(WorkerStart* start) {
    start->work();
    delete start;
}

DWORD WINAPI WorkerMain(void* parameter) {
    auto* start = static_cast<WorkerStart*>(parameter);
    const HMODULE module = start->module;
    RunWorker(start); // every object of the thread is gone before the DLL reference is dropped
    FreeLibraryAndExitThread(module, 0);
    return 0;
}

// The class object of the one class this DLL serves. It lives as long as the DLL; its references only
// count as locks of the module.
class BrowserFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
            return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        LockModule();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        UnlockModule();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return StandInBrowser::Create(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }
};

BrowserFactory g_factory;

} // namespace

HINSTANCE ModuleInstance() {
    return g_instance;
}

void LockModule() {
    InterlockedIncrement(&g_locks);
}

void UnlockModule() {
    InterlockedDecrement(&g_locks);
}

bool StartWorker(std::function<void()> work) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&WorkerMain),
                            &module))
        return false;
    auto* start = new WorkerStart{std::move(work), module};
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, start, 0, nullptr);
    if (!thread) {
        delete start;
        FreeLibrary(module);
        return false;
    }
    CloseHandle(thread);
    return true;
}

} // namespace standin

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        standin::g_instance = instance;
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Classes a DLL registers outlive it unless it removes them; a reload would find them taken.
        standin::UnregisterWindowClasses();
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_WebBrowser))
        return CLASS_E_CLASSNOTAVAILABLE;
    return standin::g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return InterlockedCompareExchange(&standin::g_locks, 0, 0) == 0 ? S_OK : S_FALSE;
}
