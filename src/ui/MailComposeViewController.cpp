#include <ui/BarButtonItem.hpp>
#include <ui/MailComposeViewController.hpp>
#include <ui/NavigationItem.hpp>

namespace ui {

base::Ref<MailComposeViewController> MailComposeViewController::create() {
    return base::make<MailComposeViewController>();
}

MailComposeViewController::MailComposeViewController() {
    auto message = ViewController::create();
    message->setTitle("New Message");
    cancel_ = BarButtonItem::initWithBarButtonSystemItem(BarButtonSystemItem::Cancel,
        [composer = base::WeakRef<MailComposeViewController>(this)](BarButtonItem&) {
            if (auto strong = composer.strong())
                strong->cancel();
        });
    send_ = BarButtonItem::initWithTitle("Send", BarButtonItemStyle::Done,
        [composer = base::WeakRef<MailComposeViewController>(this)](BarButtonItem&) {
            if (auto strong = composer.strong())
                strong->send();
        });
    message->navigationItem()->setLeftBarButtonItem(cancel_);
    message->navigationItem()->setRightBarButtonItem(send_);
    pushViewController(message, false);
}

void MailComposeViewController::setSubject(std::string subject) {
    subject_ = std::move(subject);
    if (auto message = topViewController())
        message->setTitle(subject_.empty() ? std::string("New Message") : subject_);
}

void MailComposeViewController::setMessageBody(std::string body, bool isHTML) {
    body_ = std::move(body);
    bodyIsHTML_ = isHTML;
}

void MailComposeViewController::addAttachmentData(
    base::Bytes data, std::string mimeType, std::string fileName) {
    attachments_.push_back({std::move(data), std::move(mimeType), std::move(fileName)});
}

void MailComposeViewController::cancel() {
    finish(MailComposeResult::Cancelled, std::nullopt);
}

void MailComposeViewController::send() {
    finish(MailComposeResult::Failed,
        foundation::URLError::withDomain(ErrorDomain, 1, "Mail cannot be sent from this device"));
}

void MailComposeViewController::finish(
    MailComposeResult result, std::optional<foundation::URLError> error) {
    base::Ref<MailComposeViewController> keep(this);
    if (mailDelegate_)
        mailDelegate_->didFinishWithResult(*this, result, error);
}

}
