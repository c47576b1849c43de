#include "SalonDay.hpp"

#include <base/WeakRef.hpp>
#include <engine/Sprite.hpp>
#include <engine/StaticFileCache.hpp>
#include <engine/TextureMgr.hpp>
#include <foundation/Digest.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/interface/Interface.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/store/StoreDisplay.hpp>
#include <game/store/StoreItem.hpp>
#include <serverkit/QBYConnect.hpp>
#include <support/GameServerStandIn.hpp>
#include <toolkit/zip/ZipFile.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Touch.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using game::StoreDisplay;
using game::StoreItem;

// The interface's purchase dialog, recorded by the item's uid.
class DialogFace final : public game::Interface {
public:
    void showShopDialog(base::Ref<base::Dictionary> item) override {
        dialogs.push_back(item->objectForKey("uid").stringValue());
    }
    std::vector<std::string> dialogs;

private:
    friend base::Factory;
    DialogFace()
        : Interface(nullptr) { }
};

class RecordedAlerts final : public game::AlertPresenter {
public:
    void showAlert(std::string_view title, std::string_view message, std::string_view) override {
        shown.push_back(std::string(title) + " / " + std::string(message));
    }
    std::vector<std::string> shown;
};

// The theme store on the salon's layer where the interface puts it, over a salon
// with its shop, on the phone unless a test switches to the tablet. The bundle lists
// four themes, so the strip holds five items with the "More Themes" button.
class StoreDisplayTest : public test::SalonDayTest {
protected:
    static constexpr int bundleThemes = 4;

    void SetUp() override {
        SalonDayTest::SetUp();
        StoreDisplay::setScrollOffset(0);
        face = base::make<DialogFace>();
        game::GameGlobals::shared().interface = face;
        game::AlertPresenter::setShared(&alerts);
        ui::Application::sharedApplication().setStatusBarOrientation(
            ui::InterfaceOrientation::LandscapeRight);
    }
    void TearDown() override {
        if (store)
            layer->removeChild(store.get(), engine::Cleanup::Yes);
        store = nullptr;
        game::GameGlobals::shared().interface = nullptr;
        game::AlertPresenter::setShared(nullptr);
        ui::Device::reset();
        StoreDisplay::setScrollOffset(0);
        SalonDayTest::TearDown();
    }

    StoreDisplay& open() {
        if (store)
            layer->removeChild(store.get(), engine::Cleanup::Yes);
        store = StoreDisplay::node();
        store->setPosition({240, 160});
        layer->addChild(store, 9996);
        return *store;
    }
    static void tablet() {
        ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    }
    void tick(int count = 1) { frames(count); }

    // A finger at a point of the store layer (the layer stands at (240, 160) on the
    // 480 x 320 screen, whose window y grows downwards).
    static graphics::Point window(engine::Point layerPoint) {
        return {240 + layerPoint.x, 160 - layerPoint.y};
    }
    bool begin(engine::Point layerPoint, int taps = 1) {
        finger = ui::Touch::create(nullptr, nullptr, window(layerPoint), taps, 0);
        ui::TouchSet set({finger});
        return store->ccTouchesBegan(set, nullptr);
    }
    bool move(engine::Point layerPoint) {
        finger->update(ui::TouchPhase::Moved, window(layerPoint), 0);
        ui::TouchSet set({finger});
        return store->ccTouchesMoved(set, nullptr);
    }
    bool end() {
        finger->setPhase(ui::TouchPhase::Ended);
        ui::TouchSet set({finger});
        return store->ccTouchesEnded(set, nullptr);
    }
    // A tap on the middle of the strip's item at the layer's x of 0.
    void tapMiddle(int taps = 1) {
        ASSERT_TRUE(begin({0, -10}, taps));
        EXPECT_TRUE(end());
    }

    std::vector<int> visibleIDs() const {
        std::vector<int> ids;
        for (auto const& item : store->visibleItems())
            ids.push_back(item->itemID());
        return ids;
    }
    StoreItem* visible(int id) const {
        for (auto const& item : store->visibleItems())
            if (item->itemID() == id)
                return item.get();
        return nullptr;
    }
    static engine::Texture2D* texture(char const* file) {
        return engine::TextureMgr::sharedTextureMgr().addImage(file).get();
    }
    static int state(std::string const& uid) {
        return int(foundation::UserDefaults::standardUserDefaults().integerForKey(uid));
    }
    static void setState(std::string const& uid, int value) {
        foundation::UserDefaults::standardUserDefaults().setInteger(value, uid);
    }
    static fs::path dataFolder() {
        return fs::path(foundation::Sandbox::root()) / "Library/Marrowby";
    }
    static base::Ref<base::Dictionary> downloadedTheme(std::string const& uid) {
        auto entry = base::Dictionary::create();
        entry->setObject("uid", uid);
        entry->setObject("type", "theme");
        auto data = base::Dictionary::create();
        data->setObject("thumb", uid + ".jpg");
        entry->setObject("data", data);
        return entry;
    }

    base::Ref<DialogFace> face;
    RecordedAlerts alerts;
    base::Ref<StoreDisplay> store;
    base::Ref<ui::Touch> finger;
};

}

TEST_F(StoreDisplayTest, ListsTheBundleThenTheDownloadedThemesThenTheButton) {
    auto others = base::Array::create();
    others->add(downloadedTheme("dlc_thm_a"));
    auto vip = downloadedTheme("dlc_vip_b");
    vip->setObject("type", "vip");
    others->add(vip);
    others->add(downloadedTheme("dlc_thm_c"));
    writeUnpacked(others);
    engine::StaticFileCache::clearCache();

    auto const& list = open().inventoryList();
    ASSERT_EQ(list.size(), std::size_t(bundleThemes + 3));
    EXPECT_EQ(list[0].dictionary()->objectForKey("uid").stringValue(), "thm_000");
    EXPECT_EQ(list[bundleThemes].dictionary()->objectForKey("uid").stringValue(), "dlc_thm_a");
    EXPECT_EQ(list[bundleThemes + 1].dictionary()->objectForKey("uid").stringValue(), "dlc_thm_c");
    auto const* last = list[bundleThemes + 2].dictionary();
    EXPECT_EQ(last->objectForKey("type").stringValue(), "updatebtn");
    EXPECT_EQ(last->objectForKey("uid").stringValue(), "updatebtn");
    // Opening puts the default theme in use when it was locked, and only then.
    EXPECT_EQ(state("thm_000"), 2);
    setState("thm_000", 1);
    open();
    EXPECT_EQ(state("thm_000"), 1);
}

TEST_F(StoreDisplayTest, ThumbnailsOfDownloadsComeFromTheDataFolderAndNeverLeaveIt) {
    auto data = dataFolder().string();
    struct Case {
        std::optional<std::string> uid;
        std::string type;
        std::string thumb;
        std::optional<std::string> file;
    };
    std::vector<Case> cases {
        {"thm_001", "theme", "a.jpg", "a.jpg"},
        {"dlc_thm_1", "theme", "a.jpg", data + "/a.jpg"},
        {"xdlcx", "theme", "a.jpg", data + "/a.jpg"},
        {std::nullopt, "theme", "b.jpg", data + "/b.jpg"},
        {"dlc_thm_2", "theme", "../../escape.jpg", std::nullopt},
        {"dlc_thm_3", "theme", "/etc/passwd", std::nullopt},
        {"updatebtn", "updatebtn", "", "Theme_download.jpg"},
    };
    for (auto const& c : cases) {
        auto item = base::Dictionary::create();
        if (c.uid)
            item->setObject("uid", *c.uid);
        item->setObject("type", c.type);
        auto inner = base::Dictionary::create();
        inner->setObject("thumb", c.thumb);
        item->setObject("data", inner);
        EXPECT_EQ(StoreItem::thumbnailFile(*item), c.file) << c.thumb;
    }
    // A node made for a refused name still has a thumbnail to test taps against.
    auto item = downloadedTheme("dlc_thm_2");
    item->objectForKey("data").dictionary()->setObject("thumb", "../x.jpg");
    auto node = StoreItem::initWithID(0, *item);
    ASSERT_NE(node->getTestSprite(), nullptr);
    EXPECT_EQ(node->getTestSprite()->parent(), node.get());
}

TEST_F(StoreDisplayTest, AtMostFourNodesFollowTheOffsetAndBadgesShowTheState) {
    setState("thm_001", 1);
    auto& strip = open();
    tick();
    EXPECT_EQ(visibleIDs(), (std::vector<int> {0, 1, 2, 3}));
    for (int id = 0; id < 4; ++id) {
        auto* item = visible(id);
        EXPECT_EQ(item->position(), (engine::Point {306.0f * id, -10})) << id;
        EXPECT_EQ(item->parent(), &strip);
        EXPECT_EQ(item->zOrder(), 1);
        EXPECT_TRUE(item->visible());
    }
    // In use, owned, locked.
    EXPECT_EQ(visible(0)->getItemState(), 2);
    ASSERT_NE(visible(0)->badge(), nullptr);
    EXPECT_EQ(visible(0)->badge()->texture(), texture("shopEquip.png"));
    EXPECT_EQ(visible(0)->badge()->position(), (engine::Point {-133, -100}));
    EXPECT_EQ(visible(1)->badge(), nullptr);
    ASSERT_NE(visible(2)->badge(), nullptr);
    EXPECT_EQ(visible(2)->badge()->texture(), texture("shopLock.png"));

    // One pitch to the left and a bit: the first node before the view stays.
    StoreDisplay::setScrollOffset(-700);
    tick();
    EXPECT_EQ(visibleIDs(), (std::vector<int> {1, 2, 3, 4}));
    EXPECT_EQ(visible(4)->position(), (engine::Point {4 * 306 - 700, -10}));
    // At the end only the last items remain, the button among them without a badge.
    StoreDisplay::setScrollOffset(-4 * 306);
    tick();
    EXPECT_EQ(visibleIDs(), (std::vector<int> {3, 4}));
    EXPECT_EQ(visible(4)->badge(), nullptr);
    EXPECT_EQ(visible(4)->getItemState(), 0);
    EXPECT_LE(strip.visibleItems().size(), 4u);
}

TEST_F(StoreDisplayTest, ADragMovesTheStripWhichCoastsAndSlowsDown) {
    open();
    tick();
    ASSERT_TRUE(begin({0, 0}));
    EXPECT_TRUE(store->isDragging());
    EXPECT_TRUE(move({-100, 0}));
    EXPECT_EQ(StoreDisplay::scrollOffset(), -100);
    // The finger's step of -100 points halves into the speed, then the frame's
    // step of the offset halves in again.
    EXPECT_FLOAT_EQ(store->scrollSpeed(), -50);
    tick();
    EXPECT_FLOAT_EQ(store->scrollSpeed(), -75);
    EXPECT_EQ(StoreDisplay::scrollOffset(), -100);
    EXPECT_TRUE(end());
    std::vector<int> offsets;
    for (int i = 0; i < 4; ++i) {
        tick();
        offsets.push_back(StoreDisplay::scrollOffset());
    }
    EXPECT_EQ(offsets, (std::vector<int> {-170, -235, -295, -351}));
    EXPECT_NEAR(store->scrollSpeed(), -56.1039f, 1e-3);
}

TEST_F(StoreDisplayTest, PastTheEndsTheStripSpringsBackOrStopsOnTheTablet) {
    struct Case {
        bool pad;
        int start;
        std::vector<int> offsets;
    };
    std::vector<Case> cases {
        // Past the first item: pulled right back at no more than 10 points a frame.
        {false, 50, {41, 32, 23, 14, 5, -4, -13, -21}},
        // Past the last item on the phone: pushed back the same way.
        {false, -4 * 306 - 40, {-1257, -1248, -1239, -1230, -1221, -1212, -1204, -1197}},
        // Past the last item on the tablet: held at it at once.
        {true, -4 * 573 - 40, {-2292, -2292, -2292}},
        // Past the first item on the tablet (k = 0.4): still a speed of at most 10.
        {true, 50, {41, 32, 23, 14, 5, -4, -13, -21}},
    };
    for (auto const& c : cases) {
        if (c.pad)
            tablet();
        else
            ui::Device::reset();
        open();
        StoreDisplay::setScrollOffset(c.start);
        std::vector<int> offsets;
        for (std::size_t i = 0; i < c.offsets.size(); ++i) {
            tick();
            offsets.push_back(StoreDisplay::scrollOffset());
        }
        EXPECT_EQ(offsets, c.offsets) << c.pad << " " << c.start;
    }
}

TEST_F(StoreDisplayTest, DraggingIsHeldBetweenTheFirstAndTheLastItem) {
    for (bool pad : {false, true}) {
        if (pad)
            tablet();
        StoreDisplay::setScrollOffset(0);
        open();
        int pitch = pad ? 573 : 306;
        ASSERT_TRUE(begin({0, 0}));
        move({500, 0});
        EXPECT_EQ(StoreDisplay::scrollOffset(), 0);
        move({-100000, 0});
        EXPECT_EQ(StoreDisplay::scrollOffset(), -4 * pitch);
        move({-20.7f, 0});
        EXPECT_EQ(StoreDisplay::scrollOffset(), -20);
        end();
    }
}

TEST_F(StoreDisplayTest, TheTopAndABottomRightCornerAreLeftToOtherHandlers) {
    struct Case {
        bool pad;
        engine::Point at;
        bool taken;
    };
    std::vector<Case> cases {
        {false, {0, 110}, true},
        {false, {0, 111}, false},
        {false, {143, -136}, true},
        {false, {144, -136}, false},
        {false, {144, -135}, true},
        {false, {-200, -150}, true},
        {true, {0, 478}, true},
        {true, {0, 479}, false},
        {true, {435, -79}, true},
        {true, {436, -79}, false},
        {true, {436, -78}, true},
    };
    for (auto const& c : cases) {
        if (c.pad)
            tablet();
        else
            ui::Device::reset();
        open();
        EXPECT_EQ(begin(c.at), c.taken) << c.pad << " " << c.at.x << "," << c.at.y;
        EXPECT_EQ(store->isDragging(), c.taken);
        // Without a drag, moves and ends are not taken either.
        if (!c.taken) {
            EXPECT_FALSE(move({c.at.x - 50, c.at.y}));
            EXPECT_FALSE(end());
        }
    }
}

TEST_F(StoreDisplayTest, OnlyASingleTapThatStaysPutSelects) {
    struct Case {
        float moveX;
        int taps;
        bool opens;
    };
    std::vector<Case> cases {
        {0, 1, true},
        {0.09f, 1, true},
        {0.1f, 1, false},
        {-0.1f, 1, false},
        {0, 2, false},
    };
    for (auto const& c : cases) {
        face->dialogs.clear();
        StoreDisplay::setScrollOffset(-306);
        open();
        tick();
        ASSERT_TRUE(begin({0, -10}, c.taps));
        if (c.moveX != 0)
            move({c.moveX, -10});
        EXPECT_TRUE(end());
        EXPECT_EQ(face->dialogs.size(), c.opens ? 1u : 0u) << c.moveX << " " << c.taps;
        if (c.opens) {
            EXPECT_EQ(face->dialogs[0], "thm_001");
        }
    }
}

TEST_F(StoreDisplayTest, TappingAnOwnedThemeAppliesItAndTheBadgeMoves) {
    load();
    setState("thm_001", 1);
    open();
    tick();
    ASSERT_EQ(visible(0)->getItemState(), 2);
    // The theme in use: nothing happens.
    tapMiddle();
    EXPECT_TRUE(face->dialogs.empty());
    EXPECT_EQ(state("thm_000"), 2);

    StoreDisplay::setScrollOffset(-306);
    tick();
    tapMiddle();
    EXPECT_EQ(state("thm_001"), 2);
    EXPECT_EQ(state("thm_000"), 1);
    EXPECT_TRUE(face->dialogs.empty());
    // The nodes show it on the next frame.
    EXPECT_EQ(visible(1)->getItemState(), 1);
    tick();
    EXPECT_EQ(visible(0)->getItemState(), 1);
    EXPECT_EQ(visible(0)->badge(), nullptr);
    EXPECT_EQ(visible(1)->getItemState(), 2);
    ASSERT_NE(visible(1)->badge(), nullptr);
    EXPECT_EQ(visible(1)->badge()->texture(), texture("shopEquip.png"));
}

TEST_F(StoreDisplayTest, TheStoreReopensWhereItWasLeft) {
    open();
    tick();
    ASSERT_TRUE(begin({0, 0}));
    move({-400, 0});
    end();
    layer->removeChild(store.get(), engine::Cleanup::Yes);
    store = nullptr;
    int left = StoreDisplay::scrollOffset();
    EXPECT_EQ(left, -400);
    open();
    tick();
    EXPECT_EQ(visibleIDs(), (std::vector<int> {0, 1, 2, 3}));
    EXPECT_EQ(visible(1)->position().x, 306.0f + float(StoreDisplay::scrollOffset()));
}

namespace {

class StandInRoot final : public game::RootViewController {
private:
    friend base::Factory;
    StandInRoot() = default;
};

// The store asking the stand-in game server for new themes, with the root view
// controller whose loading overlay it shows while it waits.
class StoreDisplayServerTest : public StoreDisplayTest {
protected:
    void SetUp() override {
        StoreDisplayTest::SetUp();
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        fs::create_directories(dataFolder());
        serverkit::QBYConnect::resetSharedManager();
        serverkit::QBYConnect::sharedManager().setConfiguration(
            {server.host(), "udid", dataFolder().string(), "", ""});
        mainLayer = game::MainLayer::node();
        root = base::make<StandInRoot>();
        mainLayer->setPRootViewController(root.get());
        auto& globals = game::GameGlobals::shared();
        globals.mainLayer = mainLayer;
        // Making the main layer lets go of the salon; the salon state sets it again.
        globals.shop = shop;
    }
    void TearDown() override {
        serverkit::QBYConnect::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
        // The store goes before the main layer, whose end takes the scheduler with it.
        if (store)
            layer->removeChild(store.get(), engine::Cleanup::Yes);
        store = nullptr;
        if (mainLayer)
            mainLayer->setPRootViewController(nullptr);
        game::GameGlobals::shared().mainLayer = nullptr;
        mainLayer = nullptr;
        root = nullptr;
        StoreDisplayTest::TearDown();
    }

    // An archive for the theme with the id, listed by the server with its digest.
    void offerTheme(std::string const& id) {
        auto description = base::Dictionary::create();
        auto data = base::Dictionary::create();
        data->setObject("thumb", "thumb_" + id + ".jpg");
        for (auto const& [key, value] : std::vector<std::pair<std::string, base::Value>> {
                 {"dlc_id", id}, {"dlc_cost", 5}, {"dlc_cost_type", "pp"}, {"dlc_data", data},
                 {"dlc_desc", "d"}, {"dlc_name", "n"}, {"dlc_type", "theme"}, {"dlc_ver", "1"}})
            description->setObject(key, value);
        auto descriptions = base::Array::create();
        descriptions->add(description);
        auto folder = fs::path(work.path());
        ASSERT_TRUE(
            foundation::PropertyList::writeToFile(descriptions, (folder / "dlc.plist").string()));
        auto zip = toolkit::zip::ZipFile::create();
        auto archive = (folder / (id + ".zip")).string();
        ASSERT_TRUE(zip->CreateZipFile2(archive));
        ASSERT_TRUE(zip->addFileToZip((folder / "dlc.plist").string(), "dlc.plist"));
        ASSERT_TRUE(zip->CloseZipFile2());
        std::ifstream in(archive, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        server.http().route("GET", "/dlc/" + id + ".zip", test::HttpResponse::text(bytes));
        auto md5 = foundation::Digest::hashHex(
            foundation::Digest::Algorithm::MD5, base::Bytes(bytes.begin(), bytes.end()));
        server.setDLCList(R"([{"uid":")" + id + R"(","ver":"1","type":"theme","link":")"
            + server.http().url("/dlc/" + id + ".zip") + R"(","md5":")" + md5 + R"("}])");
    }
    // Taps "More Themes" at the end of the strip.
    void tapMoreThemes() {
        StoreDisplay::setScrollOffset(-int(store->inventoryList().size() - 1) * 306);
        tick();
        ASSERT_NE(visible(int(store->inventoryList().size() - 1)), nullptr);
        tapMiddle();
    }
    bool waitForServer() {
        return foundation::RunLoop::main().runUntil(
            [] {
                auto& connect = serverkit::QBYConnect::sharedManager();
                return !connect.isLoading() && connect.queuedCallCount() == 0;
            },
            20);
    }
    ui::View* overlay() const { return root->dlcLoadingView(); }

    test::GameServerStandIn server;
    test::TempDir work;
    base::Ref<game::MainLayer> mainLayer;
    base::Ref<StandInRoot> root;
};

}

TEST_F(StoreDisplayServerTest, MoreThemesFetchesANewThemeBeforeTheButton) {
    offerTheme("7");
    open();
    tapMoreThemes();
    EXPECT_NE(overlay(), nullptr);
    // The list call, then the fetch that it starts.
    ASSERT_TRUE(waitForServer());
    ASSERT_TRUE(waitForServer());
    EXPECT_EQ(server.methods(), (std::vector<std::string> {"listdlc"}));
    auto const& list = store->inventoryList();
    ASSERT_EQ(list.size(), std::size_t(bundleThemes + 2));
    EXPECT_EQ(list[bundleThemes].dictionary()->objectForKey("uid").stringValue(), "dlc_7");
    EXPECT_EQ(list[bundleThemes + 1].dictionary()->objectForKey("type").stringValue(), "updatebtn");
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_EQ(overlay(), nullptr);
    // The strip is rebuilt on the next frame, the new theme locked.
    EXPECT_TRUE(store->visibleItems().empty());
    tick();
    ASSERT_NE(visible(bundleThemes), nullptr);
    EXPECT_EQ(visible(bundleThemes)->getItemState(), 0);
}

TEST_F(StoreDisplayServerTest, AFetchThatBringsNothingSaysSo) {
    open();
    tapMoreThemes();
    ASSERT_TRUE(waitForServer());
    ASSERT_TRUE(waitForServer());
    EXPECT_EQ(alerts.shown,
        (std::vector<std::string> {"No new themes / There are no new themes "
                                   "available at this time. Please check "
                                   "again later."}));
    EXPECT_EQ(store->inventoryList().size(), std::size_t(bundleThemes + 1));
    EXPECT_EQ(overlay(), nullptr);
}

TEST_F(StoreDisplayServerTest, AFailedListTakesTheOverlayAwayAndChangesNothing) {
    server.reply("listdlc", test::HttpResponse::text("busy", 500));
    open();
    tapMoreThemes();
    EXPECT_NE(overlay(), nullptr);
    ASSERT_TRUE(waitForServer());
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_EQ(store->inventoryList().size(), std::size_t(bundleThemes + 1));
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_EQ(server.methods(), (std::vector<std::string> {"listdlc"}));
}

TEST_F(StoreDisplayServerTest, OfflineTheListWaitsAndALaterResultStillFetches) {
    offerTheme("9");
    foundation::Reachability::setForcedStatus(
        foundation::Reachability::NetworkStatus::NotReachable);
    open();
    tapMoreThemes();
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_EQ(alerts.shown, (std::vector<std::string> {"Download Fail / No Internet Connected."}));
    EXPECT_EQ(serverkit::QBYConnect::sharedManager().queuedCallCount(), 1u);
    // The network comes back: the waiting list call leaves and its result fetches.
    foundation::Reachability::setForcedStatus(
        foundation::Reachability::NetworkStatus::ReachableViaWiFi);
    serverkit::QBYConnect::sharedManager().loadNext();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [this] { return store->inventoryList().size() == std::size_t(bundleThemes + 2); }, 20));
}

TEST_F(StoreDisplayServerTest, AStoreThatGoesStopsListening) {
    offerTheme("5");
    open();
    tapMoreThemes();
    ASSERT_NE(store->listCall(), nullptr);
    ASSERT_NE(overlay(), nullptr);
    base::WeakRef<StoreDisplay> gone(store.get());
    layer->removeChild(store.get(), engine::Cleanup::Yes);
    store = nullptr;
    // The wait ends with it: a closed shop leaves no overlay over the game.
    EXPECT_EQ(overlay(), nullptr);
    // Off the screen, the store is let go of by the next frame.
    tick();
    EXPECT_EQ(gone.get(), nullptr);
    ASSERT_TRUE(waitForServer());
    // No fetch was started by the store that went.
    EXPECT_EQ(serverkit::QBYConnect::sharedManager().queuedCallCount(), 0u);
    EXPECT_FALSE(fs::exists(dataFolder() / "unpacked.plist"));
}

namespace {

// The strip drawn off-screen where the interface shows it, on a phone-sized or a
// tablet-sized framebuffer.
class StoreDisplayRender : public test::SalonFixture {
protected:
    explicit StoreDisplayRender(int width = 480, int height = 320)
        : SalonFixture(width, height) { }

    void SetUp() override {
        SalonFixture::SetUp();
        foundation::UserDefaults::resetStandardUserDefaults();
        StoreDisplay::setScrollOffset(0);
    }
    void TearDown() override {
        if (store)
            layer->removeChild(store.get(), engine::Cleanup::Yes);
        store = nullptr;
        foundation::UserDefaults::resetStandardUserDefaults();
        ui::Device::reset();
        StoreDisplay::setScrollOffset(0);
        SalonFixture::TearDown();
    }
    // Shows the strip with the second theme owned, scrolled so that the third item
    // is cut by the screen's right edge.
    void showStrip() {
        foundation::UserDefaults::standardUserDefaults().setInteger(1, "thm_001");
        store = StoreDisplay::node();
        store->setPosition({240, 160});
        layer->addChild(store, 9996);
        StoreDisplay::setScrollOffset(-40);
        frames(1);
    }
    void draw() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        layer->visit();
        glDisable(GL_BLEND);
        glFinish();
    }
    // The framebuffer's pixel at a point of the scene.
    graphics::Rgba at(engine::Point point) const { return pixel(int(point.x), int(point.y)); }
    static int brightness(graphics::Rgba p) { return p.r + p.g + p.b; }

    base::Ref<StoreDisplay> store;
};

class StoreDisplayTabletRender : public StoreDisplayRender {
protected:
    StoreDisplayTabletRender()
        : StoreDisplayRender(1024, 768) { }
};

}

TEST_F(StoreDisplayRender, ThePhoneStripShowsThumbnailsWithTheirBadges) {
    showStrip();
    draw();
    saveImage("theme-store-phone");
    auto* first = store->visibleItems().front().get();
    ASSERT_EQ(first->itemID(), 0);
    // The thumbnail's middle and the in-use badge are drawn over the background.
    auto middle = store->convertToWorldSpace(first->position());
    EXPECT_GT(brightness(at(middle)), 0);
    auto badge = first->convertToWorldSpace(first->badge()->position());
    auto withBadge = at(badge);
    first->badge()->setVisible(false);
    draw();
    EXPECT_NE(at(badge), withBadge) << "the badge shows";
}

TEST_F(StoreDisplayTabletRender, TheTabletStripShowsThumbnailsWithTheirBadges) {
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    showStrip();
    draw();
    saveImage("theme-store-tablet");
    auto* first = store->visibleItems().front().get();
    auto badge = first->convertToWorldSpace(first->badge()->position());
    auto withBadge = at(badge);
    first->badge()->setVisible(false);
    draw();
    EXPECT_NE(at(badge), withBadge) << "the badge shows";
}
