#pragma once

#include <ads/meridian/MERAdView.hpp>
#include <ads/mosaic/MXBaseAdapter.hpp>
#include <ads/mosaic/MXNativeParams.hpp>

#include <string>

namespace ads::mosaic {

// The adapter of ad type "meridian_native": asks the Meridian Media client for one
// banner (a 300 x 250 rectangle when the native parameters ask for exactly that, else
// a top banner of 320 x 53) with no refresh timer of its own, and passes the view's
// events on. It owns the view and is its delegate until it tears the view down.
class MXMeridianAdapter final : public MXBaseAdapter, private meridian::MERAdDelegate {
public:
    static constexpr char const* vendorName = "mosaicsdk";

    static base::Ref<MXMeridianAdapter> initWithAdapterDelegate(MXAdapterDelegate* delegate);

    char const* className() const override { return "MXMeridianAdapter"; }
    void getAdWithParams(foundation::HTTPHeaderFields const& params) override;
    void applyNativeParams(MXNativeParams const& params);
    // Stops the view's refresh, leaves it and lets it go.
    void tearDownExistingAdView();

    meridian::MERAdView* merAdView() const { return merAdView_.get(); }
    void setMerAdView(base::Ref<meridian::MERAdView> view) { merAdView_ = std::move(view); }
    graphics::Size merAdSize() const { return merAdSize_; }
    void setMerAdSize(graphics::Size size) { merAdSize_ = size; }
    int merAdType() const { return merAdType_; }
    void setMerAdType(int type) { merAdType_ = type; }
    std::string const& merAdApid() const { return merAdApid_; }
    void setMerAdApid(std::string apid) { merAdApid_ = std::move(apid); }

    // What the view sends with each request: the vendor, and the banner's location
    // when it has one to send.
    std::optional<meridian::MERRequestData> requestData() override;

private:
    friend base::Factory;
    explicit MXMeridianAdapter(MXAdapterDelegate* delegate)
        : MXBaseAdapter(delegate) { }
    ~MXMeridianAdapter() override;

    void adRequestSucceeded(meridian::MERAdView& view) override;
    void adRequestFailed(meridian::MERAdView& view) override;
    void adWasTapped(meridian::MERAdView& view) override;
    void applicationWillTerminateFromAd() override;
    void adModalWasDismissed() override;

    base::Ref<meridian::MERAdView> merAdView_;
    std::string merAdApid_;
    graphics::Size merAdSize_ {};
    int merAdType_ {0};
};

}
