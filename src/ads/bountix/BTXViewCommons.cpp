#include <ads/bountix/BTXViewCommons.hpp>

#include <ads/bountix/BTXLog.hpp>
#include <base/Ref.hpp>
#include <foundation/Perform.hpp>
#include <ui/View.hpp>

namespace ads::bountix {

namespace {

base::Ref<BTXViewCommons>& sharedSlot() {
    static base::Ref<BTXViewCommons> shared;
    return shared;
}

graphics::Rect moved(graphics::Rect frame, float dx, float dy) {
    frame.origin.x += dx;
    frame.origin.y += dy;
    return frame;
}

// Applies change inside one begin/commit block of duration seconds.
template<typename Change> void animate(float duration, Change change) {
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(duration);
    change();
    ui::View::commitAnimations();
}

void pageTransition(
    ui::View& view, ui::AnimationTransition transition, float duration, bool removeView) {
    base::Ref<ui::View> keep(&view);
    animate(duration, [&] {
        ui::View::setAnimationTransition(transition, view.superview(), true);
        if (removeView)
            view.removeFromSuperview();
    });
}

}

BTXViewCommons& BTXViewCommons::sharedObject() {
    auto& shared = sharedSlot();
    if (!shared)
        shared = base::make<BTXViewCommons>();
    return *shared;
}

void BTXViewCommons::resetShared() {
    if (sharedSlot())
        foundation::cancelPreviousPerformRequests(sharedSlot().get());
    sharedSlot() = nullptr;
}

int BTXViewCommons::reverseOf(int effect) {
    switch (effect) {
    case -1:
        return -1;
    case 0:
        return 5;
    case 1:
        return 6;
    case 2:
        return 7;
    case 3:
        return 8;
    case 4:
        return 9;
    case 10:
        return 11;
    case 11:
        return 10;
    case 12:
        return 13;
    case 14:
        return 15;
    default:
        return 5;
    }
}

void BTXViewCommons::setTransitionEffect(int effect) {
    currentTransitionEffect_ = effect;
    reverseTransitionEffect_ = reverseOf(effect);
    transitionDelay_ = effect == -1 ? 0.0f : float(EffectDuration);
}

void BTXViewCommons::animateBTXView(ui::View* view, int effect, float duration) {
    if (!view || effect == -1)
        return;
    auto const start = view->frame();
    auto const w = start.size.width;
    auto const h = start.size.height;
    switch (effect) {
    case 1:
    case 2:
    case 3: {
        float dx = effect == 2 ? -w : effect == 3 ? w : 0;
        float dy = effect == 1 ? -h : 0;
        view->setFrame(moved(start, dx, dy));
        animate(duration, [&] { view->setFrame(start); });
        break;
    }
    case 4:
        view->setAlpha(0);
        animate(duration, [&] { view->setAlpha(1); });
        break;
    case 5:
    case 6:
    case 7:
    case 8: {
        float dx = effect == 7 ? -w : effect == 8 ? w : 0;
        float dy = effect == 5 ? h : effect == 6 ? -h : 0;
        view->setFrame(start);
        animate(duration, [&] { view->setFrame(moved(start, dx, dy)); });
        break;
    }
    case 9:
        view->setAlpha(1);
        animate(duration, [&] { view->setAlpha(0); });
        break;
    case 10: {
        view->setAlpha(0);
        base::Ref<ui::View> keep(view);
        auto const transform = view->transform();
        // The second half waits on the shared object, so a reset drops it.
        foundation::performAfterDelay(
            &sharedObject(),
            [keep, transform, duration] {
                keep->setTransform(transform.scaled(0.01f, 0.01f));
                keep->setAlpha(0);
                animate(duration, [&] {
                    keep->setTransform(transform);
                    keep->setAlpha(1);
                });
            },
            ExpandDelay);
        break;
    }
    case 11: {
        auto const transform = view->transform();
        view->setTransform(transform);
        view->setAlpha(1);
        animate(duration, [&] {
            view->setTransform(transform.scaled(0.01f, 0.01f));
            view->setAlpha(0);
        });
        break;
    }
    case 12:
        pageTransition(*view, ui::AnimationTransition::FlipFromRight, duration, false);
        break;
    case 13:
        pageTransition(*view, ui::AnimationTransition::FlipFromLeft, duration, true);
        break;
    case 14:
        pageTransition(*view, ui::AnimationTransition::CurlDown, duration, false);
        break;
    case 15:
        pageTransition(*view, ui::AnimationTransition::CurlUp, duration, true);
        break;
    default:
        view->setFrame(moved(start, 0, h));
        animate(duration, [&] { view->setFrame(start); });
        break;
    }
}

void BTXViewCommons::setUserDefinedColorWithRed(int red, int green, int blue) {
    auto inRange = [](int value) { return value >= 0 && value <= 255; };
    if (inRange(red) && inRange(green) && inRange(blue)) {
        primaryColorCode_ = red * 65536 + green * 256 + blue;
        userDefinedColor_ = ui::Color::colorWithBytes(red, green, blue);
        return;
    }
    BTXLog::logWithLevel(
        BTXLog::Error, "Invalid value of color Red/Blue/Green picking library's default");
    primaryColorCode_ = DefaultColorCode;
    userDefinedColor_ = defaultColor();
}

void BTXViewCommons::setUserdefinedColorWithIntValue(int value) {
    primaryColorCode_ = value;
    auto const bits = unsigned(value);
    userDefinedColor_ = ui::Color::colorWithBytes(
        int((bits >> 16) & 0xFF), int((bits >> 8) & 0xFF), int(bits & 0xFF));
}

ui::Color BTXViewCommons::getUserDefinedColor() {
    if (!userDefinedColor_) {
        BTXLog::logWithLevel(
            BTXLog::Error, "PrimaryColor Tag not properly configured, so picking default color");
        userDefinedColor_ = defaultColor();
    }
    return *userDefinedColor_;
}

int BTXViewCommons::getUserDefinedColorCode() {
    if (primaryColorCode_ == -1)
        primaryColorCode_ = DefaultColorCode;
    return primaryColorCode_;
}

}
