#include <base/Exception.hpp>
#include <base/Value.hpp>
#include <base/Verify.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <ostream>

namespace base {

std::ostream& operator<<(std::ostream& out, DictionaryKey const& key) {
    return out << key.str();
}

Value::Value(Ref<Array> array)
    : storage_(std::move(array)) {
    if (!std::get<Ref<Array>>(storage_))
        storage_ = std::monostate {};
}

Value::Value(Ref<Dictionary> dictionary)
    : storage_(std::move(dictionary)) {
    if (!std::get<Ref<Dictionary>>(storage_))
        storage_ = std::monostate {};
}

Bytes const* Value::data() const {
    auto bytes = std::get_if<std::shared_ptr<Bytes const>>(&storage_);
    return bytes ? bytes->get() : nullptr;
}

Array* Value::array() const {
    auto array = std::get_if<Ref<Array>>(&storage_);
    return array ? array->get() : nullptr;
}

Dictionary* Value::dictionary() const {
    auto dictionary = std::get_if<Ref<Dictionary>>(&storage_);
    return dictionary ? dictionary->get() : nullptr;
}

Ref<Array> Value::arrayRef() const {
    return Ref<Array>(array());
}
Ref<Dictionary> Value::dictionaryRef() const {
    return Ref<Dictionary>(dictionary());
}

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view skipSpace(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    return text.substr(i);
}

std::string formatReal(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}

std::int64_t Value::integerFromString(std::string_view text) {
    text = skipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // Accumulate as a negative number so that the minimum fits; saturate on overflow.
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    bool saturated = false;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        int digit = c - '0';
        if (value < (min + digit) / 10) {
            saturated = true;
            break;
        }
        value = value * 10 - digit;
    }
    if (saturated)
        return negative ? min : std::numeric_limits<std::int64_t>::max();
    if (!negative)
        return value == min ? std::numeric_limits<std::int64_t>::max() : -value;
    return value;
}

double Value::doubleFromString(std::string_view text) {
    text = skipSpace(text);
    std::size_t length = 0;
    if (length < text.size() && (text[length] == '+' || text[length] == '-'))
        ++length;
    while (length < text.size()
        && ((text[length] >= '0' && text[length] <= '9') || text[length] == '.'
            || text[length] == 'e' || text[length] == 'E'
            || ((text[length] == '+' || text[length] == '-') && length > 0
                && (text[length - 1] == 'e' || text[length - 1] == 'E'))))
        ++length;
    std::string prefix(text.substr(0, length));
    char* end = nullptr;
    double value = std::strtod(prefix.c_str(), &end);
    return end == prefix.c_str() ? 0.0 : value;
}

bool Value::boolFromString(std::string_view text) {
    text = skipSpace(text);
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        text.remove_prefix(1);
    while (!text.empty() && text[0] == '0')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    char c = text[0];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

std::int64_t Value::longLongValue() const {
    switch (kind()) {
    case Kind::Boolean:
        return std::get<bool>(storage_) ? 1 : 0;
    case Kind::Integer:
        return std::get<std::int64_t>(storage_);
    case Kind::Unsigned:
        return std::int64_t(std::get<std::uint64_t>(storage_));
    case Kind::Real: {
        double d = std::get<double>(storage_);
        if (std::isnan(d))
            return 0;
        if (d >= 9.2233720368547758e18)
            return std::numeric_limits<std::int64_t>::max();
        if (d <= -9.2233720368547758e18)
            return std::numeric_limits<std::int64_t>::min();
        return std::int64_t(d);
    }
    case Kind::String:
        return integerFromString(*string());
    case Kind::Decimal:
        return decimal()->longLongValue();
    default:
        return 0;
    }
}

int Value::intValue() const {
    if (isString()) {
        // Strings saturate at the limits of int, as the platform's intValue does.
        auto value = longLongValue();
        if (value > std::numeric_limits<int>::max())
            return std::numeric_limits<int>::max();
        if (value < std::numeric_limits<int>::min())
            return std::numeric_limits<int>::min();
        return int(value);
    }
    if (kind() == Kind::Real || kind() == Kind::Decimal) {
        double d = doubleValue();
        if (std::isnan(d) || d >= 2147483648.0 || d <= -2147483649.0)
            return int(std::int64_t(longLongValue()));
        return int(d);
    }
    return int(longLongValue());
}

std::uint64_t Value::unsignedLongLongValue() const {
    if (kind() == Kind::Unsigned)
        return std::get<std::uint64_t>(storage_);
    return std::uint64_t(longLongValue());
}

double Value::doubleValue() const {
    switch (kind()) {
    case Kind::Boolean:
        return std::get<bool>(storage_) ? 1 : 0;
    case Kind::Integer:
        return double(std::get<std::int64_t>(storage_));
    case Kind::Unsigned:
        return double(std::get<std::uint64_t>(storage_));
    case Kind::Real:
        return std::get<double>(storage_);
    case Kind::String:
        return doubleFromString(*string());
    case Kind::Decimal:
        return decimal()->doubleValue();
    default:
        return 0;
    }
}

bool Value::boolValue() const {
    switch (kind()) {
    case Kind::Boolean:
        return std::get<bool>(storage_);
    case Kind::Integer:
        return std::get<std::int64_t>(storage_) != 0;
    case Kind::Unsigned:
        return std::get<std::uint64_t>(storage_) != 0;
    case Kind::Real:
        return std::get<double>(storage_) != 0;
    case Kind::String:
        return boolFromString(*string());
    case Kind::Decimal:
        return !decimal()->isZero() && !decimal()->isNaN();
    default:
        return false;
    }
}

std::string Value::stringValue() const {
    switch (kind()) {
    case Kind::Boolean:
        return std::get<bool>(storage_) ? "1" : "0";
    case Kind::Integer:
        return std::to_string(std::get<std::int64_t>(storage_));
    case Kind::Unsigned:
        return std::to_string(std::get<std::uint64_t>(storage_));
    case Kind::Real:
        return formatReal(std::get<double>(storage_));
    case Kind::String:
        return *string();
    case Kind::Decimal:
        return decimal()->stringValue();
    default:
        return {};
    }
}

namespace {

// Strings made only of these print bare in descriptions; others are quoted.
bool needsQuotes(std::string const& text) {
    if (text.empty())
        return true;
    for (unsigned char c : text) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '_' || c == '.' || c == '$' || c == '/' || c == ':' || c >= 0x80;
        if (!plain)
            return true;
    }
    return false;
}

void appendQuoted(std::string& out, std::string const& text) {
    if (!needsQuotes(text)) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    out += '"';
}

void appendIndent(std::string& out, int indent) {
    out.append(std::size_t(indent) * 4, ' ');
}

std::string formatDateDescription(double secondsSince2001) {
    constexpr double unixOffset = 978307200.0;
    // Past some thirty million years, and for NaN and the infinities, there is no calendar
    // day to name (and converting to time_t would be undefined): the seconds are written.
    constexpr double calendarLimit = 1e15;
    double unixSeconds = std::floor(secondsSince2001 + unixOffset);
    bool hasDay = std::abs(unixSeconds) <= calendarLimit;
    std::time_t t = hasDay ? std::time_t(unixSeconds) : 0;
    std::tm tm {};
    char buffer[64];
    if (!hasDay || !gmtime_r(&t, &tm)) {
        std::snprintf(buffer, sizeof buffer, "%g", secondsSince2001);
        return buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d +0000", tm.tm_year + 1900,
        tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buffer;
}

}

void Value::describe(std::string& out, int indent) const {
    switch (kind()) {
    case Kind::Null:
        out += isNullObject() ? "<null>" : "(null)";
        return;
    case Kind::String:
        if (indent < 0)
            out += *string();
        else
            appendQuoted(out, *string());
        return;
    case Kind::Data: {
        static constexpr char hex[] = "0123456789abcdef";
        out += '<';
        auto const& bytes = *data();
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i && i % 4 == 0)
                out += ' ';
            out += hex[bytes[i] >> 4];
            out += hex[bytes[i] & 15];
        }
        out += '>';
        return;
    }
    case Kind::Date:
        out += formatDateDescription(std::get<Date>(storage_).seconds);
        return;
    case Kind::Array: {
        int level = indent < 0 ? 0 : indent;
        auto const& values = array()->values();
        out += "(\n";
        for (std::size_t i = 0; i < values.size(); ++i) {
            appendIndent(out, level + 1);
            values[i].describe(out, level + 1);
            if (i + 1 < values.size())
                out += ',';
            out += '\n';
        }
        appendIndent(out, level);
        out += ')';
        return;
    }
    case Kind::Dictionary: {
        int level = indent < 0 ? 0 : indent;
        out += "{\n";
        for (auto const& [key, value] : *dictionary()) {
            appendIndent(out, level + 1);
            appendQuoted(out, key.str());
            out += " = ";
            value.describe(out, level + 1);
            out += ";\n";
        }
        appendIndent(out, level);
        out += '}';
        return;
    }
    default:
        out += stringValue();
        return;
    }
}

std::string Value::description() const {
    std::string out;
    describe(out, -1);
    return out;
}

namespace {

// A number as a decimal, for exact comparison with one: integers convert exactly,
// reals through their shortest text.
Decimal asDecimal(Value const& value) {
    switch (value.kind()) {
    case Value::Kind::Decimal:
        return *value.decimal();
    case Value::Kind::Integer:
        return Decimal::fromInteger(value.longLongValue());
    case Value::Kind::Unsigned:
        return Decimal::fromUnsigned(value.unsignedLongLongValue());
    default: {
        double d = value.doubleValue();
        if (std::isnan(d) || std::isinf(d))
            return Decimal::notANumber();
        return Decimal::fromString(formatReal(d));
    }
    }
}

}

bool Value::operator==(Value const& other) const {
    if (isNumber() && other.isNumber()) {
        if (kind() == Kind::Decimal || other.kind() == Kind::Decimal)
            return asDecimal(*this) == asDecimal(other);
        if (kind() == Kind::Real || other.kind() == Kind::Real)
            return doubleValue() == other.doubleValue();
        if (kind() == Kind::Unsigned || other.kind() == Kind::Unsigned) {
            // Mixed signedness: a negative signed value never equals an unsigned one.
            if ((kind() == Kind::Integer && longLongValue() < 0)
                || (other.kind() == Kind::Integer && other.longLongValue() < 0))
                return false;
            return unsignedLongLongValue() == other.unsignedLongLongValue();
        }
        return longLongValue() == other.longLongValue();
    }
    if (kind() != other.kind())
        return false;
    switch (kind()) {
    case Kind::String:
        return *string() == *other.string();
    case Kind::Data:
        return *data() == *other.data();
    case Kind::Array: {
        auto const& a = array()->values();
        auto const& b = other.array()->values();
        return a == b;
    }
    case Kind::Dictionary: {
        auto const& a = *dictionary();
        auto const& b = *other.dictionary();
        if (a.size() != b.size())
            return false;
        for (auto const& [key, value] : a) {
            auto found = b.find(key);
            if (!found || !(*found == value))
                return false;
        }
        return true;
    }
    default:
        return storage_ == other.storage_;
    }
}

Ref<Array> Array::create(std::vector<Value> values) {
    auto array = make<Array>();
    array->values_ = std::move(values);
    return array;
}

Value const& Array::at(std::size_t index) const {
    if (index >= values_.size())
        throw Exception(RangeException,
            "index " + std::to_string(index) + " beyond bounds [0 .. "
                + std::to_string(values_.size()) + "]");
    return values_[index];
}

void Array::set(std::size_t index, Value value) {
    at(index);
    values_[index] = std::move(value);
}

void Array::insert(std::size_t index, Value value) {
    if (index > values_.size())
        throw Exception(
            RangeException, "index " + std::to_string(index) + " beyond bounds for insertion");
    values_.insert(values_.begin() + std::ptrdiff_t(index), std::move(value));
}

void Array::removeAt(std::size_t index) {
    at(index);
    values_.erase(values_.begin() + std::ptrdiff_t(index));
}

void Array::removeLast() {
    if (values_.empty())
        throw Exception(RangeException, "removeLast on an empty array");
    values_.pop_back();
}

std::size_t Array::indexOf(Value const& value) const {
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (values_[i] == value)
            return i;
    }
    return npos;
}

bool Array::contains(Value const& value) const {
    return indexOf(value) != npos;
}

namespace {

Value deepCopyValue(Value const& value) {
    if (auto array = value.array())
        return array->deepCopy();
    if (auto dictionary = value.dictionary())
        return dictionary->deepCopy();
    return value;
}

}

Ref<Array> Array::deepCopy() const {
    auto copy = make<Array>();
    copy->values_.reserve(values_.size());
    for (auto const& value : values_)
        copy->values_.push_back(deepCopyValue(value));
    return copy;
}

Ref<Dictionary> Dictionary::create(std::vector<Entry> entries) {
    auto dictionary = make<Dictionary>();
    for (auto& [key, value] : entries)
        dictionary->setObject(key.str(), std::move(value));
    return dictionary;
}

Value const& Dictionary::objectForKey(std::string_view key) const {
    static Value const null;
    auto found = find(key);
    return found ? *found : null;
}

std::uint32_t Dictionary::hashOf(std::string_view key) {
    auto hash = std::hash<std::string_view>()(key);
    return std::uint32_t(hash ^ (hash >> 32));
}

std::size_t Dictionary::placeOf(std::string_view key, std::uint32_t hash) const {
    std::size_t mask = index_.size() - 1;
    for (std::size_t place = hash & mask;; place = (place + 1) & mask) {
        auto const& entry = index_[place];
        if (entry.slot == NoSlot || (entry.hash == hash && slots_[entry.slot].first == key))
            return place;
    }
}

std::size_t Dictionary::slotOf(std::string_view key) const {
    if (index_.empty()) {
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i].first == key && !slots_[i].second.isNil())
                return i;
        }
        return NotFound;
    }
    auto const& entry = index_[placeOf(key, hashOf(key))];
    return entry.slot == NoSlot ? NotFound : entry.slot;
}

Value const* Dictionary::find(std::string_view key) const {
    std::size_t slot = slotOf(key);
    return slot == NotFound ? nullptr : &slots_[slot].second;
}

void Dictionary::setObject(std::string_view key, Value value) {
    if (value.isNil()) {
        removeObjectForKey(key);
        return;
    }
    if (index_.empty()) {
        std::size_t slot = slotOf(key);
        if (slot != NotFound) {
            slots_[slot].second = std::move(value);
            return;
        }
        // Room for a few keys at once: most dictionaries hold a handful.
        if (slots_.capacity() == 0)
            slots_.reserve(4);
        slots_.emplace_back(std::string(key), std::move(value));
        if (slots_.size() > UnindexedSlots)
            rebuildIndex();
        return;
    }
    std::uint32_t hash = hashOf(key);
    std::size_t place = placeOf(key, hash);
    if (index_[place].slot != NoSlot) {
        slots_[index_[place].slot].second = std::move(value);
        return;
    }
    VERIFY_MSG(slots_.size() < NoSlot, "Dictionary: too many entries");
    slots_.emplace_back(std::string(key), std::move(value));
    index_[place] = {hash, std::uint32_t(slots_.size() - 1)};
    if (size() * 2 > index_.size())
        rebuildIndex();
}

void Dictionary::rebuildIndex() {
    std::size_t places = 16;
    while (places < size() * 4)
        places *= 2;
    auto old = std::move(index_);
    index_.assign(places, {0, NoSlot});
    std::size_t mask = places - 1;
    auto put = [&](IndexEntry entry) {
        std::size_t place = entry.hash & mask;
        while (index_[place].slot != NoSlot)
            place = (place + 1) & mask;
        index_[place] = entry;
    };
    if (!old.empty()) {
        // Growing: every entry keeps its hash.
        for (auto const& entry : old) {
            if (entry.slot != NoSlot)
                put(entry);
        }
        return;
    }
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i].second.isNil())
            put({hashOf(slots_[i].first), std::uint32_t(i)});
    }
}

void Dictionary::unindexPlace(std::size_t hole) {
    std::size_t mask = index_.size() - 1;
    for (std::size_t next = (hole + 1) & mask; index_[next].slot != NoSlot;
         next = (next + 1) & mask) {
        // An entry may fill the hole when the hole lies between its home place and
        // where it sits: a search for it passes the hole on the way.
        std::size_t home = index_[next].hash & mask;
        if (((next - home) & mask) >= ((next - hole) & mask)) {
            index_[hole] = index_[next];
            hole = next;
        }
    }
    index_[hole].slot = NoSlot;
}

void Dictionary::removeObjectForKey(std::string_view key) {
    std::size_t slot;
    if (index_.empty()) {
        slot = slotOf(key);
        if (slot == NotFound)
            return;
    } else {
        std::size_t place = placeOf(key, hashOf(key));
        slot = index_[place].slot;
        if (slot == NoSlot)
            return;
        unindexPlace(place);
    }
    // The slot stays, emptied: a null value marks it, and its key and value are
    // released now rather than at the next compaction.
    slots_[slot].first = DictionaryKey();
    slots_[slot].second = Value();
    ++emptySlots_;
    if (emptySlots_ == slots_.size())
        removeAll();
    else if (emptySlots_ * 2 > slots_.size())
        compact();
}

// Moves the live entries down over the empty slots, keeping their order, and points
// the index at their new places.
void Dictionary::compact() {
    std::vector<std::uint32_t> moved;
    if (!index_.empty())
        moved.resize(slots_.size(), NoSlot);
    std::size_t next = 0;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].second.isNil())
            continue;
        if (i != next)
            slots_[next] = std::move(slots_[i]);
        if (!moved.empty())
            moved[i] = std::uint32_t(next);
        ++next;
    }
    slots_.resize(next);
    emptySlots_ = 0;
    for (auto& entry : index_) {
        if (entry.slot != NoSlot)
            entry.slot = moved[entry.slot];
    }
}

void Dictionary::removeAll() {
    slots_.clear();
    emptySlots_ = 0;
    // An indexed dictionary stays indexed, its places kept for the next keys.
    std::fill(index_.begin(), index_.end(), IndexEntry {0, NoSlot});
}

void Dictionary::addEntriesFrom(Dictionary const& other) {
    if (&other == this)
        return;
    for (auto const& [key, value] : other)
        setObject(key.str(), value);
}

std::vector<std::string> Dictionary::keys() const {
    std::vector<std::string> keys;
    keys.reserve(size());
    for (auto const& entry : *this)
        keys.push_back(entry.first.str());
    return keys;
}

std::vector<Dictionary::Entry> const& Dictionary::entries() const {
    if (emptySlots_ > 0)
        const_cast<Dictionary*>(this)->compact();
    return slots_;
}

Ref<Dictionary> Dictionary::deepCopy() const {
    // The keys are distinct already: the entries are appended and indexed once.
    auto copy = make<Dictionary>();
    copy->slots_.reserve(size());
    for (auto const& [key, value] : *this)
        copy->slots_.emplace_back(key, deepCopyValue(value));
    if (copy->slots_.size() > UnindexedSlots)
        copy->rebuildIndex();
    return copy;
}

}
