#pragma once

#include <ads/mosaic/MXBaseAdapter.hpp>

namespace ads::mosaic {

// Serves an ad of the game's own ("X-Adtype" "custom"): calls the operation of the
// banner's delegate that "X-Customselector" names, when the delegate lists it among
// its allowed custom operations, and reports a failure otherwise. The operation then
// reports to the banner itself.
class MXCustomEventAdapter final : public MXBaseAdapter {
public:
    static constexpr char const* selectorHeader = "X-Customselector";

    static base::Ref<MXCustomEventAdapter> initWithAdapterDelegate(MXAdapterDelegate* delegate);

    char const* className() const override { return "MXCustomEventAdapter"; }
    void getAdWithParams(foundation::HTTPHeaderFields const& params) override;

private:
    friend base::Factory;
    explicit MXCustomEventAdapter(MXAdapterDelegate* delegate)
        : MXBaseAdapter(delegate) { }
};

}
