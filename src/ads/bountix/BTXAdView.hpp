#pragma once

#include <ads/bountix/BTXCoreFetcherHandler.hpp>
#include <base/Ref.hpp>
#include <ui/ImageView.hpp>
#include <ui/View.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ads::bountix {

class BTXAdView;

// What the display ad tells its requester. Every operation is optional: the defaults
// stand for a delegate that does not answer it.
class BTXAdDelegate {
public:
    virtual ~BTXAdDelegate() = default;
    // A new image is showing.
    virtual void didReceiveAd(BTXAdView&) { }
    virtual void didFailWithMessage(std::string const&) { }
    // "320x50", "640x100" or "768x90"; none when not answered.
    virtual std::optional<std::string> adContentSize() { return std::nullopt; }
    // True asks for a new ad 15 s after each one shown.
    virtual bool shouldRefreshAd() { return false; }
};

// A fetch delegate that also hears a read display ad: [click URL, base64 image text].
class BTXAdResponseDelegate : public BTXFetchResponseDelegate {
public:
    virtual void fetchResponseSuccessWithAd(
        std::vector<std::string> const& clickURLAndImage, int tag)
        = 0;
    void fetchResponseSuccessWithData(toolkit::xml::XDocElement const*, int) override { }
};

// Asks the offer service for a display ad ("display_ad") and reads its click URL and
// its image.
class BTXAdRequestHandler final : public BTXCoreFetcherHandler {
public:
    static base::Ref<BTXAdRequestHandler> create(BTXAdResponseDelegate* delegate, int requestTag);

    void requestAdWithSize(
        std::string const& size, std::optional<std::string> const& currencyID = {});
    bool isDataFetchSuccessful() const { return isDataFetchSuccessful_; }
    std::string const& clickURL() const { return clickURL_; }
    std::string const& imageDataStr() const { return imageDataStr_; }

    // The click URL and image text of an accepted reply root; none when either is missing.
    static std::optional<std::vector<std::string>> adOfReply(toolkit::xml::XDocElement const* root);

private:
    friend base::Factory;
    BTXAdRequestHandler() = default;

    void adDataReceived(BTXCoreFetcher& fetcher);

    std::string clickURL_;
    std::string imageDataStr_;
    bool isDataFetchSuccessful_ {false};
};

// The display ad: one shared view that shows the offer service's image at the size
// its delegate asks for (320x50 for anything unknown) and opens the ad's click URL
// outside the program when a tap ends inside it. A new image fades in over 0.25 s
// while the previous one fades out over 0.35 s. An image that cannot be decoded is a
// failure: the delegate hears didFailWithMessage and the image showing stays. The
// delegate is not retained. Main thread.
class BTXAdView final : public ui::View, public BTXAdResponseDelegate {
public:
    static constexpr char const* FailureMessage = "Bountix Ad request failed to receive any data.";
    static constexpr double RefreshInterval = 15.0;

    static BTXAdView& sharedBTXAdView();
    // Drops the shared view, its request and its refresh; for tests.
    static void resetShared();
    ~BTXAdView() override;

    // The frame of a size string, at the origin.
    static graphics::Rect frameForSize(std::string const& size);

    BTXAdView& getAdWithDelegate(
        BTXAdDelegate* delegate, std::optional<std::string> const& currencyID = {});
    void refreshAd();
    void refreshAdWithCurrencyID(std::optional<std::string> const& currencyID);
    bool isAdLoaded() const;

    std::string const& clickURL() const { return clickURL_; }
    std::string const& contentSizeStr() const { return contentSizeStr_; }
    ui::ImageView* imageView() const { return imageView_.get(); }
    ui::ImageView* previousImageView() const { return previousImageView_.get(); }
    ui::View* adViewOverlay() const { return adViewOverlay_.get(); }
    BTXAdRequestHandler* adHandlerObj() const { return adHandlerObj_.get(); }
    BTXAdDelegate* adDelegate() const { return adDelegate_; }

    // BTXAdResponseDelegate
    void fetchResponseSuccessWithAd(
        std::vector<std::string> const& clickURLAndImage, int tag) override;
    void fetchResponseError(int kind, std::string const& description, int tag) override;

    // ui::Responder
    void touchesBegan(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesEnded(ui::TouchSet const& touches, ui::Event* event) override;

private:
    friend base::Factory;
    BTXAdView();

    void request(std::optional<std::string> const& currencyID);

    std::string clickURL_;
    std::string imageDataStr_;
    base::Ref<ui::ImageView> imageView_;
    base::Ref<ui::ImageView> previousImageView_;
    std::string contentSizeStr_;
    base::Ref<ui::View> adViewOverlay_;
    base::Ref<BTXAdRequestHandler> adHandlerObj_;
    BTXAdDelegate* adDelegate_ {nullptr};
    bool imageDecoded_ {false};
};

}
