// The ad parser's bounded reads against plain unchecked reads of the same blocks, on
// a reply of 1 MiB: both walk every field of every block and do the same work on it
// (numbers summed, texts checked as UTF-8 and copied), so the ratio is the cost of
// the bounds. The whole parse into maps is measured beside them.

#include "Compare.hpp"

#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelBlockReader.hpp>

#include <foundation/Strings.hpp>

#include <cstdint>
#include <optional>
#include <string>

using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelBlockReader;

namespace {

void put(base::Bytes& b, std::uint64_t v, int count) {
    for (int i = count - 1; i >= 0; --i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}

void putString(base::Bytes& b, std::string const& text) {
    put(b, text.size(), 2);
    b.insert(b.end(), text.begin(), text.end());
}

void putBlock(base::Bytes& b, std::uint16_t tag, base::Bytes const& payload) {
    put(b, tag, 2);
    put(b, payload.size(), 4);
    b.insert(b.end(), payload.begin(), payload.end());
}

// Ad blocks of 200 ads, hooks and callbacks until the reply passes 1 MiB.
base::Bytes const& reply() {
    static base::Bytes const bytes = [] {
        base::Bytes out;
        base::Bytes version;
        put(version, 7, 4);
        putBlock(out, 0x0102, version);
        int block = 0;
        while (out.size() < (1u << 20)) {
            base::Bytes ads;
            put(ads, std::uint8_t(block), 1);
            put(ads, 200, 2);
            for (int i = 0; i < 200; ++i) {
                put(ads, std::uint64_t(block * 1000 + i), 8);
                put(ads, 9000 + i, 8);
                putString(ads, "Advertised application " + std::to_string(i));
                putString(ads, "Publisher of many games");
                put(ads, 0, 8);
                put(ads, 11, 8);
                put(ads, 16, 1);
                for (int c = 0; c < 16; ++c)
                    ads.push_back(std::uint8_t(c * 17 + i));
            }
            putBlock(out, 0x0103, ads);
            base::Bytes hooks;
            put(hooks, 20, 4);
            for (int i = 0; i < 20; ++i) {
                putString(hooks, "hook" + std::to_string(block) + "_" + std::to_string(i));
                put(hooks, std::uint8_t(block), 1);
                put(hooks, 1, 1);
            }
            putBlock(out, 0x0107, hooks);
            base::Bytes callbacks;
            put(callbacks, 20, 2);
            for (int i = 0; i < 20; ++i) {
                put(callbacks, std::uint64_t(block * 1000 + i), 8);
                put(callbacks, 3, 1);
                putString(callbacks, "http://ads.example/cb?i=" + std::to_string(i));
                put(callbacks, 1, 1);
            }
            putBlock(out, 0x0122, callbacks);
            ++block;
        }
        putBlock(out, 0x0108, {});
        return out;
    }();
    return bytes;
}

// Reads as KestrelBlockReader does, without looking at the end of anything.
class UncheckedReader {
public:
    UncheckedReader(std::uint8_t const* begin, std::uint8_t const*)
        : p_(begin) { }
    bool ok() const { return true; }
    bool canHold(std::uint64_t, std::size_t) { return true; }
    std::uint8_t u8() { return *p_++; }
    std::uint16_t u16() {
        auto v = std::uint16_t((unsigned(p_[0]) << 8) | p_[1]);
        p_ += 2;
        return v;
    }
    std::uint32_t u32() {
        auto v = (std::uint32_t(p_[0]) << 24) | (std::uint32_t(p_[1]) << 16)
            | (std::uint32_t(p_[2]) << 8) | std::uint32_t(p_[3]);
        p_ += 4;
        return v;
    }
    std::int64_t i64() {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | p_[i];
        p_ += 8;
        return std::int64_t(v);
    }
    std::span<std::uint8_t const> bytes(std::size_t count) {
        std::span<std::uint8_t const> s(p_, count);
        p_ += count;
        return s;
    }
    std::optional<std::string> str16() {
        auto length = u16();
        auto text = bytes(length);
        std::string_view view(reinterpret_cast<char const*>(text.data()), text.size());
        if (auto zero = view.find('\0'); zero != std::string_view::npos)
            view = view.substr(0, zero);
        if (!foundation::isValidUtf8(view))
            return std::nullopt;
        return std::string(view);
    }

private:
    std::uint8_t const* p_;
};

// Every field of the reply's blocks, as the parser's handlers read them.
template<typename Reader> std::uint64_t walk(base::Bytes const& bytes) {
    std::uint64_t sum = 0;
    auto const* p = bytes.data();
    auto const* end = p + bytes.size();
    while (end - p >= 6) {
        auto tag = std::uint16_t((unsigned(p[0]) << 8) | p[1]);
        std::uint32_t length = (std::uint32_t(p[2]) << 24) | (std::uint32_t(p[3]) << 16)
            | (std::uint32_t(p[4]) << 8) | std::uint32_t(p[5]);
        p += 6;
        if (length > std::size_t(end - p))
            return 0;
        Reader block(p, p + length);
        if (tag == 0x0103) {
            sum += block.u8();
            auto count = block.u16();
            if (!block.canHold(count, 37))
                return 0;
            for (int i = 0; i < count && block.ok(); ++i) {
                sum += std::uint64_t(block.i64()) + std::uint64_t(block.i64());
                sum += block.str16().value_or("").size();
                sum += block.str16().value_or("").size();
                sum += std::uint64_t(block.i64()) + std::uint64_t(block.i64());
                sum += block.bytes(block.u8()).size();
            }
        } else if (tag == 0x0107) {
            auto count = block.u32();
            if (!block.canHold(count, 4))
                return 0;
            for (std::uint32_t i = 0; i < count && block.ok(); ++i) {
                sum += block.str16().value_or("").size();
                sum += block.u8() + block.u8();
            }
        } else if (tag == 0x0122) {
            auto count = block.u16();
            if (!block.canHold(count, 12))
                return 0;
            for (int i = 0; i < count && block.ok(); ++i) {
                sum += std::uint64_t(block.i64()) + block.u8();
                sum += block.str16().value_or("").size();
                sum += block.u8();
            }
        } else if (tag == 0x0102) {
            sum += block.u32();
        }
        if (!block.ok())
            return 0;
        p += length;
    }
    return sum;
}

struct Register {
    Register() {
        auto const& bytes = reply();
        bench::require(walk<KestrelBlockReader>(bytes) == walk<UncheckedReader>(bytes)
                && walk<KestrelBlockReader>(bytes) != 0,
            "both walks read the same fields");
        bench::compare("KestrelAdReply/1 MiB/field walk",
            [](benchmark::State& state) {
                auto const& b = reply();
                for (auto _ : state)
                    benchmark::DoNotOptimize(walk<KestrelBlockReader>(b));
                state.SetBytesProcessed(std::int64_t(state.iterations() * b.size()));
            },
            {{"unchecked", [](benchmark::State& state) {
                  auto const& b = reply();
                  for (auto _ : state)
                      benchmark::DoNotOptimize(walk<UncheckedReader>(b));
                  state.SetBytesProcessed(std::int64_t(state.iterations() * b.size()));
              }}});
        benchmark::RegisterBenchmark("KestrelAdReply/1 MiB/parseData", [](benchmark::State& state) {
            auto const& b = reply();
            auto parser = KestrelAdParser::create();
            for (auto _ : state) {
                auto const* stop = parser->parseData(b.data(), b.size());
                bench::require(stop == b.data() + b.size() && parser->adParsingPhase() == 1,
                    "the whole reply parses");
            }
            state.SetBytesProcessed(std::int64_t(state.iterations() * b.size()));
        })->Unit(benchmark::kMillisecond);
    }
} registered;

}
