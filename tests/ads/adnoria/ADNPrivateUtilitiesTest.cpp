#include <ads/adnoria/ADNPrivateUtilities.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNPrivateUtilities;

namespace {

class Thing final : public base::Object {
public:
    static base::Ref<Thing> create() { return base::make<Thing>(); }

private:
    friend base::Factory;
    Thing() = default;
};

}

TEST(ADNPrivateUtilities, PublicObjectsFindTheirPrivateObjects) {
    ADNPrivateUtilities::removeAll();
    auto a = Thing::create();
    auto b = Thing::create();
    auto privateA = Thing::create();
    ADNPrivateUtilities::setPrivateObject(privateA, *a);
    EXPECT_EQ(ADNPrivateUtilities::privateObjectForKey(*a), base::Ref<base::Object>(privateA));
    EXPECT_FALSE(ADNPrivateUtilities::privateObjectForKey(*b));
    auto replacement = Thing::create();
    ADNPrivateUtilities::setPrivateObject(replacement, *a);
    EXPECT_EQ(ADNPrivateUtilities::privateObjectForKey(*a).get(), replacement.get());
    ADNPrivateUtilities::removePrivateObjectForKey(*a);
    EXPECT_FALSE(ADNPrivateUtilities::privateObjectForKey(*a));
}

TEST(ADNPrivateUtilities, ADeadKeyFindsNothingAndReleasesItsValue) {
    ADNPrivateUtilities::removeAll();
    auto value = Thing::create();
    {
        auto key = Thing::create();
        ADNPrivateUtilities::setPrivateObject(value, *key);
        EXPECT_EQ(value->retainCount(), 2);
    }
    EXPECT_EQ(ADNPrivateUtilities::count(), 0u);
    EXPECT_EQ(value->retainCount(), 1);
    // A new object at any address finds nothing of the old one.
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(ADNPrivateUtilities::privateObjectForKey(*Thing::create()));
}
