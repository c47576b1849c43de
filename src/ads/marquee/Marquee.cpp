#include <ads/marquee/Marquee.hpp>

#include <ads/marquee/MQConfiguration.hpp>
#include <ads/marquee/MQDefaultViewController.hpp>

#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <toolkit/json/PJSON.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <algorithm>

namespace ads::marquee {

namespace {

base::Ref<Marquee>& sharedStorage() {
    static base::Ref<Marquee> instance;
    return instance;
}

MQDefaultViewController& presenter() {
    return MQDefaultViewController::sharedController();
}

// The scheme of url in lower case, or empty when it has none.
std::string schemeOf(std::string const& url) {
    auto colon = url.find(':');
    if (colon == std::string::npos)
        return {};
    return foundation::lowercase(std::string_view(url).substr(0, colon));
}

// A reply field as body text: strings as they are, numbers in decimal; anything else
// is not a usable value.
std::optional<std::string> textField(base::Value const& value) {
    if (auto const* text = value.string())
        return *text;
    if (value.isNumber())
        return value.stringValue();
    return std::nullopt;
}

void copyFields(MQParams& into, base::Value const& from, std::initializer_list<char const*> keys) {
    auto const* dictionary = from.dictionary();
    if (!dictionary)
        return;
    for (auto const* key : keys) {
        if (auto text = textField(dictionary->objectForKey(key)))
            into.set(key, *text);
    }
}

std::optional<std::string> deepURLOf(base::Value const& from) {
    auto const* dictionary = from.dictionary();
    if (!dictionary)
        return std::nullopt;
    if (auto const* text = dictionary->objectForKey("deep_url").string(); text && !text->empty())
        return *text;
    return std::nullopt;
}

}

Marquee& Marquee::sharedMarquee() {
    auto& instance = sharedStorage();
    if (!instance)
        instance = base::make<Marquee>();
    return *instance;
}

void Marquee::purgeSharedMarquee() {
    sharedStorage() = nullptr;
}

Marquee::Marquee()
    : connection_(MQAPIConnection::initWithDelegate(this))
    , canOpenURL_([](std::string const& url) {
        auto scheme = schemeOf(url);
        return scheme == "http" || scheme == "https";
    }) {
}

Marquee::~Marquee() {
    connection_->setDelegate(nullptr);
    for (auto& made : madePages_) {
        if (auto* page = made.get(); page && page->delegate() == this)
            page->setDelegate(nullptr);
    }
    for (auto& opener : openers_)
        opener->setDelegate(nullptr);
}

void Marquee::sendCall(
    std::string const& action, MQParams const& own, MQAPIRequest::ContextInfo context) {
    auto request = MQAPIRequest::requestWithController("api", action);
    request->appendDeviceInfoParams();
    for (auto const& [key, value] : own.entries())
        request->appendBodyArgumentKey(key, value);
    request->signWithAppId(appId_, appSignature_);
    request->setContextInfo(std::move(context));
    // The API root is configuration; it may have been set after the client was made.
    if (connection_->endpoint().empty())
        connection_->setEndpoint(MQConfiguration::current().apiRoot);
    connection_->sendRequest(request);
}

void Marquee::install() {
    sendCall("install", {}, {});
}

void Marquee::loadInterstitial(std::string const& location) {
    if (delegate_ && !delegate_->shouldRequestInterstitial())
        return;
    MQParams own;
    own.set("location", location);
    if (cache_)
        own.set("cache", "1");
    base::Ref<Marquee> self(this);
    sendCall("get", own, [self](base::Value const& reply) {
        self->loadMarqueeViewForResponse(reply, MQView::Interstitial);
    });
}

void Marquee::showInterstitial(ui::View* view) {
    auto* page = dynamic_cast<MQView*>(view);
    if (!page)
        return;
    presenter().displayInterstitial(*page);
    page->setState(MQView::OnScreen);
    MQParams own;
    copyFields(own, page->responseContext(), {"ad_id"});
    sendCall("show", own, {});
}

void Marquee::loadMoreApps() {
    MQParams own;
    if (cache_)
        own.set("cache", "1");
    base::Ref<Marquee> self(this);
    sendCall("more", own, [self](base::Value const& reply) {
        self->loadMarqueeViewForResponse(reply, MQView::MoreApps);
    });
    if (delegate_ && !delegate_->shouldRequestInterstitial())
        return;
    presenter().displayLoadingView();
}

void Marquee::didReceiveAPIResponse(base::Value const& reply, MQAPIRequest& request) {
    if (auto context = request.contextInfo())
        context(reply);
}

void Marquee::didFailToReceiveAPIResponseForRequest(MQAPIRequest&) {
    presenter().dismissLoadingView();
}

void Marquee::loadMarqueeViewForResponse(base::Value const& reply, int type) {
    auto const* dictionary = reply.dictionary();
    auto const* html = dictionary ? dictionary->objectForKey("html").string() : nullptr;
    bool ok = dictionary && html && dictionary->objectForKey("status").isNumber()
        && dictionary->objectForKey("status").doubleValue() == 200;
    if (!ok) {
        handleMarqueeViewError(type);
        return;
    }
    auto* window = ui::Application::sharedApplication().keyWindow();
    auto page = MQView::initWithFrame(window ? window->frame() : graphics::Rect {});
    page->setDelegate(this);
    page->setResponseContext(reply);
    page->setState(MQView::Loading);
    page->setType(type);
    pages_.push_back(page);
    std::erase_if(madePages_, [](auto const& made) { return !made.get(); });
    madePages_.emplace_back(page);
    page->loadHTMLString(*html, PageBaseURL);
}

// A more-apps request put the loading view up; with no page to follow it comes down.
void Marquee::handleMarqueeViewError(int type) {
    if (type == MQView::Interstitial) {
        if (delegate_)
            delegate_->didReturnWithNoInterstitial();
    } else if (type == MQView::MoreApps) {
        presenter().dismissLoadingView();
        if (delegate_)
            delegate_->didReturnWithNoMoreAppsPage();
    }
}

void Marquee::webViewDidFinishLoad(MQView& page) {
    if (page.state() != MQView::Loading)
        return;
    base::Ref<MQView> keep(&page);
    page.setState(MQView::Loaded);
    if (page.type() == MQView::Interstitial) {
        if (delegate_ && !delegate_->shouldDisplayInterstitial(page))
            return;
        presenter().displayInterstitial(page);
    } else if (page.type() == MQView::MoreApps) {
        if (delegate_ && !delegate_->shouldDisplayMoreApps(page)) {
            presenter().dismissLoadingView();
            return;
        }
        if (presenter().loadingViewIsVisible())
            presenter().dismissLoadingView();
        presenter().displayMoreAppsView(page);
    }
    page.setState(MQView::OnScreen);
}

bool Marquee::shouldStartLoadWithRequest(
    MQView& page, foundation::URLRequest const& request, ui::WebViewNavigationType) {
    auto const& url = request.URL();
    if (url.empty())
        return false;
    if (schemeOf(url) == Scheme) {
        base::Ref<Marquee> self(this);
        base::Ref<MQView> keep(&page);
        if (page.type() == MQView::Interstitial)
            handleMarqueeRequestForInterstitial(url, page);
        else if (page.type() == MQView::MoreApps)
            handleMarqueeRequestForMoreApps(url, page);
    }
    return true;
}

std::vector<std::string> Marquee::actionURLParts(std::string const& url) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        auto slash = url.find('/', start);
        if (slash == std::string::npos) {
            parts.push_back(url.substr(start));
            return parts;
        }
        parts.push_back(url.substr(start, slash - start));
        start = slash + 1;
    }
}

Marquee::LinkFields Marquee::linkFieldsFromJSONPart(std::string const& part) {
    LinkFields fields;
    auto text = foundation::replacingPercentEscapes(part, foundation::StringEncoding::Ascii);
    if (!text)
        return fields;
    auto json = toolkit::json::JSONValue(*text);
    copyFields(fields.click, json, {"to", "cgn", "creative", "type", "more_type"});
    fields.deepURL = deepURLOf(json);
    return fields;
}

std::optional<std::string> Marquee::targetURL(
    std::optional<std::string> const& deepURL, std::vector<std::string> const& parts) const {
    if (deepURL && canOpenURL_ && canOpenURL_(*deepURL))
        return deepURL;
    if (parts.size() > 3) {
        auto target = foundation::replacingPercentEscapes(parts[3]);
        if (target && !target->empty())
            return target;
    }
    return std::nullopt;
}

void Marquee::letGo(MQView& page) {
    std::erase_if(pages_, [&](auto const& held) { return held.get() == &page; });
}

void Marquee::handleMarqueeRequestForInterstitial(std::string const& url, MQView& page) {
    auto parts = actionURLParts(url);
    if (parts.size() < 3)
        return;
    if (delegate_)
        delegate_->didDismissInterstitial(page);
    auto const& action = parts[2];
    if (action == "close") {
        if (delegate_)
            delegate_->didCloseInterstitial(page);
        if (page.state() == MQView::OnScreen)
            presenter().dismissInterstitial(page);
        letGo(page);
    } else if (action == "link") {
        if (delegate_)
            delegate_->didClickInterstitial(page);
        presenter().displayLoadingView();
        MQParams pairs;
        copyFields(pairs, page.responseContext(), {"to", "cgn", "creative"});
        click(pairs, targetURL(deepURLOf(page.responseContext()), parts));
        if (page.state() == MQView::OnScreen)
            presenter().dismissInterstitial(page);
        letGo(page);
    }
}

void Marquee::handleMarqueeRequestForMoreApps(std::string const& url, MQView& page) {
    auto parts = actionURLParts(url);
    if (parts.size() < 3 || (parts[2] == "link" && parts.size() < 5))
        return;
    if (delegate_)
        delegate_->didDismissMoreApps(page);
    auto const& action = parts[2];
    if (action == "close") {
        if (delegate_)
            delegate_->didCloseMoreApps(page);
        if (page.state() == MQView::OnScreen)
            presenter().dismissMoreAppsView(page);
        letGo(page);
    } else if (action == "link") {
        if (delegate_)
            delegate_->didClickMoreApps(page);
        presenter().displayLoadingView();
        auto fields = linkFieldsFromJSONPart(parts[4]);
        click(fields.click, targetURL(fields.deepURL, parts));
        if (page.state() == MQView::OnScreen)
            presenter().dismissMoreAppsView(page);
        letGo(page);
    }
}

// The click is reported even without a target; the loading view then comes down with
// the reply, as there is nothing to open.
void Marquee::click(MQParams const& pairs, std::optional<std::string> target) {
    base::Ref<Marquee> self(this);
    if (!target) {
        foundation::log("Marquee: a link without a target URL; nothing to open");
        sendCall("click", pairs, [](base::Value const&) { presenter().dismissLoadingView(); });
        return;
    }
    sendCall("click", pairs, [self, url = *target](base::Value const& reply) {
        self->clickResponseReceived(reply, url);
    });
}

void Marquee::clickResponseReceived(base::Value const&, std::string const& url) {
    auto opener = MQURLOpener::openerWithDelegate(this);
    openers_.push_back(opener);
    opener->open(url);
}

void Marquee::urlWillOpen(std::string const&) {
    presenter().dismissLoadingView();
    std::erase_if(openers_, [](auto const& opener) { return !opener->isOpening(); });
}

void Marquee::urlOpenerDidFail(std::string const&) {
    presenter().dismissLoadingView();
    std::erase_if(openers_, [](auto const& opener) { return !opener->isOpening(); });
}

}
