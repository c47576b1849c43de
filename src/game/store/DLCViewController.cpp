#include <game/store/DLCViewController.hpp>

#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/QuillabyAppDelegate.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>
#include <game/store/DLCRowRules.hpp>
#include <game/store/InAppPurchaseViewController.hpp>
#include <game/store/StoreScreen.hpp>
#include <game/store/TransferPetPointsViewController.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <graphics/Font.hpp>
#include <ui/Button.hpp>
#include <ui/Color.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/TableView.hpp>

namespace game {

namespace {

constexpr ui::Color pageColor = ui::Color::colorWithBytes(255, 226, 234);
constexpr ui::Color barColor = ui::Color::colorWithBytes(255, 54, 90);
constexpr ui::Color backColor = ui::Color::colorWithBytes(150, 20, 55);
constexpr ui::Color panelColor = ui::Color::colorWithBytes(255, 246, 228);
constexpr ui::Color panelEdgeColor = ui::Color::colorWithBytes(196, 140, 88);
constexpr ui::Color inkColor = ui::Color::colorWithBytes(90, 40, 30);
constexpr ui::Color buyColor = ui::Color::colorWithBytes(232, 168, 24);
constexpr ui::Color cancelColor = ui::Color::colorWithBytes(150, 150, 158);
constexpr ui::Color earnColor = ui::Color::colorWithBytes(40, 160, 90);
constexpr ui::Color purchaseColor = ui::Color::colorWithBytes(240, 120, 40);
constexpr ui::Color transferColor = ui::Color::colorWithBytes(60, 120, 220);
constexpr ui::Color coinColor = ui::Color::colorWithBytes(255, 200, 40);

// The pop-up's size in the phone's points.
constexpr float popUpWidth = 400;
constexpr float popUpHeight = 280;

bool pad() {
    return Utilities::isiPad();
}

// Points of the phone's layout on this device's screen.
float unit() {
    return pad() ? 2 : 1;
}

graphics::Rect scaled(float x, float y, float width, float height) {
    float u = unit();
    return graphics::makeRect(x * u, y * u, width * u, height * u);
}

graphics::Size screenSize() {
    return pad() ? graphics::makeSize(1024, 768) : graphics::makeSize(480, 320);
}

// Where the pop-up waits: in the middle of the tablet's screen (behind the
// backdrop), below the phone's.
graphics::Point restingCentre() {
    return pad() ? graphics::makePoint(512, 384) : graphics::makePoint(240, 480);
}

void playSound(char const* name) {
    if (auto* sound = SoundEngine::sharedManager())
        sound->playSoundName(name);
}

base::Ref<ui::Label> makeLabel(graphics::Rect frame, float fontSize, ui::Color color, bool bold,
    ui::TextAlignment alignment = ui::TextAlignment::Center) {
    auto label = ui::Label::create(frame);
    label->setBackgroundColor(ui::Color::clearColor());
    label->setFont(bold ? graphics::Font::boldSystemFontOfSize(fontSize * unit())
                        : graphics::Font::systemFontOfSize(fontSize * unit()));
    label->setTextColor(color);
    label->setTextAlignment(alignment);
    return label;
}

base::Ref<ui::Button> makeButton(
    graphics::Rect frame, ui::Color color, std::string title, float fontSize = 15) {
    auto button = ui::Button::create(frame);
    button->setBackgroundColor(color);
    button->layer().setCornerRadius(8 * unit());
    button->setTitle(std::move(title), ui::ControlState::Normal);
    button->setTitleColor(ui::Color::whiteColor(), ui::ControlState::Normal);
    button->setTitleColor(ui::Color::colorWithWhite(0.85f), ui::ControlState::Disabled);
    button->titleLabel()->setFont(graphics::Font::boldSystemFontOfSize(fontSize * unit()));
    button->titleLabel()->setAdjustsFontSizeToFitWidth(true);
    button->setExclusiveTouch(true);
    return button;
}

// A gold coin, the Vov Azavuz symbol.
base::Ref<ui::ImageView> makeCoin(graphics::Rect frame) {
    auto coin = ui::ImageView::create(frame);
    coin->setBackgroundColor(coinColor);
    coin->layer().setCornerRadius(frame.size.width / 2);
    return coin;
}

std::string localized(char const* key) {
    return foundation::Bundle::mainBundle().localizedString(key);
}

}

base::Ref<DLCViewController> DLCViewController::create() {
    return base::make<DLCViewController>();
}

DLCViewController::~DLCViewController() = default;

void DLCViewController::loadView() {
    auto size = screenSize();
    float u = unit();
    auto root = ui::View::create(graphics::makeRect(0, 0, size.width, size.height));
    root->setBackgroundColor(pageColor);

    // The pop-up comes first so that, sent to the back, the backdrop hides it.
    Popup_ = makePopUp();
    Popup_->setCenter(restingCentre());
    root->addSubview(Popup_);
    auto backdrop = ui::View::create(root->bounds());
    backdrop->setBackgroundColor(pageColor);
    root->addSubview(backdrop);

    float bar = 44 * u;
    auto titleBar = ui::View::create(graphics::makeRect(0, 0, size.width, bar));
    titleBar->setBackgroundColor(barColor);
    root->addSubview(titleBar);
    titleLabel_ = makeLabel(scaled(100, 0, 280, 44), 22, ui::Color::whiteColor(), true);
    titleLabel_->setAdjustsFontSizeToFitWidth(true);
    titleLabel_->setText("Downloads");
    root->addSubview(titleLabel_);
    backButton_ = makeButton(scaled(8, 7, 76, 30), backColor, localized("BUTTON_BACK"));
    backButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { onBackClick(); },
        ui::ControlEvents::TouchUpInside);
    root->addSubview(backButton_);

    tableViewContainer_
        = ui::View::create(graphics::makeRect(0, bar, size.width, size.height - bar));
    tableViewContainer_->setBackgroundColor(ui::Color::clearColor());
    tableViewContainer_->setClipsToBounds(true);
    root->addSubview(tableViewContainer_);
    setView(root);
}

base::Ref<ui::View> DLCViewController::makePopUp() {
    auto popUp = ui::View::create(scaled(0, 0, popUpWidth, popUpHeight));
    popUp->setBackgroundColor(panelColor);
    popUp->layer().setCornerRadius(16 * unit());
    popUp->layer().setBorderWidth(3 * unit());
    popUp->layer().setBorderColor(panelEdgeColor);

    ContentTitle_ = makeLabel(scaled(16, 10, 368, 30), 20, inkColor, true);
    ContentTitle_->setAdjustsFontSizeToFitWidth(true);
    popUp->addSubview(ContentTitle_);
    thumb_img_ = ui::ImageView::create(scaled(20, 48, 84, 84));
    thumb_img_->setContentMode(ui::ContentMode::ScaleToFill);
    popUp->addSubview(thumb_img_);
    ContentDesc_
        = makeLabel(scaled(116, 48, 268, 84), 14, inkColor, false, ui::TextAlignment::Left);
    ContentDesc_->setNumberOfLines(0);
    ContentDesc_->setLineBreakMode(ui::LineBreakMode::WordWrap);
    popUp->addSubview(ContentDesc_);

    petpoint_icon_ = makeCoin(scaled(140, 143, 24, 24));
    popUp->addSubview(petpoint_icon_);
    ContentCost_
        = makeLabel(scaled(170, 138, 120, 34), 24, inkColor, true, ui::TextAlignment::Left);
    popUp->addSubview(ContentCost_);

    cancelButton_
        = makeButton(scaled(30, 180, 160, 40), cancelColor, localized("BUTTON_CANCEL"), 17);
    cancelButton_->addTarget(
        this, [this](ui::Control&, ui::Event*) { onCancelClick(); },
        ui::ControlEvents::TouchUpInside);
    popUp->addSubview(cancelButton_);
    btn_Buy_ = makeButton(scaled(210, 180, 160, 40), buyColor, localized("Buy"), 17);
    btn_Buy_->addTarget(
        this, [this](ui::Control&, ui::Event*) { onBuyClick(); }, ui::ControlEvents::TouchUpInside);
    popUp->addSubview(btn_Buy_);

    EarnPPIcon_ = makeCoin(scaled(34, 238, 20, 20));
    popUp->addSubview(EarnPPIcon_);
    EarnFreePP_ = makeButton(scaled(60, 230, 130, 36), earnColor, localized("EARNPP"));
    EarnFreePP_->addTarget(
        this, [this](ui::Control&, ui::Event*) { onEarnFreePPClick(); },
        ui::ControlEvents::TouchUpInside);
    popUp->addSubview(EarnFreePP_);
    BuyPPIcon_ = makeCoin(scaled(214, 238, 20, 20));
    popUp->addSubview(BuyPPIcon_);
    BuyPP_ = makeButton(scaled(240, 230, 130, 36), purchaseColor, localized("BUYPP"));
    BuyPP_->addTarget(
        this, [this](ui::Control&, ui::Event*) { onBuyPPClick(); },
        ui::ControlEvents::TouchUpInside);
    popUp->addSubview(BuyPP_);
    TransferPP_ = makeButton(
        scaled(100, 230, 200, 36), transferColor, localized("Transfer Vov Azavuz to Money"));
    TransferPP_->addTarget(
        this, [this](ui::Control&, ui::Event*) { onTransferPPClick(); },
        ui::ControlEvents::TouchUpInside);
    popUp->addSubview(TransferPP_);
    return popUp;
}

void DLCViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    mTableViewController = DLCTableViewController::create(ui::TableViewStyle::Plain);
    auto* list = mTableViewController->view();
    auto container = tableViewContainer_->frame().size;
    list->setFrame(graphics::makeRect(0, 0, container.width, container.height));
    mTableViewController->setParentVC(this);
    tableViewContainer_->addSubview(base::Ref<ui::View>(list));

    Popup_->setCenter(restingCentre());
    if (pad())
        view()->sendSubviewToBack(Popup_.get());
    if (auto* delegate = QuillabyAppDelegate::sharedDelegate())
        pRootViewController_ = delegate->viewController();
}

bool DLCViewController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::LandscapeLeft
        || orientation == ui::InterfaceOrientation::LandscapeRight;
}

RootViewController* DLCViewController::pRootViewController() const {
    return pRootViewController_.get();
}

void DLCViewController::setPRootViewController(RootViewController* controller) {
    pRootViewController_ = controller;
}

bool DLCViewController::isPopUpShown() const {
    return popUpShown_;
}

// --- the pop-up ---

bool DLCViewController::isPetPointPrice(base::Dictionary const& entry) {
    return entry.objectForKey("cost_type").stringValue() == "pp";
}

bool DLCViewController::canAfford(base::Dictionary const& entry) {
    auto cost = entry.objectForKey("cost").intValue();
    if (cost < 0)
        return false;
    auto const& globals = GameGlobals::shared();
    return (isPetPointPrice(entry) ? globals.petPoints : globals.money) >= cost;
}

void DLCViewController::showPopUp(base::Dictionary const& entry, base::Ref<ui::Image> thumbnail) {
    if (!isViewLoaded())
        view();
    releaseContent();
    mSelectedContent = entry.copy();
    auto cost = entry.objectForKey("cost").intValue();
    bool petPoints = isPetPointPrice(entry);
    for (ui::View* view : std::initializer_list<ui::View*> {petpoint_icon_.get(), BuyPP_.get(),
             EarnFreePP_.get(), EarnPPIcon_.get(), BuyPPIcon_.get()})
        view->setHidden(!petPoints);
    TransferPP_->setHidden(petPoints);
    ContentCost_->setText(
        petPoints ? foundation::format("%d", cost) : foundation::format("$%d", cost));
    btn_Buy_->setEnabled(canAfford(entry));
    ContentDesc_->setText(entry.objectForKey("desc").stringValue());
    ContentTitle_->setText(entry.objectForKey("name").stringValue());
    thumb_img_->setImage(std::move(thumbnail));

    view()->bringSubviewToFront(Popup_.get());
    popUpShown_ = true;
    if (pad())
        return;
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(popUpDuration);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseIn);
    Popup_->setCenter(graphics::makePoint(240, 160));
    ui::View::commitAnimations();
}

void DLCViewController::hidePopUp() {
    if (!isViewLoaded())
        return;
    popUpShown_ = false;
    if (pad()) {
        // The entry stays selected until the next pop-up.
        view()->sendSubviewToBack(Popup_.get());
        return;
    }
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(popUpDuration);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseIn);
    Popup_->setCenter(restingCentre());
    ui::View::commitAnimations();
    // Let go at once rather than when the slide ends, so that a pop-up opened during
    // the slide keeps its own entry.
    releaseContent();
}

void DLCViewController::releaseContent() {
    mSelectedContent = nullptr;
}

// --- actions ---

void DLCViewController::onBuyClick() {
    // The balances held in memory are the game's own: they are spent and saved here,
    // never replaced by what storage held before.
    if (mSelectedContent && canAfford(*mSelectedContent)) {
        auto const& entry = *mSelectedContent;
        auto cost = int(entry.objectForKey("cost").intValue());
        auto& defaults = foundation::UserDefaults::standardUserDefaults();
        auto& globals = GameGlobals::shared();
        defaults.setInteger(1, DLCRowRules::recordKey(entry, "bought"));
        if (isPetPointPrice(entry)) {
            globals.petPoints -= cost;
            DataConrtoller::savePetPoints();
            defaults.setInteger(1, DLCRowRules::recordKey(entry, "active"));
            globals.petPointsChanged = true;
        } else {
            // The start-of-day money goes down with the money, so the purchase does not
            // count against the day's takings; it is not a new day's figure for the
            // running average.
            globals.money -= cost;
            globals.lastDayMoney -= cost;
            DataConrtoller::storeLastDayMoney();
            DataConrtoller::saveMoney();
            defaults.setInteger(1, DLCRowRules::recordKey(entry, "active"));
        }
        playSound("Money");
    }
    if (mTableViewController) {
        if (auto* table = mTableViewController->tableView())
            table->reloadData();
    }
    hidePopUp();
}

void DLCViewController::onCancelClick() {
    playSound("Cancel");
    hidePopUp();
}

void DLCViewController::onBackClick() {
    playSound("Cancel");
    dismissViewController(true);
}

void DLCViewController::onBuyPPClick() {
    playSound("Click");
    auto screen = InAppPurchaseViewController::create();
    auto* root = pRootViewController();
    screen->setPRootViewController(root);
    if (root)
        root->createLocalizedInAppPurchaseImages(*screen);
    StoreScreen::open(*this, screen);
}

void DLCViewController::onTransferPPClick() {
    playSound("Click");
    auto screen = TransferPetPointsViewController::create();
    auto* root = pRootViewController();
    screen->setPRootViewController(root);
    if (root)
        root->createLocalizedTransferPPImages(*screen);
    StoreScreen::open(*this, screen);
}

void DLCViewController::onEarnFreePPClick() {
    auto* root = pRootViewController();
    if (!root || root->isBuyingPackage())
        return;
    playSound("Click");
    root->showBountixOffersWithViewController(
        pad() ? static_cast<ui::ViewController*>(root) : this);
}

}
