#include "ControllerFixture.hpp"

#include <ui/BarButtonItem.hpp>
#include <ui/MailComposeViewController.hpp>
#include <ui/NavigationBar.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using base::Ref;
using ui::MailComposeResult;
using ui::MailComposeViewController;

namespace {

// Dismisses the sheet when it ends, as its delegates do.
class Opener : public ui::MailComposeViewControllerDelegate {
public:
    std::vector<MailComposeResult> results;
    std::optional<foundation::URLError> error;

    void didFinishWithResult(MailComposeViewController& controller, MailComposeResult result,
        std::optional<foundation::URLError> const& failure) override {
        results.push_back(result);
        error = failure;
        controller.dismissModalViewController(true);
    }
};

class MailComposeViewControllerTest : public test::ControllerTest {
protected:
    MailComposeViewControllerTest() {
        window->setRootViewController(root);
        composer->setMailComposeDelegate(&opener);
        composer->setSubject("Feedback");
        composer->setToRecipients({"support@example.com"});
        composer->setCcRecipients({"a@example.com", "b@example.com"});
        composer->setMessageBody("Hello", false);
        root->presentModalViewController(composer, true);
        run(0.3);
    }

    Ref<ui::ViewController> root = ui::ViewController::create();
    Ref<MailComposeViewController> composer = MailComposeViewController::create();
    Opener opener;
};

}

TEST_F(MailComposeViewControllerTest, MailCannotBeSentHere) {
    EXPECT_FALSE(MailComposeViewController::canSendMail());
    EXPECT_EQ(composer->navigationBar()->shownTitle(), "Feedback");
    EXPECT_EQ(composer->ccRecipients().size(), 2u);
    tap(composer->navigationBar()->rightButtonView());
    EXPECT_EQ(opener.results, std::vector {MailComposeResult::Failed});
    ASSERT_TRUE(opener.error);
    EXPECT_EQ(opener.error->domain, "MFMailComposeErrorDomain");
    run(0.3);
    EXPECT_EQ(root->modalViewController(), nullptr);
}

TEST_F(MailComposeViewControllerTest, CancelEndsTheSheetWithoutAnError) {
    tap(composer->navigationBar()->leftButtonView());
    EXPECT_EQ(opener.results, std::vector {MailComposeResult::Cancelled});
    EXPECT_FALSE(opener.error);
    run(0.3);
    EXPECT_EQ(composer->presentingViewController(), nullptr);
}
