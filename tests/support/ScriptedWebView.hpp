#pragma once

#include <ui/WebView.hpp>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace test {

// A web view whose page can be played by a test: it answers chosen scripts (by
// exact text, or through a handler) and navigates as if its page had followed a
// link or run a script that changed the location (to "mosaic://..." or
// "btxvideo://..." URLs, say), so the delegate sees what a live page would make
// it see. It writes down every script it was asked to evaluate. Install it for the
// web views other code makes with WebView::setFactory. Main thread only.
class ScriptedWebView : public ui::WebView {
public:
    // Answers a script, or nothing to fall back to the table of answers.
    using ScriptHandler = std::function<std::optional<std::string>(std::string const& script)>;

    static base::Ref<ScriptedWebView> create(graphics::Rect frame = {});

    void answerScript(std::string script, std::string answer);
    void setScriptHandler(ScriptHandler handler) { handler_ = std::move(handler); }
    std::vector<std::string> const& evaluatedScripts() const { return evaluated_; }

    // The handler's answer, else the table's, else "".
    std::string stringByEvaluatingJavaScriptFromString(std::string const& script) override;

    // The page navigates to url: the delegate is asked with type, and the page loads
    // when it agrees. Answers the delegate's answer.
    bool fireNavigation(std::string const& url,
        ui::WebViewNavigationType type = ui::WebViewNavigationType::LinkClicked);
    bool fireNavigation(foundation::URLRequest request, ui::WebViewNavigationType type);

private:
    std::map<std::string, std::string> answers_;
    ScriptHandler handler_;
    std::vector<std::string> evaluated_;

    friend base::Factory;

    explicit ScriptedWebView(graphics::Rect frame = {});
};

}
