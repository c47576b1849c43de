#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/Timer.hpp>
#include <foundation/URLConnection.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace ads::meridian {

// What the handshake allows one ad type: how long a video ad must wait after the
// last one played, and how often the ad refreshes. -1 means the server set nothing.
struct MERAdTypeConfiguration {
    float videoInterval {-1};
    int adType {0};
    float adRefresh {-1};
    bool operator==(MERAdTypeConfiguration const&) const = default;
};

// The client's process-wide configuration holder. Once a day (by default) it asks
// the ad server's configuration servlet whether ad requests are allowed, how long a
// deferred video may wait and how often each ad type may refresh; it keeps the answer
// with the times of the last video request and the last video played in a state file
// ("mersdk/merhandshake.archive" in the Library folder), so that a relaunch within
// the interval sends nothing and re-applies the saved answer.
//
// A failed request is asked again after a growing delay (retryDelays, then the last
// one for ever); a reply that is not JSON, lacks "merishake" or carries errors
// changes nothing and schedules nothing until the next launch. Made by the first ad
// view and alive for the process. Main thread and its run loop only.
class MERHandshake final : public base::Object, private foundation::URLConnectionDelegate {
public:
    static constexpr char const* sdkVersion = "4.2.6-11.6.13.i";
    static constexpr char const* apidDefaultsKey = "MERApid";
    // Seconds between failed requests: one entry per failure in a row, the last one
    // repeated.
    static constexpr double retryDelays[] = {10, 30, 120, 600, 3600};
    // The shortest interval to the next handshake, for a reply whose
    // "handshakecallback" is missing, 0 or very small.
    static constexpr double minimumCallbackDuration = 60;

    static MERHandshake& sharedHandshake();
    // Drops the instance, its timer and its request (tests: the next call to
    // sharedHandshake starts as a new launch).
    static void purgeSharedHandshake();
    ~MERHandshake() override;

    int adType() const { return adType_; }
    void setAdType(int adType) { adType_ = adType; }
    std::string const& apid() const { return apid_; }
    void setApid(std::string apid) { apid_ = std::move(apid); }

    bool isAdCallAllowed() const { return isAdCallAllowed_; }
    float deferredviewtimeout() const { return deferredviewtimeout_; }
    float handshakeCallbackDuration() const { return handshakeCallbackDuration_; }
    base::Value const& handshakeResponse() const { return handshakeResponse_; }

    bool isDeferredTimeoutExpired() const;
    bool isVideoAdRequestAllowed() const;

    MERAdTypeConfiguration adConfig() const;
    MERAdTypeConfiguration configurationForAdType(int adType) const;
    static MERAdTypeConfiguration configurationFromDictionary(base::Value const& entry);

    std::optional<base::Date> lastVideoPlayedAt() const { return lastVideoPlayedAt_; }
    std::optional<base::Date> lastVideoRequestMadeAt() const { return lastVideoRequestMadeAt_; }
    std::optional<base::Date> lastHandshakeMadeAt() const { return lastHandshakeMadeAt_; }
    std::optional<base::Date> nextHandshakeToOccurAt() const { return nextHandshakeToOccurAt_; }
    // Store the date and save the state file at once.
    void setLastVideoPlayedAt(base::Date date);
    void setLastVideoRequestMadeAt(base::Date date);

    // Sends the configuration request (none while the ad server is not configured).
    void requestConfiguration();
    // "appConfigServlet?apid=..." with every value escaped on its own.
    std::string configurationPath() const;
    bool isRequestRunning() const { return connection_ != nullptr; }

    // Reads a reply's body and applies it (scheduling the next handshake when asked).
    void takeReply(std::string_view body, bool schedule);
    void parseResponseAndSetupNextHandshake(bool schedule);
    void setupNextHandshake();
    void saveState() const;
    void loadState();
    static std::string statePath();

    // "prompt" shows the "Handshake Error" alert; any other type writes a console line.
    static void showError(std::string const& message, std::string_view type);
    static void logError(std::string const& message);

private:
    void didReceiveData(foundation::URLConnection&, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const&) override;

    void scheduleRequest(double seconds);
    void stopRequest();

    std::string apid_;
    float deferredviewtimeout_ {3600};
    bool isAdCallAllowed_ {true};
    std::optional<base::Date> lastVideoPlayedAt_;
    std::optional<base::Date> lastVideoRequestMadeAt_;
    int adType_ {0};
    float handshakeCallbackDuration_ {86400};
    base::Ref<foundation::URLConnection> connection_;
    base::Bytes connectionData_;
    base::Value handshakeResponse_;
    base::Value adTypes_;
    std::optional<base::Date> lastHandshakeMadeAt_;
    std::optional<base::Date> nextHandshakeToOccurAt_;
    base::Ref<foundation::Timer> nextHandshakeTimer_;
    // Failed requests in a row, for the retry delay.
    int failures_ {0};

    friend base::Factory;
    MERHandshake();
};

}
