// The engine's frame with the view system's windows drawn over it: a label, a button and an
// alert over a running scene, read back from the surface.

#include "DirectorFixture.hpp"

#include <engine/Layer.hpp>
#include <graphics/Font.hpp>
#include <support/GLFixture.hpp>
#include <ui/AlertView.hpp>
#include <ui/Button.hpp>
#include <ui/Label.hpp>
#include <ui/Touch.hpp>

using engine::Color4B;
using engine::ColorLayer;
using engine::Director;
using graphics::Rect;
using graphics::Rgba;

namespace {

class ViewsOverScene : public test::DirectorTest {
protected:
    // A green scene running in the window, the window key and visible.
    void runScene() {
        window->makeKeyAndVisible();
        attached(engine::PixelFormatRGBA8888);
        auto scene = engine::Scene::node();
        scene->addChild(ColorLayer::layerWithColor(Color4B {0, 160, 0, 255}), -1);
        Director::sharedDirector().runWithScene(scene);
    }

    // The pixel at (x, y) in points from the top-left, as the views count.
    static Rgba at(int x, int y) {
        auto* view = Director::sharedDirector().openGLView();
        view->setCurrentContext();
        auto image = view->drawable()->readPixels(x, 319 - y, 1, 1);
        return image ? image->pixel(0, 0) : Rgba {};
    }

    static ::testing::AssertionResult near(Rgba actual, Rgba expected, int tolerance = 3) {
        return test::colorNear(actual, expected, tolerance);
    }

    static int darkPixels(Rect rect) {
        int count = 0;
        for (int y = int(rect.minY()); y < int(rect.maxY()); ++y) {
            for (int x = int(rect.minX()); x < int(rect.maxX()); ++x) {
                auto p = at(x, y);
                count += p.r < 80 && p.g < 80 && p.b < 80;
            }
        }
        return count;
    }

    static Rgba rgba(ui::Color color) {
        auto byte = [](float v) { return int(std::lround(v * 255)); };
        return {std::uint8_t(byte(color.red())), std::uint8_t(byte(color.green())),
            std::uint8_t(byte(color.blue())), 255};
    }
};

constexpr Rgba sceneGreen {0, 160, 0, 255};
constexpr Rgba white {255, 255, 255, 255};

}

TEST_F(ViewsOverScene, ALabelAButtonAndAnAlertAreDrawnOverTheSceneEachFrame) {
    runScene();
    auto label = ui::Label::create(engine::makeRect(20, 20, 200, 40));
    label->setBackgroundColor(ui::Color::clearColor());
    label->setTextColor(ui::Color::blackColor());
    label->setFont(graphics::Font::boldSystemFontOfSize(24));
    label->setText("Salon");
    window->addSubview(label);
    auto button = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
    button->setFrame(engine::makeRect(20, 260, 120, 40));
    button->setTitle("Play", ui::ControlState::Normal);
    window->addSubview(button);
    auto alert = ui::AlertView::create("Quillaby", "Hello from the salon!", nullptr, "OK");
    alert->show();
    ASSERT_EQ(alert->window(), window.get());
    frame();

    // The scene where nothing covers it, through the alert's clear cover too.
    EXPECT_TRUE(near(at(470, 10), sceneGreen)) << at(470, 10);
    EXPECT_TRUE(near(at(470, 310), sceneGreen)) << at(470, 310);
    EXPECT_TRUE(near(at(240, 5), sceneGreen)) << at(240, 5);
    // Ink inside the label's text, none in the label around it.
    auto textRect = label->textRectForBounds(label->bounds(), 1).offsetBy(20, 20);
    EXPECT_GT(darkPixels(textRect), 40);
    EXPECT_EQ(darkPixels(engine::makeRect(int(textRect.maxX()) + 2, 20, 40, 40)), 0);
    // The button's white box.
    EXPECT_TRUE(near(at(30, 265), white)) << at(30, 265);
    // The alert's box in its panel colour, a button of its own colour inside.
    auto box = alert->box()->frame();
    EXPECT_TRUE(box.contains({240, 160}));
    auto panel = rgba(ui::AlertView::panelColor());
    EXPECT_TRUE(near(at(int(box.minX()) + 6, int(box.midY())), panel))
        << at(int(box.minX()) + 6, int(box.midY()));
    EXPECT_TRUE(near(at(int(box.maxX()) - 6, int(box.minY()) + 30), panel));
    auto ok = alert->buttonAtIndex(0)->frame().offsetBy(box.minX(), box.minY());
    EXPECT_TRUE(near(at(int(ok.minX()) + 8, int(ok.midY())), rgba(ui::AlertView::buttonColor())))
        << at(int(ok.minX()) + 8, int(ok.midY()));

    // The scene keeps drawing under the views from frame to frame, with the state it needs.
    frame(3);
    EXPECT_TRUE(near(at(470, 10), sceneGreen)) << at(470, 10);
    EXPECT_TRUE(near(at(int(box.minX()) + 6, int(box.midY())), panel));

    // A tap on OK closes the alert: the scene shows where it was; the label stays.
    graphics::Point centre {ok.midX(), ok.midY()};
    window->injectTouch(ui::TouchPhase::Began, centre, 1, 1);
    window->injectTouch(ui::TouchPhase::Ended, centre, 1, 1.1);
    frame(30);
    EXPECT_FALSE(alert->isVisible());
    EXPECT_EQ(alert->superview(), nullptr);
    EXPECT_TRUE(near(at(int(box.minX()) + 6, int(box.midY())), sceneGreen))
        << at(int(box.minX()) + 6, int(box.midY()));
    EXPECT_TRUE(near(at(240, 160), sceneGreen)) << at(240, 160);
    EXPECT_GT(darkPixels(textRect), 40);
}

TEST_F(ViewsOverScene, AScreenThatCoversTheGameKeepsDrawingAfterTheDirectorStops) {
    graphics::SurfaceOptions options;
    options.widthPoints = 480;
    options.heightPoints = 320;
    auto surface = graphics::Surface::createHeadless(options);
    ASSERT_TRUE(surface);
    ui::Screen::mainScreen().setSurface(surface);
    // The game's view holds the engine's surface; a screen put over it covers its left half.
    window->makeKeyAndVisible();
    auto game = ui::View::create(window->bounds());
    window->addSubview(game);
    auto& director = Director::sharedDirector();
    director.setPixelFormat(engine::PixelFormatRGBA8888);
    director.attachInView(game.get(), engine::makeRect(0, 0, 480, 320));
    auto scene = engine::Scene::node();
    scene->addChild(ColorLayer::layerWithColor(Color4B {0, 160, 0, 255}), -1);
    director.runWithScene(scene);
    auto cover = ui::View::create(engine::makeRect(0, 0, 240, 320));
    cover->setBackgroundColor(ui::Color::redColor());
    window->addSubview(cover);
    frame();
    auto* view = director.openGLView();
    ASSERT_EQ(view->drawable(), surface.get());
    EXPECT_FALSE(view->drawsWindowsAlone());
    EXPECT_TRUE(near(at(100, 160), {255, 0, 0, 255})) << at(100, 160);
    EXPECT_TRUE(near(at(400, 160), sceneGreen)) << at(400, 160);

    // The game's view leaves the window and its director stops, as when a screen is presented
    // over it: the windows alone are drawn at every refresh, over the clear colour.
    game->removeFromSuperview();
    director.stopAnimation();
    director.detach();
    EXPECT_TRUE(view->drawsWindowsAlone());
    auto before = surface->presentedFrames();
    frame(3);
    EXPECT_EQ(surface->presentedFrames(), before + 3);
    EXPECT_TRUE(near(at(100, 160), {255, 0, 0, 255})) << at(100, 160);
    EXPECT_TRUE(near(at(400, 160), {0, 0, 0, 255})) << at(400, 160);
    // What the views show now is what the next refresh shows.
    cover->setBackgroundColor(ui::Color::blueColor());
    frame();
    EXPECT_TRUE(near(at(100, 160), {0, 0, 255, 255})) << at(100, 160);

    // Back in the window with its director going again, the game draws every frame itself,
    // once a frame.
    window->insertSubviewBelow(game, cover.get());
    director.attachInView(game.get(), engine::makeRect(0, 0, 480, 320));
    director.startAnimation();
    EXPECT_FALSE(view->drawsWindowsAlone());
    before = surface->presentedFrames();
    frame(2);
    EXPECT_EQ(surface->presentedFrames(), before + 2);
    EXPECT_TRUE(near(at(400, 160), sceneGreen)) << at(400, 160);
    EXPECT_TRUE(near(at(100, 160), {0, 0, 255, 255})) << at(100, 160);

    // A view that draws on a surface of its own (the screen's is taken) is not what the screen
    // shows: out of the window it draws nothing.
    auto own = engine::EAGLView::initWithFrame(engine::makeRect(0, 0, 32, 32));
    ASSERT_TRUE(own);
    EXPECT_NE(own->drawable(), surface.get());
    window->addSubview(own);
    own->removeFromSuperview();
    EXPECT_FALSE(own->drawsWindowsAlone());
}
