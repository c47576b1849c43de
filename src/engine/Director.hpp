#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/Forward.hpp>
#include <engine/Scene.hpp>
#include <ui/Forward.hpp>

#include <cstdint>
#include <vector>

namespace foundation {
class Timer;
}

namespace engine {

// The device orientations, numbered as the platform numbers them.
inline constexpr int DeviceOrientationPortrait = 1;
inline constexpr int DeviceOrientationPortraitUpsideDown = 2;
inline constexpr int DeviceOrientationLandscapeLeft = 3;
inline constexpr int DeviceOrientationLandscapeRight = 4;

// The colour formats of the drawing surface.
inline constexpr int PixelFormatRGB565 = 0;
inline constexpr int PixelFormatRGBA8888 = 1;
// The depth-buffer formats of the drawing surface.
inline constexpr int DepthBufferNone = 0;
inline constexpr int DepthBuffer16 = 1;
inline constexpr int DepthBuffer24 = 2;

// The engine's conductor. It owns the drawing surface (an EAGLView) and attaches it to a host
// view, sets the GL state and projection, keeps the stack of scenes and drives the frame: a
// repeating run-loop timer calls mainLoop, which measures the frame time, ticks the Scheduler
// (which steps the ActionManager and every scheduled selector), swaps in a waiting scene,
// draws the running scene and presents. It converts touch positions from view space (origin
// top-left) to the engine's (origin bottom-left), and answers the node tree as its
// DirectorServices from the moment it is made.
//
// One per process, made on first sharedDirector() (or as a FastDirector through
// useFastDirector()) and kept until the process ends. Main thread only; only the creation of
// the instance is locked.
//
// Scene changes never happen at the call: runWithScene, pushScene, replaceScene and popScene
// name the next scene, and the next frame swaps it in after its scheduler tick and before it
// draws. So a new scene's onEnter runs inside that frame and its scheduled selectors first
// fire on the frame after.
class Director : public base::Object, public DirectorServices {
public:
    // Made under a lock on first use, as a Director.
    static Director& sharedDirector();
    // Makes the instance a FastDirector; must come before any other use of the director.
    static void useFastDirector();
    // Stops the frame timer, uninstalls the director from the node tree and drops the
    // instance, so that the next sharedDirector() makes a new one (tests).
    static void purgeSharedDirector();

    // The frame-rate counter draws text, which the text engine renders: it installs a
    // function that draws the text as a 100 x 30 point texture (left-aligned, "Arial" at 24
    // points) with its lower-left corner at (5, 2), in the GL state the counter sets up.
    // Without one the counter only counts.
    using FPSTextDrawer = void (*)(char const* text);
    static void setFPSTextDrawer(FPSTextDrawer drawer);
    // end() releases the shared texture cache through this, once the texture code installs
    // it, after the scheduler and the action manager.
    using SharedCachePurger = void (*)();
    static void setTextureCachePurger(SharedCachePurger purger);

    ~Director() override;

    // The GL state of a new surface: premultiplied blending, depth test, the default
    // projection and an opaque black clear colour. Needs the surface.
    void initGLDefaultValues();

    // One frame: clear, measure dt, tick the scheduler unless paused, swap in the next
    // scene, draw (with the frame-rate counter when on) and present.
    virtual void mainLoop();
    // dt := the wall-clock time since the previous frame, 0 when it would be negative, when
    // the clock cannot be read, or once after setNextDeltaTimeZero(true).
    void calculateDeltaTime();

    // Raise "DirectorAlreadyInitialized" once the surface is attached; before that they take
    // effect when the surface is made.
    void setPixelFormat(int format);
    void setDepthBufferFormat(int format);
    int pixelFormat() const override { return pixelFormat_; }
    int depthBufferFormat() const { return depthBufferFormat_; }

    void setDefaultProjection();
    // Orthographic over the surface frame, identity model-view; the viewport is left alone.
    void set2Dprojection();
    // Viewport over the surface, 60-degree perspective, the eye at Camera::getZEye() above
    // the centre.
    void set3Dprojection();
    void setAlphaBlending(bool on);
    void setTexture2D(bool on);
    void setDepthTest(bool on);

    // Attaching and detaching the surface. Each raises its named exception on misuse:
    // "kccException_OpenGLViewAlreadyAttached", "kccException_OpenGLViewCantInit",
    // "kccException_OpenGLViewCantAttach", "kccException_OpenGLViewNotAttached",
    // "kccException_OpenGLViewCantDetach".
    bool isOpenGLAttached() const;
    bool detach();
    bool attachInWindow(ui::Window* window);
    bool attachInView(ui::View* view);
    bool attachInView(ui::View* view, Rect frame);
    bool initOpenGLViewWithView(ui::View* view, Rect frame);

    // DirectorServices. winSize() is the display size, swapped for orientations 3 and 4.
    Point convertCoordinate(Point locationInView) const override;
    Size displaySize() const override;
    // 1 without a surface.
    float contentScaleFactor() const override;
    int deviceOrientation() const override { return deviceOrientation_; }
    void setDeviceOrientation(int orientation);
    bool landscape() const { return deviceOrientation_ == DeviceOrientationLandscapeLeft; }
    void setLandscape(bool landscape);
    // The orientation's rotation of the model-view matrix, for a 320 x 480 portrait screen.
    void applyLandscape();

    // The scene stack. Scenes are retained by the stack; the running scene by the director.
    void runWithScene(base::Ref<Scene> scene);
    void pushScene(base::Ref<Scene> scene);
    void replaceScene(base::Ref<Scene> scene);
    void popScene();
    // Stops everything: the running scene exits and is cleaned up, the stack is emptied,
    // touch handlers are removed, the timer stops, the surface is detached (when attached)
    // and the shared scheduler, action manager and texture cache are released.
    void end();
    // The swap itself, as the frame does it.
    void setNextScene();

    // Pausing keeps drawing four times a second but no longer ticks the scheduler.
    void pause();
    void resume();
    virtual void startAnimation();
    virtual void stopAnimation();
    virtual void setAnimationInterval(double interval);
    double animationInterval() const { return animationInterval_; }

    void showFPS();

    Scene* runningScene() const { return runningScene_.get(); }
    Scene* nextScene() const { return nextScene_; }
    std::vector<base::Ref<Scene>> const& scenesStack() const { return scenesStack_; }
    bool displayFPS() const { return displayFPS_; }
    void setDisplayFPS(bool display) { displayFPS_ = display; }
    EAGLView* openGLView() const { return openGLView_.get(); }
    bool nextDeltaTimeZero() const { return nextDeltaTimeZero_; }
    void setNextDeltaTimeZero(bool zero) { nextDeltaTimeZero_ = zero; }
    bool isPaused() const { return isPaused_; }
    // The current frame's time, and the frame-rate counter's state.
    float dt() const { return dt_; }
    float frameRate() const { return frameRate_; }
    int countedFrames() const { return frames_; }
    bool isAnimating() const { return bool(animationTimer_); }

protected:
    // A wall-clock reading as seconds and microseconds.
    struct TimeValue {
        std::int32_t seconds {0};
        std::int32_t microseconds {0};
    };
    // False when the clock's reading does not fit.
    static bool readClock(TimeValue& time);
    // Sets lastUpdate to now; raises "GetTimeOfDay" when the clock cannot be read.
    void resetLastUpdate();

    // The instance, made by make when there is none.
    static Director& sharedDirectorMadeBy(base::Ref<Director> (*make)());

private:
    base::Ref<EAGLView> openGLView_;
    base::Ref<foundation::Timer> animationTimer_;
    double animationInterval_ {1.0 / 60};
    double oldAnimationInterval_ {1.0 / 60};
    int pixelFormat_ {PixelFormatRGB565};
    int depthBufferFormat_ {DepthBufferNone};
    int deviceOrientation_ {DeviceOrientationPortrait};
    bool displayFPS_ {false};
    int frames_ {0};
    float accumDt_ {0};
    float frameRate_ {0};
    bool isPaused_ {false};
    base::Ref<Scene> runningScene_;
    // Not retained here: the stack holds it.
    Scene* nextScene_ {nullptr};
    std::vector<base::Ref<Scene>> scenesStack_;
    TimeValue lastUpdate_;
    float dt_ {0};
    bool nextDeltaTimeZero_ {false};

protected:
    friend base::Factory;

    // Use sharedDirector(). A second instance
    // is a broken invariant.
    Director();
};

}
