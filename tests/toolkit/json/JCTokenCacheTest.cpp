#include <toolkit/json/JCTokenCache.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include "ValuePrinter.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using base::Value;
using namespace toolkit::json;

namespace {

// The token points at text, which must outlive it.
JCTokenValue stringToken(std::string_view text) {
    JCTokenValue value;
    value.ptr = reinterpret_cast<std::uint8_t const*>(text.data());
    value.length = std::uint32_t(text.size());
    value.type = JCValueTypeString;
    std::uint32_t hash = 0x539C1505u;
    for (unsigned char c : text)
        hash = hash * 33 + c;
    value.hash = hash;
    return value;
}

// The shared text that holds key in dictionary, or null.
base::SharedString const* sharedKey(base::Dictionary const& dictionary, std::string_view key) {
    for (auto const& entry : dictionary) {
        if (entry.first == key)
            return entry.first.shared();
    }
    return nullptr;
}

}

TEST(JCTokenCache, EqualKeysOfTwoTreesAreOneStringObject) {
    auto decoder = JSONDecoder::decoder();
    auto first = decoder->objectWithString("[{\"uid\":\"thm_001\",\"ver\":\"1.0\"}]");
    auto second = decoder->mutableObjectWithString("{\"other\":{\"ver\":2,\"uid\":3}}");
    auto& a = *(*first.array())[0].dictionary();
    auto& b = *(*second.dictionary())["other"].dictionary();
    for (std::string_view key : {"uid", "ver"}) {
        auto inFirst = sharedKey(a, key);
        auto inSecond = sharedKey(b, key);
        ASSERT_TRUE(inFirst && inSecond) << key;
        EXPECT_EQ(inFirst->get(), inSecond->get()) << key;
        EXPECT_EQ(**inFirst, key);
    }
    // A key and an equal string value are one object as well.
    auto again = decoder->objectWithString("[\"uid\"]");
    EXPECT_EQ((*again.array())[0].sharedString()->get(), sharedKey(a, "uid")->get());
    // Lookups by text still find the shared keys.
    EXPECT_EQ(*a["uid"].string(), "thm_001");
    EXPECT_EQ(b["uid"].intValue(), 3);
}

TEST(JCTokenCache, EqualStringValuesOfTwoTreesAreOneStringObject) {
    auto decoder = JSONDecoder::decoder();
    auto first = decoder->objectWithString("[{\"uid\":\"thm_001\"}]");
    auto second = decoder->objectWithString("{\"other\":[\"thm_001\"]}");
    auto& a = *(*first.array())[0].dictionary();
    auto& b = *(*second.dictionary())["other"].array();
    ASSERT_TRUE(a["uid"].sharedString());
    EXPECT_EQ(*a["uid"].sharedString(), *b[0].sharedString());
}

TEST(JCTokenCache, EqualNumbersOfDifferentTypesAreDifferentObjects) {
    auto value = JSONDecoder::decoder()->objectWithString("[1,1.0,1]");
    auto& array = *value.array();
    EXPECT_EQ(array[0].kind(), Value::Kind::Integer);
    EXPECT_EQ(array[1].kind(), Value::Kind::Real);
    EXPECT_EQ(array[2].kind(), Value::Kind::Integer);
}

TEST(JCTokenCache, ClearCacheMakesNewObjectsAndEarlierTreesKeepTheirs) {
    auto decoder = JSONDecoder::decoder();
    auto before = decoder->objectWithString("[\"kept\"]");
    auto shared = *(*before.array())[0].sharedString();
    decoder->clearCache();
    for (std::size_t i = 0; i < JCTokenCache::count; ++i)
        ASSERT_TRUE(decoder->cache().item(i).object.isNil());
    auto after = decoder->objectWithString("[\"kept\"]");
    EXPECT_NE((*after.array())[0].sharedString()->get(), shared.get());
    EXPECT_EQ(*(*before.array())[0].string(), "kept");
}

TEST(JCTokenCache, LongStringsAreCachedAndAPrefixDoesNotMatch) {
    JCTokenCache cache;
    std::string big(64 * 1024, 'x');
    auto token = stringToken(big);
    auto first = cache.cachedObject(token);
    ASSERT_TRUE(token.cacheItem);
    auto again = stringToken(big);
    EXPECT_EQ(cache.cachedObject(again).sharedString()->get(), first.sharedString()->get());
    std::string const prefixText = big.substr(0, big.size() - 1);
    auto prefix = stringToken(prefixText);
    auto shorter = cache.cachedObject(prefix);
    EXPECT_EQ(shorter.string()->size(), big.size() - 1);
    EXPECT_NE(shorter.sharedString()->get(), first.sharedString()->get());
}

TEST(JCTokenCache, TheEmptyStringIsOneConstantAndTakesNoSlot) {
    JCTokenCache cache;
    auto empty = stringToken("");
    auto a = cache.cachedObject(empty);
    EXPECT_FALSE(empty.cacheItem);
    auto b = cache.cachedObject(empty);
    EXPECT_EQ(a.sharedString()->get(), b.sharedString()->get());
    EXPECT_EQ(a.sharedString()->get(), JCTokenCache::emptyString().get());
    for (std::size_t i = 0; i < JCTokenCache::count; ++i)
        ASSERT_TRUE(cache.item(i).object.isNil());
}

TEST(JCTokenCache, HitsAgeUpAndTheRegisterStepsAsAGaloisLFSR) {
    JCTokenCache cache;
    auto token = stringToken("a");
    cache.cachedObject(token);
    std::size_t slot = token.hash & (JCTokenCache::count - 1);
    EXPECT_EQ(cache.ageOf(slot), 0u);
    cache.cachedObject(token);
    cache.cachedObject(token);
    EXPECT_EQ(cache.ageOf(slot), 3u);

    std::uint32_t lfsr = 1;
    for (int i = 0; i < 100; ++i) {
        lfsr = (lfsr & 1) ? (lfsr >> 1) ^ 0x80200003u : lfsr >> 1;
        cache.age();
        ASSERT_EQ(cache.prngLFSR(), lfsr);
    }
}

// Four probes per token: a fifth distinct text whose probes meet only worn slots
// takes one of them over; one whose probes meet young slots is made but not kept.
TEST(JCTokenCache, AFullProbeSequenceReplacesAWornSlot) {
    JCTokenCache cache;
    // Tokens with one hash and length collide on all four probes.
    auto token = [](std::string_view text) {
        auto value = stringToken(text);
        value.hash = 7;
        return value;
    };
    std::string const texts[] = {"aa", "bb", "cc", "dd", "ee"};
    for (int i = 0; i < 4; ++i) {
        auto value = token(texts[i]);
        cache.cachedObject(value);
        ASSERT_TRUE(value.cacheItem) << i;
    }
    // Every slot of the sequence is taken and young (age 0): the new text takes the
    // first worn one it meets.
    auto fifth = token(texts[4]);
    auto made = cache.cachedObject(fifth);
    EXPECT_EQ(*made.string(), "ee");
    ASSERT_TRUE(fifth.cacheItem);
    EXPECT_EQ(*fifth.cacheItem->object.string(), "ee");

    // Raise every slot of the sequence: the next new text is made but not kept.
    for (auto& text : texts) {
        auto value = token(text);
        cache.cachedObject(value);
        cache.cachedObject(value);
    }
    std::string const sixthText = "ff";
    auto sixth = token(sixthText);
    EXPECT_EQ(*cache.cachedObject(sixth).string(), "ff");
    EXPECT_FALSE(sixth.cacheItem);
}

// A token with another text's hash reaches that text's slot and is compared byte by
// byte: a difference at the first, a middle or the last byte of any length is a miss.
TEST(JCTokenCache, ATextWithAnEqualHashMatchesOnlyItsOwnBytes) {
    for (std::size_t length = 1; length <= 40; ++length) {
        std::string const stored(length, 'k');
        for (std::size_t at : {std::size_t(0), length / 2, length - 1}) {
            JCTokenCache cache;
            auto token = stringToken(stored);
            auto first = cache.cachedObject(token);
            ASSERT_TRUE(token.cacheItem);
            auto same = stringToken(stored);
            EXPECT_EQ(cache.cachedObject(same).sharedString()->get(), first.sharedString()->get())
                << length;
            std::string other = stored;
            other[at] = 'q';
            auto collision = stringToken(other);
            collision.hash = token.hash;
            auto made = cache.cachedObject(collision);
            EXPECT_EQ(*made.string(), other) << length << " " << at;
            EXPECT_NE(made.sharedString()->get(), first.sharedString()->get());
        }
    }
}
