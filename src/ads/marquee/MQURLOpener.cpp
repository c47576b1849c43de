#include <ads/marquee/MQURLOpener.hpp>

#include <foundation/Format.hpp>
#include <ui/Application.hpp>

namespace ads::marquee {

base::Ref<MQURLOpener> MQURLOpener::openerWithDelegate(MQUrlOpenerDelegate* delegate) {
    return base::make<MQURLOpener>(delegate);
}

void MQURLOpener::open(std::string const& url) {
    self_ = base::Ref<MQURLOpener>(this);
    lastUrl_ = url;
    redirects_ = 0;
    connection_ = foundation::URLConnection::create(foundation::URLRequest(url), this);
}

std::optional<foundation::URLRequest> MQURLOpener::willSendRequest(foundation::URLConnection&,
    foundation::URLRequest request, foundation::URLResponse const* redirectResponse) {
    if (!redirectResponse) {
        lastUrl_ = request.URL();
        return request;
    }
    lastUrl_ = redirectResponse->URL();
    if (++redirects_ > MaximumRedirects)
        return std::nullopt;
    return request;
}

void MQURLOpener::connectionDidFinishLoading(foundation::URLConnection&) {
    auto keep = std::move(self_);
    connection_ = nullptr;
    if (delegate_)
        delegate_->urlWillOpen(lastUrl_);
    ui::Application::sharedApplication().openExternalURL(lastUrl_);
}

void MQURLOpener::didFailWithError(foundation::URLConnection&, foundation::URLError const&) {
    auto keep = std::move(self_);
    connection_ = nullptr;
    foundation::log("Marquee: the link could not be followed; nothing opened");
    if (delegate_)
        delegate_->urlOpenerDidFail(lastUrl_);
}

}
