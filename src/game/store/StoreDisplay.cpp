#include <game/store/StoreDisplay.hpp>

#include <game/interface/Interface.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/Utilities.hpp>
#include <game/store/StoreItem.hpp>

#include <engine/Sprite.hpp>
#include <engine/StaticFileCache.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/UserDefaults.hpp>
#include <serverkit/FetchArchive.hpp>
#include <serverkit/ListDLC.hpp>
#include <serverkit/QBYConnect.hpp>
#include <ui/Touch.hpp>

#include <algorithm>
#include <cmath>

namespace game {

namespace {

constexpr char const* defaultTheme = "thm_000";

// Shared by every store for the life of the process.
int sScrollOffset = 0;
int sItemCountBeforeDownload = 0;

foundation::NotificationCenter& center() {
    return foundation::NotificationCenter::defaultCenter();
}

int themeState(base::Dictionary const& item) {
    auto uid = item.objectForKey("uid").stringValue();
    if (uid.empty())
        return 0;
    return int(foundation::UserDefaults::standardUserDefaults().integerForKey(uid));
}

base::Ref<base::Dictionary> updateButtonEntry() {
    auto entry = base::Dictionary::create();
    entry->setObject("type", StoreItem::updateButtonType);
    entry->setObject("uid", StoreDisplay::updateButtonUid);
    return entry;
}

RootViewController* rootViewController() {
    auto& layer = GameGlobals::shared().mainLayer;
    return layer ? layer->pRootViewController() : nullptr;
}

}

base::Ref<StoreDisplay> StoreDisplay::node() {
    return base::make<StoreDisplay>();
}

int StoreDisplay::scrollOffset() {
    return sScrollOffset;
}

void StoreDisplay::setScrollOffset(int offset) {
    sScrollOffset = offset;
}

int StoreDisplay::itemPitch() {
    return Utilities::isiPad() ? 573 : 306;
}

engine::Point StoreDisplay::itemPosition(int index) {
    bool pad = Utilities::isiPad();
    return {float(index * itemPitch() + sScrollOffset + (pad ? 50 : 0)), pad ? 230.0f : -10.0f};
}

base::Ref<base::Array> StoreDisplay::storeItems() {
    auto& cache = engine::StaticFileCache::sharedCache();
    auto items = base::Array::create();
    if (auto path = cache.pathForResource("StoreItemList.plist")) {
        if (auto list = cache.arrayWithContentsOfFile(*path)) {
            for (auto const& entry : *list)
                items->add(entry);
        }
    }
    if (auto path = Utilities::getPathForSavedData(serverkit::FetchArchive::UnpackedFileName)) {
        if (auto unpacked = cache.arrayWithContentsOfFile(*path)) {
            for (auto const& entry : *unpacked) {
                auto* item = entry.dictionary();
                if (item && item->objectForKey("type").stringValue() == "theme")
                    items->add(entry);
            }
        }
    }
    return items;
}

StoreDisplay::StoreDisplay() {
    mStoreBG = GraphicEngine::createSprite("shopBG.png", 0, 0, this, 0);
    mStoreBG->setVisible(true);
    if (Utilities::isiPad())
        mStoreBG->setScale(4);
    mInventoryList = storeItems();
    mInventoryList->add(updateButtonEntry());
    schedule(&StoreDisplay::updateItems);
    setIsTouchEnabled(true);
    mTouchSession = false;
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    if (defaults.integerForKey(defaultTheme) == 0)
        defaults.setInteger(2, defaultTheme);
}

StoreDisplay::~StoreDisplay() {
    center().removeObserver(this);
}

void StoreDisplay::cleanup() {
    // A store taken off the screen while it waits for the server ends the wait: it
    // starts no fetch and leaves no overlay over the game.
    bool waiting = listCall_ || fetchCall_;
    stopObservingList();
    stopObservingFetch();
    if (waiting)
        hideLoading();
    Layer::cleanup();
}

int StoreDisplay::itemCount() const {
    return mInventoryList ? int(mInventoryList->size()) : 0;
}

void StoreDisplay::updateItems(float) {
    if (!mInventoryList)
        return;
    bool pad = Utilities::isiPad();
    float k = pad ? 0.4f : 0.2f;
    int pitch = itemPitch();
    int count = itemCount();
    int& offset = sScrollOffset;

    if (mTouchSession) {
        mScrollSpeed = mScrollSpeed * 0.5f + float(offset - mPrevScrollPosXStep) * 0.5f;
    } else {
        if (offset > 0)
            mScrollSpeed = std::max(mScrollSpeed - k * float(offset), -10.0f);
        int last = (count - 1) * pitch;
        if (last < -offset) {
            // The tablet stops at the last item at once; the phone springs back.
            if (pad)
                offset = -last;
            mScrollSpeed = std::min(mScrollSpeed + k * float(-(offset + last)), 10.0f);
        }
        mScrollSpeed = mScrollSpeed - 0.07f * mScrollSpeed;
        if (mScrollSpeed != 0)
            offset = int(float(offset) + std::round(mScrollSpeed));
    }

    int first = -offset / pitch - 1;
    int start = std::max(first, 0);
    int last = std::min(start + maxVisibleItems - 1, count - 1);

    for (auto const& item : std::vector(mVisibleItems)) {
        if (item->itemID() < start || item->itemID() > last)
            removeVisibleItem(item.get());
    }
    for (int j = start; j <= last; ++j) {
        auto* entry = mInventoryList->at(std::size_t(j)).dictionary();
        if (!entry)
            continue;
        auto found = std::find_if(mVisibleItems.begin(), mVisibleItems.end(),
            [j](auto const& item) { return item->itemID() == j; });
        if (found != mVisibleItems.end()) {
            (*found)->setPosition(itemPosition(j));
            (*found)->setItemState(themeState(*entry));
            continue;
        }
        auto item = StoreItem::initWithID(j, *entry);
        addChild(item, 1);
        item->setVisible(true);
        item->setItemState(themeState(*entry));
        mVisibleItems.push_back(item);
        item->setPosition(itemPosition(j));
    }
}

void StoreDisplay::removeVisibleItem(StoreItem* item) {
    base::Ref<StoreItem> kept(item);
    removeChild(item, engine::Cleanup::Yes);
    std::erase_if(mVisibleItems, [item](auto const& visible) { return visible.get() == item; });
}

bool StoreDisplay::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (!touch)
        return false;
    auto point = convertTouchToNodeSpace(touch);
    mTouchStartPt = point;
    mTouchEndPt = point;
    // The strip leaves the top and a bottom-right corner to the widgets there.
    bool refused = Utilities::isiPad() ? point.y > 478 || (point.y < -78 && point.x > 435)
                                       : point.y > 110 || (point.y < -135 && point.x > 143);
    if (refused)
        return false;
    mScrollSpeed = 0;
    mPrevScrollPosX = sScrollOffset;
    mPrevScrollPosXStep = sScrollOffset;
    mTouchSession = true;
    return true;
}

bool StoreDisplay::ccTouchesMoved(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (!mTouchSession || !touch)
        return false;
    auto now = touch->locationInView(touch->view());
    auto before = touch->previousLocationInView(touch->view());
    mScrollSpeed = mScrollSpeed * 0.5f + (now.x - before.x) * 0.5f;
    mTouchEndPt = convertTouchToNodeSpace(touch);
    mPrevScrollPosXStep = sScrollOffset;
    int offset = mPrevScrollPosX + int(mTouchEndPt.x - mTouchStartPt.x);
    sScrollOffset = std::max(std::min(offset, 0), -(std::max(itemCount(), 1) - 1) * itemPitch());
    return true;
}

bool StoreDisplay::ccTouchesEnded(ui::TouchSet& touches, ui::Event*) {
    if (!mTouchSession)
        return false;
    mTouchSession = false;
    auto* touch = touches.anyObject();
    if (!touch || touch->tapCount() != 1 || std::fabs(mTouchStartPt.x - mTouchEndPt.x) >= 0.1f)
        return true;
    auto point = GraphicEngine::convertTouchPoint(touch->locationInView(touch->view()));
    // Selecting may change the visible nodes (a new list after a download), so the
    // test runs over the nodes as they stood at the tap.
    for (auto const& item : std::vector(mVisibleItems)) {
        if (GraphicEngine::isPointInSprite(item->getTestSprite(), point, 0))
            selectItem(*item);
    }
    return true;
}

void StoreDisplay::selectItem(StoreItem& item) {
    if (item.itemID() < 0 || item.itemID() >= itemCount())
        return;
    auto entry = mInventoryList->at(std::size_t(item.itemID())).dictionaryRef();
    if (!entry)
        return;
    auto type = entry->objectForKey("type").stringValue();
    if (type == StoreItem::updateButtonType) {
        DLCOnClick();
        return;
    }
    if (type != "theme")
        return;
    auto& globals = GameGlobals::shared();
    switch (item.getItemState()) {
    case 0:
        if (globals.interface)
            globals.interface->showShopDialog(entry);
        break;
    case 1:
        if (auto shop = globals.shop) {
            shop->setCurrentItem(entry.get());
            interface_support::playSound("Click");
            shop->useCurrentItem();
        }
        break;
    default:
        break;
    }
}

// --- new themes from the game server ---

void StoreDisplay::showLoading() {
    if (auto* root = rootViewController())
        root->showDLCLoading();
}

void StoreDisplay::hideLoading() {
    if (auto* root = rootViewController())
        root->hideDLCLoading();
}

void StoreDisplay::DLCOnClick() {
    showLoading();
    auto call = serverkit::ListDLC::apicall();
    stopObservingList();
    listCall_ = call;
    // Observed before queueing: a call that cannot be sent fails at once.
    center().addObserver(
        this, serverkit::QBYNotifications::ListDLC,
        [this](auto const& notification) { listDLCDidFinish(notification); }, call.get());
    center().addObserver(
        this, serverkit::QBYNotifications::ListDLCFail,
        [this](auto const& notification) { listDLCDidFail(notification); }, call.get());
    serverkit::QBYConnect::sharedManager().callAPIMethod(call);
    if (!Utilities::haveInternetConnection()) {
        hideLoading();
        AlertPresenter::shared().showAlert("Download Fail", "No Internet Connected.", "OK");
    }
}

void StoreDisplay::stopObservingList() {
    if (!listCall_)
        return;
    center().removeObserver(this, serverkit::QBYNotifications::ListDLC, listCall_.get());
    center().removeObserver(this, serverkit::QBYNotifications::ListDLCFail, listCall_.get());
    listCall_ = nullptr;
}

void StoreDisplay::stopObservingFetch() {
    if (!fetchCall_)
        return;
    center().removeObserver(this, serverkit::QBYNotifications::Fetch, fetchCall_.get());
    center().removeObserver(this, serverkit::QBYNotifications::FetchFail, fetchCall_.get());
    fetchCall_ = nullptr;
}

void StoreDisplay::listDLCDidFinish(foundation::Notification const&) {
    stopObservingList();
    archivesDownloadReady();
}

void StoreDisplay::listDLCDidFail(foundation::Notification const& notification) {
    stopObservingList();
    int code = 0;
    if (auto* info = notification.userInfo().dictionary()) {
        if (auto* error = info->objectForKey("listdlc_error").dictionary())
            code = error->objectForKey("code").intValue();
    }
    archivesDownloadDidFailWithCode(code);
}

void StoreDisplay::archivesDownloadReady() {
    auto call = serverkit::FetchArchive::apicallWithType("theme");
    stopObservingFetch();
    fetchCall_ = call;
    center().addObserver(
        this, serverkit::QBYNotifications::Fetch,
        [this](auto const& notification) { fetchArchiveDidFinish(notification); }, call.get());
    center().addObserver(
        this, serverkit::QBYNotifications::FetchFail,
        [this](auto const& notification) { fetchArchiveDidFail(notification); }, call.get());
    sItemCountBeforeDownload = int(storeItems()->size());
    serverkit::QBYConnect::sharedManager().callAPIMethod(call);
}

void StoreDisplay::fetchArchiveDidFinish(foundation::Notification const& notification) {
    bool complete = false;
    if (auto* info = notification.userInfo().dictionary())
        complete = info->objectForKey("complete").boolValue();
    if (complete) {
        engine::StaticFileCache::clearCache();
        stopObservingFetch();
    }
    archivesDownloadDidFinish(complete);
}

void StoreDisplay::fetchArchiveDidFail(foundation::Notification const& notification) {
    stopObservingFetch();
    int code = 0;
    if (auto* info = notification.userInfo().dictionary()) {
        if (auto* error = info->objectForKey("error").dictionary())
            code = error->objectForKey("code").intValue();
    }
    archivesDownloadDidFailWithCode(code);
}

void StoreDisplay::archivesDownloadDidFinish(bool complete) {
    auto list = storeItems();
    if (complete && int(list->size()) == sItemCountBeforeDownload)
        AlertPresenter::shared().showAlert("No new themes",
            "There are no new themes available at this time. Please check again later.", "OK");
    list->add(updateButtonEntry());
    mInventoryList = list;
    for (auto const& item : std::vector(mVisibleItems))
        removeVisibleItem(item.get());
    if (complete)
        hideLoading();
}

void StoreDisplay::archivesDownloadDidFailWithCode(int) {
    hideLoading();
}

}
