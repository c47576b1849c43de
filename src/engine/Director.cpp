#include <engine/Director.hpp>

#include <base/Exception.hpp>
#include <base/Log.hpp>
#include <base/Verify.hpp>
#include <engine/ActionManager.hpp>
#include <engine/Camera.hpp>
#include <engine/EAGLView.hpp>
#include <engine/FastDirector.hpp>
#include <engine/GLMatrix.hpp>
#include <engine/Scheduler.hpp>
#include <engine/TouchDispatcher.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Timer.hpp>
#include <graphics/GLES.hpp>
#include <ui/Application.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>
#include <utility>

namespace engine {

namespace {

// Guards the making of the instance; recursive, because the instance is recorded before its
// initialisation ends and that initialisation may ask for it.
std::recursive_mutex& creationLock() {
    static std::recursive_mutex lock;
    return lock;
}

// Holds one count on the instance, which is never released while the program runs: it
// outlives every static that its surface and scenes refer to.
Director* instance = nullptr;

Director::FPSTextDrawer fpsTextDrawer = nullptr;
Director::SharedCachePurger textureCachePurger = nullptr;

constexpr double pausedAnimationInterval = 1.0 / 4;

}

Director& Director::sharedDirector() {
    return sharedDirectorMadeBy([] { return base::Ref<Director>(base::make<Director>()); });
}

Director& Director::sharedDirectorMadeBy(base::Ref<Director> (*make)()) {
    std::lock_guard lock(creationLock());
    if (!instance)
        make().leak();
    return *instance;
}

void Director::useFastDirector() {
    {
        std::lock_guard lock(creationLock());
        VERIFY_MSG(!instance,
            "A Director was alloced. To use Fast Director this must be the first call to Director");
    }
    FastDirector::sharedDirector();
}

void Director::purgeSharedDirector() {
    Director* old = nullptr;
    {
        std::lock_guard lock(creationLock());
        old = std::exchange(instance, nullptr);
    }
    if (!old)
        return;
    old->stopAnimation();
    if (&DirectorServices::current() == old)
        DirectorServices::install(nullptr);
    old->release();
}

void Director::setFPSTextDrawer(FPSTextDrawer drawer) {
    fpsTextDrawer = drawer;
}

void Director::setTextureCachePurger(SharedCachePurger purger) {
    textureCachePurger = purger;
}

Director::Director() {
    std::lock_guard lock(creationLock());
    VERIFY_MSG(!instance, "Attempted to allocate a second instance of a singleton.");
    instance = this;
    scenesStack_.reserve(10);
    DirectorServices::install(this);
}

Director::~Director() {
    if (&DirectorServices::current() == this)
        DirectorServices::install(nullptr);
    std::lock_guard lock(creationLock());
    if (instance == this)
        instance = nullptr;
}

void Director::initGLDefaultValues() {
    VERIFY_MSG(openGLView_, "openGLView_ must be initialized");
    setAlphaBlending(true);
    setDepthTest(true);
    setDefaultProjection();
    glClearColor(0, 0, 0, 1);
}

void Director::mainLoop() {
    // A scene may end the director during the tick; the frame still finishes.
    base::Ref<Director> keep(this);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    calculateDeltaTime();
    if (!isPaused_)
        Scheduler::sharedScheduler().tick(dt_);
    if (nextScene_)
        setNextScene();
    glPushMatrix();
    applyLandscape();
    if (runningScene_)
        runningScene_->visit();
    if (displayFPS_)
        showFPS();
    glPopMatrix();
    if (openGLView_) {
        // The views (alerts, controls) go over the scene, in the same frame.
        openGLView_->drawWindowsOver(ui::Screen::mainScreen().bounds().size);
        openGLView_->swapBuffers();
    }
}

bool Director::readClock(TimeValue& time) {
    double now = foundation::Clock::current().wallTime();
    if (!std::isfinite(now))
        return false;
    double seconds = std::floor(now);
    if (seconds < double(std::numeric_limits<std::int32_t>::min())
        || seconds > double(std::numeric_limits<std::int32_t>::max()))
        return false;
    time.seconds = std::int32_t(seconds);
    time.microseconds = std::int32_t(std::fmin((now - seconds) * 1e6, 999999.0));
    return true;
}

void Director::resetLastUpdate() {
    if (!readClock(lastUpdate_))
        throw base::Exception("GetTimeOfDay", "GetTimeOfDay abnormal error");
}

void Director::calculateDeltaTime() {
    TimeValue now;
    if (!readClock(now)) {
        dt_ = 0;
        return;
    }
    if (nextDeltaTimeZero_) {
        dt_ = 0;
        nextDeltaTimeZero_ = false;
    } else {
        dt_ = float(std::int64_t(now.seconds) - lastUpdate_.seconds)
            + float(std::int64_t(now.microseconds) - lastUpdate_.microseconds) / 1000000.0f;
        // A clock set back never makes time run backwards for the scene.
        if (!(dt_ > 0))
            dt_ = 0;
    }
    lastUpdate_ = now;
}

void Director::setPixelFormat(int format) {
    if (isOpenGLAttached())
        throw base::Exception("DirectorAlreadyInitialized",
            "Can't change the pixel format after the director was initialized");
    pixelFormat_ = format;
}

void Director::setDepthBufferFormat(int format) {
    if (isOpenGLAttached())
        throw base::Exception("DirectorAlreadyInitialized",
            "Can't change the depth buffer format after the director was initialized");
    depthBufferFormat_ = format;
}

void Director::setDefaultProjection() {
    set3Dprojection();
}

void Director::set2Dprojection() {
    Size size = displaySize();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, size.width, 0, size.height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Director::set3Dprojection() {
    // Without a surface there is nothing to project onto, and a zero height would put NaNs
    // into the projection.
    if (!openGLView_)
        return;
    Size size = displaySize();
    // The viewport counts pixels: at a window scale above 1 the frame's points cover more.
    float scale = openGLView_->contentScaleFactor();
    glViewport(0, 0, GLsizei(size.width * scale), GLsizei(size.height * scale));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    SetPerspective(60, size.width / size.height, 0.5f, 1500.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetLookAt(size.width / 2, size.height / 2, Camera::getZEye(), size.width / 2, size.height / 2,
        0, 0, 1, 0);
}

void Director::setAlphaBlending(bool on) {
    if (on) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

void Director::setTexture2D(bool on) {
    if (on)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

void Director::setDepthTest(bool on) {
    if (on) {
        glClearDepthf(1.0f);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

bool Director::isOpenGLAttached() const {
    return openGLView_ && openGLView_->superview();
}

bool Director::detach() {
    if (!isOpenGLAttached())
        throw base::Exception("kccException_OpenGLViewNotAttached",
            "Can't detach the OpenGL View, because it is not attached. Attach it first.");
    openGLView_->removeFromSuperview();
    if (isOpenGLAttached())
        throw base::Exception("kccException_OpenGLViewCantDetach",
            "Can't detach the OpenGL View, it is still attached to the superview.");
    return true;
}

bool Director::attachInWindow(ui::Window* window) {
    return attachInView(window, window->bounds());
}

bool Director::attachInView(ui::View* view) {
    return attachInView(view, view->bounds());
}

bool Director::attachInView(ui::View* view, Rect frame) {
    return initOpenGLViewWithView(view, frame);
}

bool Director::initOpenGLViewWithView(ui::View* view, Rect frame) {
    VERIFY_MSG(view, "Argument must be non-nil");
    if (isOpenGLAttached())
        throw base::Exception("kccException_OpenGLViewAlreadyAttached",
            "Can't re-attach the OpenGL View, because it is already attached. Detach it first.");

    if (openGLView_) {
        openGLView_->setFrame(frame);
        // The platform lays a view out before it next draws; doing it now keeps the buffers
        // in step with the projection set below.
        openGLView_->layoutIfNeeded();
    } else {
        auto format = pixelFormat_ == PixelFormatRGBA8888 ? graphics::ColorFormat::RGBA8
                                                          : graphics::ColorFormat::RGB565;
        GLenum depthFormat = 0;
        if (depthBufferFormat_ == DepthBuffer16)
            depthFormat = GL_DEPTH_COMPONENT16_OES;
        else if (depthBufferFormat_ == DepthBuffer24)
            depthFormat = GL_DEPTH_COMPONENT24_OES;
        openGLView_ = EAGLView::initWithFrame(frame, format, depthFormat, false);
        if (!openGLView_)
            throw base::Exception(
                "kccException_OpenGLViewCantInit", "Could not alloc and init the OpenGL View.");
        openGLView_->setAutoresizesEAGLSurface(true);
    }

    auto& dispatcher = TouchDispatcher::sharedDispatcher();
    openGLView_->setTouchDelegate(&dispatcher);
    openGLView_->setUserInteractionEnabled(view->isUserInteractionEnabled());
    dispatcher.setDispatchEvents(view->isUserInteractionEnabled());
    openGLView_->setMultipleTouchEnabled(view->isMultipleTouchEnabled());

    view->addSubview(openGLView_);
    if (!isOpenGLAttached())
        throw base::Exception("kccException_OpenGLViewCantAttach", "Can't attach the OpenGL View.");
    initGLDefaultValues();
    return true;
}

Point Director::convertCoordinate(Point p) const {
    Size size = displaySize();
    float w = size.width;
    float h = size.height;
    switch (deviceOrientation_) {
    case DeviceOrientationPortrait:
        return {p.x, h - p.y};
    case DeviceOrientationPortraitUpsideDown:
        return {w - p.x, p.y};
    case DeviceOrientationLandscapeLeft:
        return {p.y, p.x};
    case DeviceOrientationLandscapeRight:
        return {h - p.y, w - p.x};
    default:
        // Only an unchecked orientation gets here; the point is left as it is.
        return p;
    }
}

Size Director::displaySize() const {
    return openGLView_ ? openGLView_->frame().size : Size {};
}

float Director::contentScaleFactor() const {
    return openGLView_ ? openGLView_->contentScaleFactor() : 1;
}

void Director::setDeviceOrientation(int orientation) {
    if (orientation == deviceOrientation_)
        return;
    deviceOrientation_ = orientation;
    auto& application = ui::Application::sharedApplication();
    switch (orientation) {
    case DeviceOrientationPortrait:
    case DeviceOrientationPortraitUpsideDown:
        application.setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
        break;
    case DeviceOrientationLandscapeLeft:
        application.setStatusBarOrientation(ui::InterfaceOrientation(3));
        break;
    case DeviceOrientationLandscapeRight:
        application.setStatusBarOrientation(ui::InterfaceOrientation(4));
        break;
    default:
        base::logLine("Director: Unknown device orientation");
        break;
    }
}

void Director::setLandscape(bool landscape) {
    setDeviceOrientation(landscape ? DeviceOrientationLandscapeLeft : DeviceOrientationPortrait);
}

void Director::applyLandscape() {
    switch (deviceOrientation_) {
    case DeviceOrientationLandscapeRight:
        glTranslatef(160, 240, 0);
        glRotatef(90, 0, 0, 1);
        glTranslatef(-240, -160, 0);
        break;
    case DeviceOrientationLandscapeLeft:
        glTranslatef(160, 240, 0);
        glRotatef(-90, 0, 0, 1);
        glTranslatef(-240, -160, 0);
        break;
    case DeviceOrientationPortraitUpsideDown:
        glTranslatef(160, 240, 0);
        glRotatef(180, 0, 0, 1);
        glTranslatef(-160, -240, 0);
        break;
    default:
        break;
    }
}

void Director::runWithScene(base::Ref<Scene> scene) {
    VERIFY_MSG(scene, "Argument must be non-nil");
    VERIFY_MSG(!runningScene_,
        "You can't run an scene if another Scene is running. Use replaceScene or pushScene "
        "instead");
    pushScene(std::move(scene));
    startAnimation();
}

void Director::pushScene(base::Ref<Scene> scene) {
    VERIFY_MSG(scene, "Argument must be non-nil");
    nextScene_ = scene.get();
    scenesStack_.push_back(std::move(scene));
}

void Director::replaceScene(base::Ref<Scene> scene) {
    VERIFY_MSG(scene, "Argument must be non-nil");
    nextScene_ = scene.get();
    // With nothing on the stack there is no top to replace: the scene becomes the only one.
    if (scenesStack_.empty())
        scenesStack_.push_back(std::move(scene));
    else
        scenesStack_.back() = std::move(scene);
}

void Director::popScene() {
    VERIFY_MSG(runningScene_, "A running Scene is needed");
    scenesStack_.pop_back();
    if (scenesStack_.empty())
        end();
    else
        nextScene_ = scenesStack_.back().get();
}

void Director::end() {
    base::Ref<Director> keep(this);
    if (runningScene_) {
        base::Ref<Scene> scene = std::move(runningScene_);
        scene->onExit();
        scene->cleanup();
    }
    nextScene_ = nullptr;
    scenesStack_.clear();
    TouchDispatcher::sharedDispatcher().removeAllDelegates();
    stopAnimation();
    // A surface already detached (the game detaches before it ends) is no reason to fail.
    if (isOpenGLAttached())
        detach();
    Scheduler::purgeSharedScheduler();
    ActionManager::purgeSharedManager();
    if (textureCachePurger)
        textureCachePurger();
}

void Director::setNextScene() {
    bool runningIsTransition = dynamic_cast<TransitionScene*>(runningScene_.get()) != nullptr;
    bool newIsTransition = dynamic_cast<TransitionScene*>(nextScene_) != nullptr;
    if (!newIsTransition && runningScene_)
        runningScene_->onExit();
    runningScene_ = base::Ref<Scene>(nextScene_);
    nextScene_ = nullptr;
    if (!runningIsTransition && runningScene_) {
        runningScene_->onEnter();
        runningScene_->onEnterTransitionDidFinish();
    }
}

void Director::pause() {
    if (isPaused_)
        return;
    oldAnimationInterval_ = animationInterval_;
    setAnimationInterval(pausedAnimationInterval);
    isPaused_ = true;
}

void Director::resume() {
    if (!isPaused_)
        return;
    setAnimationInterval(oldAnimationInterval_);
    resetLastUpdate();
    isPaused_ = false;
    dt_ = 0;
}

void Director::startAnimation() {
    if (animationTimer_)
        return;
    resetLastUpdate();
    // The timer holds the director, as the platform's timer retains its target, until it is
    // invalidated.
    animationTimer_ = foundation::Timer::scheduledTimer(
        animationInterval_,
        [director = base::Ref<Director>(this)](foundation::Timer&) { director->mainLoop(); }, true);
}

void Director::stopAnimation() {
    if (!animationTimer_)
        return;
    auto timer = std::move(animationTimer_);
    timer->invalidate();
}

void Director::setAnimationInterval(double interval) {
    animationInterval_ = interval;
    if (animationTimer_) {
        stopAnimation();
        startAnimation();
    }
}

void Director::showFPS() {
    ++frames_;
    accumDt_ += dt_;
    if (double(accumDt_) > 0.3) {
        frameRate_ = float(frames_) / accumDt_;
        frames_ = 0;
        accumDt_ = 0;
    }
    if (!fpsTextDrawer)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", double(frameRate_));
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4ub(224, 224, 244, 200);
    fpsTextDrawer(text);
    // The counter's tint would otherwise colour whatever next draws with the current colour.
    glColor4ub(255, 255, 255, 255);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

}
