#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <ui/View.hpp>
#include <ui/WebView.hpp>

#include <string>

namespace ads::marquee {

class MQView;

// What a page view's web view reports, with the page it belongs to. Optional.
class MQViewDelegate {
public:
    virtual ~MQViewDelegate() = default;
    virtual bool shouldStartLoadWithRequest(
        MQView&, foundation::URLRequest const&, ui::WebViewNavigationType) {
        return true;
    }
    virtual void webViewDidFinishLoad(MQView&) { }
};

// A page of the Marquee network (an interstitial or the more-apps page): a web view
// filling the view, the API reply it came from, its state and its type. The web view
// is made through WebView::create, so tests can play the page. The delegate is not
// retained. Main thread only.
class MQView final : public ui::View, private ui::WebViewDelegate {
public:
    enum State { Loaded = 0, Loading = 1, OnScreen = 2, Dismissing = 3 };
    enum Type { Interstitial = 1, MoreApps = 2 };

    static base::Ref<MQView> initWithFrame(graphics::Rect frame);
    ~MQView() override;

    base::Value const& responseContext() const { return responseContext_; }
    void setResponseContext(base::Value context) { responseContext_ = std::move(context); }
    int state() const { return state_; }
    void setState(int state) { state_ = state; }
    int type() const { return type_; }
    // The more-apps page stands on opaque dark grey; others stay clear.
    void setType(int type);

    ui::WebView& webView() const { return *webView_; }
    MQViewDelegate* delegate() const { return delegate_; }
    void setDelegate(MQViewDelegate* delegate) { delegate_ = delegate; }
    void loadHTMLString(std::string const& html, std::string baseURL);

private:
    bool shouldStartLoadWithRequest(ui::WebView&, foundation::URLRequest const& request,
        ui::WebViewNavigationType type) override;
    void webViewDidFinishLoad(ui::WebView&) override;

    base::Value responseContext_;
    int state_ {Loaded};
    int type_ {0};
    base::Ref<ui::WebView> webView_;
    MQViewDelegate* delegate_ {nullptr};

    friend base::Factory;
    explicit MQView(graphics::Rect frame);
};

}
