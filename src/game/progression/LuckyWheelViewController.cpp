#include <game/progression/LuckyWheelViewController.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Random.hpp>
#include <game/progression/AnimViewManager.hpp>
#include <game/shell/Utilities.hpp>
#include <graphics/Font.hpp>
#include <ui/Button.hpp>
#include <ui/Color.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

#include <cmath>
#include <numbers>

namespace game {

namespace {

// The layout, in the landscape phone screen's points.
constexpr float screenWidth = 480;
constexpr float screenHeight = 320;
// The wheel's art has a radius of 125 points; it is shown smaller, left of the list.
constexpr float wheelSize = 250;
constexpr float wheelScale = 0.64f;
constexpr float wheelCenterX = 118;
constexpr float wheelCenterY = 180;
constexpr float rimSize = 274;

constexpr ui::Color labelColor = ui::Color::colorWithBytes(255, 255, 255);
constexpr ui::Color counterColor = ui::Color::colorWithBytes(60, 30, 110, 160);
constexpr ui::Color panelTextColor = ui::Color::colorWithBytes(70, 40, 110);

base::Ref<ui::ImageView> imageView(char const* name) {
    auto image = ui::Image::imageNamed(name);
    auto view = ui::ImageView::imageViewWithImage(image);
    view->setUserInteractionEnabled(false);
    return view;
}

base::Ref<ui::Label> makeLabel(graphics::Rect frame, float size, ui::Color color, bool bold) {
    auto label = ui::Label::create(frame);
    label->setBackgroundColor(ui::Color::clearColor());
    label->setTextColor(color);
    label->setFont(
        bold ? graphics::Font::boldSystemFontOfSize(size) : graphics::Font::systemFontOfSize(size));
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setAdjustsFontSizeToFitWidth(true);
    label->setUserInteractionEnabled(false);
    return label;
}

base::Ref<ui::Button> makeButton(graphics::Rect frame, char const* background) {
    auto button = ui::Button::create(frame);
    if (background)
        button->setBackgroundImage(ui::Image::imageNamed(background), ui::ControlState::Normal);
    button->setTitleColor(ui::Color::whiteColor(), ui::ControlState::Normal);
    button->setExclusiveTouch(true);
    return button;
}

// A counter of the top bar: an icon centred at iconCenter and its label to the right.
base::Ref<ui::Label> addCounter(
    ui::View& parent, char const* icon, graphics::Point iconCenter, float labelWidth) {
    auto plate = ui::View::create(
        graphics::makeRect(iconCenter.x - 22, iconCenter.y - 15, labelWidth + 48, 30));
    plate->setBackgroundColor(counterColor);
    plate->layer().setCornerRadius(12);
    plate->setUserInteractionEnabled(false);
    parent.addSubview(plate);
    auto image = imageView(icon);
    image->setContentMode(ui::ContentMode::ScaleAspectFit);
    image->setFrame(graphics::makeRect(iconCenter.x - 14, iconCenter.y - 14, 28, 28));
    parent.addSubview(image);
    auto label = makeLabel(graphics::makeRect(iconCenter.x + 16, iconCenter.y - 14, labelWidth, 28),
        18, labelColor, true);
    label->setTextAlignment(ui::TextAlignment::Left);
    parent.addSubview(label);
    return label;
}

std::string key(int index) {
    return foundation::format("%d", index);
}

void setButtonTitle(ui::Button& button, std::string const& title) {
    button.setTitle(title, ui::ControlState::Normal);
}

}

base::Ref<LuckyWheelViewController> LuckyWheelViewController::create() {
    return base::make<LuckyWheelViewController>();
}

LuckyWheelViewController::LuckyWheelViewController()
    : _prizeSectorDict(base::Dictionary::create())
    , _prizeDict(base::Dictionary::create()) {
    foundation::srandom(unsigned(std::time(nullptr)));
}

LuckyWheelViewController::~LuckyWheelViewController() {
    observations_.clear();
    stopUpdateTimer();
    if (_autoStopTimer)
        _autoStopTimer->invalidate();
}

int LuckyWheelViewController::getPackageGamePoint(int package) {
    return package >= 0 && package <= 2 ? package + 1 : 0;
}

int LuckyWheelViewController::getPackageCredit(int package) {
    return package >= 0 && package <= 2 ? package + 1 : 0;
}

// --- the screen's layout (the interface file) ---

void LuckyWheelViewController::loadView() {
    bool tablet = Utilities::isiPad();
    graphics::Size screen
        = tablet ? graphics::makeSize(1024, 768) : graphics::makeSize(screenWidth, screenHeight);
    auto root = ui::View::create(graphics::makeRect(0, 0, screen.width, screen.height));
    root->setBackgroundColor(ui::Color::colorWithBytes(90, 63, 145));

    auto content = ui::View::create(graphics::makeRect(0, 0, screenWidth, screenHeight));
    if (tablet) {
        // The buy-token panel waits below the layout, out of sight.
        content->setClipsToBounds(true);
        content->setCenter(graphics::makePoint(screen.width / 2, screen.height / 2));
        content->setTransform(graphics::AffineTransform::makeScale(2, 2));
    }
    root->addSubview(content);

    auto background = imageView("Wheel_Bg.png");
    background->setFrame(graphics::makeRect(0, 0, screenWidth, screenHeight));
    content->addSubview(background);

    // The wheel: the turning view inside a holder that shows it smaller.
    auto holder = ui::View::create(graphics::makeRect(0, 0, rimSize, rimSize));
    holder->setCenter(graphics::makePoint(wheelCenterX, wheelCenterY));
    holder->setTransform(graphics::AffineTransform::makeScale(wheelScale, wheelScale));
    holder->setUserInteractionEnabled(false);
    content->addSubview(holder);
    iWheelLightImageView_ = imageView("Wheel_Light01.png");
    iWheelLightImageView_->setFrame(graphics::makeRect(0, 0, rimSize, rimSize));
    holder->addSubview(iWheelLightImageView_);
    auto rim = imageView("Wheel_Rim.png");
    rim->setFrame(graphics::makeRect(0, 0, rimSize, rimSize));
    holder->addSubview(rim);
    iWheelView_ = ui::View::create(graphics::makeRect(
        (rimSize - wheelSize) / 2, (rimSize - wheelSize) / 2, wheelSize, wheelSize));
    holder->addSubview(iWheelView_);
    auto hub = imageView("Wheel_Hub.png");
    hub->setFrame(graphics::makeRect(rimSize / 2 - 25, rimSize / 2 - 25, 50, 50));
    holder->addSubview(hub);
    auto pointer = imageView("Wheel_Pointer.png");
    pointer->setFrame(graphics::makeRect(rimSize / 2 - 20, -3, 40, 50));
    holder->addSubview(pointer);

    // The top bar's counters: money and Vov Azavuz where the awards fly to, tokens at
    // the left, over the transparent button that opens the buy-token panel.
    iMoneyLabel_ = addCounter(*content, "Money_icon.png", graphics::makePoint(198, 20), 80);
    iGamePointLabel_
        = addCounter(*content, "PetPoint_IconSmall.png", graphics::makePoint(340, 20), 50);
    iCreditLabel_ = addCounter(*content, "Credits_Icon.png", graphics::makePoint(28, 20), 50);
    iInvisibleAddCreditButton_ = makeButton(graphics::makeRect(0, 0, 110, 40), nullptr);
    iInvisibleAddCreditButton_->addTarget(
        this, [this](ui::Control& sender, ui::Event*) { addCreditOnClick(&sender); },
        ui::ControlEvents::TouchUpInside);
    content->addSubview(iInvisibleAddCreditButton_);

    iCloseButton_ = makeButton(graphics::makeRect(436, 4, 40, 32), nullptr);
    iCloseButton_->setBackgroundColor(ui::Color::colorWithBytes(200, 50, 80));
    iCloseButton_->layer().setCornerRadius(10);
    setButtonTitle(*iCloseButton_, "X");
    iCloseButton_->titleLabel()->setFont(graphics::Font::boldSystemFontOfSize(18));
    iCloseButton_->addTarget(
        this, [this](ui::Control& sender, ui::Event*) { closeOnClick(&sender); },
        ui::ControlEvents::TouchUpInside);
    content->addSubview(iCloseButton_);

    iSpinButton_
        = makeButton(graphics::makeRect(wheelCenterX - 60, 266, 120, 52), "Wheel_SpinButton.png");
    iSpinButton_->titleLabel()->setFont(graphics::Font::boldSystemFontOfSize(22));
    iSpinButton_->addTarget(
        this, [this](ui::Control& sender, ui::Event*) { spinOnClick(&sender); },
        ui::ControlEvents::TouchUpInside);
    content->addSubview(iSpinButton_);

    iInfoButton_ = makeButton(graphics::makeRect(444, 284, 30, 30), nullptr);
    setButtonTitle(*iInfoButton_, "i");
    iInfoButton_->addTarget(
        this, [this](ui::Control& sender, ui::Event*) { infoOnClick(&sender); },
        ui::ControlEvents::TouchUpInside);
    content->addSubview(iInfoButton_);

    // The prize list: its rows go just below the container of the flying icons.
    iWheelInterfaceView_ = ui::View::create(graphics::makeRect(0, 0, screenWidth, screenHeight));
    content->addSubview(iWheelInterfaceView_);
    iAnimationContainerView_
        = ui::View::create(graphics::makeRect(0, 0, screenWidth, screenHeight));
    iAnimationContainerView_->setUserInteractionEnabled(false);
    iWheelInterfaceView_->addSubview(iAnimationContainerView_);
    // The list lies over the whole screen, buttons included, yet holds nothing to press: the
    // finger goes through it to the buttons below.
    iWheelInterfaceView_->setUserInteractionEnabled(false);

    // The buy-token panel: three packages, a close button and the two ways to more
    // Vov Azavuz.
    iBuyCreditView_ = ui::View::create(graphics::makeRect(130, 60, 220, 200));
    auto panel = imageView("Wheel_BuyPanel.png");
    panel->setFrame(graphics::makeRect(0, 0, 220, 200));
    iBuyCreditView_->addSubview(panel);
    auto title = makeLabel(graphics::makeRect(30, 8, 160, 24), 17, panelTextColor, true);
    title->setText("Buy Tokens");
    iBuyCreditView_->addSubview(title);
    for (int package = 0; package < 3; ++package) {
        float y = 38 + 44.0f * float(package);
        auto button = makeButton(graphics::makeRect(20, y, 180, 40), "Wheel_Package.png");
        button->addTarget(
            this, [this](ui::Control& sender, ui::Event*) { packageOnClick(&sender); },
            ui::ControlEvents::TouchUpInside);
        iBuyCreditView_->addSubview(button);
        iPackageButtons_[package] = button;
        auto tokenIcon = imageView("Credits_Icon.png");
        tokenIcon->setFrame(graphics::makeRect(28, y + 7, 26, 26));
        iBuyCreditView_->addSubview(tokenIcon);
        iPackageCreditLabels_[package]
            = makeLabel(graphics::makeRect(56, y + 6, 40, 28), 18, labelColor, true);
        iBuyCreditView_->addSubview(iPackageCreditLabels_[package]);
        auto pointIcon = imageView("PetPoint_IconSmall.png");
        pointIcon->setContentMode(ui::ContentMode::ScaleAspectFit);
        pointIcon->setFrame(graphics::makeRect(118, y + 8, 24, 24));
        iBuyCreditView_->addSubview(pointIcon);
        iPackagePointLabels_[package]
            = makeLabel(graphics::makeRect(144, y + 6, 44, 28), 18, labelColor, true);
        iBuyCreditView_->addSubview(iPackagePointLabels_[package]);
    }
    iHideCreditButton_ = makeButton(graphics::makeRect(188, 6, 26, 26), nullptr);
    iHideCreditButton_->setBackgroundColor(ui::Color::colorWithBytes(200, 50, 80));
    iHideCreditButton_->layer().setCornerRadius(13);
    setButtonTitle(*iHideCreditButton_, "X");
    iHideCreditButton_->addTarget(
        this, [this](ui::Control& sender, ui::Event*) { hideCreditOnClick(&sender); },
        ui::ControlEvents::TouchUpInside);
    iBuyCreditView_->addSubview(iHideCreditButton_);
    iBuyPointButton_ = makeButton(graphics::makeRect(14, 168, 94, 26), nullptr);
    iEarnFreePointButton_ = makeButton(graphics::makeRect(112, 168, 94, 26), nullptr);
    for (auto* button : {iBuyPointButton_.get(), iEarnFreePointButton_.get()}) {
        button->setBackgroundColor(ui::Color::colorWithBytes(150, 20, 55));
        button->layer().setCornerRadius(8);
        button->titleLabel()->setFont(graphics::Font::boldSystemFontOfSize(12));
    }
    setButtonTitle(*iBuyPointButton_, "Buy Pet Points");
    setButtonTitle(*iEarnFreePointButton_, "Free Pet Points");
    iBuyPointButton_->addTarget(
        this, [this](ui::Control& sender, ui::Event*) { buyPointOnClick(&sender); },
        ui::ControlEvents::TouchUpInside);
    iEarnFreePointButton_->addTarget(
        this, [this](ui::Control& sender, ui::Event*) { earnFreePointOnClick(&sender); },
        ui::ControlEvents::TouchUpInside);
    iBuyCreditView_->addSubview(iBuyPointButton_);
    iBuyCreditView_->addSubview(iEarnFreePointButton_);
    content->addSubview(iBuyCreditView_);

    setView(root);
}

ui::Label* LuckyWheelViewController::iPackagePointLabel(int package) const {
    return package >= 0 && package < 3 ? iPackagePointLabels_[package].get() : nullptr;
}

ui::Label* LuckyWheelViewController::iPackageCreditLabel(int package) const {
    return package >= 0 && package < 3 ? iPackageCreditLabels_[package].get() : nullptr;
}

ui::Button* LuckyWheelViewController::iPackageButton(int package) const {
    return package >= 0 && package < 3 ? iPackageButtons_[package].get() : nullptr;
}

// --- the view's life ---

void LuckyWheelViewController::viewDidLoad() {
    _creditViewOrigin = iBuyCreditView_->frame().origin;
    loadSector(wheelFile);
    if (auto* parent = iBuyCreditView_->superview()) {
        auto frame = iBuyCreditView_->frame();
        frame.origin.y = parent->bounds().size.height;
        iBuyCreditView_->setFrame(frame);
        parent->bringSubviewToFront(iBuyCreditView_.get());
    }
    std::vector<base::Ref<ui::Image>> lights;
    for (char const* name : {"Wheel_Light01.png", "Wheel_Light02.png"}) {
        if (auto image = ui::Image::imageNamed(name))
            lights.push_back(image);
    }
    iWheelLightImageView_->setAnimationImages(std::move(lights));
    iWheelLightImageView_->setAnimationDuration(0.5);
    iWheelLightImageView_->setAnimationRepeatCount(0);
    iInfoButton_->setHidden(!isDeviceSupportLocalNotification());
    updateMoneyLabel();
    updateGamePointLabel();
    updateCreditLabel();
    updateSpinButton();
    updatePackageLabel();
    updatePackageButton();
    if (_bViewDidUnloaded) {
        viewReload();
        _bViewDidUnloaded = false;
    } else {
        viewFirstLoad();
    }
}

void LuckyWheelViewController::viewReload() {
    highlightPrizeColor(_lastPrizeColor);
    iWheelView_->setTransform(graphics::AffineTransform::makeRotation(_curAngle));
}

void LuckyWheelViewController::viewWillAppear(bool) {
    if (!_updateTimer) {
        base::WeakRef<LuckyWheelViewController> weak(this);
        _updateTimer = foundation::Timer::scheduledTimer(
            tickInterval,
            [weak](foundation::Timer& timer) {
                if (auto self = weak.strong())
                    self->update(&timer);
            },
            true);
    }
    startLights();
}

void LuckyWheelViewController::viewDidAppear(bool) {
    _bIsAppear = true;
    checkDailyBonus();
}

void LuckyWheelViewController::viewWillDisappear(bool) {
    _bIsAppear = false;
    if (!iAnimationContainerView_)
        return;
    auto icons = iAnimationContainerView_->subviews();
    for (auto const& icon : icons) {
        AnimViewManager::stopAllActionForView(icon.get());
        icon->removeFromSuperview();
    }
}

void LuckyWheelViewController::viewDidDisappear(bool) {
    observations_.clear();
    stopUpdateTimer();
    stopLights();
}

void LuckyWheelViewController::viewDidUnload() {
    _bViewDidUnloaded = true;
    clearOutlets();
}

void LuckyWheelViewController::clearOutlets() {
    iWheelView_ = nullptr;
    iWheelLightImageView_ = nullptr;
    iSpinButton_ = nullptr;
    iBuyCreditView_ = nullptr;
    iWheelInterfaceView_ = nullptr;
    iAnimationContainerView_ = nullptr;
    for (int package = 0; package < 3; ++package) {
        iPackagePointLabels_[package] = nullptr;
        iPackageCreditLabels_[package] = nullptr;
        iPackageButtons_[package] = nullptr;
    }
    iCloseButton_ = nullptr;
    iInvisibleAddCreditButton_ = nullptr;
    iInfoButton_ = nullptr;
    iCreditLabel_ = nullptr;
    iMoneyLabel_ = nullptr;
    iGamePointLabel_ = nullptr;
    iHideCreditButton_ = nullptr;
    iBuyPointButton_ = nullptr;
    iEarnFreePointButton_ = nullptr;
    _prizeBgDict.clear();
}

bool LuckyWheelViewController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::LandscapeLeft
        || orientation == ui::InterfaceOrientation::LandscapeRight;
}

void LuckyWheelViewController::startLights() {
    if (iWheelLightImageView_)
        iWheelLightImageView_->startAnimating();
}

void LuckyWheelViewController::stopLights() {
    if (iWheelLightImageView_)
        iWheelLightImageView_->stopAnimating();
}

void LuckyWheelViewController::stopUpdateTimer() {
    if (_updateTimer) {
        _updateTimer->invalidate();
        _updateTimer = nullptr;
    }
}

// --- building the wheel ---

// A reload after a memory warning builds the art again; the tables are the same.
void LuckyWheelViewController::loadSector(std::string const& fileName) {
    _prizeBgDict.clear();
    _prizeSectorDict = base::Dictionary::create();
    _prizeDict = base::Dictionary::create();
    _prizeBgDict.clear();

    base::Ref<base::Dictionary> wheel;
    if (auto path = Utilities::getPathForResource(fileName))
        wheel = foundation::PropertyList::propertyListWithContentsOfFile(*path).dictionaryRef();
    if (!wheel) {
        foundation::log("Cannot load wheel file %@", fileName);
        return;
    }
    _degreeUnit = float(wheel->objectForKey("degreeUnit").doubleValue());
    auto prizes = wheel->objectForKey("prizes").arrayRef();
    if (!prizes)
        return;

    int start = 0;
    for (std::size_t i = 0; i < prizes->size(); ++i) {
        int color = int(i);
        auto entry = prizes->at(i).dictionaryRef();
        int units = entry ? entry->objectForKey("unit").intValue() : 0;
        addLine(start);
        addSector(start, units, color);
        int type;
        int amount;
        std::string text;
        if (entry && entry->contains("money")) {
            type = 0;
            amount = entry->objectForKey("money").intValue();
            text = getMoneyPrizeText(amount);
        } else if (entry && entry->contains("gamePoint")) {
            type = 1;
            amount = entry->objectForKey("gamePoint").intValue();
            text = getGamePointPrizeText(amount);
        } else {
            start += units;
            continue;
        }
        addPrizeText(text, color);
        auto prize = base::Dictionary::create();
        prize->setObject(PrizeTypeKey, type);
        prize->setObject(PrizeValueKey, amount);
        _prizeDict->setObject(key(color), prize);
        start += units;
    }
    float expected = _degreeUnit > 0 ? 360 / _degreeUnit : 0;
    if (float(start) != expected)
        foundation::log("Total number of unit is not %d!", int(expected));
}

// The art is as tall as the wheel's radius; its width is taken in that proportion, so
// the larger tablet pictures fill the same points.
base::Ref<ui::View> LuckyWheelViewController::addImageToWheel(
    base::Ref<ui::Image> image, int unit, bool centred) {
    auto wheelBounds = iWheelView_->bounds();
    float radius = wheelBounds.size.height / 2;
    auto size = image->size();
    float width = size.height > 0 ? size.width * radius / size.height : 0;
    auto strip = ui::View::create(graphics::makeRect(
        wheelBounds.size.width / 2 - width, 0, 2 * width, wheelBounds.size.height));
    auto art = ui::ImageView::create(graphics::makeRect(centred ? width / 2 : 0, 0, width, radius));
    art->setImage(std::move(image));
    art->setContentMode(ui::ContentMode::ScaleToFill);
    strip->addSubview(art);
    float degrees = -float(unit) * _degreeUnit;
    strip->setTransform(
        graphics::AffineTransform::makeRotation(degrees * std::numbers::pi_v<float> / 180));
    strip->setUserInteractionEnabled(false);
    iWheelView_->addSubview(strip);
    return strip;
}

void LuckyWheelViewController::addLine(int unit) {
    if (auto image = ui::Image::imageNamed("Wheel_Line.png")) {
        auto strip = addImageToWheel(image, unit, true);
        iWheelView_->bringSubviewToFront(strip.get());
    }
}

void LuckyWheelViewController::addSector(int unit, int numOfUnit, int color) {
    auto image = ui::Image::imageNamed(foundation::format("Wheel_11C_%d.png", color + 1));
    if (!image || numOfUnit <= 0)
        return;
    for (int k = unit; k < unit + numOfUnit; ++k) {
        auto strip = addImageToWheel(image, k, false);
        iWheelView_->sendSubviewToBack(strip.get());
        _prizeSectorDict->setObject(key(k), color);
    }
}

void LuckyWheelViewController::addPrizeText(std::string const& text, int color) {
    auto row = ui::View::create(graphics::makeRect(224, 50 + 37 * float(color), 252, 37));
    row->setBackgroundColor(ui::Color::clearColor());
    row->setClipsToBounds(false);
    row->setUserInteractionEnabled(false);
    graphics::Point middle = graphics::makePoint(126, 18.5f);

    auto background = ui::ImageView::imageViewWithImage(
        ui::Image::imageNamed("prize_List.png"), ui::Image::imageNamed("prize_Bingo.png"));
    background->setFrame(graphics::makeRect(0, 0, 252, 37));
    row->addSubview(background);
    _prizeBgDict[key(color)] = background;

    auto icon = ui::ImageView::imageViewWithImage(
        ui::Image::imageNamed(foundation::format("prize_%d.png", color + 1)));
    icon->setContentMode(ui::ContentMode::ScaleAspectFit);
    icon->setFrame(graphics::makeRect(middle.x - 96 - 17, middle.y - 17, 34, 34));
    row->addSubview(icon);

    auto label = ui::Label::create(graphics::makeRect(0, 0, 176, 23));
    label->setBackgroundColor(ui::Color::clearColor());
    label->setTextColor(ui::Color::whiteColor());
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setFont(graphics::Font::fontWithName("Verdana", 18));
    label->setText(text);
    label->setCenter(graphics::makePoint(middle.x + 18, middle.y));
    row->addSubview(label);

    iWheelInterfaceView_->insertSubviewBelow(row, iAnimationContainerView_.get());
}

void LuckyWheelViewController::highlightPrizeColor(int color) {
    _lastPrizeColor = color;
    if (color == -1)
        return;
    if (auto found = _prizeBgDict.find(key(color)); found != _prizeBgDict.end())
        found->second->setHighlighted(true);
}

void LuckyWheelViewController::turnOffAllHightlightPrizes() {
    for (auto const& [index, background] : _prizeBgDict)
        background->setHighlighted(false);
    _lastPrizeColor = -1;
}

// --- spinning ---

void LuckyWheelViewController::changeWheelState(int state) {
    _curState = state;
    switch (state) {
    case 0:
        updateSpinButton();
        if (iCloseButton_)
            iCloseButton_->setEnabled(true);
        break;
    case 1:
        turnOffAllHightlightPrizes();
        _rotateSpeed = 0.3f;
        if (iSpinButton_)
            iSpinButton_->setEnabled(false);
        if (iCloseButton_)
            iCloseButton_->setEnabled(false);
        break;
    case 2:
        if (_wheelMode == 1) {
            updateSpinButton();
        } else {
            double delay = 1 + double(foundation::random() % 1000) / 1000;
            base::WeakRef<LuckyWheelViewController> weak(this);
            _autoStopTimer = foundation::Timer::scheduledTimer(
                delay,
                [weak](foundation::Timer&) {
                    if (auto self = weak.strong())
                        self->stopSpin();
                },
                false);
        }
        break;
    case 3:
        if (iSpinButton_)
            iSpinButton_->setEnabled(false);
        break;
    case 4: {
        double degrees = double(_curAngle) * 180 / std::numbers::pi;
        auto deg = float(degrees);
        if (deg < 0)
            deg += 360;
        int unit = _degreeUnit > 0 ? int(std::floor(deg / _degreeUnit)) : -1;
        auto found = _prizeSectorDict->objectForKey(key(unit));
        if (found.isNull()) {
            foundation::log("Award color not found!");
            changeWheelState(0);
        } else {
            handleAwardColor(found.intValue());
        }
        break;
    }
    default:
        break;
    }
}

int LuckyWheelViewController::unitForAngle(float angle) const {
    auto deg = float(double(angle) * 180 / std::numbers::pi);
    if (deg < 0)
        deg += 360;
    return _degreeUnit > 0 ? int(std::floor(deg / _degreeUnit)) : -1;
}

void LuckyWheelViewController::update(foundation::Timer*) {
    if (!(_rotateSpeed > 0))
        return;
    double dt = tickInterval;
    auto step = float(dt * 50 * double(_rotateSpeed));
    if (iWheelView_) {
        auto turned = iWheelView_->transform().rotated(step * std::numbers::pi_v<float> / 180);
        iWheelView_->setTransform(turned);
        _curAngle = std::atan2(turned.b, turned.a);
    }
    if (_curState == 1) {
        if (_rotateSpeed >= 16)
            changeWheelState(2);
        else
            _rotateSpeed = std::min(float(double(_rotateSpeed) * (1 + 2 * dt)), 16.0f);
    } else if (_curState == 3) {
        if (_rotateSpeed < 0.1f) {
            _rotateSpeed = 0;
            changeWheelState(4);
        } else {
            _rotateSpeed = std::max(float(double(_rotateSpeed) * (1 - 0.98 * dt)), 0.0f);
        }
    }
}

void LuckyWheelViewController::handleAwardColor(int color) {
    highlightPrizeColor(color);
    changeWheelState(0);
    auto prize = _prizeDict->objectForKey(key(color)).dictionaryRef();
    if (!prize)
        return;
    int type = prize->objectForKey(PrizeTypeKey).intValue();
    int value = prize->objectForKey(PrizeValueKey).intValue();
    if (type == 1) {
        addGamePoint(value);
        updatePackageButton();
        playAwardGamePointAnimation(color);
    } else {
        addMoney(value);
        playAwardMoneyAnimation(color);
    }
    trackingPrize(type, value);
}

void LuckyWheelViewController::updateSpinButton() {
    if (!iSpinButton_)
        return;
    iInvisibleAddCreditButton_->setEnabled(false);
    switch (_curState) {
    case 0:
        setButtonTitle(*iSpinButton_, "Spin!");
        // A wheel without prizes takes no token.
        iSpinButton_->setEnabled(getCredit() > 0 && _prizeDict->size() > 0);
        iInvisibleAddCreditButton_->setEnabled(true);
        break;
    case 2:
        if (_wheelMode == 1) {
            setButtonTitle(*iSpinButton_, "Stop!");
            iSpinButton_->setEnabled(true);
        }
        break;
    default:
        iSpinButton_->setEnabled(false);
        break;
    }
}

void LuckyWheelViewController::updateMoneyLabel() {
    if (iMoneyLabel_)
        iMoneyLabel_->setText(foundation::format("%d", getMoney()));
}

void LuckyWheelViewController::updateGamePointLabel() {
    if (iGamePointLabel_)
        iGamePointLabel_->setText(foundation::format("%d", getGamePoint()));
}

void LuckyWheelViewController::updateCreditLabel() {
    if (iCreditLabel_)
        iCreditLabel_->setText(foundation::format("%d", getCredit()));
}

std::string LuckyWheelViewController::getMoneyPrizeText(int amount) {
    return foundation::format("$%d", amount);
}

std::string LuckyWheelViewController::getGamePointPrizeText(int amount) {
    return foundation::format("%d Pet %@", amount, std::string(amount == 1 ? "Point" : "Points"));
}

// --- buttons ---

void LuckyWheelViewController::spinOnClick(ui::Control*) {
    if (_curState == 2 && _wheelMode == 1) {
        stopSpin();
        playClickSound();
        return;
    }
    // A wheel without prizes (its file missing or unreadable) could never pay: it
    // takes no token.
    if (_curState == 0 && getCredit() > 0 && _prizeDict->size() > 0) {
        spendCredit(1);
        updateCreditLabel();
        playSpendCreditAnimation();
        startSpin();
        hideBuyCreditView();
        playSpinSound();
    }
}

void LuckyWheelViewController::closeOnClick(ui::Control*) {
    if (_curState != 0)
        return;
    playClickSound();
    dismiss();
}

void LuckyWheelViewController::dismiss() {
    stopUpdateTimer();
    stopLights();
}

// --- award animations ---

void LuckyWheelViewController::playAwardMoneyAnimation(int color) {
    playAwardAnimation(color, true);
}

void LuckyWheelViewController::playAwardGamePointAnimation(int color) {
    playAwardAnimation(color, false);
}

void LuckyWheelViewController::playAwardAnimation(int color, bool money) {
    if (!_bIsAppear || !iAnimationContainerView_) {
        if (money)
            updateMoneyLabel();
        else
            updateGamePointLabel();
        playGetAwardSound();
        return;
    }
    auto icon = ui::ImageView::imageViewWithImage(
        ui::Image::imageNamed(money ? "Money_icon.png" : "PetPoint_IconSmall.png"));
    icon->setContentMode(ui::ContentMode::ScaleToFill);
    icon->setFrame(graphics::makeRect(0, 0, 30, 30));
    graphics::Point from = graphics::makePoint(255, 69 + 37 * float(color));
    icon->setCenter(from);
    iAnimationContainerView_->addSubview(icon);

    graphics::Point to = money ? graphics::makePoint(198, 20) : graphics::makePoint(340, 20);
    double distance = std::hypot(double(to.x - from.x), double(to.y - from.y));
    auto move = AnimViewMoveAction::actionWithDuration(distance * 0.002, to, true);
    move->setCurve(0);
    base::Object* target = this;
    AnimViewManager::addAnimView(icon.get(),
        {AnimViewScaleAction::setScale(0),
            AnimViewCallbackAction::setCallbackTarget(
                target, [this](ui::View&) { playSpawnAwardSound(); }),
            AnimViewScaleAction::actionWithDuration(0.4, 1.2f),
            AnimViewScaleAction::actionWithDuration(0.2, 0.9f),
            AnimViewScaleAction::actionWithDuration(0.2, 1.0f), move,
            AnimViewScaleAction::actionWithDuration(0.1, 1.1f),
            AnimViewScaleAction::actionWithDuration(0.3, 0),
            AnimViewCallbackAction::setCallbackTarget(target,
                [this, money](ui::View&) {
                    if (money)
                        updateMoneyLabel();
                    else
                        updateGamePointLabel();
                }),
            AnimViewCallbackAction::setCallbackTarget(
                target, [this](ui::View&) { playGetAwardSound(); }),
            AnimViewCallbackAction::setCallbackTarget(
                target, [](ui::View& view) { view.removeFromSuperview(); })});
}

void LuckyWheelViewController::playSpendCreditAnimation() {
    updateCreditLabel();
    if (!_bIsAppear || !iAnimationContainerView_)
        return;
    auto icon = ui::ImageView::imageViewWithImage(ui::Image::imageNamed("Credits_Icon.png"));
    icon->setContentMode(ui::ContentMode::ScaleToFill);
    icon->setFrame(graphics::makeRect(47, 185, 38, 38));
    iAnimationContainerView_->addSubview(icon);
    auto center = icon->center();
    auto move = AnimViewMoveAction::actionWithDuration(
        0.4, graphics::makePoint(center.x, center.y + 50), true);
    move->setCurve(1);
    AnimViewManager::addAnimView(
        icon.get(), {move, AnimViewCallbackAction::setCallbackTarget(this, [](ui::View& view) {
                         view.removeFromSuperview();
                     })});
    ui::View* faded = icon.get();
    ui::View::animateWithDuration(
        0.15, 0.2, ui::AnimationOptions::CurveEaseOut, [faded] { faded->setAlpha(0); }, {});
}

}
