#include <serverkit/RVCCrossPromoteView.hpp>

#include <foundation/Format.hpp>
#include <ui/Application.hpp>
#include <ui/BarButtonItem.hpp>
#include <ui/Device.hpp>

#include <cstdlib>

namespace serverkit {

namespace {

base::Ref<RVCCrossPromoteView>& sharedView() {
    static base::Ref<RVCCrossPromoteView> shared;
    return shared;
}

// Systems before 4.1 take the panel away without a fade.
bool fadesOnDismiss() {
    auto const& version = ui::Device::currentDevice().systemVersion();
    char* rest = nullptr;
    long const major = std::strtol(version.c_str(), &rest, 10);
    long const minor = (rest && *rest == '.') ? std::strtol(rest + 1, nullptr, 10) : 0;
    return major > 4 || (major == 4 && minor >= 1);
}

}

RVCCrossPromoteView& RVCCrossPromoteView::sharedRVCCrossPromote() {
    auto& shared = sharedView();
    if (!shared)
        shared = base::make<RVCCrossPromoteView>();
    return *shared;
}

void RVCCrossPromoteView::resetShared() {
    auto& shared = sharedView();
    if (shared && shared->cpAPIView_)
        shared->cpAPIView_->removeFromSuperview();
    if (shared && shared->cpAPIWebView_)
        shared->cpAPIWebView_->setDelegate(nullptr);
    shared = nullptr;
}

std::string RVCCrossPromoteView::pageURL(char const* page) const {
    auto base = baseURL_;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + page;
}

void RVCCrossPromoteView::present(
    Done done, Close close, std::string const& buttonLabel, ui::View* container) {
    apiDone_ = std::move(done);
    userClosed_ = std::move(close);
    auto const frame = container->frame();
    float width = frame.size.width;
    float height = frame.size.height;
    // A container turned for landscape may still give its frame in portrait terms (taller
    // than wide): the panel is then turned to match. One already laid out in landscape
    // keeps its frame, so the panel covers it whole.
    auto const orientation = ui::Application::sharedApplication().statusBarOrientation();
    if ((orientation == ui::InterfaceOrientation::LandscapeLeft
            || orientation == ui::InterfaceOrientation::LandscapeRight)
        && width < height)
        std::swap(width, height);
    if (!cpAPIView_) {
        cpAPIView_ = ui::View::create({0, 0, width, height});
        // A blank page until the store site's page draws over it.
        cpAPIView_->setBackgroundColor(ui::Color::whiteColor());
    }
    auto const panel = cpAPIView_->frame().size;
    if (!cpAPIToolbar_) {
        cpAPIToolbar_ = ui::Toolbar::create({0, 0, panel.width, ToolbarHeight});
        cpAPIToolbar_->setBackgroundColor(ui::Color::colorWithBytes(109, 132, 162));
        auto button
            = ui::BarButtonItem::initWithTitle(buttonLabel, ui::BarButtonItemStyle::Bordered,
                [this](ui::BarButtonItem&) { cpAPIToolbar_closeButton_clicked(); });
        cpAPIToolbar_->setItems({button});
    }
    if (!cpAPIWebView_) {
        cpAPIWebView_
            = ui::WebView::create({0, ToolbarHeight, panel.width, panel.height - ToolbarHeight});
        cpAPIWebView_->setDelegate(this);
        cpAPIWebView_->setScalesPageToFit(true);
        if (baseURL_.empty())
            foundation::log("RVCCrossPromoteView: no store web address set; no page loads");
        else
            cpAPIWebView_->loadRequest(foundation::URLRequest::requestWithURL(pageURL(EntryPage)));
    }
    if (!activityIndicator_) {
        activityIndicator_
            = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
        activityIndicator_->setCenter({panel.width / 2, panel.height / 2});
    }
    cpAPIView_->addSubview(cpAPIWebView_);
    cpAPIView_->addSubview(cpAPIToolbar_);
    cpAPIView_->addSubview(activityIndicator_);
    container->addSubview(cpAPIView_);
    container->bringSubviewToFront(cpAPIView_.get());
}

void RVCCrossPromoteView::dismiss() {
    if (cpAPIView_) {
        auto panel = cpAPIView_;
        if (fadesOnDismiss()) {
            ui::View::animateWithDuration(
                FadeDuration, [panel] { panel->setAlpha(0); },
                [panel](bool) { panel->removeFromSuperview(); });
        } else {
            panel->removeFromSuperview();
        }
    }
    if (cpAPIWebView_)
        cpAPIWebView_->setDelegate(nullptr);
    cpAPIWebView_ = nullptr;
    cpAPIToolbar_ = nullptr;
    activityIndicator_ = nullptr;
    cpAPIView_ = nullptr;
}

void RVCCrossPromoteView::cpAPIToolbar_closeButton_clicked() {
    if (auto close = userClosed_)
        close();
}

void RVCCrossPromoteView::webViewDidStartLoad(ui::WebView&) {
    if (activityIndicator_)
        activityIndicator_->startAnimating();
}

void RVCCrossPromoteView::webViewDidFinishLoad(ui::WebView& webView) {
    if (activityIndicator_)
        activityIndicator_->stopAnimating();
    auto const& address = webView.request().URL();
    if (!address.empty() && !address.starts_with(pageURL(FinalPage)))
        return;
    auto const text = webView.stringByEvaluatingJavaScriptFromString(ResultScript);
    base::Ref<base::Dictionary> result;
    if (!text.empty()) {
        result = base::Dictionary::create();
        result->setObject("post_id", base::Value(text));
    }
    if (auto done = apiDone_)
        done(result);
}

}
