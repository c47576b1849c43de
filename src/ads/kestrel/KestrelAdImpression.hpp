#pragma once

#include <ads/kestrel/KestrelAd.hpp>
#include <ads/kestrel/KestrelAdState.hpp>
#include <ads/kestrel/KestrelParser.hpp>

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ads::kestrel {

// What a video ad offers an impression.
struct KestrelVideoAdInfo {
    std::optional<std::int64_t> adId;
    std::optional<base::Bytes> adCookie;
};

// What an AdSpot ad offers an impression: its ad space's name, its delivery rule's
// campaign and its creative.
struct KestrelAdSpotAdInfo {
    std::optional<std::string> adSpaceName;
    std::optional<std::int64_t> campaignId;
    std::optional<std::int64_t> creativeId;
};

// Cookies of a callback query: keys and values in the order given.
using KestrelCookies = std::vector<std::pair<std::string, std::string>>;

// One showing of an ad, from the moment a surface asks for it until the user reaches
// the store: the ad's identity and a timed list of states. At every change it hands a
// binary snapshot of itself to the current analytics session and fires the ad state
// callback URLs the reply registered for the new state, each on a thread of the
// analytics agent. Made, changed and released on the main thread by the surface that
// shows the ad.
class KestrelAdImpression final : public base::Object, public foundation::Coding {
public:
    // Surface kinds (adFormat).
    static constexpr int formatBanner = 1;
    static constexpr int formatCatalogCanvas = 2;
    static constexpr int formatOffer = 3;
    static constexpr int formatTakeover = 4;
    // State codes.
    static constexpr int stateCreated = 1;
    static constexpr int stateAdAttached = 2;
    static constexpr int stateShown = 3;
    static constexpr int stateTapped = 4;
    static constexpr int stateCanvasShown = 5;
    static constexpr int stateReferralRequested = 6;
    static constexpr int stateStoreConfirmation = 7;
    static constexpr int stateStoreOpened = 8;
    // Ad kinds (adType).
    static constexpr int typeApp = 1;
    static constexpr int typeVideo = 2;
    static constexpr int typeAdSpot = 3;

    static base::Ref<KestrelAdImpression> initWithHook(std::optional<std::string> hook,
        std::optional<std::int64_t> adFormat, base::Ref<KestrelParser> parser);
    static base::Ref<KestrelAdImpression> initWithAdSpaceName(
        std::optional<std::string> adSpaceName, std::optional<std::int64_t> campaignId,
        std::optional<std::int64_t> creativeId, std::optional<std::int64_t> adFormat,
        base::Ref<KestrelParser> parser);

    static base::Ref<KestrelAdImpression> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    void updateWithAd(KestrelAd const& ad);
    void updateWithVideoAd(KestrelVideoAdInfo const& ad);
    void updateWithAdSpotAd(KestrelAdSpotAdInfo const& ad);
    void updateWithResult(int state, KestrelCookies const* pubCookies,
        KestrelCookies const* advCookies, KestrelCookies const* sysCookies);

    // The last state's code; 0 without states.
    int currentState() const;
    // The binary snapshots, built afresh at each call.
    base::Bytes data() const;
    base::Bytes adSpotData() const;
    std::string adCookieString() const;

    // Milliseconds since the current analytics session started (0 without one).
    static std::int64_t currentSessionTime();
    // "&<prefix>_<key>=<value>" per cookie, key and value strictly escaped.
    static std::string buildCookieQueryString(
        KestrelCookies const* cookies, std::string const& prefix);
    // The last two labels of the URL's host, or none.
    static std::optional<std::string> getRootDomain(std::string const& url);
    // The ad network's own domain: only URLs there get the full callback query. No
    // default; without one every callback gets only the time.
    static void setAdNetworkDomain(std::optional<std::string> domain);
    static std::optional<std::string> adNetworkDomain();
    // A callback URL base completed with a query suffix.
    static std::string joinCallbackUrl(std::string base, std::string const& suffix);

    std::string buildAdCallBackQueryString(KestrelCookies const* pubCookies,
        KestrelCookies const* advCookies, KestrelCookies const* sysCookies) const;
    void invokeAdStateCallback(KestrelCookies const* pubCookies, KestrelCookies const* advCookies,
        KestrelCookies const* sysCookies);

    std::int64_t timeIntervalSinceSessionStart() const { return timeIntervalSinceSessionStart_; }
    std::optional<std::string> const& hook() const { return hook_; }
    std::optional<std::int64_t> adId() const { return adId_; }
    std::optional<std::int64_t> canvasId() const { return canvasId_; }
    std::optional<base::Bytes> const& adCookie() const { return adCookie_; }
    std::optional<std::int64_t> adResult() const { return adResult_; }
    std::optional<std::int64_t> adFormat() const { return adFormat_; }
    std::optional<int> adType() const { return adType_; }
    std::vector<base::Ref<KestrelAdState>> const& adStates() const { return adStates_; }
    base::Ref<KestrelParser> const& parser() const { return parser_; }
    std::optional<std::string> const& adSpaceName() const { return adSpaceName_; }
    std::optional<std::int64_t> campaignId() const { return campaignId_; }
    std::optional<std::int64_t> creativeId() const { return creativeId_; }

private:
    friend base::Factory;
    KestrelAdImpression() = default;

    void appendState(int state);
    void record(base::Bytes const& snapshot) const;
    static void appendStates(
        std::vector<base::Ref<KestrelAdState>> const& states, base::Bytes& data);

    std::int64_t timeIntervalSinceSessionStart_ {0};
    std::optional<std::string> hook_;
    std::optional<std::int64_t> adId_;
    std::optional<std::int64_t> canvasId_;
    std::optional<base::Bytes> adCookie_;
    std::optional<std::int64_t> adResult_;
    std::optional<std::int64_t> adFormat_;
    std::optional<int> adType_;
    std::vector<base::Ref<KestrelAdState>> adStates_;
    base::Ref<KestrelParser> parser_;
    base::Bytes adImpressionData_;
    std::optional<std::string> adSpaceName_;
    std::optional<std::int64_t> campaignId_;
    std::optional<std::int64_t> creativeId_;
};

}
