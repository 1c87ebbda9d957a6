#include "GuardTestSupport.h"

#include <cstdlib>

#include "corvane_config.h"
#include "report/InternetHandle.h"

namespace guardtest {

namespace {
std::string StatHost() { return CORVANE_STAT_HOST_A; }

// Returns the value of key in "key=value" at text[pos], where the value runs to next (or the end).
bool TakeField(const std::string& body, size_t& pos, const std::string& key, const std::string& next,
               std::string* value) {
    if (body.compare(pos, key.size() + 1, key + "=") != 0)
        return false;
    pos += key.size() + 1;
    size_t end = next.empty() ? body.size() : body.find("&" + next + "=", pos);
    if (end == std::string::npos)
        return false;
    *value = body.substr(pos, end - pos);
    pos = next.empty() ? end : end + 1;
    return true;
}
} // namespace

std::string StatisticsAddress() {
    std::string host = StatHost();
    return host.substr(0, host.find(':'));
}

unsigned short StatisticsPort() {
    std::string host = StatHost();
    size_t colon = host.find(':');
    return colon == std::string::npos ? 80 : static_cast<unsigned short>(std::atoi(host.c_str() + colon + 1));
}

void OpenRequest(const wchar_t* host, INTERNET_PORT port, const wchar_t* object) {
    InternetHandle internet(InternetOpenW(L"GuardTest", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    InternetHandle connection(
        InternetConnectW(internet.get(), host, port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    InternetHandle request(HttpOpenRequestW(connection.get(), L"GET", object, nullptr, nullptr, nullptr, 0, 0));
}

bool FetchUrl(const wchar_t* host, INTERNET_PORT port, const wchar_t* object, std::string* reply) {
    InternetHandle internet(InternetOpenW(L"GuardTest", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    InternetHandle connection(
        InternetConnectW(internet.get(), host, port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    InternetHandle request(HttpOpenRequestW(connection.get(), L"GET", object, nullptr, nullptr, nullptr,
                                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request || !HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0))
        return false;
    char buffer[4096];
    DWORD read = 0;
    std::string text;
    while (InternetReadFile(request.get(), buffer, sizeof(buffer), &read) && read > 0)
        text.append(buffer, read);
    if (reply)
        *reply = text;
    return true;
}

bool ParseHijackReport(const std::string& body, HijackReport* r) {
    size_t pos = 0;
    return TakeField(body, pos, "time", "game_id", &r->time) && TakeField(body, pos, "game_id", "agent_id", &r->gameId) &&
           TakeField(body, pos, "agent_id", "site_id", &r->agentId) &&
           TakeField(body, pos, "site_id", "log_url", &r->siteId) &&
           TakeField(body, pos, "log_url", "type", &r->logUrl) && TakeField(body, pos, "type", "hijack_url", &r->type) &&
           TakeField(body, pos, "hijack_url", "", &r->hijackUrl) && !r->time.empty() &&
           r->time.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace guardtest
