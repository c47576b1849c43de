#pragma once

#include <ads/bountix/BTXFeaturedApp.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <game/shell/DownloadManager.hpp>
#include <ui/ViewController.hpp>

#include <string>
#include <string_view>

namespace ui {
class Button;
class ImageView;
class Label;
}

namespace game {

// The game's own modal screen for the offer service's featured application: its
// name, cost, icon and the reward the player earns, a download button that hands the
// application's store link to the system and a close button. Laid out in code for the
// device (the phone's or the tablet's landscape screen); turns with landscape only.
//
// The icon comes through the shell's download manager: from creation until the icon
// has arrived or the screen closes, the screen is one of its delegates, and it leaves
// the list when it goes, so the manager never calls a dead screen. Presented by the
// root view controller, which keeps it while it shows. Main thread only.
class BountixFeaturedAppViewController : public ui::ViewController, public DownloadManagerDelegate {
public:
    static base::Ref<BountixFeaturedAppViewController> initWithNibName();

    // Read when the view loads: set it before the screen is presented.
    void setFeaturedAppModel(base::Ref<ads::bountix::BTXFeaturedAppModel> model) {
        featuredAppModel_ = std::move(model);
    }
    ads::bountix::BTXFeaturedAppModel* featuredAppModel() const { return featuredAppModel_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    // Leaves the download manager's list, asks the prize wheel for the daily bonus when
    // the player has money, and dismisses the screen.
    void closeOnClick();
    // Hands the model's store link to the system.
    void downloadOnClick();

    void downloadDidFinish(std::string const& url, base::Bytes const& data) override;

    // The text with each complete numeric character reference ("&#233;" or "&#xE9;")
    // replaced by its character in UTF-8. A reference without its ";", with no digits,
    // or naming no character (0, a surrogate, above U+10FFFF) stays as it is.
    static std::string decodeHtmlUnicodeCharactersToString(std::string_view text);

    ui::Label* iEarnLabel() const { return iEarnLabel_.get(); }
    ui::Label* iAppNameLabel() const { return iAppNameLabel_.get(); }
    ui::Label* iAppCostLabel() const { return iAppCostLabel_.get(); }
    ui::ImageView* iAppIconImageView() const { return iAppIconImageView_.get(); }
    ui::ImageView* ifreePointsImageView() const { return ifreePointsImageView_.get(); }
    ui::Button* closeButton() const { return closeButton_.get(); }
    ui::Button* downloadButton() const { return downloadButton_.get(); }

protected:
    friend base::Factory;
    BountixFeaturedAppViewController();
    ~BountixFeaturedAppViewController() override;

private:
    base::Ref<ads::bountix::BTXFeaturedAppModel> featuredAppModel_;
    base::Ref<ui::Label> iEarnLabel_;
    base::Ref<ui::Label> iAppNameLabel_;
    base::Ref<ui::Label> iAppCostLabel_;
    base::Ref<ui::ImageView> iAppIconImageView_;
    base::Ref<ui::ImageView> ifreePointsImageView_;
    base::Ref<ui::Button> closeButton_;
    base::Ref<ui::Button> downloadButton_;
};

}
