#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

typedef void CURL;
typedef void CURLM;

namespace foundation {

class URLLoad;

// The one worker thread on which every HTTP transfer of the process runs, over
// libcurl's multi interface. URL loads hand it work (post) and their transfers
// (add, remove); it tells a load when its transfer ends or has been idle past
// its time-out. Made on first use, stopped when the process exits. Internal to
// URL loading.
class URLTransferEngine {
public:
    static URLTransferEngine& shared();

    // Runs work on the worker thread, in the order posted. Any thread.
    void post(std::function<void()> work);
    bool isWorkerThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    // Worker thread only. The engine keeps the load alive while its transfer runs.
    void add(CURL* easy, std::shared_ptr<URLLoad> load);
    void remove(CURL* easy);

    ~URLTransferEngine();

private:
    URLTransferEngine();
    void run();
    void finishTransfers();
    int checkIdleTransfers();

    CURLM* multi_ {nullptr};
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ {false};
    std::map<CURL*, std::shared_ptr<URLLoad>> transfers_;
    std::thread thread_;
};

}
