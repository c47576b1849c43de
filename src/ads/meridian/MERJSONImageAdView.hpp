#pragma once

#include <ads/meridian/MERJSONBasicAdView.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/URLConnection.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>

#include <cstdint>
#include <string>

namespace ads::meridian {

class MERJSONImageAdView;

// What the image banner tells the JSON banner. Every operation is optional.
class MERJSONImageAdViewDelegate {
public:
    virtual ~MERJSONImageAdViewDelegate() = default;
    virtual void imageAdViewFailed(MERJSONImageAdView&) { }
    virtual void imageAdViewSucceeded(MERJSONImageAdView&) { }
    virtual void imageAdViewWasTapped(MERJSONImageAdView&) { }
    virtual void imageAdDidLoadNewAd(MERJSONImageAdView&, MERJSONAd&) { }
};

// The image banner: downloads the ad's picture and shows it, fading its contents
// from the previous picture over 0.75 s (the first picture shows at once). A
// download that fails, answers other than 2xx, is larger than maximumImageBytes or
// does not decode leaves the shown picture and is reported as a failure. A tap is
// reported. Main thread only.
class MERJSONImageAdView final : public MERJSONBasicAdView,
                                 private foundation::URLConnectionDelegate {
public:
    static constexpr double crossfadeDuration = 0.75;
    static constexpr char const* crossfadeKey = "animateContents";
    static constexpr std::uint64_t maximumImageBytes = std::uint64_t(2) << 20;

    static base::Ref<MERJSONImageAdView> initWithFrame(
        graphics::Rect frame, MERJSONImageAdViewDelegate* delegate);
    ~MERJSONImageAdView() override;

    void setAd(base::Ref<MERJSONAd> ad) override;
    void loadWithURL(std::string const& url);
    // Shows an image made of data at once, telling nobody.
    void loadWithData(base::Bytes const& data);
    void connect(foundation::URLRequest request);
    void crossfadeWithNewImage(base::Ref<ui::Image> image);

    void touchesEnded(ui::TouchSet const& touches, ui::Event* event) override;

    MERJSONImageAdViewDelegate* delegate() const { return delegate_; }
    void setDelegate(MERJSONImageAdViewDelegate* delegate) { delegate_ = delegate; }
    ui::ImageView& imageView() const { return *imageView_; }
    ui::Image* image() const { return image_.get(); }
    bool isLoading() const { return connection_ != nullptr; }

private:
    void didReceiveResponse(foundation::URLConnection&, foundation::URLResponse const&) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const&) override;
    void show(base::Ref<ui::Image> image);
    void endDownload();
    void failed();

    base::Ref<ui::ImageView> imageView_;
    base::Ref<ui::Image> image_;
    base::Bytes imageData_;
    base::Ref<foundation::URLConnection> connection_;
    int status_ {0};
    MERJSONImageAdViewDelegate* delegate_ {nullptr};

    friend base::Factory;
    MERJSONImageAdView(graphics::Rect frame, MERJSONImageAdViewDelegate* delegate);
};

}
