#pragma once

namespace ads::meridian {

// What the ad models ask of the ad view that shows their ad. The ad view engine
// implements it; a model holds it as a plain reference (the view owns the model).
class MERGenericAdView {
public:
    virtual ~MERGenericAdView() = default;
    // Whether device motion may go to the ad's page.
    virtual bool isAccelerometerEnabled() const = 0;
};

}
