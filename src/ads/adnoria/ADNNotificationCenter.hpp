#pragma once

#include <base/Object.hpp>
#include <base/Value.hpp>
#include <foundation/NotificationCenter.hpp>

#include <string>
#include <string_view>

namespace ui {
class WebView;
}

namespace ads::adnoria {

// The Adnoria client's own notification centre, apart from the program's default
// one: the bridge posts "didReceiveWebAction" and the re-posted page messages
// ("settings", "loadAdURL", ...) on it, and the ad objects observe them there. The
// posting helpers below also talk back to pages. Main thread.
class ADNNotificationCenter {
public:
    static constexpr char const* ReceiveMessageFunction = "ANMA_ReceiveMessage";

    static foundation::NotificationCenter& defaultCenter();
    // Drops the centre with its observers (tests).
    static void resetDefaultCenter();

    // The script that hands a message to the page: "ANMA_ReceiveMessage('name',
    // {json});", or "ANMA_ReceiveMessage('name');" without user info. The name goes
    // in as it is: callers pass only their own fixed names.
    static std::string receiveMessageScript(
        std::string_view name, base::Ref<base::Dictionary> const& userInfo);
    // Evaluates that script in the web view.
    static void postJSNotification(
        std::string_view name, base::Ref<base::Dictionary> const& userInfo, ui::WebView& webView);
    // Posts the message the bridge URL makes (nothing for one that makes none), after
    // delay seconds on the run loop (0: the next turn). object is kept alive until
    // then and is the notification's sender.
    static void postNotificationFromURL(std::string const& url, base::Object* object, double delay);
    static void postNotificationFromURL(std::string const& url, void const* object);
};

}
