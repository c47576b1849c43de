#pragma once

#include <string_view>

namespace game {

// Shows the simple alerts of the shell (a title, a message and one button that
// only closes it). The view system has no alert views yet, so the standing
// presenter writes the alert to the log; the root view controller installs a
// real one once alerts exist, and tests install a recording one. Main thread.
class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;

    virtual void showAlert(
        std::string_view title, std::string_view message, std::string_view button)
        = 0;

    // The installed presenter, or the one that logs.
    static AlertPresenter& shared();
    // Installs a presenter that the caller keeps alive; null goes back to logging.
    static void setShared(AlertPresenter* presenter);
};

}
