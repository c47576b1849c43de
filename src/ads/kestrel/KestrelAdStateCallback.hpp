#pragma once

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ads::kestrel {

// A URL that the ad reply asks to have called when an ad reaches a state. The
// parser's callback map holds them in sets under a key built from state, ad and
// ad type; impressions ask for the ones matching their state and complete each URL.
class KestrelAdStateCallback final : public base::Object, public foundation::Coding {
public:
    static base::Ref<KestrelAdStateCallback> create(std::optional<std::int64_t> adId,
        std::optional<std::uint8_t> adStateId, std::optional<std::uint8_t> adType,
        std::optional<std::string> callbackUrlBase);
    static base::Ref<KestrelAdStateCallback> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    // Equal state and URL, and either equal ads or an ad id of 0 on one side (a
    // callback for every ad). The hash leaves the ad out, to agree.
    bool isEqualToCallback(KestrelAdStateCallback const& other) const;
    std::size_t hash() const;

    // "state_ad" for a callback of one ad (its id, as a 32-bit value, not 0), else
    // "state_ad_type".
    std::string mapKey() const;
    static std::string keyForAd(
        std::optional<std::uint8_t> adStateId, std::optional<std::int64_t> adId);
    static std::string keyForAdType(std::optional<std::uint8_t> adStateId,
        std::optional<std::int64_t> adId, std::optional<std::uint8_t> adType);

    std::optional<std::int64_t> adId() const { return adId_; }
    std::optional<std::uint8_t> adStateId() const { return adStateId_; }
    std::optional<std::uint8_t> adType() const { return adType_; }
    std::optional<std::string> const& callbackUrlBase() const { return callbackUrlBase_; }

private:
    friend base::Factory;
    KestrelAdStateCallback() = default;

    std::optional<std::int64_t> adId_;
    std::optional<std::uint8_t> adStateId_;
    std::optional<std::uint8_t> adType_;
    std::optional<std::string> callbackUrlBase_;
};

// The callbacks stored under one key of the parser's map: a set by the callbacks'
// equality, kept in the order they were added.
class KestrelAdStateCallbackSet final : public base::Object, public foundation::Coding {
public:
    static base::Ref<KestrelAdStateCallbackSet> create();
    static base::Ref<KestrelAdStateCallbackSet> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    // Adds the callback unless an equal one is there; whether it was added.
    bool add(base::Ref<KestrelAdStateCallback> const& callback);
    // A new set holding the callbacks of both.
    base::Ref<KestrelAdStateCallbackSet> unionWith(KestrelAdStateCallbackSet const* other) const;

    std::vector<base::Ref<KestrelAdStateCallback>> const& callbacks() const { return callbacks_; }
    std::size_t count() const { return callbacks_.size(); }

private:
    friend base::Factory;
    KestrelAdStateCallbackSet() = default;

    std::vector<base::Ref<KestrelAdStateCallback>> callbacks_;
};

}
