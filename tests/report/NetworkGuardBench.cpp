// Prints what the network guard costs a page request: a whole request to a whitelisted loopback
// host (connect, open, send, read a small reply), unwatched and then watched, in one run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "GuardTestSupport.h"
#include "app/gameApp.h"
#include "report/NetworkGuard.h"

using testsupport::LoopbackHttpServer;

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

// Median time of one whole request, in microseconds.
double MeasureRequests(const LoopbackHttpServer& site, int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        double start = Now();
        guardtest::FetchUrl(L"127.0.0.1", site.port(), L"/small.js");
        times.push_back((Now() - start) * 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Median time of one connect-and-open pair without sending, in microseconds.
double MeasureCallPairs(int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        double start = Now();
        guardtest::OpenRequest(L"127.0.0.1", 80, L"/small.js");
        times.push_back((Now() - start) * 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    LoadLibraryW(L"wininet.dll");
    gameApp app;
    theApp = &app;
    LoopbackHttpServer site;
    if (!site.Start("127.0.0.1", 0))
        return 1;
    site.SetPage("/small.js", "application/javascript", "var x = 1;");

    const int requests = 200;
    const int pairs = 2000;
    MeasureRequests(site, 20); // warm-up
    double plainRequest = MeasureRequests(site, requests);
    double plainPair = MeasureCallPairs(pairs);

    InitHostWhitelist();
    InstallNetworkHooks();
    double watchedRequest = MeasureRequests(site, requests);
    double watchedPair = MeasureCallPairs(pairs);
    RemoveNetworkHooks();
    double removedRequest = MeasureRequests(site, requests);

    std::printf("whole request, median of %d (us): unwatched %.1f, watched %.1f, after removal %.1f\n", requests,
                plainRequest, watchedRequest, removedRequest);
    std::printf("watched / unwatched request: %.3fx (aim: under 1.05x)\n", watchedRequest / plainRequest);
    std::printf("connect+open pair, median of %d (us): unwatched %.2f, watched %.2f; extra per watched pair %.2f us\n",
                pairs, plainPair, watchedPair, watchedPair - plainPair);
    return 0;
}
