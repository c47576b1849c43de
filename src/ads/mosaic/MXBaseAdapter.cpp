#include <ads/mosaic/MXBaseAdapter.hpp>

#include <ads/mosaic/MXLogging.hpp>
#include <ui/View.hpp>

namespace ads::mosaic {

MXBaseAdapter::~MXBaseAdapter() {
    unregisterDelegate();
}

void MXBaseAdapter::rotateToOrientation(ui::InterfaceOrientation orientation) {
    MXLogDebugMessage(
        "rotateToOrientation %d called for adapter %@ (%p)", int(orientation), className(), this);
}

void MXBaseAdapter::reportDidFinishLoadingAd(base::Ref<ui::View> view, bool shouldTrackImpression) {
    base::Ref<MXBaseAdapter> self(this);
    if (delegate_)
        delegate_->adapterDidFinishLoadingAd(this, std::move(view), shouldTrackImpression);
}

void MXBaseAdapter::reportDidFailToLoadAd(std::string const& error) {
    base::Ref<MXBaseAdapter> self(this);
    if (delegate_)
        delegate_->adapterDidFailToLoadAdWithError(this, error);
}

void MXBaseAdapter::reportUserActionWillBegin() {
    base::Ref<MXBaseAdapter> self(this);
    if (delegate_)
        delegate_->userActionWillBeginForAdapter(this);
}

void MXBaseAdapter::reportUserActionDidEnd() {
    base::Ref<MXBaseAdapter> self(this);
    if (delegate_)
        delegate_->userActionDidEndForAdapter(this);
}

std::optional<MXNativeParams> MXBaseAdapter::nativeParamsOrFail(
    foundation::HTTPHeaderFields const& params, char const* network) {
    auto native = MXNativeParams::fromHeaders(params);
    if (!native) {
        MXLogErrorMessage("%@ adapter (%p) received unusable native parameters.",
            std::string_view(network), this);
        reportDidFailToLoadAd("Unusable X-Nativeparams");
    }
    return native;
}

void MXBaseAdapter::reportUserWillLeaveApplication() {
    base::Ref<MXBaseAdapter> self(this);
    if (delegate_)
        delegate_->userWillLeaveApplicationFromAdapter(this);
}

}
