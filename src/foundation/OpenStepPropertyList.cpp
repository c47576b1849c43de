#include <foundation/OpenStepPropertyList.hpp>

#include <foundation/Hex.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Strings.hpp>

#include <algorithm>

namespace foundation {

namespace {

bool isBareCharacter(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
        || c == '$' || c == '+' || c == '/' || c == ':' || c == '.' || c == '-';
}

// The text as UTF-8, which the parser walks byte by byte: every character with a
// meaning in the syntax is ASCII, and the bytes of other characters are copied as
// they are. UTF-8 is read in place; UTF-16 (with its byte-order mark) is converted
// into converted first.
std::optional<std::string_view> decode(ByteView bytes, std::string& converted, std::string& error) {
    std::string_view text = bytes.text();
    bool bigEndian = text.starts_with("\xFE\xFF");
    if (bigEndian || text.starts_with("\xFF\xFE")) {
        text.remove_prefix(2);
        if (text.size() % 2) {
            error = "odd number of bytes in UTF-16 text";
            return std::nullopt;
        }
        std::u16string units(text.size() / 2, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i) {
            auto a = static_cast<unsigned char>(text[2 * i]);
            auto b = static_cast<unsigned char>(text[2 * i + 1]);
            units[i] = char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a));
        }
        converted = utf16ToUtf8(units);
        return std::string_view(converted);
    }
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (!isValidUtf8(text)) {
        error = "text is neither UTF-8 nor UTF-16 with a byte-order mark";
        return std::nullopt;
    }
    return text;
}

// The length of the UTF-8 sequence a lead byte starts (1 for ASCII).
std::size_t sequenceLength(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

class Parser {
public:
    Parser(std::string_view text, std::string& error)
        : text_(text)
        , error_(error) { }

    base::Value parseDocument() {
        skipBlanksAndComments();
        if (failed_)
            return {};
        if (atEnd())
            return base::Dictionary::create();
        char32_t first = peek();
        if (first != '{' && first != '(' && first != '<') {
            // A bare or quoted string first: either the whole document is that one
            // string, or this is the braceless string-table form.
            std::size_t start = position_;
            int startLine = line_;
            auto value = parseString();
            if (failed_)
                return {};
            skipBlanksAndComments();
            if (atEnd())
                return value;
            position_ = start;
            line_ = startLine;
            auto table = base::Dictionary::create();
            if (!parseEntries(*table, false, 0))
                return {};
            return table;
        }
        auto value = parseValue(0);
        if (failed_)
            return {};
        skipBlanksAndComments();
        if (!atEnd())
            return fail("text after the top value");
        return value;
    }

private:
    bool atEnd() const { return position_ >= text_.size(); }
    // The byte at the position; bytes of non-ASCII characters are 0x80 and above.
    char32_t peek() const { return static_cast<unsigned char>(text_[position_]); }

    // The length of a blank that is not ASCII at the position (U+FEFF, U+2028 or
    // U+2029), or 0.
    std::size_t wideBlank() const {
        std::string_view rest = text_.substr(position_);
        if (rest.starts_with("\xEF\xBB\xBF") || rest.starts_with("\xE2\x80\xA8")
            || rest.starts_with("\xE2\x80\xA9"))
            return 3;
        return 0;
    }

    base::Value fail(std::string message) {
        if (!failed_)
            error_ = message + " at line " + std::to_string(line_);
        failed_ = true;
        return {};
    }

    void advance() {
        if (text_[position_] == '\n')
            ++line_;
        ++position_;
    }

    void skipBlanksAndComments() {
        while (!atEnd()) {
            char32_t c = peek();
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                advance();
            } else if (c >= 0x80 && wideBlank()) {
                position_ += wideBlank();
            } else if (c == '/' && position_ + 1 < text_.size() && text_[position_ + 1] == '/') {
                auto end = text_.find('\n', position_);
                position_ = end == std::string_view::npos ? text_.size() : end;
            } else if (c == '/' && position_ + 1 < text_.size() && text_[position_ + 1] == '*') {
                auto end = text_.find("*/", position_ + 2);
                if (end == std::string_view::npos) {
                    fail("comment not closed");
                    position_ = text_.size();
                    return;
                }
                line_ += int(std::count(text_.begin() + std::ptrdiff_t(position_),
                    text_.begin() + std::ptrdiff_t(end), '\n'));
                position_ = end + 2;
            } else {
                return;
            }
        }
    }

    base::Value parseValue(int depth) {
        if (depth > PropertyList::maxDepth)
            return fail("nested too deeply");
        skipBlanksAndComments();
        if (failed_)
            return {};
        if (atEnd())
            return fail("unexpected end of text");
        switch (peek()) {
        case '{': {
            advance();
            auto dictionary = base::Dictionary::create();
            if (!parseEntries(*dictionary, true, depth))
                return {};
            return dictionary;
        }
        case '(':
            advance();
            return parseArray(depth);
        case '<':
            advance();
            return parseData();
        default:
            return parseString();
        }
    }

    // Entries up to '}' (inside braces) or to the end (the string-table form).
    bool parseEntries(base::Dictionary& dictionary, bool braced, int depth) {
        for (;;) {
            skipBlanksAndComments();
            if (failed_)
                return false;
            if (atEnd()) {
                if (braced)
                    fail("dictionary not closed");
                return !braced;
            }
            if (braced && peek() == '}') {
                advance();
                return true;
            }
            auto key = parseString();
            if (failed_)
                return false;
            skipBlanksAndComments();
            if (!atEnd() && peek() == ';') {
                advance();
                dictionary.setObject(*key.string(), key);
                continue;
            }
            if (atEnd() || peek() != '=') {
                fail("expected '=' after key \"" + key.stringValue().substr(0, 40) + "\"");
                return false;
            }
            advance();
            auto value = parseValue(depth + 1);
            if (failed_)
                return false;
            skipBlanksAndComments();
            if (atEnd() || peek() != ';') {
                fail("expected ';' after the value of \"" + key.stringValue().substr(0, 40) + "\"");
                return false;
            }
            advance();
            dictionary.setObject(*key.string(), std::move(value));
        }
    }

    base::Value parseArray(int depth) {
        auto array = base::Array::create();
        for (;;) {
            skipBlanksAndComments();
            if (failed_)
                return {};
            if (atEnd())
                return fail("array not closed");
            if (peek() == ')') {
                advance();
                return array;
            }
            auto value = parseValue(depth + 1);
            if (failed_)
                return {};
            array->add(std::move(value));
            skipBlanksAndComments();
            if (failed_)
                return {};
            if (atEnd())
                return fail("array not closed");
            if (peek() == ',') {
                advance();
            } else if (peek() != ')') {
                return fail("expected ',' or ')' in an array");
            }
        }
    }

    base::Value parseData() {
        base::Bytes bytes;
        int high = -1;
        for (;;) {
            skipBlanksAndComments();
            if (failed_)
                return {};
            if (atEnd())
                return fail("data not closed");
            char32_t c = peek();
            advance();
            if (c == '>')
                break;
            int digit = Hex::digitValue(c);
            if (digit < 0)
                return fail("bad character in data");
            if (high < 0) {
                high = digit;
            } else {
                bytes.push_back(std::uint8_t(high << 4 | digit));
                high = -1;
            }
        }
        if (high >= 0)
            return fail("odd number of hexadecimal digits in data");
        return bytes;
    }

    base::Value parseString() {
        if (atEnd())
            return fail("unexpected end of text");
        char32_t c = peek();
        if (c == '"' || c == '\'')
            return parseQuoted(c);
        if (!isBareCharacter(c))
            return fail("unexpected character");
        std::string out;
        while (!atEnd() && isBareCharacter(peek())) {
            out += char(peek());
            advance();
        }
        return out;
    }

    // Builds UTF-8 as it reads. \U escapes give UTF-16 units: a high surrogate waits
    // for a low one to join; one left alone, or a low one without it, is U+FFFD.
    base::Value parseQuoted(char32_t quote) {
        int startLine = line_;
        advance();
        std::string out;
        char16_t pendingHigh = 0;
        auto flushPending = [&] {
            if (pendingHigh) {
                appendUtf8(out, 0xFFFD);
                pendingHigh = 0;
            }
        };
        auto appendCodePoint = [&](char32_t code) {
            flushPending();
            if (code < 0x80)
                out.push_back(char(code));
            else
                appendUtf8(out, code);
        };
        auto appendUnit = [&](char16_t unit) {
            if (isLowSurrogate(unit) && pendingHigh) {
                char32_t code = combineSurrogates(pendingHigh, unit);
                pendingHigh = 0;
                appendUtf8(out, code);
            } else if (isHighSurrogate(unit)) {
                flushPending();
                pendingHigh = unit;
            } else {
                appendCodePoint(unit);
            }
        };
        for (;;) {
            // A run of plain bytes (other characters' UTF-8 included) is copied whole.
            std::size_t run = position_;
            while (run < text_.size() && text_[run] != char(quote) && text_[run] != '\\'
                && text_[run] != '\n')
                ++run;
            if (run > position_) {
                flushPending();
                out.append(text_, position_, run - position_);
                position_ = run;
            }
            if (atEnd()) {
                line_ = startLine;
                return fail("string not closed");
            }
            char32_t c = peek();
            advance();
            if (c == quote)
                break;
            if (c != '\\') {
                appendCodePoint(c);
                continue;
            }
            if (atEnd()) {
                line_ = startLine;
                return fail("string not closed");
            }
            char32_t e = peek();
            advance();
            switch (e) {
            case 'n':
                appendCodePoint('\n');
                break;
            case 't':
                appendCodePoint('\t');
                break;
            case 'r':
                appendCodePoint('\r');
                break;
            case 'a':
                appendCodePoint('\a');
                break;
            case 'b':
                appendCodePoint('\b');
                break;
            case 'f':
                appendCodePoint('\f');
                break;
            case 'v':
                appendCodePoint('\v');
                break;
            case 'U':
            case 'u': {
                // Up to four hexadecimal digits: one UTF-16 unit.
                char16_t unit = 0;
                int digits = 0;
                while (digits < 4 && !atEnd() && Hex::digitValue(peek()) >= 0) {
                    unit = char16_t(unit << 4 | Hex::digitValue(peek()));
                    advance();
                    ++digits;
                }
                if (digits == 0)
                    return fail("\\U without hexadecimal digits");
                appendUnit(unit);
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    int code = int(e - '0');
                    for (int i = 0; i < 2 && !atEnd() && peek() >= '0' && peek() <= '7'; ++i) {
                        code = code * 8 + int(peek() - '0');
                        advance();
                    }
                    appendCodePoint(char32_t(code & 0xFF));
                } else if (e >= 0x80) {
                    // A character that is not ASCII stands for itself, all its bytes.
                    flushPending();
                    out.push_back(char(e));
                    for (std::size_t i = 1; i < sequenceLength((unsigned char)e) && !atEnd(); ++i) {
                        out.push_back(text_[position_]);
                        advance();
                    }
                } else {
                    // Any other character stands for itself (\" \' \\ among them).
                    appendCodePoint(e);
                }
            }
        }
        flushPending();
        return out;
    }

    std::string_view text_;
    std::string& error_;
    std::size_t position_ {0};
    int line_ {1};
    bool failed_ {false};
};

}

base::Value OpenStepPropertyList::read(ByteView bytes, std::string& error) {
    std::string converted;
    auto text = decode(bytes, converted, error);
    if (!text)
        return {};
    return Parser(*text, error).parseDocument();
}

}
