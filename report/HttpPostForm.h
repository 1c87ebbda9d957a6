#pragma once

#include <windows.h>
#include <wininet.h>

// Connect, send and receive time-out of every post. A statistics server that accepts the connection and
// never answers would otherwise hold the calling thread for ever (start-up, shutdown or a page request).
inline constexpr DWORD HTTP_POST_TIMEOUT_MS = 5000;

// Host part of a post URL, without terminator, holds at most this many characters.
inline constexpr int HTTP_POST_HOST_SIZE = 64;

// Where a post goes, taken apart from "http://host[:port][/path][?query]".
struct HttpPostTarget {
    char host[HTTP_POST_HOST_SIZE];
    INTERNET_PORT port;
    // Points into the URL text: the path together with any query ("" when the URL has no path).
    const char* object;
};

// False when the URL cannot be cracked or its host is longer than 63 characters.
bool CrackPostUrl(const char* url, HttpPostTarget& target);

// Posts the zero-terminated form text in buffer to url (narrow WinINet calls, agent "PostData") and reads
// the start of the reply back into buffer with one read of at most capacity bytes. The buffer is
// zero-filled once the request is sent, whatever the outcome. Returns the number of reply bytes read, or
// 0 when any step fails. Blocks the calling thread; keeps no state, so any thread may call it.
int HttpPostForm(const char* url, char* buffer, int capacity);

// True while the calling thread is inside HttpPostForm. The network guard uses it to tell the shell's own
// posts from the embedded browser's requests.
bool IsInsideHttpPostForm();

// Marks the calling thread as inside HttpPostForm for the lifetime of the object (nesting allowed).
class HttpPostScope {
public:
    HttpPostScope();
    ~HttpPostScope();
    HttpPostScope(const HttpPostScope&) = delete;
    HttpPostScope& operator=(const HttpPostScope&) = delete;
};
