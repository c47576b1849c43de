#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <engine/SceneNode.hpp>

#include <optional>
#include <string>

namespace engine {
class Sprite;
}

namespace game {

// One theme of the theme store's strip: its thumbnail (z 0) and, above it, a badge
// for the theme state (a lock while locked, a tick while in use, none while owned).
// The strip's last item, of type "updatebtn", shows the "More Themes" button instead
// of a theme and never has a badge. The store makes and drops these nodes as they
// scroll into and out of view. Main thread only.
class StoreItem final : public engine::SceneNode {
public:
    static constexpr char const* updateButtonType = "updatebtn";
    static constexpr char const* updateButtonImage = "Theme_download.jpg";
    static constexpr char const* lockBadge = "shopLock.png";
    static constexpr char const* inUseBadge = "shopEquip.png";

    // The node of the item at index in the store's list; keeps a copy of the item.
    static base::Ref<StoreItem> initWithID(int index, base::Dictionary const& params);

    // The file the thumbnail comes from: a bundle resource name, or a path in the
    // data folder for downloaded items (those without a "uid" or whose "uid" holds
    // "dlc"); none when a downloaded item's name would leave the data folder.
    static std::optional<std::string> thumbnailFile(base::Dictionary const& item);

    void setItemState(int state);
    int getItemState() const { return mItemState; }
    engine::Sprite* getTestSprite() const { return mThumbnail.get(); }
    engine::Sprite* badge() const { return mIcon.get(); }
    int itemID() const { return mItemID; }
    void setItemID(int itemID) { mItemID = itemID; }
    base::Dictionary const& itemData() const { return *mItemData; }

    void cleanup() override;

private:
    friend base::Factory;
    StoreItem(int index, base::Dictionary const& params);

    bool isUpdateButton() const;

    base::Ref<engine::Sprite> mThumbnail;
    base::Ref<engine::Sprite> mIcon;
    int mItemID;
    int mItemState {0};
    base::Ref<base::Dictionary> mItemData;
};

}
