#include <ads/kestrel/KestrelAdAppStoreConnectionDelegate.hpp>

#include <analytics/KestrelUtil.hpp>

#include <foundation/Strings.hpp>
#include <ui/Application.hpp>

namespace ads::kestrel {

using analytics::KestrelUtil;

namespace {

bool isWebURL(std::string const& url) {
    auto lower = foundation::lowercase(url.substr(0, 8));
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

}

base::Ref<KestrelAdAppStoreConnectionDelegate> KestrelAdAppStoreConnectionDelegate::create() {
    return base::make<KestrelAdAppStoreConnectionDelegate>();
}

base::Ref<foundation::URLConnection> KestrelAdAppStoreConnectionDelegate::openReferralURL(
    std::optional<std::string> const& url) {
    if (adImpression_)
        adImpression_->updateWithResult(
            KestrelAdImpression::stateReferralRequested, nullptr, nullptr, nullptr);
    if (!url) {
        end(false);
        return nullptr;
    }
    iTunesURL_ = *url;
    return foundation::URLConnection::connectionWithRequest(foundation::URLRequest(*url), this);
}

std::optional<foundation::URLRequest> KestrelAdAppStoreConnectionDelegate::willSendRequest(
    foundation::URLConnection&, foundation::URLRequest request,
    foundation::URLResponse const* redirectResponse) {
    if (!redirectResponse)
        return request;
    if (++redirects_ > maxRedirects) {
        tooManyRedirects_ = true;
        return std::nullopt;
    }
    iTunesURL_ = request.URL();
    // The store's own address is opened, never loaded.
    if (!isWebURL(request.URL()))
        return std::nullopt;
    return request;
}

void KestrelAdAppStoreConnectionDelegate::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    if (response.statusCode() < 300 || response.statusCode() >= 400)
        return;
    auto location = response.valueForHeaderField("Location");
    if (!location.empty() && !isWebURL(location))
        iTunesURL_ = location;
}

void KestrelAdAppStoreConnectionDelegate::connectionDidFinishLoading(foundation::URLConnection&) {
    if (tooManyRedirects_) {
        KestrelUtil::debugLog("Kestrel: App Store hand-off stopped after %d redirects", redirects_);
        end(false);
        return;
    }
    if (adImpression_)
        adImpression_->updateWithResult(
            KestrelAdImpression::stateStoreOpened, nullptr, nullptr, nullptr);
    if (iTunesURL_)
        ui::Application::sharedApplication().openExternalURL(*iTunesURL_);
    end(true);
}

void KestrelAdAppStoreConnectionDelegate::didFailWithError(
    foundation::URLConnection&, foundation::URLError const& error) {
    KestrelUtil::debugLog("Kestrel: App Store hand-off failed code[%d]", error.code);
    end(false);
}

void KestrelAdAppStoreConnectionDelegate::end(bool opened) {
    auto handler = std::move(ended_);
    ended_ = nullptr;
    if (handler)
        handler(opened);
}

}
