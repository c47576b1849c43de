#include <ads/adnoria/ADNClickTracker.hpp>

#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNStatistics.hpp>

#include <base/WeakRef.hpp>
#include <foundation/Strings.hpp>
#include <ui/Application.hpp>

namespace ads::adnoria {

namespace {
int& activeTrackingCount() {
    static int count = 0;
    return count;
}
}

ADNClickTracker::~ADNClickTracker() {
    reset();
}

void ADNClickTracker::trackURL(std::optional<std::string> const& url) {
    if (!url)
        return;
    reset();
    beginBackgroundTask();
    tracker_ = ADNCachedFile::initWithDelegate(this, *url);
    tracker_->validate();
}

std::string ADNClickTracker::trackingURL() const {
    return tracker_ ? tracker_->httpDestinationURL() : std::string();
}

void ADNClickTracker::reset() {
    hasTracked_ = false;
    if (tracker_) {
        auto tracker = std::move(tracker_);
        tracker->setDelegate(nullptr);
        tracker->invalidate();
    }
    endBackgroundTask();
}

bool ADNClickTracker::activeTrackings() {
    return activeTrackingCount() != 0;
}

void ADNClickTracker::beginBackgroundTask() {
    base::WeakRef<ADNClickTracker> weak(this);
    backgroundTaskID_ = ui::Application::sharedApplication().beginBackgroundTask([weak] {
        if (auto tracker = weak.strong())
            tracker->reset();
    });
}

void ADNClickTracker::endBackgroundTask() {
    if (backgroundTaskID_ != 0) {
        auto identifier = backgroundTaskID_;
        backgroundTaskID_ = 0;
        ui::Application::sharedApplication().endBackgroundTask(identifier);
    } else if (activeTrackingCount() > 0) {
        --activeTrackingCount();
    }
}

void ADNClickTracker::cachedFileDownloadDidEnd(ADNCachedFile& file) {
    if (hasTracked_)
        return;
    base::Ref<ADNClickTracker> keep(this);
    hasTracked_ = true;
    ADNStatistics::sharedStatistics().addClickTrackingURL(file.sourceURL());
    if (delegate_)
        delegate_->trackerDidRedirect(*this, trackingURL());
    endBackgroundTask();
}

void ADNClickTracker::cachedFileDownloadDidFail(
    ADNCachedFile&, std::optional<foundation::URLError> error) {
    if (hasTracked_)
        return;
    base::Ref<ADNClickTracker> keep(this);
    hasTracked_ = true;
    if (delegate_)
        delegate_->trackerDidFailWithError(*this, error);
    endBackgroundTask();
}

std::optional<foundation::URLError> ADNClickTracker::cachedFileShouldRedirectToURL(
    ADNCachedFile& file, std::string const& url) {
    auto colon = url.find(':');
    auto scheme = foundation::lowercase(
        colon == std::string::npos ? std::string_view() : std::string_view(url).substr(0, colon));
    if (foundation::hasPrefix(scheme, "http"))
        return std::nullopt;
    cachedFileDownloadDidEnd(file);
    return foundation::URLError::withDomain(ADNConfiguration::current().errorDomain, 0);
}

}
