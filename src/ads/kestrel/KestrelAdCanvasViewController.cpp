#include <ads/kestrel/KestrelAdCanvasViewController.hpp>

#include <ads/kestrel/KestrelAdAssignment.hpp>
#include <ads/kestrel/KestrelAdLoop.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdProperties.hpp>

#include <analytics/KestrelUtil.hpp>

#include <graphics/Font.hpp>
#include <ui/Application.hpp>
#include <ui/BarButtonItem.hpp>
#include <ui/Button.hpp>
#include <ui/Color.hpp>
#include <ui/Label.hpp>
#include <ui/NavigationItem.hpp>
#include <ui/Screen.hpp>

#include <base/Exception.hpp>

#include <cmath>
#include <cstdio>

namespace ads::kestrel {

using analytics::KestrelUtil;

namespace {

constexpr char const* openAnimation = "canvasOpen";
constexpr char const* closeAnimation = "canvasClose";

base::Ref<KestrelAdCanvasViewController> openController;
base::WeakRef<ui::Window> savedKeyWindow;
base::Ref<ui::Window> theCanvasWindow;

template<typename Body> void guarded(Body&& body) {
    try {
        body();
    } catch (...) {
        KestrelUtil::handleException(std::current_exception());
    }
}

ui::Color const pageColor = ui::Color::colorWithBytes(200, 202, 204);
ui::Color const tabletColor = ui::Color::colorWithBytes(213, 214, 215);

std::string canvasHook(int number) {
    char name[48];
    std::snprintf(name, sizeof name, KestrelAdCanvasViewController::canvasHookFormat, number);
    return name;
}

bool isFree(KestrelAd const* ad) {
    return ad && ad->appPrice() && *ad->appPrice() == 0;
}

base::Ref<ui::Label> pageLabel(
    graphics::Rect frame, std::string const& text, char const* fontName, float size, int lines) {
    auto label = ui::Label::create(frame);
    label->setText(text);
    label->setFont(graphics::Font::fontWithName(fontName, size));
    label->setBackgroundColor(ui::Color::clearColor());
    label->setTextColor(ui::Color::blackColor());
    label->setTextAlignment(ui::TextAlignment::Left);
    label->setAdjustsFontSizeToFitWidth(true);
    label->setNumberOfLines(lines);
    return label;
}

graphics::Rect byOrientation(
    bool landscape, graphics::Rect portrait, graphics::Rect landscapeRect) {
    return landscape ? landscapeRect : portrait;
}

}

// ---- the canvas banner

base::Ref<KestrelAdCanvasView> KestrelAdCanvasView::initWithAltColor(bool altColor,
    base::Ref<KestrelAd> ad, std::optional<std::string> hook, int xLoc, int yLoc,
    ui::Responder* parent, bool attachToView, std::optional<std::string> orientation,
    std::optional<std::string> canvasOrientation, bool autoRefresh,
    std::optional<std::string> rewardMessage) {
    auto view = base::make<KestrelAdCanvasView>(
        graphics::makeRect(float(xLoc), float(yLoc), bannerWidth, bannerHeight));
    view->altColor_ = altColor;
    view->init(std::move(ad), std::move(hook), parent, attachToView, std::move(orientation),
        std::move(canvasOrientation), autoRefresh, std::move(rewardMessage));
    return view;
}

void KestrelAdCanvasView::createViewElements() {
    removeViewElements();
    auto* theme = theme_.get();
    icon_ = ui::ImageView::create(portraitIconFrame());
    icon_->setImage(ad_ ? ad_->adImage() : nullptr);

    auto textLabel = [](graphics::Rect frame, std::optional<std::string> const& text,
                         KestrelAdTextStyle const* style) {
        auto label = ui::Label::create(frame);
        if (text)
            label->setText(*text);
        label->setTextAlignment(ui::TextAlignment::Left);
        if (style) {
            if (style->fontColor())
                label->setTextColor(*style->fontColor());
            if (style->font())
                label->setFont(graphics::Font::fontWithName(
                    *style->font(), float(int(style->fontSize().value_or(0)))));
        }
        label->setAdjustsFontSizeToFitWidth(false);
        label->setBackgroundColor(ui::Color::clearColor());
        return label;
    };
    appNameLabel_ = textLabel(portraitAppNameFrame(), ad_ ? ad_->adText() : std::nullopt,
        theme ? theme->portraitAppNameTextStyle().get() : nullptr);
    advertiserLabel_ = textLabel(portraitAdvertiserFrame(), ad_ ? ad_->advertiser() : std::nullopt,
        theme ? theme->portraitAdvertiserTextStyle().get() : nullptr);

    base::Ref<ui::Image> portrait = theme ? theme->portraitAdImage() : nullptr;
    base::Ref<ui::Image> landscape = theme ? theme->landscapeAdImage() : nullptr;
    if (altColor_) {
        if (auto alt = KestrelAdParser::fastImageWithCode(altPortraitBackgroundCode))
            portrait = alt;
        if (auto alt = KestrelAdParser::fastImageWithCode(altLandscapeBackgroundCode))
            landscape = alt;
    }
    portraitBackground_ = ui::ImageView::create();
    landscapeBackground_ = ui::ImageView::create();
    portraitBackground_->setImage(portrait);
    landscapeBackground_->setImage(landscape);
    for (auto* background : {portraitBackground_.get(), landscapeBackground_.get()}) {
        if (auto* picture = background->image())
            background->setFrame({{0, 0}, picture->size()});
    }
    landscapeBackground_->setHidden(true);

    addSubview(icon_);
    addSubview(landscapeBackground_);
    addSubview(portraitBackground_);
    addSubview(appNameLabel_);
    addSubview(advertiserLabel_);
    if (auto badge = KestrelAdParser::fastImageWithCode(
            isFree(ad_.get()) ? freeActionImageCode : paidActionImageCode)) {
        actionButton_ = ui::ImageView::create(portraitActionButtonFrame());
        actionButton_->setImage(badge);
        addSubview(actionButton_);
    }
    setBackgroundColor(ui::Color::grayColor());
}

graphics::Rect KestrelAdCanvasView::portraitActionButtonFrame() const {
    return graphics::makeRect(288, 43, 60, 25);
}

graphics::Rect KestrelAdCanvasView::landscapeActionButtonFrame() const {
    return graphics::makeRect(358, 43, 60, 25);
}

// ---- construction

KestrelAdCanvasViewController::KestrelAdCanvasViewController() {
    setTitle(infoTitle);
    parentName_ = KestrelAdView::descriptionOf(this, "ViewController");
}

base::Ref<KestrelAdCanvasViewController> KestrelAdCanvasViewController::init() {
    return base::make<KestrelAdCanvasViewController>();
}

base::Ref<KestrelAdCanvasViewController> KestrelAdCanvasViewController::initWithUrl(
    std::optional<std::string> webUrl, std::optional<std::string> appStoreUrl,
    base::Ref<KestrelAdImpression> adImpression, base::Ref<KestrelAd> ad,
    KestrelAdDelegate* adDelegate, std::optional<std::string> canvasOrientation,
    bool canvasAnimated, int clickAction) {
    auto controller = init();
    guarded([&] {
        controller->webUrl_ = std::move(webUrl);
        controller->appStoreUrl_ = std::move(appStoreUrl);
        controller->adImpression_ = std::move(adImpression);
        controller->ad_ = std::move(ad);
        controller->adDelegate_ = adDelegate;
        controller->canvasOrientation_ = std::move(canvasOrientation);
        controller->canvasAnimated_ = canvasAnimated;
        controller->clickAction_ = clickAction;
    });
    return controller;
}

KestrelAdCanvasViewController::~KestrelAdCanvasViewController() {
    guarded([&] {
        if (auto assignment = KestrelAdAssignment::instance())
            assignment->removeAdsOnParentName(parentName_);
        if (appStoreConnection_)
            appStoreConnection_->cancel();
        if (webView_)
            webView_->setDelegate(nullptr);
        // The alert may outlive the canvas; it must not call back into it.
        if (confirmation_)
            confirmation_->setDelegate(nullptr);
    });
}

// ---- class state

void KestrelAdCanvasViewController::setOpenCanvasController(
    base::Ref<KestrelAdCanvasViewController> controller) {
    openController = std::move(controller);
}

KestrelAdCanvasViewController* KestrelAdCanvasViewController::getOpenCanvasController() {
    return openController.get();
}

void KestrelAdCanvasViewController::freeOpenCanvasController() {
    // The slot is cleared before the controller may go; the controller and the
    // navigation controller of its window hold each other until then.
    auto controller = std::move(openController);
    openController = nullptr;
    if (controller) {
        if (auto navigation = std::move(controller->navigationController_))
            navigation->setDelegate(nullptr);
        controller->navigationDelegate_ = nullptr;
    }
}

ui::Window* KestrelAdCanvasViewController::canvasWindow() {
    return theCanvasWindow.get();
}

// ---- orientation and navigation

bool KestrelAdCanvasViewController::isCanvasMode() const {
    return ad_ && ad_->canvasId().value_or(0) > 0 && clickAction_ == 1;
}

bool KestrelAdCanvasViewController::isLandscape() const {
    return KestrelUtil::canvasInLandscape(canvasOrientation_);
}

bool KestrelAdCanvasViewController::isLandscapeLeft() const {
    return KestrelUtil::canvasInLandscapeLeft(canvasOrientation_);
}

KestrelAdNavigationDelegate* KestrelAdCanvasViewController::navigationDelegate() const {
    auto* navigation = navigationController();
    if (!navigation)
        return nullptr;
    return dynamic_cast<KestrelAdNavigationDelegate*>(navigation->delegate());
}

std::vector<base::Ref<ui::NavigationItem>>& KestrelAdCanvasViewController::navItems() {
    if (auto* delegate = navigationDelegate())
        return delegate->navItems();
    return ownNavItems_;
}

ui::Responder* KestrelAdCanvasViewController::bannerParent() {
    if (auto* navigation = navigationController())
        return navigation;
    return this;
}

void KestrelAdCanvasViewController::adjustForStatusBar(ui::View* view) const {
    if (!view)
        return;
    float barHeight = navBar_ ? navBar_->frame().size.height : 0;
    auto frame = view->frame();
    frame.origin.y += barHeight + 20;
    view->setFrame(frame);
}

// ---- the window

void KestrelAdCanvasViewController::createCanvasWindow() {
    guarded([&] {
        if (adDelegate_)
            adDelegate_->canvasWillDisplay(adImpression_ ? adImpression_->hook() : std::nullopt);
        auto& application = ui::Application::sharedApplication();
        if (auto* key = application.keyWindow(); key && key != theCanvasWindow.get())
            savedKeyWindow = key;
        navigationController_ = ui::NavigationController::create(base::Ref(this));
        navigationDelegate_ = KestrelAdNavigationDelegate::initWithNavigationController(
            navigationController_.get());
        navigationController_->setDelegate(navigationDelegate_.get());
        navigationController_->setNavigationBarHidden(true);
        auto* navigationView = navigationController_->view();
        navigationView->setFrame(KestrelUtil::screenBounds(canvasOrientation_));

        navigationView->setTransform(KestrelAdView::surfaceTransform(canvasOrientation_));

        if (theCanvasWindow)
            theCanvasWindow->setHidden(true);
        auto screen = ui::Screen::mainScreen().bounds();
        theCanvasWindow = ui::Window::create(screen);
        theCanvasWindow->setBackgroundColor(ui::Color::whiteColor());
        theCanvasWindow->addSubview(base::Ref<ui::View>(navigationView));
        theCanvasWindow->makeKeyAndVisible();

        auto start = screen;
        if (isLandscapeLeft())
            start.origin = {screen.size.width, 0};
        else if (isLandscape())
            start.origin = {-screen.size.width, 0};
        else
            start.origin = {0, screen.size.height};
        theCanvasWindow->setFrame(start);

        ui::View::beginAnimations(openAnimation);
        ui::View::setAnimationDuration(canvasAnimationDuration());
        ui::View::setAnimationDelegate(this);
        theCanvasWindow->setFrame(screen);
        ui::View::commitAnimations();

        setOpenCanvasController(base::Ref(this));
    });
}

void KestrelAdCanvasViewController::cancel() {
    guarded([&] {
        KestrelUtil::debugLog("Kestrel: Cancel to app window[%@]",
            savedKeyWindow ? KestrelAdView::descriptionOf(savedKeyWindow.get(), "Window")
                           : std::string("(null)"));
        endHandOff();
        if (!theCanvasWindow || getOpenCanvasController() != this) {
            // Pushed on a host navigation: leaving it is the host's to decide.
            return;
        }
        auto screen = theCanvasWindow->frame();
        auto end = screen;
        if (KestrelUtil::canvasInLandscapeRight(canvasOrientation_))
            end.origin = {-screen.size.width, 0};
        else if (isLandscapeLeft())
            end.origin = {screen.size.width, 0};
        else
            end.origin = {0, screen.size.height};
        base::Ref<KestrelAdCanvasViewController> self(this);
        ui::View::beginAnimations(closeAnimation);
        ui::View::setAnimationDuration(canvasAnimationDuration());
        ui::View::setAnimationDelegate(this);
        ui::View::setAnimationDidStopSelector([self](std::string const& name, bool, void*) {
            if (name == closeAnimation)
                self->removeCanvasWindow();
        });
        theCanvasWindow->setFrame(end);
        ui::View::commitAnimations();
    });
}

void KestrelAdCanvasViewController::removeCanvasWindow() {
    guarded([&] {
        // Keeps this controller alive until the end, whoever else lets it go.
        base::Ref<KestrelAdCanvasViewController> self(this);
        auto navigation = std::move(navigationController_);
        navigationController_ = nullptr;
        if (navigation) {
            navigation->setDelegate(nullptr);
            if (navigation->isViewLoaded())
                navigation->view()->removeFromSuperview();
        }
        navigationDelegate_ = nullptr;
        if (auto* saved = savedKeyWindow.get())
            saved->makeKeyAndVisible();
        if (theCanvasWindow)
            theCanvasWindow->setHidden(true);
        if (adDelegate_)
            adDelegate_->canvasWillClose();
        if (getOpenCanvasController() == this)
            freeOpenCanvasController();
    });
}

// ---- building the page

void KestrelAdCanvasViewController::loadView() {
    guarded([&] {
        if (isCanvasMode())
            createViewElements();
        else
            createViewElementsForAppStore();
    });
    if (!isViewLoaded())
        ui::ViewController::loadView();
}

void KestrelAdCanvasViewController::createCommonElements(char const* backTitle) {
    auto screen = KestrelUtil::screenBounds(canvasOrientation_);
    setView(ui::View::create(screen));
    backView_ = ui::View::create(screen);
    backView_->setBackgroundColor(pageColor);
    view()->addSubview(backView_);

    base::WeakRef<KestrelAdCanvasViewController> weak(this);
    rightItem_ = ui::BarButtonItem::initWithBarButtonSystemItem(
        ui::BarButtonSystemItem::Cancel, [weak](ui::BarButtonItem&) {
            if (weak)
                weak->cancel();
        });
    backItem_ = ui::BarButtonItem::initWithTitle(backTitle, ui::BarButtonItemStyle::Bordered, {});
    navigationItem()->setRightBarButtonItem(rightItem_);
    navigationItem()->setBackBarButtonItem(backItem_);

    float barHeight = isLandscape() && !KestrelUtil::isIPad() ? 32 : 44;
    navBar_ = ui::NavigationBar::create(graphics::makeRect(0, 0, screen.size.width, barHeight));
    auto& items = navItems();
    if (!_loaded)
        items.push_back(base::Ref<ui::NavigationItem>(navigationItem()));
    navBar_->setItems(items);
    navBar_->setDelegate(navigationDelegate());
}

void KestrelAdCanvasViewController::addVeilAndSpinner() {
    auto screen = view()->bounds();
    transparentView_ = ui::View::create(screen);
    transparentView_->setBackgroundColor(ui::Color::whiteColor());
    transparentView_->setAlpha(0.5f);
    transparentView_->setHidden(true);
    view()->addSubview(transparentView_);

    loadingView_ = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::Gray);
    loadingView_->setFrame(graphics::makeRect(0, 0, 30, 30));
    loadingView_->setCenter({screen.midX(), screen.midY()});
    loadingView_->setHidesWhenStopped(true);
    loadingView_->setAutoresizingMask(ui::Autoresizing::FlexibleLeftMargin
        | ui::Autoresizing::FlexibleRightMargin | ui::Autoresizing::FlexibleTopMargin
        | ui::Autoresizing::FlexibleBottomMargin);
    view()->addSubview(loadingView_);
    view()->addSubview(navBar_);
}

void KestrelAdCanvasViewController::createViewElementsForAppStore() {
    createCommonElements("Cancel");
    auto screen = KestrelUtil::screenBounds(canvasOrientation_);
    auto frame = screen;
    frame.origin.y -= 20;
    frame.size.height += 20;
    webView_ = ui::WebView::create(frame);
    adjustForStatusBar(webView_.get());
    webView_->setBackgroundColor(pageColor);
    webView_->setScalesPageToFit(true);
    webView_->setAlpha(0);
    webView_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    webView_->setDelegate(this);
    backView_->addSubview(webView_);
    addVeilAndSpinner();
}

void KestrelAdCanvasViewController::createViewElements() {
    createCommonElements("Back");
    if (KestrelUtil::isIPad()) {
        createTabletPage();
    } else {
        auto screen = KestrelUtil::screenBounds(canvasOrientation_);
        auto frame = screen;
        frame.origin.y -= 20;
        frame.size.height += 20 - (navBar_->frame().size.height + 145);
        webView_ = ui::WebView::create(frame);
        adjustForStatusBar(webView_.get());
        webView_->setBackgroundColor(pageColor);
        webView_->setScalesPageToFit(false);
        webView_->setAlpha(0);
        webView_->setAutoresizingMask(
            ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
        webView_->setDelegate(this);
        backView_->addSubview(webView_);
    }
    addVeilAndSpinner();
}

void KestrelAdCanvasViewController::createTabletPage() {
    backView_->setBackgroundColor(tabletColor);
    backView_->addSubview(pageLabel(
        sellMessageFrame(), "If you like this app, then try:", "HelveticaNeue-Bold", 24, 1));
    auto icon = ui::ImageView::create(appIconFrame());
    icon->setImage(ad_ ? ad_->adImage() : nullptr);
    backView_->addSubview(icon);
    if (auto mask = KestrelAdParser::fastImageWithCode(17)) {
        auto maskView = ui::ImageView::create(appIconMaskFrame());
        maskView->setImage(mask);
        backView_->addSubview(maskView);
    }
    auto storeButton = ui::Button::buttonWithType(ui::ButtonType::Custom);
    storeButton->setFrame(appStoreButtonFrame());
    if (auto image = KestrelAdParser::fastImageWithCode(isFree(ad_.get()) ? 12 : 13))
        storeButton->setBackgroundImage(image, ui::ControlState::Normal);
    storeButton->setTitle(" ", ui::ControlState::Normal);
    storeButton->addTarget(
        this, [this](ui::Control&, ui::Event*) { showAppStore(); },
        ui::ControlEvents::TouchUpInside);
    backView_->addSubview(storeButton);
    auto text = [](std::optional<std::string> const& value) { return value.value_or(""); };
    backView_->addSubview(pageLabel(
        appTitleFrame(), text(ad_ ? ad_->adText() : std::nullopt), "HelveticaNeue-Bold", 26, 1));
    backView_->addSubview(pageLabel(
        appPublisherFrame(), text(ad_ ? ad_->advertiser() : std::nullopt), "Arial", 20, 1));
    backView_->addSubview(pageLabel(
        appDescriptionFrame(), text(ad_ ? ad_->appDescription() : std::nullopt), "Arial", 24, 10));
    auto sellMessage = pageLabel(
        canvasBannerSellMessageFrame(), "Other Apps You Might Like:", "HelveticaNeue-Bold", 24, 1);
    bannerSellMessage_ = sellMessage;
    backView_->addSubview(sellMessage);

    recordCanvasShown();
    if (ad_)
        KestrelAdAssignment::createInstance()->assignAd(ad_, parentName_);

    bool landscape = isLandscape();
    float x0 = landscape ? 70 : 20;
    float y0 = landscape ? 490 : 654;
    float columnWidth = landscape ? 434 : 364;
    std::vector<base::Ref<ui::View>> placed;
    banners_.clear();
    filler_ = nullptr;
    for (int i = 0; i < 4; ++i) {
        int column = i % 2;
        int row = i / 2;
        float x = x0 + float(column) * columnWidth;
        float y = y0 + float(row) * tabletRowHeight;
        auto hook = canvasHook(i + 1);
        auto ad = KestrelAdParser::fastAdWithHook(hook, parentName_);
        if (!ad) {
            if (column == 1) {
                if (auto image = KestrelAdParser::fastImageWithCode(row == 0 ? 20 : 22)) {
                    auto size = canvasBannerFillerFrame().size;
                    filler_
                        = ui::ImageView::create(graphics::makeRect(x, y, size.width, size.height));
                    filler_->setImage(image);
                    placed.push_back(filler_);
                }
            }
            break;
        }
        auto banner = KestrelAdCanvasView::initWithAltColor(row == 1, ad, hook, int(x), int(y),
            bannerParent(), false, landscape ? "landscape" : "portrait", canvasOrientation_, false,
            std::nullopt);
        banner->setAdDelegate(adDelegate_);
        banner->setCanvasAnimated(canvasAnimated_);
        banners_.push_back(banner);
        placed.push_back(banner);
    }
    auto table = canvasBannersTableFrame();
    if (banners_.size() < 3)
        table.size.height -= tabletRowHeight;
    bannersTable_ = ui::ImageView::create(table);
    bannersTable_->setImage(KestrelAdParser::fastImageWithCode(14));
    if (banners_.empty()) {
        bannersTable_->setHidden(true);
        sellMessage->setHidden(true);
    }
    backView_->addSubview(bannersTable_);
    for (auto const& view : placed)
        backView_->addSubview(view);
}

// The canvas content counts as shown once, however often its page finishes loading.
void KestrelAdCanvasViewController::recordCanvasShown() {
    if (canvasShownRecorded_ || !adImpression_)
        return;
    canvasShownRecorded_ = true;
    adImpression_->updateWithResult(
        KestrelAdImpression::stateCanvasShown, nullptr, nullptr, nullptr);
}

// ---- after loading

void KestrelAdCanvasViewController::viewDidLoad() {
    guarded([&] {
        if (isCanvasMode()) {
            if (webView_ && webUrl_)
                webView_->loadRequest(foundation::URLRequest::requestWithURL(*webUrl_));
        } else if (clickAction_ == 2) {
            if (adImpression_)
                adImpression_->updateWithResult(
                    KestrelAdImpression::stateStoreConfirmation, nullptr, nullptr, nullptr);
            confirmation_
                = ui::AlertView::create("", confirmationMessage, this, "Don't Allow", {"OK"});
            confirmation_->show();
        } else {
            showAppStore();
        }
        _loaded = true;
    });
}

void KestrelAdCanvasViewController::clickedButtonAtIndex(ui::AlertView&, int buttonIndex) {
    guarded([&] {
        if (buttonIndex != 0)
            showAppStore();
    });
}

void KestrelAdCanvasViewController::viewWillAppear(bool) {
    guarded([&] {
        _hidden = false;
        auto title = clickAction_ == 1 ? "Info" : "Loading App Store";
        auto item = ui::NavigationItem::create(title);
        item->setRightBarButtonItem(rightItem_);
        item->setBackBarButtonItem(backItem_);
        auto& items = navItems();
        if (items.empty())
            items.push_back(item);
        else
            items.back() = item;
        if (items.size() >= 2 && navBar_) {
            auto& previous = items[items.size() - 2];
            auto replacement = ui::NavigationItem::create(previous->title());
            if (auto* back = navBar_->backItem()) {
                replacement->setRightBarButtonItem(base::Ref(back->rightBarButtonItem()));
                replacement->setBackBarButtonItem(base::Ref(back->backBarButtonItem()));
            }
            previous = replacement;
        }
        if (navBar_)
            navBar_->setItems(items);
    });
}

void KestrelAdCanvasViewController::viewWillDisappear(bool) {
    _hidden = true;
}

void KestrelAdCanvasViewController::didReceiveMemoryWarning() {
    if (_hidden && isViewLoaded()) {
        view()->removeFromSuperview();
        for (auto* element :
            {static_cast<ui::View*>(loadingView_.get()), static_cast<ui::View*>(webView_.get()),
                static_cast<ui::View*>(navBar_.get()), backView_.get()}) {
            if (element)
                element->removeFromSuperview();
        }
        if (webView_)
            webView_->setDelegate(nullptr);
        loadingView_ = nullptr;
        webView_ = nullptr;
        navBar_ = nullptr;
        backView_ = nullptr;
    }
    ui::ViewController::didReceiveMemoryWarning();
}

// ---- the web view

bool KestrelAdCanvasViewController::shouldStartLoadWithRequest(
    ui::WebView&, foundation::URLRequest const& request, ui::WebViewNavigationType) {
    auto store = KestrelAdLoop::appStoreURL();
    if (store && !store->empty() && request.URL().starts_with(*store)) {
        showAppStore();
        return false;
    }
    return true;
}

void KestrelAdCanvasViewController::webViewDidStartLoad(ui::WebView&) {
    if (loadingView_) {
        loadingView_->setHidden(false);
        loadingView_->startAnimating();
    }
    ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(true);
}

void KestrelAdCanvasViewController::webViewDidFinishLoad(ui::WebView&) {
    guarded([&] {
        recordCanvasShown();
        if (webView_)
            webView_->setAlpha(1);
        if (loadingView_) {
            loadingView_->setHidden(true);
            loadingView_->stopAnimating();
        }
        ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(false);
        buildPanel();
    });
}

// Every finished load builds the panel anew; the previous one (and its banners) goes,
// so pages that load more than once never stack panels.
void KestrelAdCanvasViewController::buildPanel() {
    if (!webView_ || !backView_)
        return;
    if (adListView_) {
        adListView_->removeFromSuperview();
        adListView_ = nullptr;
    }
    banners_.clear();
    bool landscape = isLandscape();
    int maxCount = landscape ? KestrelAdProperties::getLandscapeAdsMaxShown()
                             : KestrelAdProperties::getPortraitAdsMaxShown();
    float startCount = landscape ? KestrelAdProperties::getLandscapeAdsShownAtStart()
                                 : KestrelAdProperties::getPortraitAdsShownAtStart();
    auto screen = KestrelUtil::screenBounds(canvasOrientation_);
    float y = std::floor(webView_->frame().size.height - 40);
    auto panel = KestrelAdListView::create(graphics::makeRect(
        0, y, screen.size.width, float(maxCount) * panelRowHeight + panelHandleHeight));
    int lower = int(std::floor(screen.size.height - panelHandleHeight));
    panel->setLowerLocationLimit(lower);
    panel->setUpperLocationLimit(lower - int(float(maxCount) * panelRowHeight));
    panel->setBackgroundColor(ui::Color::clearColor());
    panel->setWebView(webView_.get());
    adjustForStatusBar(panel.get());

    if (ad_)
        KestrelAdAssignment::createInstance()->assignAd(ad_, parentName_);
    auto handle = ui::ImageView::create();
    auto handleImage = KestrelAdParser::fastImageWithCode(1);
    if (handleImage) {
        handle->setImage(handleImage);
        handle->setFrame({{0, 0}, handleImage->size()});
    }
    for (int i = 0; i < maxCount; ++i) {
        auto hook = canvasHook(i + 1);
        auto ad = KestrelAdParser::fastAdWithHook(hook, parentName_);
        if (!ad)
            break;
        auto banner = KestrelAdCanvasView::initWithAltColor(false, ad, hook, 0,
            int(float(i) * panelRowHeight + panelHandleHeight), bannerParent(), false,
            landscape ? "landscape" : "portrait", canvasOrientation_, false, std::nullopt);
        banner->setAdDelegate(adDelegate_);
        banner->setCanvasAnimated(canvasAnimated_);
        panel->addSubview(banner);
        banners_.push_back(banner);
    }
    if (banners_.empty() || !handleImage) {
        panel->setHidden(true);
        panel->dragByYDisplacement(500);
        panel->setUserInteractionEnabled(false);
    } else {
        int count = int(banners_.size());
        panel->setUpperLocationLimit(
            panel->upperLocationLimit() + (maxCount - count) * int(panelRowHeight));
        if (float(count) > startCount)
            panel->dragToYPosition(float(lower) - startCount * panelRowHeight);
        else
            panel->dragToYPosition(float(panel->upperLocationLimit()));
    }
    panel->addSubview(handle);
    backView_->addSubview(panel);
    adListView_ = panel;
}

void KestrelAdCanvasViewController::didFailLoadWithError(
    ui::WebView&, foundation::URLError const& error) {
    guarded([&] {
        KestrelUtil::debugLog(
            "Kestrel: fail to load canvas screen description[%@] code[%d] domain[%@] "
            "userInfo[%@]",
            error.localizedDescription, int(error.code), error.domain,
            KestrelAdView::withoutQuery(error.failingURL));
        KestrelUtil::handleException(
            std::make_exception_ptr(base::Exception(error.domain, error.localizedDescription)));
        if (loadingView_) {
            loadingView_->setHidden(true);
            loadingView_->stopAnimating();
        }
        ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(false);
        if (!isViewLoaded())
            return;
        auto screen = KestrelUtil::screenBounds(canvasOrientation_);
        if (failureView_)
            failureView_->removeFromSuperview();
        failureView_ = ui::View::create(screen);
        failureView_->setBackgroundColor(pageColor);
        auto centre = graphics::Point {screen.midX(), screen.midY()};
        auto label = ui::Label::create(graphics::makeRect(centre.x - 100, centre.y - 50, 200, 50));
        adjustForStatusBar(label.get());
        label->setText("Internet unavailable");
        label->setTextAlignment(ui::TextAlignment::Center);
        label->setTextColor(ui::Color::blackColor());
        label->setAdjustsFontSizeToFitWidth(true);
        label->setBackgroundColor(ui::Color::clearColor());
        failureView_->addSubview(label);
        auto button = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
        button->setFrame(graphics::makeRect(centre.x - 50, centre.y, 100, 50));
        adjustForStatusBar(button.get());
        button->setTitle("Cancel", ui::ControlState::Normal);
        base::WeakRef<KestrelAdCanvasViewController> weak(this);
        button->addTarget(
            this,
            [weak](ui::Control&, ui::Event*) {
                if (weak)
                    weak->cancel();
            },
            ui::ControlEvents::TouchUpInside);
        failureView_->addSubview(button);
        view()->addSubview(failureView_);
        if (navBar_)
            view()->bringSubviewToFront(navBar_.get());
    });
}

// ---- the store hand-off

void KestrelAdCanvasViewController::showAppStore() {
    showAppStore(appStoreUrl_);
}

void KestrelAdCanvasViewController::showAppStore(std::optional<std::string> const& url) {
    guarded([&] {
        if (loadingView_) {
            loadingView_->setHidden(false);
            loadingView_->startAnimating();
        }
        ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(true);
        if (transparentView_)
            transparentView_->setHidden(false);
        if (backView_)
            backView_->setUserInteractionEnabled(false);
        if (appStoreConnection_)
            appStoreConnection_->cancel();
        appStoreDelegate_ = KestrelAdAppStoreConnectionDelegate::create();
        appStoreDelegate_->setAdImpression(adImpression_);
        base::WeakRef<KestrelAdCanvasViewController> weak(this);
        // A hand-off that ends without reaching the store takes the spinner and the veil
        // away, so the page can be used (or cancelled) again.
        appStoreDelegate_->setEndedHandler([weak](bool opened) {
            ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(false);
            if (!weak)
                return;
            weak->appStoreConnection_ = nullptr;
            if (opened)
                return;
            if (weak->loadingView_) {
                weak->loadingView_->stopAnimating();
                weak->loadingView_->setHidden(true);
            }
            if (weak->transparentView_)
                weak->transparentView_->setHidden(true);
            if (weak->backView_)
                weak->backView_->setUserInteractionEnabled(true);
        });
        appStoreConnection_ = appStoreDelegate_->openReferralURL(url);
    });
}

void KestrelAdCanvasViewController::endHandOff() {
    if (!appStoreConnection_)
        return;
    ui::Application::sharedApplication().setNetworkActivityIndicatorVisible(false);
    auto connection = std::move(appStoreConnection_);
    appStoreConnection_ = nullptr;
    connection->cancel();
}

// ---- the tablet page's frames

graphics::Rect KestrelAdCanvasViewController::sellMessageFrame() const {
    return byOrientation(
        isLandscape(), graphics::makeRect(19, 76, 335, 28), graphics::makeRect(28, 62, 335, 28));
}

graphics::Rect KestrelAdCanvasViewController::appIconFrame() const {
    return byOrientation(isLandscape(), graphics::makeRect(40, 132, 112, 112),
        graphics::makeRect(68, 107, 112, 112));
}

graphics::Rect KestrelAdCanvasViewController::appIconMaskFrame() const {
    return byOrientation(
        isLandscape(), graphics::makeRect(30, 123, 131, 130), graphics::makeRect(59, 99, 131, 130));
}

graphics::Rect KestrelAdCanvasViewController::appTitleFrame() const {
    return byOrientation(isLandscape(), graphics::makeRect(171, 168, 386, 26),
        graphics::makeRect(200, 154, 386, 26));
}

graphics::Rect KestrelAdCanvasViewController::appPublisherFrame() const {
    return byOrientation(isLandscape(), graphics::makeRect(171, 135, 386, 25),
        graphics::makeRect(200, 122, 386, 25));
}

graphics::Rect KestrelAdCanvasViewController::appStoreButtonFrame() const {
    return byOrientation(isLandscape(), graphics::makeRect(576, 132, 153, 122),
        graphics::makeRect(783, 106, 153, 122));
}

graphics::Rect KestrelAdCanvasViewController::appDescriptionFrame() const {
    return byOrientation(isLandscape(), graphics::makeRect(171, 276, 542, 286),
        graphics::makeRect(70, 241, 859, 145));
}

graphics::Rect KestrelAdCanvasViewController::canvasBannerSellMessageFrame() const {
    return byOrientation(
        isLandscape(), graphics::makeRect(19, 573, 335, 28), graphics::makeRect(28, 417, 335, 28));
}

graphics::Rect KestrelAdCanvasViewController::canvasBannersTableFrame() const {
    return byOrientation(isLandscape(), graphics::makeRect(21, 622, 728, 276),
        graphics::makeRect(69, 458, 868, 276));
}

graphics::Rect KestrelAdCanvasViewController::canvasBannerFillerFrame() const {
    return byOrientation(
        isLandscape(), graphics::makeRect(0, 0, 364, 106), graphics::makeRect(0, 0, 434, 106));
}

}
