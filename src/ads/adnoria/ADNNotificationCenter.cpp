#include <ads/adnoria/ADNNotificationCenter.hpp>

#include <ads/adnoria/ADNNotification.hpp>
#include <ads/adnoria/ADN_PJSON.hpp>

#include <foundation/Format.hpp>
#include <foundation/Perform.hpp>
#include <ui/WebView.hpp>

#include <mutex>

namespace ads::adnoria {

namespace {

struct CenterSlot {
    std::mutex mutex;
    base::Ref<foundation::NotificationCenter> center;
};

CenterSlot& slot() {
    static CenterSlot* const shared = new CenterSlot;
    return *shared;
}

}

foundation::NotificationCenter& ADNNotificationCenter::defaultCenter() {
    auto& shared = slot();
    std::lock_guard lock(shared.mutex);
    if (!shared.center)
        shared.center = foundation::NotificationCenter::create();
    return *shared.center;
}

void ADNNotificationCenter::resetDefaultCenter() {
    base::Ref<foundation::NotificationCenter> old;
    {
        auto& shared = slot();
        std::lock_guard lock(shared.mutex);
        old = std::move(shared.center);
    }
    if (old)
        old->removeAllObservers();
}

std::string ADNNotificationCenter::receiveMessageScript(
    std::string_view name, base::Ref<base::Dictionary> const& userInfo) {
    if (userInfo) {
        if (auto json = ADNMacros::jsonify(base::Value(userInfo)))
            return foundation::format("%@('%@', %@);", ReceiveMessageFunction, name, *json);
    }
    return foundation::format("%@('%@');", ReceiveMessageFunction, name);
}

void ADNNotificationCenter::postJSNotification(
    std::string_view name, base::Ref<base::Dictionary> const& userInfo, ui::WebView& webView) {
    webView.stringByEvaluatingJavaScriptFromString(receiveMessageScript(name, userInfo));
}

void ADNNotificationCenter::postNotificationFromURL(
    std::string const& url, base::Object* object, double delay) {
    base::Ref<base::Object> keep(object);
    foundation::performAfterDelay(
        nullptr,
        [url, keep] { postNotificationFromURL(url, static_cast<void const*>(keep.get())); }, delay);
}

void ADNNotificationCenter::postNotificationFromURL(std::string const& url, void const* object) {
    auto notification = ADNNotification::notificationFromURL(url);
    if (!notification)
        return;
    base::Value userInfo;
    if (notification->parameters())
        userInfo = base::Value(notification->parameters());
    defaultCenter().postNotification(notification->name(), object, std::move(userInfo));
}

}
