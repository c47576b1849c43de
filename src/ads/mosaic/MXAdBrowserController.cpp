#include <ads/mosaic/MXAdBrowserController.hpp>

#include <ads/mosaic/MXConfiguration.hpp>
#include <ads/mosaic/MXLogging.hpp>
#include <foundation/URLParts.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Color.hpp>
#include <ui/Image.hpp>
#include <ui/Screen.hpp>
#include <ui/Toolbar.hpp>

#include <array>
#include <cctype>

namespace ads::mosaic {

namespace {

std::string lowercased(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

// The scheme of url in lower case; empty when it has none.
std::string schemeOf(std::string const& url) {
    auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0)
        return {};
    for (std::size_t i = 0; i < colon; ++i) {
        char const c = url[i];
        bool const letter = std::isalpha(static_cast<unsigned char>(c));
        if (!letter
            && (i == 0
                || !(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-'
                    || c == '.')))
            return {};
    }
    return lowercased(std::string_view(url).substr(0, colon));
}

// Web links to these hosts belong to programs of the system, not to the browser.
bool isHandOverHost(std::string const& host) {
    if (host.empty())
        return false;
    auto const& configuration = MXConfiguration::current();
    for (auto const* handOver : {&configuration.storeLinkHost, &configuration.mapsHost}) {
        if (!handOver->empty() && lowercased(*handOver) == host)
            return true;
    }
    return false;
}

base::Ref<ui::Image> arrowImage(std::array<graphics::Point, 3> const& corners) {
    auto context = MXAdBrowserController::createContext();
    if (!context)
        return nullptr;
    context->setRGBFillColor(0, 0, 0, 1);
    context->fillPolygon(corners);
    return ui::Image::imageWithBitmap(context->image());
}

}

base::Ref<MXAdBrowserController> MXAdBrowserController::initWithURL(
    std::string url, MXAdBrowserControllerDelegate* delegate) {
    return base::make<MXAdBrowserController>(std::move(url), delegate);
}

MXAdBrowserController::MXAdBrowserController(
    std::string url, MXAdBrowserControllerDelegate* delegate)
    : delegate_(delegate)
    , url_(std::move(url)) {
    MXLogDebugMessage("Ad browser (%p) initialized with URL: %@", this, url_);
    webView_ = ui::WebView::create(graphics::Rect {});
    webView_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    webView_->setDelegate(this);
    webView_->setScalesPageToFit(true);
    spinner_ = ui::ActivityIndicatorView::create(graphics::Rect {});
    spinner_->sizeToFit();
    spinner_->setHidesWhenStopped(true);
}

MXAdBrowserController::~MXAdBrowserController() {
    delegate_ = nullptr;
    if (webView_) {
        webView_->setDelegate(nullptr);
        webView_->stopLoading();
    }
    if (actionSheet_)
        actionSheet_->setDelegate(nullptr);
}

void MXAdBrowserController::loadView() {
    auto const bounds = ui::Screen::mainScreen().bounds();
    auto root = ui::View::create(bounds);
    root->setBackgroundColor(ui::Color::whiteColor());
    root->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);

    float const width = bounds.size.width;
    float const height = bounds.size.height;
    webView_->setFrame(graphics::makeRect(0, 0, width, height - toolbarHeight));
    root->addSubview(webView_);

    toolbar_
        = ui::Toolbar::create(graphics::makeRect(0, height - toolbarHeight, width, toolbarHeight));
    toolbar_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleTopMargin);
    // The default bar's blue-grey, on which both the black arrows and the light titles show.
    toolbar_->setBarStyle(ui::BarStyle::Default);
    toolbar_->setBackgroundColor(ui::Color::colorWithRed(0.43f, 0.52f, 0.62f, 1));

    base::WeakRef<MXAdBrowserController> weak(this);
    auto action = [weak](void (MXAdBrowserController::*method)()) {
        return [weak, method](ui::BarButtonItem&) {
            if (auto self = weak.strong())
                ((*self).*method)();
        };
    };
    backButton_ = ui::BarButtonItem::initWithTitle(
        "Back", ui::BarButtonItemStyle::Plain, action(&MXAdBrowserController::back));
    forwardButton_ = ui::BarButtonItem::initWithTitle(
        "Forward", ui::BarButtonItemStyle::Plain, action(&MXAdBrowserController::forward));
    refreshButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(
        ui::BarButtonSystemItem::Refresh, action(&MXAdBrowserController::refresh));
    safariButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(
        ui::BarButtonSystemItem::Action, action(&MXAdBrowserController::safari));
    doneButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(
        ui::BarButtonSystemItem::Done, action(&MXAdBrowserController::done));
    doneButton_->setStyle(ui::BarButtonItemStyle::Done);
    spinnerItem_ = ui::BarButtonItem::initWithTitle("Loading", ui::BarButtonItemStyle::Plain, {});
    for (auto* item : {backButton_.get(), forwardButton_.get(), refreshButton_.get(),
             safariButton_.get(), doneButton_.get(), spinnerItem_.get()})
        item->setIsAccessibilityElement(true);
    backButton_->setAccessibilityLabel("Back");
    forwardButton_->setAccessibilityLabel("Forward");
    refreshButton_->setAccessibilityLabel("Refresh");
    safariButton_->setAccessibilityLabel("Open in Safari");
    doneButton_->setAccessibilityLabel("Done");
    spinnerItem_->setAccessibilityLabel("Spinner");
    root->addSubview(toolbar_);
    setView(root);
}

void MXAdBrowserController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    // The arrows are pictures: buttons of their own carry them as custom views.
    auto arrowButton = [this](base::Ref<ui::BarButtonItem>& item, base::Ref<ui::Image> image,
                           void (MXAdBrowserController::*method)()) {
        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        button->setFrame(graphics::makeRect(0, 0, arrowSide, arrowSide));
        button->setImage(std::move(image), ui::ControlState::Normal);
        button->setShowsTouchWhenHighlighted(true);
        base::WeakRef<MXAdBrowserController> weak(this);
        button->addTarget(
            this,
            [weak, method](ui::Control&, ui::Event*) {
                if (auto self = weak.strong())
                    ((*self).*method)();
            },
            ui::ControlEvents::TouchUpInside);
        item->setCustomView(button);
        item->setTitle({});
        item->setWidth(arrowSide);
    };
    arrowButton(backButton_, backArrowImage(), &MXAdBrowserController::back);
    arrowButton(forwardButton_, forwardArrowImage(), &MXAdBrowserController::forward);
    spinnerItem_->setCustomView(spinner_);
    spinnerItem_->setTitle({});
    spinnerItem_->setWidth(spinner_->frame().size.width);

    auto space = [] {
        return ui::BarButtonItem::initWithBarButtonSystemItem(
            ui::BarButtonSystemItem::FlexibleSpace, {});
    };
    toolbar_->setItems({backButton_, space(), forwardButton_, space(), refreshButton_, space(),
        safariButton_, space(), spinnerItem_, space(), doneButton_});
}

void MXAdBrowserController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    updateHistoryButtons();
    setButtonEnabled(refreshButton_.get(), false);
    setButtonEnabled(safariButton_.get(), false);
    webView_->loadRequest(foundation::URLRequest(url_));
}

void MXAdBrowserController::setButtonEnabled(ui::BarButtonItem* item, bool enabled) {
    if (!item)
        return;
    item->setEnabled(enabled);
    if (auto* button = dynamic_cast<ui::Button*>(item->customView()))
        button->setEnabled(enabled);
}

void MXAdBrowserController::updateHistoryButtons() {
    setButtonEnabled(backButton_.get(), webView_->canGoBack());
    setButtonEnabled(forwardButton_.get(), webView_->canGoForward());
}

void MXAdBrowserController::back() {
    dismissActionSheet();
    webView_->goBack();
    updateHistoryButtons();
}

void MXAdBrowserController::forward() {
    dismissActionSheet();
    webView_->goForward();
    updateHistoryButtons();
}

void MXAdBrowserController::refresh() {
    dismissActionSheet();
    webView_->reload();
}

void MXAdBrowserController::done() {
    base::Ref<MXAdBrowserController> self(this);
    dismissActionSheet();
    if (delegate_)
        delegate_->dismissBrowserController(*this);
}

void MXAdBrowserController::safari() {
    // A sheet still coming in counts as shown: a second tap takes it away.
    if (actionSheetIsShowing_ || (actionSheet_ && actionSheet_->isVisible())) {
        dismissActionSheet();
        return;
    }
    if (actionSheet_)
        actionSheet_->setDelegate(nullptr);
    actionSheet_ = ui::ActionSheet::create({}, this, "Cancel", {}, {"Open in Safari"});
    actionSheet_->showFromToolbar(toolbar_.get());
}

void MXAdBrowserController::dismissActionSheet() {
    if (actionSheet_)
        actionSheet_->dismissWithClickedButtonIndex(0, true);
}

void MXAdBrowserController::clickedButtonAtIndex(ui::ActionSheet&, int index) {
    if (index != 0)
        return;
    auto const& url = webView_->request().URL();
    if (!url.empty())
        ui::Application::sharedApplication().openExternalURL(url);
}

void MXAdBrowserController::didPresentActionSheet(ui::ActionSheet& sheet) {
    if (&sheet == actionSheet_.get())
        actionSheetIsShowing_ = true;
}

void MXAdBrowserController::didDismissWithButtonIndex(ui::ActionSheet& sheet, int) {
    if (&sheet == actionSheet_.get())
        actionSheetIsShowing_ = false;
}

bool MXAdBrowserController::shouldStartLoadWithRequest(
    ui::WebView&, foundation::URLRequest const& request, ui::WebViewNavigationType) {
    auto const& url = request.URL();
    MXLogDebugMessage("Ad browser starting to load request %@", url);
    auto const scheme = schemeOf(url);
    bool handOver = false;
    if (scheme == "http" || scheme == "https") {
        auto parts = foundation::URLParts::parse(url);
        handOver = parts && isHandOverHost(parts->host);
    } else {
        handOver = ui::Application::sharedApplication().canOpenURL(url);
    }
    if (!handOver)
        return true;
    // The delegate may let go of the browser while it closes.
    base::Ref<MXAdBrowserController> self(this);
    if (delegate_)
        delegate_->dismissBrowserController(*this, false);
    ui::Application::sharedApplication().openExternalURL(url);
    return false;
}

void MXAdBrowserController::webViewDidStartLoad(ui::WebView&) {
    setButtonEnabled(refreshButton_.get(), true);
    setButtonEnabled(safariButton_.get(), true);
    spinner_->startAnimating();
}

void MXAdBrowserController::webViewDidFinishLoad(ui::WebView&) {
    setButtonEnabled(refreshButton_.get(), true);
    setButtonEnabled(safariButton_.get(), true);
    updateHistoryButtons();
    spinner_->stopAnimating();
}

void MXAdBrowserController::didFailLoadWithError(
    ui::WebView& webView, foundation::URLError const& error) {
    MXLogErrorMessage("Ad browser %@ experienced an error: %@.", this, error.localizedDescription);
    webViewDidFinishLoad(webView);
}

base::Ref<graphics::BitmapContext> MXAdBrowserController::createContext() {
    return graphics::BitmapContext::create(
        arrowSide, arrowSide, graphics::BitmapContext::Format::RGBA8);
}

base::Ref<ui::Image> MXAdBrowserController::backArrowImage() {
    return arrowImage({graphics::Point {8, 13}, graphics::Point {24, 4}, graphics::Point {24, 22}});
}

base::Ref<ui::Image> MXAdBrowserController::forwardArrowImage() {
    return arrowImage({graphics::Point {24, 13}, graphics::Point {8, 4}, graphics::Point {8, 22}});
}

}
