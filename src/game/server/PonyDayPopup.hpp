#pragma once

#include <engine/Layer.hpp>

#include <string>

namespace engine {
class Label;
class Sprite;
}

namespace game {

// The popup at the end of a pony day: a panel with the pony icon, the server's
// message, a close button and a "Download" button that opens the store page of the
// promoted product, over a dimming background that fades in once the panel has
// popped in. The answer is logged once as "PonyDay_Finish": "clickthru" when the
// player presses Download (every press opens the page), else "dismiss" when the
// player closes it. While it is up it takes every touch that begins, so nothing
// below it is touched. Its parent owns it; closing removes it. Main thread only.
//
// The phone layout is given in points around the popup's origin. The tablet draws the
// same pictures at twice their size, so there the popup stands at the screen's centre
// with every offset, the text box and the fonts doubled, and the dimming picture is
// scaled to cover the larger screen.
class PonyDayPopup final : public engine::Layer {
public:
    // The numeric store id of the promoted product.
    static constexpr char const* promotedProductID = "593428017";

    // A popup of text, at the screen's centre with scale 0; with a parent it is added there at
    // z and pops in (1.2 in 0.2 s, 0.9 in 0.1 s, 1.0 in 0.1 s), then dims what lies
    // behind it.
    static base::Ref<PonyDayPopup> showWithText(
        std::string const& text, engine::SceneNode* parent, int z);
    static base::Ref<PonyDayPopup> initWithText(std::string const& text);

    // The store page of the promoted product on the configured store host; empty
    // when no store host is configured.
    static std::string storeLink();

    // The panel, the dimming background, the icon and both buttons; the text keeps
    // its own.
    void setOpacity(std::uint8_t opacity);
    void showDimBG();
    void hideDimBG();
    // Leaves the parent, with clean-up.
    void hide();

    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesMoved(ui::TouchSet&, ui::Event*) override { return false; }
    bool ccTouchesEnded(ui::TouchSet&, ui::Event*) override { return false; }

    engine::Sprite* popupBG() const { return _popupBG.get(); }
    engine::Sprite* popupBG2() const { return _popupBG2.get(); }
    engine::Sprite* popupIcon() const { return _popupIcon.get(); }
    engine::Sprite* popupDownloadButton() const { return _popupDownloadButton.get(); }
    engine::Sprite* popupDismissButton() const { return _popupDismissButton.get(); }
    engine::Label* popupLabel() const { return _popupLabel.get(); }
    bool ponyDayClickThru() const { return _ponyDayClickThru; }
    bool isClosing() const { return closing_; }

private:
    friend base::Factory;
    explicit PonyDayPopup(std::string const& text);

    static bool hits(engine::Sprite const& button, engine::Point point);
    void close();
    void download();

    base::Ref<engine::Sprite> _popupBG;
    base::Ref<engine::Sprite> _popupBG2;
    base::Ref<engine::Sprite> _popupIcon;
    base::Ref<engine::Sprite> _popupDownloadButton;
    base::Ref<engine::Sprite> _popupDismissButton;
    base::Ref<engine::Label> _popupLabel;
    bool _ponyDayClickThru {false};
    // Set once the close button is pressed: the closing animation runs and later
    // touches are swallowed without acting, so the answer is logged only once.
    bool closing_ {false};
};

}
