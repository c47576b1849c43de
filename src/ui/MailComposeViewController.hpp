#pragma once

#include <base/Value.hpp>
#include <foundation/URLError.hpp>
#include <ui/NavigationController.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ui {

enum class MailComposeResult {
    Cancelled = 0,
    Saved = 1,
    Sent = 2,
    Failed = 3,
};

// Told how the mail sheet ended; it is then the delegate's to dismiss the sheet.
class MailComposeViewControllerDelegate {
public:
    virtual ~MailComposeViewControllerDelegate() = default;

    virtual void didFinishWithResult(MailComposeViewController& controller,
        MailComposeResult result, std::optional<foundation::URLError> const& error)
        = 0;
};

// The mail sheet: a navigation with the message's subject as title, Cancel on the
// left and Send on the right. This machine sends no mail, so canSendMail()
// answers false and Send ends the sheet with Failed and an error of
// MFMailComposeErrorDomain; Cancel ends it with Cancelled. What the caller filled
// in is kept for it to read. The delegate is not retained. Main thread only.
class MailComposeViewController : public NavigationController {
public:
    static constexpr char const* ErrorDomain = "MFMailComposeErrorDomain";

    struct Attachment {
        base::Bytes data;
        std::string mimeType;
        std::string fileName;
    };

    static bool canSendMail() { return false; }
    static base::Ref<MailComposeViewController> create();

    MailComposeViewControllerDelegate* mailComposeDelegate() const { return mailDelegate_; }
    void setMailComposeDelegate(MailComposeViewControllerDelegate* delegate) {
        mailDelegate_ = delegate;
    }

    std::string const& subject() const { return subject_; }
    void setSubject(std::string subject);
    std::vector<std::string> const& toRecipients() const { return to_; }
    void setToRecipients(std::vector<std::string> recipients) { to_ = std::move(recipients); }
    std::vector<std::string> const& ccRecipients() const { return cc_; }
    void setCcRecipients(std::vector<std::string> recipients) { cc_ = std::move(recipients); }
    std::vector<std::string> const& bccRecipients() const { return bcc_; }
    void setBccRecipients(std::vector<std::string> recipients) { bcc_ = std::move(recipients); }
    std::string const& messageBody() const { return body_; }
    bool isBodyHTML() const { return bodyIsHTML_; }
    void setMessageBody(std::string body, bool isHTML);
    void addAttachmentData(base::Bytes data, std::string mimeType, std::string fileName);
    std::vector<Attachment> const& attachments() const { return attachments_; }

    BarButtonItem* cancelButton() const { return cancel_.get(); }
    BarButtonItem* sendButton() const { return send_.get(); }
    // What the two buttons do.
    void cancel();
    void send();

private:
    void finish(MailComposeResult result, std::optional<foundation::URLError> error);

    MailComposeViewControllerDelegate* mailDelegate_ {nullptr};
    std::string subject_;
    std::vector<std::string> to_;
    std::vector<std::string> cc_;
    std::vector<std::string> bcc_;
    std::string body_;
    bool bodyIsHTML_ {false};
    std::vector<Attachment> attachments_;
    base::Ref<BarButtonItem> cancel_;
    base::Ref<BarButtonItem> send_;

    friend base::Factory;

    MailComposeViewController();
};

}
