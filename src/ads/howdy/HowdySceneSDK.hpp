#pragma once

#include <ads/howdy/HowdySDK.hpp>

namespace ads::howdy {

// What the engine variant of the check-in client needs of the scene engine's
// director: the view it draws into and its pause and resume. The game installs one
// over its director; the client sits below the engine and cannot reach it itself.
class HowdyDirector {
public:
    virtual ~HowdyDirector() = default;
    // Null while the engine has no view.
    virtual ui::View* openGLView() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
};

// The check-in client for a game drawn by the scene engine: its explain screen goes
// over the engine's view, and the engine is paused while the screen shows. Only a
// client started through this class is one; the operations of HowdySDK's shared
// instance are the same through either class. Main thread only.
class HowdySceneSDK final : public HowdySDK {
public:
    static HowdySDK* startHowdyWithAppId(std::string const& appId);
    static HowdySDK* startHowdyWithAppId(
        std::string const& appId, std::optional<std::string> const& appURL);

    // The director the variant works on (not retained; null: none).
    static void setDirector(HowdyDirector* director);
    static HowdyDirector* director();

    // Adds the view to the director's view; false when there is none.
    bool addHowdyAsSubview(base::Ref<ui::View> const& view) override;
    void howdyWillAppear(bool animated) override;
    void howdyWillDisappear(bool animated) override;
    void howdyDidDisappear(bool animated) override;

private:
    friend base::Factory;
    using HowdySDK::HowdySDK;
};

}
