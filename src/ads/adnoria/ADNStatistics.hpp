#pragma once

#include <ads/adnoria/ADNStatisticsCore.hpp>
#include <ads/adnoria/ADNTimingManager.hpp>

#include <array>
#include <string>

namespace ads::adnoria {

// The one collector of what happens around the ads (clicks, page navigations,
// load and click timings, app-open failures). Its parameters go out with the next
// ad request and what was reported is reset, except the request count and the
// "ptime" timing. Counters and flags persist across launches. Main thread.
class ADNStatistics final : public base::Object {
public:
    static ADNStatistics& sharedStatistics();
    static void releaseSharedStatistics();

    static std::array<char const*, 8> const& allTimingNames();

    void incrementClickCount();
    void resetClickCount();
    void incrementPageNavigationCount();
    void resetPageNavigationCount();
    void incrementSSLPageNavigationCount();
    void resetSSLPageNavigationCount();
    void incrementAdRequestCount();
    void setAdRequestCount(std::int64_t count);
    std::int64_t adRequestCount() const;
    void setBreakOutToSafari() { setFlagWithParameterName("pcbo"); }
    void resetBreakOutToSafari() { resetFlagWithParameterName("pcbo"); }
    void setClickBackgroundedApp() { setFlagWithParameterName("pclb"); }
    void resetClickBackgroundedApp() { resetFlagWithParameterName("pclb"); }
    void setAppOpenInterstitialNoFill() { setFlagWithParameterName("aoi_nofill"); }
    void resetAppOpenInterstitialNoFill() { resetFlagWithParameterName("aoi_nofill"); }
    void setAppOpenInterstitialTimeOut() { setFlagWithParameterName("aoi_timedout"); }
    void resetAppOpenInterstitialTimeOut() { resetFlagWithParameterName("aoi_timedout"); }
    void setFlagWithParameterName(std::string const& name);
    void resetFlagWithParameterName(std::string const& name);

    void startTimingNamed(std::string const& name);
    void endTimingNamed(std::string const& name);
    base::Ref<ADNTiming> timingNamed(std::string const& name) const;
    void removeTimingNamed(std::string const& name);
    bool isTimingClick() const;

    void synchronize();

    // Counts a click and returns the URL to open, with the click signal appended
    // when the URL carries an "ai" value. Bridge URLs and "about:blank" come back
    // unchanged and count nothing.
    std::string urlForClick(std::string const& url);
    // Everything to report with the next request; resets what it reports.
    base::Ref<base::Dictionary> parameters();
    // A completed click ping: on the ad network's own host, the path after its
    // first four characters becomes the click's "pit" value.
    void addClickTrackingURL(std::string const& url);

    ADNStatisticsCore& statistics() { return *statistics_; }
    ADNTimingManager& timingMgr() { return *timingMgr_; }

private:
    friend base::Factory;
    ADNStatistics();

    base::Ref<ADNStatisticsCore> statistics_;
    base::Ref<ADNTimingManager> timingMgr_;
};

}
