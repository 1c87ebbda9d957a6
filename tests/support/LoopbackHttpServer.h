#pragma once

#include <winsock2.h>
#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct HttpHeader {
    std::string name;
    std::string value;
};

// One request as it arrived: request line, headers in arrival order, body bytes (Content-Length).
struct HttpRequestRecord {
    std::string method;
    std::string target;  // as sent, with any query
    std::string version; // "HTTP/1.0" or "HTTP/1.1"
    std::vector<HttpHeader> headers;
    std::string body;

    // Value of the first header with this name (compared without case); empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
    // The target without its query.
    std::string Path() const;
    // One JSON object on one line; bytes outside printable ASCII are written as \u00XX.
    std::string ToJson() const;
};

// An answer the server gives for one path.
struct HttpPage {
    int status = 200;
    std::string contentType = "text/html";
    std::string body;
    std::vector<HttpHeader> extraHeaders;
};

// A small HTTP/1.0 and 1.1 server on a loopback address, run on a thread of its own inside the test
// process. Every connection gets one answer and is then closed ("Connection: close").
// Thread use: the owning test thread calls everything; the server thread and one short-lived thread per
// connection only touch the state behind mutex_.
class LoopbackHttpServer {
public:
    enum class Mode {
        Answer,   // configured page, or the default answer
        Refuse,   // not listening: connections are refused
        LongBody, // 200 with a body of longBodySize bytes ('A'..'Z' repeated)
        Hold,     // read the request, answer nothing for holdMilliseconds, then close
    };

    LoopbackHttpServer() = default;
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Listens on address:port (port 0 = any free port) and starts the server thread.
    bool Start(const char* address = "127.0.0.1", unsigned short port = 0);
    // Closes the listener and every connection, and joins all threads. Safe to call twice.
    void Stop();

    bool running() const { return thread_.joinable(); }
    unsigned short port() const { return port_; }
    const std::string& address() const { return address_; }
    // "127.0.0.1:8080"
    std::string HostPort() const;
    std::wstring HostPortW() const;
    // "http://127.0.0.1:8080" followed by path.
    std::string Url(const std::string& path = "") const;
    std::wstring UrlW(const std::wstring& path = L"") const;

    // Pages are looked up by the target's path; the query is ignored for the lookup.
    void SetPage(const std::string& path, const std::string& contentType, const std::string& body);
    void SetPage(const std::string& path, const HttpPage& page);
    void RemovePage(const std::string& path);
    void ClearPages();
    // Answer to paths without a page (200, text/plain, "OK" unless changed).
    void SetDefaultPage(const HttpPage& page);

    // Switching to or from Refuse takes effect before the call returns.
    void SetMode(Mode mode);
    void Answer() { SetMode(Mode::Answer); }
    void Refuse() { SetMode(Mode::Refuse); }
    void AnswerLongBody(size_t bytes);
    void Hold(DWORD milliseconds);
    Mode mode() const;

    std::vector<HttpRequestRecord> Requests() const;
    size_t RequestCount() const;
    // Waits until at least count requests have been recorded; false when the time ran out.
    bool WaitForRequests(size_t count, DWORD milliseconds) const;
    void ClearRequests();
    // Every request (and every later one) is appended to this file as one JSON line. Empty path = off.
    void SetRecordFile(const std::wstring& path);
    bool WriteRecords(const std::wstring& path) const;

    // Number of connections accepted so far (also those that sent no complete request).
    size_t ConnectionCount() const;

private:
    bool OpenListener();
    void CloseListener();
    void ServerLoop();
    void ServeConnection(SOCKET client);
    bool ReadRequest(SOCKET client, HttpRequestRecord& record);
    void Record(const HttpRequestRecord& record);
    std::string BuildAnswer(const HttpRequestRecord& record);
    bool WaitForStop(DWORD milliseconds);
    void ReapFinished();

    struct Connection {
        std::thread thread;
        SOCKET socket = INVALID_SOCKET;
        bool finished = false;
    };

    std::string address_;
    unsigned short port_ = 0;
    bool winsockStarted_ = false;
    std::thread thread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    SOCKET listener_ = INVALID_SOCKET; // opened and closed by the server thread once running
    bool stopping_ = false;
    bool listening_ = false;
    Mode mode_ = Mode::Answer;
    size_t longBodySize_ = 0;
    DWORD holdMilliseconds_ = 0;
    HttpPage defaultPage_{200, "text/plain", "OK", {}};
    std::map<std::string, HttpPage> pages_;
    std::vector<HttpRequestRecord> requests_;
    std::wstring recordFile_;
    size_t connectionCount_ = 0;
    std::vector<Connection*> connections_;
};

} // namespace testsupport
