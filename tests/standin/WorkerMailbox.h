#pragma once

// Hands the results of worker threads to the control's thread. The control and its workers share it;
// once the control has closed it, later results are dropped, so a worker never touches a control that
// is gone.

#include <windows.h>

#include <deque>
#include <mutex>

#include "HtmlPage.h"
#include "PageFetcher.h"

namespace standin {

struct WorkerResult {
    enum class Kind { Page, Subresources };
    Kind kind = Kind::Page;
    unsigned navigation = 0; // the navigation the result belongs to
    FetchResult fetch;       // Page: the download
    HtmlPage page;           // Page: the parsed page when the download succeeded
};

class WorkerMailbox {
public:
    // Results are announced by posting message to window (the control's thread reads them).
    void Open(HWND window, UINT message);
    void Close();
    // Any thread.
    void Post(WorkerResult result);
    // The control's thread: the oldest result, if any.
    bool Take(WorkerResult& result);

private:
    std::mutex lock_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    std::deque<WorkerResult> queue_;
};

} // namespace standin
