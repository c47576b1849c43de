#pragma once

#include <toolkit/rest/RLObject.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace serverkit {

// One credit that the marketing service queued for this device and application:
// its id at the service, the Vov Azavuz it grants, the text shown to the player and
// when it was queued (as the service sends it).
class CHKQueuedCredits final : public toolkit::rest::RLObject {
public:
    static base::Ref<CHKQueuedCredits> create();

    // Maps "id", "credits", "reason" and "timePosted" to the fields.
    static toolkit::rest::RLObjectClass const& describedClass();
    toolkit::rest::RLObjectClass const& objectClass() const override { return describedClass(); }

    std::uint64_t identifier() const { return identifier_; }
    void setIdentifier(std::uint64_t identifier) { identifier_ = identifier; }
    std::uint64_t value() const { return value_; }
    void setValue(std::uint64_t value) { value_ = value; }
    std::optional<std::string> const& reason() const { return reason_; }
    void setReason(std::optional<std::string> reason) { reason_ = std::move(reason); }
    std::uint64_t timePosted() const { return timePosted_; }
    void setTimePosted(std::uint64_t timePosted) { timePosted_ = timePosted; }

    // "identifier=%llu, value=%llu, reason=%@, timePosted=%llu"
    std::string description() const;

private:
    friend base::Factory;
    CHKQueuedCredits() = default;

    std::uint64_t identifier_ {0};
    std::uint64_t value_ {0};
    std::optional<std::string> reason_;
    std::uint64_t timePosted_ {0};
};

}
