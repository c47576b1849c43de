// Screenshots of the downloadable-content shop as the game's window draws it on a phone
// and on a tablet: a list whose rows show every kind of button, and the details pop-up
// over it. The list is the one kept from an earlier run (the network is off), the
// thumbnails come from the data folder's cache.
#include <engine/StaticFileCache.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/store/DLCTableViewCell.hpp>
#include <game/store/DLCThumbnailCache.hpp>
#include <game/store/DLCViewController.hpp>
#include <graphics/Image.hpp>
#include <serverkit/QBYConnect.hpp>
#include <support/GLFixture.hpp>
#include <support/TempDir.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>
#include <ui/TableView.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using Cell = game::DLCRowRules::Cell;

struct Screen {
    char const* name;
    int width;
    int height;
    bool pad;
};

// One entry a kind of button: (uid, type, cost, listed version, unpacked version or
// none, bought, active, colour of its thumbnail).
struct Entry {
    char const* uid;
    char const* type;
    int cost;
    char const* ver;
    char const* unpackedVer;
    int bought;
    int active;
    graphics::Rgba colour;
    Cell cell;
};

Entry const entries[] = {
    {"dl", "vip", 30, "1", nullptr, 0, 0, {90, 170, 240, 255}, Cell::Download},
    {"buy", "vip", 40, "1", "1", 0, 0, {240, 120, 160, 255}, Cell::Buy},
    {"upd", "level", 20, "2", "1", 1, 1, {250, 200, 60, 255}, Cell::Update},
    {"act", "level", 25, "1", "1", 1, 0, {120, 200, 120, 255}, Cell::Activate},
    {"deact", "vip", 15, "1", "1", 1, 1, {180, 120, 230, 255}, Cell::Deactivate},
    {"tok", "free_dbtoken", 0, "1", "1", 1, 1, {240, 150, 60, 255}, Cell::DisabledDeactivate},
};

class DLCShopRender : public test::GLFixture, public ::testing::WithParamInterface<Screen> {
protected:
    DLCShopRender()
        : GLFixture(GetParam().width, GetParam().height) { }

    void SetUp() override {
        GLFixture::SetUp();
        previousBundle = foundation::Bundle::mainBundle().bundlePath();
        foundation::Bundle::setMainBundlePath(std::string(QUILLABY_BUILD_DIR) + "/bundle");
        foundation::Sandbox::setRoot(dir.path().string());
        foundation::UserDefaults::resetStandardUserDefaults();
        ui::Image::purgeCache();
        engine::StaticFileCache::clearCache();
        ui::Application::reset();
        ui::Device::currentDevice().setUserInterfaceIdiom(
            GetParam().pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::NotReachable);
        auto data = fs::path(dir.path()) / "Library/Marrowby";
        fs::create_directories(data);
        serverkit::QBYConnect::resetSharedManager();
        serverkit::QBYConnect::sharedManager().setConfiguration(
            {"", "udid", data.string(), "", ""});
        writeLists(data);

        window = ui::Window::create({{0, 0}, {float(width()), float(height())}});
        window->makeKeyAndVisible();
        opener = ui::ViewController::create();
        window->setRootViewController(opener);
        root = game::RootViewController::create();
        auto& globals = game::GameGlobals::shared();
        globals.petPoints = 45;
        globals.money = 2000;
        shop = game::DLCViewController::create();
        shop->setPRootViewController(root.get());
        opener->presentViewController(shop, false);
        foundation::RunLoop::main().runFor(0.5);
    }
    void TearDown() override {
        renderer.releaseTextures();
        shop = nullptr;
        root = nullptr;
        opener = nullptr;
        window = nullptr;
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        serverkit::QBYConnect::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
        game::GameGlobals::reset();
        ui::Application::reset();
        ui::Device::reset();
        ui::Image::purgeCache();
        engine::StaticFileCache::clearCache();
        foundation::UserDefaults::resetStandardUserDefaults();
        foundation::Sandbox::setRoot({});
        foundation::Bundle::setMainBundlePath(previousBundle);
        GLFixture::TearDown();
    }

    // The kept server list, what is unpacked, the records and the cached thumbnails.
    static void writeLists(fs::path const& data) {
        auto listed = base::Array::create();
        auto unpacked = base::Array::create();
        auto& defaults = foundation::UserDefaults::standardUserDefaults();
        for (auto const& e : entries) {
            std::string uid = e.uid;
            auto url = "http://thumbs.invalid/" + uid + ".png";
            auto title = std::string(e.type) == "free_dbtoken" ? "Token pack" : "Extra " + uid;
            listed->add(base::Dictionary::create({{"uid", uid}, {"type", e.type}, {"cost", e.cost},
                {"cost_type", e.cost % 20 == 0 ? "pp" : "money"}, {"ver", e.ver}, {"name", title},
                {"desc", "A little something for the salon: " + uid + "."}, {"dlc_thumb", url}}));
            if (e.unpackedVer) {
                auto amount = base::Dictionary::create({{"amt", 5}});
                unpacked->add(base::Dictionary::create({{"uid", "dlc_" + uid},
                    {"ver", e.unpackedVer}, {"type", e.type}, {"data", amount}}));
            }
            defaults.setInteger(e.bought, std::string(e.type) + "_dlc_" + uid + "_bought");
            defaults.setInteger(e.active, std::string(e.type) + "_dlc_" + uid + "_active");
            graphics::Image picture(57, 57);
            for (int y = 0; y < 57; ++y)
                for (int x = 0; x < 57; ++x)
                    picture.setPixel(
                        x, y, (x / 8 + y / 8) % 2 ? e.colour : graphics::Rgba {255, 255, 255, 255});
            ASSERT_TRUE(picture.writePNG(*game::DLCThumbnailCache::pathForURL(url)));
        }
        ASSERT_TRUE(
            foundation::PropertyList::writeToFile(listed, (data / "dlclist.plist").string()));
        ASSERT_TRUE(
            foundation::PropertyList::writeToFile(unpacked, (data / "unpacked.plist").string()));
    }

    void draw() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    ui::TableView& table() { return *shop->tableViewController()->tableView(); }
    // The kinds of the buttons in sight, row by row.
    std::vector<Cell> kindsInSight() {
        table().layoutIfNeeded();
        std::vector<Cell> kinds;
        for (auto const& cell : table().visibleCells()) {
            auto* row = dynamic_cast<game::DLCTableViewCell*>(cell.get());
            for (int slot = 1; slot <= 2; ++slot)
                if (row && row->actionBtn(slot))
                    kinds.push_back(row->actionKind(slot));
        }
        return kinds;
    }
    std::string shot(char const* name) const {
        return std::string("dlc-shop-") + name + "-" + GetParam().name;
    }

    foundation::ScopedManualClock clock;
    test::TempDir dir;
    std::string previousBundle;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
    base::Ref<ui::ViewController> opener;
    base::Ref<game::RootViewController> root;
    base::Ref<game::DLCViewController> shop;
};

}

TEST_P(DLCShopRender, TheListShowsEveryKindOfButton) {
    std::vector<Cell> seen;
    if (GetParam().pad) {
        draw();
        saveImage(shot("list"));
        seen = kindsInSight();
    } else {
        // The phone shows two rows and a bit; the list is drawn scrolled three times.
        for (int page = 0; page < 3; ++page) {
            table().setContentOffset({0, float(page) * 2 * table().rowHeight()});
            foundation::RunLoop::main().runFor(0.1);
            draw();
            saveImage(shot(("list-" + std::to_string(page + 1)).c_str()));
            for (auto kind : kindsInSight())
                if (std::find(seen.begin(), seen.end(), kind) == seen.end())
                    seen.push_back(kind);
        }
    }
    std::vector<Cell> expected;
    for (auto const& e : entries)
        expected.push_back(e.cell);
    std::sort(seen.begin(), seen.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);
}

TEST_P(DLCShopRender, ThePopUpShowsTheEntryOverTheList) {
    table().layoutIfNeeded();
    auto* first = dynamic_cast<game::DLCTableViewCell*>(
        table().cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(0, 0)));
    ASSERT_TRUE(first);
    int buySlot = GetParam().pad ? 2 : 1;
    auto* row = GetParam().pad
        ? first
        : dynamic_cast<game::DLCTableViewCell*>(
            table().cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(1, 0)));
    ASSERT_TRUE(row);
    ASSERT_EQ(row->actionKind(buySlot), Cell::Buy);
    row->actionBtn(buySlot)->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    foundation::RunLoop::main().runFor(0.5);
    draw();
    saveImage(shot("popup"));
    EXPECT_TRUE(shop->isPopUpShown());
    EXPECT_EQ(shop->ContentCost()->text(), "40");
    EXPECT_TRUE(shop->btn_Buy()->isEnabled());
    // The pop-up's panel covers the middle of the screen: between its price and its
    // buttons lies its cream.
    float unit = GetParam().pad ? 2 : 1;
    auto panel = pixel(width() / 2, height() - 1 - int(float(height()) / 2 + 36 * unit));
    EXPECT_GT(panel.r, 230);
    EXPECT_GT(panel.g, 220);
    EXPECT_GT(panel.b, 200);
}

INSTANTIATE_TEST_SUITE_P(Screens, DLCShopRender,
    ::testing::Values(Screen {"phone", 480, 320, false}, Screen {"tablet", 1024, 768, true}),
    [](auto const& screen) { return std::string(screen.param.name); });
