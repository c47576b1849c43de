#include <base/SharedInstance.hpp>

#include <gtest/gtest.h>

#include <vector>

namespace {

class Counted final : public base::Object {
public:
    ~Counted() override { --alive; }

    static inline int alive = 0;
    static inline int made = 0;

private:
    friend base::Factory;

    Counted() {
        ++alive;
        ++made;
    }
};

using Shared = base::SharedInstance<Counted>;

class SharedInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset() {
        Shared::reset();
        Counted::made = 0;
    }
};

}

TEST_F(SharedInstanceTest, MadeOnFirstUseAndThenTheSame) {
    EXPECT_FALSE(Shared::current());
    EXPECT_EQ(Counted::made, 0);
    auto& first = Shared::get();
    EXPECT_EQ(&Shared::get(), &first);
    EXPECT_EQ(Shared::current().get(), &first);
    EXPECT_EQ(Counted::made, 1);
    EXPECT_EQ(first.retainCount(), 1);
}

TEST_F(SharedInstanceTest, ResetHandsTheInstanceBackAndTheNextUseMakesANewOne) {
    auto* first = &Shared::get();
    auto old = Shared::reset();
    EXPECT_EQ(old.get(), first);
    EXPECT_FALSE(Shared::current());
    EXPECT_EQ(Counted::alive, 1);
    old = nullptr;
    EXPECT_EQ(Counted::alive, 0);
    Shared::get();
    EXPECT_EQ(Counted::made, 2);
    EXPECT_FALSE(Shared::reset() == nullptr);
    EXPECT_TRUE(Shared::reset() == nullptr);
}

TEST_F(SharedInstanceTest, ResetIfCurrentLeavesANewerInstance) {
    auto old = Shared::current();
    EXPECT_FALSE(old);
    Shared::get();
    old = Shared::current();
    Shared::reset();
    auto* newer = &Shared::get();
    EXPECT_FALSE(Shared::resetIfCurrent(old.get()));
    EXPECT_EQ(Shared::current().get(), newer);
    EXPECT_TRUE(Shared::resetIfCurrent(newer));
    EXPECT_FALSE(Shared::current());
}

TEST_F(SharedInstanceTest, OnMadeRunsOnceForEachInstanceMade) {
    std::vector<Counted*> seen;
    auto record = [&](Counted& made) { seen.push_back(&made); };
    auto* first = &Shared::get(record);
    Shared::get(record);
    Shared::reset();
    auto* second = &Shared::get(record);
    EXPECT_EQ(seen, (std::vector<Counted*> {first, second}));
}
