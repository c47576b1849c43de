#include <ads/meridian/MERJSONImageAdView.hpp>

#include <foundation/URLRequest.hpp>
#include <foundation/URLResponse.hpp>
#include <ui/LayerAnimation.hpp>
#include <ui/Touch.hpp>

#include <utility>

namespace ads::meridian {

base::Ref<MERJSONImageAdView> MERJSONImageAdView::initWithFrame(
    graphics::Rect frame, MERJSONImageAdViewDelegate* delegate) {
    return base::make<MERJSONImageAdView>(frame, delegate);
}

MERJSONImageAdView::MERJSONImageAdView(graphics::Rect frame, MERJSONImageAdViewDelegate* delegate)
    // The origin given is not used: the banner fills its parent.
    : MERJSONBasicAdView({{0, 0}, frame.size})
    , delegate_(delegate) {
    imageView_ = ui::ImageView::create({{0, 0}, frame.size});
    addSubview(imageView_);
}

MERJSONImageAdView::~MERJSONImageAdView() {
    if (connection_)
        connection_->cancel();
}

void MERJSONImageAdView::setAd(base::Ref<MERJSONAd> ad) {
    ad_ = std::move(ad);
    if (ad_ && delegate_)
        delegate_->imageAdDidLoadNewAd(*this, *ad_);
}

void MERJSONImageAdView::loadWithURL(std::string const& url) {
    connect(foundation::URLRequest::requestWithURL(url));
}

void MERJSONImageAdView::connect(foundation::URLRequest request) {
    if (connection_) {
        connection_->cancel();
        connection_ = nullptr;
    }
    imageData_.clear();
    status_ = 0;
    request.setMaximumBodySize(maximumImageBytes);
    connection_ = foundation::URLConnection::create(std::move(request), this);
}

void MERJSONImageAdView::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    status_ = response.statusCode();
}

void MERJSONImageAdView::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    imageData_.insert(imageData_.end(), data.begin(), data.end());
}

void MERJSONImageAdView::connectionDidFinishLoading(foundation::URLConnection&) {
    base::Ref<MERJSONImageAdView> keep(this);
    // An error page or a body that is no picture is no new ad: the shown one stays.
    bool const ok = status_ >= 200 && status_ < 300 && !imageData_.empty();
    base::Ref<ui::Image> image = ok ? ui::Image::imageWithData(imageData_) : nullptr;
    endDownload();
    if (!image) {
        failed();
        return;
    }
    image_ = image;
    show(image);
    if (delegate_)
        delegate_->imageAdViewSucceeded(*this);
}

void MERJSONImageAdView::didFailWithError(foundation::URLConnection&, foundation::URLError const&) {
    base::Ref<MERJSONImageAdView> keep(this);
    endDownload();
    failed();
}

void MERJSONImageAdView::endDownload() {
    imageData_.clear();
    if (connection_)
        connection_->cancel();
    connection_ = nullptr;
}

void MERJSONImageAdView::failed() {
    if (delegate_)
        delegate_->imageAdViewFailed(*this);
}

void MERJSONImageAdView::loadWithData(base::Bytes const& data) {
    if (auto image = ui::Image::imageWithData(data))
        show(image);
}

void MERJSONImageAdView::show(base::Ref<ui::Image> image) {
    if (imageView_->image())
        crossfadeWithNewImage(std::move(image));
    else
        imageView_->setImage(std::move(image));
}

void MERJSONImageAdView::crossfadeWithNewImage(base::Ref<ui::Image> image) {
    auto fade = ui::BasicAnimation::animationWithKeyPath("contents");
    fade->setFromValue(base::Ref<ui::Image>(imageView_->image()));
    fade->setToValue(image);
    fade->setDuration(crossfadeDuration);
    fade->setDelegate(this);
    fade->setDidStop(
        [this, image](ui::LayerAnimation const&, bool) { imageView_->setImage(image); });
    imageView_->layer().addAnimation(*fade, crossfadeKey);
}

void MERJSONImageAdView::touchesEnded(ui::TouchSet const& touches, ui::Event* event) {
    base::Ref<MERJSONImageAdView> keep(this);
    if (delegate_)
        delegate_->imageAdViewWasTapped(*this);
    MERJSONBasicAdView::touchesEnded(touches, event);
}

}
