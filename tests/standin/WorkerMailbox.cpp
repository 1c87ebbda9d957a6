#include "WorkerMailbox.h"

namespace standin {

void WorkerMailbox::Open(HWND window, UINT message) {
    std::lock_guard<std::mutex> guard(lock_);
    window_ = window;
    message_ = message;
}

void WorkerMailbox::Close() {
    std::lock_guard<std::mutex> guard(lock_);
    window_ = nullptr;
    queue_.clear();
}

void WorkerMailbox::Post(WorkerResult result) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!window_)
        return;
    queue_.push_back(std::move(result));
    PostMessageW(window_, message_, 0, 0);
}

bool WorkerMailbox::Take(WorkerResult& result) {
    std::lock_guard<std::mutex> guard(lock_);
    if (queue_.empty())
        return false;
    result = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

} // namespace standin
