#pragma once

#include <engine/Label.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Sprite.hpp>

namespace game {

// The banner that slides up from the bottom edge of the salon for 2.5 s when the day's
// challenge is met ("Challenge Complete") or lost ("Challenge Failed"). It lays itself
// out and starts at once; the salon only adds it to its layer (z 10000), and it removes
// itself with cleanup at the end. Its action keeps it alive until then. Main thread.
class QuestNotification final : public engine::SceneNode {
public:
    static base::Ref<QuestNotification> initComplete();
    static base::Ref<QuestNotification> initFail();

    // Puts the bar just below the bottom edge, centred.
    void layout();
    // Up by the bar's height in 0.25 s, 2 s on screen, down again in 0.25 s, then destroy.
    void show();
    // Removes the banner from its parent with cleanup.
    void destroy();
    // Takes the label off the bar and the bar off the banner.
    void cleanup() override;

    engine::Sprite* bar() const { return _bar.get(); }
    engine::Label* info() const { return _info.get(); }

private:
    friend base::Factory;
    QuestNotification() = default;

    static base::Ref<QuestNotification> make(char const* text);

    base::Ref<engine::Sprite> _bar;
    base::Ref<engine::Label> _info;
};

}
