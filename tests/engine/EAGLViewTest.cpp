#include <engine/EAGLView.hpp>
#include <graphics/GLContext.hpp>
#include <ui/Screen.hpp>
#include <ui/Touch.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using engine::EAGLView;
using engine::makeRect;
using engine::Point;
using engine::Size;

namespace {

// Records what a touch delegate hears.
class TouchJournal final : public engine::EAGLTouchDelegate {
public:
    void touchesBegan(ui::TouchSet const& touches, ui::Event*) override { add("began", touches); }
    void touchesMoved(ui::TouchSet const& touches, ui::Event*) override { add("moved", touches); }
    void touchesEnded(ui::TouchSet const& touches, ui::Event*) override { add("ended", touches); }
    void touchesCancelled(ui::TouchSet const& touches, ui::Event*) override {
        add("cancelled", touches);
    }

    std::vector<std::string> phases;

private:
    void add(std::string phase, ui::TouchSet const& touches) {
        phases.push_back(phase + " " + std::to_string(touches.count()));
    }
};

// A host view that notes touches passed on to it by its subviews.
class Host final : public ui::View {
public:
    using View::View;
    void touchesBegan(ui::TouchSet const&, ui::Event*) override { ++heard; }
    void touchesEnded(ui::TouchSet const&, ui::Event*) override { ++heard; }
    int heard {0};

    friend base::Factory;
};

class ResizeCounter final : public engine::EAGLViewDelegate {
public:
    void didResizeEAGLSurfaceForView(EAGLView* view) override {
        ++count;
        lastSize = view->surfaceSize();
    }
    int count {0};
    Size lastSize;
};

class EAGLViewTest : public ::testing::Test {
protected:
    void SetUp() override { ui::Screen::reset(); }
    void TearDown() override { ui::Screen::reset(); }

    static base::Ref<EAGLView> makeView(Size size = {480, 320},
        graphics::ColorFormat format = graphics::ColorFormat::RGB565, GLenum depth = 0) {
        auto view = EAGLView::initWithFrame(
            makeRect(0, 0, size.width, size.height), format, depth, false);
        EXPECT_TRUE(view) << "no headless OpenGL ES 1.1 context";
        return view;
    }

    static GLint renderbufferParameter(GLuint renderbuffer, GLenum name) {
        GLint value = 0;
        glBindRenderbufferOES(GL_RENDERBUFFER_OES, renderbuffer);
        glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, name, &value);
        return value;
    }

    static GLint boundFramebuffer() {
        GLint bound = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &bound);
        return bound;
    }
};

}

TEST_F(EAGLViewTest, IsMadeWithItsBuffersBoundAndTheViewportOverThem) {
    auto view = makeView();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->isCurrentContext());
    EXPECT_TRUE(view->isOpaque());
    EXPECT_EQ(view->surfaceSize(), (Size {480, 320}));
    EXPECT_NE(view->framebuffer(), 0u);
    EXPECT_NE(view->colorRenderbuffer(), 0u);
    EXPECT_EQ(boundFramebuffer(), GLint(view->framebuffer()));
    EXPECT_EQ(glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES), GLenum(GL_FRAMEBUFFER_COMPLETE_OES));
    GLint viewport[4] {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 480);
    EXPECT_EQ(viewport[3], 320);
    GLint scissor[4] {};
    glGetIntegerv(GL_SCISSOR_BOX, scissor);
    EXPECT_EQ(scissor[2], 480);
    EXPECT_EQ(scissor[3], 320);
    EXPECT_FALSE(view->autoresizesSurface());
    EXPECT_FALSE(view->retainedBacking());
}

TEST_F(EAGLViewTest, TheColourFormatChoosesTheRenderbufferStorage) {
    struct Case {
        graphics::ColorFormat format;
        GLenum storage;
    };
    for (auto const& c : {Case {graphics::ColorFormat::RGB565, GL_RGB565_OES},
             Case {graphics::ColorFormat::RGBA8, GL_RGBA8_OES}}) {
        auto view = makeView({64, 32}, c.format);
        ASSERT_TRUE(view);
        EXPECT_EQ(view->pixelFormat(), c.format);
        EXPECT_EQ(GLenum(renderbufferParameter(
                      view->colorRenderbuffer(), GL_RENDERBUFFER_INTERNAL_FORMAT_OES)),
            c.storage);
        EXPECT_EQ(renderbufferParameter(view->colorRenderbuffer(), GL_RENDERBUFFER_WIDTH_OES), 64);
    }
}

TEST_F(EAGLViewTest, AViewWithoutDepthFormatHasNoDepthBufferAndDestroysOnlyTheOthers) {
    auto view = makeView();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->depthFormat(), 0u);
    EXPECT_EQ(view->depthRenderbuffer(), 0u);
    GLint depthAttachment = -1;
    glGetFramebufferAttachmentParameterivOES(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES,
        GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_OES, &depthAttachment);
    EXPECT_EQ(depthAttachment, 0);

    // A renderbuffer of someone else's in the same context must survive.
    GLuint other = 0;
    glGenRenderbuffersOES(1, &other);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, other);
    GLuint colour = view->colorRenderbuffer();
    GLuint framebuffer = view->framebuffer();
    view->_destroySurface();
    view->setCurrentContext();
    EXPECT_FALSE(glIsRenderbufferOES(colour));
    EXPECT_FALSE(glIsFramebufferOES(framebuffer));
    EXPECT_TRUE(glIsRenderbufferOES(other));
    EXPECT_EQ(view->colorRenderbuffer(), 0u);
    EXPECT_EQ(view->framebuffer(), 0u);
    glDeleteRenderbuffersOES(1, &other);
}

TEST_F(EAGLViewTest, DepthFormatsGiveACompleteFramebufferWithADepthBuffer) {
    for (GLenum format : {GLenum(GL_DEPTH_COMPONENT16_OES), GLenum(GL_DEPTH_COMPONENT24_OES)}) {
        auto view = makeView({480, 320}, graphics::ColorFormat::RGB565, format);
        ASSERT_TRUE(view);
        GLuint depth = view->depthRenderbuffer();
        EXPECT_NE(depth, 0u);
        EXPECT_EQ(
            glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES), GLenum(GL_FRAMEBUFFER_COMPLETE_OES));
        EXPECT_EQ(
            GLenum(renderbufferParameter(depth, GL_RENDERBUFFER_INTERNAL_FORMAT_OES)), format);
        view->_destroySurface();
        view->setCurrentContext();
        EXPECT_FALSE(glIsRenderbufferOES(depth));
        EXPECT_EQ(view->depthRenderbuffer(), 0u);
    }
}

TEST_F(EAGLViewTest, DestroyingLeavesTheCurrentContextAsItWasUnlessItWasTheViewsOwn) {
    auto first = makeView({32, 32});
    auto second = makeView({32, 32});
    ASSERT_TRUE(first && second);
    second->setCurrentContext();
    first->_destroySurface();
    EXPECT_TRUE(second->isCurrentContext());
    second->_destroySurface();
    EXPECT_EQ(graphics::GLContext::currentContext(), nullptr);
}

TEST_F(EAGLViewTest, LayoutWithBoundsThatRoundToTheSameSizeRebuildsNothingAndPrintsNothing) {
    auto view = makeView();
    ASSERT_TRUE(view);
    view->setAutoresizesSurface(true);
    GLuint framebuffer = view->framebuffer();
    GLuint colour = view->colorRenderbuffer();
    view->setFrame(makeRect(0, 0, 480.4f, 319.6f));
    testing::internal::CaptureStdout();
    view->layoutSubviews();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(view->framebuffer(), framebuffer);
    EXPECT_EQ(view->colorRenderbuffer(), colour);
}

TEST_F(EAGLViewTest, LayoutAfterAResizePrintsItAndRebuildsTheBuffersThatStillDraw) {
    auto view = makeView({480, 320}, graphics::ColorFormat::RGBA8, GL_DEPTH_COMPONENT16_OES);
    ASSERT_TRUE(view);
    ResizeCounter counter;
    view->setDelegate(&counter);
    view->setAutoresizesSurface(true);
    view->setFrame(makeRect(0, 0, 240.2f, 160));
    testing::internal::CaptureStdout();
    view->layoutSubviews();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
        "-[EAGLView layoutSubviews]: Resizing surface from 480.000000x320.000000 to "
        "240.000000x160.000000\n");
    EXPECT_EQ(view->surfaceSize(), (Size {240, 160}));
    EXPECT_EQ(counter.count, 1);
    EXPECT_EQ(counter.lastSize, (Size {240, 160}));
    EXPECT_TRUE(view->isCurrentContext());
    EXPECT_NE(view->depthRenderbuffer(), 0u);

    // The rebuilt framebuffer is the one drawn into: frames after a resize are not lost.
    EXPECT_EQ(boundFramebuffer(), GLint(view->framebuffer()));
    EXPECT_EQ(glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES), GLenum(GL_FRAMEBUFFER_COMPLETE_OES));
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    auto pixel = view->drawable()->readPixels(0, 0, 1, 1);
    ASSERT_TRUE(pixel);
    EXPECT_EQ(pixel->pixel(0, 0), (graphics::Rgba {255, 0, 0, 255}));
}

TEST_F(EAGLViewTest, AutomaticResizingOffLeavesTheBuffersAlone) {
    auto view = makeView();
    ASSERT_TRUE(view);
    view->setFrame(makeRect(0, 0, 100, 100));
    testing::internal::CaptureStdout();
    view->layoutSubviews();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(view->surfaceSize(), (Size {480, 320}));
    // Turning it on through the surface setter lays the view out at once.
    testing::internal::CaptureStdout();
    view->setAutoresizesEAGLSurface(true);
    EXPECT_NE(
        testing::internal::GetCapturedStdout().find("to 100.000000x100.000000"), std::string::npos);
    EXPECT_EQ(view->surfaceSize(), (Size {100, 100}));
}

TEST_F(EAGLViewTest, TouchesGoToTheTouchDelegateAndAreDroppedWithoutOne) {
    auto host = base::make<Host>(makeRect(0, 0, 480, 320));
    auto view = makeView();
    ASSERT_TRUE(view);
    host->addSubview(view);
    auto touch = ui::Touch::create(view.get(), nullptr, {10, 20}, 1, 0);
    ui::TouchSet touches({touch});

    view->touchesBegan(touches, nullptr);
    view->touchesEnded(touches, nullptr);
    EXPECT_EQ(host->heard, 0);

    TouchJournal journal;
    view->setTouchDelegate(&journal);
    view->touchesBegan(touches, nullptr);
    view->touchesMoved(touches, nullptr);
    view->touchesEnded(touches, nullptr);
    view->touchesCancelled(touches, nullptr);
    EXPECT_EQ(journal.phases,
        (std::vector<std::string> {"began 1", "moved 1", "ended 1", "cancelled 1"}));
    EXPECT_EQ(host->heard, 0);
}

TEST_F(EAGLViewTest, ConvertsViewPointsAndRectsToBufferPixels) {
    auto view = makeView();
    ASSERT_TRUE(view);
    for (Point p : {Point {0, 0}, Point {10, 20}, Point {479.5f, 319.5f}})
        EXPECT_EQ(view->convertPointFromViewToSurface(p), p);
    EXPECT_EQ(
        view->convertRectFromViewToSurface(makeRect(10, 20, 30, 40)), makeRect(10, 20, 30, 40));

    // Bounds that are not the buffers' size scale, and the bounds' origin is subtracted.
    view->setBounds(makeRect(40, 20, 240, 160));
    EXPECT_EQ(view->convertPointFromViewToSurface({40, 20}), (Point {0, 0}));
    EXPECT_EQ(view->convertPointFromViewToSurface({140, 100}), (Point {200, 160}));
    EXPECT_EQ(
        view->convertRectFromViewToSurface(makeRect(140, 100, 10, 5)), makeRect(200, 160, 20, 10));
}

TEST_F(EAGLViewTest, PresentingWithAnotherContextCurrentLeavesThatContextCurrent) {
    auto presented = makeView({32, 32});
    auto other = makeView({32, 32});
    ASSERT_TRUE(presented && other);
    other->setCurrentContext();
    auto before = presented->drawable()->presentedFrames();
    testing::internal::CaptureStdout();
    presented->swapBuffers();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(presented->drawable()->presentedFrames(), before + 1);
    EXPECT_TRUE(other->isCurrentContext());
    EXPECT_FALSE(presented->isCurrentContext());

    // With no context current the view's own stays current afterwards.
    other->clearCurrentContext();
    presented->swapBuffers();
    EXPECT_TRUE(presented->isCurrentContext());
    EXPECT_EQ(presented->drawable()->presentedFrames(), before + 2);
}

TEST_F(EAGLViewTest, PresentingWithoutBuffersPrintsTheFailureAndCarriesOn) {
    auto view = makeView({32, 32});
    ASSERT_TRUE(view);
    view->_destroySurface();
    auto before = view->drawable()->presentedFrames();
    testing::internal::CaptureStdout();
    view->swapBuffers();
    auto printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Framebuffer status 0x"), std::string::npos) << printed;
    EXPECT_NE(
        printed.find("Failed to swap renderbuffer in -[EAGLView swapBuffers]\n"), std::string::npos)
        << printed;
    EXPECT_EQ(view->drawable()->presentedFrames(), before);
}

TEST_F(EAGLViewTest, AViewThatCannotMakeItsDrawableIsNotMade) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(EAGLView::initWithFrame(makeRect(0, 0, 0, 320)));
    testing::internal::GetCapturedStdout();
}

TEST_F(EAGLViewTest, TheFirstViewDrawsOnTheScreensSurfaceAndGivesItBackWhenItGoes) {
    graphics::SurfaceOptions options;
    options.widthPoints = 240;
    options.heightPoints = 160;
    options.scale = 2;
    auto surface = graphics::Surface::createHeadless(options);
    ASSERT_TRUE(surface);
    ui::Screen::mainScreen().setSurface(surface);
    EXPECT_EQ(ui::Screen::mainScreen().bounds(), makeRect(0, 0, 240, 160));

    auto onScreen = makeView({240, 160});
    ASSERT_TRUE(onScreen);
    EXPECT_EQ(onScreen->drawable(), surface.get());
    EXPECT_TRUE(ui::Screen::mainScreen().isSurfaceTaken());
    // The buffers count pixels: twice the points on each side.
    EXPECT_FLOAT_EQ(onScreen->contentScaleFactor(), 2);
    EXPECT_EQ(onScreen->surfaceSize(), (Size {480, 320}));
    EXPECT_EQ(onScreen->convertPointFromViewToSurface({10, 20}), (Point {20, 40}));
    // An unchanged frame at that scale is not a resize.
    onScreen->setAutoresizesSurface(true);
    testing::internal::CaptureStdout();
    onScreen->layoutSubviews();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    auto offScreen = makeView({16, 16});
    ASSERT_TRUE(offScreen);
    EXPECT_NE(offScreen->drawable(), surface.get());

    onScreen = nullptr;
    EXPECT_FALSE(ui::Screen::mainScreen().isSurfaceTaken());
    auto next = makeView({240, 160});
    ASSERT_TRUE(next);
    EXPECT_EQ(next->drawable(), surface.get());
}
