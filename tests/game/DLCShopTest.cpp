// The downloadable-content shop over the real server client and the stand-in game
// server, under the manual clock: which button each row offers, the details pop-up and
// buying in both currencies, token packs, downloads through the archive fetch, the
// thumbnails' cache, and the ways to more Vov Azavuz.

#include "ShellFakes.hpp"

#include <engine/StaticFileCache.hpp>
#include <foundation/Digest.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/store/DLCTableViewCell.hpp>
#include <game/store/DLCThumbnailCache.hpp>
#include <game/store/DLCViewController.hpp>
#include <game/store/InAppPurchaseViewController.hpp>
#include <game/store/TransferPetPointsViewController.hpp>
#include <graphics/Image.hpp>
#include <support/TempDir.hpp>
#include <toolkit/zip/ZipFile.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/TableView.hpp>

#include <fstream>

namespace fs = std::filesystem;
using game::DLCTableViewCell;
using game::DLCViewController;
using Cell = game::DLCRowRules::Cell;

namespace {

void tap(ui::Button* button) {
    ASSERT_TRUE(button);
    button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
}

std::string pngBytes(int width, int height) {
    test::TempDir dir;
    auto path = fs::path(dir.path()) / "p.png";
    test::writePicture(path, width, height);
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The shop opened over a plain controller in a window of the phone's (or the tablet's)
// screen, knowing a root view controller that stays out of the window. The bundle holds
// the row's plate and button art.
class DLCShopTest : public test::AppShellTest {
protected:
    DLCShopTest() {
        test::writePicture(bundle / "Bonus_List.png", 480, 110);
        for (char const* name : {"btn_BG_Green_Shorter.png", "btn_BG_golden_Shorter.png",
                 "btn_BG_blue_Shorter.png", "btn_BG_Gray_Shorter.png"})
            test::writePicture(bundle / name, 175, 54);
        fs::create_directories(dataFolder());
    }
    ~DLCShopTest() override {
        shop = nullptr;
        opener = nullptr;
        root = nullptr;
        engine::StaticFileCache::clearCache();
    }

    fs::path dataFolder() const { return dir / "home/Library/Marrowby"; }

    // The server's list; entries are JSON objects.
    void list(std::string const& json) { server.gameServer.setDLCList(json); }
    // What the device has unpacked: uid -> version (and token amount).
    void unpacked(std::vector<std::tuple<std::string, std::string, int>> const& entries) {
        auto array = base::Array::create();
        for (auto const& [uid, ver, amount] : entries) {
            auto data = base::Dictionary::create();
            data->setObject("amt", amount);
            array->add(base::Dictionary::create(
                {{"uid", "dlc_" + uid}, {"ver", ver}, {"type", "level"}, {"data", data}}));
        }
        ASSERT_TRUE(foundation::PropertyList::writeToFile(
            array, (dataFolder() / "unpacked.plist").string()));
        engine::StaticFileCache::clearCache();
    }
    static foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }
    static std::int64_t record(std::string const& key) { return defaults().integerForKey(key); }

    DLCViewController& open(bool pad = false) {
        ui::Device::currentDevice().setUserInterfaceIdiom(
            pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        auto size = pad ? graphics::makeSize(1024, 768) : graphics::makeSize(480, 320);
        window = ui::Window::create(graphics::makeRect(0, 0, size.width, size.height));
        opener = ui::ViewController::create();
        window->setRootViewController(opener);
        window->makeKeyAndVisible();
        root = game::RootViewController::create();
        shop = DLCViewController::create();
        shop->setPRootViewController(root.get());
        opener->presentViewController(shop, false);
        settle();
        return *shop;
    }
    // Lets the server calls end and the screen draw.
    void settle() {
        test::ServerUnderTest::drain();
        frame(3);
        table().layoutIfNeeded();
    }
    ui::TableView& table() { return *shop->tableViewController()->tableView(); }
    DLCTableViewCell* row(int index) {
        table().layoutIfNeeded();
        return dynamic_cast<DLCTableViewCell*>(
            table().cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(index, 0)));
    }
    void reload() {
        table().reloadData();
        table().layoutIfNeeded();
    }

    base::Ref<ui::ViewController> opener;
    base::Ref<game::RootViewController> root;
    base::Ref<DLCViewController> shop;
};

}

TEST_F(DLCShopTest, EachRowOffersTheButtonThatTheListsAndRecordsGive) {
    struct Case {
        char const* name;
        char const* entry; // the listed entry's type, cost and version
        std::optional<std::string> unpackedVer;
        int bought;
        int active;
        Cell cell;
        char const* title;
        bool enabled;
    };
    std::vector<Case> const cases {
        {"not downloaded", R"("type":"vip","cost":5,"ver":"1")", {}, 0, 0, Cell::Download,
            "Download", true},
        {"paid, not bought", R"("type":"vip","cost":5,"ver":"1")", "1", 0, 0, Cell::Buy, "Buy",
            true},
        {"paid, bought, other version", R"("type":"vip","cost":5,"ver":"2")", "1", 1, 1,
            Cell::Update, "Update", true},
        {"paid, bought, off", R"("type":"level","cost":5,"ver":"1")", "1", 1, 0, Cell::Activate,
            "Activate", true},
        {"paid, bought, on", R"("type":"vip","cost":5,"ver":"1")", "1", 1, 1, Cell::Deactivate,
            "Deactivate", true},
        {"free level", R"("type":"level","cost":0,"ver":"1")", "1", 0, 0, Cell::DisabledDeactivate,
            "Deactivate", false},
        {"free vip, first listed", R"("type":"vip","cost":0,"ver":"1")", "1", 0, 0,
            Cell::Deactivate, "Deactivate", true},
    };
    open();
    int n = 0;
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto uid = "u" + std::to_string(n++);
        list(R"([{"uid":")" + uid + R"(",)" + c.entry + R"(,"name":"N"}])");
        if (c.unpackedVer)
            unpacked({{uid, *c.unpackedVer, 0}});
        else
            unpacked({});
        auto type = std::string(c.entry).substr(8, std::string(c.entry).find('"', 8) - 8);
        defaults().setInteger(c.bought, type + "_dlc_" + uid + "_bought");
        defaults().setInteger(c.active, type + "_dlc_" + uid + "_active");
        shop = nullptr;
        open();
        ASSERT_EQ(table().numberOfRowsInSection(0), 1);
        auto* cell = row(0);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->actionKind(1), c.cell);
        auto* button = cell->actionBtn(1);
        ASSERT_TRUE(button);
        EXPECT_EQ(button->titleForState(ui::ControlState::Normal), c.title);
        EXPECT_EQ(button->isEnabled(), c.enabled);
        EXPECT_EQ(button->tag(), 1);
        EXPECT_EQ(button->frame(), graphics::makeRect(280, 45, 175, 54));
        EXPECT_EQ(cell->titleLabel(1)->text(), "N");
    }
}

TEST_F(DLCShopTest, ThemesStayOutAndTheTabletPairsEntriesLeavingAnOddOneAlone) {
    list(R"([{"uid":"a","type":"vip","cost":1,"name":"A"},{"uid":"t","type":"theme","cost":1},
             {"uid":"b","type":"vip","cost":1,"name":"B"},{"uid":"c","type":"vip","cost":1,"name":"C"}])");
    open(true);
    ASSERT_EQ(table().numberOfRowsInSection(0), 2);
    EXPECT_EQ(table().rowHeight(), 120.0f);
    EXPECT_EQ(row(0)->titleLabel(1)->text(), "A");
    EXPECT_EQ(row(0)->titleLabel(2)->text(), "B");
    EXPECT_EQ(row(0)->actionBtn(2)->tag(), 2);
    EXPECT_EQ(row(0)->actionBtn(2)->frame(), graphics::makeRect(792, 45, 175, 54));
    EXPECT_EQ(row(1)->titleLabel(1)->text(), "C");
    EXPECT_EQ(row(1)->actionBtn(2), nullptr);
    EXPECT_EQ(row(1)->celldata2(), nullptr);
    // The right-hand button acts on the second entry.
    log.take();
    setOnline(false);
    tap(row(0)->actionBtn(2));
    EXPECT_EQ(log.only("alert"), std::vector<std::string> {"alert Network Problem"});
}

TEST_F(DLCShopTest, OnlineTheRowsWaitForTheListAndOfflineTheKeptListShowsAtOnce) {
    // Nothing kept and offline: the one row that says there is nothing.
    setOnline(false);
    open();
    ASSERT_EQ(table().numberOfRowsInSection(0), 1);
    EXPECT_EQ(row(0)->descLabel(1)->text(), "DOWNLOAD_TEXT_NONE");
    EXPECT_EQ(row(0)->actionBtn(1), nullptr);

    // Online, the list comes from the server and is kept for later.
    setOnline(true);
    list(R"([{"uid":"a","type":"vip","cost":1,"name":"A"}])");
    open();
    EXPECT_EQ(table().numberOfRowsInSection(0), 1);
    EXPECT_EQ(row(0)->titleLabel(1)->text(), "A");

    // Offline again, the list kept in the data folder shows at once.
    setOnline(false);
    serverkit::QBYConnect::sharedManager().setObject({}, "listdlc_datastore");
    open();
    ASSERT_EQ(table().numberOfRowsInSection(0), 1);
    EXPECT_EQ(row(0)->titleLabel(1)->text(), "A");
}

TEST_F(DLCShopTest, ThePopUpShowsThePriceKindAndEnablesBuyFromABalanceEqualToThePrice) {
    struct Case {
        char const* name;
        char const* costType;
        int balance;
        char const* costText;
        bool enabled;
    };
    Case const cases[] = {
        {"Vov Azavuz, equal", "pp", 40, "40", true},
        {"Vov Azavuz, one short", "pp", 39, "40", false},
        {"coins, equal", "money", 40, "$40", true},
        {"coins, one short", "money", 39, "$40", false},
    };
    auto& screen = open();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto& globals = game::GameGlobals::shared();
        bool pp = std::string(c.costType) == "pp";
        globals.petPoints = pp ? c.balance : 1000;
        globals.money = pp ? 1000 : c.balance;
        auto entry = base::Dictionary::create({{"uid", "x"}, {"type", "vip"}, {"cost", 40},
            {"cost_type", c.costType}, {"name", "Extra"}, {"desc", "More"}});
        screen.showPopUp(*entry, nullptr);
        frame(30);
        EXPECT_TRUE(screen.isPopUpShown());
        EXPECT_EQ(screen.Popup()->center(), graphics::makePoint(240, 160));
        EXPECT_EQ(screen.ContentCost()->text(), c.costText);
        EXPECT_EQ(screen.ContentTitle()->text(), "Extra");
        EXPECT_EQ(screen.ContentDesc()->text(), "More");
        EXPECT_EQ(screen.btn_Buy()->isEnabled(), c.enabled);
        for (ui::View* view :
            {static_cast<ui::View*>(screen.petpoint_icon()), static_cast<ui::View*>(screen.BuyPP()),
                static_cast<ui::View*>(screen.EarnFreePP()),
                static_cast<ui::View*>(screen.EarnPPIcon()),
                static_cast<ui::View*>(screen.BuyPPIcon())})
            EXPECT_EQ(view->isHidden(), !pp);
        EXPECT_EQ(screen.TransferPP()->isHidden(), pp);
        tap(screen.cancelButton());
        frame(30);
        EXPECT_FALSE(screen.isPopUpShown());
        EXPECT_EQ(screen.Popup()->center(), graphics::makePoint(240, 480));
        EXPECT_EQ(screen.selectedContent(), nullptr);
    }
}

TEST_F(DLCShopTest, BuyingSpendsTheBalanceInMemoryAndMarksTheEntryBoughtAndOn) {
    struct Case {
        char const* name;
        char const* costType;
        int balance;
        bool bought;
    };
    Case const cases[] = {
        {"Vov Azavuz, equal", "pp", 40, true},
        {"Vov Azavuz, below", "pp", 39, false},
        {"coins, equal", "money", 40, true},
        {"coins, below", "money", 39, false},
    };
    unpacked({{"x", "1", 0}});
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        list(std::string(R"([{"uid":"x","type":"vip","cost":40,"ver":"1","name":"X","cost_type":")")
            + c.costType + R"("}])");
        auto& screen = open();
        defaults().setInteger(0, "vip_dlc_x_bought");
        defaults().setInteger(0, "vip_dlc_x_active");
        bool pp = std::string(c.costType) == "pp";
        auto& globals = game::GameGlobals::shared();
        // Storage holds older balances than memory: what memory holds is spent.
        globals.petPoints = 0;
        globals.money = 0;
        globals.lastDayMoney = 0;
        game::DataConrtoller::savePetPoints();
        game::DataConrtoller::saveMoney();
        game::DataManager::setInt(100, "DATA_LASTDAYMONEY");
        game::DataManager::setFloat(70, "DATA_AVG_DAILY_CASHFLOW");
        (pp ? globals.petPoints : globals.money) = c.balance;
        globals.lastDayMoney = 100;
        globals.petPointsChanged = false;

        reload();
        ASSERT_EQ(row(0)->actionKind(1), Cell::Buy);
        tap(row(0)->actionBtn(1));
        ASSERT_TRUE(screen.selectedContent());
        EXPECT_EQ(screen.btn_Buy()->isEnabled(), c.bought);
        // The button is pressed anyway: too little buys nothing.
        screen.onBuyClick();
        frame(30);
        int left = c.bought ? 0 : c.balance;
        EXPECT_EQ(pp ? globals.petPoints : globals.money, left);
        EXPECT_EQ(record("vip_dlc_x_bought"), c.bought ? 1 : 0);
        EXPECT_EQ(record("vip_dlc_x_active"), c.bought ? 1 : 0);
        if (pp) {
            EXPECT_EQ(globals.petPointsChanged, c.bought);
            EXPECT_EQ(globals.lastDayMoney, 100);
        } else {
            // The start of the day goes down with the money, and is stored without a
            // second sample in the running average.
            EXPECT_EQ(globals.lastDayMoney, c.bought ? 60 : 100);
            EXPECT_EQ(
                game::DataManager::getIntForKey("DATA_LASTDAYMONEY", -1), c.bought ? 60 : 100);
            EXPECT_EQ(game::DataManager::getFloatForKey("DATA_AVG_DAILY_CASHFLOW", -1), 70.0f);
        }
        if (c.bought) {
            EXPECT_EQ(game::DataManager::getIntForKey(pp ? "SYS_PETPOINTS" : "DATA_MONEY", -1), 0);
        }
        EXPECT_FALSE(screen.isPopUpShown());
        // The row follows at once.
        EXPECT_EQ(row(0)->actionKind(1), c.bought ? Cell::Deactivate : Cell::Buy);
    }
}

TEST_F(DLCShopTest, ANegativePriceIsNeverBought) {
    auto& screen = open();
    game::GameGlobals::shared().petPoints = 10;
    auto entry = base::Dictionary::create(
        {{"uid", "x"}, {"type", "vip"}, {"cost", -50}, {"cost_type", "pp"}, {"name", "X"}});
    screen.showPopUp(*entry, nullptr);
    EXPECT_FALSE(screen.btn_Buy()->isEnabled());
    screen.onBuyClick();
    EXPECT_EQ(game::GameGlobals::shared().petPoints, 10);
    EXPECT_EQ(record("vip_dlc_x_bought"), 0);
}

TEST_F(DLCShopTest, ATokenPackCreditsItsAmountOnceHoweverOftenItsRowIsDrawn) {
    list(R"([{"uid":"tok","type":"free_dbtoken","cost":0,"ver":"1","name":"Tokens"}])");
    unpacked({{"tok", "1", 25}});
    defaults().setInteger(3, "credit");
    open();
    for (int i = 0; i < 5; ++i)
        reload();
    shop = nullptr;
    open();
    reload();
    EXPECT_EQ(record("credit"), 28);
    EXPECT_EQ(record("free_dbtoken_dlc_tok_redeemed"), 1);
    EXPECT_EQ(row(0)->actionKind(1), Cell::DisabledDeactivate);
}

namespace {

// The shop with archives that the stand-in game server lists and serves.
class DLCShopDownloadTest : public DLCShopTest {
protected:
    // Lists the entry and serves its archive, whose "dlc.plist" installs it.
    void offer(std::string const& uid, std::string const& type, int cost) {
        auto description = base::Dictionary::create({{"dlc_id", uid}, {"dlc_cost", cost},
            {"dlc_cost_type", "pp"}, {"dlc_data", base::Dictionary::create()}, {"dlc_desc", "d"},
            {"dlc_name", "Name " + uid}, {"dlc_type", type}, {"dlc_ver", "1"}});
        auto descriptions = base::Array::create();
        descriptions->add(description);
        auto folder = fs::path(work.path());
        ASSERT_TRUE(
            foundation::PropertyList::writeToFile(descriptions, (folder / "dlc.plist").string()));
        auto zip = toolkit::zip::ZipFile::create();
        auto archive = (folder / (uid + ".zip")).string();
        ASSERT_TRUE(zip->CreateZipFile2(archive));
        ASSERT_TRUE(zip->addFileToZip((folder / "dlc.plist").string(), "dlc.plist"));
        ASSERT_TRUE(zip->CloseZipFile2());
        std::ifstream in(archive, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        auto& http = server.gameServer.http();
        http.route("GET", "/dlc/" + uid + ".zip", test::HttpResponse::text(bytes));
        auto md5 = foundation::Digest::hashHex(
            foundation::Digest::Algorithm::MD5, base::Bytes(bytes.begin(), bytes.end()));
        entries_ += std::string(entries_.empty() ? "" : ",") + R"({"uid":")" + uid
            + R"(","ver":"1","type":")" + type + R"(","cost":)" + std::to_string(cost)
            + R"(,"dlc_name":"Name )" + uid + R"(","link":")" + http.url("/dlc/" + uid + ".zip")
            + R"(","md5":")" + md5 + R"("})";
        list("[" + entries_ + "]");
    }

    test::TempDir work;
    std::string entries_;
};

}

TEST_F(DLCShopDownloadTest, DownloadInstallsTheArchiveAndTurnsTheRowToItsNextButton) {
    offer("7", "vip", 5);
    offer("8", "level", 0);
    // Bought before (a reinstall, say) and switched off.
    defaults().setInteger(1, "vip_dlc_7_bought");
    open();
    ASSERT_EQ(row(0)->actionKind(1), Cell::Download);
    ASSERT_EQ(row(1)->actionKind(1), Cell::Download);
    log.take();

    tap(row(0)->actionBtn(1));
    EXPECT_EQ(log.only("event"), std::vector<std::string> {"event Download DLC dlc=dlc_7 -Name 7"});
    EXPECT_EQ(row(0)->observedFetchCount(), 1u);
    settle();
    EXPECT_EQ(row(0)->actionKind(1), Cell::Activate);
    EXPECT_EQ(row(1)->actionKind(1), Cell::Download);

    tap(row(1)->actionBtn(1));
    settle();
    EXPECT_EQ(row(1)->actionKind(1), Cell::DisabledDeactivate);
    EXPECT_EQ(record("level_dlc_8_active"), 1);
    // Every row stopped listening once its fetch completed.
    EXPECT_EQ(row(0)->observedFetchCount() + row(1)->observedFetchCount(), 0u);

    // Activate and Deactivate switch the record.
    tap(row(0)->actionBtn(1));
    EXPECT_EQ(record("vip_dlc_7_active"), 1);
    EXPECT_EQ(row(0)->actionKind(1), Cell::Deactivate);
    tap(row(0)->actionBtn(1));
    EXPECT_EQ(record("vip_dlc_7_active"), 0);
    EXPECT_EQ(row(0)->actionKind(1), Cell::Activate);
}

TEST_F(DLCShopDownloadTest, OfflineADownloadSaysSoAndQueuesNothing) {
    offer("7", "vip", 5);
    open();
    setOnline(false);
    log.take();
    tap(row(0)->actionBtn(1));
    EXPECT_EQ(log.only("alert"), std::vector<std::string> {"alert Network Problem"});
    EXPECT_EQ(alerts.messages.back(), "No Internet Connection!.");
    EXPECT_TRUE(log.only("event").empty());
    EXPECT_EQ(serverkit::QBYConnect::sharedManager().queuedCallCount(), 0u);
}

namespace {

// Rows whose thumbnails come from a loopback server.
class DLCShopThumbnailTest : public DLCShopTest {
protected:
    void listWithThumbnail(std::string const& path) {
        url = pictures.url(path);
        list(R"([{"uid":"a","type":"vip","cost":1,"name":"A","dlc_thumb":")" + url + R"("}])");
    }
    std::size_t requestsFor(std::string const& path) const {
        std::size_t count = 0;
        for (auto const& request : pictures.requests())
            count += request.path == path ? 1 : 0;
        return count;
    }
    // Runs until the row's thumbnail download has ended.
    bool downloaded() {
        return foundation::RunLoop::main().runUntil([this] { return !row(0)->connection(1); }, 20);
    }
    std::optional<fs::path> cacheFile() const {
        auto path = game::DLCThumbnailCache::pathForURL(url);
        return path ? std::optional<fs::path>(*path) : std::nullopt;
    }

    test::LoopbackServer pictures;
    std::string url;
};

}

TEST_F(DLCShopThumbnailTest, APictureAnsweredWith200IsFetchedOnceThenReadFromTheDataFolder) {
    pictures.route("GET", "/t/a.png", test::HttpResponse::text(pngBytes(57, 57), 200, "image/png"));
    listWithThumbnail("/t/a.png");
    open();
    ASSERT_TRUE(row(0)->connection(1));
    ASSERT_TRUE(downloaded());
    ASSERT_TRUE(row(0)->iconImgView(1)->image());
    EXPECT_TRUE(fs::exists(*cacheFile()));
    for (int i = 0; i < 3; ++i) {
        reload();
        EXPECT_FALSE(row(0)->connection(1));
        EXPECT_TRUE(row(0)->iconImgView(1)->image());
    }
    EXPECT_EQ(requestsFor("/t/a.png"), 1u);
    EXPECT_EQ(row(0)->iconImgView(1)->frame(), graphics::makeRect(35, 46, 57, 57));
}

TEST_F(DLCShopThumbnailTest, ErrorRepliesAreNeverCachedAndTheNextDrawingTriesAgain) {
    struct Case {
        char const* name;
        test::HttpResponse reply;
    };
    Case const cases[] = {
        {"404", test::HttpResponse::text("missing", 404)},
        {"500 with a picture body", test::HttpResponse::text(pngBytes(8, 8), 500, "image/png")},
        {"200 that is no picture", test::HttpResponse::text("<html>busy</html>", 200)},
    };
    int n = 0;
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto path = "/t/" + std::to_string(n++) + ".png";
        pictures.route("GET", path, c.reply);
        listWithThumbnail(path);
        open();
        ASSERT_TRUE(downloaded());
        EXPECT_FALSE(row(0)->iconImgView(1)->image());
        EXPECT_FALSE(fs::exists(*cacheFile()));
        reload();
        ASSERT_TRUE(downloaded());
        EXPECT_EQ(requestsFor(path), 2u);
    }
}

TEST_F(DLCShopTest, TheWaysToMoreVovAzavuzOpenTheirScreensOverTheShop) {
    // Phone: the purchase and transfer screens are presented modally.
    auto& phone = open();
    tap(phone.BuyPP());
    frame(30);
    ASSERT_TRUE(dynamic_cast<game::InAppPurchaseViewController*>(phone.presentedViewController()));
    EXPECT_EQ(static_cast<game::InAppPurchaseViewController*>(phone.presentedViewController())
                  ->pRootViewController(),
        root.get());
    phone.dismissViewController(false);
    frame(30);
    tap(phone.TransferPP());
    frame(30);
    ASSERT_TRUE(
        dynamic_cast<game::TransferPetPointsViewController*>(phone.presentedViewController()));
    phone.dismissViewController(false);
    frame(30);
    log.take();
    tap(phone.EarnFreePP());
    EXPECT_EQ(log.only("ads.showOffers").size(), 1u);

    // Tablet: they slide up inside the shop's view.
    auto& tablet = open(true);
    auto before = tablet.view()->subviews().size();
    tap(tablet.BuyPP());
    frame(40);
    EXPECT_FALSE(tablet.presentedViewController());
    ASSERT_EQ(tablet.view()->subviews().size(), before + 1);
    EXPECT_EQ(tablet.view()->subviews().back()->frame().origin, graphics::makePoint(0, 0));
}

TEST_F(DLCShopTest, TheBackButtonDismissesTheShop) {
    auto& screen = open();
    ASSERT_EQ(opener->presentedViewController(), &screen);
    tap(screen.backButton());
    frame(30);
    EXPECT_FALSE(opener->presentedViewController());
}

TEST_F(DLCShopTest, TheGameMakesTheRealShopForTheDownloadPage) {
    game::ShellServices game;
    auto made = game.makeDLCViewController();
    EXPECT_TRUE(dynamic_cast<DLCViewController*>(made.get()));
}
