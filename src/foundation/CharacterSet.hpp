#pragma once

#include <functional>
#include <string_view>
#include <utility>

namespace foundation {

// A set of Unicode code points, standing in for the platform's character sets in
// splitting, trimming and scanning. A value; copies share nothing mutable, so a set
// may be used from any thread.
//
// Letters and alphanumerics follow Unicode through the C library's UTF-8 character
// classes; digits are the ASCII ones; whitespace and newlines are the platform's
// fixed lists.
class CharacterSet {
public:
    // Space, tab and the other Unicode space separators (no line breaks).
    static CharacterSet whitespace();
    // Line feed, vertical tab, form feed, carriage return, U+0085, U+2028, U+2029.
    static CharacterSet newline();
    static CharacterSet whitespaceAndNewline();
    static CharacterSet decimalDigits();
    static CharacterSet letters();
    static CharacterSet alphanumerics();
    static CharacterSet uppercaseLetters();
    static CharacterSet lowercaseLetters();
    static CharacterSet punctuation();
    // Exactly the characters of utf8.
    static CharacterSet characters(std::string_view utf8);

    CharacterSet inverted() const;
    CharacterSet unionWith(CharacterSet const& other) const;

    bool contains(char32_t codePoint) const { return test_(codePoint); }

private:
    explicit CharacterSet(std::function<bool(char32_t)> test)
        : test_(std::move(test)) { }

    std::function<bool(char32_t)> test_;
};

}
