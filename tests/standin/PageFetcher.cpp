#include "PageFetcher.h"

#include <urlmon.h>

#include <vector>

namespace standin {

namespace {

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_)
            InternetCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET Get() const { return handle_; }

private:
    HINTERNET handle_;
};

HRESULT ErrorOfWinInet(DWORD error) {
    switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT:
        return INET_E_CANNOT_CONNECT;
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        return INET_E_RESOURCE_NOT_FOUND;
    case ERROR_INTERNET_TIMEOUT:
        return INET_E_CONNECTION_TIMEOUT;
    case ERROR_INTERNET_INVALID_URL:
        return INET_E_INVALID_URL;
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
        return INET_E_UNKNOWN_PROTOCOL;
    default:
        return INET_E_DOWNLOAD_FAILURE;
    }
}

// A failed send does not leave a connection or request open: time-outs are set on both handles, as
// WinINet ignores those of the session for sending and receiving.
void SetTimeouts(HINTERNET handle) {
    DWORD timeout = PageFetcher::kTimeoutMs;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof(timeout));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
}

std::wstring QueryText(HINTERNET request, DWORD info) {
    std::vector<wchar_t> buffer(256);
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (!HttpQueryInfoW(request, info, buffer.data(), &bytes, nullptr)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes > 64 * 1024)
            return std::wstring();
        buffer.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        if (!HttpQueryInfoW(request, info, buffer.data(), &bytes, nullptr))
            return std::wstring();
    }
    return std::wstring(buffer.data(), bytes / sizeof(wchar_t));
}

std::wstring FinalUrl(HINTERNET request, const std::wstring& requested) {
    std::vector<wchar_t> buffer(INTERNET_MAX_URL_LENGTH + 1);
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (!InternetQueryOptionW(request, INTERNET_OPTION_URL, buffer.data(), &bytes) || buffer[0] == L'\0')
        return requested;
    buffer.back() = L'\0';
    return buffer.data();
}

} // namespace

PageFetcher::PageFetcher()
    : session_(InternetOpenW(L"Mozilla/4.0 (compatible; CorvaneStandIn)", INTERNET_OPEN_TYPE_PRECONFIG,
                             nullptr, nullptr, 0)) {}

PageFetcher::~PageFetcher() {
    if (session_)
        InternetCloseHandle(session_);
}

FetchResult PageFetcher::Fetch(const std::wstring& url) {
    FetchResult result;
    result.finalUrl = url;
    if (!session_) {
        result.error = INET_E_DOWNLOAD_FAILURE;
        return result;
    }
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1; // non-zero lengths with null pointers: point into the url
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (url.empty() || !InternetCrackUrlW(url.c_str(), 0, 0, &parts)) {
        result.error = INET_E_INVALID_URL;
        return result;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        result.error = INET_E_UNKNOWN_PROTOCOL;
        return result;
    }
    const std::wstring host(parts.lpszHostName ? parts.lpszHostName : L"", parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo ? parts.lpszExtraInfo : L"", parts.dwExtraInfoLength);
    if (path.empty() || path[0] != L'/')
        path.insert(0, L"/");

    InternetHandle connection(
        InternetConnectW(session_, host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.Get()) {
        result.error = ErrorOfWinInet(GetLastError());
        return result;
    }
    SetTimeouts(connection.Get());
    const wchar_t* acceptTypes[] = {L"*/*", nullptr};
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE;
    InternetHandle request(
        HttpOpenRequestW(connection.Get(), L"GET", path.c_str(), nullptr, nullptr, acceptTypes, flags, 0));
    if (!request.Get()) {
        result.error = ErrorOfWinInet(GetLastError());
        return result;
    }
    SetTimeouts(request.Get());
    if (!HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0)) {
        result.error = ErrorOfWinInet(GetLastError());
        return result;
    }

    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
        status = 0;
    result.httpStatus = status;
    result.contentType = QueryText(request.Get(), HTTP_QUERY_CONTENT_TYPE);
    result.finalUrl = FinalUrl(request.Get(), url);

    char chunk[8192];
    DWORD read = 0;
    while (InternetReadFile(request.Get(), chunk, sizeof(chunk), &read) && read > 0) {
        if (result.body.size() + read > kMaxBodyBytes)
            break;
        result.body.append(chunk, read);
    }
    result.ok = status != 0 && status < 400;
    if (status == 0)
        result.error = INET_E_DOWNLOAD_FAILURE;
    return result;
}

std::wstring ResolveUrl(const std::wstring& base, const std::wstring& link) {
    if (base.empty())
        return link;
    std::vector<wchar_t> buffer(INTERNET_MAX_URL_LENGTH + 1);
    DWORD length = static_cast<DWORD>(buffer.size());
    if (!InternetCombineUrlW(base.c_str(), link.c_str(), buffer.data(), &length, ICU_BROWSER_MODE)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length > 64 * 1024)
            return link;
        buffer.assign(length + 1, L'\0');
        length = static_cast<DWORD>(buffer.size());
        if (!InternetCombineUrlW(base.c_str(), link.c_str(), buffer.data(), &length, ICU_BROWSER_MODE))
            return link;
    }
    return std::wstring(buffer.data(), length);
}

} // namespace standin
