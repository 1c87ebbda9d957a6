#include "support/BrowserControlChoice.h"

#include <windows.h>

#include <vector>

namespace testsupport {

namespace {

const wchar_t kServerKey[] =
    L"Software\\Classes\\CLSID\\{8856F961-340A-11D0-A96B-00C04FD705A2}\\InprocServer32";
const wchar_t kChoiceKey[] = L"Software\\CorvaneTests\\BrowserControls";

// A string value of HKEY_LOCAL_MACHINE; empty when absent. valueName null: the key's default value.
std::wstring ReadValue(const wchar_t* keyName, const wchar_t* valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::wstring();
    std::vector<wchar_t> buffer(1024, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    const LONG status =
        RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    return std::wstring(buffer.data());
}

bool WriteServer(const std::wstring& path) {
    if (path.empty())
        return false;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServerKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

} // namespace

// Read once per process: the recorded paths do not change while tests run.
std::wstring BrowserControlServer(BrowserControl control) {
    static const std::wstring wine = ReadValue(kChoiceKey, L"Wine");
    static const std::wstring standIn = ReadValue(kChoiceKey, L"StandIn");
    return control == BrowserControl::Wine ? wine : standIn;
}

bool SelectBrowserControl(BrowserControl control) {
    return WriteServer(BrowserControlServer(control));
}

ScopedBrowserControl::ScopedBrowserControl(BrowserControl control)
    : previous_(ReadValue(kServerKey, nullptr)), ok_(SelectBrowserControl(control)) {}

ScopedBrowserControl::~ScopedBrowserControl() {
    if (ok_)
        WriteServer(previous_);
}

} // namespace testsupport
