#pragma once

#include <ads/adnoria/ADNViewController.hpp>

#include <base/Ref.hpp>

#include <optional>
#include <string>

namespace ui {
class ActivityIndicatorView;
class Button;
}

namespace ads::adnoria {

class ADNWebAppWebViewDelegate;

// A borderless full-screen web view with a close button in its corner, for
// interstitials and web-app ads. A white spinner turns in the middle until the
// first page has loaded. The page hears "onshow" once, when both the controller
// has appeared and the page has loaded, and "onhide" when the controller goes off
// the screen. Loads asked for before the view appears wait for it. Main thread.
class ADNWebAppViewController final : public ADNViewController {
public:
    static base::Ref<ADNWebAppViewController> create();
    ~ADNWebAppViewController() override;

    ui::WebView* webView() const { return webView_.get(); }
    ui::Button* closeButton() const { return closeButton_.get(); }
    ui::ActivityIndicatorView* loadingSpinner() const { return loadingSpinner_.get(); }
    bool loaded() const { return loaded_; }
    ADNWebAppWebViewDelegate* webViewDelegate() const { return webViewDelegate_.get(); }

    // Nothing for an empty URL.
    void load(std::string const& url);
    // Nothing without HTML.
    void loadHTML(std::optional<std::string> html, std::string baseURL = {});

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    void didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) override;

    // The first page has loaded: the spinner goes.
    void markLoaded();

private:
    friend base::Factory;
    ADNWebAppViewController();

    std::optional<std::string> urlToLoad_;
    std::optional<std::string> htmlToLoad_;
    std::string htmlBaseURLToLoad_;
    base::Ref<ADNWebAppWebViewDelegate> webViewDelegate_;
    base::Ref<ui::WebView> webView_;
    base::Ref<ui::Button> closeButton_;
    bool loaded_ {false};
    base::Ref<ui::ActivityIndicatorView> loadingSpinner_;
};

}
