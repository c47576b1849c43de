#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ads::kestrel {

// Reads the big-endian fields of one block of an ad reply, never past the block's
// end (which never lies past the reply's). A read that does not fit answers 0 (or an
// empty string or span) and marks the reader failed for good; the handlers test
// ok() where a failure must stop them, and the parse of a reply whose block failed
// ends there.
class KestrelBlockReader {
public:
    KestrelBlockReader(std::uint8_t const* begin, std::uint8_t const* end)
        : p_(begin)
        , end_(end) { }

    bool ok() const { return ok_; }
    std::size_t remaining() const { return std::size_t(end_ - p_); }
    std::uint8_t const* position() const { return p_; }

    std::uint8_t u8() {
        if (!take(1))
            return 0;
        return p_[-1];
    }
    std::int8_t i8() { return std::int8_t(u8()); }
    std::uint16_t u16() {
        if (!take(2))
            return 0;
        return std::uint16_t((unsigned(p_[-2]) << 8) | p_[-1]);
    }
    std::int16_t i16() { return std::int16_t(u16()); }
    std::uint32_t u32() {
        if (!take(4))
            return 0;
        auto const* q = p_ - 4;
        return (std::uint32_t(q[0]) << 24) | (std::uint32_t(q[1]) << 16)
            | (std::uint32_t(q[2]) << 8) | std::uint32_t(q[3]);
    }
    std::int32_t i32() { return std::int32_t(u32()); }
    std::int64_t i64() {
        if (!take(8))
            return 0;
        auto const* q = p_ - 8;
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value = (value << 8) | q[i];
        return std::int64_t(value);
    }
    // count bytes, or an empty span (and failure) when they are not all there.
    std::span<std::uint8_t const> bytes(std::size_t count) {
        if (!take(count))
            return {};
        return {p_ - count, count};
    }
    // A u16 byte count and that many bytes, as text up to its first zero byte. Text
    // that is not UTF-8 is none; the reader goes on after it.
    std::optional<std::string> str16();

    // Whether count entries of at least entrySize bytes each can still be in the
    // block; marks the reader failed when they cannot, so a forged count never
    // makes the handler reserve or loop for entries that are not there.
    bool canHold(std::uint64_t count, std::size_t entrySize) {
        if (count > remaining() / (entrySize ? entrySize : 1)) {
            fail();
            return false;
        }
        return true;
    }

    void fail() {
        ok_ = false;
        p_ = end_;
    }

private:
    bool take(std::size_t count) {
        if (std::size_t(end_ - p_) < count) {
            fail();
            return false;
        }
        p_ += count;
        return true;
    }

    std::uint8_t const* p_;
    std::uint8_t const* end_;
    bool ok_ {true};
};

}
