#include <ads/bountix/BTXOffers.hpp>

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BTXVideo.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <base/Verify.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Perform.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLParts.hpp>
#include <ui/Screen.hpp>

#include <cstdio>

namespace ads::bountix {

namespace {

constexpr char const* ViewClosedNotification = "BTX_VIEW_CLOSED_NOTIFICATION";
constexpr char const* ShowBoxNotification = "BTX_SHOW_BOX_NOTIFICATION";
constexpr char const* VideoScheme = "btxvideo://";

base::Ref<BTXOffersWebView>& sharedWall() {
    static base::Ref<BTXOffersWebView> shared;
    return shared;
}

std::string& offersURL() {
    static std::string url;
    return url;
}

BTXOffersWebView::VideoStarter& videoStarter() {
    static BTXOffersWebView::VideoStarter starter;
    return starter;
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    return foundation::lowercase(text).find(foundation::lowercase(part)) != std::string::npos;
}

// text with every occurrence of part removed.
std::string without(std::string_view text, std::string_view part) {
    std::string out(text);
    for (auto at = out.find(part); at != std::string::npos; at = out.find(part, at))
        out.erase(at, part.size());
    return out;
}

void requireController(ui::ViewController* controller) {
    VERIFY_MSG(
        controller != nullptr, "View Controller provided must not be nil or some other object");
}

}

// --- video links ---

BTXVideoLink BTXVideoLink::parse(std::string_view url) {
    BTXVideoLink link;
    auto const rest = without(url, VideoScheme);
    std::size_t start = 0;
    while (start <= rest.size()) {
        auto end = rest.find('&', start);
        if (end == std::string::npos)
            end = rest.size();
        std::string_view piece(rest.data() + start, end - start);
        if (piece.find("video_id=") != std::string_view::npos)
            link.offerID = without(piece, "video_id=");
        else if (piece.find("click_url=") != std::string_view::npos)
            link.clickURL = without(piece, "click_url=");
        else if (piece.find("amount=") != std::string_view::npos)
            link.amount = without(piece, "amount=");
        else if (piece.find("currency_name=") != std::string_view::npos)
            link.currencyName
                = foundation::replacingPercentEscapes(without(piece, "currency_name="));
        start = end + 1;
    }
    return link;
}

// --- the wall ---

void BTXOffersWebView::setVideoStarter(VideoStarter starter) {
    videoStarter() = std::move(starter);
}

BTXOffersWebView::BTXOffersWebView(graphics::Rect frame, bool enableNavBar)
    : BTXUIWebPageView(frame) {
    refreshWithFrame(frame, enableNavBar);
}

BTXOffersWebView::~BTXOffersWebView() {
    BTXLog::logWithLevel(BTXLog::Progress, "BTXOffersView Dealloc");
    foundation::cancelPreviousPerformRequests(this);
}

BTXOffersWebView& BTXOffersWebView::sharedBTXOffersWebView() {
    auto& shared = sharedWall();
    if (!shared)
        shared = base::make<BTXOffersWebView>(ui::Screen::mainScreen().bounds(), true);
    return *shared;
}

BTXOffersWebView* BTXOffersWebView::sharedIfMade() {
    return sharedWall().get();
}

void BTXOffersWebView::resetShared() {
    auto& shared = sharedWall();
    if (shared)
        shared->removeFromSuperview();
    shared = nullptr;
    offersURL().clear();
}

std::string const& BTXOffersWebView::currentOffersURL() {
    return offersURL();
}

std::string BTXOffersWebView::setUpOffersURLWithServiceURL(std::string const& base) const {
    auto url = appendGenericParamsWithURL(base + WebpagePath + "?");
    url += "&publisher_user_id=" + publisherUserID_;
    if (!currencyID_.empty())
        url += "&" + currencyID_;
    if (!isSelectorVisible_.empty())
        url += "&" + isSelectorVisible_;
    auto cached = BTXVideoManager::sharedBTXVideoManager().getCachedVideoDictonary();
    if (cached && !cached->empty()) {
        std::string ids;
        for (auto const& [key, value] : *cached) {
            auto* offer = value.dictionary();
            auto* id = offer ? offer->objectForKey(BTXVideoObjOfferID).string() : nullptr;
            ids += (id ? *id : std::string()) + ",";
        }
        ids.pop_back();
        url += "&video_offer_ids=" + ids;
    }
    return url;
}

void BTXOffersWebView::refreshWithFrame(graphics::Rect frame, bool enableNavBar) {
    setFrame(frame);
    loadingViewCtrl_->view()->setFrame(frame);
    offersURL() = setUpOffersURLWithServiceURL(BTXConfiguration::current().primaryHost);
    cWebView_->setScalesPageToFit(true);
    cWebView_->setAutoresizesSubviews(true);
    cWebView_->setUserInteractionEnabled(false);
    if (enableNavBar) {
        if (!navBar_) {
            navBar_ = BTXUINavigationBarView::initWithTitle("", frame, 0);
            navBar_->setNavBarLeftBtnWithTitle("Back");
            navBar_->addLeftButtonAction([this](ui::BarButtonItem&) { backtoGameAction(); });
        }
        addSubview(navBar_);
    } else if (navBar_) {
        navBar_->removeFromSuperview();
    }
    enableNavBar_ = enableNavBar;
}

void BTXOffersWebView::loadView() {
    auto const container = parentVController_ ? parentVController_->view()->bounds() : bounds();
    auto const width = container.size.width;
    auto const height = container.size.height;
    if (navBar_) {
        auto bar = navBar_->frame();
        navBar_->setFrame({bar.origin.x, bar.origin.y, width, bar.size.height});
    }
    float const top = enableNavBar_ ? BTXUINavigationBarView::Height : 0;
    cWebView_->setFrame({0, top, width, height - top});
    setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    loadURLRequest(offersURL(), PageTimeout);
}

void BTXOffersWebView::refreshWebView() {
    offersURL() = setUpOffersURLWithServiceURL(BTXConfiguration::current().primaryHost);
    loadURLRequest(offersURL(), PageTimeout);
}

void BTXOffersWebView::setCustomNavBarImage(base::Ref<ui::Image> image) {
    if (navBar_)
        navBar_->setCustomBackgroundImage(std::move(image));
}

bool BTXOffersWebView::shouldStartLoadWithRequest(
    ui::WebView&, foundation::URLRequest const& request, ui::WebViewNavigationType) {
    auto const& url = request.URL();
    if (url.empty())
        return false;
    if (containsIgnoringCase(url, "btxvideo")) {
        startVideo(BTXVideoLink::parse(url));
        return false;
    }
    if (isServiceURL(url)) {
        lastURL_ = url;
        return true;
    }
    openOutside(url);
    return false;
}

void BTXOffersWebView::startVideo(BTXVideoLink const& link) {
    if (!link.offerID) {
        BTXLog::logWithLevel(BTXLog::Error, "Error: Video Offer ID not set");
        return;
    }
    if (!link.clickURL) {
        BTXLog::logWithLevel(BTXLog::Error, "Error: Video Offer click URL not set");
        return;
    }
    if (videoStarter())
        videoStarter()(*link.offerID);
    else
        BountixConnect::showVideoAdWithOfferID(*link.offerID);
    auto& videos = BTXVideoManager::sharedBTXVideoManager();
    videos.requestHandler().recordVideoClickWithURL(*link.clickURL);
    auto cached = videos.getCachedVideoDictonary();
    auto const* entry = cached ? cached->objectForKey(*link.offerID).dictionary() : nullptr;
    auto offer = entry ? entry->copy() : base::Dictionary::create();
    offer->setObject(BTXVideoObjCurrencyName, base::Value(link.currencyName.value_or("currency")));
    offer->setObject(BTXVideoObjCurrencyAmount, base::Value(link.amount.value_or("some")));
    videos.setCachedVideoObjectDict(offer, *link.offerID);
}

void BTXOffersWebView::webViewDidStartLoad(ui::WebView&) {
    isViewVisible_ = true;
    loadingViewCtrl_->fadeIn();
    cWebView_->setUserInteractionEnabled(false);
}

void BTXOffersWebView::webViewDidFinishLoad(ui::WebView& webView) {
    webPageRendered_ = true;
    loadingViewCtrl_->fadeOut();
    cWebView_->setUserInteractionEnabled(true);
    if (!navBar_)
        return;
    auto* item = navBar_->navBarTitle();
    item->setTitle(webView.stringByEvaluatingJavaScriptFromString("document.title"));
    if (auto titleView = base::Ref<ui::View>(item->titleView())) {
        titleView->setAlpha(0);
        ui::View::animateWithDuration(0.25, [titleView] { titleView->setAlpha(1); });
    }
}

void BTXOffersWebView::failed() {
    showRetryAlert();
    loadingViewCtrl_->fadeOut();
    cWebView_->setUserInteractionEnabled(false);
}

void BTXOffersWebView::didFailLoadWithError(ui::WebView&, foundation::URLError const& error) {
    if (isSilentError(error))
        return;
    failed();
}

void BTXOffersWebView::didFailWithError(
    foundation::URLConnection& connection, foundation::URLError const&) {
    if (connection_.get() == &connection)
        connection_ = nullptr;
    failed();
}

void BTXOffersWebView::connectionDidFinishLoading(foundation::URLConnection& connection) {
    if (!isViewVisible_)
        connection.cancel();
}

void BTXOffersWebView::clickedButtonAtIndex(ui::AlertView&, int index) {
    alert_ = nullptr;
    if (index != RetryButtonIndex) {
        loadingViewCtrl_->fadeOut();
        cWebView_->setUserInteractionEnabled(true);
        return;
    }
    loadingViewCtrl_->fadeIn();
    cWebView_->stopLoading();
    if (lastURL_ && foundation::URLParts::parse(*lastURL_)) {
        offersURL() = *lastURL_;
        char line[256];
        std::snprintf(line, sizeof line, "%s: %d; %s; Retry URL:", __FILE__, __LINE__, __func__);
        BTXLog::logWithLevel(BTXLog::Progress, line + *lastURL_);
    } else {
        offersURL() = setUpOffersURLWithServiceURL(BTXConfiguration::current().primaryHost);
    }
    lastURL_.reset();
    loadView();
}

void BTXOffersWebView::backtoGameAction() {
    auto& commons = BTXViewCommons::sharedObject();
    BTXViewCommons::animateBTXView(
        this, commons.getReverseTransitionEffect(), commons.getTransitionDelay());
    foundation::performAfterDelay(
        this, [this] { giveBackNotification(); }, commons.getTransitionDelay());
}

void BTXOffersWebView::giveBackNotification() {
    base::Ref<BTXOffersWebView> keep(this);
    isViewVisible_ = false;
    removeFromSuperview();
    setTransform(graphics::AffineTransform::identity());
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.postNotification(ViewClosedNotification);
    center.postNotification(ShowBoxNotification);
}

// --- placing the wall ---

BTXOffersWebView& BTXOffersViewHandler::show(graphics::Rect frame, ui::ViewController* controller,
    bool navBar, std::optional<Currency> const& currency) {
    auto& wall = BTXOffersWebView::sharedBTXOffersWebView();
    base::Ref<BTXOffersWebView> keep(&wall);
    wall.removeFromSuperview();
    if (currency) {
        wall.setCurrencyID("currency_id=" + currency->id);
        wall.setIsSelectorVisible(
            std::string("currency_selector=") + (currency->selector ? "1" : "0"));
    }
    wall.setPublisherUserID(BountixConnect::getUserID());
    wall.setParentVController(controller);
    wall.refreshWithFrame(frame, navBar);
    wall.loadView();
    if (controller)
        controller->view()->addSubview(keep);
    auto& commons = BTXViewCommons::sharedObject();
    BTXViewCommons::animateBTXView(
        &wall, commons.getCurrentTransitionEffect(), commons.getTransitionDelay());
    return wall;
}

BTXOffersWebView& BTXOffersViewHandler::showOffersWithFrame(graphics::Rect frame) {
    return show(frame, nullptr, true, std::nullopt);
}

BTXOffersWebView& BTXOffersViewHandler::showOffers() {
    return showOffersWithFrame(ui::Screen::mainScreen().bounds());
}

void BTXOffersViewHandler::showOffersWithViewController(ui::ViewController* controller) {
    showOffersWithViewController(controller, true);
}

void BTXOffersViewHandler::showOffersWithViewController(
    ui::ViewController* controller, bool navBar) {
    requireController(controller);
    show(controller->view()->bounds(), controller, navBar, std::nullopt);
}

BTXOffersWebView& BTXOffersViewHandler::showOffersWithCurrencyID(
    std::string const& currencyID, graphics::Rect frame, bool selector) {
    return show(frame, nullptr, true, Currency {currencyID, selector});
}

BTXOffersWebView& BTXOffersViewHandler::showOffersWithCurrencyID(
    std::string const& currencyID, bool selector) {
    return showOffersWithCurrencyID(currencyID, ui::Screen::mainScreen().bounds(), selector);
}

void BTXOffersViewHandler::showOffersWithCurrencyID(
    std::string const& currencyID, ui::ViewController* controller, bool selector) {
    showOffersWithCurrencyID(currencyID, controller, true, selector);
}

void BTXOffersViewHandler::showOffersWithCurrencyID(
    std::string const& currencyID, ui::ViewController* controller, bool navBar, bool selector) {
    requireController(controller);
    show(controller->view()->bounds(), controller, navBar, Currency {currencyID, selector});
}

// --- through the view host ---

BTXOffersWebView& BTXCallsWrapper::showOffersWithFrame(graphics::Rect frame) {
    moveViewToFront();
    view()->setAlpha(1);
    auto& wall = BTXOffersViewHandler::showOffersWithFrame(frame);
    view()->addSubview(base::Ref<ui::View>(&wall));
    return wall;
}

BTXOffersWebView& BTXCallsWrapper::showOffers() {
    return showOffersWithFrame(view()->bounds());
}

BTXOffersWebView& BTXCallsWrapper::showOffersWithCurrencyID(
    std::string const& currencyID, graphics::Rect frame, bool selector) {
    moveViewToFront();
    view()->setAlpha(1);
    auto& wall = BTXOffersViewHandler::showOffersWithCurrencyID(currencyID, frame, selector);
    view()->addSubview(base::Ref<ui::View>(&wall));
    return wall;
}

BTXOffersWebView& BTXCallsWrapper::showOffersWithCurrencyID(
    std::string const& currencyID, bool selector) {
    return showOffersWithCurrencyID(currencyID, view()->bounds(), selector);
}

void BTXCallsWrapper::showOffersWithViewController(ui::ViewController* controller) {
    view()->setAlpha(0);
    BTXOffersViewHandler::showOffersWithViewController(controller);
}

void BTXCallsWrapper::showOffersWithViewController(ui::ViewController* controller, bool navBar) {
    view()->setAlpha(0);
    BTXOffersViewHandler::showOffersWithViewController(controller, navBar);
}

void BTXCallsWrapper::showOffersWithCurrencyID(
    std::string const& currencyID, ui::ViewController* controller, bool selector) {
    view()->setAlpha(0);
    BTXOffersViewHandler::showOffersWithCurrencyID(currencyID, controller, selector);
}

void BTXCallsWrapper::showOffersWithCurrencyID(
    std::string const& currencyID, ui::ViewController* controller, bool navBar, bool selector) {
    view()->setAlpha(0);
    BTXOffersViewHandler::showOffersWithCurrencyID(currencyID, controller, navBar, selector);
}

}
