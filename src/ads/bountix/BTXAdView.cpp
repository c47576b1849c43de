#include <ads/bountix/BTXAdView.hpp>

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BTXUtil.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <foundation/Perform.hpp>
#include <ui/Application.hpp>
#include <ui/Image.hpp>
#include <ui/Touch.hpp>

#include <algorithm>

namespace ads::bountix {

namespace {

using toolkit::xml::XDoc;
using toolkit::xml::XDocElement;

base::Ref<BTXAdView>& sharedSlot() {
    static base::Ref<BTXAdView> shared;
    return shared;
}

}

// --- request handler ---

base::Ref<BTXAdRequestHandler> BTXAdRequestHandler::create(
    BTXAdResponseDelegate* delegate, int requestTag) {
    auto handler = base::make<BTXAdRequestHandler>();
    handler->initRequestWithDelegate(delegate, requestTag);
    return handler;
}

void BTXAdRequestHandler::requestAdWithSize(
    std::string const& size, std::optional<std::string> const& currencyID) {
    isDataFetchSuccessful_ = false;
    auto const& configuration = BTXConfiguration::current();
    std::string const path = "display_ad";
    auto url = configuration.primaryHost.empty() ? std::string() : configuration.primaryHost + path;
    auto alternate
        = configuration.fallbackHost.empty() ? std::string() : configuration.fallbackHost + path;
    auto parameters = BountixConnect::sharedBountixConnect().genericParameters();
    parameters.set("publisher_user_id", BountixConnect::getUserID());
    parameters.set("size", size);
    if (currencyID)
        parameters.set("currency_id", *currencyID);
    makeGenericRequestWithURL(url, alternate, std::move(parameters),
        [this](BTXCoreFetcher& fetcher) { adDataReceived(fetcher); });
}

std::optional<std::vector<std::string>> BTXAdRequestHandler::adOfReply(XDocElement const* root) {
    auto const* click = XDoc::childElementNamed("ClickURL", root);
    auto const* image = XDoc::childElementNamed("Image", root);
    if (!root || !click || !image)
        return std::nullopt;
    return std::vector<std::string> {XDoc::textForElement(click), XDoc::textForElement(image)};
}

void BTXAdRequestHandler::adDataReceived(BTXCoreFetcher& fetcher) {
    auto reply = validateResponseReturnedObject(fetcher);
    if (!reply)
        return;
    auto* delegate = dynamic_cast<BTXAdResponseDelegate*>(deleg());
    auto ad = adOfReply(reply.root);
    if (!ad) {
        BTXLog::logWithLevel(BTXLog::Error,
            "BTXAdView.cpp: " + std::to_string(__LINE__)
                + "; adDataReceived; No data received while attempting to fetch the data from "
                  "the server");
        if (delegate)
            delegate->fetchResponseError(
                BTXFetchResponseDelegate::Refused, std::string(), fetcher.requestTag);
        return;
    }
    clickURL_ = (*ad)[0];
    imageDataStr_ = (*ad)[1];
    isDataFetchSuccessful_ = true;
    if (delegate)
        delegate->fetchResponseSuccessWithAd(*ad, 0);
}

// --- view ---

BTXAdView::BTXAdView()
    : adViewOverlay_(ui::View::create())
    , adHandlerObj_(BTXAdRequestHandler::create(this, 0)) {
    adViewOverlay_->setBackgroundColor(ui::Color::blackColor());
    adViewOverlay_->setAlpha(0);
    adViewOverlay_->setUserInteractionEnabled(false);
}

BTXAdView::~BTXAdView() {
    if (adHandlerObj_)
        adHandlerObj_->setDeleg(nullptr);
}

BTXAdView& BTXAdView::sharedBTXAdView() {
    auto& shared = sharedSlot();
    if (!shared)
        shared = base::make<BTXAdView>();
    return *shared;
}

void BTXAdView::resetShared() {
    if (auto& shared = sharedSlot()) {
        foundation::cancelPreviousPerformRequests(shared.get());
        if (shared->adHandlerObj_)
            shared->adHandlerObj_->setDeleg(nullptr);
        shared->adHandlerObj_ = nullptr;
        shared->removeFromSuperview();
    }
    sharedSlot() = nullptr;
}

graphics::Rect BTXAdView::frameForSize(std::string const& size) {
    if (size == "640x100")
        return {{0, 0}, {640, 100}};
    if (size == "768x90")
        return {{0, 0}, {768, 90}};
    return {{0, 0}, {320, 50}};
}

void BTXAdView::request(std::optional<std::string> const& currencyID) {
    adHandlerObj_->requestAdWithSize(contentSizeStr_, currencyID);
}

BTXAdView& BTXAdView::getAdWithDelegate(
    BTXAdDelegate* delegate, std::optional<std::string> const& currencyID) {
    adDelegate_ = delegate;
    if (delegate)
        if (auto size = delegate->adContentSize())
            contentSizeStr_ = *size;
    setFrame(frameForSize(contentSizeStr_));
    adViewOverlay_->setFrame(frame());
    if (!adHandlerObj_)
        adHandlerObj_ = BTXAdRequestHandler::create(this, 0);
    request(currencyID);
    setBackgroundColor(ui::Color::blackColor());
    return *this;
}

void BTXAdView::refreshAd() {
    refreshAdWithCurrencyID(std::nullopt);
}

void BTXAdView::refreshAdWithCurrencyID(std::optional<std::string> const& currencyID) {
    if (!adDelegate_) {
        BTXLog::logWithLevel(
            BTXLog::Error, "Ad delegate not set, getAdWithDelegate must first be called");
        return;
    }
    if (!adHandlerObj_) {
        BTXLog::logWithLevel(
            BTXLog::Error, "Ad handler object not set, getAdWithDelegate must first be called");
        adHandlerObj_ = BTXAdRequestHandler::create(this, 0);
    }
    auto size = adDelegate_->adContentSize();
    if (!size) {
        BTXLog::logWithLevel(
            BTXLog::Error, "Content size not set, adContentSize is not properly implemented");
        return;
    }
    contentSizeStr_ = *size;
    request(currencyID);
}

bool BTXAdView::isAdLoaded() const {
    return adHandlerObj_ && adHandlerObj_->isDataFetchSuccessful() && imageDecoded_;
}

void BTXAdView::fetchResponseSuccessWithAd(std::vector<std::string> const& clickURLAndImage, int) {
    base::Ref<BTXAdView> keep(this);
    auto text = clickURLAndImage.size() > 1 ? clickURLAndImage[1] : std::string();
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    auto bytes = BTXUtil::dataWithBase64EncodedString(text);
    auto image = bytes.empty() ? nullptr : ui::Image::imageWithData(bytes);
    if (!image) {
        // Nothing to show: the image showing stays and the requester hears a failure.
        BTXLog::logWithLevel(BTXLog::Error, "BTXAdView: the ad's image could not be decoded");
        imageDecoded_ = false;
        if (adDelegate_)
            adDelegate_->didFailWithMessage(FailureMessage);
        return;
    }
    imageDecoded_ = true;
    if (!subviews().empty()) {
        auto old = subviews().front();
        previousImageView_ = base::Ref<ui::ImageView>(dynamic_cast<ui::ImageView*>(old.get()));
        old->setAlpha(1);
        ui::View::animateWithDuration(
            0.35, [old] { old->setAlpha(0); }, [old](bool) { old->removeFromSuperview(); });
    }
    clickURL_ = clickURLAndImage.empty() ? std::string() : clickURLAndImage[0];
    imageDataStr_ = clickURLAndImage.size() > 1 ? clickURLAndImage[1] : std::string();
    auto imageView = ui::ImageView::create();
    imageView->setImage(image);
    imageView->setBounds(bounds());
    imageView->setCenter({bounds().size.width / 2, bounds().size.height / 2});
    imageView_ = imageView;
    addSubview(imageView);
    adViewOverlay_->setFrame(bounds());
    imageView->addSubview(adViewOverlay_);
    imageView->setAlpha(0);
    if (adDelegate_)
        adDelegate_->didReceiveAd(*this);
    ui::View::animateWithDuration(0.25, [imageView] { imageView->setAlpha(1); });
    if (adDelegate_ && adDelegate_->shouldRefreshAd())
        foundation::performAfterDelay(
            this, [this] { refreshAd(); }, RefreshInterval);
}

void BTXAdView::fetchResponseError(int, std::string const&, int) {
    if (adDelegate_)
        adDelegate_->didFailWithMessage(FailureMessage);
}

void BTXAdView::touchesBegan(ui::TouchSet const&, ui::Event*) {
    adViewOverlay_->setAlpha(0.4f);
}

void BTXAdView::touchesEnded(ui::TouchSet const& touches, ui::Event*) {
    for (auto const& touch : touches) {
        adViewOverlay_->setAlpha(0);
        if (!bounds().contains(touch->locationInView(this)))
            continue;
        if (clickURL_.empty())
            BTXLog::logWithLevel(BTXLog::Error, "Ad cannot be loaded. Check internet connection.");
        else
            ui::Application::sharedApplication().openExternalURL(clickURL_);
    }
}

}
