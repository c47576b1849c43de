#pragma once

#include <ads/kestrel/KestrelAdImpression.hpp>

#include <foundation/URLConnection.hpp>
#include <foundation/URLResponse.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <functional>
#include <optional>
#include <string>

namespace ads::kestrel {

// The store hand-off: requests the ad network's referral URL and follows its redirect
// chain (at most maxRedirects steps) to the store's address, then opens that address.
// It records state 6 on the impression as the request starts and state 8 when the
// chain has ended and the store is opened. A redirect to a scheme other than http or
// https is the store's own address: it is not loaded here, the chain ends there.
//
// A hand-off that fails (no reply, a broken connection, too many redirects) opens
// nothing and records nothing more; the surface that started it hears ended(false),
// so its spinner and veil go away. The surface keeps this object and its connection
// for as long as the hand-off runs and cancels the connection when it closes first.
// Main thread only.
class KestrelAdAppStoreConnectionDelegate final : public base::Object,
                                                  public foundation::URLConnectionDelegate {
public:
    static constexpr int maxRedirects = 16;

    static base::Ref<KestrelAdAppStoreConnectionDelegate> create();

    // Records state 6 and starts the request; the connection runs on the calling
    // thread's run loop. Without a URL, the hand-off ends at once, failed.
    base::Ref<foundation::URLConnection> openReferralURL(std::optional<std::string> const& url);

    std::optional<std::string> const& iTunesURL() const { return iTunesURL_; }
    KestrelAdImpression* adImpression() const { return adImpression_.get(); }
    void setAdImpression(base::Ref<KestrelAdImpression> impression) {
        adImpression_ = std::move(impression);
    }
    // Told once when the hand-off has ended: true when the store was opened.
    void setEndedHandler(std::function<void(bool opened)> handler) { ended_ = std::move(handler); }

    std::optional<foundation::URLRequest> willSendRequest(foundation::URLConnection& connection,
        foundation::URLRequest request, foundation::URLResponse const* redirectResponse) override;
    // A redirect reply that URL loading does not follow itself (its target has another
    // scheme) still names the next address.
    void didReceiveResponse(
        foundation::URLConnection& connection, foundation::URLResponse const& response) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;

private:
    friend base::Factory;
    KestrelAdAppStoreConnectionDelegate() = default;

    void end(bool opened);

    std::optional<std::string> iTunesURL_;
    base::Ref<KestrelAdImpression> adImpression_;
    std::function<void(bool)> ended_;
    int redirects_ {0};
    bool tooManyRedirects_ {false};
};

}
