#include <ads/meridian/MERHTMLAdView.hpp>

#include "MeridianTestSupport.hpp"

#include <support/ScriptedWebView.hpp>

#include <algorithm>
#include <string>
#include <vector>

using ads::meridian::MERHTMLAdView;

namespace {

// Writes down what the banner tells the ad view, in order.
class RecordingDelegate final : public ads::meridian::MERHTMLAdViewDelegate {
public:
    bool htmlAdViewAccelerometerEnabled() override { return accelerometer; }
    void htmlAdViewRequestFailed(MERHTMLAdView&) override { events.push_back("failed"); }
    void htmlAdViewRequestSucceeded(MERHTMLAdView&) override { events.push_back("succeeded"); }
    void htmlAdViewWasTapped(MERHTMLAdView&, foundation::URLRequest const& request) override {
        events.push_back("tapped " + request.URL());
    }
    void htmlAdViewWantsToOpenURL(MERHTMLAdView&, std::string const& url) override {
        events.push_back("open " + url);
    }
    void htmlAdViewTransitionAnimationDidEnd(MERHTMLAdView&) override {
        events.push_back("fadeEnded");
    }
    void htmlAdViewTransitionAnimationWillBegin(MERHTMLAdView&) override {
        events.push_back("fadeBegins");
    }

    std::vector<std::string> events;
    bool accelerometer {false};
};

class MERHTMLAdViewTest : public test::MeridianTest {
protected:
    MERHTMLAdViewTest() {
        ui::WebView::setFactory([this](graphics::Rect frame) -> base::Ref<ui::WebView> {
            auto page = test::ScriptedWebView::create(frame);
            pages.push_back(page);
            return page;
        });
        view = MERHTMLAdView::initWithFrame({{0, 0}, {320, 50}}, &delegate);
    }

    static test::ScriptedWebView& pageOf(ads::meridian::MERWebView* buffer) {
        return static_cast<test::ScriptedWebView&>(*buffer->webView());
    }
    // Loads html and lets the page and the whole fade run.
    void show(std::string const& html) {
        view->loadWithAdContents(html);
        foundation::RunLoop::main().runFor(2);
    }

    RecordingDelegate delegate;
    std::vector<base::Ref<test::ScriptedWebView>> pages;
    base::Ref<MERHTMLAdView> view;
};

}

TEST_F(MERHTMLAdViewTest, TheFirstBufferIsShownAndTheSecondWaitsHidden) {
    ASSERT_EQ(pages.size(), 2u);
    auto* first = view->showingWebView();
    auto* second = view->hiddenWebView();
    EXPECT_EQ(first->webView(), pages[0].get());
    EXPECT_EQ(second->webView(), pages[1].get());
    EXPECT_FALSE(first->isHidden());
    EXPECT_TRUE(second->isHidden());
    EXPECT_EQ(first->frame(), (graphics::Rect {{0, 0}, {320, 50}}));
    EXPECT_EQ(pages[0]->delegate() != nullptr, true);
    EXPECT_FALSE(pages[0]->mediaPlaybackRequiresUserAction());
    EXPECT_TRUE(pages[0]->allowsInlineMediaPlayback());
    EXPECT_EQ(view->getAd(), nullptr);
}

TEST_F(MERHTMLAdViewTest, TwoAdsInARowSwapTheBuffersAfterEachLoad) {
    auto* first = view->showingWebView();
    auto* second = view->hiddenWebView();

    view->loadWithAdContents("<p>one</p>");
    // The incoming ad is named at once, but nothing swaps before its page has come.
    ASSERT_NE(second->ad(), nullptr);
    EXPECT_EQ(view->getAd(), second->ad());
    EXPECT_EQ(view->showingWebView(), first);
    EXPECT_TRUE(delegate.events.empty());

    foundation::RunLoop::main().runFor(0.1);
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"fadeBegins", "succeeded"}));
    EXPECT_EQ(view->showingWebView(), second);
    EXPECT_FALSE(second->isHidden());
    EXPECT_TRUE(first->isHidden());
    EXPECT_NE(view->layer().animationForKey(MERHTMLAdView::transitionKey), nullptr);

    foundation::RunLoop::main().runFor(2);
    EXPECT_EQ(delegate.events.back(), "fadeEnded");
    EXPECT_EQ(view->layer().animationForKey(MERHTMLAdView::transitionKey), nullptr);
    EXPECT_EQ(view->getAd(), second->ad());
    EXPECT_NE(pages[1]->pageContent().find("<p>one</p>"), std::string::npos);

    delegate.events.clear();
    show("<p>two</p>");
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"fadeBegins", "succeeded", "fadeEnded"}));
    EXPECT_EQ(view->showingWebView(), first);
    EXPECT_FALSE(first->isHidden());
    EXPECT_TRUE(second->isHidden());
    EXPECT_EQ(view->getAd(), first->ad());
    EXPECT_NE(pages[0]->pageContent().find("<p>two</p>"), std::string::npos);
}

TEST_F(MERHTMLAdViewTest, AFailedLoadKeepsTheShownAd) {
    show("<p>one</p>");
    auto* shown = view->showingWebView();
    auto* shownAd = view->getAd();
    delegate.events.clear();

    view->loadWithAdContents("<p>two</p>");
    // The hidden page goes somewhere it cannot load before its ad has come.
    pageOf(view->hiddenWebView())
        .fireNavigation("bogus://nowhere", ui::WebViewNavigationType::Other);
    foundation::RunLoop::main().runFor(2);

    EXPECT_EQ(delegate.events, (std::vector<std::string> {"failed"}));
    EXPECT_EQ(view->showingWebView(), shown);
    EXPECT_FALSE(shown->isHidden());
    EXPECT_TRUE(view->hiddenWebView()->isHidden());
    EXPECT_EQ(view->getAd(), shownAd);
}

TEST_F(MERHTMLAdViewTest, AFailureInTheShownBufferIsReportedToo) {
    show("<p>one</p>");
    delegate.events.clear();
    pageOf(view->showingWebView())
        .fireNavigation("bogus://nowhere", ui::WebViewNavigationType::Other);
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"failed"}));
}

TEST_F(MERHTMLAdViewTest, AClickedLinkBecomesATapAndNeverNavigates) {
    show("<p>one</p>");
    auto& page = pageOf(view->showingWebView());
    std::string const shownURL = page.request().URL();
    for (std::string url : {"http://example.com/landing", "sms:5551234", "tel:5551234",
             "merbrowser://example.com/page", "mersdk://endVideo"}) {
        SCOPED_TRACE(url);
        delegate.events.clear();
        EXPECT_FALSE(page.fireNavigation(url));
        foundation::RunLoop::main().runFor(1);
        EXPECT_EQ(delegate.events, (std::vector<std::string> {"tapped " + url}));
        EXPECT_EQ(page.request().URL(), shownURL);
        EXPECT_FALSE(page.isLoading());
    }
}

TEST_F(MERHTMLAdViewTest, NavigationsOtherThanClickedLinksAreAllowed) {
    show("<p>one</p>");
    auto& page = pageOf(view->showingWebView());
    for (auto type : {ui::WebViewNavigationType::FormSubmitted,
             ui::WebViewNavigationType::BackForward, ui::WebViewNavigationType::Reload,
             ui::WebViewNavigationType::FormResubmitted, ui::WebViewNavigationType::Other}) {
        SCOPED_TRACE(int(type));
        delegate.events.clear();
        EXPECT_TRUE(page.fireNavigation(foundation::URLRequest("about:blank"), type));
        foundation::RunLoop::main().runFor(1);
        EXPECT_EQ(std::count(delegate.events.begin(), delegate.events.end(), "succeeded"), 0);
        for (auto const& event : delegate.events)
            EXPECT_NE(event.rfind("tapped", 0), 0u) << event;
    }
}

TEST_F(MERHTMLAdViewTest, TheAdsOpenURLReplacesTheClickAndIsReportedAfterLoad) {
    // Both pages answer the model's question with a landing page.
    for (auto& page : pages)
        page->answerScript("shouldOpen()", "http://example.com/open");
    show("<p>one</p>");
    EXPECT_EQ(delegate.events,
        (std::vector<std::string> {
            "fadeBegins", "succeeded", "open http://example.com/open", "fadeEnded"}));

    delegate.events.clear();
    EXPECT_FALSE(pageOf(view->showingWebView()).fireNavigation("http://example.com/clicked"));
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"tapped http://example.com/open"}));
}

TEST_F(MERHTMLAdViewTest, TextThatIsNotUTF8LoadsNoPageAndSwapsNothing) {
    auto* shown = view->showingWebView();
    view->loadWithAdContents("<p>\xff\xfe</p>");
    foundation::RunLoop::main().runFor(2);
    EXPECT_TRUE(delegate.events.empty());
    EXPECT_EQ(view->showingWebView(), shown);
    ASSERT_NE(view->hiddenWebView()->ad(), nullptr);
    EXPECT_EQ(view->hiddenWebView()->ad()->ad(), "");
}

TEST_F(MERHTMLAdViewTest, AnAdArrivingDuringTheFadeLoadsIntoTheBufferJustHidden) {
    view->loadWithAdContents("<p>one</p>");
    foundation::RunLoop::main().runFor(0.1);
    auto* justHidden = view->hiddenWebView();
    ASSERT_NE(view->layer().animationForKey(MERHTMLAdView::transitionKey), nullptr);
    view->loadWithAdContents("<p>two</p>");
    EXPECT_EQ(view->getAd(), justHidden->ad());
    foundation::RunLoop::main().runFor(2);
    EXPECT_EQ(view->showingWebView(), justHidden);
    EXPECT_NE(pageOf(justHidden).pageContent().find("<p>two</p>"), std::string::npos);
}

TEST_F(MERHTMLAdViewTest, TheAccelerometerFlagComesFromTheAdView) {
    for (bool enabled : {false, true}) {
        SCOPED_TRACE(enabled);
        delegate.accelerometer = enabled;
        view->loadWithAdContents("<p>one</p>");
        EXPECT_EQ(services::Accelerometer::sharedAccelerometer().delegate() != nullptr, enabled);
    }
}
