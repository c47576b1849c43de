#include <ads/adnoria/ADNNetworkChecker.hpp>

#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNNetworkChecker;
namespace flags = foundation::ReachabilityFlags;

TEST(ADNNetworkChecker, TypeStringFollowsTheFlags) {
    auto checker = ADNNetworkChecker::create();
    EXPECT_FALSE(checker->networkTypeString());
    struct Case {
        std::uint32_t flags;
        int type;
        std::optional<std::string> text;
    };
    for (auto const& c :
        {Case {flags::Reachable, 2, "wi"}, Case {flags::Reachable | flags::IsWWAN, 3, "ed"},
            Case {flags::IsWWAN, 1, std::nullopt}, Case {0, 1, std::nullopt}}) {
        checker->setNetworkTypeFromFlags(c.flags);
        EXPECT_EQ(checker->networkType(), c.type);
        EXPECT_EQ(checker->networkTypeString(), c.text);
    }
    EXPECT_EQ(checker->changeCount(), 4u);
}

TEST(ADNNetworkChecker, EnablingStartsUnknownAndHearsReachabilityReports) {
    auto checker = ADNNetworkChecker::create();
    checker->setEnabled(true);
    EXPECT_TRUE(checker->isEnabled());
    EXPECT_EQ(checker->networkType(), 0);
    foundation::Reachability::setForcedFlags(flags::Reachable | flags::IsWWAN);
    EXPECT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return checker->networkType() == 3; }, 10));
    EXPECT_EQ(checker->networkTypeString(), "ed");
    checker->setEnabled(false);
    foundation::Reachability::clearForcedStatus();
    EXPECT_FALSE(checker->isEnabled());
    EXPECT_EQ(checker->networkType(), 0);
    EXPECT_FALSE(checker->networkTypeString());
}
