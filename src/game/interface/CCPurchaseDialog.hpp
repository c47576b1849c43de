#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <engine/Label.hpp>
#include <engine/Layer.hpp>
#include <engine/Sprite.hpp>

#include <optional>
#include <string>

namespace game {

class CCPurchaseDialog;

// Told what the player chose in a purchase dialog. Both calls come on the main thread
// from the dialog's own handlers; the dialog may be removed from its parent in either.
class CCPurchaseDialogDelegate {
public:
    virtual ~CCPurchaseDialogDelegate() = default;
    // The closing animation has ended. The response is the last accepted press (1,
    // cancel, when nothing was pressed); the item is a copy of the dialog's own that
    // nobody changes.
    virtual void purchaseDialogDidDismissWithResponse(
        CCPurchaseDialog& dialog, int response, base::Ref<base::Dictionary const> item)
        = 0;
    // A button press was accepted; the item is the dialog's own dictionary.
    virtual void purchaseDialogDidSelectResponse(
        CCPurchaseDialog& dialog, int response, base::Dictionary const& item)
        = 0;
};

// The modal panel that asks the player to confirm a purchase: the item's picture,
// name, description and price, the current Vov Azavuz and money, and three buttons
// (buy, cancel, get more of the item's currency). It spends nothing: it reports the
// choice to its delegate, which buys once the dialog has closed on the buy response.
//
// The item is a dictionary (see the keys below) copied at construction. The buy button
// is grey and ignores taps while the balance of the item's currency is below the price
// ("cost"; absent counts as 0, and an equal balance is enough). The picture of an item
// whose "uid" contains "dlc" is a file of the data folder; any other item's is a bundle
// picture. A data-folder name that is empty or holds "/", "\" or "..", or an absolute
// bundle name, is refused with a log line, and the dialog shows no picture.
//
// Its owner adds it to a layer, calls showDialogFromPosition, and removes it (with
// cleanup) after the delegate has heard of the dismissal; the dialog never removes
// itself. The delegate is not retained. While shown it takes every touch. Main thread.
class CCPurchaseDialog final : public engine::Layer {
public:
    // Keys of the item dictionary.
    static constexpr char const* keyUid = "uid";
    static constexpr char const* keyName = "name";
    static constexpr char const* keyDesc = "desc";
    static constexpr char const* keyType = "type";
    static constexpr char const* keyCostType = "cost_type";
    static constexpr char const* keyCost = "cost";
    static constexpr char const* keyData = "data";
    static constexpr char const* keyThumb = "thumb";
    static constexpr char const* keyPurchase = "purchase";
    static constexpr char const* keyDataKey = "data_key";
    static constexpr char const* keyLotSize = "lot_size";

    enum Response { Buy = 0, Cancel = 1, GetPetPoints = 2, GetMoney = 3 };
    // The tags of the panel's growing and shrinking sequences.
    static constexpr int showActionTag = 24;
    static constexpr int dismissActionTag = 25;

    // Builds every node, hidden: nothing moves until showDialogFromPosition.
    static base::Ref<CCPurchaseDialog> initDialogWithDictionary(
        base::Dictionary const& item, CCPurchaseDialogDelegate* delegate);

    // Takes touches and grows the panel from the point (this layer's space) to the
    // screen's centre while the backdrop fades in; updates the balances every frame.
    void showDialogFromPosition(engine::Point point);
    // Lets go of touches and shrinks the panel back to where it grew from; when the
    // backdrop has faded out, hideDimBG tells the delegate.
    void dismissDialog();
    void hideDimBG();
    // The balances and the buy button's tint.
    void update(float dt);

    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesMoved(ui::TouchSet&, ui::Event*) override { return true; }
    bool ccTouchesEnded(ui::TouchSet&, ui::Event*) override { return true; }
    bool ccTouchesCancelled(ui::TouchSet&, ui::Event*) override { return true; }
    void cleanup() override;

    // Whether the item is priced in Vov Azavuz ("cost_type" "pp") rather than money.
    bool isPetPointPrice() const;
    // The price; 0 without one.
    int cost() const;
    // Whether the balance of the item's currency covers the price now.
    bool canAfford() const;
    // The localized title for the item: hire, upgrade or purchase.
    static std::string titleFor(base::Dictionary const& item);
    // The path of the item's picture: a data-folder path when the uid names
    // downloadable content, else the bundle name as it stands; none without a
    // picture or when its name is refused.
    static std::optional<std::string> thumbnailPath(base::Dictionary const& item);

    int response() const { return resp; }
    base::Dictionary const& config() const { return *_config; }
    CCPurchaseDialogDelegate* delegate() const { return _delegate; }
    engine::Point startPosition() const { return _startPos; }
    engine::Sprite* bg() const { return _bg.get(); }
    engine::Sprite* logo() const { return _logo.get(); }
    engine::Sprite* dim() const { return _dim.get(); }
    engine::Sprite* buttonOK() const { return _buttonOK.get(); }
    engine::Sprite* buttonCancel() const { return _buttonCancel.get(); }
    engine::Sprite* buttonPoints() const { return _buttonPoints.get(); }
    engine::Sprite* thumbnail() const { return _thumbnail.get(); }
    engine::Sprite* ppIcon() const { return _ppIcon.get(); }
    engine::Sprite* ppStatus() const { return _ppStatus.get(); }
    engine::Sprite* cashStatus() const { return _cashStatus.get(); }
    engine::Label* titleLabel() const { return _titleLabel.get(); }
    engine::Label* nameLabel() const { return _nameLabel.get(); }
    engine::Label* descLabel() const { return _descLabel.get(); }
    engine::Label* costLabel() const { return _costLabel.get(); }
    engine::Label* ppLabel() const { return _ppLabel.get(); }
    engine::Label* cashLabel() const { return _cashLabel.get(); }

private:
    friend base::Factory;
    CCPurchaseDialog(base::Dictionary const& item, CCPurchaseDialogDelegate* delegate);

    void build();
    void buildButtonContents();
    // Whether the point (this layer's space) falls on the button as the panel sits.
    bool hitsButton(engine::Sprite const& button, engine::Point point) const;
    void accept(int response, engine::Sprite& button);

    engine::Point _startPos;
    base::Ref<base::Dictionary> _config;
    int resp {Cancel};
    CCPurchaseDialogDelegate* _delegate;
    base::Ref<engine::Sprite> _bg;
    base::Ref<engine::Sprite> _logo;
    base::Ref<engine::Sprite> _dim;
    base::Ref<engine::Sprite> _buttonOK, _buttonCancel, _buttonPoints;
    base::Ref<engine::Sprite> _thumbnail, _ppIcon, _ppStatus, _cashStatus;
    base::Ref<engine::Label> _titleLabel, _nameLabel, _descLabel, _costLabel, _ppLabel, _cashLabel;
};

}
