#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <engine/Geometry.hpp>
#include <engine/Layer.hpp>

#include <vector>

namespace engine {
class Sprite;
}
namespace foundation {
class Notification;
}
namespace serverkit {
class APICall;
}

namespace game {

class StoreItem;

// The theme store: a layer on the salon screen with a horizontal strip of the salon
// themes (the bundle's, then the downloaded ones, then the "More Themes" button).
// Dragging scrolls the strip, which coasts, slows down and springs back past its
// ends; tapping a locked theme opens the interface's purchase dialog, tapping an
// owned one applies it through the salon, and "More Themes" asks the game server for
// the theme list and fetches the new themes, rebuilding the strip when they arrive.
//
// The interface makes one for each opening of the shop. The scroll offset is kept
// for the whole process, so the strip reopens where it was left. At most four item
// nodes exist at once; they are made and dropped as they scroll. Observations of the
// server calls are tied to the call objects the layer made and end when it goes.
// Main thread only.
class StoreDisplay final : public engine::Layer {
public:
    static constexpr char const* updateButtonUid = "updatebtn";
    static constexpr int maxVisibleItems = 4;

    static base::Ref<StoreDisplay> node();
    ~StoreDisplay() override;

    // The strip's offset in points (0 or negative), shared by every store.
    static int scrollOffset();
    static void setScrollOffset(int offset);
    // Distance between two items, and the first item's x at offset 0.
    static int itemPitch();
    static engine::Point itemPosition(int index);

    // The bundle's store items and the downloaded themes, without the button.
    static base::Ref<base::Array> storeItems();

    void updateItems(float dt = 0);

    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesMoved(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesEnded(ui::TouchSet& touches, ui::Event* event) override;

    void DLCOnClick();
    void listDLCDidFinish(foundation::Notification const& notification);
    void listDLCDidFail(foundation::Notification const& notification);
    void archivesDownloadReady();
    void fetchArchiveDidFinish(foundation::Notification const& notification);
    void fetchArchiveDidFail(foundation::Notification const& notification);
    void archivesDownloadDidFinish(bool complete);
    void archivesDownloadDidFailWithCode(int code);

    // Stops the frame updates, so that a layer taken off the screen is let go of (the
    // scheduler keeps a scheduled node alive), and ends any wait for the server.
    void cleanup() override;

    // For the interface and tests.
    base::Array const& inventoryList() const { return *mInventoryList; }
    std::vector<base::Ref<StoreItem>> const& visibleItems() const { return mVisibleItems; }
    float scrollSpeed() const { return mScrollSpeed; }
    bool isDragging() const { return mTouchSession; }
    engine::Sprite* background() const { return mStoreBG.get(); }
    // The list call or the fetch whose outcome the store waits for; null when none.
    serverkit::APICall* listCall() const { return listCall_.get(); }
    serverkit::APICall* fetchCall() const { return fetchCall_.get(); }

private:
    friend base::Factory;
    StoreDisplay();

    int itemCount() const;
    void removeVisibleItem(StoreItem* item);
    void selectItem(StoreItem& item);
    void stopObservingList();
    void stopObservingFetch();
    static void showLoading();
    static void hideLoading();

    base::Ref<engine::Sprite> mStoreBG;
    base::Ref<base::Array> mInventoryList;
    std::vector<base::Ref<StoreItem>> mVisibleItems;
    bool mTouchSession {false};
    engine::Point mTouchStartPt {};
    engine::Point mTouchEndPt {};
    int mPrevScrollPosX {0};
    int mPrevScrollPosXStep {0};
    float mScrollSpeed {0};
    base::Ref<serverkit::APICall> listCall_;
    base::Ref<serverkit::APICall> fetchCall_;
};

}
