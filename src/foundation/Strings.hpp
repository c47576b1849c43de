#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

class CharacterSet;

// Text helpers over UTF-8 std::string and std::string_view, standing in for the
// platform's string class. The platform counts and indexes text in UTF-16 code
// units; the helpers that take or give a length or an index say so in their name.
// Bytes that are not valid UTF-8 read as U+FFFD, one per byte, so no input makes
// a helper fail or read out of range. All functions are pure and thread-safe.

// --- UTF-8 and UTF-16 ---

// The code point at position (advanced past it); an invalid byte gives U+FFFD and
// advances by one. position must be below text.size().
char32_t decodeUtf8(std::string_view text, std::size_t& position);
// Appends a code point as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
void appendUtf8(std::string& out, char32_t codePoint);
bool isValidUtf8(std::string_view text);

// UTF-16 surrogates: a high one (U+D800 to U+DBFF) followed by a low one (U+DC00 to
// U+DFFF) encode one code point past U+FFFF.
constexpr bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
// The code point of a high and a low surrogate (which the caller has checked).
constexpr char32_t combineSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
// The code point at position (advanced past it): a high surrogate followed by a low one
// reads as one code point and advances by two; any other unit, a lone or reversed
// surrogate included, reads as itself and advances by one, so callers decide what an
// unpaired surrogate becomes. position must be below text.size().
char32_t decodeUtf16(std::u16string_view text, std::size_t& position);
// Appends a code point as UTF-16: one unit, or a surrogate pair past U+FFFF; values past
// U+10FFFF become U+FFFD.
void appendUtf16(std::u16string& out, char32_t codePoint);

std::u16string utf8ToUtf16(std::string_view text);
// Lone surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);

// The platform's length: the number of UTF-16 code units.
std::size_t utf16Length(std::string_view text);
// The byte offset where the character holding UTF-16 unit index starts; an index
// inside a surrogate pair rounds down to the pair, one at or past the end gives
// text.size().
std::size_t byteOffsetOfUtf16Index(std::string_view text, std::size_t index);
// Substrings by UTF-16 index. Indexes past the end are clamped (the platform raises
// an exception; text from outside must never end the program), and an index inside
// a surrogate pair rounds down, so to(n) + from(n) always gives the whole text.
std::string substringToUtf16Index(std::string_view text, std::size_t index);
std::string substringFromUtf16Index(std::string_view text, std::size_t index);
std::string substringWithUtf16Range(
    std::string_view text, std::size_t location, std::size_t length);

// --- Comparing ---

enum class CompareOptions : unsigned {
    None = 0,
    // ASCII letters compare without case.
    CaseInsensitive = 1,
    // Runs of decimal digits compare by their numeric value, so "1.10" follows "1.9"
    // and "2.0" precedes "2.0.0"; leading zeros do not count ("01" equals "1").
    Numeric = 64,
};
constexpr CompareOptions operator|(CompareOptions a, CompareOptions b) {
    return CompareOptions(unsigned(a) | unsigned(b));
}
constexpr bool operator&(CompareOptions a, CompareOptions b) {
    return (unsigned(a) & unsigned(b)) != 0;
}

// -1, 0 or 1 as a orders before, with or after b, comparing UTF-16 code units as the
// platform does.
int compare(std::string_view a, std::string_view b, CompareOptions options = CompareOptions::None);
int caseInsensitiveCompare(std::string_view a, std::string_view b);
// The platform's version comparison (compare with numeric search).
int numericCompare(std::string_view a, std::string_view b);

// As std::string_view::starts_with: an empty prefix matches.
bool hasPrefix(std::string_view text, std::string_view prefix);
bool hasSuffix(std::string_view text, std::string_view suffix);
bool containsString(std::string_view text, std::string_view part);

// --- Splitting, joining, trimming, replacing ---

// The pieces between the separators, empty pieces kept: "a,,b" gives "a", "", "b";
// "" gives one empty piece; an empty separator gives the text as its one piece.
std::vector<std::string> componentsSeparatedBy(std::string_view text, std::string_view separator);
// As above, splitting at every character of the set.
std::vector<std::string> componentsSeparatedByCharacters(
    std::string_view text, CharacterSet const& set);
std::string componentsJoinedBy(
    std::vector<std::string> const& components, std::string_view separator);

// Without leading and trailing whitespace and newlines.
std::string trimmed(std::string_view text);
std::string trimmed(std::string_view text, CharacterSet const& set);

// Every occurrence of target, left to right without overlap, replaced. An empty
// target changes nothing.
std::string replaceOccurrences(
    std::string_view text, std::string_view target, std::string_view replacement);

// ASCII letters only; other characters are kept as they are.
std::string uppercase(std::string_view text);
std::string lowercase(std::string_view text);

// --- Percent escapes for URLs ---

enum class StringEncoding { Utf8, Ascii };

// The platform's plain URL escaping: every byte that may not stand in a URL (space,
// '"', '%', '<', '>', '\\', '^', '`', '{', '|', '}', control and non-ASCII bytes) becomes
// "%XX"; the reserved characters ":/?#[]@!$&'()*+,;=" stay as they are.
std::string addingPercentEscapes(std::string_view text);
// As above; with ASCII, text holding a non-ASCII character cannot be encoded and
// gives nothing, as the platform gives nil.
std::optional<std::string> addingPercentEscapes(std::string_view text, StringEncoding encoding);
// The strict form for query values and form fields: every byte except ASCII letters,
// digits, '-', '.', '_' and '~' becomes "%XX", so no reserved character survives.
std::string addingStrictPercentEscapes(std::string_view text);
// Replaces every "%XX" by its byte. Nothing when a '%' is not followed by two
// hexadecimal digits, or the bytes are not valid in the encoding (UTF-8, or ASCII
// bytes below 0x80), as the platform gives nil. '+' is not a space here.
std::optional<std::string> replacingPercentEscapes(
    std::string_view text, StringEncoding encoding = StringEncoding::Utf8);

}
