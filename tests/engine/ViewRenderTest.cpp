#include <engine/ViewRenderer.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/GLFixture.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Label.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <numbers>

using graphics::AffineTransform;
using graphics::makeRect;
using graphics::Rect;
using graphics::Rgba;
using ui::Color;
using ui::View;

namespace {

Rgba const green {0, 128, 0, 255};

::testing::AssertionResult near(Rgba a, Rgba b, int tolerance = 3) {
    return test::colorNear(a, b, tolerance);
}

// A window over a green framebuffer, drawn by a renderer; points count from the top-left.
class ViewRender : public test::GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        ui::Application::reset();
        window = ui::Window::create(makeRect(0, 0, 480, 320));
        window->makeKeyAndVisible();
    }

    void TearDown() override {
        renderer.releaseTextures();
        window = nullptr;
        GLFixture::TearDown();
    }

    void draw() {
        glClearColor(0, 128 / 255.0f, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }

    // The pixel at (x, y) from the top-left.
    Rgba at(int x, int y) const { return pixel(x, height() - 1 - y); }

    // Pixels of rect (top-left coordinates) darker than the green background and than
    // a light background: ink of dark text.
    int darkPixels(Rect rect) const {
        int count = 0;
        for (int y = int(rect.minY()); y < int(rect.maxY()); ++y) {
            for (int x = int(rect.minX()); x < int(rect.maxX()); ++x) {
                auto p = at(x, y);
                count += p.g < 100 && p.r < 100;
            }
        }
        return count;
    }

    base::Ref<View> add(Rect frame, Color color) {
        auto view = View::create(frame);
        view->setBackgroundColor(color);
        window->addSubview(view);
        return view;
    }

    base::Ref<ui::Window> window;
    engine::ViewRenderer renderer;
};

// A stand-in for the engine's surface: it paints itself with GL, so the renderer leaves it.
class GLSurfaceView : public View {
public:
    using View::View;
    bool drawsWithGL() const override { return true; }

    friend base::Factory;
};

}

TEST_F(ViewRender, ColouredViewLabelAndButtonOverTheScene) {
    add(makeRect(20, 20, 100, 60), Color::redColor());
    auto label = ui::Label::create(makeRect(150, 20, 200, 40));
    label->setBackgroundColor(Color::clearColor());
    label->setTextColor(Color::blackColor());
    label->setFont(graphics::Font::boldSystemFontOfSize(24));
    label->setText("Salon");
    window->addSubview(label);
    auto button = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
    button->setFrame(makeRect(20, 200, 120, 40));
    button->setTitle("Play", ui::ControlState::Normal);
    window->addSubview(button);
    draw();

    EXPECT_TRUE(near(at(5, 5), green)) << at(5, 5);
    EXPECT_TRUE(near(at(400, 300), green)) << at(400, 300);
    EXPECT_TRUE(near(at(70, 50), {255, 0, 0, 255})) << at(70, 50);
    EXPECT_TRUE(near(at(20, 20), {255, 0, 0, 255})) << at(20, 20);
    EXPECT_TRUE(near(at(19, 50), green)) << at(19, 50);
    EXPECT_TRUE(near(at(120, 50), green)) << at(120, 50);

    // The label's text has ink inside its line and none outside the label.
    auto textRect = label->textRectForBounds(label->bounds(), 1).offsetBy(150, 20);
    EXPECT_GT(darkPixels(textRect), 40);
    EXPECT_EQ(darkPixels(makeRect(150, 0, 200, 20)), 0);
    EXPECT_EQ(darkPixels(makeRect(150, 60, 200, 40)), 0);
    EXPECT_EQ(darkPixels(makeRect(textRect.maxX() + 2, 20, 350 - textRect.maxX() - 2, 40)), 0);

    // The button's white box, with its title inside.
    EXPECT_TRUE(near(at(30, 205), {255, 255, 255, 255})) << at(30, 205);
    button->layoutIfNeeded();
    auto title = button->titleLabel()->frame().offsetBy(20, 200);
    int titleInk = 0;
    for (int y = int(title.minY()); y < int(title.maxY()); ++y) {
        for (int x = int(title.minX()); x < int(title.maxX()); ++x) {
            auto p = at(x, y);
            titleInk += p.b > p.r + 40;
        }
    }
    EXPECT_GT(titleInk, 10);
}

TEST_F(ViewRender, AlphaBlendsAndMultipliesDownTheTree) {
    auto half = add(makeRect(0, 0, 100, 100), Color::whiteColor());
    half->setAlpha(0.5f);
    auto child = View::create(makeRect(50, 50, 50, 50));
    child->setBackgroundColor(Color::blackColor().colorWithAlphaComponent(0.5f));
    half->addSubview(child);
    draw();
    EXPECT_TRUE(near(at(25, 25), {128, 192, 128, 255}, 4)) << at(25, 25);
    // Half-black at half alpha over the half-white over green.
    EXPECT_TRUE(near(at(75, 75), {96, 144, 96, 255}, 4)) << at(75, 75);
}

TEST_F(ViewRender, TransformsTurnAndScaleWhatIsDrawn) {
    auto bar = add(makeRect(190, 150, 100, 20), Color::blueColor());
    bar->setTransform(AffineTransform::makeRotation(std::numbers::pi_v<float> / 2));
    draw();
    EXPECT_TRUE(near(at(240, 200), {0, 0, 255, 255})) << at(240, 200);
    EXPECT_TRUE(near(at(280, 160), green)) << at(280, 160);

    bar->setTransform(AffineTransform::makeScale(2, 1));
    draw();
    EXPECT_TRUE(near(at(330, 160), {0, 0, 255, 255})) << at(330, 160);
    EXPECT_TRUE(near(at(345, 160), green)) << at(345, 160);
}

TEST_F(ViewRender, ClippingCutsSubviewsToTheBoundsOfAnUprightView) {
    auto parent = add(makeRect(300, 200, 50, 50), Color::clearColor());
    auto child = View::create(makeRect(0, 0, 200, 200));
    child->setBackgroundColor(Color::blueColor());
    parent->addSubview(child);
    draw();
    EXPECT_TRUE(near(at(400, 300), {0, 0, 255, 255}));
    parent->setClipsToBounds(true);
    draw();
    EXPECT_TRUE(near(at(400, 300), green)) << at(400, 300);
    EXPECT_TRUE(near(at(320, 220), {0, 0, 255, 255})) << at(320, 220);
    // The scissor is off again for views drawn afterwards.
    add(makeRect(400, 0, 80, 80), Color::redColor());
    draw();
    EXPECT_TRUE(near(at(440, 40), {255, 0, 0, 255})) << at(440, 40);
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    EXPECT_FALSE(scissor);
}

TEST_F(ViewRender, AGLDrawnViewIsLeftAloneAndItsSubviewsDrawnOverIt) {
    auto surface = base::make<GLSurfaceView>(makeRect(0, 0, 480, 320));
    surface->setBackgroundColor(Color::redColor());
    auto overlay = View::create(makeRect(10, 10, 20, 20));
    overlay->setBackgroundColor(Color::whiteColor());
    surface->addSubview(overlay);
    window->addSubview(surface);
    draw();
    EXPECT_TRUE(near(at(200, 200), green)) << at(200, 200);
    EXPECT_TRUE(near(at(20, 20), {255, 255, 255, 255})) << at(20, 20);
}

TEST_F(ViewRender, RoundedCornersAndBordersFollowTheLayer) {
    auto box = add(makeRect(100, 100, 100, 100), Color::whiteColor());
    box->layer().setCornerRadius(30);
    box->layer().setBorderWidth(4);
    box->layer().setBorderColor(Color::blueColor());
    draw();
    EXPECT_TRUE(near(at(101, 101), green)) << at(101, 101);
    EXPECT_TRUE(near(at(150, 150), {255, 255, 255, 255})) << at(150, 150);
    EXPECT_TRUE(near(at(150, 101), {0, 0, 255, 255})) << at(150, 101);
    EXPECT_TRUE(near(at(198, 150), {0, 0, 255, 255})) << at(198, 150);
}

TEST_F(ViewRender, ContentIsRasterisedOnceUntilItChanges) {
    auto label = ui::Label::create(makeRect(10, 10, 100, 30));
    label->setText("Cached");
    window->addSubview(label);
    draw();
    auto count = renderer.rasterizationCount();
    draw();
    EXPECT_EQ(renderer.rasterizationCount(), count);
    label->setText("Changed");
    draw();
    EXPECT_EQ(renderer.rasterizationCount(), count + 1);
    label->setFrame(makeRect(10, 10, 120, 30));
    draw();
    EXPECT_EQ(renderer.rasterizationCount(), count + 2);

    auto textures = renderer.textureCount();
    EXPECT_GE(textures, 1u);
    label->removeFromSuperview();
    label = nullptr;
    for (int i = 0; i < 10; ++i)
        draw();
    EXPECT_LT(renderer.textureCount(), textures);
}

TEST_F(ViewRender, TheGLStateIsPutBack) {
    add(makeRect(0, 0, 50, 50), Color::redColor());
    auto label = ui::Label::create(makeRect(100, 100, 100, 30));
    label->setText("State");
    window->addSubview(label);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_TEXTURE_2D);
    glEnableClientState(GL_COLOR_ARRAY);
    glColor4f(0.25f, 0.5f, 0.75f, 1);
    glMatrixMode(GL_PROJECTION);
    draw();
    GLint src = 0, dst = 0, mode = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[1], 0.5f);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // The fixture's projection: one unit per pixel from the bottom-left.
    EXPECT_FLOAT_EQ(projection[0], 2.0f / width());
    EXPECT_FLOAT_EQ(projection[5], 2.0f / height());
    glDisableClientState(GL_COLOR_ARRAY);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ViewRender, AnimationsAreDrawnAsTheyStandOnTheClock) {
    foundation::ScopedManualClock clock;
    foundation::RunLoop::main().reset();
    ui::Animator::reset();
    auto view = add(makeRect(0, 0, 100, 100), Color::whiteColor());
    View::animateWithDuration(1.0, 0, ui::AnimationOptions::CurveLinear,
        [&] {
            view->setAlpha(0);
            view->setCenter({250, 50});
        },
        {});
    foundation::RunLoop::main().runFor(0.5);
    draw();
    // Half way: half faded, half way along.
    EXPECT_TRUE(near(at(150, 50), {128, 192, 128, 255}, 4)) << at(150, 50);
    EXPECT_TRUE(near(at(50, 50), green)) << at(50, 50);
    foundation::RunLoop::main().runFor(0.5);
    draw();
    EXPECT_TRUE(near(at(250, 50), green)) << at(250, 50);
    ui::Animator::reset();
    foundation::RunLoop::main().reset();
}
