#pragma once

#include <ui/Image.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::kestrel {

// An offer for the host application's own offer list: a record the application
// makes and passes in, filled by the offer look-ups.
class KestrelOffer final : public base::Object {
public:
    static base::Ref<KestrelOffer> create() { return base::make<KestrelOffer>(); }

    std::optional<std::string> appName;
    base::Ref<ui::Image> appIcon;
    // The click-through URL.
    std::optional<std::string> referralUrl;
    std::optional<std::int32_t> appPrice;
    std::optional<std::string> appDescription;

private:
    friend base::Factory;
    KestrelOffer() = default;
};

}
