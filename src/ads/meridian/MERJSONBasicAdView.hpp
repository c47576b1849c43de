#pragma once

#include <ads/meridian/MERJSONAd.hpp>
#include <base/Ref.hpp>
#include <ui/View.hpp>

namespace ads::meridian {

// The base of the JSON banner's two children (image and video): a view that holds
// the ad it shows.
class MERJSONBasicAdView : public ui::View {
public:
    MERJSONAd* ad() const { return ad_.get(); }
    virtual void setAd(base::Ref<MERJSONAd> ad) { ad_ = std::move(ad); }

protected:
    explicit MERJSONBasicAdView(graphics::Rect frame)
        : View(frame) { }

    base::Ref<MERJSONAd> ad_;
};

}
