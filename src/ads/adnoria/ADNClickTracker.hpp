#pragma once

#include <ads/adnoria/ADNCachedFile.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::adnoria {

class ADNClickTracker;

class ADNClickTrackerDelegate {
public:
    virtual ~ADNClickTrackerDelegate() = default;
    virtual void trackerDidRedirect(ADNClickTracker&, std::string const&) { }
    virtual void trackerDidFailWithError(
        ADNClickTracker&, std::optional<foundation::URLError> const&) { }
};

// Follows a click-tracking URL through its HTTP redirects in the background,
// records the click with the statistics and reports where the chain ended. A
// redirect to a scheme other than http(s) (a store link) ends the chain there and
// counts as success. Each tracking is reported once. The delegate is not retained.
// Main thread.
class ADNClickTracker final : public base::Object, private ADNCachedFileDelegate {
public:
    static base::Ref<ADNClickTracker> create() { return base::make<ADNClickTracker>(); }
    ~ADNClickTracker() override;

    // Nothing for a missing URL; otherwise drops any running tracking first.
    void trackURL(std::optional<std::string> const& url);
    std::string trackingURL() const;
    bool hasTracked() const { return hasTracked_; }
    ADNClickTrackerDelegate* delegate() const { return delegate_; }
    void setDelegate(ADNClickTrackerDelegate* delegate) { delegate_ = delegate; }
    void reset();
    ADNCachedFile* tracker() const { return tracker_.get(); }

    // Whether trackings run without a background task of their own.
    static bool activeTrackings();
    void beginBackgroundTask();
    void endBackgroundTask();

private:
    friend base::Factory;
    ADNClickTracker() = default;

    void cachedFileDownloadDidEnd(ADNCachedFile& file) override;
    void cachedFileDownloadDidFail(
        ADNCachedFile& file, std::optional<foundation::URLError> error) override;
    std::optional<foundation::URLError> cachedFileShouldRedirectToURL(
        ADNCachedFile& file, std::string const& url) override;

    ADNClickTrackerDelegate* delegate_ {nullptr};
    base::Ref<ADNCachedFile> tracker_;
    bool hasTracked_ {false};
    std::uint64_t backgroundTaskID_ {0};
};

}
