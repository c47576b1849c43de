#include <game/shell/AlertPresenter.hpp>

#include <foundation/Format.hpp>

namespace game {

namespace {

class LoggingAlertPresenter final : public AlertPresenter {
public:
    void showAlert(
        std::string_view title, std::string_view message, std::string_view button) override {
        foundation::log("Alert \"%@\": %@ [%@]", title, message, button);
    }
};

LoggingAlertPresenter loggingPresenter;
AlertPresenter* installed = nullptr;

}

AlertPresenter& AlertPresenter::shared() {
    return installed ? *installed : loggingPresenter;
}

void AlertPresenter::setShared(AlertPresenter* presenter) {
    installed = presenter;
}

}
