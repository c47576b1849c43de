#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <optional>
#include <string>

namespace ads::adnoria {

// The location an ad request carries: a coordinate with its accuracy, or a free
// text, stamped with the time it was made (seconds since 1970). Its packed form is
// what the request sends as "uloc". Owned by the request; main thread.
class ADNLocation final : public base::Object {
public:
    // Null unless the coordinate is precise (within range and neither axis zero).
    static base::Ref<ADNLocation> initWithLatitude(float latitude, float longitude, float accuracy);
    // Null for an empty text.
    static base::Ref<ADNLocation> initWithDescription(std::string description);

    float latitude() const { return latitude_; }
    float longitude() const { return longitude_; }
    float accuracy() const { return accuracy_; }
    double timestamp() const { return timestamp_; }
    void setTimestamp(double timestamp) { timestamp_ = timestamp; }
    bool isPreciseLocation() const;

    std::string description() const;
    base::Ref<ADNLocation> copy() const;
    bool isEqual(ADNLocation const& other) const;

    // "e1+" and the enciphered coordinate, or "a+" and the text; nothing when the
    // coordinate cannot be enciphered (no location key configured). The key is
    // never written anywhere.
    std::optional<std::string> packedRepresentation() const;

    static bool isPrecise(float latitude, float longitude);

private:
    friend base::Factory;
    ADNLocation() = default;

    float latitude_ {0};
    float longitude_ {0};
    float accuracy_ {0};
    std::optional<std::string> description_;
    double timestamp_ {0};
};

}
