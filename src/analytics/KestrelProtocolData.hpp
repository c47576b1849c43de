#pragma once

#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace analytics {

// Appends primitive values to a growable byte buffer in the analytics report's wire
// encoding: every multi-byte value big-endian, strings as a 16-bit byte count and
// their UTF-8 bytes, times as 64-bit milliseconds since 1970. Every record of the
// report is built from these operations only. Stateless; any thread.
class KestrelProtocolData final {
public:
    KestrelProtocolData() = delete;

    // The longest string written, in UTF-16 units.
    static constexpr std::size_t maximumStringLength = 255;

    static void appendBoolean(bool value, base::Bytes& data);
    static void appendByte(std::int8_t value, base::Bytes& data);
    static void appendUshort(std::uint16_t value, base::Bytes& data);
    static void appendInt(std::int32_t value, base::Bytes& data);
    static void appendLong(std::int64_t value, base::Bytes& data);
    static void appendFloat(float value, base::Bytes& data);
    static void appendDouble(double value, base::Bytes& data);
    // Milliseconds since 1970 of the date; a missing date is eight zero bytes.
    static void appendTimestamp(std::optional<base::Date> date, base::Bytes& data);
    // The string cut by limitStringLength, then its UTF-8 byte count and bytes. A
    // missing string is written as an empty one (00 00).
    static void appendString(std::optional<std::string_view> string, base::Bytes& data);
    // The blob's length as 16 bits, then the blob. Blobs longer than 65535 bytes
    // are cut there, so the count always tells the truth about what follows.
    static void appendShortData(base::Bytes const& blob, base::Bytes& data);
    // The blob's length cut to its low 8 bits as one byte n, then its first n bytes.
    static void appendTinyData(base::Bytes const& blob, base::Bytes& data);

    // The string itself when it has fewer than 256 UTF-16 units, else its first
    // 255. A cut that would fall between the two halves of a surrogate pair falls
    // before the pair (254 units), so the result is always whole characters.
    static std::string limitStringLength(std::string_view string);

    // (to - from) in milliseconds, truncated toward zero; 0 when either is missing.
    static std::int64_t timeIntervalFrom(
        std::optional<base::Date> from, std::optional<base::Date> to);

    // Milliseconds since 1970 of a date (as the report writes them).
    static std::int64_t millisecondsSince1970(base::Date date);
};

}
