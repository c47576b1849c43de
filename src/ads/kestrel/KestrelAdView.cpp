#include <ads/kestrel/KestrelAdView.hpp>

#include <ads/kestrel/KestrelAdAssignment.hpp>
#include <ads/kestrel/KestrelAdCanvasViewController.hpp>
#include <ads/kestrel/KestrelAdLoop.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdProperties.hpp>

#include <analytics/KestrelDates.hpp>
#include <analytics/KestrelHeartBeater.hpp>
#include <analytics/KestrelProtocolData.hpp>
#include <analytics/KestrelSession.hpp>
#include <analytics/KestrelUtil.hpp>

#include <foundation/Perform.hpp>
#include <foundation/Strings.hpp>
#include <graphics/Font.hpp>
#include <ui/Application.hpp>
#include <ui/Color.hpp>
#include <ui/NavigationController.hpp>
#include <ui/Window.hpp>

#include <base/Exception.hpp>

#include <algorithm>
#include <cstdio>
#include <numbers>

namespace ads::kestrel {

using analytics::KestrelProtocolData;
using analytics::KestrelSession;
using analytics::KestrelUtil;

namespace {

constexpr char const* refreshSelector = "refreshWithAd";
constexpr char const* deviceOrientationNotification = "UIDeviceOrientationDidChangeNotification";

// Runs body; an exception goes to the agent's handler and the caller goes on.
template<typename Body> void guarded(Body&& body) {
    try {
        body();
    } catch (...) {
        KestrelUtil::handleException(std::current_exception());
    }
}

float number(std::optional<std::int32_t> value) {
    return value ? float(*value) : 0.0f;
}

graphics::Rect styleFrame(KestrelAdTextStyle const* style) {
    return style ? style->frame() : graphics::Rect {};
}

graphics::Rect geometryFrame(KestrelAdLocation const* location, KestrelAdDimension const* size) {
    return graphics::makeRect(location ? number(location->x()) : 0,
        location ? number(location->y()) : 0, size ? number(size->width()) : 0,
        size ? number(size->height()) : 0);
}

base::Ref<graphics::Font> fontOf(KestrelAdTextStyle const* style) {
    if (!style || !style->font())
        return nullptr;
    return graphics::Font::fontWithName(*style->font(), float(style->fontSize().value_or(0)));
}

void applyStyle(ui::Label& label, KestrelAdTextStyle const* style) {
    if (!style)
        return;
    if (style->fontColor())
        label.setTextColor(*style->fontColor());
    if (auto font = fontOf(style))
        label.setFont(font);
}

bool equalsIgnoringCase(std::optional<std::string> const& text, std::string_view word) {
    return text && foundation::lowercase(*text) == foundation::lowercase(word);
}

std::string orNull(std::optional<std::int64_t> value) {
    return value ? std::to_string(*value) : std::string("(null)");
}

std::int64_t nowMillis() {
    return KestrelProtocolData::millisecondsSince1970(analytics::KestrelDates::now());
}

// The session's fields of a click-through URL: api key and start time.
struct SessionFields {
    std::string apiKey {"(null)"};
    std::int64_t startMillis {0};
};

SessionFields sessionFields() {
    SessionFields fields;
    if (auto session = KestrelSession::currentSession()) {
        fields.apiKey = session->apiKey();
        if (auto start = session->startTime())
            fields.startMillis = KestrelProtocolData::millisecondsSince1970(*start);
    }
    return fields;
}

}

// ---- construction

KestrelAdView::KestrelAdView(graphics::Rect frame)
    : ui::View(frame) {
}

base::Ref<KestrelAdView> KestrelAdView::initWithAd(base::Ref<KestrelAd> ad,
    std::optional<std::string> hook, int xLoc, int yLoc, ui::Responder* parent, bool attachToView,
    std::optional<std::string> orientation, std::optional<std::string> canvasOrientation,
    bool autoRefresh, std::optional<std::string> rewardMessage) {
    auto view = base::make<KestrelAdView>(
        graphics::makeRect(float(xLoc), float(yLoc), bannerWidth, bannerHeight));
    view->init(std::move(ad), std::move(hook), parent, attachToView, std::move(orientation),
        std::move(canvasOrientation), autoRefresh, std::move(rewardMessage));
    KestrelUtil::debugLog(
        "Kestrel: Initialized adView with hook[%@] at x[%d] y[%d]", view->hook_, xLoc, yLoc);
    return view;
}

void KestrelAdView::init(base::Ref<KestrelAd> ad, std::optional<std::string> hook,
    ui::Responder* parent, bool attachToView, std::optional<std::string> orientation,
    std::optional<std::string> canvasOrientation, bool autoRefresh,
    std::optional<std::string> rewardMessage) {
    guarded([&] {
        _autoRefresh = autoRefresh;
        _refreshTimerPaused = false;
        setHidden(true);
        hook_ = std::move(hook);
        if (auto* controller = dynamic_cast<ui::ViewController*>(parent)) {
            parentViewController_ = controller;
            auto* navigation = dynamic_cast<ui::NavigationController*>(controller);
            if (navigation && navigation->visibleViewController())
                parentName_ = descriptionOf(navigation->visibleViewController(), "ViewController");
            else
                parentName_ = descriptionOf(controller, "ViewController");
            parentView_ = controller->view();
        } else if (auto* view = dynamic_cast<ui::View*>(parent)) {
            parentView_ = view;
            parentName_ = descriptionOf(view, "View");
        }
        setBackgroundColor(ui::Color::clearColor());
        adImpression_ = KestrelAdImpression::initWithHook(
            hook_, KestrelAdImpression::formatBanner, KestrelAdParser::instance());
        setAutoresizingMask(
            ui::Autoresizing::FlexibleTopMargin | ui::Autoresizing::FlexibleBottomMargin);
        orientation_ = std::move(orientation);
        canvasOrientation_ = std::move(canvasOrientation);
        rewardMessage_ = std::move(rewardMessage);
        if (!ad)
            throw base::Exception(
                "KestrelAdViewException", "initializing KestrelAdView with a nil KestrelAd");
        auto hookRecord = KestrelAdParser::fastHookWithName(hook_);
        if (hookRecord)
            updateWithAd(ad, hookRecord);
        if (attachToView && parentView_)
            parentView_->addSubview(base::Ref<ui::View>(this));
        auto& center = foundation::NotificationCenter::defaultCenter();
        orientationObservation_ = center.observe(
            deviceOrientationNotification, [this](auto const&) { updateToOrientation(); });
        heartBeatObservation_ = center.observe(analytics::KestrelHeartBeater::notificationName,
            [this](auto const&) { handleHeartBeat(); });
    });
}

KestrelAdView::~KestrelAdView() {
    guarded([&] {
        orientationObservation_.cancel();
        heartBeatObservation_.cancel();
        if (appStoreConnection_)
            appStoreConnection_->cancel();
        if (auto assignment = KestrelAdAssignment::instance())
            assignment->removeAd(ad_.get(), parentName_);
    });
}

std::string KestrelAdView::descriptionOf(void const* object, char const* kind) {
    char text[64];
    std::snprintf(text, sizeof text, "<%s: %p>", kind, object);
    return text;
}

// ---- showing an ad

void KestrelAdView::updateWithAd(base::Ref<KestrelAd> ad, base::Ref<KestrelAdHook> hook) {
    bool refresh = ad_ && adHook_;
    ad_ = std::move(ad);
    adHook_ = std::move(hook);
    if (ad_ && adHook_) {
        theme_ = adHook_->adTheme();
        if (ad_->adImage())
            createViewElements();
        setUserInteractionEnabled(true);
        setHidden(false);
        setAlpha(1.0f);
        if (_autoRefresh && !_refreshTimerPaused)
            scheduleRefresh();
        if (refresh) {
            adImpression_ = KestrelAdImpression::initWithHook(
                hook_, KestrelAdImpression::formatBanner, KestrelAdParser::instance());
        }
        adImpression_->updateWithAd(*ad_);
        updateToOrientation();
        KestrelUtil::debugLog("Kestrel: Updated adView with ad[%@]", ad_->adId());
    }
    checkBannerLocation();
}

void KestrelAdView::removeViewElements() {
    ui::View* const elements[] = {icon_.get(), landscapeBackground_.get(),
        portraitBackground_.get(), sellMessageLabel_.get(), appNameLabel_.get(),
        advertiserLabel_.get(), actionButton_.get()};
    for (auto* element : elements) {
        if (element && element->superview() == this)
            element->removeFromSuperview();
    }
    icon_ = nullptr;
    landscapeBackground_ = nullptr;
    portraitBackground_ = nullptr;
    sellMessageLabel_ = nullptr;
    appNameLabel_ = nullptr;
    advertiserLabel_ = nullptr;
    actionButton_ = nullptr;
}

void KestrelAdView::createViewElements() {
    auto* theme = theme_.get();
    auto image = ad_ ? ad_->adImage() : nullptr;
    KestrelUtil::debugLog("Kestrel: Updating adView with adImageId[%@] dimension[%@]",
        ad_ ? ad_->imageId() : std::nullopt,
        image ? std::to_string(int(image->size().width)) + "x"
                + std::to_string(int(image->size().height))
              : std::string("(null)"));
    removeViewElements();

    icon_ = ui::ImageView::create(portraitIconFrame());
    icon_->setImage(image);

    sellMessageLabel_ = ui::Label::create(portraitSellMessageFrame());
    if (theme && theme->sellMessage())
        sellMessageLabel_->setText(*theme->sellMessage());
    sellMessageLabel_->setTextAlignment(ui::TextAlignment::Left);
    applyStyle(*sellMessageLabel_, theme ? theme->portraitSellMessageTextStyle().get() : nullptr);
    sellMessageLabel_->setAdjustsFontSizeToFitWidth(true);
    sellMessageLabel_->setNumberOfLines(2);
    sellMessageLabel_->setBackgroundColor(ui::Color::clearColor());

    appNameLabel_ = ui::Label::create(portraitAppNameFrame());
    if (ad_ && ad_->adText())
        appNameLabel_->setText(*ad_->adText());
    appNameLabel_->setTextAlignment(ui::TextAlignment::Left);
    applyStyle(*appNameLabel_, theme ? theme->portraitAppNameTextStyle().get() : nullptr);
    appNameLabel_->setAdjustsFontSizeToFitWidth(false);
    appNameLabel_->setBackgroundColor(ui::Color::clearColor());

    advertiserLabel_ = ui::Label::create(portraitAdvertiserFrame());
    if (ad_ && ad_->advertiser())
        advertiserLabel_->setText(*ad_->advertiser());
    advertiserLabel_->setTextAlignment(ui::TextAlignment::Left);
    applyStyle(*advertiserLabel_, theme ? theme->portraitAdvertiserTextStyle().get() : nullptr);
    advertiserLabel_->setAdjustsFontSizeToFitWidth(false);
    advertiserLabel_->setHidden(true);
    advertiserLabel_->setBackgroundColor(ui::Color::clearColor());

    auto hookTheme = adHook_ ? adHook_->adTheme() : nullptr;
    portraitBackground_ = ui::ImageView::create();
    landscapeBackground_ = ui::ImageView::create();
    if (hookTheme) {
        portraitBackground_->setImage(hookTheme->portraitAdImage());
        landscapeBackground_->setImage(hookTheme->landscapeAdImage());
    }
    // An image view made with an image takes the image's size.
    for (auto* background : {portraitBackground_.get(), landscapeBackground_.get()}) {
        if (auto* picture = background->image())
            background->setFrame({{0, 0}, picture->size()});
    }

    addSubview(icon_);
    addSubview(landscapeBackground_);
    addSubview(portraitBackground_);
    addSubview(sellMessageLabel_);
    addSubview(appNameLabel_);
    addSubview(advertiserLabel_);

    bool landscapeReward = equalsIgnoringCase(orientation_, "landscape") && rewardMessage_;
    bool free = ad_ && ad_->appPrice() && *ad_->appPrice() == 0;
    std::int16_t code = landscapeReward ? paidRewardActionImageCode : paidActionImageCode;
    if (free)
        code = landscapeReward ? freeRewardActionImageCode : freeActionImageCode;
    if (auto badge = KestrelAdParser::fastImageWithCode(code)) {
        actionButton_ = ui::ImageView::create(portraitActionButtonFrame());
        actionButton_->setImage(badge);
        addSubview(actionButton_);
    }
    updateWithRewardMessage();
    setBackgroundColor(ui::Color::grayColor());
}

void KestrelAdView::updateWithRewardMessage() {
    if (rewardMessage_ && sellMessageLabel_)
        sellMessageLabel_->setText(*rewardMessage_);
}

// ---- layout

bool KestrelAdView::isLandscape() const {
    return equalsIgnoringCase(orientation_, "landscape");
}

void KestrelAdView::updateToOrientation() {
    guarded([&] {
        auto* theme = theme_.get();
        bool landscape = isLandscape();
        setFrame(landscape ? landscapeFrame() : portraitFrame());
        auto place = [](ui::View* view, graphics::Rect frame) {
            if (view)
                view->setFrame(frame);
        };
        place(sellMessageLabel_.get(),
            landscape ? landscapeSellMessageFrame() : portraitSellMessageFrame());
        place(icon_.get(), landscape ? landscapeIconFrame() : portraitIconFrame());
        place(appNameLabel_.get(), landscape ? landscapeAppNameFrame() : portraitAppNameFrame());
        place(advertiserLabel_.get(),
            landscape ? landscapeAdvertiserFrame() : portraitAdvertiserFrame());
        place(actionButton_.get(),
            landscape ? landscapeActionButtonFrame() : portraitActionButtonFrame());
        if (advertiserLabel_)
            advertiserLabel_->setHidden(!landscape && !KestrelUtil::isIPad());
        if (landscapeBackground_)
            landscapeBackground_->setHidden(!landscape);
        if (portraitBackground_)
            portraitBackground_->setHidden(landscape);
        if (!theme)
            return;
        auto* nameStyle = landscape ? theme->landscapeAppNameTextStyle().get()
                                    : theme->portraitAppNameTextStyle().get();
        auto* sellStyle = landscape ? theme->landscapeSellMessageTextStyle().get()
                                    : theme->portraitSellMessageTextStyle().get();
        if (appNameLabel_) {
            if (auto font = fontOf(nameStyle))
                appNameLabel_->setFont(font);
        }
        if (sellMessageLabel_) {
            if (auto font = fontOf(sellStyle))
                sellMessageLabel_->setFont(font);
        }
    });
}

graphics::Rect KestrelAdView::portraitFrame() const {
    auto* dimension = theme_ ? theme_->portraitAdDimension().get() : nullptr;
    return graphics::makeRect(frame().origin.x, frame().origin.y,
        dimension ? number(dimension->width()) : 0, dimension ? number(dimension->height()) : 0);
}

graphics::Rect KestrelAdView::landscapeFrame() const {
    auto* dimension = theme_ ? theme_->landscapeAdDimension().get() : nullptr;
    return graphics::makeRect(frame().origin.x, frame().origin.y,
        dimension ? number(dimension->width()) : 0, dimension ? number(dimension->height()) : 0);
}

graphics::Rect KestrelAdView::portraitSellMessageFrame() const {
    return styleFrame(theme_ ? theme_->portraitSellMessageTextStyle().get() : nullptr);
}

graphics::Rect KestrelAdView::portraitAppNameFrame() const {
    return styleFrame(theme_ ? theme_->portraitAppNameTextStyle().get() : nullptr);
}

graphics::Rect KestrelAdView::portraitAdvertiserFrame() const {
    return styleFrame(theme_ ? theme_->portraitAdvertiserTextStyle().get() : nullptr);
}

graphics::Rect KestrelAdView::landscapeSellMessageFrame() const {
    return styleFrame(theme_ ? theme_->landscapeSellMessageTextStyle().get() : nullptr);
}

graphics::Rect KestrelAdView::landscapeAppNameFrame() const {
    return styleFrame(theme_ ? theme_->landscapeAppNameTextStyle().get() : nullptr);
}

graphics::Rect KestrelAdView::landscapeAdvertiserFrame() const {
    return styleFrame(theme_ ? theme_->landscapeAdvertiserTextStyle().get() : nullptr);
}

graphics::Rect KestrelAdView::portraitIconFrame() const {
    if (!theme_)
        return {};
    return geometryFrame(
        theme_->portraitAppImageLocation().get(), theme_->portraitAppImageDimension().get());
}

graphics::Rect KestrelAdView::landscapeIconFrame() const {
    if (!theme_)
        return {};
    return geometryFrame(
        theme_->landscapeAppImageLocation().get(), theme_->landscapeAppImageDimension().get());
}

// The badge's tablet frames lie far outside a 320-point phone banner, where it would
// never be seen; on a phone it sits at the right end of the banner, centred down it.
graphics::Rect KestrelAdView::actionButtonFrameInside(graphics::Rect banner) const {
    float width = banner.size.width > 0 ? banner.size.width : bannerWidth;
    float height = banner.size.height > 0 ? banner.size.height : bannerHeight;
    float x = std::max(0.0f, width - actionButtonWidth - 4);
    float y = std::max(0.0f, (height - actionButtonHeight) / 2);
    return graphics::makeRect(x, y, actionButtonWidth, actionButtonHeight);
}

graphics::Rect KestrelAdView::portraitActionButtonFrame() const {
    if (KestrelUtil::isIPad())
        return graphics::makeRect(648, 50, actionButtonWidth, actionButtonHeight);
    return actionButtonFrameInside(portraitFrame());
}

graphics::Rect KestrelAdView::landscapeActionButtonFrame() const {
    if (KestrelUtil::isIPad())
        return graphics::makeRect(880, 50, actionButtonWidth, actionButtonHeight);
    return actionButtonFrameInside(landscapeFrame());
}

// ---- on screen and refresh

bool KestrelAdView::isOnScreen() const {
    auto* keyWindow = ui::Application::sharedApplication().keyWindow();
    if (!keyWindow || window() != keyWindow || isHidden())
        return false;
    // The part of the banner that its clipping ancestors let through.
    auto visible = bounds();
    for (auto const* ancestor = superview(); ancestor; ancestor = ancestor->superview()) {
        if (!ancestor->clipsToBounds())
            continue;
        auto clip = convertRectFromView(ancestor->bounds(), ancestor);
        auto left = std::max(visible.origin.x, clip.origin.x);
        auto top = std::max(visible.origin.y, clip.origin.y);
        auto right
            = std::min(visible.origin.x + visible.size.width, clip.origin.x + clip.size.width);
        auto bottom
            = std::min(visible.origin.y + visible.size.height, clip.origin.y + clip.size.height);
        if (right <= left || bottom <= top)
            return false;
        visible = graphics::makeRect(left, top, right - left, bottom - top);
    }
    auto mid = convertPointToView({visible.midX(), visible.midY()}, nullptr);
    return keyWindow->bounds().contains(mid);
}

void KestrelAdView::scheduleRefresh() {
    cancelRefresh();
    base::Ref<KestrelAdView> self(this);
    foundation::performAfterDelay(
        this, refreshSelector, nullptr, [self] { self->refreshWithAd(); },
        double(KestrelAdProperties::getBannerRefreshInSeconds()));
    _refreshTimerPaused = false;
}

void KestrelAdView::cancelRefresh() {
    foundation::cancelPreviousPerformRequests(this, refreshSelector);
}

void KestrelAdView::checkBannerLocation() {
    guarded([&] {
        if (!isOnScreen()) {
            _refreshTimerPaused = true;
            cancelRefresh();
            return;
        }
        if (ad_ && adImpression_
            && adImpression_->currentState() < KestrelAdImpression::stateShown) {
            adImpression_->updateWithResult(
                KestrelAdImpression::stateShown, cookies(), nullptr, nullptr);
        }
        if (_autoRefresh && _refreshTimerPaused)
            scheduleRefresh();
    });
}

void KestrelAdView::refreshWithAd() {
    guarded([&] {
        if (auto assignment = KestrelAdAssignment::instance())
            assignment->removeAd(ad_.get(), parentName_);
        base::Ref<KestrelAd> next;
        base::Ref<KestrelAdHook> hookRecord;
        {
            std::lock_guard lock(KestrelAdParser::classLock());
            auto parser = KestrelAdParser::instance();
            next = parser->adWithHook(hook_, parentName_);
            hookRecord = parser->hookWithName(hook_);
        }
        updateWithAd(next, hookRecord);
    });
}

void KestrelAdView::handleHeartBeat() {
    if (!ad_ || !adHook_)
        refreshWithAd();
    checkBannerLocation();
}

// ---- tap

void KestrelAdView::touchesEnded(ui::TouchSet const& touches, ui::Event*) {
    guarded([&] {
        auto* touch = touches.anyObject();
        if (!touch || touch->tapCount() == 0)
            return;
        if (adImpression_)
            adImpression_->updateWithResult(
                KestrelAdImpression::stateTapped, cookies(), nullptr, nullptr);
        int clickAction = adHook_ && adHook_->clickAction() ? int(*adHook_->clickAction()) : 0;
        if (clickAction == 0)
            clickAction = defaultClickAction;
        KestrelUtil::debugLog(
            "Kestrel: Hook[%@] is configured with clickAction[%d]", hook_, clickAction);
        bool canvas = ad_ && ad_->canvasId().value_or(0) >= 1 && clickAction == 1;
        webUrl_ = webUrlForCanvas(
            canvas, hook_, ad_.get(), adImpression_.get(), canvasOrientation_, cookies());
        auto appStoreUrl = webUrlForCanvas(
            false, hook_, ad_.get(), adImpression_.get(), canvasOrientation_, cookies());
        openCanvas(appStoreUrl, clickAction);
    });
}

void KestrelAdView::showAppStore() {
    guarded([&] {
        auto& application = ui::Application::sharedApplication();
        application.setNetworkActivityIndicatorVisible(true);
        if (appStoreConnection_)
            appStoreConnection_->cancel();
        appStoreDelegate_ = KestrelAdAppStoreConnectionDelegate::create();
        appStoreDelegate_->setAdImpression(adImpression_);
        base::WeakRef<KestrelAdView> self(this);
        appStoreDelegate_->setEndedHandler([self](bool) {
            ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(false);
            if (self)
                self->appStoreConnection_ = nullptr;
        });
        appStoreConnection_ = appStoreDelegate_->openReferralURL(webUrl_);
    });
}

void KestrelAdView::clickedButtonAtIndex(ui::AlertView&, int buttonIndex) {
    guarded([&] {
        if (buttonIndex != 0)
            showAppStore();
    });
}

// The canvas goes on the parent's navigation when the parent is a navigation
// controller, else it opens in a window of its own; the navigation or the class's open
// canvas slot keeps it alive.
void KestrelAdView::openCanvas(std::optional<std::string> const& appStoreUrl, int clickAction) {
    auto canvas = KestrelAdCanvasViewController::initWithUrl(webUrl_, appStoreUrl, adImpression_,
        ad_, adDelegate_, canvasOrientation_, canvasAnimated_, clickAction);
    if (auto* navigation = dynamic_cast<ui::NavigationController*>(parentViewController_.get()))
        navigation->pushViewController(canvas, true);
    else
        canvas->createCanvasWindow();
}

// ---- URLs

std::optional<std::string> KestrelAdView::webUrlForCanvas(bool canvas,
    std::optional<std::string> const& hook, KestrelAd const* ad,
    KestrelAdImpression const* adImpression, std::optional<std::string> const& canvasOrientation,
    KestrelCookies const* userCookies) {
    std::optional<std::string> base;
    if (!canvas)
        base = KestrelAdLoop::appStoreURL();
    else if (!canvasOrientation || equalsIgnoringCase(canvasOrientation, "portrait"))
        base = KestrelAdLoop::canvasURL();
    else
        base = KestrelAdLoop::landscapeCanvasURL();
    if (!base)
        return std::nullopt;
    auto session = sessionFields();
    std::string url = *base;
    url += "?apik=" + session.apiKey;
    url += "&cid=" + orNull(ad ? ad->canvasId() : std::nullopt);
    url += "&adid=" + orNull(ad ? ad->adId() : std::nullopt);
    url += "&pid=" + KestrelSession::phoneID();
    url += "&sid=" + std::to_string(session.startMillis);
    url += "&its="
        + std::to_string(adImpression ? adImpression->timeIntervalSinceSessionStart() : 0);
    url += "&hid=" + (hook ? foundation::addingPercentEscapes(*hook) : std::string("(null)"));
    url += "&ac=" + (ad ? ad->adCookieString() : std::string());
    url += "&ats=" + std::to_string(nowMillis());
    return appendWebUrl(url, userCookies);
}

std::optional<std::string> KestrelAdView::webUrlForOffer(std::optional<std::string> const& hook,
    KestrelAd const* ad, KestrelAdImpression const* adImpression,
    KestrelCookies const* userCookies) {
    auto base = KestrelAdLoop::appStoreURL();
    if (!base)
        return std::nullopt;
    auto session = sessionFields();
    std::string url = *base;
    url += "?apik=" + session.apiKey;
    url += "&cid=0";
    url += "&adid=" + orNull(ad ? ad->adId() : std::nullopt);
    url += "&pid=" + KestrelSession::phoneID();
    url += "&sid=" + std::to_string(session.startMillis);
    url += "&its="
        + std::to_string(adImpression ? adImpression->timeIntervalSinceSessionStart() : 0);
    url += "&hid=" + (hook ? foundation::addingPercentEscapes(*hook) : std::string("(null)"));
    url += "&ac=" + (ad ? ad->adCookieString() : std::string());
    url += "&ats=" + std::to_string(nowMillis());
    return appendWebUrl(url, userCookies);
}

std::string KestrelAdView::appendWebUrl(std::string const& url, KestrelCookies const* userCookies) {
    if (!userCookies || userCookies->empty())
        return url;
    std::string cookies;
    for (auto const& [key, value] : *userCookies) {
        cookies += "&c_" + foundation::addingStrictPercentEscapes(key) + "="
            + foundation::addingStrictPercentEscapes(value);
    }
    return url + cookies;
}

std::string KestrelAdView::withoutQuery(std::optional<std::string> const& url) {
    if (!url)
        return "(null)";
    return url->substr(0, url->find('?'));
}

graphics::AffineTransform KestrelAdView::surfaceTransform(
    std::optional<std::string> const& orientation) {
    constexpr float pi = std::numbers::pi_v<float>;
    float shift = KestrelUtil::isIPad() ? 128 : 80;
    if (KestrelUtil::canvasInLandscapeLeft(orientation))
        return graphics::AffineTransform::makeRotation(3 * pi / 2).translated(-shift, -shift);
    if (KestrelUtil::canvasInLandscape(orientation))
        return graphics::AffineTransform::makeRotation(pi / 2).translated(shift, shift);
    if (KestrelUtil::canvasInPortraitUpsideDown(orientation))
        return graphics::AffineTransform::makeRotation(pi);
    return graphics::AffineTransform::identity();
}

}
