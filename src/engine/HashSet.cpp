#include <engine/HashSet.hpp>

#include <array>

namespace engine {

namespace {

// Each roughly doubles the one before, so growth stays amortised.
constexpr std::array<int, 29> primes = {5, 11, 17, 37, 67, 131, 257, 521, 1031, 2053, 4099, 8209,
    16411, 32771, 65537, 131101, 262147, 524309, 1048583, 2097169, 4194319, 8388617, 16777259,
    33554467, 67108879, 134217757, 268435459, 536870923, 1073741827};

}

std::uint32_t HashBytes(void const* bytes, std::size_t length) {
    auto const* p = static_cast<unsigned char const*>(bytes);
    std::uint32_t h = 0;
    for (std::size_t i = 0; i < length; ++i) {
        h += p[i];
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}

int nextPrime(int n) {
    for (int prime : primes) {
        if (prime >= n)
            return prime;
    }
    VERIFY_MSG(false, "primes[i]");
    return 0;
}

}
