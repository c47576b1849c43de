#pragma once

#include <array>
#include <cstdint>
#include <mutex>

namespace foundation {

// The random number generators of the C library that the game draws from, made
// seedable objects so that tests and scripted plays repeat. Each class has one
// process-wide instance behind the free functions below (random(), lrand48(),
// arc4random()...); all operations lock, so any thread may draw. Each also meets
// std::uniform_random_bit_generator, for <random> and std::shuffle.

// random() and srandom(): the additive feedback generator of the C library (31
// words of state, taps 3 and 31, the low bit dropped), step for step as glibc
// computes it, so a seed gives glibc's sequence. Without a seed it behaves as if
// seeded with 1.
class AdditiveRandom {
public:
    using result_type = std::uint32_t;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return 0x7FFFFFFF; }

    explicit AdditiveRandom(unsigned seed = 1);

    void seed(unsigned seed);
    // 0 to 2^31 - 1.
    result_type next();
    result_type operator()() { return next(); }
    // [0, 1) with 31 bits.
    double uniform();

    // The instance behind random() and srandom().
    static AdditiveRandom& shared();
    // A second instance behind rand() and srand(), so that the effects that reseed
    // rand() leave the salon's random() sequence alone.
    static AdditiveRandom& sharedRand();

private:
    static constexpr int degree = 31;
    static constexpr int separation = 3;

    result_type step();

    std::mutex mutex_;
    std::array<std::int32_t, degree> state_ {};
    int front_ {separation};
    int rear_ {0};
};

// lrand48(), mrand48(), drand48() and srand48(): the 48-bit linear congruential
// generator x' = (0x5DEECE66D x + 0xB) mod 2^48, exactly. Without a seed the state
// starts at 0x1234ABCD330E, as the platform's does.
class Rand48 {
public:
    using result_type = std::uint32_t;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return 0x7FFFFFFF; }

    Rand48() = default;
    explicit Rand48(long seed) { this->seed(seed); }

    // srand48: the low 32 bits of seed, then 0x330E.
    void seed(long seed);
    void setState(std::uint64_t state);
    std::uint64_t state();

    // 0 to 2^31 - 1.
    long lrand48();
    // -2^31 to 2^31 - 1.
    long mrand48();
    // [0, 1) with 48 bits.
    double drand48();
    result_type operator()() { return result_type(lrand48()); }

    static Rand48& shared();

private:
    std::uint64_t step();

    std::mutex mutex_;
    std::uint64_t state_ {0x1234ABCD330Eull};
};

// arc4random(): uniform 32-bit numbers from a ChaCha20 key stream (RFC 8439). Seeded
// from the system's entropy unless a test or a scripted play gives a seed.
class Arc4Random {
public:
    using result_type = std::uint32_t;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return 0xFFFFFFFF; }

    Arc4Random();
    explicit Arc4Random(std::uint64_t seed);
    // The raw key stream of a ChaCha20 key, nonce and first block counter.
    Arc4Random(std::array<std::uint32_t, 8> const& key, std::array<std::uint32_t, 3> const& nonce,
        std::uint32_t counter);

    void seed(std::uint64_t seed);
    void seedFromSystem();

    result_type next();
    result_type operator()() { return next(); }
    // arc4random_uniform: 0 to upperBound - 1 without modulo bias; 0 when upperBound
    // is below 2.
    result_type uniform(result_type upperBound);
    // [0, 1) with 53 bits.
    double uniform01();

    static Arc4Random& shared();

private:
    void setKey(std::array<std::uint32_t, 8> const& key, std::array<std::uint32_t, 3> const& nonce,
        std::uint32_t counter);
    result_type nextLocked();
    void refill();

    std::mutex mutex_;
    std::array<std::uint32_t, 16> input_ {};
    std::array<std::uint32_t, 16> block_ {};
    std::size_t used_ {16};
};

// The C library's calls, on the shared instances.
long random();
void srandom(unsigned seed);
int rand();
void srand(unsigned seed);
long lrand48();
long mrand48();
double drand48();
void srand48(long seed);
std::uint32_t arc4random();
std::uint32_t arc4random_uniform(std::uint32_t upperBound);
// Makes arc4random() repeat, for tests and scripted plays.
void seedArc4random(std::uint64_t seed);
// A uniform draw in [0, 1) from the arc4random() stream.
double uniformRandom();

}
