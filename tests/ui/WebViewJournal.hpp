#pragma once

#include "ControllerFixture.hpp"

#include <foundation/Strings.hpp>
#include <ui/WebView.hpp>

#include <functional>
#include <string>

namespace test {

// A web view delegate that writes its calls into a journal: "should TYPE URL",
// "start", "finish" and "fail CODE", with prefix taken off the URLs. allow decides
// the navigations (all of them by default).
class PageLog : public ui::WebViewDelegate {
public:
    PageLog(Journal& journal, std::string prefix = {})
        : journal_(journal)
        , prefix_(std::move(prefix)) { }

    std::function<bool(std::string const& url)> allow;

    bool shouldStartLoadWithRequest(ui::WebView&, foundation::URLRequest const& request,
        ui::WebViewNavigationType type) override {
        auto url = request.URL();
        if (!prefix_.empty() && foundation::hasPrefix(url, prefix_))
            url = url.substr(prefix_.size());
        journal_.add("should " + std::to_string(int(type)) + " " + url);
        return allow ? allow(url) : true;
    }
    void webViewDidStartLoad(ui::WebView&) override { journal_.add("start"); }
    void webViewDidFinishLoad(ui::WebView&) override {
        journal_.add("finish");
        ++ended;
    }
    void didFailLoadWithError(ui::WebView&, foundation::URLError const& error) override {
        journal_.add("fail " + std::to_string(error.code));
        lastError = error;
        ++ended;
    }

    int ended {0};
    foundation::URLError lastError;

private:
    Journal& journal_;
    std::string prefix_;
};

}
