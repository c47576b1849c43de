#include <ads/marquee/MQView.hpp>

namespace ads::marquee {

base::Ref<MQView> MQView::initWithFrame(graphics::Rect frame) {
    return base::make<MQView>(frame);
}

MQView::MQView(graphics::Rect frame)
    : View(frame)
    , webView_(ui::WebView::create(graphics::Rect {{0, 0}, frame.size})) {
    setOpaque(false);
    setBackgroundColor(ui::Color::clearColor());
    webView_->setOpaque(false);
    webView_->setBackgroundColor(ui::Color::clearColor());
    webView_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    webView_->setDelegate(this);
    addSubview(webView_);
}

MQView::~MQView() {
    webView_->setDelegate(nullptr);
}

void MQView::setType(int type) {
    type_ = type;
    if (type == MoreApps)
        setBackgroundColor(ui::Color::colorWithRed(0.2f, 0.2f, 0.2f, 1.0f));
}

void MQView::loadHTMLString(std::string const& html, std::string baseURL) {
    webView_->loadHTMLString(html, std::move(baseURL));
}

bool MQView::shouldStartLoadWithRequest(
    ui::WebView&, foundation::URLRequest const& request, ui::WebViewNavigationType type) {
    base::Ref<MQView> keep(this);
    return delegate_ ? delegate_->shouldStartLoadWithRequest(*this, request, type) : true;
}

void MQView::webViewDidFinishLoad(ui::WebView&) {
    base::Ref<MQView> keep(this);
    if (delegate_)
        delegate_->webViewDidFinishLoad(*this);
}

}
