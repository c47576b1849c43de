#include <foundation/Random.hpp>

#include <random>
#include <sys/random.h>

namespace foundation {

AdditiveRandom::AdditiveRandom(unsigned seed) {
    this->seed(seed);
}

void AdditiveRandom::seed(unsigned seed) {
    std::lock_guard lock(mutex_);
    // Park and Miller's minimal standard generator fills the table (Schrage's method
    // keeps 16807 * word within 32 bits), then 310 draws are thrown away to mix it.
    if (seed == 0)
        seed = 1;
    std::int32_t word = std::int32_t(seed);
    state_[0] = word;
    for (int i = 1; i < degree; ++i) {
        long hi = word / 127773;
        long lo = word % 127773;
        word = std::int32_t(16807 * lo - 2836 * hi);
        if (word < 0)
            word += 2147483647;
        state_[std::size_t(i)] = word;
    }
    front_ = separation;
    rear_ = 0;
    for (int i = 0; i < degree * 10; ++i)
        step();
}

AdditiveRandom::result_type AdditiveRandom::step() {
    auto& front = state_[std::size_t(front_)];
    std::uint32_t value = std::uint32_t(front) + std::uint32_t(state_[std::size_t(rear_)]);
    front = std::int32_t(value);
    front_ = (front_ + 1) % degree;
    rear_ = (rear_ + 1) % degree;
    return value >> 1;
}

AdditiveRandom::result_type AdditiveRandom::next() {
    std::lock_guard lock(mutex_);
    return step();
}

double AdditiveRandom::uniform() {
    return next() / 2147483648.0;
}

AdditiveRandom& AdditiveRandom::shared() {
    static AdditiveRandom instance;
    return instance;
}

AdditiveRandom& AdditiveRandom::sharedRand() {
    static AdditiveRandom instance;
    return instance;
}

namespace {

constexpr std::uint64_t mask48 = (std::uint64_t(1) << 48) - 1;

}

void Rand48::seed(long seed) {
    setState((std::uint64_t(std::uint32_t(seed)) << 16) | 0x330E);
}

void Rand48::setState(std::uint64_t state) {
    std::lock_guard lock(mutex_);
    state_ = state & mask48;
}

std::uint64_t Rand48::state() {
    std::lock_guard lock(mutex_);
    return state_;
}

std::uint64_t Rand48::step() {
    std::lock_guard lock(mutex_);
    state_ = (0x5DEECE66Dull * state_ + 0xB) & mask48;
    return state_;
}

long Rand48::lrand48() {
    return long(step() >> 17);
}

long Rand48::mrand48() {
    return long(std::int32_t(std::uint32_t(step() >> 16)));
}

double Rand48::drand48() {
    return double(step()) / double(std::uint64_t(1) << 48);
}

Rand48& Rand48::shared() {
    static Rand48 instance;
    return instance;
}

namespace {

std::uint32_t rotate(std::uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

void quarterRound(std::array<std::uint32_t, 16>& x, int a, int b, int c, int d) {
    auto& xa = x[std::size_t(a)];
    auto& xb = x[std::size_t(b)];
    auto& xc = x[std::size_t(c)];
    auto& xd = x[std::size_t(d)];
    xa += xb;
    xd = rotate(xd ^ xa, 16);
    xc += xd;
    xb = rotate(xb ^ xc, 12);
    xa += xb;
    xd = rotate(xd ^ xa, 8);
    xc += xd;
    xb = rotate(xb ^ xc, 7);
}

std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}

Arc4Random::Arc4Random() {
    seedFromSystem();
}

Arc4Random::Arc4Random(std::uint64_t seed) {
    this->seed(seed);
}

Arc4Random::Arc4Random(std::array<std::uint32_t, 8> const& key,
    std::array<std::uint32_t, 3> const& nonce, std::uint32_t counter) {
    std::lock_guard lock(mutex_);
    setKey(key, nonce, counter);
}

void Arc4Random::setKey(std::array<std::uint32_t, 8> const& key,
    std::array<std::uint32_t, 3> const& nonce, std::uint32_t counter) {
    input_ = {0x61707865, 0x3320646E, 0x79622D32, 0x6B206574};
    for (std::size_t i = 0; i < 8; ++i)
        input_[4 + i] = key[i];
    input_[12] = counter;
    for (std::size_t i = 0; i < 3; ++i)
        input_[13 + i] = nonce[i];
    used_ = 16;
}

void Arc4Random::seed(std::uint64_t seed) {
    std::array<std::uint32_t, 8> key {};
    for (std::size_t i = 0; i < 8; i += 2) {
        std::uint64_t word = splitMix64(seed);
        key[i] = std::uint32_t(word);
        key[i + 1] = std::uint32_t(word >> 32);
    }
    std::lock_guard lock(mutex_);
    setKey(key, {}, 0);
}

void Arc4Random::seedFromSystem() {
    std::array<std::uint32_t, 8> key {};
    if (getrandom(key.data(), sizeof key, 0) != ssize_t(sizeof key)) {
        std::random_device device;
        for (auto& word : key)
            word = device();
    }
    std::lock_guard lock(mutex_);
    setKey(key, {}, 0);
}

void Arc4Random::refill() {
    block_ = input_;
    for (int round = 0; round < 10; ++round) {
        quarterRound(block_, 0, 4, 8, 12);
        quarterRound(block_, 1, 5, 9, 13);
        quarterRound(block_, 2, 6, 10, 14);
        quarterRound(block_, 3, 7, 11, 15);
        quarterRound(block_, 0, 5, 10, 15);
        quarterRound(block_, 1, 6, 11, 12);
        quarterRound(block_, 2, 7, 8, 13);
        quarterRound(block_, 3, 4, 9, 14);
    }
    for (std::size_t i = 0; i < 16; ++i)
        block_[i] += input_[i];
    // The block counter runs on into the nonce, so the stream never repeats.
    if (++input_[12] == 0)
        ++input_[13];
    used_ = 0;
}

Arc4Random::result_type Arc4Random::nextLocked() {
    if (used_ == 16)
        refill();
    return block_[used_++];
}

Arc4Random::result_type Arc4Random::next() {
    std::lock_guard lock(mutex_);
    return nextLocked();
}

Arc4Random::result_type Arc4Random::uniform(result_type upperBound) {
    if (upperBound < 2)
        return 0;
    // Draws below 2^32 mod upperBound are thrown away, leaving a whole number of
    // copies of the range.
    result_type minimum = (0u - upperBound) % upperBound;
    std::lock_guard lock(mutex_);
    for (;;) {
        result_type value = nextLocked();
        if (value >= minimum)
            return value % upperBound;
    }
}

double Arc4Random::uniform01() {
    std::lock_guard lock(mutex_);
    std::uint64_t high = nextLocked() >> 5;
    std::uint64_t low = nextLocked() >> 6;
    return double((high << 26) | low) / 9007199254740992.0;
}

Arc4Random& Arc4Random::shared() {
    static Arc4Random instance;
    return instance;
}

long random() {
    return long(AdditiveRandom::shared().next());
}
void srandom(unsigned seed) {
    AdditiveRandom::shared().seed(seed);
}
int rand() {
    return int(AdditiveRandom::sharedRand().next());
}
void srand(unsigned seed) {
    AdditiveRandom::sharedRand().seed(seed);
}
long lrand48() {
    return Rand48::shared().lrand48();
}
long mrand48() {
    return Rand48::shared().mrand48();
}
double drand48() {
    return Rand48::shared().drand48();
}
void srand48(long seed) {
    Rand48::shared().seed(seed);
}
std::uint32_t arc4random() {
    return Arc4Random::shared().next();
}
std::uint32_t arc4random_uniform(std::uint32_t upperBound) {
    return Arc4Random::shared().uniform(upperBound);
}
void seedArc4random(std::uint64_t seed) {
    Arc4Random::shared().seed(seed);
}
double uniformRandom() {
    return Arc4Random::shared().uniform01();
}

}
