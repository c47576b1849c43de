#include <foundation/URLTransferEngine.hpp>

#include <foundation/HTTPCookieStorage.hpp>
#include <foundation/URLLoad.hpp>

#include <base/Verify.hpp>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace foundation {

URLTransferEngine& URLTransferEngine::shared() {
    static URLTransferEngine engine;
    return engine;
}

URLTransferEngine::URLTransferEngine() {
    // What transfers touch is made first, so that it outlives the worker when
    // statics are destroyed at exit.
    HTTPCookieStorage::sharedHTTPCookieStorage();
    URLLoad::setUserAgent(URLLoad::userAgent());
    curl_global_init(CURL_GLOBAL_DEFAULT);
    multi_ = curl_multi_init();
    VERIFY(multi_);
    thread_ = std::thread([this] { run(); });
}

URLTransferEngine::~URLTransferEngine() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    curl_multi_wakeup(multi_);
    thread_.join();
    for (auto& [easy, load] : transfers_) {
        curl_multi_remove_handle(multi_, easy);
        load->abandon();
    }
    transfers_.clear();
    queue_.clear();
    curl_multi_cleanup(multi_);
}

void URLTransferEngine::post(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        queue_.push_back(std::move(work));
    }
    curl_multi_wakeup(multi_);
}

void URLTransferEngine::add(CURL* easy, std::shared_ptr<URLLoad> load) {
    VERIFY(isWorkerThread());
    transfers_[easy] = std::move(load);
    curl_multi_add_handle(multi_, easy);
}

void URLTransferEngine::remove(CURL* easy) {
    VERIFY(isWorkerThread());
    if (transfers_.erase(easy))
        curl_multi_remove_handle(multi_, easy);
}

void URLTransferEngine::finishTransfers() {
    std::vector<std::pair<std::shared_ptr<URLLoad>, CURLcode>> done;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        auto found = transfers_.find(message->easy_handle);
        if (found == transfers_.end())
            continue;
        done.emplace_back(found->second, message->data.result);
        curl_multi_remove_handle(multi_, message->easy_handle);
        transfers_.erase(found);
    }
    for (auto& [load, result] : done)
        load->transferEnded(result);
}

// Ends transfers that have been idle past their time-out; answers how long the
// worker may wait before the next one could be due, in milliseconds.
int URLTransferEngine::checkIdleTransfers() {
    auto now = std::chrono::steady_clock::now();
    std::vector<std::pair<CURL*, std::shared_ptr<URLLoad>>> idle;
    auto next = now + std::chrono::seconds(1);
    for (auto& [easy, load] : transfers_) {
        auto deadline = load->idleDeadline();
        if (deadline <= now)
            idle.emplace_back(easy, load);
        else
            next = std::min(next, deadline);
    }
    for (auto& [easy, load] : idle) {
        remove(easy);
        load->transferTimedOut();
    }
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
    return int(std::clamp<long long>(wait + 1, 1, 1000));
}

void URLTransferEngine::run() {
    for (;;) {
        std::deque<std::function<void()>> work;
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
            work.swap(queue_);
        }
        for (auto& item : work)
            item();

        int running = 0;
        curl_multi_perform(multi_, &running);
        finishTransfers();
        int wait = checkIdleTransfers();

        long curlWait = -1;
        curl_multi_timeout(multi_, &curlWait);
        if (curlWait >= 0)
            wait = std::min<int>(wait, int(std::max(curlWait, 0L)));
        {
            std::lock_guard lock(mutex_);
            if (!queue_.empty() || stopping_)
                continue;
        }
        curl_multi_poll(multi_, nullptr, 0, wait, nullptr);
    }
}

}
