#include <foundation/BinaryPropertyList.hpp>

#include <foundation/PropertyList.hpp>
#include <foundation/Strings.hpp>

#include <bit>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <vector>

namespace foundation {

namespace {

constexpr char signature[] = "bplist00";
constexpr std::size_t headerSize = 8;
constexpr std::size_t trailerSize = 32;

enum Marker : std::uint8_t {
    FalseMarker = 0x08,
    TrueMarker = 0x09,
    IntegerMarker = 0x10,
    RealMarker = 0x20,
    DateMarker = 0x33,
    DataMarker = 0x40,
    AsciiStringMarker = 0x50,
    Utf16StringMarker = 0x60,
    UidMarker = 0x80,
    ArrayMarker = 0xA0,
    SetMarker = 0xC0,
    DictionaryMarker = 0xD0,
};

std::uint64_t readBigEndian(std::uint8_t const* bytes, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

class Reader {
public:
    Reader(ByteView bytes, std::string& error)
        : bytes_(bytes)
        , error_(error) { }

    base::Value read() {
        if (bytes_.size() < headerSize + trailerSize + 1
            || !BinaryPropertyList::hasSignature(bytes_))
            return fail("not a binary property list or truncated");
        end_ = bytes_.size() - trailerSize;
        std::uint8_t const* trailer = bytes_.data() + end_;
        offsetWidth_ = trailer[6];
        referenceWidth_ = trailer[7];
        std::uint64_t objectCount = readBigEndian(trailer + 8, 8);
        std::uint64_t top = readBigEndian(trailer + 16, 8);
        std::uint64_t tableOffset = readBigEndian(trailer + 24, 8);
        if (offsetWidth_ < 1 || offsetWidth_ > 8 || referenceWidth_ < 1 || referenceWidth_ > 8)
            return fail("bad offset or reference width in the trailer");
        if (objectCount == 0 || top >= objectCount)
            return fail("bad object count or top object in the trailer");
        if (tableOffset < headerSize || tableOffset > end_
            || objectCount > (end_ - tableOffset) / offsetWidth_)
            return fail("offset table outside the file (truncated?)");
        if (referenceWidth_ < 8 && objectCount > (std::uint64_t(1) << (8 * referenceWidth_)))
            return fail("more objects than references can name");
        table_ = bytes_.data() + tableOffset;
        objectCount_ = std::size_t(objectCount);
        // Objects lie between the header and the offset table.
        objectsEnd_ = std::size_t(tableOffset);
        onPath_.assign(objectCount_, false);
        // A file without shared containers gives at most one value per reference,
        // and a reference takes at least a byte; anything far past that is a file
        // built to expand.
        valueBudget_ = 4 * bytes_.size() + 4096;
        byteBudget_ = 16 * bytes_.size() + (std::size_t(64) << 20);
        return readObject(std::size_t(top), 0);
    }

private:
    base::Value fail(std::string message) {
        if (error_.empty())
            error_ = std::move(message);
        failed_ = true;
        return {};
    }

    bool spend(std::size_t values, std::size_t bytes) {
        if (values > valueBudget_ || bytes > byteBudget_) {
            fail("expands far beyond its own size");
            return false;
        }
        valueBudget_ -= values;
        byteBudget_ -= bytes;
        return true;
    }

    // The bytes [position, position + size) must lie among the objects.
    bool inObjects(std::size_t position, std::uint64_t size) const {
        return position >= headerSize && position <= objectsEnd_ && size <= objectsEnd_ - position;
    }

    std::uint8_t const* at(std::size_t position) const { return bytes_.data() + position; }

    // The length that follows a marker whose low nibble is 0xF, or the nibble itself.
    bool readCount(std::size_t& position, std::uint8_t nibble, std::uint64_t& count) {
        if (nibble != 0x0F) {
            count = nibble;
            return true;
        }
        if (!inObjects(position, 1)) {
            fail("length beyond the objects");
            return false;
        }
        std::uint8_t marker = *at(position);
        if ((marker & 0xF0) != IntegerMarker || (marker & 0x0F) > 3) {
            fail("bad length marker");
            return false;
        }
        std::size_t width = std::size_t(1) << (marker & 0x0F);
        if (!inObjects(position + 1, width)) {
            fail("length beyond the objects");
            return false;
        }
        count = readBigEndian(at(position + 1), width);
        position += 1 + width;
        return true;
    }

    bool reference(std::size_t position, std::size_t& index) {
        std::uint64_t value = readBigEndian(at(position), referenceWidth_);
        if (value >= objectCount_) {
            fail("object reference out of range");
            return false;
        }
        index = std::size_t(value);
        return true;
    }

    base::Value readObject(std::size_t index, int depth) {
        if (failed_)
            return {};
        if (depth > PropertyList::maxDepth)
            return fail("nested too deeply");
        if (onPath_[index])
            return fail("an object contains itself");
        if (!spend(1, 0))
            return {};
        std::uint64_t offset = readBigEndian(table_ + index * offsetWidth_, offsetWidth_);
        if (offset < headerSize || offset >= objectsEnd_)
            return fail("object offset out of range");
        std::size_t position = std::size_t(offset);
        std::uint8_t marker = *at(position++);
        std::uint8_t nibble = marker & 0x0F;
        switch (marker & 0xF0) {
        case 0x00:
            if (marker == FalseMarker)
                return false;
            if (marker == TrueMarker)
                return true;
            return fail("unknown marker");
        case IntegerMarker:
            return readInteger(position, nibble);
        case RealMarker: {
            if (nibble != 2 && nibble != 3)
                return fail("bad real width");
            std::size_t width = std::size_t(1) << nibble;
            if (!inObjects(position, width))
                return fail("real beyond the objects");
            std::uint64_t bits = readBigEndian(at(position), width);
            if (width == 4)
                return double(std::bit_cast<float>(std::uint32_t(bits)));
            return std::bit_cast<double>(bits);
        }
        case 0x30: {
            if (marker != DateMarker || !inObjects(position, 8))
                return fail("bad date");
            return base::Date {std::bit_cast<double>(readBigEndian(at(position), 8))};
        }
        case DataMarker: {
            std::uint64_t length;
            if (!readCount(position, nibble, length))
                return {};
            if (!inObjects(position, length))
                return fail("data beyond the objects");
            if (!spend(0, std::size_t(length)))
                return {};
            return base::Bytes(at(position), at(position) + length);
        }
        case AsciiStringMarker: {
            std::uint64_t length;
            if (!readCount(position, nibble, length))
                return {};
            if (!inObjects(position, length))
                return fail("string beyond the objects");
            if (!spend(0, std::size_t(length)))
                return {};
            std::string_view bytes(
                reinterpret_cast<char const*>(at(position)), std::size_t(length));
            // Tools other than the platform's mark UTF-8 text ("90’s Music", "© 2007")
            // as ASCII: text that is valid UTF-8 is taken as it stands. Other bytes past
            // ASCII are read as Latin-1 rather than refused.
            if (isValidUtf8(bytes))
                return std::string(bytes);
            std::string text;
            text.reserve(std::size_t(length) * 2);
            for (unsigned char c : bytes)
                appendUtf8(text, c);
            return text;
        }
        case Utf16StringMarker: {
            std::uint64_t units;
            if (!readCount(position, nibble, units))
                return {};
            if (units > objectsEnd_ || !inObjects(position, units * 2))
                return fail("string beyond the objects");
            if (!spend(0, std::size_t(units) * 2))
                return {};
            std::u16string text(std::size_t(units), u'\0');
            for (std::size_t i = 0; i < units; ++i)
                text[i] = char16_t(readBigEndian(at(position + 2 * i), 2));
            return utf16ToUtf8(text);
        }
        case UidMarker: {
            std::size_t width = std::size_t(nibble) + 1;
            if (width > 8 || !inObjects(position, width))
                return fail("bad uid");
            return std::int64_t(readBigEndian(at(position), width));
        }
        case ArrayMarker:
        case SetMarker:
            return readArray(index, position, nibble, depth);
        case DictionaryMarker:
            return readDictionary(index, position, nibble, depth);
        default:
            return fail("unknown marker");
        }
    }

    base::Value readInteger(std::size_t position, std::uint8_t nibble) {
        if (nibble > 4)
            return fail("bad integer width");
        std::size_t width = std::size_t(1) << nibble;
        if (!inObjects(position, width))
            return fail("integer beyond the objects");
        if (width < 8)
            return std::int64_t(readBigEndian(at(position), width));
        if (width == 8)
            return std::int64_t(readBigEndian(at(position), 8));
        // Sixteen bytes hold a signed 128-bit number; only the 64-bit range is read.
        std::uint64_t high = readBigEndian(at(position), 8);
        std::uint64_t low = readBigEndian(at(position + 8), 8);
        if (high == 0)
            return low > std::uint64_t(std::numeric_limits<std::int64_t>::max())
                ? base::Value(low)
                : base::Value(std::int64_t(low));
        if (high == ~std::uint64_t(0) && (low >> 63))
            return std::int64_t(low);
        return fail("integer out of the 64-bit range");
    }

    bool readReferences(std::size_t position, std::uint64_t count, std::vector<std::size_t>& out) {
        if (count > objectsEnd_ || !inObjects(position, count * referenceWidth_)) {
            fail("references beyond the objects");
            return false;
        }
        out.resize(std::size_t(count));
        for (std::size_t i = 0; i < count; ++i) {
            if (!reference(position + i * referenceWidth_, out[i]))
                return false;
        }
        return true;
    }

    base::Value readArray(std::size_t index, std::size_t position, std::uint8_t nibble, int depth) {
        std::uint64_t count;
        std::vector<std::size_t> children;
        if (!readCount(position, nibble, count) || !readReferences(position, count, children))
            return {};
        auto array = base::Array::create();
        onPath_[index] = true;
        for (auto child : children) {
            auto value = readObject(child, depth + 1);
            if (failed_)
                return {};
            array->add(std::move(value));
        }
        onPath_[index] = false;
        return array;
    }

    base::Value readDictionary(
        std::size_t index, std::size_t position, std::uint8_t nibble, int depth) {
        std::uint64_t count;
        std::vector<std::size_t> children;
        if (!readCount(position, nibble, count) || count > objectsEnd_
            || !readReferences(position, count * 2, children))
            return failed_ ? base::Value() : fail("dictionary beyond the objects");
        auto dictionary = base::Dictionary::create();
        onPath_[index] = true;
        for (std::size_t i = 0; i < count; ++i) {
            auto key = readObject(children[i], depth + 1);
            if (failed_)
                return {};
            if (!key.isString())
                return fail("dictionary key is not a string");
            auto value = readObject(children[count + i], depth + 1);
            if (failed_)
                return {};
            dictionary->setObject(*key.string(), std::move(value));
        }
        onPath_[index] = false;
        return dictionary;
    }

    ByteView bytes_;
    std::string& error_;
    bool failed_ {false};
    std::size_t end_ {0};
    std::size_t objectsEnd_ {0};
    std::size_t offsetWidth_ {0};
    std::size_t referenceWidth_ {0};
    std::size_t objectCount_ {0};
    std::uint8_t const* table_ {nullptr};
    std::vector<bool> onPath_;
    std::size_t valueBudget_ {0};
    std::size_t byteBudget_ {0};
};

std::size_t widthFor(std::uint64_t largest) {
    if (largest <= 0xFF)
        return 1;
    if (largest <= 0xFFFF)
        return 2;
    if (largest <= 0xFFFFFFFF)
        return 4;
    return 8;
}

void appendBigEndian(base::Bytes& out, std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i-- > 0;)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

void appendInteger(base::Bytes& out, std::uint64_t value) {
    std::size_t width = widthFor(value);
    out.push_back(std::uint8_t(IntegerMarker | std::countr_zero(width)));
    appendBigEndian(out, value, width);
}

void appendMarkerWithCount(base::Bytes& out, std::uint8_t marker, std::uint64_t count) {
    if (count < 15) {
        out.push_back(std::uint8_t(marker | count));
        return;
    }
    out.push_back(std::uint8_t(marker | 0x0F));
    appendInteger(out, count);
}

class Writer {
public:
    base::Bytes write(base::Value const& top) {
        add(top);
        std::size_t referenceWidth = widthFor(objects_.size() - 1);
        base::Bytes out(signature, signature + headerSize);
        std::vector<std::uint64_t> offsets;
        offsets.reserve(objects_.size());
        for (auto const& object : objects_) {
            offsets.push_back(out.size());
            writeObject(out, object, referenceWidth);
        }
        std::uint64_t tableOffset = out.size();
        std::size_t offsetWidth = widthFor(tableOffset);
        for (auto offset : offsets)
            appendBigEndian(out, offset, offsetWidth);
        out.insert(out.end(), 6, 0);
        out.push_back(std::uint8_t(offsetWidth));
        out.push_back(std::uint8_t(referenceWidth));
        appendBigEndian(out, objects_.size(), 8);
        appendBigEndian(out, 0, 8);
        appendBigEndian(out, tableOffset, 8);
        return out;
    }

private:
    struct Object {
        base::Value const* value {nullptr};
        std::string const* text {nullptr}; // for strings and keys
        std::vector<std::size_t> children; // for a dictionary: the keys, then the values
    };

    std::size_t addString(std::string const& text) {
        auto [it, inserted] = strings_.try_emplace(text, objects_.size());
        if (inserted)
            objects_.push_back({nullptr, &it->first, {}});
        return it->second;
    }

    std::size_t add(base::Value const& value) {
        if (auto text = value.string())
            return addString(*text);
        std::size_t index = objects_.size();
        objects_.push_back({&value, nullptr, {}});
        std::vector<std::size_t> children;
        if (auto array = value.array()) {
            for (auto const& element : *array)
                children.push_back(add(element));
        } else if (auto dictionary = value.dictionary()) {
            for (auto const& entry : *dictionary)
                children.push_back(addString(entry.first));
            for (auto const& entry : *dictionary)
                children.push_back(add(entry.second));
        }
        objects_[index].children = std::move(children);
        return index;
    }

    static void writeString(base::Bytes& out, std::string const& text) {
        bool ascii = true;
        for (unsigned char c : text)
            ascii = ascii && c < 0x80;
        if (ascii) {
            appendMarkerWithCount(out, AsciiStringMarker, text.size());
            out.insert(out.end(), text.begin(), text.end());
            return;
        }
        auto units = utf8ToUtf16(text);
        appendMarkerWithCount(out, Utf16StringMarker, units.size());
        for (char16_t unit : units)
            appendBigEndian(out, unit, 2);
    }

    static void writeObject(base::Bytes& out, Object const& object, std::size_t referenceWidth) {
        if (object.text) {
            writeString(out, *object.text);
            return;
        }
        auto const& value = *object.value;
        switch (value.kind()) {
        case base::Value::Kind::Boolean:
            out.push_back(value.boolValue() ? TrueMarker : FalseMarker);
            break;
        case base::Value::Kind::Integer: {
            std::int64_t number = value.longLongValue();
            if (number < 0) {
                out.push_back(IntegerMarker | 3);
                appendBigEndian(out, std::uint64_t(number), 8);
            } else {
                appendInteger(out, std::uint64_t(number));
            }
            break;
        }
        case base::Value::Kind::Unsigned: {
            std::uint64_t number = value.unsignedLongLongValue();
            if (number <= std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
                appendInteger(out, number);
            } else {
                // Past the signed range the form needs its sixteen-byte integer.
                out.push_back(IntegerMarker | 4);
                appendBigEndian(out, 0, 8);
                appendBigEndian(out, number, 8);
            }
            break;
        }
        // A decimal number is stored as the nearest real, as the form has no decimals.
        case base::Value::Kind::Real:
        case base::Value::Kind::Decimal:
            out.push_back(RealMarker | 3);
            appendBigEndian(out, std::bit_cast<std::uint64_t>(value.doubleValue()), 8);
            break;
        case base::Value::Kind::Date:
            out.push_back(DateMarker);
            appendBigEndian(out, std::bit_cast<std::uint64_t>(value.date()->seconds), 8);
            break;
        case base::Value::Kind::Data: {
            auto const& bytes = *value.data();
            appendMarkerWithCount(out, DataMarker, bytes.size());
            out.insert(out.end(), bytes.begin(), bytes.end());
            break;
        }
        case base::Value::Kind::Array:
            appendMarkerWithCount(out, ArrayMarker, object.children.size());
            for (auto child : object.children)
                appendBigEndian(out, child, referenceWidth);
            break;
        case base::Value::Kind::Dictionary:
            appendMarkerWithCount(out, DictionaryMarker, object.children.size() / 2);
            for (auto child : object.children)
                appendBigEndian(out, child, referenceWidth);
            break;
        case base::Value::Kind::String:
        case base::Value::Kind::Null:
            // Strings are written through object.text; nulls do not pass validation.
            break;
        }
    }

    std::vector<Object> objects_;
    std::unordered_map<std::string, std::size_t> strings_;
};

}

bool BinaryPropertyList::hasSignature(ByteView bytes) {
    return bytes.size() >= headerSize && std::memcmp(bytes.data(), signature, headerSize) == 0;
}

base::Value BinaryPropertyList::read(ByteView bytes, std::string& error) {
    return Reader(bytes, error).read();
}

base::Bytes BinaryPropertyList::write(base::Value const& value) {
    return Writer().write(value);
}

}
