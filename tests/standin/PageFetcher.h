#pragma once

// HTTP GET through WinINet's wide functions (InternetOpenW, InternetConnectW, HttpOpenRequestW,
// HttpSendRequestW), as the real control's download threads do, so in-process hooks on those functions
// see the control's requests. Blocking: used on worker threads only.

#include <windows.h>
#include <wininet.h>

#include <string>

namespace standin {

struct FetchResult {
    bool ok = false;          // a response arrived with a status below 400
    HRESULT error = S_OK;     // when no response arrived: the INET_E_ code a navigation error reports
    DWORD httpStatus = 0;     // status of the response, when one arrived
    std::string body;         // at most kMaxBodyBytes
    std::wstring contentType; // Content-Type header
    std::wstring finalUrl;    // address after redirects
};

class PageFetcher {
public:
    static constexpr DWORD kTimeoutMs = 10000;
    static constexpr size_t kMaxBodyBytes = 8 * 1024 * 1024;

    // One WinINet session for the fetches of one worker.
    PageFetcher();
    ~PageFetcher();
    PageFetcher(const PageFetcher&) = delete;
    PageFetcher& operator=(const PageFetcher&) = delete;

    FetchResult Fetch(const std::wstring& url);

private:
    HINTERNET session_ = nullptr;
};

// Resolves a link of a page against the page's address; the link itself when it cannot be combined.
std::wstring ResolveUrl(const std::wstring& base, const std::wstring& link);

} // namespace standin
