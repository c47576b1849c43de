#include <engine/Selector.hpp>

#include <gtest/gtest.h>

namespace {

struct Receiver {
    void update(float dt) { updated += dt; }
    void tick(float dt) { ticked += dt; }
    float updated {0};
    float ticked {0};
};

struct DerivedReceiver : Receiver { };

}

TEST(Selector, CallsTheBoundMemberFunction) {
    Receiver r;
    auto s = engine::Selector::make(&Receiver::update, &r, "update:");
    ASSERT_TRUE(s);
    s(0.25f);
    EXPECT_FLOAT_EQ(r.updated, 0.25f);
    EXPECT_EQ(s.name(), "update:");
}

TEST(Selector, EqualForSameMemberAndTargetOnly) {
    Receiver a, b;
    using engine::Selector;
    EXPECT_EQ(
        Selector::make(&Receiver::update, &a), Selector::make(&Receiver::update, &a, "other name"));
    EXPECT_FALSE(Selector::make(&Receiver::update, &a) == Selector::make(&Receiver::tick, &a));
    EXPECT_FALSE(Selector::make(&Receiver::update, &a) == Selector::make(&Receiver::update, &b));
}

TEST(Selector, BindsInheritedMembersOnDerivedTargets) {
    DerivedReceiver d;
    auto s = engine::Selector::make(&DerivedReceiver::update, &d);
    s(1);
    EXPECT_FLOAT_EQ(d.updated, 1);
    EXPECT_EQ(s, engine::Selector::make(&Receiver::update, static_cast<Receiver*>(&d)));
}

TEST(Selector, FunctionSelectorsAreIdentifiedByName) {
    float total = 0;
    auto first = engine::Selector::function("step:", [&](float dt) { total += dt; });
    auto second = engine::Selector::function("step:", [](float) {});
    auto other = engine::Selector::function("tick:", [](float) {});
    EXPECT_EQ(first, second);
    EXPECT_FALSE(first == other);
    Receiver r;
    EXPECT_FALSE(first == engine::Selector::make(&Receiver::update, &r, "step:"));
    first(2);
    EXPECT_FLOAT_EQ(total, 2);
}

TEST(Selector, EmptySelectorsAreFalseAndEqualOnlyToEachOther) {
    engine::Selector empty;
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty, engine::Selector());
    EXPECT_FALSE(engine::Selector::function("x", nullptr));
    Receiver r;
    EXPECT_FALSE(
        engine::Selector::make<Receiver>(&Receiver::update, static_cast<Receiver*>(nullptr)));
    EXPECT_FALSE(empty == engine::Selector::make(&Receiver::update, &r));
}
