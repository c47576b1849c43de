#include <foundation/XMLPropertyList.hpp>

#include <foundation/Base64.hpp>
#include <foundation/Dates.hpp>
#include <foundation/ExpatSupport.hpp>
#include <foundation/PropertyList.hpp>

#include <expat.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <vector>

namespace foundation {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] + 32) : a[i];
        if (x != b[i])
            return false;
    }
    return true;
}

std::optional<base::Value> parseInteger(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int radix = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        radix = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    std::uint64_t magnitude = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), magnitude, radix);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    constexpr auto signedMax = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    if (negative) {
        if (magnitude > signedMax + 1)
            return std::nullopt;
        return base::Value(std::int64_t(0 - magnitude));
    }
    if (magnitude > signedMax)
        return base::Value(magnitude);
    return base::Value(std::int64_t(magnitude));
}

std::optional<double> parseReal(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    std::string_view unsignedText = text;
    if (!unsignedText.empty() && (unsignedText[0] == '-' || unsignedText[0] == '+')) {
        negative = unsignedText[0] == '-';
        unsignedText.remove_prefix(1);
    }
    if (equalsIgnoringCase(unsignedText, "nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (equalsIgnoringCase(unsignedText, "inf") || equalsIgnoringCase(unsignedText, "infinity"))
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    if (unsignedText.empty() || unsignedText[0] == '-' || unsignedText[0] == '+')
        return std::nullopt;
    double value = 0;
    auto result
        = std::from_chars(unsignedText.data(), unsignedText.data() + unsignedText.size(), value);
    if (result.ptr != unsignedText.data() + unsignedText.size())
        return std::nullopt;
    if (result.ec == std::errc::result_out_of_range) {
        // Too large becomes infinite and too small zero, as strtod has it.
        bool tiny = unsignedText.find("e-") != std::string_view::npos
            || unsignedText.find("E-") != std::string_view::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

bool parseDigits(
    std::string_view text, std::size_t& position, std::size_t count, std::int64_t& out) {
    out = 0;
    for (std::size_t i = 0; i < count; ++i, ++position) {
        if (position >= text.size() || text[position] < '0' || text[position] > '9')
            return false;
        out = out * 10 + (text[position] - '0');
    }
    return true;
}

bool expect(std::string_view text, std::size_t& position, char c) {
    if (position >= text.size() || text[position] != c)
        return false;
    ++position;
    return true;
}

// "2009-05-01T12:30:00Z": a year of four or more digits; a fraction of a second and
// the final Z may be left out (the time is UTC either way).
std::optional<base::Date> parseDate(std::string_view text) {
    text = trimmed(text);
    std::size_t position = 0;
    std::size_t yearDigits = 0;
    while (yearDigits < text.size() && text[yearDigits] >= '0' && text[yearDigits] <= '9')
        ++yearDigits;
    if (yearDigits < 4 || yearDigits > 9)
        return std::nullopt;
    std::int64_t year, month, day, hour, minute, second;
    if (!parseDigits(text, position, yearDigits, year) || !expect(text, position, '-')
        || !parseDigits(text, position, 2, month) || !expect(text, position, '-')
        || !parseDigits(text, position, 2, day) || !expect(text, position, 'T')
        || !parseDigits(text, position, 2, hour) || !expect(text, position, ':')
        || !parseDigits(text, position, 2, minute) || !expect(text, position, ':')
        || !parseDigits(text, position, 2, second))
        return std::nullopt;
    double fraction = 0;
    if (position < text.size() && text[position] == '.') {
        double scale = 0.1;
        ++position;
        std::size_t start = position;
        while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
            fraction += (text[position] - '0') * scale;
            scale /= 10;
            ++position;
        }
        if (position == start)
            return std::nullopt;
    }
    if (position < text.size() && text[position] == 'Z')
        ++position;
    if (position != text.size())
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, int(month)) || hour > 23
        || minute > 59 || second > 60)
        return std::nullopt;
    std::int64_t days = daysFromCivil(year, int(month), int(day));
    double unix = double(days) * 86400.0 + double(hour * 3600 + minute * 60 + second) + fraction;
    return base::Date {unix - unixEpochToReferenceDate};
}

// The elements of a property list, told apart once per element (by length, then
// bytes) rather than by comparing the name with each in turn at every step.
enum class Tag { Plist, Dict, Array, Key, String, Integer, Real, Date, Data, True, False, Other };

constexpr std::array<std::string_view, 11> tagNames {
    "plist", "dict", "array", "key", "string", "integer", "real", "date", "data", "true", "false"};

// Told apart by the first letter, then compared whole, without measuring the name.
Tag tagOf(char const* name) {
    auto is = [name](Tag tag) {
        std::string_view candidate = tagNames[std::size_t(tag)];
        for (std::size_t i = 0; i < candidate.size(); ++i) {
            if (name[i] != candidate[i])
                return Tag::Other;
        }
        return name[candidate.size()] == '\0' ? tag : Tag::Other;
    };
    switch (name[0]) {
    case 'a':
        return is(Tag::Array);
    case 'd':
        if (name[1] == 'i')
            return is(Tag::Dict);
        return is(Tag::Date) == Tag::Date ? Tag::Date : is(Tag::Data);
    case 'f':
        return is(Tag::False);
    case 'i':
        return is(Tag::Integer);
    case 'k':
        return is(Tag::Key);
    case 'p':
        return is(Tag::Plist);
    case 'r':
        return is(Tag::Real);
    case 's':
        return is(Tag::String);
    case 't':
        return is(Tag::True);
    default:
        return Tag::Other;
    }
}

std::string nameOf(Tag tag) {
    return tag == Tag::Other ? std::string("?") : std::string(tagNames[std::size_t(tag)]);
}

// Text outside a value is judged in runs of at most this many bytes, ended by the
// next markup, as a SAX parser hands text over; a fault in it names the line where
// the run was handed over.
constexpr std::size_t TextRunSize = 1024 * 1024;

// Builds the value from expat's events, taken directly: a property list needs none
// of a general SAX layer's attribute dictionaries, copied names or gathered text.
// The first fault stops the parse; an exception is held until expat has returned.
class Builder {
public:
    base::Value top;
    std::string error;
    int line {0};
    bool sawElement {false};
    std::exception_ptr exception;

    explicit Builder(XML_Parser expat)
        : expat_(expat) { }

    bool stopped() const { return stopped_; }

    // Ends the parse at once; expat may still report an event or two, which the
    // callbacks drop.
    void stop() {
        stopped_ = true;
        XML_StopParser(expat_, XML_FALSE);
    }

    // Every piece of markup other than text ends the run of text before it.
    void endTextRun() {
        runLength_ = 0;
        if (strayText_) {
            strayText_ = false;
            fail("text outside a value");
        }
    }

    void startCDATA() {
        endTextRun();
        inCDATA_ = true;
    }

    void endCDATA() {
        inCDATA_ = false;
        if (!capturing_)
            fail("CDATA outside a value");
    }

    void startElement(char const* name) {
        endTextRun();
        if (stopped_)
            return;
        sawElement = true;
        if (capturing_)
            return fail("element <" + std::string(name) + "> inside <" + nameOf(textTag_) + ">");
        Tag tag = tagOf(name);
        if (tag == Tag::Plist) {
            if (sawPlist_ || !stack_.empty() || haveTop_)
                return fail("misplaced <plist>");
            sawPlist_ = true;
            return;
        }
        if (tag == Tag::Dict || tag == Tag::Array) {
            if (!canTakeValue())
                return;
            if (int(stack_.size()) >= PropertyList::maxDepth)
                return fail("nested too deeply");
            if (tag == Tag::Dict)
                stack_.push_back({base::Dictionary::create(), true, std::nullopt});
            else
                stack_.push_back({base::Array::create(), false, std::nullopt});
            return;
        }
        if (tag != Tag::Other) {
            if (tag != Tag::Key && !canTakeValue())
                return;
            capturing_ = true;
            textTag_ = tag;
            text_.clear();
            return;
        }
        fail("unknown element <" + std::string(name) + ">");
    }

    void endElement(char const* name) {
        endTextRun();
        if (stopped_)
            return;
        if (!capturing_ && tagOf(name) == Tag::Plist)
            return;
        if (capturing_) {
            capturing_ = false;
            finishText();
            return;
        }
        Frame frame = std::move(stack_.back());
        stack_.pop_back();
        if (frame.key)
            return fail("key \"" + *frame.key + "\" without a value");
        add(std::move(frame.container));
    }

    // A property list has no use for entities of its own; a document that declares
    // any is refused before they can be expanded.
    void entityDeclared(std::string_view name) {
        fail("entity \"" + std::string(name.substr(0, 40)) + "\" declared");
    }

    void characters(std::string_view text) {
        if (capturing_) {
            text_ += text;
            return;
        }
        if (inCDATA_)
            return;
        while (!text.empty() && !stopped_) {
            std::size_t take
                = std::min(text.size(), std::max<std::size_t>(TextRunSize - runLength_, 1));
            if (!strayText_
                && !std::all_of(text.data(), text.data() + take, [](char c) { return isBlank(c); }))
                strayText_ = true;
            text.remove_prefix(take);
            runLength_ += take;
            if (runLength_ >= TextRunSize)
                endTextRun();
        }
    }

private:
    struct Frame {
        base::Value container;
        bool isDictionary;
        std::optional<std::string> key;
    };

    void fail(std::string message) {
        if (error.empty()) {
            error = std::move(message);
            line = int(XML_GetCurrentLineNumber(expat_));
        }
        stop();
    }

    // Whether a value may start here: in a dictionary only after its key.
    bool canTakeValue() {
        if (stack_.empty()) {
            if (haveTop_) {
                fail("more than one top value");
                return false;
            }
            return true;
        }
        if (stack_.back().isDictionary && !stack_.back().key) {
            fail("value without a key in a dictionary");
            return false;
        }
        return true;
    }

    void add(base::Value value) {
        if (stack_.empty()) {
            top = std::move(value);
            haveTop_ = true;
            return;
        }
        auto& frame = stack_.back();
        if (frame.isDictionary) {
            frame.container.dictionary()->setObject(*frame.key, std::move(value));
            frame.key.reset();
        } else {
            frame.container.array()->add(std::move(value));
        }
    }

    void finishText() {
        Tag tag = textTag_;
        if (tag == Tag::Key) {
            if (stack_.empty() || !stack_.back().isDictionary)
                return fail("<key> outside a dictionary");
            if (stack_.back().key)
                return fail("two keys in a row");
            stack_.back().key = std::move(text_);
            return;
        }
        if (tag == Tag::String)
            return add(std::move(text_));
        if (tag == Tag::True || tag == Tag::False) {
            if (!trimmed(text_).empty())
                return fail("text inside <" + nameOf(tag) + ">");
            return add(tag == Tag::True);
        }
        if (tag == Tag::Integer) {
            auto number = parseInteger(text_);
            if (!number)
                return fail("bad integer \"" + text_.substr(0, 40) + "\"");
            return add(std::move(*number));
        }
        if (tag == Tag::Real) {
            auto number = parseReal(text_);
            if (!number)
                return fail("bad real \"" + text_.substr(0, 40) + "\"");
            return add(*number);
        }
        if (tag == Tag::Date) {
            auto date = parseDate(text_);
            if (!date)
                return fail("bad date \"" + text_.substr(0, 40) + "\"");
            return add(*date);
        }
        auto bytes = Base64::decode(text_);
        if (!bytes)
            return fail("bad Base64 in <data>");
        add(std::move(*bytes));
    }

    XML_Parser expat_;
    std::vector<Frame> stack_;
    bool haveTop_ {false};
    bool sawPlist_ {false};
    bool capturing_ {false};
    Tag textTag_ {Tag::Other};
    std::string text_;
    bool inCDATA_ {false};
    bool stopped_ {false};
    bool strayText_ {false};
    std::size_t runLength_ {0};
};

// expat's callbacks, each doing nothing once the parse has stopped.
template<typename Event> void deliver(void* userData, Event&& event) {
    auto& builder = *static_cast<Builder*>(userData);
    if (builder.stopped())
        return;
    try {
        event(builder);
    } catch (...) {
        // Unwinding through expat's C frames is not safe.
        builder.exception = std::current_exception();
        builder.stop();
    }
}

void setCallbacks(XML_Parser expat) {
    XML_SetElementHandler(
        expat,
        [](void* userData, XML_Char const* name, XML_Char const**) {
            deliver(userData, [name](Builder& builder) { builder.startElement(name); });
        },
        [](void* userData, XML_Char const* name) {
            deliver(userData, [name](Builder& builder) { builder.endElement(name); });
        });
    XML_SetCharacterDataHandler(expat, [](void* userData, XML_Char const* text, int length) {
        deliver(userData, [text, length](Builder& builder) {
            builder.characters(std::string_view(text, std::size_t(length)));
        });
    });
    XML_SetCdataSectionHandler(
        expat,
        [](void* userData) { deliver(userData, [](Builder& builder) { builder.startCDATA(); }); },
        [](void* userData) { deliver(userData, [](Builder& builder) { builder.endCDATA(); }); });
    XML_SetCommentHandler(expat, [](void* userData, XML_Char const*) {
        deliver(userData, [](Builder& builder) { builder.endTextRun(); });
    });
    XML_SetProcessingInstructionHandler(
        expat, [](void* userData, XML_Char const*, XML_Char const*) {
            deliver(userData, [](Builder& builder) { builder.endTextRun(); });
        });
    XML_SetEntityDeclHandler(expat,
        [](void* userData, XML_Char const* name, int, XML_Char const*, int, XML_Char const*,
            XML_Char const*, XML_Char const*, XML_Char const*) {
            deliver(userData, [name](Builder& builder) { builder.entityDeclared(name); });
        });
}

struct ExpatDeleter {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

void appendIndent(std::string& out, int depth) {
    out.append(std::size_t(depth), '\t');
}

// Text as element content. False when it holds a character that XML 1.0 cannot
// carry at all.
bool appendEscaped(std::string& out, std::string const& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            // A bare carriage return would read back as a line feed.
            out += "&#13;";
            break;
        case '\t':
        case '\n':
            out += char(c);
            break;
        default:
            if (c < 0x20)
                return false;
            // U+FFFE and U+FFFF (EF BF BE, EF BF BF) are not XML characters either.
            if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF
                && (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE)
                return false;
            out += char(c);
        }
    }
    return true;
}

std::string formatReal(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "+infinity" : "-infinity";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<std::string> formatDate(base::Date date) {
    double unix = std::floor(date.seconds + unixEpochToReferenceDate);
    // Years 0 to 9999 keep the four-digit form that every reader takes.
    constexpr double earliest = -62167219200.0; // 0000-01-01
    constexpr double latest = 253402300799.0; // 9999-12-31 23:59:59
    if (!std::isfinite(unix) || unix < earliest || unix > latest)
        return std::nullopt;
    auto whole = std::int64_t(unix);
    std::int64_t days = whole >= 0 ? whole / 86400 : -((-whole + 86399) / 86400);
    std::int64_t secondOfDay = whole - days * 86400;
    std::int64_t year;
    int month, day;
    civilFromDays(days, year, month, day);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02dT%02d:%02d:%02dZ",
        static_cast<long long>(year), month, day, int(secondOfDay / 3600),
        int(secondOfDay / 60 % 60), int(secondOfDay % 60));
    return std::string(buffer);
}

class Writer {
public:
    explicit Writer(std::string& error)
        : error_(error) { }

    bool write(std::string& out, base::Value const& value, int depth) {
        switch (value.kind()) {
        case base::Value::Kind::Null:
            return fail("null value");
        case base::Value::Kind::Boolean:
            appendIndent(out, depth);
            out += value.boolValue() ? "<true/>\n" : "<false/>\n";
            return true;
        case base::Value::Kind::Integer:
        case base::Value::Kind::Unsigned:
            appendIndent(out, depth);
            out += "<integer>" + value.stringValue() + "</integer>\n";
            return true;
        // A decimal number is stored as the nearest real, as the format has no decimals.
        case base::Value::Kind::Real:
        case base::Value::Kind::Decimal:
            appendIndent(out, depth);
            out += "<real>" + formatReal(value.doubleValue()) + "</real>\n";
            return true;
        case base::Value::Kind::String:
            appendIndent(out, depth);
            out += "<string>";
            if (!appendEscaped(out, *value.string()))
                return fail("control character in a string");
            out += "</string>\n";
            return true;
        case base::Value::Kind::Date: {
            auto text = formatDate(*value.date());
            if (!text)
                return fail("date outside the years 0 to 9999");
            appendIndent(out, depth);
            out += "<date>" + *text + "</date>\n";
            return true;
        }
        case base::Value::Kind::Data:
            writeData(out, *value.data(), depth);
            return true;
        case base::Value::Kind::Array: {
            auto const& array = *value.array();
            appendIndent(out, depth);
            if (array.empty()) {
                out += "<array/>\n";
                return true;
            }
            out += "<array>\n";
            for (auto const& element : array) {
                if (!write(out, element, depth + 1))
                    return false;
            }
            appendIndent(out, depth);
            out += "</array>\n";
            return true;
        }
        case base::Value::Kind::Dictionary: {
            auto const& dictionary = *value.dictionary();
            appendIndent(out, depth);
            if (dictionary.empty()) {
                out += "<dict/>\n";
                return true;
            }
            out += "<dict>\n";
            for (auto const& [key, element] : dictionary) {
                appendIndent(out, depth + 1);
                out += "<key>";
                if (!appendEscaped(out, key))
                    return fail("control character in a key");
                out += "</key>\n";
                if (!write(out, element, depth + 1))
                    return false;
            }
            appendIndent(out, depth);
            out += "</dict>\n";
            return true;
        }
        }
        return fail("unknown value kind");
    }

private:
    bool fail(char const* message) {
        error_ = message;
        return false;
    }

    static void writeData(std::string& out, base::Bytes const& bytes, int depth) {
        appendIndent(out, depth);
        out += "<data>\n";
        std::string encoded = Base64::encode(bytes);
        constexpr std::size_t lineLength = 68;
        for (std::size_t i = 0; i < encoded.size(); i += lineLength) {
            appendIndent(out, depth);
            out.append(encoded, i, lineLength);
            out += '\n';
        }
        appendIndent(out, depth);
        out += "</data>\n";
    }

    std::string& error_;
};

}

bool XMLPropertyList::looksLikeXML(ByteView bytes) {
    std::string_view text = bytes.text();
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    // UTF-16 with a byte-order mark: '<' as the first character.
    if (text.size() >= 4
        && ((text.starts_with("\xFE\xFF") && text[2] == 0 && text[3] == '<')
            || (text.starts_with("\xFF\xFE") && text[2] == '<' && text[3] == 0)))
        return true;
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return text.starts_with("<?xml") || text.starts_with("<!DOCTYPE") || text.starts_with("<plist")
        || text.starts_with("<!--") || text.starts_with("<dict") || text.starts_with("<array");
}

base::Value XMLPropertyList::read(ByteView bytes, std::string& error) {
    std::unique_ptr<XML_ParserStruct, ExpatDeleter> expat(XML_ParserCreate(nullptr));
    if (!expat) {
        error = "XML error " + std::to_string(XMLParserError::OutOfMemory)
            + " (cannot create an XML parser) at line 0";
        return {};
    }
    Builder builder(expat.get());
    XML_SetUserData(expat.get(), &builder);
    setCallbacks(expat.get());
    expat::protect(expat.get());

    // The document goes whole, in pieces only past the largest length expat takes.
    std::string_view document = bytes.text();
    std::size_t offset = 0;
    XML_Status status = XML_STATUS_OK;
    do {
        std::size_t size = std::min(expat::MemoryFeedSize, document.size() - offset);
        bool isFinal = offset + size == document.size();
        status = XML_Parse(expat.get(), document.data() + offset, int(size), isFinal);
        offset += size;
    } while (status == XML_STATUS_OK && !builder.stopped() && offset < document.size());
    if (status == XML_STATUS_OK && !builder.stopped())
        builder.endTextRun();

    if (builder.exception)
        std::rethrow_exception(builder.exception);
    if (!builder.error.empty()) {
        error = builder.error + " at line " + std::to_string(builder.line);
        return {};
    }
    if (status != XML_STATUS_OK) {
        XML_Error code = XML_GetErrorCode(expat.get());
        error = "XML error " + std::to_string(expat::errorCode(code, builder.sawElement)) + " ("
            + XML_ErrorString(code) + ") at line "
            + std::to_string(int(XML_GetCurrentLineNumber(expat.get())));
        return {};
    }
    if (builder.top.isNull()) {
        error = "no value in the document";
        return {};
    }
    return std::move(builder.top);
}

std::optional<std::string> XMLPropertyList::write(base::Value const& value, std::string& error) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    if (!Writer(error).write(out, value, 0))
        return std::nullopt;
    out += "</plist>\n";
    return out;
}

}
