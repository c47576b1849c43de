#include "EngineFixture.hpp"

#include <base/Exception.hpp>
#include <engine/Layer.hpp>
#include <engine/Scene.hpp>
#include <engine/TouchDispatcher.hpp>

#include <string>
#include <vector>

using engine::TouchDispatcher;

namespace {

std::vector<std::string> asked;

class Standard : public base::Object, public engine::StandardTouchDelegate {
public:
    bool ccTouchesBegan(ui::TouchSet&, ui::Event*) override {
        asked.push_back(name + ".began");
        return handles;
    }
    std::string name;
    bool handles;

protected:
    friend base::Factory;

    Standard(std::string label, bool handlesTouches = false)
        : name(std::move(label))
        , handles(handlesTouches) { }
};

// Implements only the began phase, as a delegate may.
class Targeted : public base::Object, public engine::TargetedTouchDelegate {
public:
    bool ccTouchBegan(ui::Touch*, ui::Event*) override {
        asked.push_back(name + ".began");
        return claims;
    }
    void ccTouchMoved(ui::Touch*, ui::Event*) override { asked.push_back(name + ".moved"); }
    void ccTouchEnded(ui::Touch*, ui::Event*) override { asked.push_back(name + ".ended"); }
    std::string name;
    bool claims;

private:
    friend base::Factory;

    Targeted(std::string label, bool claimsTouch)
        : name(std::move(label))
        , claims(claimsTouch) { }
};

class TouchDispatcherTest : public test::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        asked.clear();
        touches = ui::TouchSet({ui::Touch::create(nullptr, nullptr, {1, 2}, 1, 0)});
    }
    static TouchDispatcher& dispatcher() { return TouchDispatcher::sharedDispatcher(); }

    ui::TouchSet touches;
};

}

TEST_F(TouchDispatcherTest, NewestAmongEqualPrioritiesIsAskedFirstAndHandledEndsTheDispatch) {
    auto a = base::make<Standard>("A"), b = base::make<Standard>("B", true),
         c = base::make<Standard>("C");
    dispatcher().addStandardDelegate(a.get(), 0);
    dispatcher().addStandardDelegate(b.get(), 0);
    dispatcher().addStandardDelegate(c.get(), 0);
    dispatcher().touchesBegan(touches, nullptr);
    EXPECT_EQ(asked, (std::vector<std::string> {"C.began", "B.began"}));
}

TEST_F(TouchDispatcherTest, LowerPrioritiesAreAskedFirst) {
    auto late = base::make<Standard>("late"), early = base::make<Standard>("early"),
         zero = base::make<Standard>("zero");
    dispatcher().addStandardDelegate(late.get(), 1);
    dispatcher().addStandardDelegate(zero.get(), 0);
    dispatcher().addStandardDelegate(early.get(), -1);
    dispatcher().touchesBegan(touches, nullptr);
    EXPECT_EQ(asked, (std::vector<std::string> {"early.began", "zero.began", "late.began"}));
}

TEST_F(TouchDispatcherTest, AStandardDelegateWithoutAPhaseAnswersNotHandled) {
    auto a = base::make<Standard>("A"), b = base::make<Standard>("B", true);
    dispatcher().addStandardDelegate(a.get(), 0);
    dispatcher().addStandardDelegate(b.get(), 0);
    dispatcher().touchesMoved(touches, nullptr);
    dispatcher().touchesEnded(touches, nullptr);
    dispatcher().touchesCancelled(touches, nullptr);
    EXPECT_TRUE(asked.empty());
}

TEST_F(TouchDispatcherTest, ASwallowingTargetedHandlerThatClaimsEverythingEndsTheDispatch) {
    auto standard = base::make<Standard>("S");
    auto targeted = base::make<Targeted>("T", true);
    dispatcher().addStandardDelegate(standard.get(), 0);
    dispatcher().addTargetedDelegate(targeted.get(), -1, true);
    dispatcher().touchesBegan(touches, nullptr);
    EXPECT_EQ(asked, (std::vector<std::string> {"T.began"}));
}

TEST_F(TouchDispatcherTest, TargetedDelegatesHearOnlyOfTheirClaimedTouchesUntilTheyEnd) {
    auto claimer = base::make<Targeted>("yes", true);
    auto refuser = base::make<Targeted>("no", false);
    dispatcher().addTargetedDelegate(claimer.get(), 0, false);
    dispatcher().addTargetedDelegate(refuser.get(), 0, false);
    dispatcher().touchesBegan(touches, nullptr);
    dispatcher().touchesMoved(touches, nullptr);
    dispatcher().touchesEnded(touches, nullptr);
    dispatcher().touchesEnded(touches, nullptr);
    EXPECT_EQ(
        asked, (std::vector<std::string> {"no.began", "yes.began", "yes.moved", "yes.ended"}));
    auto handler = dispatcher().touchHandlers().back();
    EXPECT_TRUE(static_cast<engine::TargetedTouchHandler&>(*handler).claimedTouches().empty());
}

TEST_F(TouchDispatcherTest, RegistrationErrorsRaiseTheNamedExceptions) {
    auto a = base::make<Standard>("A");
    auto stranger = base::make<Standard>("X");
    dispatcher().addStandardDelegate(a.get(), 0);
    struct Case {
        char const* reason;
        std::function<void()> call;
    };
    Case const cases[] = {
        {"Delegate already added to touch dispatcher.",
            [&] { dispatcher().addStandardDelegate(a.get(), 3); }},
        {"Got nil touch delegate", [&] { dispatcher().setPriority(1, nullptr); }},
        {"Touch delegate not found", [&] { dispatcher().setPriority(1, stranger.get()); }},
    };
    for (auto const& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no exception for " << c.reason;
        } catch (base::Exception const& e) {
            EXPECT_EQ(e.name(), "NSInvalidArgumentException");
            EXPECT_EQ(e.reason(), c.reason);
        }
    }
    dispatcher().removeDelegate(stranger.get());
    dispatcher().removeDelegate(nullptr);
    EXPECT_EQ(dispatcher().touchHandlers().size(), 1u);
}

TEST_F(TouchDispatcherTest, RaisingAPriorityMovesTheHandlerAheadOfItsNewPeers) {
    auto a = base::make<Standard>("A"), b = base::make<Standard>("B"),
         c = base::make<Standard>("C");
    dispatcher().addStandardDelegate(a.get(), 0);
    dispatcher().addStandardDelegate(b.get(), -1);
    dispatcher().addStandardDelegate(c.get(), 5);
    dispatcher().setPriority(-1, c.get());
    dispatcher().touchesBegan(touches, nullptr);
    EXPECT_EQ(asked, (std::vector<std::string> {"C.began", "B.began", "A.began"}));
}

TEST_F(TouchDispatcherTest, HandlersAddedOrRemovedDuringADispatchCountFromTheNextOne) {
    auto late = base::make<Standard>("late");
    struct Changer : Standard {
        using Standard::Standard;
        bool ccTouchesBegan(ui::TouchSet& set, ui::Event* event) override {
            Standard::ccTouchesBegan(set, event);
            TouchDispatcher::sharedDispatcher().removeDelegate(victim);
            if (!added) {
                TouchDispatcher::sharedDispatcher().addStandardDelegate(newcomer, 0);
                added = true;
            }
            return false;
        }
        base::Object* victim = nullptr;
        Standard* newcomer = nullptr;
        bool added = false;

        friend base::Factory;
    };
    auto victim = base::make<Standard>("victim");
    auto changer = base::make<Changer>("changer");
    changer->victim = victim.get();
    changer->newcomer = late.get();
    dispatcher().addStandardDelegate(victim.get(), 0);
    dispatcher().addStandardDelegate(changer.get(), 0);
    victim = nullptr;
    dispatcher().touchesBegan(touches, nullptr);
    EXPECT_EQ(asked, (std::vector<std::string> {"changer.began", "victim.began"}));
    asked.clear();
    dispatcher().touchesBegan(touches, nullptr);
    EXPECT_EQ(asked, (std::vector<std::string> {"late.began", "changer.began"}));
}

TEST_F(TouchDispatcherTest, DisabledDispatchDropsEverything) {
    auto a = base::make<Standard>("A");
    dispatcher().addStandardDelegate(a.get(), 0);
    dispatcher().setDispatchEvents(false);
    dispatcher().touchesBegan(touches, nullptr);
    EXPECT_TRUE(asked.empty());
}

TEST_F(TouchDispatcherTest, PurgingLeavesAFreshDispatcherForTheNextUse) {
    auto a = base::make<Standard>("A", true);
    dispatcher().addStandardDelegate(a.get(), 0);
    dispatcher().setDispatchEvents(false);
    TouchDispatcher::purgeSharedDispatcher();
    EXPECT_TRUE(dispatcher().touchHandlers().empty());
    EXPECT_TRUE(dispatcher().dispatchEvents());
    dispatcher().addStandardDelegate(a.get(), 0);
    dispatcher().touchesBegan(touches, nullptr);
    EXPECT_EQ(asked, (std::vector<std::string> {"A.began"}));
}
