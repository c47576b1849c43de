#include <game/shell/AlertPresenter.hpp>

#include <foundation/Format.hpp>
#include <ui/AlertView.hpp>
#include <ui/Application.hpp>

#include <list>
#include <string>
#include <utility>

namespace game {

namespace {

class LoggingAlertPresenter final : public AlertPresenter {
public:
    void showAlert(
        std::string_view title, std::string_view message, std::string_view button) override {
        foundation::log("Alert \"%@\": %@ [%@]", title, message, button);
    }
};

// Shows alert views. Each question's answer is held by a delegate that lives until
// its alert has gone.
class ViewAlertPresenter final : public AlertPresenter {
public:
    void showAlert(
        std::string_view title, std::string_view message, std::string_view button) override {
        if (!ui::Application::sharedApplication().keyWindow()) {
            logging_.showAlert(title, message, button);
            return;
        }
        ui::AlertView::create(
            std::string(title), std::string(message), nullptr, std::string(button))
            ->show();
    }

    void showQuestion(std::string_view title, std::string_view message,
        std::string_view cancelButton, std::string_view otherButton,
        std::function<void(int)> answer) override {
        if (!ui::Application::sharedApplication().keyWindow()) {
            AlertPresenter::showQuestion(title, message, cancelButton, otherButton, {});
            return;
        }
        auto& pending = pending_.emplace_back(*this, std::move(answer));
        pending.self = std::prev(pending_.end());
        ui::AlertView::create(std::string(title), std::string(message), &pending,
            std::string(cancelButton), {std::string(otherButton)})
            ->show();
    }

private:
    struct Pending final : ui::AlertViewDelegate {
        Pending(ViewAlertPresenter& presenter, std::function<void(int)> callback)
            : owner(presenter)
            , answer(std::move(callback)) { }

        void clickedButtonAtIndex(ui::AlertView&, int index) override {
            if (auto once = std::exchange(answer, {}))
                once(index);
        }
        void didDismissWithButtonIndex(ui::AlertView& alert, int) override {
            alert.setDelegate(nullptr);
            owner.pending_.erase(self);
        }

        ViewAlertPresenter& owner;
        std::function<void(int)> answer;
        std::list<Pending>::iterator self;
    };

    LoggingAlertPresenter logging_;
    std::list<Pending> pending_;
};

LoggingAlertPresenter loggingPresenter;
AlertPresenter* installed = nullptr;

}

void AlertPresenter::showQuestion(std::string_view title, std::string_view message,
    std::string_view cancelButton, std::string_view otherButton, std::function<void(int)>) {
    foundation::log("Alert \"%@\": %@ [%@] [%@]", title, message, cancelButton, otherButton);
}

AlertPresenter& AlertPresenter::shared() {
    return installed ? *installed : loggingPresenter;
}

void AlertPresenter::setShared(AlertPresenter* presenter) {
    installed = presenter;
}

AlertPresenter& AlertPresenter::viewPresenter() {
    static ViewAlertPresenter presenter;
    return presenter;
}

}
