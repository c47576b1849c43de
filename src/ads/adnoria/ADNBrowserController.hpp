#pragma once

#include <ads/adnoria/ADNViewController.hpp>

#include <base/Ref.hpp>
#include <ui/BarButtonItem.hpp>

#include <functional>
#include <optional>
#include <string>

namespace ui {
class ActivityIndicatorView;
class Image;
class Toolbar;
}

namespace ads::adnoria {

class ADNBrowserWebViewDelegate;

// The client's in-app browser: a web view over a toolbar of Back, Forward, a
// spinner standing in for Reload while a page loads, "View in Safari" (which
// leaves the application) and Done. The web view and the toolbar are made when the
// view first appears; a URL asked for before is kept until then (a later one
// replaces it). Main thread.
class ADNBrowserController final : public ADNViewController {
public:
    static base::Ref<ADNBrowserController> create();
    ~ADNBrowserController() override;

    ui::WebView* webView() const { return webView_.get(); }
    ui::Toolbar* toolbar() const { return toolbar_.get(); }
    ui::BarButtonItem* backButton() const { return backButton_.get(); }
    ui::BarButtonItem* forwardButton() const { return forwardButton_.get(); }
    ui::BarButtonItem* reloadButton() const { return reloadButton_.get(); }
    ui::BarButtonItem* safariButton() const { return safariButton_.get(); }
    ui::BarButtonItem* doneButton() const { return doneButton_.get(); }
    ui::BarButtonItem* spinnerContainingButton() const { return spinnerContainingButton_.get(); }
    ui::ActivityIndicatorView* spinner() const { return spinner_.get(); }

    // Nothing for an empty URL. The referrer goes out as the "Referer" header.
    void load(std::string const& url, std::string const& referringURL = {});
    void back();
    void forward();
    void reload();
    void stop();
    void openInSafari();

    void viewWillAppear(bool animated) override;
    void didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) override;

    void createToolbarButtons();
    void refreshToolbar();
    static base::Ref<ui::BarButtonItem> buttonWithImage(ui::Image* image, std::string name,
        float width, bool enabled, std::function<void()> action);
    // Keeps an image item's button in step with the item.
    static void setItemEnabled(ui::BarButtonItem& item, bool enabled);

private:
    friend base::Factory;
    ADNBrowserController() = default;

    std::optional<std::string> urlToLoad_;
    std::string referringURLToLoad_;
    base::Ref<ADNBrowserWebViewDelegate> webViewDelegate_;
    base::Ref<ui::WebView> webView_;
    base::Ref<ui::Toolbar> toolbar_;
    base::Ref<ui::BarButtonItem> flexibleSpaceButton_;
    base::Ref<ui::BarButtonItem> backButton_;
    base::Ref<ui::BarButtonItem> forwardButton_;
    base::Ref<ui::BarButtonItem> reloadButton_;
    base::Ref<ui::BarButtonItem> safariButton_;
    base::Ref<ui::BarButtonItem> doneButton_;
    base::Ref<ui::BarButtonItem> spinnerContainingButton_;
    base::Ref<ui::ActivityIndicatorView> spinner_;
};

}
