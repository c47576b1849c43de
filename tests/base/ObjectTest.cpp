#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <support/Tracked.hpp>

#include <gtest/gtest.h>

#include <type_traits>

namespace {

using test::Tracked;

struct Derived : Tracked {
    using Tracked::Tracked;

    friend base::Factory;
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

namespace {

// Takes and drops a reference to itself while it is being made, as a view that
// keeps itself alive across a callback does.
class SelfKeeping final : public base::Object {
public:
    ~SelfKeeping() override { --alive; }
    int& alive;
    int countInConstructor {0};

private:
    friend base::Factory;

    explicit SelfKeeping(int& counter)
        : alive(counter) {
        ++alive;
        base::Ref<SelfKeeping> keep(this);
        countInConstructor = retainCount();
    }
};

// What a class looks like when its constructor was left public by mistake.
class LeftPublic final : public base::Object {
public:
    LeftPublic() = default;
};

}

// Only the factory makes objects, and a raw pointer becomes an owner only by
// the explicit constructor: neither compiles the other way.
static_assert(!std::is_constructible_v<Tracked, int&>);
static_assert(!std::is_constructible_v<Derived, int&>);
static_assert(!std::is_constructible_v<SelfKeeping, int&>);
static_assert(!std::is_default_constructible_v<base::Array>);
static_assert(!std::is_default_constructible_v<base::Dictionary>);
static_assert(base::FactoryMade<Tracked, int&>);
static_assert(base::FactoryMade<base::Array>);
static_assert(!base::FactoryMade<LeftPublic>);
static_assert(!std::is_convertible_v<Tracked*, base::Ref<Tracked>>);
static_assert(!std::is_convertible_v<Derived*, base::Ref<Tracked>>);
static_assert(!std::is_assignable_v<base::Ref<Tracked>&, Tracked*>);
static_assert(std::is_constructible_v<base::Ref<Tracked>, Tracked*>);
static_assert(std::is_convertible_v<std::nullptr_t, base::Ref<Tracked>>);
static_assert(std::is_convertible_v<base::Ref<Derived>, base::Ref<Tracked>>);

TEST(Factory, ANewObjectIsCountedFromItsConstructorOn) {
    int alive = 0;
    auto object = base::make<SelfKeeping>(alive);
    EXPECT_EQ(object->countInConstructor, 2);
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(object->retainCount(), 1);
    object = nullptr;
    EXPECT_EQ(alive, 0);
}

TEST(Ref, TheExplicitStepFromARawPointerTakesACountOfItsOwn) {
    int alive = 0;
    auto owner = base::make<Tracked>(alive);
    {
        base::Ref<Tracked> second(owner.get());
        EXPECT_EQ(owner->retainCount(), 2);
    }
    EXPECT_EQ(owner->retainCount(), 1);
    EXPECT_EQ(alive, 1);
}
