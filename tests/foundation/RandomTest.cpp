#include <foundation/Random.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

using foundation::AdditiveRandom;
using foundation::Arc4Random;
using foundation::Rand48;

static_assert(std::uniform_random_bit_generator<AdditiveRandom>);
static_assert(std::uniform_random_bit_generator<Rand48>);
static_assert(std::uniform_random_bit_generator<Arc4Random>);

TEST(Random, AdditiveGeneratorRepeatsTheCLibrarysRandom) {
    for (unsigned seed : {0u, 1u, 42u, 1330837567u, 2147483647u, 2147483648u, 4294967295u}) {
        ::srandom(seed);
        AdditiveRandom ours(seed);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(long(ours.next()), ::random()) << "seed " << seed << " draw " << i;
    }
}

TEST(Random, AdditiveGeneratorStartsAsIfSeededWithOne) {
    AdditiveRandom unseeded;
    ::srandom(1);
    EXPECT_EQ(long(unseeded.next()), ::random());
    // glibc's well-known first draw after srandom(1).
    EXPECT_EQ(AdditiveRandom(1).next(), 1804289383u);
}

TEST(Random, SharedRandomAndRandAreSeparateSeedableStreams) {
    foundation::srandom(7);
    foundation::srand(7);
    long a = foundation::random();
    int b = foundation::rand();
    EXPECT_EQ(a, long(AdditiveRandom(7).next()));
    EXPECT_EQ(b, int(AdditiveRandom(7).next()));
    // Reseeding rand() leaves random() where it was.
    foundation::srand(99);
    AdditiveRandom expected(7);
    expected.next();
    EXPECT_EQ(foundation::random(), long(expected.next()));
}

TEST(Random, Rand48RepeatsTheCLibrarysGenerators) {
    for (long seed : {0L, 1L, 1330837567L, -1L, 0x123456789AL}) {
        ::srand48(seed);
        Rand48 ours(seed);
        for (int i = 0; i < 300; ++i) {
            ASSERT_EQ(ours.lrand48(), ::lrand48()) << "seed " << seed;
            ASSERT_EQ(ours.mrand48(), ::mrand48()) << "seed " << seed;
            ASSERT_EQ(ours.drand48(), ::drand48()) << "seed " << seed;
        }
    }
}

TEST(Random, Rand48StartsFromThePlatformsInitialState) {
    Rand48 unseeded;
    EXPECT_EQ(unseeded.state(), 0x1234ABCD330Eu);
    unsigned short state[3] = {0x330E, 0xABCD, 0x1234};
    EXPECT_EQ(unseeded.lrand48(), ::nrand48(state));
    foundation::srand48(5);
    Rand48 expected(5);
    EXPECT_EQ(foundation::lrand48(), expected.lrand48());
    EXPECT_EQ(foundation::drand48(), expected.drand48());
    EXPECT_EQ(foundation::mrand48(), expected.mrand48());
}

TEST(Random, Arc4RandomIsTheChaCha20KeyStream) {
    // The block function test vector of RFC 8439, section 2.3.2.
    std::array<std::uint32_t, 8> key {};
    for (std::uint32_t i = 0; i < 8; ++i)
        key[i] = (4 * i) | ((4 * i + 1) << 8) | ((4 * i + 2) << 16) | ((4 * i + 3) << 24);
    Arc4Random stream(key, {0x09000000, 0x4A000000, 0x00000000}, 1);
    std::uint32_t const expected[16] = {0xe4e7f110, 0x15593bd1, 0x1fdd0f50, 0xc47120a3, 0xc7f4d1c7,
        0x0368c033, 0x9aaa2204, 0x4e6cd4c3, 0x466482d2, 0x09aa9f07, 0x05d7c214, 0xa2028bd9,
        0xd19c12b5, 0xb94e16de, 0xe883d0cb, 0x4e3c50a2};
    for (auto word : expected)
        EXPECT_EQ(stream.next(), word);
}

TEST(Random, Arc4RandomRepeatsWithASeedAndDiffersWithout) {
    Arc4Random a(12345);
    Arc4Random b(12345);
    Arc4Random c(12346);
    std::vector<std::uint32_t> first;
    for (int i = 0; i < 40; ++i) {
        first.push_back(a.next());
        EXPECT_EQ(first.back(), b.next());
    }
    int same = 0;
    for (int i = 0; i < 40; ++i)
        same += c.next() == first[std::size_t(i)];
    EXPECT_LT(same, 2);
    Arc4Random system1;
    Arc4Random system2;
    EXPECT_NE(std::vector<std::uint32_t>({system1.next(), system1.next()}),
        std::vector<std::uint32_t>({system2.next(), system2.next()}));

    foundation::seedArc4random(77);
    Arc4Random expected(77);
    EXPECT_EQ(foundation::arc4random(), expected.next());
}

TEST(Random, UniformDrawsStayInRangeAndCoverIt) {
    Arc4Random generator(1);
    EXPECT_EQ(generator.uniform(0), 0u);
    EXPECT_EQ(generator.uniform(1), 0u);
    std::vector<int> counts(6);
    for (int i = 0; i < 6000; ++i) {
        auto value = generator.uniform(6);
        ASSERT_LT(value, 6u);
        ++counts[value];
    }
    for (int count : counts)
        EXPECT_GT(count, 800);
    EXPECT_LT(generator.uniform(0x80000001u), 0x80000001u);
    double sum = 0;
    for (int i = 0; i < 10000; ++i) {
        double value = generator.uniform01();
        ASSERT_GE(value, 0.0);
        ASSERT_LT(value, 1.0);
        sum += value;
    }
    EXPECT_NEAR(sum / 10000, 0.5, 0.02);
    double unit = foundation::uniformRandom();
    EXPECT_GE(unit, 0.0);
    EXPECT_LT(unit, 1.0);
    EXPECT_LT(foundation::arc4random_uniform(10), 10u);
    AdditiveRandom additive(3);
    EXPECT_LT(additive.uniform(), 1.0);
}

TEST(Random, SharedGeneratorsGiveEachDrawToExactlyOneThread) {
    // Four threads draw from the shared instance at once; together they must have
    // taken exactly the first 4000 numbers of the seeded sequence.
    foundation::srandom(2024);
    std::vector<std::vector<long>> drawn(4);
    std::vector<std::thread> threads;
    for (auto& mine : drawn) {
        threads.emplace_back([&mine] {
            for (int i = 0; i < 1000; ++i)
                mine.push_back(foundation::random());
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::vector<long> all;
    for (auto const& mine : drawn)
        all.insert(all.end(), mine.begin(), mine.end());
    AdditiveRandom reference(2024);
    std::vector<long> expected;
    for (int i = 0; i < 4000; ++i)
        expected.push_back(long(reference.next()));
    std::sort(all.begin(), all.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(all, expected);
}

TEST(Random, WorksWithStandardShuffles) {
    std::vector<int> a {1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<int> b = a;
    AdditiveRandom first(5);
    AdditiveRandom second(5);
    std::shuffle(a.begin(), a.end(), first);
    std::shuffle(b.begin(), b.end(), second);
    EXPECT_EQ(a, b);
}
