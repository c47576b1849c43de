#include "KestrelFixture.hpp"

#include <ads/kestrel/KestrelAdCoding.hpp>
#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdStateCallback.hpp>

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <gtest/gtest.h>

using ads::kestrel::KestrelAdImpression;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdStateCallback;
using ads::kestrel::KestrelAdStateCallbackSet;

namespace {

using KestrelAdStateCallbackTest = test::KestrelTest;

TEST_F(KestrelAdStateCallbackTest, EqualityTreatsAdZeroAsEveryAd) {
    auto cb = [](std::int64_t ad, std::uint8_t state, std::string url, std::uint8_t type = 1) {
        return KestrelAdStateCallback::create(ad, state, type, std::move(url));
    };
    struct Case {
        char const* name;
        base::Ref<KestrelAdStateCallback> a;
        base::Ref<KestrelAdStateCallback> b;
        bool equal;
    };
    for (auto const& c : std::vector<Case> {
             {"same ad", cb(7, 3, "u"), cb(7, 3, "u"), true},
             {"ad 0 on one side", cb(7, 3, "u"), cb(0, 3, "u", 2), true},
             {"ad 0 on the other side", cb(0, 3, "u"), cb(7, 3, "u"), true},
             {"other ads", cb(7, 3, "u"), cb(8, 3, "u"), false},
             {"other state", cb(7, 3, "u"), cb(7, 4, "u"), false},
             {"other URL", cb(7, 3, "u"), cb(7, 3, "v"), false},
         }) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.a->isEqualToCallback(*c.b), c.equal);
        EXPECT_EQ(c.b->isEqualToCallback(*c.a), c.equal);
        if (c.equal) {
            EXPECT_EQ(c.a->hash(), c.b->hash());
        }
    }
}

TEST_F(KestrelAdStateCallbackTest, KeysAndSetsOfTheParser) {
    auto forAd = KestrelAdStateCallback::create(7, 3, 2, "http://t.example/cb");
    auto forType = KestrelAdStateCallback::create(0, 3, 2, "http://t.example/cb");
    EXPECT_TRUE(forAd->isEqualToCallback(*forType));
    EXPECT_EQ(forAd->mapKey(), "3_7");
    EXPECT_EQ(forType->mapKey(), "3_0_2");
    EXPECT_EQ(KestrelAdStateCallback::create(5120, 3, 1, "u")->mapKey(), "3_5120");
    // The id is tested as a 32-bit value.
    EXPECT_EQ(KestrelAdStateCallback::create(std::int64_t(1) << 32, 3, 1, "u")->mapKey(),
        "3_4294967296_1");

    auto reply = test::ReplyWriter()
                     .block(0x0122,
                         test::ReplyWriter()
                             .u16(4)
                             .i64(7)
                             .u8(3)
                             .str("http://t.example/cb")
                             .u8(2)
                             .i64(0)
                             .u8(3)
                             .str("http://t.example/cb")
                             .u8(2)
                             .i64(7)
                             .u8(3)
                             .str("http://t.example/cb")
                             .u8(9)
                             .i64(7)
                             .u8(3)
                             .str("http://t.example/other")
                             .u8(2))
                     .end()
                     .bytes;
    parse(reply);
    auto const& map = KestrelAdParser::instance()->adStateCallbackMap();
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(map.at("3_7")->count(), 2u) << "equal callbacks are stored once";
    EXPECT_EQ(map.at("3_0_2")->count(), 1u);
}

TEST_F(KestrelAdStateCallbackTest, LookUpUnitesTheAdAndTheAdTypeSets) {
    startSession();
    auto reply = test::ReplyWriter()
                     .block(0x0122,
                         test::ReplyWriter()
                             .u16(3)
                             .i64(7)
                             .u8(2)
                             .str("http://a.example/1")
                             .u8(1)
                             .i64(7)
                             .u8(2)
                             .str("http://a.example/2")
                             .u8(1)
                             .i64(0)
                             .u8(2)
                             .str("http://b.example/3")
                             .u8(1))
                     .end()
                     .bytes;
    parse(reply);
    auto parser = KestrelAdParser::instance();
    auto impression = KestrelAdImpression::initWithHook("h", 1, nullptr);
    auto ad = ads::kestrel::KestrelAd::create();
    ad->setAdId(7);
    impression->updateWithAd(*ad);
    auto found = KestrelAdParser::fastAdStateCallback(*impression);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->count(), 2u) << "the type key carries the impression's own ad id";

    // An impression of ad 0 finds the callbacks stored for ad 0 and its type.
    auto zero = KestrelAdImpression::initWithHook("h", 1, nullptr);
    ad->setAdId(0);
    zero->updateWithAd(*ad);
    found = parser->getAdStateCallback(*zero);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->count(), 1u);
    EXPECT_EQ(found->callbacks()[0]->callbackUrlBase(), "http://b.example/3");

    auto other = KestrelAdImpression::initWithHook("h", 1, nullptr);
    EXPECT_FALSE(parser->getAdStateCallback(*other)) << "state 1 has no callbacks";
}

TEST_F(KestrelAdStateCallbackTest, ArchiveRoundTrip) {
    ads::kestrel::registerKestrelAdCoding();
    auto set = KestrelAdStateCallbackSet::create();
    set->add(KestrelAdStateCallback::create(7, 3, 2, "http://t.example/cb"));
    set->add(KestrelAdStateCallback::create(8, 3, 2, "http://t.example/cb2"));
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(set);
    ASSERT_TRUE(data);
    auto back
        = foundation::KeyedUnarchiver::unarchiveObjectWithData<KestrelAdStateCallbackSet>(*data);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->count(), 2u);
    EXPECT_EQ(back->callbacks()[1]->adId(), 8);
    EXPECT_EQ(back->callbacks()[1]->adStateId(), 3);
    EXPECT_EQ(back->callbacks()[1]->adType(), 2);
    EXPECT_EQ(back->callbacks()[1]->callbackUrlBase(), "http://t.example/cb2");
}

}
