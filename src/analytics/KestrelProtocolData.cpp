#include <analytics/KestrelProtocolData.hpp>

#include <foundation/Dates.hpp>
#include <foundation/Strings.hpp>

#include <bit>
#include <cmath>
#include <limits>

namespace analytics {

namespace {

template<typename T> void appendBigEndian(T value, base::Bytes& data) {
    for (int shift = int(sizeof(T) * 8) - 8; shift >= 0; shift -= 8)
        data.push_back(std::uint8_t((std::uint64_t(value) >> shift) & 0xFF));
}

// Seconds times 1000, truncated toward zero and held inside the 64-bit range, so
// a date far out of range (or not a number) never becomes undefined behaviour.
std::int64_t toMilliseconds(double seconds) {
    double milliseconds = std::trunc(seconds * 1000.0);
    if (std::isnan(milliseconds))
        return 0;
    if (milliseconds >= 9.2233720368547748e18)
        return std::numeric_limits<std::int64_t>::max();
    if (milliseconds <= -9.2233720368547758e18)
        return std::numeric_limits<std::int64_t>::min();
    return std::int64_t(milliseconds);
}

}

void KestrelProtocolData::appendBoolean(bool value, base::Bytes& data) {
    data.push_back(value ? 1 : 0);
}

void KestrelProtocolData::appendByte(std::int8_t value, base::Bytes& data) {
    data.push_back(std::uint8_t(value));
}

void KestrelProtocolData::appendUshort(std::uint16_t value, base::Bytes& data) {
    appendBigEndian(value, data);
}

void KestrelProtocolData::appendInt(std::int32_t value, base::Bytes& data) {
    appendBigEndian(std::uint32_t(value), data);
}

void KestrelProtocolData::appendLong(std::int64_t value, base::Bytes& data) {
    appendBigEndian(std::uint64_t(value), data);
}

void KestrelProtocolData::appendFloat(float value, base::Bytes& data) {
    appendBigEndian(std::bit_cast<std::uint32_t>(value), data);
}

void KestrelProtocolData::appendDouble(double value, base::Bytes& data) {
    appendBigEndian(std::bit_cast<std::uint64_t>(value), data);
}

void KestrelProtocolData::appendTimestamp(std::optional<base::Date> date, base::Bytes& data) {
    appendLong(date ? millisecondsSince1970(*date) : 0, data);
}

void KestrelProtocolData::appendString(std::optional<std::string_view> string, base::Bytes& data) {
    std::string limited = string ? limitStringLength(*string) : std::string();
    // 255 UTF-16 units take at most 765 UTF-8 bytes, well inside the count.
    appendUshort(std::uint16_t(limited.size()), data);
    data.insert(data.end(), limited.begin(), limited.end());
}

void KestrelProtocolData::appendShortData(base::Bytes const& blob, base::Bytes& data) {
    std::size_t length = std::min<std::size_t>(blob.size(), 0xFFFF);
    appendUshort(std::uint16_t(length), data);
    data.insert(data.end(), blob.begin(), blob.begin() + std::ptrdiff_t(length));
}

void KestrelProtocolData::appendTinyData(base::Bytes const& blob, base::Bytes& data) {
    std::size_t length = blob.size() & 0xFF;
    data.push_back(std::uint8_t(length));
    data.insert(data.end(), blob.begin(), blob.begin() + std::ptrdiff_t(length));
}

std::string KestrelProtocolData::limitStringLength(std::string_view string) {
    if (foundation::utf16Length(string) <= maximumStringLength)
        return std::string(string);
    // An index inside a surrogate pair rounds down to the start of the pair.
    return foundation::substringToUtf16Index(string, maximumStringLength);
}

std::int64_t KestrelProtocolData::timeIntervalFrom(
    std::optional<base::Date> from, std::optional<base::Date> to) {
    if (!from || !to)
        return 0;
    return toMilliseconds(to->seconds - from->seconds);
}

std::int64_t KestrelProtocolData::millisecondsSince1970(base::Date date) {
    return toMilliseconds(foundation::unixTimeFromDate(date));
}

}
