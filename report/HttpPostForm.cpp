#include "report/HttpPostForm.h"

#include <cstring>
#include <initializer_list>

#include "report/InternetHandle.h"

namespace {

thread_local int postDepth = 0;

const char* const kAgent = "PostData";
const char* const kContentType = "Content-Type: application/x-www-form-urlencoded";
const char* const kAccept = "Accept: */*";
constexpr DWORD kAddReplace = HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE;

// Time-outs set on a connection or request handle; WinINet ignores send and receive time-outs
// set on the session alone.
void SetTimeouts(HINTERNET handle) {
    DWORD milliseconds = HTTP_POST_TIMEOUT_MS;
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionA(handle, option, &milliseconds, sizeof(milliseconds));
}

} // namespace

HttpPostScope::HttpPostScope() {
    ++postDepth;
}

HttpPostScope::~HttpPostScope() {
    --postDepth;
}

bool IsInsideHttpPostForm() {
    return postDepth > 0;
}

bool CrackPostUrl(const char* url, HttpPostTarget& target) {
    ZeroMemory(&target, sizeof(target));
    if (!url)
        return false;
    URL_COMPONENTSA components{};
    components.dwStructSize = sizeof(components);
    components.lpszHostName = target.host;
    components.dwHostNameLength = HTTP_POST_HOST_SIZE;
    // No buffer: the system points into the URL text at the path, which runs on through the query.
    components.lpszUrlPath = nullptr;
    components.dwUrlPathLength = 256;
    if (!InternetCrackUrlA(url, 0, 0, &components))
        return false;
    if (components.dwHostNameLength >= static_cast<DWORD>(HTTP_POST_HOST_SIZE))
        return false;
    target.host[components.dwHostNameLength] = '\0';
    target.port = components.nPort;
    target.object = components.lpszUrlPath ? components.lpszUrlPath : "";
    return true;
}

int HttpPostForm(const char* url, char* buffer, int capacity) {
    if (!url || !buffer || capacity <= 0)
        return 0;
    HttpPostScope scope;

    // Declared in this order so they close request, connection, internet.
    InternetHandle internet(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet)
        return 0;
    HttpPostTarget target;
    if (!CrackPostUrl(url, target))
        return 0;
    SetTimeouts(internet.get());

    InternetHandle connection(InternetConnectA(internet.get(), target.host, target.port, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection)
        return 0;
    SetTimeouts(connection.get());

    InternetHandle request(
        HttpOpenRequestA(connection.get(), "POST", target.object, nullptr, nullptr, nullptr, 0, 1));
    if (!request)
        return 0;
    SetTimeouts(request.get());

    HttpAddRequestHeadersA(request.get(), kContentType, static_cast<DWORD>(-1), kAddReplace);
    HttpAddRequestHeadersA(request.get(), kAccept, static_cast<DWORD>(-1), kAddReplace);

    // A body without terminator inside the buffer is taken up to the buffer's end, never beyond.
    const DWORD bodyLength = static_cast<DWORD>(strnlen(buffer, static_cast<size_t>(capacity)));
    const BOOL sent = HttpSendRequestA(request.get(), kContentType, static_cast<DWORD>(strlen(kContentType)),
                                       buffer, bodyLength);
    ZeroMemory(buffer, static_cast<size_t>(capacity));

    DWORD read = 0;
    if (sent && !InternetReadFile(request.get(), buffer, static_cast<DWORD>(capacity), &read))
        read = 0;
    request.Close();
    connection.Close();
    internet.Close();
    return static_cast<int>(read);
}
