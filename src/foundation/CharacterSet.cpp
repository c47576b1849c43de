#include <foundation/CharacterSet.hpp>
#include <foundation/Strings.hpp>

#include <algorithm>
#include <clocale>
#include <locale.h>
#include <memory>
#include <vector>
#include <wctype.h>

namespace foundation {

namespace {

// The C library's Unicode character classes, read through a locale object of our
// own so that the program's global locale does not matter. Null when the C library
// has no UTF-8 locale; the classes then fall back to ASCII.
locale_t unicodeLocale() {
    static locale_t const locale = [] {
        locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
        return made;
    }();
    return locale;
}

bool isAsciiLetter(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAsciiDigit(char32_t c) {
    return c >= '0' && c <= '9';
}

template<typename Test> bool unicodeClass(char32_t c, Test test) {
    auto locale = unicodeLocale();
    if (!locale || c > 0x10FFFF)
        return false;
    return test(wint_t(c), locale) != 0;
}

bool isWhitespace(char32_t c) {
    return c == ' ' || c == '\t' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A)
        || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isNewline(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isLetter(char32_t c) {
    if (c < 0x80)
        return isAsciiLetter(c);
    return unicodeClass(c, [](wint_t w, locale_t l) { return iswalpha_l(w, l); });
}

}

CharacterSet CharacterSet::whitespace() {
    return CharacterSet(isWhitespace);
}

CharacterSet CharacterSet::newline() {
    return CharacterSet(isNewline);
}

CharacterSet CharacterSet::whitespaceAndNewline() {
    return CharacterSet([](char32_t c) { return isWhitespace(c) || isNewline(c); });
}

CharacterSet CharacterSet::decimalDigits() {
    return CharacterSet(isAsciiDigit);
}

CharacterSet CharacterSet::letters() {
    return CharacterSet(isLetter);
}

CharacterSet CharacterSet::alphanumerics() {
    return CharacterSet([](char32_t c) {
        if (c < 0x80)
            return isAsciiLetter(c) || isAsciiDigit(c);
        return unicodeClass(c, [](wint_t w, locale_t l) { return iswalnum_l(w, l); });
    });
}

CharacterSet CharacterSet::uppercaseLetters() {
    return CharacterSet([](char32_t c) {
        if (c < 0x80)
            return c >= 'A' && c <= 'Z';
        return unicodeClass(c, [](wint_t w, locale_t l) { return iswupper_l(w, l); });
    });
}

CharacterSet CharacterSet::lowercaseLetters() {
    return CharacterSet([](char32_t c) {
        if (c < 0x80)
            return c >= 'a' && c <= 'z';
        return unicodeClass(c, [](wint_t w, locale_t l) { return iswlower_l(w, l); });
    });
}

CharacterSet CharacterSet::punctuation() {
    return CharacterSet([](char32_t c) {
        if (c < 0x80)
            return c > 0x20 && c < 0x7F && !isAsciiLetter(c) && !isAsciiDigit(c);
        return unicodeClass(c, [](wint_t w, locale_t l) { return iswpunct_l(w, l); });
    });
}

CharacterSet CharacterSet::characters(std::string_view utf8) {
    auto members = std::make_shared<std::vector<char32_t>>();
    for (std::size_t i = 0; i < utf8.size();)
        members->push_back(decodeUtf8(utf8, i));
    std::sort(members->begin(), members->end());
    return CharacterSet(
        [members](char32_t c) { return std::binary_search(members->begin(), members->end(), c); });
}

CharacterSet CharacterSet::inverted() const {
    auto test = test_;
    return CharacterSet([test](char32_t c) { return !test(c); });
}

CharacterSet CharacterSet::unionWith(CharacterSet const& other) const {
    auto a = test_;
    auto b = other.test_;
    return CharacterSet([a, b](char32_t c) { return a(c) || b(c); });
}

}
