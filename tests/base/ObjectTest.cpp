#include <base/Ref.hpp>
#include <base/WeakRef.hpp>

#include <gtest/gtest.h>

namespace {

struct Tracked : base::Object {
    explicit Tracked(int& counter)
        : alive(counter) {
        ++alive;
    }
    ~Tracked() override { --alive; }
    int& alive;
};

struct Derived : Tracked {
    using Tracked::Tracked;
};

}

TEST(Ref, OwnsObjectUntilLastReferenceGoes) {
    int alive = 0;
    base::Ref<Tracked> first = base::make<Tracked>(alive);
    EXPECT_EQ(first->retainCount(), 1);
    {
        auto second = first;
        EXPECT_EQ(first->retainCount(), 2);
    }
    EXPECT_EQ(first->retainCount(), 1);
    EXPECT_EQ(alive, 1);
    first = nullptr;
    EXPECT_EQ(alive, 0);
}

TEST(Ref, MovesWithoutTouchingTheCount) {
    int alive = 0;
    auto a = base::make<Tracked>(alive);
    auto b = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(b->retainCount(), 1);
}

TEST(Ref, ConvertsToBaseAndCastsBackChecked) {
    int alive = 0;
    base::Ref<Tracked> asBase = base::make<Derived>(alive);
    EXPECT_TRUE(base::ref_cast<Derived>(asBase));
    base::Ref<Tracked> plain = base::make<Tracked>(alive);
    EXPECT_FALSE(base::ref_cast<Derived>(plain));
}

TEST(Ref, SelfAssignmentKeepsTheObject) {
    int alive = 0;
    auto a = base::make<Tracked>(alive);
    auto& alias = a;
    a = alias;
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(a->retainCount(), 1);
}

TEST(WeakRef, ReadsNullOnceTheObjectIsGone) {
    int alive = 0;
    auto strong = base::make<Tracked>(alive);
    base::WeakRef<Tracked> weak(strong);
    base::WeakRef<Tracked> copy = weak;
    EXPECT_EQ(weak.get(), strong.get());
    EXPECT_EQ(strong->retainCount(), 1);
    strong = nullptr;
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(weak.get(), nullptr);
    EXPECT_EQ(copy.get(), nullptr);
    EXPECT_FALSE(weak.strong());
}

TEST(WeakRef, OutlivingWeakRefsFreeTheirLink) {
    int alive = 0;
    base::WeakRef<Tracked> weak;
    {
        auto strong = base::make<Tracked>(alive);
        weak = strong.get();
    }
    EXPECT_FALSE(weak);
    weak = nullptr;
}
