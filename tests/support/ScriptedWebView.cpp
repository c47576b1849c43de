#include <support/ScriptedWebView.hpp>

namespace test {

base::Ref<ScriptedWebView> ScriptedWebView::create(graphics::Rect frame) {
    return base::make<ScriptedWebView>(frame);
}

ScriptedWebView::ScriptedWebView(graphics::Rect frame)
    : WebView(frame) {
}

void ScriptedWebView::answerScript(std::string script, std::string answer) {
    answers_[std::move(script)] = std::move(answer);
}

std::string ScriptedWebView::stringByEvaluatingJavaScriptFromString(std::string const& script) {
    evaluated_.push_back(script);
    if (handler_) {
        if (auto answer = handler_(script))
            return *answer;
    }
    auto it = answers_.find(script);
    return it == answers_.end() ? std::string() : it->second;
}

bool ScriptedWebView::fireNavigation(std::string const& url, ui::WebViewNavigationType type) {
    return fireNavigation(foundation::URLRequest(url), type);
}

bool ScriptedWebView::fireNavigation(
    foundation::URLRequest request, ui::WebViewNavigationType type) {
    return navigate(std::move(request), type);
}

}
