#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>

// Watches the embedded browser's HTTP requests until the game starts: InternetConnectW and
// HttpOpenRequestW are patched in memory; a request to a host outside the whitelist is reported to
// the statistics server, and a bare IPv4 host makes the HTML view reload the home page (twice at most).
// Requests are never blocked or changed.
//
// Threads: the hook routines run on whatever thread calls WinINet. All hook state below is guarded
// by one lock inside the guard; viewWindow is written by the HTML thread and read by WinINet callers.

// Posted to the view to ask for the home page again.
constexpr UINT WM_HTML_RELOAD = 5577;
constexpr WPARAM RELOAD_HOME_CODE = 100;

// Capacities of the guard's texts, in units of their type (terminator included).
constexpr int kUrlPrefixSize = 600;
constexpr int kHostTextSize = 600;
constexpr int kRequestUrlSize = 2480;
constexpr int kAnsiUrlSize = 2048;
constexpr int kReportBufferSize = 3000;
constexpr int kWhitelistEntrySize = 260;

// The HTML view's window; the view stores it before it installs the hooks.
extern std::atomic<HWND> viewWindow;

void InitHostWhitelist();
void InstallNetworkHooks();
void RemoveNetworkHooks();

HINTERNET WINAPI HookedInternetConnectW(HINTERNET internet, LPCWSTR serverName, INTERNET_PORT serverPort,
                                        LPCWSTR userName, LPCWSTR password, DWORD service, DWORD flags,
                                        DWORD_PTR context);
HINTERNET WINAPI HookedHttpOpenRequestW(HINTERNET connection, LPCWSTR verb, LPCWSTR objectName,
                                        LPCWSTR version, LPCWSTR referrer, LPCWSTR* acceptTypes, DWORD flags,
                                        DWORD_PTR context);

// Tests the most recent request against the whitelist; reports and reloads as needed.
void CheckRequestedUrl();
// Formats the hijack report from the two narrow texts and posts it; blocks until the post ends.
void SendHijackReport(const char* logUrl, const char* hijackUrl);
bool IsDottedQuad(const char* text);

// Where hijack reports go: the statistics host, "/domainInfo.php".
extern const char* const HIJACK_REPORT_URL;

// A consistent copy of the guard's state, for tests and diagnostics.
struct NetworkGuardState {
    wchar_t urlPrefix[kUrlPrefixSize];
    char hostText[kHostTextSize];
    wchar_t requestUrl[kRequestUrlSize];
    int reloadCount;
    bool hooksRemoved;
    bool openRequestWatched;
    bool connectWatched;
    int whitelistCount;
};
void GetNetworkGuardState(NetworkGuardState* state);
