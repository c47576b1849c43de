#include "KestrelFixture.hpp"

#include <ads/kestrel/KestrelAdParser.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelOffer;

namespace {

using KestrelAdParserStressTest = test::KestrelTest;

// Two replies whose hook "banner" points at different ad blocks and themes: a look-up
// that saw the hooks of one and the blocks of the other would find no ad at all.
base::Bytes replyOf(char name, std::uint8_t blockId, std::uint8_t themeId, int ads) {
    test::ReplyWriter block;
    block.u8(blockId).u16(std::uint16_t(ads));
    for (int i = 0; i < ads; ++i)
        block.i64(blockId * 100 + i)
            .i64(0)
            .str(std::string(1, name) + std::to_string(i))
            .str("")
            .i64(0)
            .i64(0)
            .u8(0);
    return test::ReplyWriter()
        .block(0x0103, block)
        .block(0x0107, test::ReplyWriter().u32(1).str("banner").u8(blockId).u8(themeId))
        .block(0x010A,
            test::ReplyWriter()
                .u8(1)
                .u8(themeId)
                .str("s")
                .i64(0)
                .i64(0)
                .style("A", 1, 0)
                .style("B", 1, 0)
                .style("C", 1, 0))
        .end()
        .bytes;
}

TEST_F(KestrelAdParserStressTest, LookUpsRacingRepliesSeeOneReplyOrTheOther) {
    auto first = replyOf('A', 1, 1, 2);
    auto second = replyOf('B', 2, 2, 3);
    parse(first);

    std::atomic<bool> done {false};
    std::thread parsing([&] {
        for (int i = 0; i < 60; ++i)
            parse(i % 2 ? first : second);
        done = true;
    });
    int answered = 0;
    int mixed = 0;
    auto offer = KestrelOffer::create();
    while (!done) {
        if (!KestrelAdParser::fastOfferWithHook("banner", nullptr, offer.get())) {
            ++mixed;
            continue;
        }
        auto name = offer->appName.value_or("?");
        auto hook = KestrelAdParser::fastHookWithName("banner");
        if (!hook || !hook->adTheme() || hook->adTheme()->themeId() != hook->themeId())
            ++mixed;
        if (name != "A0" && name != "B0")
            ++mixed;
        ++answered;
    }
    parsing.join();
    EXPECT_EQ(mixed, 0);
    EXPECT_GT(answered, 0);
    EXPECT_TRUE(KestrelAdParser::isAdParserFinished());
}

}
