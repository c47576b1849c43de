#pragma once

#include <serverkit/DirectiveHandler.hpp>

namespace serverkit {

// The "xfercoins" directive: the settings of the coin-transfer promotion, stored in
// the user defaults under "xfercoins_datastore" (replacing the last ones) for the
// transfer wheels to read:
//   "active"  true when the directive's "active" has the integer value 1, else false
//   "freq"    conversions the promotion of this uid allows (default 0)
//   "step"    Vov Azavuz per dial step (default 0)
//   "base"    price base in coins (default 2147483647)
//   "scale"   price scale (default 1)
//   "uid"     the directive's uid
// "freq", "step", "base" and "scale" are taken only when the JSON gave a number;
// text such as "10" (or a boolean) takes the default. Answers nothing to merge.
class TransferCoinsDirectiveHandler final : public DirectiveHandler {
public:
    static constexpr char const* DataStoreKey = "xfercoins_datastore";

    static base::Ref<TransferCoinsDirectiveHandler> init();

    base::Ref<base::Dictionary> processDirective(std::int32_t uid, std::string_view data) override;

private:
    friend base::Factory;
    TransferCoinsDirectiveHandler() = default;
};

}
