#include <serverkit/RVCCrossPromoteView.hpp>

#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using serverkit::RVCCrossPromoteView;
using test::HttpResponse;

namespace {

// A plain-HTTP store site serving the entry and final pages, scripted web views, and a
// phone window whose root controller holds the panel.
class RVCCrossPromoteViewTest : public ::testing::Test {
protected:
    RVCCrossPromoteViewTest() {
        ui::Application::reset();
        ui::Animator::reset();
        ui::Device::reset();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        site.route(
            "GET", "/QBYAPI.php", HttpResponse::text("<html>offer</html>", 200, "text/html"));
        site.route("GET", "/QBYAPI2.php",
            HttpResponse::text(
                "<html><div id=\"QbyRvcAPI_result\">77</div></html>", 200, "text/html"));
        window = ui::Window::create({0, 0, 320, 480});
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        panel().setBaseURL(site.url("/"));
    }
    ~RVCCrossPromoteViewTest() override {
        RVCCrossPromoteView::resetShared();
        ui::WebView::setFactory(nullptr);
        window = nullptr;
        ui::Animator::reset();
        ui::Application::reset();
    }

    static RVCCrossPromoteView& panel() { return RVCCrossPromoteView::sharedRVCCrossPromote(); }
    static test::ScriptedWebView& page() {
        return dynamic_cast<test::ScriptedWebView&>(*panel().cpAPIWebView());
    }
    static bool runUntil(std::function<bool()> done) {
        return foundation::RunLoop::main().runUntil(std::move(done), 20);
    }
    void present() {
        panel().present(
            [this](base::Ref<base::Dictionary> result) {
                results.push_back(result
                        ? std::optional(result->objectForKey("post_id").stringValue())
                        : std::nullopt);
            },
            [this] { ++closes; }, "Back", root->view());
    }

    foundation::ScopedManualClock clock;
    test::LoopbackServer site;
    base::Ref<ui::ViewController> root = ui::ViewController::create();
    base::Ref<ui::Window> window;
    std::vector<std::optional<std::string>> results;
    int closes {0};
};

TEST_F(RVCCrossPromoteViewTest, ThePanelLoadsTheEntryPageUnderItsToolbar) {
    present();
    ASSERT_NE(panel().cpAPIView(), nullptr);
    EXPECT_EQ(panel().cpAPIView()->superview(), root->view());
    EXPECT_EQ(panel().cpAPIView()->frame(), (graphics::Rect {0, 0, 320, 480}));
    EXPECT_EQ(panel().cpAPIToolbar()->frame(), (graphics::Rect {0, 0, 320, 40}));
    ASSERT_EQ(panel().cpAPIToolbar()->items().size(), 1u);
    EXPECT_EQ(panel().cpAPIToolbar()->items()[0]->title(), "Back");
    EXPECT_EQ(panel().cpAPIWebView()->frame(), (graphics::Rect {0, 40, 320, 440}));
    EXPECT_EQ(panel().activityIndicator()->center(), (graphics::Point {160, 240}));
    EXPECT_EQ(panel().cpAPIWebView()->request().URL(), site.url("/QBYAPI.php"));
    ASSERT_TRUE(runUntil([] { return !page().isLoading(); }));
    EXPECT_FALSE(panel().activityIndicator()->isAnimating());
    EXPECT_TRUE(results.empty()) << "the entry page gives no result";

    auto* web = panel().cpAPIWebView();
    present();
    EXPECT_EQ(panel().cpAPIWebView(), web) << "presenting again keeps the page";
    EXPECT_EQ(site.requests().size(), 1u);
}

TEST_F(RVCCrossPromoteViewTest, TheFinalPageHandsItsResultToTheDoneOperation) {
    struct Case {
        std::string path;
        std::string element;
        std::vector<std::optional<std::string>> results;
    };
    std::vector<Case> const cases {
        {"/QBYAPI2.php", "77", {"77"}},
        {"/QBYAPI2.php?step=3&x=1", "abc", {"abc"}},
        {"/QBYAPI2.php", "", {std::nullopt}},
        {"/other.php?next=" + site.url("/QBYAPI2.php"), "77", {}},
    };
    site.route("GET", "/other.php", HttpResponse::text("<html></html>", 200, "text/html"));
    for (auto const& c : cases) {
        SCOPED_TRACE(c.path);
        results.clear();
        present();
        ASSERT_TRUE(runUntil([] { return !page().isLoading(); }));
        page().answerScript(RVCCrossPromoteView::ResultScript, c.element);
        ASSERT_TRUE(page().fireNavigation(site.url(c.path)));
        ASSERT_TRUE(runUntil([] { return !page().isLoading(); }));
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(closes, 0);
        panel().dismiss();
    }
}

TEST_F(RVCCrossPromoteViewTest, CloseCallsOnlyTheCloseOperationAndDismissFadesThePanelOut) {
    present();
    auto panelView = base::Ref<ui::View>(panel().cpAPIView());
    panel().cpAPIToolbar()->items()[0]->sendAction();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(panelView->superview(), root->view()) << "the owner decides when it goes";

    panel().dismiss();
    EXPECT_EQ(panel().cpAPIView(), nullptr);
    EXPECT_EQ(panelView->superview(), root->view()) << "still fading";
    clock->advance(0.3);
    foundation::RunLoop::main().runUntil([] { return false; }, 0.01);
    EXPECT_EQ(panelView->superview(), nullptr);

    present();
    EXPECT_NE(panel().cpAPIView(), panelView.get()) << "a new panel after dismiss";
    ASSERT_TRUE(runUntil([&] { return site.requests().size() == 2; }))
        << "and the entry page loads again";
}

TEST_F(RVCCrossPromoteViewTest, InLandscapeThePanelIsAsWideAsTheContainerIsTall) {
    ui::Application::sharedApplication().setStatusBarOrientation(
        ui::InterfaceOrientation::LandscapeRight);
    present();
    EXPECT_EQ(panel().cpAPIView()->frame().size, (graphics::Size {480, 320}));
    EXPECT_EQ(panel().cpAPIWebView()->frame(), (graphics::Rect {0, 40, 480, 280}));
    panel().dismiss();

    // A container already laid out in landscape is covered as it is.
    root->view()->setFrame({0, 0, 480, 320});
    present();
    EXPECT_EQ(panel().cpAPIView()->frame().size, (graphics::Size {480, 320}));
}

}
