#include "report/NetworkGuard.h"

#include <strsafe.h>

#include <array>
#include <cstring>
#include <vector>

#include "app/gameApp.h"
#include "corvane_config.h"
#include "report/HttpPostForm.h"
#include "report/InlineHook.h"
#include "report/TextCut.h"
#include "report/UnixTime.h"
#include "report/UsageReports.h"

std::atomic<HWND> viewWindow{nullptr};

namespace {

// Guards every value below and the code bytes the records patch. Constant-initialised, never freed.
SRWLOCK guardLock = SRWLOCK_INIT;

class GuardLock {
public:
    GuardLock() { AcquireSRWLockExclusive(&guardLock); }
    ~GuardLock() { ReleaseSRWLockExclusive(&guardLock); }
    GuardLock(const GuardLock&) = delete;
    GuardLock& operator=(const GuardLock&) = delete;
};

InlineHook openRequestHook;
InlineHook connectHook;

wchar_t urlPrefix[kUrlPrefixSize];
char hostText[kHostTextSize];
wchar_t requestUrl[kRequestUrlSize];
std::vector<std::array<char, kWhitelistEntrySize>> hostWhitelist;
int reloadCount = 0;
bool hooksRemoved = false;

// What one request needs once the lock is released.
struct Verdict {
    bool report = false;
    bool reload = false;
    char logUrl[kAnsiUrlSize] = {};
    char hijackUrl[kAnsiUrlSize] = {};
};

// Converts to the ANSI code page, cut to fit size bytes without splitting a double-byte character.
void ToAnsi(const wchar_t* text, char* target, int size) {
    target[0] = '\0';
    if (!text || !text[0])
        return;
    int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return;
    std::vector<char> whole(needed);
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, whole.data(), needed, nullptr, nullptr) <= 0)
        return;
    StringCchCopyA(target, size, whole.data());
    DropBrokenTrailingChar(target);
}

bool IsWhitelisted(const char* host) {
    for (const auto& entry : hostWhitelist) {
        if (entry[0] && std::strstr(host, entry.data()))
            return true;
    }
    return false;
}

// The host of "scheme://host[:port]".
void HostPart(const char* prefix, char* host, size_t size) {
    host[0] = '\0';
    const char* start = std::strstr(prefix, "://");
    start = start ? start + 3 : prefix;
    size_t length = std::strcspn(start, ":");
    if (length >= size)
        length = size - 1;
    std::memcpy(host, start, length);
    host[length] = '\0';
}

// The test of the current request; called with the lock held.
void EvaluateRequestLocked(Verdict* verdict) {
    if (hooksRemoved || !hostText[0])
        return;
    ToAnsi(requestUrl, verdict->hijackUrl, kAnsiUrlSize);
    if (IsWhitelisted(hostText))
        return;
    ToAnsi(theApp ? theApp->homeUrl : nullptr, verdict->logUrl, kAnsiUrlSize);
    verdict->report = true;
    char host[kHostTextSize];
    HostPart(hostText, host, sizeof(host));
    if (!IsDottedQuad(host))
        return;
    ++reloadCount;
    verdict->reload = reloadCount <= 2;
}

// Reports and reloads after the lock is released, so a slow statistics server holds up only the
// request that caused the report.
void Act(const Verdict& verdict) {
    if (!verdict.report)
        return;
    SendHijackReport(verdict.logUrl, verdict.hijackUrl);
    if (verdict.reload)
        PostMessageW(viewWindow.load(), WM_HTML_RELOAD, RELOAD_HOME_CODE, 0);
}

void InstallRecord(InlineHook& record, void* routine, const char* name) {
    if (record.replacement || hooksRemoved)
        return;
    record.replacement = routine;
    HMODULE wininet = GetModuleHandleW(L"WININET.DLL");
    if (!wininet)
        return;
    record.target = reinterpret_cast<void*>(GetProcAddress(wininet, name));
    if (!record.target)
        return;
    // An entry the trampoline cannot copy leaves the function unwatched.
    if (record.Prepare())
        record.InstallHook();
}

// Keeps the caller's last-error code across the guard's own work: WinINet callers read it.
class LastErrorKeeper {
public:
    LastErrorKeeper() : error_(GetLastError()) {}
    ~LastErrorKeeper() { SetLastError(error_); }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

private:
    DWORD error_;
};

// Puts the original entry bytes back when the process ends.
struct RestoreAtExit {
    ~RestoreAtExit() {
        GuardLock lock;
        // A browser thread may still be inside a routine: from here on it watches nothing.
        hooksRemoved = true;
        openRequestHook.Restore();
        connectHook.Restore();
        hostWhitelist.clear();
    }
} restoreAtExit;

} // namespace

const char* const HIJACK_REPORT_URL = "http://" CORVANE_STAT_HOST_A "/domainInfo.php";

void InitHostWhitelist() {
    GuardLock lock;
    for (const wchar_t* domain : CORVANE_WHITELIST) {
        std::array<char, kWhitelistEntrySize> entry{};
        ToAnsi(domain, entry.data(), kWhitelistEntrySize);
        hostWhitelist.push_back(entry);
    }
}

void InstallNetworkHooks() {
    GuardLock lock;
    InstallRecord(openRequestHook, reinterpret_cast<void*>(&HookedHttpOpenRequestW), "HttpOpenRequestW");
    InstallRecord(connectHook, reinterpret_cast<void*>(&HookedInternetConnectW), "InternetConnectW");
}

void RemoveNetworkHooks() {
    GuardLock lock;
    if (hooksRemoved)
        return;
    hooksRemoved = true;
    openRequestHook.Restore();
    connectHook.Restore();
}

HINTERNET WINAPI HookedInternetConnectW(HINTERNET internet, LPCWSTR serverName, INTERNET_PORT serverPort,
                                        LPCWSTR userName, LPCWSTR password, DWORD service, DWORD flags,
                                        DWORD_PTR context) {
    // The record is complete before the jump that leads here is written, and never changes after.
    auto original = reinterpret_cast<decltype(&InternetConnectW)>(connectHook.trampoline);
    HINTERNET result = original(internet, serverName, serverPort, userName, password, service, flags, context);
    // The shell's own reports are not the page's requests.
    if (IsInsideHttpPostForm())
        return result;
    LastErrorKeeper keeper;
    size_t length = 0;
    if (serverName && SUCCEEDED(StringCchLengthW(serverName, 300, &length)) && length >= 1) {
        GuardLock lock;
        if (!hooksRemoved) {
            urlPrefix[0] = L'\0';
            hostText[0] = '\0';
            if (serverPort == 0 || serverPort == INTERNET_DEFAULT_HTTP_PORT)
                StringCchPrintfW(urlPrefix, kUrlPrefixSize, L"http://%s", serverName);
            else if (serverPort == INTERNET_DEFAULT_HTTPS_PORT)
                StringCchPrintfW(urlPrefix, kUrlPrefixSize, L"https://%s", serverName);
            else
                StringCchPrintfW(urlPrefix, kUrlPrefixSize, L"http://%s:%d", serverName, serverPort);
            ToAnsi(urlPrefix, hostText, kHostTextSize);
        }
    }
    return result;
}

HINTERNET WINAPI HookedHttpOpenRequestW(HINTERNET connection, LPCWSTR verb, LPCWSTR objectName,
                                        LPCWSTR version, LPCWSTR referrer, LPCWSTR* acceptTypes, DWORD flags,
                                        DWORD_PTR context) {
    auto original = reinterpret_cast<decltype(&HttpOpenRequestW)>(openRequestHook.trampoline);
    HINTERNET result = original(connection, verb, objectName, version, referrer, acceptTypes, flags, context);
    if (IsInsideHttpPostForm())
        return result;
    LastErrorKeeper keeper;
    size_t length = 0;
    if (objectName && SUCCEEDED(StringCchLengthW(objectName, 2000, &length)) && length >= 1) {
        Verdict verdict;
        {
            GuardLock lock;
            if (!hooksRemoved) {
                requestUrl[0] = L'\0';
                // A very long address is cut at the buffer; the host part is what gets judged.
                StringCchPrintfW(requestUrl, kRequestUrlSize, L"%s%s", urlPrefix, objectName);
                EvaluateRequestLocked(&verdict);
            }
        }
        Act(verdict);
    }
    return result;
}

void CheckRequestedUrl() {
    Verdict verdict;
    {
        GuardLock lock;
        EvaluateRequestLocked(&verdict);
    }
    Act(verdict);
}

void SendHijackReport(const char* logUrl, const char* hijackUrl) {
    // Each report has its own buffer: reports from several threads never share one.
    char reportBuffer[kReportBufferSize] = {};
    const int agentId = theApp ? theApp->uid : 0;
    const int siteId = theApp ? theApp->adv : 0;
    // A body longer than the buffer is cut at it, on a whole character.
    if (StringCchPrintfA(reportBuffer, kReportBufferSize,
                         "time=%I64u&game_id=%d&agent_id=%d&site_id=%d&log_url=%s&type=0&hijack_url=%s",
                         GetUnixTimeUtc(), GAME_ID, agentId, siteId, logUrl ? logUrl : "",
                         hijackUrl ? hijackUrl : "") == STRSAFE_E_INSUFFICIENT_BUFFER)
        DropBrokenTrailingChar(reportBuffer);
    HttpPostForm(HIJACK_REPORT_URL, reportBuffer, kReportBufferSize);
}

bool IsDottedQuad(const char* text) {
    if (!text)
        return false;
    const char* begin = text;
    while (*begin == ' ')
        ++begin;
    const char* end = begin + std::strlen(begin);
    while (end > begin && end[-1] == ' ')
        --end;
    const size_t length = static_cast<size_t>(end - begin);
    if (length == 0 || length > 99)
        return false;

    int dots = 0;
    const char* segment = begin;
    for (;;) {
        const char* p = segment;
        int value = 0;
        while (p < end && *p >= '0' && *p <= '9') {
            value = value * 10 + (*p - '0');
            if (value > 255)
                return false;
            ++p;
        }
        if (p == segment)
            return false; // a segment must begin with a digit; also catches ".." and edge dots
        if (value > 0 && *segment == '0')
            return false;
        if (p == end)
            break;
        if (*p != '.')
            return false;
        if (++dots > 3)
            return false;
        segment = p + 1;
        if (segment == end)
            return false;
    }
    return dots == 3;
}

void GetNetworkGuardState(NetworkGuardState* state) {
    GuardLock lock;
    StringCchCopyW(state->urlPrefix, kUrlPrefixSize, urlPrefix);
    StringCchCopyA(state->hostText, kHostTextSize, hostText);
    StringCchCopyW(state->requestUrl, kRequestUrlSize, requestUrl);
    state->reloadCount = reloadCount;
    state->hooksRemoved = hooksRemoved;
    state->openRequestWatched = openRequestHook.IsInstalled();
    state->connectWatched = connectHook.IsInstalled();
    state->whitelistCount = static_cast<int>(hostWhitelist.size());
}
