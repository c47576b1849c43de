#include "HudFixture.hpp"

#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Bundle.hpp>
#include <game/interface/CCPurchaseDialog.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using game::CCPurchaseDialog;
using game::GameGlobals;

struct Call {
    std::string what;
    int response;
    base::Ref<base::Dictionary const> item;
};

// Records what the dialog tells it; optionally closes the dialog on a buy or a
// cancel, as the interface does.
class RecordingDelegate final : public game::CCPurchaseDialogDelegate {
public:
    void purchaseDialogDidDismissWithResponse(
        CCPurchaseDialog&, int response, base::Ref<base::Dictionary const> item) override {
        calls.push_back({"dismiss", response, std::move(item)});
    }
    void purchaseDialogDidSelectResponse(
        CCPurchaseDialog& dialog, int response, base::Dictionary const& item) override {
        calls.push_back({"select", response, base::Ref<base::Dictionary const>(&item)});
        if (dismissOnAnswer && response <= CCPurchaseDialog::Cancel)
            dialog.dismissDialog();
    }

    std::vector<Call> calls;
    bool dismissOnAnswer {false};
};

// An item as the producers make it.
base::Ref<base::Dictionary> item(std::string const& type, std::string const& costType, int cost,
    std::string const& uid = "itm_000", std::string const& thumb = "sp_instant2.png") {
    auto data = base::Dictionary::create();
    data->setObject("thumb", thumb);
    auto info = base::Dictionary::create();
    info->setObject("uid", uid);
    info->setObject("name", "Tip Magnet");
    info->setObject("desc", "Customers tip more");
    info->setObject("type", type);
    info->setObject("cost_type", costType);
    info->setObject("cost", cost);
    info->setObject("data", data);
    return info;
}

class CCPurchaseDialogTest : public test::HudTest {
protected:
    explicit CCPurchaseDialogTest(int width = 480, int height = 320)
        : HudTest(width, height) { }

    void SetUp() override {
        HudTest::SetUp();
        auto& globals = GameGlobals::shared();
        globals.petPoints = 15;
        globals.money = 300;
    }
    void TearDown() override {
        if (dialog && dialog->parent())
            layer->removeChild(dialog.get(), engine::Cleanup::Yes);
        dialog = nullptr;
        game::SoundEngine::releaseManager();
        GameGlobals::reset();
        HudTest::TearDown();
    }

    CCPurchaseDialog& open(base::Dictionary const& info) {
        dialog = CCPurchaseDialog::initDialogWithDictionary(info, &delegate);
        layer->addChild(dialog, 10005);
        return *dialog;
    }
    // The centre of a button of the panel in the dialog's (the screen's) space.
    engine::Point centreOf(engine::Sprite const& button) const {
        auto panel = dialog->bg()->contentSize();
        return {dialog->bg()->position().x - panel.width / 2 + button.position().x,
            dialog->bg()->position().y - panel.height / 2 + button.position().y};
    }
    bool tap(engine::Point point) {
        auto touches = touchAt(point);
        return dialog->ccTouchesBegan(touches, nullptr);
    }

    RecordingDelegate delegate;
    base::Ref<CCPurchaseDialog> dialog;
};

TEST_F(CCPurchaseDialogTest, PhoneLayoutOfAPetPointItem) {
    auto& d = open(*item("consumable", "pp", 15));
    auto panel = d.bg()->contentSize();
    EXPECT_EQ(d.dim()->position(), (engine::Point {240, 160}));
    EXPECT_FALSE(d.dim()->visible());
    EXPECT_EQ(d.dim()->zOrder(), 0);
    EXPECT_EQ(d.bg()->position(), (engine::Point {240, 160}));
    EXPECT_EQ(d.bg()->zOrder(), 1);
    EXPECT_EQ(d.children().size(), 2u) << "every other node is the panel's";
    EXPECT_EQ(d.numberOfRunningActions(), 0);
    EXPECT_FALSE(d.isTouchEnabled());

    auto logo = d.logo()->contentSize();
    EXPECT_EQ(
        d.logo()->position(), (engine::Point {logo.width / 2, panel.height - logo.height / 2}));
    EXPECT_EQ(d.titleLabel()->getText(), "Buy");
    EXPECT_EQ(d.titleLabel()->position(), (engine::Point {50, panel.height - 10}));
    EXPECT_EQ(d.titleLabel()->anchorPoint(), (engine::Point {0, 1}));
    EXPECT_EQ(d.titleLabel()->fontName(), "Helvetica-Bold");
    EXPECT_EQ(d.titleLabel()->zOrder(), 10);

    ASSERT_TRUE(d.thumbnail());
    EXPECT_EQ(d.thumbnail()->position(), (engine::Point {panel.width / 2 - 120, 195}));
    EXPECT_EQ(d.thumbnail()->scale(), 1);
    EXPECT_EQ(d.nameLabel()->getText(), "Tip Magnet");
    EXPECT_EQ(d.nameLabel()->position(), (engine::Point {panel.width / 2 - 120, 125}));
    EXPECT_EQ(d.nameLabel()->dimensions(), (engine::Size {240, 40}));
    EXPECT_EQ(d.descLabel()->getText(), "Customers tip more");
    EXPECT_EQ(d.descLabel()->position(), (engine::Point {panel.width / 2 + 110, 160}));
    EXPECT_EQ(d.costLabel()->getText(), "15");
    EXPECT_EQ(d.costLabel()->position(), (engine::Point {panel.width / 2 + 80, 210}));
    EXPECT_EQ(d.costLabel()->fontSize(), 24);
    ASSERT_TRUE(d.ppIcon());
    EXPECT_EQ(d.ppIcon()->position(), (engine::Point {panel.width / 2 + 30, 210}));

    auto cancel = d.buttonCancel()->contentSize();
    EXPECT_EQ(d.buttonCancel()->position(),
        (engine::Point {panel.width - cancel.width / 2 - 20, cancel.height / 2 + 20}));
    EXPECT_EQ(d.buttonCancel()->zOrder(), 5);
    EXPECT_EQ(d.buttonOK()->position(),
        (engine::Point {d.buttonCancel()->position().x - cancel.width / 2 - 20
                - d.buttonOK()->contentSize().width / 2,
            cancel.height / 2 + 20}));
    EXPECT_EQ(d.buttonOK()->zOrder(), 6);
    EXPECT_EQ(d.buttonOK()->color(), (engine::Color3B {255, 255, 255})) << "15 of 15 is enough";
    EXPECT_EQ(d.buttonPoints()->position(), (engine::Point {100, cancel.height / 2 + 20}));
    EXPECT_EQ(d.buttonPoints()->zOrder(), 7);

    auto pp = d.ppStatus()->contentSize();
    EXPECT_EQ(d.ppStatus()->position(),
        (engine::Point {panel.width - pp.width / 2 - 10, panel.height - pp.height / 2 - 8}));
    auto cash = d.cashStatus()->contentSize();
    EXPECT_EQ(d.cashStatus()->position(),
        (engine::Point {d.ppStatus()->position().x - pp.width / 2 - 10 - cash.width / 2,
            panel.height - cash.height / 2 - 8}));
    EXPECT_EQ(d.ppLabel()->getText(), "15");
    EXPECT_EQ(d.ppLabel()->position(),
        (engine::Point {
            d.ppStatus()->position().x - pp.width / 2 + 40, d.ppStatus()->position().y - 15}));
    EXPECT_EQ(d.ppLabel()->anchorPoint(), (engine::Point {0, 0.5f}));
    EXPECT_EQ(d.cashLabel()->getText(), "300");
    EXPECT_EQ(d.cashLabel()->position(),
        (engine::Point {d.cashStatus()->position().x - cash.width / 2 + 30,
            d.cashStatus()->position().y - 15}));
    EXPECT_EQ(d.cashLabel()->zOrder(), 11);

    // The get-more button: the Pet Point sign and its caption beside it.
    auto const& inside = d.buttonPoints()->children();
    ASSERT_EQ(inside.size(), 2u);
    auto* icon = inside[0].get();
    auto* caption = dynamic_cast<engine::Label*>(inside[1].get());
    ASSERT_TRUE(caption);
    EXPECT_EQ(icon->position(),
        (engine::Point {
            d.buttonPoints()->contentSize().height / 2, icon->contentSize().width / 2 + 10}));
    EXPECT_EQ(caption->getText(), "Get Vov Azavuz");
    EXPECT_EQ(caption->position(),
        (engine::Point {
            icon->position().x + icon->contentSize().width / 2 + 5, icon->position().y - 15}));
    EXPECT_EQ(caption->fontSize(), 16);
}

TEST_F(CCPurchaseDialogTest, AMoneyPriceShowsADollarAndNoPetPointSign) {
    auto& d = open(*item("device", "gc", 250));
    EXPECT_EQ(d.costLabel()->getText(), "$250");
    EXPECT_FALSE(d.ppIcon());
    auto* caption = dynamic_cast<engine::Label*>(d.buttonPoints()->children()[1].get());
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->getText(), "Get Coins");
    EXPECT_EQ(caption->fontSize(), 15);
    EXPECT_EQ(caption->dimensions(), (engine::Size {150, 50}));
}

TEST_F(CCPurchaseDialogTest, TabletLayout) {
    tablet();
    auto& d = open(*item("theme", "gc", 1200));
    auto panel = d.bg()->contentSize();
    EXPECT_EQ(d.bg()->position(), (engine::Point {512, 384}));
    EXPECT_EQ(d.dim()->position(), (engine::Point {512, 384}));
    EXPECT_EQ(d.dim()->scale(), 3);
    EXPECT_EQ(d.titleLabel()->position(), (engine::Point {83.65f, panel.height - 10}));
    EXPECT_EQ(d.thumbnail()->position(), (engine::Point {panel.width / 4, 300}));
    EXPECT_FLOAT_EQ(d.thumbnail()->scale(), 0.48f);
    EXPECT_EQ(d.nameLabel()->position(), (engine::Point {panel.width / 4, 200}));
    EXPECT_EQ(d.nameLabel()->fontSize(), 24);
    EXPECT_EQ(d.descLabel()->position(), (engine::Point {panel.width * 0.75f, 230}));
    EXPECT_EQ(d.descLabel()->dimensions(), (engine::Size {360, 120}));
    EXPECT_EQ(d.costLabel()->getText(), "$1200");
    EXPECT_EQ(d.costLabel()->position(), (engine::Point {panel.width * 0.75f, 325}));
    EXPECT_EQ(d.costLabel()->fontSize(), 36);
    auto cancel = d.buttonCancel()->contentSize();
    EXPECT_EQ(d.buttonCancel()->position(),
        (engine::Point {panel.width - cancel.width / 2 - 10, cancel.height / 2 + 10}));
    EXPECT_EQ(d.buttonCancel()->zOrder(), 6);
    EXPECT_EQ(d.buttonOK()->zOrder(), 5);
    EXPECT_EQ(d.buttonOK()->position().x,
        d.buttonCancel()->position().x - cancel.width / 2 - 10
            - d.buttonOK()->contentSize().width / 2);
    EXPECT_EQ(d.buttonOK()->color(), (engine::Color3B {128, 128, 128})) << "300 of 1200";
    EXPECT_EQ(d.buttonPoints()->position(), (engine::Point {167.3f, cancel.height / 2 + 10}));
    auto* caption = dynamic_cast<engine::Label*>(d.buttonPoints()->children()[1].get());
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->getText(), "Get Coins");
    EXPECT_EQ(caption->dimensions(), (engine::Size {200, 50}));
    EXPECT_EQ(caption->fontSize(), 18);
}

TEST_F(CCPurchaseDialogTest, TabletPetPointPriceUsesTheShortCaptionAndTheBigSign) {
    tablet();
    auto& d = open(*item("consumable", "pp", 15));
    auto panel = d.bg()->contentSize();
    EXPECT_EQ(d.costLabel()->getText(), "15");
    ASSERT_TRUE(d.ppIcon());
    EXPECT_EQ(d.ppIcon()->position(), (engine::Point {panel.width * 0.75f + 60, 325}));
    EXPECT_EQ(d.ppIcon()->contentSize().width, 56) << "the tablet's picture";
    auto const& inside = d.buttonPoints()->children();
    auto* caption = dynamic_cast<engine::Label*>(inside[1].get());
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->getText(), "Get More");
    EXPECT_EQ(inside[0]->position().y, inside[0]->contentSize().width / 2 + 20);
    EXPECT_EQ(
        caption->position().x, inside[0]->position().x + inside[0]->contentSize().width / 2 + 10);
}

TEST_F(CCPurchaseDialogTest, TitleByTypeAndPurchaseFlag) {
    struct Case {
        char const* type;
        base::Value purchase;
        char const* title;
    };
    Case const cases[] = {
        {"staff", nullptr, "Hire"},
        {"staff", true, "Hire"},
        {"device", true, "Buy"},
        {"device", false, "Upgrade"},
        {"device", nullptr, "Upgrade"},
        {"theme", nullptr, "Buy"},
        {"consumable", nullptr, "Buy"},
        {"something else", false, "Buy"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.purchase.description());
        auto info = item(c.type, "gc", 10);
        info->objectForKey("data").dictionary()->setObject("purchase", c.purchase);
        EXPECT_EQ(CCPurchaseDialog::titleFor(*info), c.title);
    }
    auto bare = item("device", "gc", 10);
    bare->removeObjectForKey("data");
    EXPECT_EQ(CCPurchaseDialog::titleFor(*bare), "Upgrade");
}

TEST_F(CCPurchaseDialogTest, PicturePlacementByType) {
    auto staff = item("staff", "gc", 10, "HIRE_", "Gameplay_UpgradeIcon.png");
    EXPECT_EQ(open(*staff).thumbnail()->position().y, 185) << "10 lower";
    layer->removeChild(dialog.get(), engine::Cleanup::Yes);

    // A tall furniture picture is brought down to 90 points; a short one keeps its size.
    auto tall = item("device", "gc", 10, "HIRE_chair", "Gameplay_UpgradeMenu.png");
    auto& d = open(*tall);
    EXPECT_FLOAT_EQ(d.thumbnail()->scale(), 90 / d.thumbnail()->contentSize().height);
    EXPECT_EQ(d.thumbnail()->position().y, 195);
    layer->removeChild(dialog.get(), engine::Cleanup::Yes);
    auto small = item("device", "gc", 10, "HIRE_chair", "Money_icon.png");
    EXPECT_EQ(open(*small).thumbnail()->scale(), 1);
}

TEST_F(CCPurchaseDialogTest, ADownloadablePictureComesFromTheDataFolder) {
    auto source = foundation::Bundle::mainBundle().pathForResource("PetPoint_IconSmall", "png");
    ASSERT_TRUE(source);
    auto target = game::Utilities::getPathForSavedData("dlc_thumb.png");
    ASSERT_TRUE(target);
    std::filesystem::copy_file(*source, *target);

    auto info = item("theme", "pp", 5, "theme_dlc_01", "dlc_thumb.png");
    EXPECT_EQ(CCPurchaseDialog::thumbnailPath(*info), target);
    auto& d = open(*info);
    ASSERT_TRUE(d.thumbnail());
    EXPECT_EQ(d.thumbnail()->contentSize(), (engine::Size {28, 28}));

    // The same name on an item of the bundle is looked for in the bundle only.
    auto bundled = item("consumable", "pp", 15, "itm_000", "dlc_thumb.png");
    EXPECT_EQ(CCPurchaseDialog::thumbnailPath(*bundled), "dlc_thumb.png");
    EXPECT_EQ(CCPurchaseDialog::thumbnailPath(
                  *item("consumable", "pp", 15, "itm_000", "sp_instant2.png")),
        "sp_instant2.png");
}

TEST_F(CCPurchaseDialogTest, ADownloadablePictureNameThatIsAPathIsRefused) {
    char const* names[] = {"../secret.png", "../../Library/Preferences/x.png", "/etc/passwd",
        "sub/thumb.png", "..", "a..b.png", "back\\slash.png", ""};
    for (auto const* name : names) {
        SCOPED_TRACE(name);
        test::LogCapture log;
        auto info = item("theme", "pp", 5, "dlc_pack", name);
        EXPECT_EQ(CCPurchaseDialog::thumbnailPath(*info), std::nullopt);
        EXPECT_TRUE(log.contains("Refused the picture")) << "a logged line";
        auto& d = open(*info);
        EXPECT_EQ(d.thumbnail(), nullptr) << "no picture";
        EXPECT_EQ(d.nameLabel()->position().x, d.bg()->contentSize().width / 2 - 120);
        layer->removeChild(dialog.get(), engine::Cleanup::Yes);
    }
    // A bundle picture is looked for in the bundle only: an absolute name is refused too.
    {
        test::LogCapture log;
        auto absolute = item("consumable", "pp", 15, "itm_000", "/etc/hosts");
        EXPECT_EQ(CCPurchaseDialog::thumbnailPath(*absolute), std::nullopt);
        EXPECT_TRUE(log.contains("Refused the picture \"/etc/hosts\""));
        EXPECT_EQ(open(*absolute).thumbnail(), nullptr);
        layer->removeChild(dialog.get(), engine::Cleanup::Yes);
    }
    // A "thumb" of another kind is no picture either.
    auto info = item("theme", "pp", 5, "dlc_pack");
    info->objectForKey("data").dictionary()->setObject("thumb", 12);
    EXPECT_EQ(CCPurchaseDialog::thumbnailPath(*info), std::nullopt);
}

TEST_F(CCPurchaseDialogTest, ButtonsAnswerByCostTypeAndBalance) {
    enum Button { OK, Cancel, Points, Outside };
    struct Case {
        char const* costType;
        int cost;
        Button button;
        int response; // -1: no call
    };
    // Pet Points 15, money 300.
    Case const cases[] = {
        {"pp", 15, OK, 0},
        {"pp", 16, OK, -1},
        {"pp", 16, Cancel, 1},
        {"pp", 16, Points, 2},
        {"gc", 300, OK, 0},
        {"gc", 301, OK, -1},
        {"gc", 301, Cancel, 1},
        {"gc", 301, Points, 3},
        {"coins", 10, Points, 3},
        {"pp", 0, Outside, -1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.costType) + " " + std::to_string(c.cost) + " button "
            + std::to_string(c.button));
        delegate.calls.clear();
        game::SoundEngine::releaseManager();
        auto info = item("consumable", c.costType, c.cost);
        auto& d = open(*info);
        d.showDialogFromPosition({240, 147.5f});
        seconds(0.7f);
        engine::Sprite* pressed = c.button == OK ? d.buttonOK()
            : c.button == Cancel                 ? d.buttonCancel()
            : c.button == Points                 ? d.buttonPoints()
                                                 : nullptr;
        engine::Point at = pressed ? centreOf(*pressed) : engine::Point {240, 300};
        EXPECT_TRUE(tap(at)) << "every touch is the dialog's";
        auto* sound = game::SoundEngine::sharedManager();
        bool clicked = sound && sound->pooledSoundEffect("sfx_click.wav");
        if (c.response < 0) {
            EXPECT_TRUE(delegate.calls.empty());
            EXPECT_EQ(d.response(), 1);
            EXPECT_FALSE(clicked) << "no sound";
            if (pressed) {
                EXPECT_EQ(pressed->numberOfRunningActions(), 0) << "no pulse";
            }
        } else {
            ASSERT_EQ(delegate.calls.size(), 1u);
            EXPECT_EQ(delegate.calls[0].what, "select");
            EXPECT_EQ(delegate.calls[0].response, c.response);
            EXPECT_EQ(delegate.calls[0].item.get(), &d.config()) << "the dialog's own item";
            EXPECT_EQ(d.response(), c.response);
            EXPECT_TRUE(clicked) << "the click sound";
            EXPECT_EQ(pressed->numberOfRunningActions(), 1) << "the pulse";
            seconds(0.1f);
            EXPECT_NEAR(pressed->scale(), 0.9f, 0.02f);
            seconds(0.15f);
            EXPECT_EQ(pressed->scale(), 1);
        }
        layer->removeChild(dialog.get(), engine::Cleanup::Yes);
    }
}

TEST_F(CCPurchaseDialogTest, ButtonAreasFollowThePanelAndStopAtTheirFarEdges) {
    auto& d = open(*item("consumable", "pp", 1));
    // Moved panel: the areas move with it.
    d.bg()->setPosition({250, 150});
    auto size = d.buttonCancel()->contentSize();
    auto centre = centreOf(*d.buttonCancel());
    engine::Point lowLeft {centre.x - size.width / 2, centre.y - size.height / 2};
    struct Case {
        engine::Point at;
        bool hit;
    };
    Case const cases[] = {
        {lowLeft, true},
        {{lowLeft.x + size.width - 0.5f, lowLeft.y + size.height - 0.5f}, true},
        {{lowLeft.x + size.width, centre.y}, false},
        {{centre.x, lowLeft.y + size.height}, false},
        {{lowLeft.x - 0.5f, centre.y}, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::to_string(c.at.x) + ", " + std::to_string(c.at.y));
        delegate.calls.clear();
        tap(c.at);
        EXPECT_EQ(delegate.calls.size(), c.hit ? 1u : 0u);
    }
    ui::TouchSet none;
    EXPECT_TRUE(d.ccTouchesMoved(none, nullptr));
    EXPECT_TRUE(d.ccTouchesEnded(none, nullptr));
    EXPECT_TRUE(d.ccTouchesCancelled(none, nullptr));
    EXPECT_TRUE(d.ccTouchesBegan(none, nullptr));
}

TEST_F(CCPurchaseDialogTest, ShowGrowsThePanelFromThePointToTheCentre) {
    auto& d = open(*item("staff", "gc", 100, "HIRE_", "Money_icon.png"));
    d.showDialogFromPosition({60, 80});
    EXPECT_TRUE(d.isTouchEnabled());
    EXPECT_EQ(d.startPosition(), (engine::Point {60, 80}));
    EXPECT_TRUE(d.dim()->visible());
    EXPECT_EQ(d.dim()->opacity(), 0);
    EXPECT_FLOAT_EQ(d.bg()->scale(), 0.01f);
    EXPECT_EQ(d.bg()->position(), (engine::Point {60, 80}));
    EXPECT_NE(d.bg()->getActionByTag(CCPurchaseDialog::showActionTag), nullptr);
    seconds(0.3f);
    EXPECT_GT(d.bg()->scale(), 0.5f);
    EXPECT_GT(d.dim()->opacity(), 0);
    seconds(0.35f);
    EXPECT_EQ(d.bg()->position(), (engine::Point {240, 160}));
    EXPECT_EQ(d.bg()->scale(), 1);
    EXPECT_EQ(d.dim()->opacity(), 255);
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(CCPurchaseDialogTest, BalancesAndTheBuyButtonFollowTheGlobalsEveryFrame) {
    auto& d = open(*item("consumable", "pp", 20));
    d.showDialogFromPosition({240, 147.5f});
    frames(1);
    EXPECT_EQ(d.buttonOK()->color(), (engine::Color3B {128, 128, 128}));
    tap(centreOf(*d.buttonOK()));
    EXPECT_TRUE(delegate.calls.empty());

    // Back from the offer wall with more Vov Azavuz: white on the next frame.
    GameGlobals::shared().petPoints = 20;
    GameGlobals::shared().money = 45;
    frames(1);
    EXPECT_EQ(d.ppLabel()->getText(), "20");
    EXPECT_EQ(d.cashLabel()->getText(), "45");
    EXPECT_EQ(d.buttonOK()->color(), (engine::Color3B {255, 255, 255}));
    tap(centreOf(*d.buttonOK()));
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_EQ(delegate.calls[0].response, 0);

    // Spent elsewhere: grey again.
    GameGlobals::shared().petPoints = 19;
    frames(1);
    EXPECT_EQ(d.buttonOK()->color(), (engine::Color3B {128, 128, 128}));
}

TEST_F(CCPurchaseDialogTest, DismissShrinksBackAndReportsACopyOfTheItemOnce) {
    delegate.dismissOnAnswer = true;
    auto info = item("consumable", "pp", 15);
    auto& d = open(*info);
    EXPECT_NE(&d.config(), info.get()) << "the dialog keeps a copy";
    d.showDialogFromPosition({100, 50});
    seconds(0.7f);
    tap(centreOf(*d.buttonOK()));
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_FALSE(d.isTouchEnabled());
    EXPECT_NE(d.bg()->getActionByTag(CCPurchaseDialog::dismissActionTag), nullptr);
    // No update while closing: the balances stay as they were.
    GameGlobals::shared().money = 1;
    seconds(0.45f);
    EXPECT_EQ(delegate.calls.size(), 1u) << "still fading";
    EXPECT_EQ(d.cashLabel()->getText(), "300");
    seconds(0.1f);
    ASSERT_EQ(delegate.calls.size(), 2u);
    auto const& dismissed = delegate.calls[1];
    EXPECT_EQ(dismissed.what, "dismiss");
    EXPECT_EQ(dismissed.response, 0);
    ASSERT_TRUE(dismissed.item);
    EXPECT_NE(dismissed.item.get(), &d.config()) << "a copy of its own";
    EXPECT_EQ(dismissed.item->entries(), info->entries());
    EXPECT_FALSE(d.dim()->visible());
    EXPECT_EQ(d.bg()->position(), (engine::Point {100, 50}));
    EXPECT_EQ(d.bg()->scale(), 0);
    seconds(1);
    EXPECT_EQ(delegate.calls.size(), 2u);
}

TEST_F(CCPurchaseDialogTest, DismissingWithoutAPressReportsCancel) {
    auto& d = open(*item("device", "gc", 5, "HIRE_chair", "Money_icon.png"));
    d.showDialogFromPosition({240, 147.5f});
    seconds(0.2f);
    // Closed while still growing, and asked twice: one report.
    d.dismissDialog();
    d.dismissDialog();
    seconds(0.6f);
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_EQ(delegate.calls[0].what, "dismiss");
    EXPECT_EQ(delegate.calls[0].response, 1);
    EXPECT_FALSE(d.dim()->visible());
}

TEST_F(CCPurchaseDialogTest, WithoutACostThePriceIsZero) {
    auto info = item("consumable", "gc", 0);
    info->removeObjectForKey("cost");
    GameGlobals::shared().money = 0;
    auto& d = open(*info);
    EXPECT_EQ(d.cost(), 0);
    EXPECT_TRUE(d.canAfford());
    EXPECT_EQ(d.costLabel()->getText(), "$0");
    layer->removeChild(dialog.get(), engine::Cleanup::Yes);
    tablet();
    auto& pad = open(*info);
    EXPECT_EQ(pad.costLabel()->getText(), "$0");
}

TEST_F(CCPurchaseDialogTest, RemovingTheDialogCleansItUp) {
    auto& d = open(*item("consumable", "pp", 15));
    d.showDialogFromPosition({240, 147.5f});
    layer->removeChild(dialog.get(), engine::Cleanup::Yes);
    EXPECT_TRUE(d.children().empty());
    EXPECT_EQ(d.bg()->numberOfRunningActions(), 0);
    seconds(1);
    EXPECT_TRUE(delegate.calls.empty());
}

// The dialog drawn off-screen over a light floor, kept as a picture for a look.
class CCPurchaseDialogRender : public CCPurchaseDialogTest {
protected:
    explicit CCPurchaseDialogRender(int width = 480, int height = 320)
        : CCPurchaseDialogTest(width, height) { }

    void draw() {
        glClearColor(0.9f, 0.85f, 0.7f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        layer->visit();
        glDisable(GL_BLEND);
        glFinish();
    }
    static int brightness(graphics::Rgba p) { return p.r + p.g + p.b; }
};

TEST_F(CCPurchaseDialogRender, TheOpenDialogDimsTheScreenAndShowsItsPanel) {
    auto floor = brightness({230, 217, 179, 255});
    GameGlobals::shared().petPoints = 7;
    auto& d = open(*item("consumable", "pp", 15));
    draw();
    EXPECT_GT(brightness(pixel(5, 5)), floor - 20) << "built hidden: nothing dims yet";

    d.showDialogFromPosition({240, 147.5f});
    seconds(0.7f);
    draw();
    saveImage("purchase-dialog-phone");
    EXPECT_LT(brightness(pixel(5, 5)), floor - 60) << "the backdrop dims the corner";
    auto panel = d.bg()->contentSize();
    // Inside the panel, away from its pictures and texts.
    auto inPanel = pixel(int(240 - panel.width / 2 + 40), int(160 - panel.height / 2 + 100));
    EXPECT_GT(brightness(inPanel), brightness(pixel(5, 5)) + 60) << "the panel over the backdrop";
    // The buy button is grey: 7 of 15 Vov Azavuz.
    auto ok = centreOf(*d.buttonOK());
    auto okPixel = pixel(int(ok.x), int(ok.y));
    GameGlobals::shared().petPoints = 15;
    frames(1);
    draw();
    auto whitePixel = pixel(int(ok.x), int(ok.y));
    EXPECT_GT(brightness(whitePixel), brightness(okPixel) + 30) << "white once affordable";
    saveImage("purchase-dialog-phone-affordable");
}

class CCPurchaseDialogTabletRender : public CCPurchaseDialogRender {
protected:
    CCPurchaseDialogTabletRender()
        : CCPurchaseDialogRender(1024, 768) { }
};

TEST_F(CCPurchaseDialogTabletRender, TheTabletDialogFillsTheMiddleOfTheScreen) {
    tablet();
    auto floor = brightness({230, 217, 179, 255});
    auto& d = open(*item("device", "gc", 250, "HIRE_chair", "Gameplay_UpgradeIcon.png"));
    d.showDialogFromPosition({512, 367.3f});
    seconds(0.7f);
    draw();
    saveImage("purchase-dialog-tablet");
    EXPECT_LT(brightness(pixel(5, 5)), floor - 60)
        << "the backdrop, three times as big, dims the corner";
    EXPECT_LT(brightness(pixel(1018, 762)), floor - 60);
    auto panel = d.bg()->contentSize();
    auto inPanel = pixel(int(512 - panel.width / 2 + 60), int(384 - panel.height / 2 + 200));
    EXPECT_GT(brightness(inPanel), brightness(pixel(5, 5)) + 60);
}

}
