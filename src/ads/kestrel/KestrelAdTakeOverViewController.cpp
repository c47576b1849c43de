#include <ads/kestrel/KestrelAdTakeOverViewController.hpp>

#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdView.hpp>

#include <analytics/KestrelUtil.hpp>

#include <graphics/Font.hpp>
#include <ui/Application.hpp>
#include <ui/Color.hpp>
#include <ui/Screen.hpp>
#include <ui/Touch.hpp>

#include <utility>

namespace ads::kestrel {

using analytics::KestrelUtil;
using graphics::makeRect;
using graphics::Rect;

namespace {

base::Ref<KestrelAdTakeOverViewController> openController;
base::WeakRef<ui::Window> savedKeyWindow;
base::Ref<ui::Window> theTakeOverWindow;

template<typename Body> void guarded(Body&& body) {
    try {
        body();
    } catch (...) {
        KestrelUtil::handleException(std::current_exception());
    }
}

// The frames by device kind and orientation, in the columns iPad landscape, iPad
// portrait, phone landscape, phone portrait.
struct FrameRow {
    std::string_view name;
    std::array<Rect, 4> frames;
};

constexpr Rect zero {};

FrameRow const frameTable[] = {
    {"takeOverBackgroundFrame",
        {makeRect(0, 0, 1024, 768), makeRect(0, 0, 768, 1024), makeRect(0, 0, 480, 320),
            makeRect(0, 0, 320, 480)}},
    {"takeOverRewardModFrame",
        {makeRect(15, 134, 370, 500), makeRect(44, 120, 680, 306), makeRect(10, 45, 168, 230),
            makeRect(10, 60, 300, 153)}},
    {"takeOverRecommendationModFrame",
        {makeRect(390, 134, 619, 500), makeRect(44, 500, 680, 400), makeRect(188, 45, 282, 230),
            makeRect(10, 250, 300, 200)}},
    {"takeOverNoRewardRecommendationModFrame",
        {makeRect(202, 134, 619, 500), makeRect(44, 326, 680, 400), makeRect(99, 45, 282, 230),
            makeRect(10, 165, 300, 200)}},
    {"takeOverRecommendationModWithSubAppsFrame",
        {makeRect(390, 134, 619, 500), makeRect(44, 500, 680, 440), makeRect(10, 165, 300, 200),
            makeRect(10, 165, 300, 200)}},
    {"takeOverNoRewardRecommendationModWithSubAppsFrame",
        {makeRect(202, 134, 619, 500), makeRect(44, 326, 680, 440), makeRect(10, 165, 300, 200),
            makeRect(10, 165, 300, 200)}},
    {"takeOverCancelXFrame",
        {makeRect(977, 90, 32, 32), makeRect(689, 76, 32, 32), makeRect(454, 23, 16, 16),
            makeRect(293, 38, 16, 16)}},
    {"takeOverNoRewardCancelXFrame",
        {makeRect(789, 92, 32, 32), makeRect(689, 286, 32, 32), makeRect(365, 23, 16, 16),
            makeRect(293, 143, 16, 16)}},
    {"takeOverCancelXLabelFrame",
        {makeRect(840, 65, 185, 57), makeRect(575, 34, 185, 72), makeRect(376, 0, 105, 41),
            makeRect(215, 0, 105, 56)}},
    {"takeOverNoRewardCancelXLabelFrame",
        {makeRect(652, 67, 185, 57), makeRect(575, 244, 185, 72), makeRect(287, 0, 105, 41),
            makeRect(215, 105, 105, 56)}},
    {"takeOverArrowCircleFrame",
        {makeRect(367, 374, 40, 40), makeRect(364, 444, 40, 40), makeRect(170, 147, 26, 26),
            makeRect(147, 219, 26, 26)}},
    {"rewardFrameHeadingLabelFrame",
        {makeRect(22, 20, 250, 40), makeRect(22, 16, 250, 40), makeRect(11, 8, 125, 20),
            makeRect(11, 8, 125, 20)}},
    {"takeOverRewardLeadInMessageViewFrame",
        {makeRect(24, 115, 322, 50), makeRect(24, 72, 656, 32), makeRect(12, 56, 144, 40),
            makeRect(12, 36, 276, 16)}},
    {"takeOverRewardDescriptionLabelFrame",
        {makeRect(24, 190, 322, 60), makeRect(24, 112, 632, 40), makeRect(12, 100, 144, 40),
            makeRect(12, 56, 276, 20)}},
    {"rewardImageViewFrame",
        {makeRect(125, 290, 120, 120), makeRect(280, 162, 120, 120), makeRect(54, 153, 60, 60),
            makeRect(120, 81, 60, 60)}},
    {"recommendationFrameHeadingLabelFrame",
        {makeRect(16, 20, 494, 40), makeRect(16, 14, 494, 40), makeRect(8, 7, 247, 20),
            makeRect(8, 7, 247, 20)}},
    {"appStoreButtonFrame",
        {makeRect(503, 154, 100, 45), makeRect(560, 154, 100, 45), makeRect(226, 75, 50, 25),
            makeRect(243, 75, 50, 25)}},
    {"loadingViewFrame",
        {makeRect(0, 0, 32, 32), makeRect(0, 0, 32, 32), makeRect(0, 0, 32, 32),
            makeRect(0, 0, 32, 32)}},
    {"appIconViewFrame",
        {makeRect(22, 96, 100, 100), makeRect(22, 96, 100, 100), makeRect(11, 48, 50, 50),
            makeRect(11, 48, 50, 50)}},
    {"iconMaskViewFrame",
        {makeRect(19, 94, 105, 105), makeRect(19, 94, 105, 105), makeRect(9, 46, 54, 54),
            makeRect(9, 46, 54, 54)}},
    {"takeOverAppTitleViewFrame",
        {makeRect(140, 112, 459, 32), makeRect(140, 112, 520, 32), makeRect(70, 50, 207, 16),
            makeRect(70, 50, 220, 16)}},
    {"takeOverAppCompanyViewFrame",
        {makeRect(140, 150, 308, 28), makeRect(140, 150, 308, 28), makeRect(70, 75, 154, 14),
            makeRect(70, 75, 154, 14)}},
    {"takeOverAppDescriptionViewFrame",
        {makeRect(20, 218, 579, 250), makeRect(20, 218, 640, 150), makeRect(10, 114, 262, 105),
            makeRect(10, 114, 280, 75)}},
    {"takeOverAppDescriptionViewWithSubAppsFrame",
        {makeRect(20, 218, 579, 130), makeRect(20, 218, 640, 70), makeRect(10, 105, 280, 75),
            makeRect(10, 105, 280, 75)}},
    {"takeOverDivideLineViewFrame",
        {makeRect(100, 360, 419, 1), makeRect(100, 300, 478, 1), zero, zero}},
    {"subAdSellMessageFrame", {makeRect(0, 380, 619, 21), makeRect(0, 320, 680, 21), zero, zero}},
};

// The x of the further apps' icons per layout (one, two, three apps), landscape then
// portrait; the masks lie 4 points left of and above their icons.
constexpr float subAdIconX[3][3][2] = {
    {{280, 310}, {0, 0}, {0, 0}},
    {{228, 258}, {332, 362}, {0, 0}},
    {{176, 206}, {280, 310}, {384, 414}},
};

ui::Color const gold = ui::Color::colorWithBytes(254, 209, 1);
ui::Color const titleBlue = ui::Color::colorWithBytes(13, 136, 197);

base::Ref<graphics::Font> bold(float pad, float phone) {
    return graphics::Font::fontWithName("HelveticaNeue-Bold", KestrelUtil::isIPad() ? pad : phone);
}

base::Ref<ui::ImageView> imageView(Rect frame, base::Ref<ui::Image> image) {
    auto view = ui::ImageView::create(frame);
    view->setBackgroundColor(ui::Color::clearColor());
    view->setImage(std::move(image));
    return view;
}

base::Ref<ui::Label> label(Rect frame, std::string const& text, base::Ref<graphics::Font> font,
    ui::Color color, ui::TextAlignment alignment, bool adjusts, int lines = 1) {
    auto view = ui::Label::create(frame);
    view->setFont(std::move(font));
    view->setBackgroundColor(ui::Color::clearColor());
    view->setText(text);
    view->setTextAlignment(alignment);
    view->setTextColor(color);
    view->setAdjustsFontSizeToFitWidth(adjusts);
    view->setNumberOfLines(lines);
    return view;
}

std::int16_t storeImageCode(std::optional<std::int32_t> price) {
    return price.value_or(0) < 1 ? 33 : 5;
}

}

// ---- construction and class state

KestrelAdTakeOverViewController::KestrelAdTakeOverViewController() {
    setTitle("Info");
}

base::Ref<KestrelAdTakeOverViewController> KestrelAdTakeOverViewController::init() {
    return base::make<KestrelAdTakeOverViewController>();
}

KestrelAdTakeOverViewController::~KestrelAdTakeOverViewController() {
    guarded([&] {
        if (appStoreConnection_)
            appStoreConnection_->cancel();
    });
}

void KestrelAdTakeOverViewController::setOpenTakeOverController(
    base::Ref<KestrelAdTakeOverViewController> controller) {
    openController = std::move(controller);
}

KestrelAdTakeOverViewController* KestrelAdTakeOverViewController::getOpenTakeOverController() {
    return openController.get();
}

void KestrelAdTakeOverViewController::freeOpenTakeOverController() {
    auto controller = std::move(openController);
    openController = nullptr;
}

ui::Window* KestrelAdTakeOverViewController::takeOverWindow() {
    return theTakeOverWindow.get();
}

KestrelAd* KestrelAdTakeOverViewController::subAd(int slot) const {
    return slot >= 1 && slot <= 3 ? subAds_[std::size_t(slot - 1)].get() : nullptr;
}

void KestrelAdTakeOverViewController::setSubAd(int slot, base::Ref<KestrelAd> ad) {
    if (slot >= 1 && slot <= 3)
        subAds_[std::size_t(slot - 1)] = std::move(ad);
}

std::optional<std::string> const& KestrelAdTakeOverViewController::subAdHook(int slot) const {
    static std::optional<std::string> const none;
    return slot >= 1 && slot <= 3 ? subAdHooks_[std::size_t(slot - 1)] : none;
}

void KestrelAdTakeOverViewController::setSubAdHook(int slot, std::optional<std::string> hook) {
    if (slot >= 1 && slot <= 3)
        subAdHooks_[std::size_t(slot - 1)] = std::move(hook);
}

ui::Button* KestrelAdTakeOverViewController::iconButton(int slot) const {
    return slot >= 1 && slot <= 3 ? iconButtons_[std::size_t(slot - 1)].get() : nullptr;
}

ui::ImageView* KestrelAdTakeOverViewController::iconMaskView(int slot) const {
    return slot >= 1 && slot <= 3 ? iconMaskViews_[std::size_t(slot - 1)].get() : nullptr;
}

// ---- frames and artwork

bool KestrelAdTakeOverViewController::isLandscape() const {
    return KestrelUtil::canvasInLandscape(orientation_);
}

Rect KestrelAdTakeOverViewController::frameNamed(std::string_view name) const {
    std::size_t column = (KestrelUtil::isIPad() ? 0 : 2) + (isLandscape() ? 0 : 1);
    for (auto const& row : frameTable) {
        if (row.name == name)
            return row.frames[column];
    }
    return {};
}

Rect KestrelAdTakeOverViewController::subAdIconFrame(int count, int slot, bool mask) const {
    if (!KestrelUtil::isIPad() || count < 1 || count > 3 || slot < 1 || slot > count)
        return {};
    bool landscape = isLandscape();
    float x = subAdIconX[count - 1][slot - 1][landscape ? 0 : 1];
    float y = landscape ? 417 : 357;
    if (mask)
        return makeRect(x - 4, y - 4, 68, 68);
    return makeRect(x, y, 60, 60);
}

base::Ref<ui::Image> KestrelAdTakeOverViewController::takeOverBackgroundImage() const {
    return KestrelAdParser::fastImageWithCode(44);
}

base::Ref<ui::Image> KestrelAdTakeOverViewController::takeOverRewardModImage() const {
    return KestrelAdParser::fastImageWithCode(isLandscape() ? 42 : 43);
}

base::Ref<ui::Image> KestrelAdTakeOverViewController::takeOverRecommendationModImage() const {
    return KestrelAdParser::fastImageWithCode(42);
}

base::Ref<ui::Image> KestrelAdTakeOverViewController::takeOverArrowCircleImage() const {
    return KestrelAdParser::fastImageWithCode(isLandscape() ? 31 : 30);
}

// ---- the window

void KestrelAdTakeOverViewController::createWindow() {
    guarded([&] {
        if (adDelegate_)
            adDelegate_->takeoverWillDisplay(adImpression_ ? adImpression_->hook() : std::nullopt);
        auto& application = ui::Application::sharedApplication();
        if (auto* key = application.keyWindow(); key && key != theTakeOverWindow.get())
            savedKeyWindow = key;
        if (theTakeOverWindow)
            theTakeOverWindow->setHidden(true);
        theTakeOverWindow = ui::Window::create(ui::Screen::mainScreen().bounds());
        theTakeOverWindow->setBackgroundColor(ui::Color::colorWithRed(0, 0, 0, 0));
        theTakeOverWindow->makeKeyAndVisible();

        view()->setTransform(KestrelAdView::surfaceTransform(orientation_));
        setOpenTakeOverController(base::Ref(this));
    });
}

void KestrelAdTakeOverViewController::removeWindow() {
    guarded([&] {
        base::Ref<KestrelAdTakeOverViewController> self(this);
        endHandOff();
        if (auto* saved = savedKeyWindow.get())
            saved->makeKeyAndVisible();
        if (theTakeOverWindow)
            theTakeOverWindow->setHidden(true);
        if (adDelegate_)
            adDelegate_->takeoverWillClose();
        if (getOpenTakeOverController() == this)
            freeOpenTakeOverController();
    });
}

void KestrelAdTakeOverViewController::endHandOff() {
    if (!appStoreConnection_)
        return;
    ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(false);
    auto connection = std::move(appStoreConnection_);
    appStoreConnection_ = nullptr;
    connection->cancel();
}

// ---- the view tree

void KestrelAdTakeOverViewController::loadView() {
    auto background = takeOverBackgroundFrame();
    setView(ui::View::create(background));
    guarded([&] {
        bool pad = KestrelUtil::isIPad();
        bool reward = hasReward();
        backgroundView_ = imageView(background, takeOverBackgroundImage());
        backgroundView_->setUserInteractionEnabled(true);
        view()->addSubview(backgroundView_);

        noThanksLabel_ = VerticalUILabel::create(
            frameNamed(reward ? "takeOverCancelXLabelFrame" : "takeOverNoRewardCancelXLabelFrame"));
        noThanksLabel_->setFont(graphics::Font::fontWithName(
            "HelveticaNeue-Bold", pad ? (isLandscape() ? 24 : 20) : 14));
        noThanksLabel_->setBackgroundColor(ui::Color::clearColor());
        noThanksLabel_->setText("No Thanks");
        noThanksLabel_->setTextAlignment(ui::TextAlignment::Left);
        noThanksLabel_->setVerticalAlignment(VerticalUILabel::alignBottom);
        noThanksLabel_->setTextColor(ui::Color::whiteColor());
        noThanksLabel_->setAdjustsFontSizeToFitWidth(true);
        noThanksLabel_->setTag(noThanksTag);
        noThanksLabel_->setUserInteractionEnabled(true);
        backgroundView_->addSubview(noThanksLabel_);

        closeButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        closeButton_->setFrame(
            frameNamed(reward ? "takeOverCancelXFrame" : "takeOverNoRewardCancelXFrame"));
        closeButton_->setBackgroundColor(ui::Color::clearColor());
        closeButton_->setBackgroundImage(
            KestrelAdParser::fastImageWithCode(48), ui::ControlState::Normal);
        closeButton_->addTarget(
            this, [this](ui::Control&, ui::Event*) { removeWindow(); },
            ui::ControlEvents::TouchUpInside);
        closeButton_->setTag(closeButtonTag);
        backgroundView_->addSubview(closeButton_);

        recommendationView_
            = imageView(frameNamed(reward ? "takeOverRecommendationModFrame"
                                          : "takeOverNoRewardRecommendationModFrame"),
                takeOverRecommendationModImage());
        recommendationView_->setUserInteractionEnabled(true);
        backgroundView_->addSubview(recommendationView_);

        recommendationView_->addSubview(label(frameNamed("recommendationFrameHeadingLabelFrame"),
            "If you like this app, then try:", bold(28, 16), ui::Color::whiteColor(),
            ui::TextAlignment::Left, true));

        appStoreButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        appStoreButton_->setFrame(appStoreButtonFrame());
        appStoreButton_->setBackgroundColor(ui::Color::clearColor());
        appStoreButton_->setBackgroundImage(KestrelAdParser::fastImageWithCode(storeImageCode(
                                                ad_ ? ad_->appPrice() : std::nullopt)),
            ui::ControlState::Normal);
        appStoreButton_->addTarget(
            this, [this](ui::Control&, ui::Event*) { showAppStore(); },
            ui::ControlEvents::TouchUpInside);
        appStoreButton_->setTag(storeButtonTag);
        recommendationView_->addSubview(appStoreButton_);

        createAppModuleWithAppIcon(ad_ ? ad_->adImage() : nullptr,
            ad_ ? ad_->adText() : std::nullopt, ad_ ? ad_->advertiser() : std::nullopt,
            ad_ ? ad_->appDescription() : std::nullopt, ad_ ? ad_->appPrice() : std::nullopt);

        if (pad && (subAds_[0] || subAds_[1] || subAds_[2]))
            buildSubAds();

        loadingView_ = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::White);
        loadingView_->setFrame(frameNamed("loadingViewFrame"));
        auto store = appStoreButton_->frame();
        loadingView_->setCenter({store.midX(), store.midY()});
        loadingView_->setBackgroundColor(ui::Color::clearColor());
        loadingView_->setHidesWhenStopped(true);
        loadingView_->setAutoresizingMask(45);
        loadingView_->setHidden(true);
        recommendationView_->addSubview(loadingView_);

        if (reward)
            buildReward();
    });
}

void KestrelAdTakeOverViewController::buildSubAds() {
    recommendationView_->setFrame(
        frameNamed(hasReward() ? "takeOverRecommendationModWithSubAppsFrame"
                               : "takeOverNoRewardRecommendationModWithSubAppsFrame"));
    appDescriptionView_->setFrame(frameNamed("takeOverAppDescriptionViewWithSubAppsFrame"));
    dividerView_ = imageView(
        frameNamed("takeOverDivideLineViewFrame"), KestrelAdParser::fastImageWithCode(6));
    recommendationView_->addSubview(dividerView_);
    subAdSellMessage_ = label(frameNamed("subAdSellMessageFrame"),
        "People who use this app also use:", graphics::Font::fontWithName("HelveticaNeue-Bold", 20),
        ui::Color::whiteColor(), ui::TextAlignment::Center, true);
    recommendationView_->addSubview(subAdSellMessage_);

    int count = 0;
    for (int slot = 1; slot <= 3; ++slot) {
        if (subAds_[std::size_t(slot - 1)])
            ++count;
    }
    // The shown apps take their layout's frames in slot order, so a slot after an empty
    // one still gets a place.
    int shown = 0;
    for (int slot = 1; slot <= 3; ++slot) {
        auto& subAd = subAds_[std::size_t(slot - 1)];
        if (!subAd)
            continue;
        ++shown;
        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        button->setBackgroundImage(subAd->adImage(), ui::ControlState::Normal);
        button->addTarget(
            this, [this, slot](ui::Control&, ui::Event*) { subAdPress(slot); },
            ui::ControlEvents::TouchUpInside);
        button->setUserInteractionEnabled(true);
        button->setTag(slot);
        button->setFrame(subAdIconFrame(count, shown, false));
        recommendationView_->addSubview(button);
        auto mask
            = imageView(subAdIconFrame(count, shown, true), KestrelAdParser::fastImageWithCode(25));
        recommendationView_->addSubview(mask);
        iconButtons_[std::size_t(slot - 1)] = button;
        iconMaskViews_[std::size_t(slot - 1)] = mask;
    }
}

void KestrelAdTakeOverViewController::buildReward() {
    bool pad = KestrelUtil::isIPad();
    rewardView_ = imageView(frameNamed("takeOverRewardModFrame"), takeOverRewardModImage());
    backgroundView_->addSubview(rewardView_);
    rewardView_->addSubview(imageView(frameNamed("rewardImageViewFrame"), rewardImage_));
    rewardView_->addSubview(label(frameNamed("rewardFrameHeadingLabelFrame"), "Earn a Reward!",
        bold(28, 16), gold, ui::TextAlignment::Left, true));
    rewardView_->addSubview(label(frameNamed("takeOverRewardLeadInMessageViewFrame"),
        "Download and launch this app to receive:",
        graphics::Font::fontWithName("HelveticaNeue", pad ? 20 : 14), ui::Color::whiteColor(),
        ui::TextAlignment::Center, true, 0));
    rewardView_->addSubview(label(frameNamed("takeOverRewardDescriptionLabelFrame"),
        rewardMessage_.value_or(""), bold(22, 16), gold, ui::TextAlignment::Center, true, 0));
    arrowView_ = imageView(frameNamed("takeOverArrowCircleFrame"), takeOverArrowCircleImage());
    backgroundView_->addSubview(arrowView_);
}

void KestrelAdTakeOverViewController::createAppModuleWithAppIcon(base::Ref<ui::Image> icon,
    std::optional<std::string> const& name, std::optional<std::string> const& company,
    std::optional<std::string> const& description, std::optional<std::int32_t> price) {
    bool pad = KestrelUtil::isIPad();
    appIconView_ = imageView(frameNamed("appIconViewFrame"), icon);
    recommendationView_->addSubview(appIconView_);
    appIconMaskView_
        = imageView(frameNamed("iconMaskViewFrame"), KestrelAdParser::fastImageWithCode(24));
    recommendationView_->addSubview(appIconMaskView_);
    appTitleView_ = label(frameNamed("takeOverAppTitleViewFrame"), "", bold(20, 14), titleBlue,
        ui::TextAlignment::Left, false);
    recommendationView_->addSubview(appTitleView_);
    appCompanyView_ = label(frameNamed("takeOverAppCompanyViewFrame"), "",
        graphics::Font::fontWithName("Arial", pad ? 16 : 13), ui::Color::whiteColor(),
        ui::TextAlignment::Left, false);
    recommendationView_->addSubview(appCompanyView_);
    appDescriptionView_ = VerticalUILabel::create(frameNamed("takeOverAppDescriptionViewFrame"));
    appDescriptionView_->setFont(graphics::Font::fontWithName("Arial", pad ? 16 : 12));
    appDescriptionView_->setBackgroundColor(ui::Color::clearColor());
    appDescriptionView_->setTextAlignment(ui::TextAlignment::Left);
    appDescriptionView_->setTextColor(ui::Color::whiteColor());
    appDescriptionView_->setAdjustsFontSizeToFitWidth(false);
    appDescriptionView_->setNumberOfLines(0);
    appDescriptionView_->setVerticalAlignment(VerticalUILabel::alignMiddle);
    recommendationView_->addSubview(appDescriptionView_);
    updateAppModuleWithAppIcon(std::move(icon), name, company, description, price);
}

void KestrelAdTakeOverViewController::updateAppModuleWithAppIcon(base::Ref<ui::Image> icon,
    std::optional<std::string> const& name, std::optional<std::string> const& company,
    std::optional<std::string> const& description, std::optional<std::int32_t> price) {
    if (appIconView_)
        appIconView_->setImage(std::move(icon));
    if (appTitleView_)
        appTitleView_->setText(name.value_or(""));
    if (appCompanyView_)
        appCompanyView_->setText(company.value_or(""));
    if (appDescriptionView_)
        appDescriptionView_->setText(description.value_or(""));
    if (appStoreButton_)
        appStoreButton_->setBackgroundImage(
            KestrelAdParser::fastImageWithCode(storeImageCode(price)), ui::ControlState::Normal);
    if (adImpression_) {
        auto const* cookies = userCookies_ ? &*userCookies_ : nullptr;
        adImpression_->updateWithResult(KestrelAdImpression::stateShown, cookies, nullptr, nullptr);
    }
}

// ---- the further apps

void KestrelAdTakeOverViewController::subAdPress(int slot) {
    guarded([&] {
        auto index = std::size_t(slot - 1);
        if (slot < 1 || slot > 3 || !subAds_[index])
            return;
        auto previousAd = ad_;
        auto previousHook = hook_;
        changeDisplayAd(subAds_[index], subAdHooks_[index]);
        subAds_[index] = previousAd;
        subAdHooks_[index] = previousHook;
        if (auto& button = iconButtons_[index]; button && previousAd)
            button->setBackgroundImage(previousAd->adImage(), ui::ControlState::Normal);
    });
}

void KestrelAdTakeOverViewController::changeDisplayAd(
    base::Ref<KestrelAd> ad, std::optional<std::string> displayHook) {
    ad_ = std::move(ad);
    hook_ = std::move(displayHook);
    adImpression_ = KestrelAdImpression::initWithHook(
        hook_, KestrelAdImpression::formatTakeover, KestrelAdParser::instance());
    if (ad_)
        adImpression_->updateWithAd(*ad_);
    updateAppModuleWithAppIcon(ad_ ? ad_->adImage() : nullptr, ad_ ? ad_->adText() : std::nullopt,
        ad_ ? ad_->advertiser() : std::nullopt, ad_ ? ad_->appDescription() : std::nullopt,
        ad_ ? ad_->appPrice() : std::nullopt);
}

// ---- the store hand-off and closing

void KestrelAdTakeOverViewController::showAppStore() {
    guarded([&] {
        auto const* cookies = userCookies_ ? &*userCookies_ : nullptr;
        if (adImpression_)
            adImpression_->updateWithResult(
                KestrelAdImpression::stateTapped, cookies, nullptr, nullptr);
        if (appStoreButton_)
            appStoreButton_->setHidden(true);
        ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(true);
        if (loadingView_) {
            loadingView_->setHidden(false);
            loadingView_->startAnimating();
        }
        if (appStoreConnection_)
            appStoreConnection_->cancel();
        appStoreDelegate_ = KestrelAdAppStoreConnectionDelegate::create();
        appStoreDelegate_->setAdImpression(adImpression_);
        base::WeakRef<KestrelAdTakeOverViewController> weak(this);
        // A hand-off that ends without the store gives the button back.
        appStoreDelegate_->setEndedHandler([weak](bool opened) {
            ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(false);
            if (!weak)
                return;
            weak->appStoreConnection_ = nullptr;
            if (opened)
                return;
            if (weak->loadingView_)
                weak->loadingView_->stopAnimating();
            if (weak->appStoreButton_)
                weak->appStoreButton_->setHidden(false);
        });
        appStoreConnection_ = appStoreDelegate_->openReferralURL(KestrelAdView::webUrlForCanvas(
            false, hook_, ad_.get(), adImpression_.get(), orientation_, cookies));
    });
}

void KestrelAdTakeOverViewController::touchesEnded(ui::TouchSet const& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (touch && touch->view() && touch->view()->tag() == noThanksTag)
        removeWindow();
}

}
