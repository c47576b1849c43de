#include "DirectorFixture.hpp"

#include <base/Exception.hpp>
#include <engine/FastDirector.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Layer.hpp>
#include <foundation/Timer.hpp>
#include <support/LogCapture.hpp>

#include <limits>

using engine::Director;
using engine::makeRect;
using engine::Point;
using engine::Size;
using test::Journal;
using test::LoggedScene;
using test::LoggedTransition;
using Entries = std::vector<std::string>;

namespace {

class DirectorTest : public test::DirectorTest { };

Journal* fpsJournal = nullptr;
void journalFPS(char const* text) {
    if (fpsJournal)
        fpsJournal->add(std::string("fps ") + text);
}

int purges = 0;
void countPurge() {
    ++purges;
}

template<typename T> base::Ref<T> logged(char const* name, Journal& journal) {
    return base::make<T>(name, journal);
}

// The named exception that f raises, or "" when it raises none.
template<typename F> std::string raisedBy(F&& f, std::string* reason = nullptr) {
    try {
        f();
    } catch (base::Exception const& e) {
        if (reason)
            *reason = e.reason();
        return e.name();
    }
    return "";
}

}

TEST_F(DirectorTest, IsOneInstanceThatStartsWithItsDefaults) {
    auto& director = Director::sharedDirector();
    EXPECT_EQ(&director, &Director::sharedDirector());
    EXPECT_DOUBLE_EQ(director.animationInterval(), 1.0 / 60);
    EXPECT_EQ(director.pixelFormat(), engine::PixelFormatRGB565);
    EXPECT_EQ(director.depthBufferFormat(), engine::DepthBufferNone);
    EXPECT_EQ(director.deviceOrientation(), engine::DeviceOrientationPortrait);
    EXPECT_FALSE(director.displayFPS());
    EXPECT_FALSE(director.isPaused());
    EXPECT_FALSE(director.isAnimating());
    EXPECT_EQ(director.runningScene(), nullptr);
    EXPECT_EQ(director.openGLView(), nullptr);
    EXPECT_EQ(director.winSize(), (Size {0, 0}));
    // The node tree asks it from the moment it exists.
    EXPECT_EQ(&engine::DirectorServices::current(), &director);
    Director::purgeSharedDirector();
    EXPECT_NE(
        &engine::DirectorServices::current(), static_cast<engine::DirectorServices*>(&director));
}

TEST_F(DirectorTest, AttachingPutsTheSurfaceInTheHostAndSetsTheDefaultGLState) {
    auto& director = attached();
    auto* view = director.openGLView();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(director.isOpenGLAttached());
    EXPECT_EQ(view->superview(), window.get());
    EXPECT_EQ(view->frame(), makeRect(0, 0, 480, 320));
    EXPECT_EQ(view->pixelFormat(), graphics::ColorFormat::RGB565);
    EXPECT_EQ(view->depthFormat(), 0u);
    EXPECT_TRUE(view->autoresizesSurface());
    EXPECT_EQ(view->touchDelegate(), &engine::TouchDispatcher::sharedDispatcher());
    EXPECT_EQ(director.winSize(), (Size {480, 320}));
    // Scenes made now fill the surface.
    EXPECT_EQ(engine::Scene::node()->contentSize(), (Size {480, 320}));

    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint source = 0;
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_ONE);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint depthFunction = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    EXPECT_EQ(depthFunction, GL_LEQUAL);
    GLfloat clear[4] {1, 1, 1, 0};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>(clear, clear + 4), (std::vector<float> {0, 0, 0, 1}));
    GLint viewport[4] {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<int>(viewport, viewport + 4), (std::vector<int> {0, 0, 480, 320}));
}

TEST_F(DirectorTest, TheHostsInteractionFlagsReachTheSurfaceAndTheDispatcher) {
    window->setUserInteractionEnabled(false);
    window->setMultipleTouchEnabled(true);
    auto& director = attached();
    EXPECT_FALSE(director.openGLView()->isUserInteractionEnabled());
    EXPECT_TRUE(director.openGLView()->isMultipleTouchEnabled());
    EXPECT_FALSE(engine::TouchDispatcher::sharedDispatcher().dispatchEvents());
}

TEST_F(DirectorTest, FormatsSelectTheSurfaceBeforeAttachingAndRaiseAfter) {
    struct Case {
        int pixelFormat;
        int depthFormat;
        graphics::ColorFormat colour;
        GLenum depth;
    };
    for (auto const& c : {Case {engine::PixelFormatRGBA8888, engine::DepthBuffer16,
                              graphics::ColorFormat::RGBA8, GL_DEPTH_COMPONENT16_OES},
             Case {engine::PixelFormatRGB565, engine::DepthBuffer24, graphics::ColorFormat::RGB565,
                 GL_DEPTH_COMPONENT24_OES}}) {
        reset();
        window = ui::Window::create(makeRect(0, 0, 480, 320));
        auto& director = attached(c.pixelFormat, c.depthFormat);
        EXPECT_EQ(director.openGLView()->pixelFormat(), c.colour);
        EXPECT_EQ(director.openGLView()->depthFormat(), c.depth);
        EXPECT_NE(director.openGLView()->depthRenderbuffer(), 0u);

        std::string reason;
        EXPECT_EQ(raisedBy([&] { director.setPixelFormat(engine::PixelFormatRGB565); }, &reason),
            "DirectorAlreadyInitialized");
        EXPECT_EQ(reason, "Can't change the pixel format after the director was initialized");
        EXPECT_EQ(
            raisedBy([&] { director.setDepthBufferFormat(engine::DepthBufferNone); }, &reason),
            "DirectorAlreadyInitialized");
        EXPECT_EQ(
            reason, "Can't change the depth buffer format after the director was initialized");
        EXPECT_EQ(director.pixelFormat(), c.pixelFormat);
    }
}

TEST_F(DirectorTest, AttachAndDetachRaiseTheirNamedExceptionsOnMisuse) {
    auto& director = Director::sharedDirector();
    std::string reason;
    EXPECT_EQ(raisedBy([&] { director.detach(); }, &reason), "kccException_OpenGLViewNotAttached");
    EXPECT_EQ(reason, "Can't detach the OpenGL View, because it is not attached. Attach it first.");

    director.attachInView(window.get());
    EXPECT_EQ(raisedBy([&] { director.attachInView(window.get()); }, &reason),
        "kccException_OpenGLViewAlreadyAttached");
    EXPECT_EQ(reason,
        "Can't re-attach the OpenGL View, because it is already attached. Detach it first.");

    EXPECT_TRUE(director.detach());
    EXPECT_FALSE(director.isOpenGLAttached());
    EXPECT_TRUE(window->subviews().empty());
}

TEST_F(DirectorTest, ReattachingKeepsTheSurfaceAndGivesItTheNewFrame) {
    auto& director = attached();
    auto* view = director.openGLView();
    director.detach();
    auto host = ui::View::create(makeRect(0, 0, 320, 480));
    testing::internal::CaptureStdout();
    director.attachInView(host.get());
    auto printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(director.openGLView(), view);
    EXPECT_EQ(view->superview(), host.get());
    EXPECT_EQ(view->frame(), makeRect(0, 0, 320, 480));
    EXPECT_EQ(view->surfaceSize(), (Size {320, 480}));
    EXPECT_NE(printed.find("Resizing surface from 480.000000x320.000000 to 320.000000x480.000000"),
        std::string::npos);
    EXPECT_EQ(director.winSize(), (Size {320, 480}));
}

TEST_F(DirectorTest, TheFirstFrameAfterRunWithSceneSwapsItInAfterTheTickAndDrawsIt) {
    auto& director = attached();
    Journal journal;
    auto scene = logged<LoggedScene>("A", journal);
    director.runWithScene(scene);
    EXPECT_TRUE(director.isAnimating());
    EXPECT_EQ(director.runningScene(), nullptr);
    EXPECT_EQ(director.nextScene(), scene.get());
    EXPECT_FALSE(scene->isRunning());
    EXPECT_TRUE(journal.entries.empty());

    frame();
    EXPECT_EQ(journal.take(), (Entries {"enter A", "finish A", "draw A"}));
    EXPECT_EQ(director.runningScene(), scene.get());
    EXPECT_EQ(director.nextScene(), nullptr);
    EXPECT_EQ(presented(), 1u);

    // The selector it scheduled became active inside that frame and first fires now.
    frame();
    EXPECT_EQ(journal.take(), (Entries {"tick A", "draw A"}));
    EXPECT_EQ(presented(), 2u);
}

TEST_F(DirectorTest, ATickComesBeforeTheSwapAndTheCounterAfterTheDrawing) {
    auto& director = attached();
    Journal journal;
    fpsJournal = &journal;
    Director::setFPSTextDrawer(journalFPS);
    director.setDisplayFPS(true);
    director.runWithScene(logged<LoggedScene>("A", journal));
    frame(2);
    journal.take();

    director.pushScene(logged<LoggedScene>("B", journal));
    frame();
    auto entries = journal.take();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(Entries(entries.begin(), entries.begin() + 5),
        (Entries {"tick A", "exit A", "enter B", "finish B", "draw B"}));
    EXPECT_EQ(entries[5].rfind("fps ", 0), 0u);
    fpsJournal = nullptr;
}

TEST_F(DirectorTest, PushedOverScenesExitAndComeBackWhenPopped) {
    auto& director = attached();
    Journal journal;
    auto a = logged<LoggedScene>("A", journal);
    auto b = logged<LoggedScene>("B", journal);
    director.runWithScene(a);
    frame();
    journal.take();

    director.pushScene(b);
    EXPECT_EQ(director.scenesStack().size(), 2u);
    frame();
    EXPECT_EQ(journal.take(), (Entries {"tick A", "exit A", "enter B", "finish B", "draw B"}));
    EXPECT_FALSE(a->isRunning());

    director.popScene();
    EXPECT_EQ(director.scenesStack().size(), 1u);
    EXPECT_EQ(director.nextScene(), a.get());
    frame();
    EXPECT_EQ(journal.take(), (Entries {"tick B", "exit B", "enter A", "finish A", "draw A"}));
    EXPECT_EQ(director.runningScene(), a.get());
}

TEST_F(DirectorTest, ReplacingTheOnlySceneLeavesOneSceneOnTheStack) {
    auto& director = attached();
    Journal journal;
    auto a = logged<LoggedScene>("A", journal);
    director.runWithScene(a);
    frame();
    base::WeakRef<LoggedScene> weakA(a.get());
    a = nullptr;

    director.replaceScene(logged<LoggedScene>("B", journal));
    EXPECT_EQ(director.scenesStack().size(), 1u);
    journal.take();
    frame();
    EXPECT_EQ(journal.take(), (Entries {"tick A", "exit A", "enter B", "finish B", "draw B"}));
    // Once the scheduler has let go of its selector, nothing holds the replaced scene.
    frame();
    EXPECT_FALSE(weakA);
}

TEST_F(DirectorTest, PoppingTheLastSceneEndsTheDirector) {
    auto& director = attached();
    Journal journal;
    purges = 0;
    Director::setTextureCachePurger(countPurge);
    auto scene = logged<LoggedScene>("A", journal);
    auto layer = engine::Layer::node();
    layer->setIsTouchEnabled(true);
    scene->addChild(layer);
    auto actor = engine::SceneNode::node();
    scene->addChild(actor);
    actor->runAction(engine::MoveBy::actionWithDuration(10, Point {100, 0}));
    director.runWithScene(scene);
    frame(2);
    ASSERT_EQ(engine::TouchDispatcher::sharedDispatcher().touchHandlers().size(), 1u);
    ASSERT_EQ(
        engine::ActionManager::sharedManager().numberOfRunningActionsInTarget(actor.get()), 1);
    journal.take();

    director.popScene();
    EXPECT_EQ(journal.take(), (Entries {"exit A"}));
    EXPECT_EQ(director.runningScene(), nullptr);
    EXPECT_TRUE(director.scenesStack().empty());
    EXPECT_FALSE(director.isAnimating());
    EXPECT_FALSE(director.isOpenGLAttached());
    EXPECT_TRUE(engine::TouchDispatcher::sharedDispatcher().touchHandlers().empty());
    EXPECT_EQ(purges, 1);
    // Cleaned up: its selector and its children's actions are gone for good.
    EXPECT_EQ(
        scene->scheduledTimer(engine::Selector::make(&LoggedScene::tick, scene.get())), nullptr);
    EXPECT_EQ(
        engine::ActionManager::sharedManager().numberOfRunningActionsInTarget(actor.get()), 0);
    auto before = presented();
    frame(3);
    EXPECT_EQ(presented(), before);
}

TEST_F(DirectorTest, EndingAnAlreadyDetachedDirectorRaisesNothing) {
    auto& director = attached();
    Journal journal;
    director.runWithScene(logged<LoggedScene>("A", journal));
    frame();
    director.stopAnimation();
    director.detach();
    EXPECT_EQ(raisedBy([&] { director.end(); }), "");
    EXPECT_EQ(director.runningScene(), nullptr);
}

TEST_F(DirectorTest, EndingFromInsideAFrameFinishesThatFrameSafely) {
    auto& director = attached();
    Journal journal;
    auto scene = logged<LoggedScene>("A", journal);
    scene->onTick = [&director](float) { director.popScene(); };
    director.runWithScene(scene);
    frame(3);
    EXPECT_EQ(journal.take(), (Entries {"enter A", "finish A", "draw A", "tick A", "exit A"}));
    EXPECT_FALSE(director.isAnimating());
    EXPECT_EQ(presented(), 2u);
}

TEST_F(DirectorTest, TransitionScenesAreNotToldByTheDirector) {
    auto& director = attached();
    Journal journal;
    director.runWithScene(logged<LoggedScene>("A", journal));
    frame();
    journal.take();

    // The incoming transition: the outgoing scene gets no exit from the director.
    director.replaceScene(logged<LoggedTransition>("T", journal));
    frame();
    EXPECT_EQ(journal.take(), (Entries {"tick A", "enter T", "finish T", "draw T"}));

    // Leaving a transition: the scene after it gets no enter from the director. (The scene
    // before it still runs: taking it off is the transition's work.)
    director.replaceScene(logged<LoggedScene>("B", journal));
    frame();
    EXPECT_EQ(journal.take(), (Entries {"tick A", "tick T", "exit T", "draw B"}));
    EXPECT_EQ(director.runningScene()->isRunning(), false);
}

TEST_F(DirectorTest, PausingDrawsFourTimesASecondWithoutTickingAndResumingCountsFromTheResume) {
    auto& director = attached();
    Journal journal;
    auto scene = logged<LoggedScene>("A", journal);
    auto actor = engine::SceneNode::node();
    scene->addChild(actor);
    actor->runAction(engine::MoveBy::actionWithDuration(100, Point {100, 0}));
    director.runWithScene(scene);
    frame(3);
    auto ticks = scene->ticks.size();
    Point position = actor->position();

    director.pause();
    EXPECT_TRUE(director.isPaused());
    EXPECT_DOUBLE_EQ(director.animationInterval(), 0.25);
    auto before = presented();
    foundation::RunLoop::main().runFor(1.1);
    EXPECT_EQ(presented(), before + 4);
    EXPECT_EQ(scene->ticks.size(), ticks);
    EXPECT_EQ(actor->position(), position);

    director.resume();
    EXPECT_FALSE(director.isPaused());
    EXPECT_DOUBLE_EQ(director.animationInterval(), 1.0 / 60);
    EXPECT_EQ(director.dt(), 0);
    frame();
    ASSERT_EQ(scene->ticks.size(), ticks + 1);
    EXPECT_NEAR(scene->ticks.back(), 1.0 / 60, 1e-4);
    EXPECT_NEAR(director.dt(), 1.0 / 60, 1e-4);
    EXPECT_GT(actor->position().x, position.x);
}

TEST_F(DirectorTest, PausingTwiceThenResumingOnceRestoresTheIntervalOfBeforeTheFirstPause) {
    auto& director = attached();
    director.setAnimationInterval(1.0 / 30);
    director.pause();
    director.pause();
    director.resume();
    EXPECT_DOUBLE_EQ(director.animationInterval(), 1.0 / 30);
    EXPECT_FALSE(director.isPaused());
    // Resuming when not paused changes nothing.
    director.setAnimationInterval(1.0 / 20);
    director.resume();
    EXPECT_DOUBLE_EQ(director.animationInterval(), 1.0 / 20);
}

TEST_F(DirectorTest, AnIntervalSetWhileStoppedIsUsedByTheNextStart) {
    auto& director = attached();
    director.setAnimationInterval(1.0 / 30);
    EXPECT_FALSE(director.isAnimating());
    Journal journal;
    director.runWithScene(logged<LoggedScene>("A", journal));
    frame();
    EXPECT_EQ(presented(), 0u);
    foundation::RunLoop::main().runFor(1.0 / 30);
    EXPECT_EQ(presented(), 1u);
    foundation::RunLoop::main().runFor(0.1);
    EXPECT_EQ(presented(), 4u);
    director.stopAnimation();
    EXPECT_FALSE(director.isAnimating());
    frame(4);
    EXPECT_EQ(presented(), 4u);
}

TEST_F(DirectorTest, FrameTimeFollowsTheWallClockAndNeverRunsBackwards) {
    auto& director = Director::sharedDirector();
    director.startAnimation();
    director.stopAnimation();

    clock->advance(0.5);
    director.calculateDeltaTime();
    EXPECT_NEAR(director.dt(), 0.5f, 1e-5);

    // A clock set back gives 0, and the next frame counts from the earlier reading.
    clock->setWallTime(clock->wallTime() - 10);
    director.calculateDeltaTime();
    EXPECT_EQ(director.dt(), 0);
    clock->advance(0.25);
    director.calculateDeltaTime();
    EXPECT_NEAR(director.dt(), 0.25f, 1e-5);

    director.setNextDeltaTimeZero(true);
    clock->advance(1.0);
    director.calculateDeltaTime();
    EXPECT_EQ(director.dt(), 0);
    EXPECT_FALSE(director.nextDeltaTimeZero());
    clock->advance(1.0 / 60);
    director.calculateDeltaTime();
    EXPECT_NEAR(director.dt(), 1.0f / 60, 1e-5);
}

TEST_F(DirectorTest, AnUnreadableClockGivesAZeroFrameOrRaisesWhenStartingOrResuming) {
    auto& director = Director::sharedDirector();
    director.startAnimation();
    double good = clock->wallTime();
    clock->advance(0.5);
    clock->setWallTime(std::numeric_limits<double>::quiet_NaN());
    director.calculateDeltaTime();
    EXPECT_EQ(director.dt(), 0);
    // The failed read did not move the previous frame's time.
    clock->setWallTime(good + 0.75);
    director.calculateDeltaTime();
    EXPECT_NEAR(director.dt(), 0.75f, 1e-5);

    clock->setWallTime(std::numeric_limits<double>::quiet_NaN());
    director.stopAnimation();
    std::string reason;
    EXPECT_EQ(raisedBy([&] { director.startAnimation(); }, &reason), "GetTimeOfDay");
    EXPECT_EQ(reason, "GetTimeOfDay abnormal error");
    EXPECT_FALSE(director.isAnimating());
    director.pause();
    EXPECT_EQ(raisedBy([&] { director.resume(); }), "GetTimeOfDay");
}

TEST_F(DirectorTest, TheCounterComputesTheRateOnceMoreThanThreeTenthsOfASecondHavePassed) {
    auto& director = attached();
    director.setDisplayFPS(true);
    Journal journal;
    director.runWithScene(logged<LoggedScene>("A", journal));
    // Without a text drawer the counter only counts.
    frame(17);
    EXPECT_EQ(director.frameRate(), 0);
    EXPECT_EQ(director.countedFrames(), 17);
    frame(2);
    EXPECT_NEAR(director.frameRate(), 60, 0.5);
    EXPECT_LE(director.countedFrames(), 1);
}

TEST_F(DirectorTest, ConvertsTouchesAndSizesPerOrientation) {
    struct Case {
        int orientation;
        Size surface;
        Point converted;
        Size winSize;
        ui::InterfaceOrientation statusBar;
    };
    // Every case converts the view point (10, 20).
    Case const cases[] = {
        {engine::DeviceOrientationPortrait, {480, 320}, {10, 300}, {480, 320},
            ui::InterfaceOrientation::Portrait},
        {engine::DeviceOrientationPortraitUpsideDown, {480, 320}, {470, 20}, {480, 320},
            ui::InterfaceOrientation::Portrait},
        {engine::DeviceOrientationLandscapeLeft, {320, 480}, {20, 10}, {480, 320},
            ui::InterfaceOrientation(3)},
        {engine::DeviceOrientationLandscapeRight, {320, 480}, {460, 310}, {480, 320},
            ui::InterfaceOrientation(4)},
    };
    auto& director = Director::sharedDirector();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.orientation);
        if (director.isOpenGLAttached())
            director.detach();
        director.attachInView(window.get(), makeRect(0, 0, c.surface.width, c.surface.height));
        director.setDeviceOrientation(c.orientation);
        EXPECT_EQ(director.convertCoordinate({10, 20}), c.converted);
        EXPECT_EQ(director.winSize(), c.winSize);
        EXPECT_EQ(director.displaySize(), c.surface);
        EXPECT_EQ(ui::Application::sharedApplication().statusBarOrientation(), c.statusBar);
        EXPECT_EQ(director.landscape(), c.orientation == engine::DeviceOrientationLandscapeLeft);
    }
    director.setLandscape(false);
    EXPECT_EQ(director.deviceOrientation(), engine::DeviceOrientationPortrait);
    director.setLandscape(true);
    EXPECT_EQ(director.deviceOrientation(), engine::DeviceOrientationLandscapeLeft);
}

TEST_F(DirectorTest, AnUnknownOrientationIsStoredAndLoggedWithoutTouchingTheStatusBar) {
    auto& director = attached();
    auto& application = ui::Application::sharedApplication();
    director.setDeviceOrientation(engine::DeviceOrientationLandscapeLeft);
    test::LogCapture log;
    director.setDeviceOrientation(7);
    EXPECT_EQ(director.deviceOrientation(), 7);
    EXPECT_TRUE(log.contains("Director: Unknown device orientation"));
    EXPECT_EQ(application.statusBarOrientation(), ui::InterfaceOrientation(3));
    // Any fixed answer will do for the conversion; it must not be garbage.
    EXPECT_EQ(director.convertCoordinate({10, 20}), director.convertCoordinate({10, 20}));

    // An unchanged orientation is ignored, status bar included.
    application.setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
    director.setDeviceOrientation(7);
    EXPECT_EQ(application.statusBarOrientation(), ui::InterfaceOrientation::Portrait);
}

TEST_F(DirectorTest, ATouchOnTheWindowReachesALayerInTheEnginesSpace) {
    class TouchLayer final : public engine::Layer {
    public:
        bool ccTouchesBegan(ui::TouchSet& touches, ui::Event*) override {
            began.push_back(convertTouchToNodeSpace(touches.anyObject()));
            return true;
        }
        std::vector<Point> began;

    private:
        friend base::Factory;

        TouchLayer() = default;
    };
    auto& director = attached();
    window->makeKeyAndVisible();
    auto scene = engine::Scene::node();
    auto layer = base::make<TouchLayer>();
    layer->setIsTouchEnabled(true);
    scene->addChild(layer);
    director.runWithScene(scene);
    frame();
    window->injectTouch(ui::TouchPhase::Began, {10, 20}, 1, 0);
    window->injectTouch(ui::TouchPhase::Ended, {10, 20}, 1, 0);
    EXPECT_EQ(layer->began, (std::vector<Point> {{10, 300}}));
}

TEST_F(DirectorTest, TheFastDirectorSpinsTheRunLoopUntilStopped) {
    test::LogCapture log;
    Director::useFastDirector();
    auto& director = Director::sharedDirector();
    auto* fast = dynamic_cast<engine::FastDirector*>(&director);
    ASSERT_NE(fast, nullptr);
    director.attachInView(window.get());

    director.setAnimationInterval(0.5);
    EXPECT_TRUE(log.contains("FastDirectory doesn't support setAnimationInterval, yet"));
    EXPECT_DOUBLE_EQ(director.animationInterval(), 1.0 / 60);

    Journal journal;
    auto scene = logged<LoggedScene>("A", journal);
    scene->onTick = [&](float) {
        clock->advance(1.0 / 60);
        if (scene->ticks.size() == 5)
            director.stopAnimation();
    };
    int timerFirings = 0;
    auto timer = foundation::Timer::scheduledTimer(
        0.05, [&](foundation::Timer&) { ++timerFirings; }, true);
    director.runWithScene(scene);
    EXPECT_TRUE(log.contains("start ani"));
    EXPECT_TRUE(fast->isRunning());
    EXPECT_EQ(presented(), 0u);

    foundation::RunLoop::main().runPending();
    EXPECT_FALSE(fast->isRunning());
    EXPECT_EQ(scene->ticks.size(), 5u);
    EXPECT_EQ(presented(), 6u);
    // The run loop kept working between frames: the clock moved 5/60 s, the timer fired.
    EXPECT_EQ(timerFirings, 1);
    timer->invalidate();
}

TEST_F(DirectorTest, APausedFastDirectorWaitsAQuarterSecondAFrameOnTheRunLoop) {
    Director::useFastDirector();
    auto& director = Director::sharedDirector();
    director.attachInView(window.get());
    Journal journal;
    auto scene = logged<LoggedScene>("A", journal);
    director.runWithScene(scene);
    director.pause();
    EXPECT_TRUE(director.isPaused());
    double start = clock->monotonic();
    auto stopper = foundation::Timer::scheduledTimer(
        1.0, [&](foundation::Timer&) { director.stopAnimation(); }, false);
    foundation::RunLoop::main().runPending();
    EXPECT_NEAR(clock->monotonic() - start, 1.0, 1e-9);
    EXPECT_EQ(presented(), 4u);
    EXPECT_TRUE(scene->ticks.empty());
}

using DirectorDeathTest = DirectorTest;

TEST_F(DirectorDeathTest, ProgrammingErrorsStopTheProgramWithTheirMessages) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(Director::sharedDirector().runWithScene(nullptr), "Argument must be non-nil");
    EXPECT_DEATH(Director::sharedDirector().pushScene(nullptr), "Argument must be non-nil");
    EXPECT_DEATH(Director::sharedDirector().popScene(), "A running Scene is needed");
    EXPECT_DEATH(
        Director::sharedDirector().initGLDefaultValues(), "openGLView_ must be initialized");
    EXPECT_DEATH(
        {
            Director::sharedDirector();
            Director::useFastDirector();
        },
        "A Director was alloced. To use Fast Director this must be the first call to Director");
    EXPECT_DEATH(
        {
            auto& director = attached();
            director.runWithScene(engine::Scene::node());
            frame();
            director.runWithScene(engine::Scene::node());
        },
        "You can't run an scene if another Scene is running. Use replaceScene or pushScene "
        "instead");
}
