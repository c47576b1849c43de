#pragma once

#include <base/Decimal.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace toolkit::json {

// A cursor over a block of bytes in memory: tests and consumes single bytes, fixed
// texts, runs of bytes from a set, numbers and raw data, and describes its position
// for error reports. The base of the JSON scanner (LJSONScanner). Where it makes text
// of bytes it reads them as UTF-8; where it tests a byte against a set, the byte's
// value is the character code (byte 0x85 tests as U+0085). Operations that fail
// answer false and leave the position where it was; only the comment scanning raises.
// One scanner serves one thread.
class CDataScanner : public base::Object {
public:
    // A set of characters tested by their code.
    using CharacterTest = std::function<bool(char32_t)>;

    // "0123456789eE-+.": the bytes a number is made of.
    static bool isNumberCharacter(std::uint8_t byte);

    static base::Ref<CDataScanner> scanner() { return base::make<CDataScanner>(); }
    static base::Ref<CDataScanner> scannerWithData(base::Bytes data);

    // The bytes scanned; setting them starts at the first byte.
    base::Bytes const& data() const { return data_; }
    void setData(base::Bytes data);

    std::size_t scanLocation() const { return current_; }
    // The location must not pass the end (checked: a larger value raises
    // NSRangeException).
    void setScanLocation(std::size_t location);
    std::size_t bytesRemaining() const { return data_.size() - current_; }
    bool isAtEnd() const { return current_ >= data_.size(); }

    // The byte at the position without moving; none at the end.
    std::optional<std::uint8_t> currentCharacter() const {
        if (current_ < data_.size())
            return data_[current_];
        return std::nullopt;
    }
    // The byte at the position, moving past it; none at the end.
    std::optional<std::uint8_t> scanCharacter();
    bool scanCharacter(std::uint8_t byte) {
        if (current_ < data_.size() && data_[current_] == byte) {
            ++current_;
            return true;
        }
        return false;
    }
    bool scanUTF8String(char const* text, std::string* intoString = nullptr);
    bool scanString(std::string_view text, std::string* intoString = nullptr);
    bool scanCharactersFromSet(CharacterTest const& set, std::string* intoString = nullptr);
    // Finds text in the remaining bytes (the search stops at a zero byte) and stops at
    // its first byte, giving the bytes before it.
    bool scanUpToString(std::string_view text, std::string* intoString = nullptr);
    bool scanUpToCharactersFromSet(CharacterTest const& set, std::string* intoString = nullptr);
    // The longest run of number bytes: a decimal when it holds ".", a signed integer
    // (leading digits, saturating) when it holds "-", else the unsigned integer that
    // strtoull reads in base 0 (so "012" is 10 and "1e5" is 1).
    bool scanNumber(base::Value* number = nullptr);
    bool scanDecimalNumber(base::Decimal* number = nullptr);
    bool scanDataOfLength(std::size_t length, base::Bytes* intoData = nullptr);
    // Past every byte for which isspace holds.
    void skipWhitespace() {
        while (current_ < data_.size() && isSpace(data_[current_]))
            ++current_;
    }
    // None when the remaining bytes are not valid UTF-8.
    std::optional<std::string> remainingString() const;
    base::Bytes remainingData() const;

    // "/* ... */": raises NSGenericException when the comment is not terminated, is
    // nested, or does not end correctly.
    bool scanCStyleComment(std::string* intoString = nullptr);
    // "// ..." up to the first line break (U+000A, U+000C, U+000D, U+0085, U+2028,
    // U+2029 by byte value), past the whole run of breaks that follows.
    bool scanCPlusPlusStyleComment(std::string* intoString = nullptr);
    // Line-feed and carriage-return bytes before the position.
    std::size_t lineOfScanLocation() const;
    // "line", "character", "location" and "snippet" (20 bytes either side of the
    // position around "!HERE>!").
    base::Ref<base::Dictionary> userInfoForScanLocation() const;

protected:
    friend base::Factory;
    CDataScanner() = default;

    static bool isSpace(std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    // The bytes [from, to) as text.
    std::string text(std::size_t from, std::size_t to) const {
        return std::string(reinterpret_cast<char const*>(data_.data()) + from, to - from);
    }

    base::Bytes data_;
    std::size_t current_ {0};
};

}
