#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/Toolbar.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>
#include <ui/WebView.hpp>

#include <functional>
#include <string>

namespace serverkit {

// The publisher's cross-promotion page over the game: a panel the size of the
// container's view (turned for landscape) with a toolbar holding one close button, the
// web page and a spinner while pages load. The page leads through the publisher's
// flow; when a page whose address begins with the final page's address finishes, its
// result element is read and handed to the done operation: nothing for an empty text,
// else {"post_id": text}. The panel's parts are kept until dismiss, so presenting again
// shows the same page. One shared instance; main thread only.
class RVCCrossPromoteView final : public ui::ViewController, public ui::WebViewDelegate {
public:
    static constexpr char const* EntryPage = "/QBYAPI.php";
    static constexpr char const* FinalPage = "/QBYAPI2.php";
    static constexpr char const* ResultScript
        = "document.getElementById('QbyRvcAPI_result').innerHTML";
    static constexpr float ToolbarHeight = 40;
    static constexpr double FadeDuration = 0.25;

    // Hears the result: null for none.
    using Done = std::function<void(base::Ref<base::Dictionary> result)>;
    using Close = std::function<void()>;

    static RVCCrossPromoteView& sharedRVCCrossPromote();
    // Drops the shared instance and its panel (tests).
    static void resetShared();

    // The root of the publisher's store web site (plain HTTP); no default: without it
    // the panel shows and no page loads.
    void setBaseURL(std::string url) { baseURL_ = std::move(url); }
    std::string const& baseURL() const { return baseURL_; }

    // Shows the panel in container (the view of the screen it covers), turned with the
    // status bar's orientation.
    void present(Done done, Close close, std::string const& buttonLabel, ui::View* container);
    // Fades the panel out and forgets its parts, so the next present starts anew.
    void dismiss();
    void cpAPIToolbar_closeButton_clicked();

    ui::View* cpAPIView() const { return cpAPIView_.get(); }
    ui::Toolbar* cpAPIToolbar() const { return cpAPIToolbar_.get(); }
    ui::WebView* cpAPIWebView() const { return cpAPIWebView_.get(); }
    ui::ActivityIndicatorView* activityIndicator() const { return activityIndicator_.get(); }

    void webViewDidStartLoad(ui::WebView&) override;
    void webViewDidFinishLoad(ui::WebView&) override;

private:
    friend base::Factory;
    RVCCrossPromoteView() = default;

    std::string pageURL(char const* page) const;

    std::string baseURL_;
    base::Ref<ui::View> cpAPIView_;
    base::Ref<ui::Toolbar> cpAPIToolbar_;
    base::Ref<ui::WebView> cpAPIWebView_;
    base::Ref<ui::ActivityIndicatorView> activityIndicator_;
    Done apiDone_;
    Close userClosed_;
};

}
