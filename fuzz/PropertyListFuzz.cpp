// Property lists of every form (binary, XML, old-style text and string tables) as
// they come from files, downloads and saves. Any bytes read as a value or are
// refused; a value that was read is written back in the binary and XML forms
// whenever they can hold it, and reads back the same.
#include "FuzzSupport.hpp"

#include <foundation/PropertyList.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>

using foundation::PropertyList;

namespace {

bool sameReal(double a, double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

// Equality that the round trip must keep: numbers by value (the binary form does not
// tell small unsigned numbers from signed ones), reals and dates exactly (the sign of
// zero too; NaN equals NaN), dates in XML to within a second, dictionaries in order.
bool same(base::Value const& a, base::Value const& b, bool wholeSeconds) {
    using Kind = base::Value::Kind;
    if (a.isNumber() && b.isNumber()) {
        if (a.kind() == Kind::Real || b.kind() == Kind::Real)
            return a.kind() == b.kind() && sameReal(a.doubleValue(), b.doubleValue());
        return a == b;
    }
    if (a.kind() != b.kind())
        return false;
    switch (a.kind()) {
    case Kind::Date: {
        double x = a.date()->seconds;
        double y = b.date()->seconds;
        if (wholeSeconds && std::isfinite(x))
            return std::isfinite(y) && std::abs(x - y) <= 1;
        return sameReal(x, y);
    }
    case Kind::Array: {
        auto const& x = a.array()->values();
        auto const& y = b.array()->values();
        if (x.size() != y.size())
            return false;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (!same(x[i], y[i], wholeSeconds))
                return false;
        }
        return true;
    }
    case Kind::Dictionary: {
        auto const x = a.dictionary()->entries();
        auto const y = b.dictionary()->entries();
        if (x.size() != y.size())
            return false;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (x[i].first != y[i].first || !same(x[i].second, y[i].second, wholeSeconds))
                return false;
        }
        return true;
    }
    default:
        return a == b;
    }
}

void roundTrip(base::Value const& value, PropertyList::Format format) {
    if (!PropertyList::isValidPropertyList(value, format))
        return;
    auto written = PropertyList::dataWithPropertyList(value, format);
    FUZZ_CHECK(written.has_value());
    PropertyList::Format found;
    auto back = PropertyList::propertyListWithData(*written, &found);
    FUZZ_CHECK(!back.isNull());
    FUZZ_CHECK(found == format);
    FUZZ_CHECK(same(value, back, format == PropertyList::Format::XML));
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    foundation::ByteView bytes(data, size);
    PropertyList::stringsTableWithData(bytes);
    auto value = PropertyList::propertyListWithData(bytes);
    if (value.isNull())
        return 0;
    value.description();
    roundTrip(value, PropertyList::Format::Binary);
    roundTrip(value, PropertyList::Format::XML);
    return 0;
}
