#include "report/UsageReports.h"

#include <strsafe.h>

#include <string>

#include "report/AdapterMacText.h"
#include "report/HttpPostForm.h"
#include "report/TextCut.h"
#include "report/UnixTime.h"

namespace {

const char kInstallFormat[] = "game_id=%d&action=install&install_time=%I64u&uuid=%s&agent_id=%d&site_id=%d";
const char kCloseFormat[] =
    "game_id=%d&action=close&logout_time=%I64u&uuid=%s&agent_id=%d&site_id=%d&user_name=%s";
const wchar_t kHomeFormat[] =
    L"%s?installtime=%s&agent_id=%d&cplaceid=%d&runcount=%d&mac=%s&Version=%s&UIVersion=%s";

const char* Text(const char* text) {
    return text ? text : "";
}
const wchar_t* Text(const wchar_t* text) {
    return text ? text : L"";
}

// A formatted text that was cut keeps whole characters only.
template <typename Char> bool Finish(HRESULT result, Char* buffer) {
    if (result == STRSAFE_E_INSUFFICIENT_BUFFER)
        DropBrokenTrailingChar(buffer);
    return SUCCEEDED(result);
}

int PostReport(const char* url, char (&body)[REPORT_BUFFER_SIZE]) {
    return HttpPostForm(url, body, static_cast<int>(REPORT_BUFFER_SIZE));
}

} // namespace

const char* const STATISTICS_URL = "http://" CORVANE_STAT_HOST_A;

bool FormatInstallReport(char* buffer, size_t size, unsigned long long time, const char* uuid, int agentId,
                         int siteId) {
    if (!buffer || size == 0)
        return false;
    return Finish(StringCchPrintfA(buffer, size, kInstallFormat, GAME_ID, time, Text(uuid), agentId, siteId),
                  buffer);
}

bool FormatCloseReport(char* buffer, size_t size, unsigned long long time, const char* uuid, int agentId,
                       int siteId, const char* userName) {
    if (!buffer || size == 0)
        return false;
    return Finish(StringCchPrintfA(buffer, size, kCloseFormat, GAME_ID, time, Text(uuid), agentId, siteId,
                                   Text(userName)),
                  buffer);
}

bool FormatHomeUrl(wchar_t* buffer, size_t size, const wchar_t* homePage, const wchar_t* installTime,
                   int agentId, int siteId, int runCount, const wchar_t* mac) {
    if (!buffer || size == 0)
        return false;
    return Finish(StringCchPrintfW(buffer, size, kHomeFormat, Text(homePage), Text(installTime), agentId,
                                   siteId, runCount, Text(mac), HOME_QUERY_VERSION, HOME_QUERY_UI_VERSION),
                  buffer);
}

void BuildHomeMacText(wchar_t* mac, size_t size) {
    char adapters[HOME_ADAPTER_TEXT_SIZE] = {};
    GetAdapterMacText(adapters, sizeof(adapters));
    WidenAdapterText(adapters, mac, size);
}

bool BuildHomeUrl(wchar_t* buffer, size_t size, const wchar_t* installTime, int agentId, int siteId,
                  int runCount) {
    wchar_t mac[HOME_MAC_SIZE];
    BuildHomeMacText(mac, HOME_MAC_SIZE);
    return FormatHomeUrl(buffer, size, HOME_PAGE_URL, installTime, agentId, siteId, runCount, mac);
}

int SendInstallReport(const char* url, int agentId, int siteId) {
    char body[REPORT_BUFFER_SIZE] = {};
    FormatInstallReport(body, sizeof(body), GetUnixTimeUtc(), GetMachineId().c_str(), agentId, siteId);
    return PostReport(url, body);
}

int SendCloseReport(const char* url, int agentId, int siteId, const char* userName) {
    char body[REPORT_BUFFER_SIZE] = {};
    FormatCloseReport(body, sizeof(body), GetUnixTimeUtc(), GetMachineId().c_str(), agentId, siteId,
                      userName);
    return PostReport(url, body);
}
