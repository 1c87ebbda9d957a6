#pragma once

#include <windows.h>

#include <cstddef>

#include "corvane_config.h"

inline constexpr int GAME_ID = 40;

// Size of the narrow buffer a report body is built in, also the reply capacity passed to HttpPostForm.
inline constexpr size_t REPORT_BUFFER_SIZE = 512;

// The statistics endpoint: "http://" and the statistics host, no path (reports post to "/").
extern const char* const STATISTICS_URL;

// The game's home page, before its query.
inline constexpr const wchar_t* HOME_PAGE_URL = L"http://" CORVANE_GAME_HOST L"/wd1/index.html";
inline constexpr const wchar_t* HOME_QUERY_VERSION = L"IE:2duvurize";
inline constexpr const wchar_t* HOME_QUERY_UI_VERSION = L"vanterlo";
// Size of the home page address with its query (gameApp::homeUrl).
inline constexpr size_t HOME_URL_SIZE = 512;
// Size of the narrow adapter text and of its widened copy in the home page query.
inline constexpr size_t HOME_ADAPTER_TEXT_SIZE = 512;
inline constexpr size_t HOME_MAC_SIZE = 64;

// The report bodies, formatted into size bytes, nothing percent-encoded. An over-long body is cut at the
// buffer (whole characters) and false returned. time is whole seconds since 1970 UTC; uuid is the machine
// identity; userName is in the ANSI code page.
bool FormatInstallReport(char* buffer, size_t size, unsigned long long time, const char* uuid, int agentId,
                         int siteId);
bool FormatCloseReport(char* buffer, size_t size, unsigned long long time, const char* uuid, int agentId,
                       int siteId, const char* userName);

// The home page address with its query, formatted into size units; cut at the buffer (whole characters)
// with false when it does not fit. mac is the widened adapter text.
bool FormatHomeUrl(wchar_t* buffer, size_t size, const wchar_t* homePage, const wchar_t* installTime,
                   int agentId, int siteId, int runCount, const wchar_t* mac);

// The adapter text for the home page query: built in a cleared 512-byte buffer, widened from the ANSI
// code page into size units (at most 63 characters with the usual 64), keeping whole addresses only.
void BuildHomeMacText(wchar_t* mac, size_t size);

// FormatHomeUrl from HOME_PAGE_URL with this machine's adapter text.
bool BuildHomeUrl(wchar_t* buffer, size_t size, const wchar_t* installTime, int agentId, int siteId,
                  int runCount);

// Builds the report with the current time and the machine identity and posts it to url with a 512-byte
// buffer. Returns HttpPostForm's result, which callers need not look at. Blocks until done or failed.
int SendInstallReport(const char* url, int agentId, int siteId);
int SendCloseReport(const char* url, int agentId, int siteId, const char* userName);
