#include "ControllerFixture.hpp"
#include "WebViewJournal.hpp"

#include <support/ScriptedWebView.hpp>
#include <ui/WebView.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using base::Ref;
using test::Journal;
using test::ScriptedWebView;
using ui::WebView;
using Entries = std::vector<std::string>;

namespace {

class ScriptedWebViewTest : public test::ControllerTest {
protected:
    ScriptedWebViewTest() { page->setDelegate(&log); }
    ~ScriptedWebViewTest() override { WebView::setFactory(nullptr); }

    void settle() {
        while (loop().runPending()) { }
    }

    Journal journal;
    test::PageLog log {journal};
    Ref<ScriptedWebView> page = ScriptedWebView::create(graphics::makeRect(0, 0, 320, 50));
};

}

TEST_F(ScriptedWebViewTest, HTMLLoadsOnTheRunLoopInThePlatformOrder) {
    std::string html = "<html><body><a href='mosaic://finishLoad'>ad</a></body></html>";
    page->loadHTMLString(html, "http://ads.example/");
    EXPECT_EQ(journal.take(), Entries {"should 5 http://ads.example/"});
    EXPECT_TRUE(page->isLoading());
    settle();
    EXPECT_EQ(journal.take(), (Entries {"start", "finish"}));
    EXPECT_FALSE(page->isLoading());
    EXPECT_EQ(page->pageContent(), html);
    EXPECT_EQ(page->pageMIMEType(), "text/html");
    EXPECT_EQ(page->request().URL(), "http://ads.example/");

    page->loadHTMLString("<p>again</p>");
    settle();
    EXPECT_EQ(journal.take(), (Entries {"should 5 about:blank", "start", "finish"}));
}

TEST_F(ScriptedWebViewTest, PlainWebViewsAnswerNoScript) {
    auto plain = WebView::create();
    plain->loadHTMLString("<script>function f(){return 1}</script>");
    settle();
    EXPECT_EQ(plain->stringByEvaluatingJavaScriptFromString("f()"), "");
    EXPECT_EQ(plain->stringByEvaluatingJavaScriptFromString("document.title"), "");
}

TEST_F(ScriptedWebViewTest, AnswersChosenScriptsAndWritesThemDown) {
    page->answerScript("document.title", "Offers");
    page->setScriptHandler([](std::string const& script) -> std::optional<std::string> {
        if (script.starts_with("ANMA_ReceiveMessage("))
            return "ok";
        return std::nullopt;
    });
    EXPECT_EQ(page->stringByEvaluatingJavaScriptFromString("document.title"), "Offers");
    EXPECT_EQ(page->stringByEvaluatingJavaScriptFromString("ANMA_ReceiveMessage('onshow');"), "ok");
    EXPECT_EQ(page->stringByEvaluatingJavaScriptFromString("window.onorientationchange();"), "");
    EXPECT_EQ(page->evaluatedScripts(),
        (Entries {
            "document.title", "ANMA_ReceiveMessage('onshow');", "window.onorientationchange();"}));
}

TEST_F(ScriptedWebViewTest, FiredNavigationAsksTheDelegateWhichMayRefuseIt) {
    page->loadHTMLString("<p>ad</p>");
    settle();
    journal.take();
    log.allow = [](std::string const& url) { return !url.starts_with("mosaic:"); };
    EXPECT_FALSE(page->fireNavigation("mosaic://finishLoad"));
    settle();
    EXPECT_EQ(journal.take(), Entries {"should 0 mosaic://finishLoad"});
    EXPECT_FALSE(page->isLoading());
    EXPECT_EQ(page->pageContent(), "<p>ad</p>");

    EXPECT_TRUE(page->fireNavigation(
        "btxvideo://video_id=A&click_url=B", ui::WebViewNavigationType::Other));
    settle();
    EXPECT_EQ(journal.take(),
        (Entries {"should 5 btxvideo://video_id=A&click_url=B", "start", "fail 101"}));
    EXPECT_EQ(log.lastError.domain, "WebKitErrorDomain");
}

TEST_F(ScriptedWebViewTest, DocumentsHandedOverMakeTheHistory) {
    page->loadHTMLString("<p>one</p>", "http://a.example/1");
    settle();
    page->loadHTMLString("<p>two</p>", "http://a.example/2");
    settle();
    EXPECT_TRUE(page->canGoBack());
    EXPECT_FALSE(page->canGoForward());
    journal.take();
    page->goBack();
    settle();
    EXPECT_EQ(journal.take(), (Entries {"should 2 http://a.example/1", "start", "finish"}));
    EXPECT_EQ(page->pageContent(), "<p>one</p>");
    EXPECT_TRUE(page->canGoForward());
    page->reload();
    settle();
    EXPECT_EQ(journal.take(), (Entries {"should 3 http://a.example/1", "start", "finish"}));
    page->loadHTMLString("<p>three</p>");
    settle();
    EXPECT_FALSE(page->canGoForward()) << "a new page drops the forward list";
}

TEST_F(ScriptedWebViewTest, NewLoadCancelsTheStartedOneBeforeItStarts) {
    page->loadHTMLString("<p>one</p>");
    page->loadHTMLString("<p>two</p>");
    settle();
    EXPECT_EQ(journal.take(),
        (Entries {"should 5 about:blank", "should 5 about:blank", "start", "finish"}))
        << "the first load had not started: it goes quietly";
    EXPECT_EQ(page->pageContent(), "<p>two</p>");
}

TEST_F(ScriptedWebViewTest, FactoryLetsOtherCodeMakeScriptedViews) {
    std::vector<Ref<ScriptedWebView>> made;
    WebView::setFactory([&](graphics::Rect frame) {
        auto view = ScriptedWebView::create(frame);
        made.push_back(view);
        return view;
    });
    auto view = WebView::create(graphics::makeRect(0, 0, 10, 10));
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(view.get(), made.front().get());
    made.front()->answerScript("1+1", "2");
    EXPECT_EQ(view->stringByEvaluatingJavaScriptFromString("1+1"), "2");
    WebView::setFactory(nullptr);
    EXPECT_EQ(dynamic_cast<ScriptedWebView*>(WebView::create().get()), nullptr);
}

TEST_F(ScriptedWebViewTest, ViewDroppedWithCallsPendingHearsNothing) {
    page->loadHTMLString("<p>x</p>");
    page = nullptr;
    settle();
    EXPECT_EQ(journal.take(), Entries {"should 5 about:blank"});
}
