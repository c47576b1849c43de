#include <ads/adnoria/ADNLocation.hpp>

#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNStringEncoding.hpp>

#include <foundation/Cipher.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Strings.hpp>

#include <cmath>
#include <cstdio>
#include <limits>

namespace ads::adnoria {

namespace {

constexpr float Epsilon = 1.1920929e-7f;
constexpr double SecondsFrom1970To2001 = 978307200.0;
constexpr char const* Header
    = "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: ";

double now() {
    return foundation::Clock::current().wallTime() + SecondsFrom1970To2001;
}

// Toward zero, held inside the 32-bit range (an out-of-range conversion is undefined).
std::int32_t truncated(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(value);
}

std::string microseconds(double timestamp) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f", timestamp * 1000000.0);
    return text;
}

}

bool ADNLocation::isPrecise(float latitude, float longitude) {
    return std::fabs(latitude) <= 90 && std::fabs(longitude) <= 180 && std::fabs(latitude) > Epsilon
        && std::fabs(longitude) > Epsilon;
}

base::Ref<ADNLocation> ADNLocation::initWithLatitude(
    float latitude, float longitude, float accuracy) {
    if (!isPrecise(latitude, longitude))
        return {};
    auto location = base::make<ADNLocation>();
    location->latitude_ = latitude;
    location->longitude_ = longitude;
    location->accuracy_ = accuracy;
    location->timestamp_ = now();
    return location;
}

base::Ref<ADNLocation> ADNLocation::initWithDescription(std::string description) {
    if (description.empty())
        return {};
    auto location = base::make<ADNLocation>();
    location->description_ = std::move(description);
    location->timestamp_ = now();
    return location;
}

bool ADNLocation::isPreciseLocation() const {
    return isPrecise(latitude_, longitude_);
}

std::string ADNLocation::description() const {
    if (description_)
        return *description_;
    if (isPreciseLocation()) {
        char text[96];
        std::snprintf(text, sizeof text, "%f,%f", double(latitude_), double(longitude_));
        return text;
    }
    return {};
}

base::Ref<ADNLocation> ADNLocation::copy() const {
    auto location = isPreciseLocation() ? initWithLatitude(latitude_, longitude_, accuracy_)
                                        : initWithDescription(description());
    if (location)
        location->timestamp_ = timestamp_;
    return location;
}

bool ADNLocation::isEqual(ADNLocation const& other) const {
    if (isPreciseLocation() != other.isPreciseLocation())
        return false;
    if (!isPreciseLocation())
        return description() == other.description();
    return std::fabs(latitude_ - other.latitude_) < Epsilon
        && std::fabs(longitude_ - other.longitude_) < Epsilon
        && std::fabs(accuracy_ - other.accuracy_) < Epsilon;
}

std::optional<std::string> ADNLocation::packedRepresentation() const {
    auto encoding = ADNStringEncoding::rfc4648Base64WebsafeStringEncoding();
    encoding->setDoPad(false);
    std::string text = Header + microseconds(timestamp_);
    if (!isPreciseLocation()) {
        text += " loc: \"" + foundation::replaceOccurrences(description(), "\"", "'") + "\"";
        return "a+" + encoding->encode(text);
    }
    auto const& key = ADNConfiguration::current().locationKey;
    if (!key)
        return std::nullopt;
    text += " latlng <latitude_e7: " + std::to_string(truncated(double(latitude_) * 1e7))
        + " longitude_e7: " + std::to_string(truncated(double(longitude_) * 1e7))
        + "> radius: " + std::to_string(truncated(double(accuracy_) * 1000.0));
    std::size_t padding = 16 - text.size() % 16;
    text.append(padding, char(padding));

    base::Bytes iv;
    for (int k = 1; k <= 4; ++k) {
        auto value = std::uint32_t(truncated(timestamp_ * k));
        for (int b = 0; b < 4; ++b)
            iv.push_back(std::uint8_t(value >> (8 * b)));
    }
    auto cipherText
        = foundation::Cipher::encryptAES128CBC(foundation::ByteView(key->data(), key->size()), iv,
            text, foundation::Cipher::Padding::None);
    if (!cipherText)
        return std::nullopt;
    base::Bytes payload = iv;
    payload.insert(payload.end(), cipherText->begin(), cipherText->end());
    return "e1+" + encoding->encode(payload);
}

}
