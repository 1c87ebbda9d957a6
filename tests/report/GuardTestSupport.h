#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "support/LoopbackHttpServer.h"

namespace guardtest {

// Address and port of the statistics host the build points hijack reports at.
std::string StatisticsAddress();
unsigned short StatisticsPort();

// Opens a request the way a page would: connect to host:port, open object, close. The hooks see
// both calls; nothing is sent, so no connection is made.
void OpenRequest(const wchar_t* host, INTERNET_PORT port, const wchar_t* object);

// A whole request: connect, open, send, read the reply.
bool FetchUrl(const wchar_t* host, INTERNET_PORT port, const wchar_t* object, std::string* reply = nullptr);

// Fields of a hijack report body, in their order; false when the body is not well formed.
struct HijackReport {
    std::string time, gameId, agentId, siteId, logUrl, type, hijackUrl;
};
bool ParseHijackReport(const std::string& body, HijackReport* report);

} // namespace guardtest
