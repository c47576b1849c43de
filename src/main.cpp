// The program: the application shell's delegate puts the scene engine's drawing surface in a
// window of the screen's size and runs a small demonstration scene on it, coloured layers in
// motion and a square that goes wherever the screen is tapped. The game's own scenes take its
// place once they exist. Pressing "a" shows an alert over the running scene; its OK button
// closes it.

#include <engine/CompositeAction.hpp>
#include <engine/Director.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Label.hpp>
#include <engine/Layer.hpp>
#include <engine/RepeatForever.hpp>
#include <engine/Scene.hpp>
#include <engine/Sprite.hpp>
#include <graphics/Event.hpp>
#include <ui/AlertView.hpp>
#include <ui/Application.hpp>
#include <ui/ApplicationRunner.hpp>
#include <ui/Screen.hpp>
#include <ui/Touch.hpp>
#include <ui/Window.hpp>

namespace {

using engine::Color4B;
using engine::ColorLayer;
using engine::Point;

base::Ref<engine::IntervalAction> forthAndBack(base::Ref<engine::IntervalAction> action) {
    auto back = action->reverse();
    return base::ref_cast<engine::IntervalAction>(engine::Sequence::actions(action, back));
}

// A full-screen layer with a square that moves to where the screen is tapped and follows a
// dragging finger.
class TapLayer final : public engine::Layer {
public:
    static constexpr float side = 36;

    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event*) override {
        marker_->stopAllActions();
        marker_->runAction(engine::MoveTo::actionWithDuration(0.25f, cornerFor(touches)));
        marker_->runAction(
            engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.1f, 1.3f),
                engine::ScaleTo::actionWithDuration(0.15f, 1.0f)));
        return true;
    }

    bool ccTouchesMoved(ui::TouchSet& touches, ui::Event*) override {
        marker_->stopAllActions();
        marker_->setScale(1);
        marker_->setPosition(cornerFor(touches));
        return true;
    }

private:
    // The square's lower-left corner that puts its centre under the touch.
    Point cornerFor(ui::TouchSet const& touches) {
        Point at = convertTouchToNodeSpace(touches.anyObject());
        return {at.x - side / 2, at.y - side / 2};
    }

    base::Ref<ColorLayer> marker_;

    friend base::Factory;

    TapLayer() {
        setIsTouchEnabled(true);
        marker_ = ColorLayer::layerWithColor(Color4B {250, 200, 60, 255}, side, side);
        marker_->setPosition(
            {contentSize().width / 2 - side / 2, contentSize().height / 2 - side / 2});
        addChild(marker_, 5);
    }
};

base::Ref<engine::Scene> demoScene() {
    auto scene = engine::Scene::node();
    auto size = scene->contentSize();

    scene->addChild(ColorLayer::layerWithColor(Color4B {24, 52, 84, 255}), -1);
    auto floor = ColorLayer::layerWithColor(Color4B {46, 112, 86, 255}, size.width, 64);
    scene->addChild(floor, 0);

    // A translucent panel holding two squares: the panel's motion carries them.
    auto panel = ColorLayer::layerWithColor(Color4B {255, 255, 255, 96}, 180, 90);
    panel->setPosition({size.width / 2 - 90, size.height - 120});
    auto red = ColorLayer::layerWithColor(Color4B {220, 60, 60, 255}, 40, 40);
    red->setPosition({25, 25});
    red->runAction(
        engine::RepeatForever::actionWithAction(engine::RotateBy::actionWithDuration(3, 360)));
    panel->addChild(red);
    auto blue = ColorLayer::layerWithColor(Color4B {70, 120, 230, 255}, 40, 40);
    blue->setPosition({115, 25});
    blue->runAction(engine::RepeatForever::actionWithAction(
        forthAndBack(engine::TintBy::actionWithDuration(1.5f, 0, 110, -170))));
    panel->addChild(blue);
    panel->runAction(engine::RepeatForever::actionWithAction(
        forthAndBack(engine::MoveBy::actionWithDuration(2, Point {0, -40}))));
    scene->addChild(panel, 1);

    // A square walking along the floor.
    auto walker = ColorLayer::layerWithColor(Color4B {240, 140, 200, 255}, 30, 30);
    walker->setPosition({20, 64});
    walker->runAction(engine::RepeatForever::actionWithAction(
        forthAndBack(engine::MoveBy::actionWithDuration(3, Point {size.width - 70, 0}))));
    scene->addChild(walker, 2);

    // The game's name from the bundle's art, and a line of text, so both the
    // texture and the font paths show on screen.
    if (auto title = engine::Sprite::spriteWithFile("Title_Name.png")) {
        title->setPosition({size.width / 2, size.height - 40});
        scene->addChild(title, 2);
    }
    auto hint = engine::Label::labelWithString("Tap anywhere", "Helvetica-Bold", 18);
    hint->setPosition({size.width / 2, 100});
    scene->addChild(hint, 2);

    scene->addChild(base::make<TapLayer>(), 3);
    return scene;
}

class DemoApplicationDelegate final : public ui::ApplicationDelegate {
public:
    void applicationDidFinishLaunching(ui::Application&) override {
        auto bounds = ui::Screen::mainScreen().bounds();
        window_ = ui::Window::create(bounds);
        window_->makeKeyAndVisible();
        auto& director = engine::Director::sharedDirector();
        director.setDisplayFPS(false);
        director.setAnimationInterval(1.0 / 60);
        director.attachInView(window_.get(), bounds);
        director.runWithScene(demoScene());
    }

    void applicationWillResignActive(ui::Application&) override {
        engine::Director::sharedDirector().pause();
    }

    void applicationDidBecomeActive(ui::Application&) override {
        engine::Director::sharedDirector().resume();
    }

    void applicationKeyPressed(ui::Application&, graphics::KeyEvent const& event) override {
        if (event.key != 'a' || (alert_ && alert_->isVisible()))
            return;
        alert_ = ui::AlertView::create("Quillaby", "Hello from the salon!", nullptr, "OK");
        alert_->show();
    }

    void applicationWillTerminate(ui::Application&) override {
        engine::Director::sharedDirector().end();
    }

private:
    base::Ref<ui::Window> window_;
    base::Ref<ui::AlertView> alert_;
};

}

int main(int argc, char** argv) {
    DemoApplicationDelegate delegate;
    return ui::ApplicationRunner::main(argc, argv, delegate);
}
