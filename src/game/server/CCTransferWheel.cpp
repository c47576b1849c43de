#include <game/server/CCTransferWheel.hpp>

#include <game/interface/InterfaceSupport.hpp>
#include <game/server/CCDragRotator.hpp>
#include <game/shell/GameGlobals.hpp>

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Format.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace game {

CCTransferWheel::CCTransferWheel() {
    setAnchorPoint({0, 0});
    schedule(&CCTransferWheel::update, 0.1f);
    setIsTouchEnabled(true);
}

CCTransferWheel::~CCTransferWheel() {
    forgetAlert();
}

int CCTransferWheel::saturatedInt(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}

engine::Size CCTransferWheel::artSize(engine::Sprite const* sprite) {
    if (!sprite)
        return {};
    auto size = sprite->contentSize();
    return {size.width * sprite->scaleX(), size.height * sprite->scaleY()};
}

bool CCTransferWheel::hits(engine::Sprite const* sprite, engine::Point point) {
    if (!sprite)
        return false;
    auto size = artSize(sprite);
    auto anchor = sprite->anchorPoint();
    auto at = sprite->position();
    engine::Rect box {{at.x - size.width * anchor.x, at.y - size.height * anchor.y}, size};
    return box.contains(point);
}

void CCTransferWheel::addDial(engine::Point center) {
    mArrow = CCDragRotator::node();
    mArrow->loadRotatorImage("transfer_arrow.png", {0.5f, 1.0f / 6});
    mArrow->setRotatorCenter(center);
    mArrow->rotatorSprite()->setScale(artScale_);
    addChild(mArrow, 1);
}

void CCTransferWheel::addLamps() {
    using interface_support::shownSprite;
    auto centre = mWheel->position();
    double radius = artSize(mWheel.get()).width * 0.85 * 0.5;
    for (int i = 0; i < lampCount; ++i) {
        double angle = i * std::numbers::pi / 6;
        mCircleList.push_back(
            shownSprite("transfer_light_off.png", float(centre.x - radius * std::sin(angle)),
                float(centre.y - radius * std::cos(angle)), this, 0));
    }
    mCircleLightOn = shownSprite("transfer_light_on.png", mCircleList.front()->position().x,
        mCircleList.front()->position().y, this, 0);
    mCircleLightOn->setScale(artScale_);
}

int CCTransferWheel::stepForDial(int maxSteps) const {
    if (!mArrow || maxSteps <= 0)
        return 0;
    double range = mArrow->max_theta() - mArrow->min_theta();
    // With no reachable step the range is 0 and the ratio would be 0 / 0; a dial
    // left outside its new limits (they follow the balance) still counts within them.
    if (!(range > 0))
        return 0;
    // A dial held at its upper limit reaches the last step, which the rounding of
    // maxSteps x limit / limit could otherwise put just below a whole number.
    if (mArrow->theta() >= mArrow->max_theta())
        return maxSteps;
    int step = saturatedInt(std::floor(maxSteps * mArrow->theta() / range));
    return std::clamp(step, 0, maxSteps);
}

void CCTransferWheel::update(float) {
    if (mCircleLightOn && mBlinkStep < int(mCircleList.size()))
        mCircleLightOn->setPosition(mCircleList[std::size_t(mBlinkStep)]->position());
    mBlinkStep = (mBlinkStep + 1) % lampCount;
    if (!mArrow)
        return;

    int balance = dialBalance();
    int maxSteps = stepsForCoins(balance);
    mArrow->setMin_theta(0);
    mArrow->setMax_theta(double(maxSteps) / mStepsPerRev * 2 * std::numbers::pi);
    int step = 0;
    if (balance < mBaseCost)
        mArrow->setIsTouchEnabled(false);
    else
        step = stepForDial(maxSteps);

    mCurStepMoney = coinsForStep(step);
    mCurStepGamePoints = gamePointsForStep(step);
    if (mCostText)
        mCostText->setString(foundation::format("%d", mCurStepMoney));
    if (mPetPointText)
        mPetPointText->setString(foundation::format("%d", mCurStepGamePoints));

    auto const& globals = GameGlobals::shared();
    if (globals.money != mCurMoney) {
        mCurMoney = globals.money;
        if (_cashLabel)
            _cashLabel->setString(foundation::format("%d", mCurMoney));
    }
    if (globals.petPoints != mCurPoints) {
        mCurPoints = globals.petPoints;
        if (_ppLabel)
            _ppLabel->setString(foundation::format("%d", mCurPoints));
    }
}

void CCTransferWheel::askConfirmation(std::string const& message) {
    forgetAlert();
    askedMoney_ = mCurStepMoney;
    askedGamePoints_ = mCurStepGamePoints;
    alert_ = ui::AlertView::create(confirmTitle, message, this, "Cancel", {confirmButton});
    alert_->show();
}

void CCTransferWheel::didDismissWithButtonIndex(ui::AlertView& alertView, int buttonIndex) {
    if (alertView.title() != confirmTitle
        || alertView.buttonTitleAtIndex(buttonIndex) != confirmButton)
        return;
    // Only the alert this view asked, and only once.
    if (&alertView != alert_.get())
        return;
    forgetAlert();
    confirmConversion(askedMoney_, askedGamePoints_);
}

void CCTransferWheel::forgetAlert() {
    if (alert_ && alert_->delegate() == this)
        alert_->setDelegate(nullptr);
    alert_ = nullptr;
}

void CCTransferWheel::cleanup() {
    unschedule(&CCTransferWheel::update);
    forgetAlert();
    std::initializer_list<engine::SceneNode*> children {mBackground.get(), mTitleText.get(),
        mArrow.get(), mCloseButton.get(), mTransferArrow.get(), mMoneyIcon.get(), mCostText.get(),
        mPetPointIcon.get(), mPetPointText.get(), mOKButton.get(), mCostBar.get(), mPPBar.get(),
        mWheel.get(), mWheelIcons.get(), mCircleLightOn.get(), mModeButton.get(),
        mPurchaseButton.get(), _ppStatus.get(), _cashStatus.get(), _ppLabel.get(),
        _cashLabel.get()};
    for (auto* child : children)
        interface_support::removeFromParent(child);
    for (auto const& lamp : mCircleList)
        interface_support::removeFromParent(lamp.get());
    mCircleList.clear();
    mTitleText = mCostText = mPetPointText = _ppLabel = _cashLabel = nullptr;
    _ppStatus = _cashStatus = mCircleLightOn = nullptr;
    mArrow = nullptr;
    Layer::cleanup();
}

}
