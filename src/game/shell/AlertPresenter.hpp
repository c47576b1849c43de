#pragma once

#include <functional>
#include <string_view>

namespace game {

// Shows the alerts of the shell: simple ones (a title, a message and one button
// that only closes it) and questions with two buttons whose answer the caller
// hears. The standing presenter writes them to the log and answers no question;
// the application delegate installs the one that shows alert views in the window,
// and tests install recording ones. Main thread.
class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;

    virtual void showAlert(
        std::string_view title, std::string_view message, std::string_view button)
        = 0;
    // A cancel button (index 0) and another (index 1); answer hears the index of the
    // button tapped, once.
    virtual void showQuestion(std::string_view title, std::string_view message,
        std::string_view cancelButton, std::string_view otherButton,
        std::function<void(int index)> answer);

    // The installed presenter, or the one that logs.
    static AlertPresenter& shared();
    // Installs a presenter that the caller keeps alive; null goes back to logging.
    static void setShared(AlertPresenter* presenter);
    // The presenter that shows alert views over the key window (or logs while there is
    // none); it lives for the process.
    static AlertPresenter& viewPresenter();
};

}
