#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <string>
#include <string_view>

namespace ads::adnoria {

// The pieces of a URL as the bridge reads them, for any scheme ("anmsg:///click",
// "about:blank", "mailto:a@b"): the scheme as written, the host when "//" follows
// it, the path (raw, up to "?" or "#") and the query (after "?", up to "#"). A text
// without a scheme has an empty one.
struct ADNURLComponents {
    std::string scheme;
    std::string host;
    std::string path;
    std::string query;

    static ADNURLComponents split(std::string_view url);
};

// A message an ad page sends by navigating to an "anmsg" or "adnoria" URL: its
// action name and its parameters. Plain data; any thread.
//
// "anmsg" URLs name the action by their path (without its leading "/") and carry
// the parameters in their query. "adnoria" URLs are an older form whose host picks
// a fixed translation: "launch" opens the query's "url" in the browser,
// "closecanvas" closes, "log" logs the query; any other host makes no message.
class ADNNotification final : public base::Object {
public:
    static base::Ref<ADNNotification> notificationFromURL(std::string_view url);
    // The schemes are compared exactly: "ANMSG" is not a bridge scheme.
    static bool isNotificationURL(std::string_view url);
    static bool isANMSGNotificationURL(std::string_view url);
    static bool isAdnoriaNotificationURL(std::string_view url);

    std::string const& name() const { return name_; }
    // May be null ("closecanvas").
    base::Ref<base::Dictionary> const& parameters() const { return parameters_; }
    // "ADNNotification<address>: name:... parameters:...".
    std::string description() const;

private:
    friend base::Factory;
    ADNNotification() = default;

    std::string name_;
    base::Ref<base::Dictionary> parameters_;
};

}
