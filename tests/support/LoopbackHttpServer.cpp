#include "support/LoopbackHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace testsupport {

namespace {

constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 16 * 1024 * 1024;
constexpr DWORD kPollMilliseconds = 20;
// A client that stays silent this long while sending its request is dropped.
constexpr DWORD kIdleLimitMilliseconds = 15000;
// After answering, how long the server waits for the client to close first.
constexpr DWORD kLingerMilliseconds = 2000;

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return tolower(static_cast<unsigned char>(x)) == tolower(static_cast<unsigned char>(y));
           });
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

void AppendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04X", c);
            out += escaped;
        }
    }
    out += '"';
}

const char* ReasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

// Waits until the socket can be read; false on time-out.
bool WaitReadable(SOCKET socket, DWORD milliseconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout{static_cast<long>(milliseconds / 1000), static_cast<long>((milliseconds % 1000) * 1000)};
    return select(0, &set, nullptr, nullptr, &timeout) > 0;
}

bool SendAll(SOCKET socket, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        int chunk = static_cast<int>(std::min<size_t>(data.size() - sent, 64 * 1024));
        int result = send(socket, data.data() + sent, chunk, 0);
        if (result <= 0)
            return false;
        sent += static_cast<size_t>(result);
    }
    return true;
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

} // namespace

std::string HttpRequestRecord::Header(const std::string& name) const {
    for (const HttpHeader& header : headers) {
        if (EqualNoCase(header.name, name))
            return header.value;
    }
    return std::string();
}

bool HttpRequestRecord::HasHeader(const std::string& name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const HttpHeader& header) { return EqualNoCase(header.name, name); });
}

std::string HttpRequestRecord::Path() const {
    return target.substr(0, target.find('?'));
}

std::string HttpRequestRecord::ToJson() const {
    std::string out = "{\"method\":";
    AppendJsonString(out, method);
    out += ",\"target\":";
    AppendJsonString(out, target);
    out += ",\"version\":";
    AppendJsonString(out, version);
    out += ",\"headers\":[";
    for (size_t i = 0; i < headers.size(); ++i) {
        out += i ? ",[" : "[";
        AppendJsonString(out, headers[i].name);
        out += ',';
        AppendJsonString(out, headers[i].value);
        out += ']';
    }
    out += "],\"body\":";
    AppendJsonString(out, body);
    out += '}';
    return out;
}

LoopbackHttpServer::~LoopbackHttpServer() {
    Stop();
}

bool LoopbackHttpServer::Start(const char* address, unsigned short port) {
    if (running())
        return false;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    winsockStarted_ = true;
    address_ = address;
    port_ = port;
    stopping_ = false;
    if (!OpenListener()) {
        WSACleanup();
        winsockStarted_ = false;
        return false;
    }
    if (mode_ == Mode::Refuse)
        CloseListener();
    thread_ = std::thread([this] { ServerLoop(); });
    return true;
}

void LoopbackHttpServer::Stop() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    CloseListener();
    if (winsockStarted_) {
        WSACleanup();
        winsockStarted_ = false;
    }
}

bool LoopbackHttpServer::OpenListener() {
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return false;
    // The port is bound again after a Refuse phase, while old connections may linger in TIME_WAIT.
    BOOL reuse = TRUE;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port_);
    if (inet_pton(AF_INET, address_.c_str(), &local.sin_addr) != 1 ||
        bind(socket, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 || listen(socket, 16) != 0) {
        closesocket(socket);
        return false;
    }
    int length = sizeof(local);
    getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ntohs(local.sin_port);
    std::lock_guard<std::mutex> lock(mutex_);
    listener_ = socket;
    listening_ = true;
    return true;
}

void LoopbackHttpServer::CloseListener() {
    SOCKET socket;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        socket = listener_;
        listener_ = INVALID_SOCKET;
        listening_ = false;
    }
    if (socket != INVALID_SOCKET)
        closesocket(socket);
}

std::string LoopbackHttpServer::HostPort() const {
    return address_ + ":" + std::to_string(port_);
}

std::wstring LoopbackHttpServer::HostPortW() const {
    return Widen(HostPort());
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
    return "http://" + HostPort() + path;
}

std::wstring LoopbackHttpServer::UrlW(const std::wstring& path) const {
    return Widen(Url()) + path;
}

void LoopbackHttpServer::SetPage(const std::string& path, const std::string& contentType,
                                 const std::string& body) {
    HttpPage page;
    page.contentType = contentType;
    page.body = body;
    SetPage(path, page);
}

void LoopbackHttpServer::SetPage(const std::string& path, const HttpPage& page) {
    std::lock_guard<std::mutex> lock(mutex_);
    pages_[path] = page;
}

void LoopbackHttpServer::RemovePage(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    pages_.erase(path);
}

void LoopbackHttpServer::ClearPages() {
    std::lock_guard<std::mutex> lock(mutex_);
    pages_.clear();
}

void LoopbackHttpServer::SetDefaultPage(const HttpPage& page) {
    std::lock_guard<std::mutex> lock(mutex_);
    defaultPage_ = page;
}

void LoopbackHttpServer::SetMode(Mode mode) {
    std::unique_lock<std::mutex> lock(mutex_);
    mode_ = mode;
    changed_.notify_all();
    if (!thread_.joinable())
        return;
    // The server thread opens or closes the listener; wait until it has.
    const bool wantListening = mode != Mode::Refuse;
    changed_.wait_for(lock, std::chrono::seconds(5),
                      [&] { return listening_ == wantListening || stopping_ || mode_ != mode; });
}

void LoopbackHttpServer::AnswerLongBody(size_t bytes) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        longBodySize_ = bytes;
    }
    SetMode(Mode::LongBody);
}

void LoopbackHttpServer::Hold(DWORD milliseconds) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        holdMilliseconds_ = milliseconds;
    }
    SetMode(Mode::Hold);
}

LoopbackHttpServer::Mode LoopbackHttpServer::mode() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return mode_;
}

std::vector<HttpRequestRecord> LoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

size_t LoopbackHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
}

bool LoopbackHttpServer::WaitForRequests(size_t count, DWORD milliseconds) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [&] { return requests_.size() >= count; });
}

void LoopbackHttpServer::ClearRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

void LoopbackHttpServer::SetRecordFile(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    recordFile_ = path;
}

bool LoopbackHttpServer::WriteRecords(const std::wstring& path) const {
    std::vector<HttpRequestRecord> records = Requests();
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    bool ok = true;
    for (const HttpRequestRecord& record : records) {
        std::string line = record.ToJson() + "\n";
        ok = fwrite(line.data(), 1, line.size(), file) == line.size() && ok;
    }
    return fclose(file) == 0 && ok;
}

size_t LoopbackHttpServer::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connectionCount_;
}

void LoopbackHttpServer::ServerLoop() {
    for (;;) {
        bool wantListening;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (stopping_)
                break;
            wantListening = mode_ != Mode::Refuse;
        }
        if (wantListening != listening_) {
            if (wantListening)
                OpenListener();
            else
                CloseListener();
            changed_.notify_all();
        }
        ReapFinished();
        if (!listening_) {
            WaitForStop(kPollMilliseconds);
            continue;
        }
        if (!WaitReadable(listener_, kPollMilliseconds))
            continue;
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        auto* connection = new Connection;
        connection->socket = client;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++connectionCount_;
            connections_.push_back(connection);
        }
        connection->thread = std::thread([this, connection] {
            ServeConnection(connection->socket);
            std::lock_guard<std::mutex> lock(mutex_);
            connection->finished = true;
        });
    }
    CloseListener();
    // Connections see stopping_ within one poll interval and end.
    std::vector<Connection*> remaining;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        remaining.swap(connections_);
    }
    for (Connection* connection : remaining) {
        connection->thread.join();
        delete connection;
    }
}

void LoopbackHttpServer::ReapFinished() {
    std::vector<Connection*> done;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto split = std::stable_partition(connections_.begin(), connections_.end(),
                                           [](const Connection* c) { return !c->finished; });
        done.assign(split, connections_.end());
        connections_.erase(split, connections_.end());
    }
    for (Connection* connection : done) {
        connection->thread.join();
        delete connection;
    }
}

bool LoopbackHttpServer::WaitForStop(DWORD milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return stopping_; });
}

bool LoopbackHttpServer::ReadRequest(SOCKET client, HttpRequestRecord& record) {
    std::string data;
    size_t headerEnd = std::string::npos;
    size_t bodyLength = 0;
    DWORD idleSince = GetTickCount();
    for (;;) {
        if (headerEnd == std::string::npos) {
            headerEnd = data.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                std::string head = data.substr(0, headerEnd);
                size_t lineEnd = head.find("\r\n");
                std::string requestLine = head.substr(0, lineEnd);
                size_t first = requestLine.find(' ');
                size_t last = requestLine.rfind(' ');
                if (first == std::string::npos || last == first)
                    return false;
                record.method = requestLine.substr(0, first);
                record.target = requestLine.substr(first + 1, last - first - 1);
                record.version = requestLine.substr(last + 1);
                while (lineEnd != std::string::npos) {
                    size_t start = lineEnd + 2;
                    lineEnd = head.find("\r\n", start);
                    std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos
                                                                                       : lineEnd - start);
                    size_t colon = line.find(':');
                    if (colon == std::string::npos)
                        continue;
                    record.headers.push_back({line.substr(0, colon), Trim(line.substr(colon + 1))});
                }
                std::string length = record.Header("Content-Length");
                bodyLength = length.empty()
                                 ? 0
                                 : std::min<size_t>(strtoul(length.c_str(), nullptr, 10), kMaxBodyBytes);
            } else if (data.size() > kMaxHeaderBytes) {
                return false;
            }
        }
        if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + bodyLength) {
            record.body = data.substr(headerEnd + 4, bodyLength);
            return true;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_)
                return false;
        }
        if (!WaitReadable(client, kPollMilliseconds)) {
            if (GetTickCount() - idleSince > kIdleLimitMilliseconds)
                return false;
            continue;
        }
        char chunk[4096];
        int received = recv(client, chunk, sizeof(chunk), 0);
        if (received <= 0)
            return false;
        data.append(chunk, static_cast<size_t>(received));
        idleSince = GetTickCount();
    }
}

void LoopbackHttpServer::Record(const HttpRequestRecord& record) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(record);
        if (!recordFile_.empty()) {
            if (FILE* file = _wfopen(recordFile_.c_str(), L"ab")) {
                std::string line = record.ToJson() + "\n";
                fwrite(line.data(), 1, line.size(), file);
                fclose(file);
            }
        }
    }
    changed_.notify_all();
}

std::string LoopbackHttpServer::BuildAnswer(const HttpRequestRecord& record) {
    HttpPage page;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (mode_ == Mode::LongBody) {
            page.contentType = "text/plain";
            page.body.resize(longBodySize_);
            for (size_t i = 0; i < longBodySize_; ++i)
                page.body[i] = static_cast<char>('A' + i % 26);
        } else {
            auto found = pages_.find(record.Path());
            page = found != pages_.end() ? found->second : defaultPage_;
        }
    }
    std::string answer = (record.version == "HTTP/1.0" ? "HTTP/1.0 " : "HTTP/1.1 ") +
                         std::to_string(page.status) + " " + ReasonPhrase(page.status) + "\r\n";
    answer += "Content-Type: " + page.contentType + "\r\n";
    answer += "Content-Length: " + std::to_string(page.body.size()) + "\r\n";
    answer += "Connection: close\r\n";
    for (const HttpHeader& header : page.extraHeaders)
        answer += header.name + ": " + header.value + "\r\n";
    answer += "\r\n";
    if (record.method != "HEAD")
        answer += page.body;
    return answer;
}

void LoopbackHttpServer::ServeConnection(SOCKET client) {
    HttpRequestRecord record;
    if (ReadRequest(client, record)) {
        Record(record);
        Mode mode;
        DWORD hold;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            mode = mode_;
            hold = holdMilliseconds_;
        }
        if (mode == Mode::Hold) {
            WaitForStop(hold);
        } else if (SendAll(client, BuildAnswer(record))) {
            // Let the client read everything and close first, so no reset cuts the answer short.
            shutdown(client, SD_SEND);
            const DWORD start = GetTickCount();
            char sink[4096];
            while (GetTickCount() - start < kLingerMilliseconds && !WaitForStop(0)) {
                if (WaitReadable(client, kPollMilliseconds) && recv(client, sink, sizeof(sink), 0) <= 0)
                    break;
            }
        }
    }
    closesocket(client);
}

} // namespace testsupport
