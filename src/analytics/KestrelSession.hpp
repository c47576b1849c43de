#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <atomic>
#include <string>

namespace analytics {

// One analytics session of the game: what it counts while the player plays.
// The current session is process-wide; it is read from the main thread and from
// the upload threads, so the accessors of the current session are locked.
class KestrelSession final : public base::Object {
public:
    // A new session for the application key and the game's version.
    static base::Ref<KestrelSession> initWithAPIKey(std::string apiKey, std::string appVersion);

    static base::Ref<KestrelSession> currentSession();
    static void setCurrentSession(base::Ref<KestrelSession> session);

    std::string const& apiKey() const { return apiKey_; }
    std::string const& appVersion() const { return appVersion_; }

    int pageViewCount() const { return pageViewCount_.load(); }
    void setPageViewCount(int count) { pageViewCount_.store(count); }
    // Counts a page view unless one was counted less than 0.3 s ago, in this or
    // any other session: screens that replace each other at once count once.
    void maybeIncrementPageView();
    // Forgets when the last page view was counted (tests).
    static void resetPageViewTime();

    static constexpr double minimumPageViewInterval = 0.3;

    std::string description() const;

private:
    friend base::Factory;
    KestrelSession(std::string apiKey, std::string appVersion);

    std::string apiKey_;
    std::string appVersion_;
    std::atomic<int> pageViewCount_ {0};
};

}
