#include <serverkit/marketing/CHKQueuedCreditsManager.hpp>

#include <serverkit/marketing/CHKManager.hpp>

#include <base/SharedInstance.hpp>
#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <toolkit/json/JSONDecoder.hpp>
#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLError.hpp>

namespace serverkit {

using namespace toolkit::rest;

namespace {

// A number of the reply as an unsigned 64-bit value; 0 when absent or not a number.
std::uint64_t unsignedNumber(base::Dictionary const& entry, char const* key) {
    auto const& value = entry.objectForKey(key);
    if (!value.isNumber() || value.isBoolean())
        return 0;
    if (value.kind() == base::Value::Kind::Integer && value.longLongValue() < 0)
        return 0;
    if (value.kind() == base::Value::Kind::Real && !(value.doubleValue() >= 0))
        return 0;
    return value.unsignedLongLongValue();
}

}

CHKQueuedCreditsManager& CHKQueuedCreditsManager::sharedManager() {
    return base::SharedInstance<CHKQueuedCreditsManager>::get();
}

void CHKQueuedCreditsManager::resetSharedManager() {
    base::SharedInstance<CHKQueuedCreditsManager>::reset();
}

void CHKQueuedCreditsManager::requestUnreadCredits() {
    auto& manager = CHKManager::sharedManager();
    if (manager.apiBaseUrl().empty()) {
        foundation::log("No marketing service configured; no credits are fetched");
        fail(foundation::URLError::withDomain(RLRestKitErrorDomain, RLRequestBaseURLOfflineError,
            "No marketing service is configured"));
        return;
    }
    auto client = RLClient::clientWithBaseURL(
        manager.apiBaseUrl(), manager.httpBasicAuthUsername(), manager.httpBasicAuthPassword());
    auto path = foundation::format(apiUnreadPath_, manager.apiNamespace(), manager.deviceId(),
        manager.applicationBundleIdentifier());
    client->post(path, nullptr, this);
}

std::optional<std::vector<base::Ref<CHKQueuedCredits>>> CHKQueuedCreditsManager::creditsFromJSON(
    std::string_view text) {
    std::vector<base::Ref<CHKQueuedCredits>> credits;
    auto decoded = toolkit::json::objectFromJSONString(text);
    if (decoded.isNil())
        return credits;
    auto* array = decoded.array();
    if (!array)
        return std::nullopt;
    for (auto const& element : *array) {
        auto* entry = element.dictionary();
        if (!entry)
            continue;
        auto credit = CHKQueuedCredits::create();
        credit->setIdentifier(unsignedNumber(*entry, "id"));
        credit->setValue(unsignedNumber(*entry, "credits"));
        credit->setTimePosted(unsignedNumber(*entry, "timePosted"));
        if (auto const* reason = entry->objectForKey("reason").string())
            credit->setReason(*reason);
        credits.push_back(std::move(credit));
    }
    return credits;
}

std::set<std::uint64_t> CHKQueuedCreditsManager::deliveredIdentifiers() const {
    std::set<std::uint64_t> identifiers;
    auto stored = foundation::UserDefaults::standardUserDefaults().arrayForKey(deliveredCreditsKey);
    if (!stored)
        return identifiers;
    for (auto const& value : *stored) {
        // Kept as decimal text: the defaults store holds signed numbers only.
        if (auto const* text = value.string())
            identifiers.insert(std::strtoull(text->c_str(), nullptr, 10));
    }
    return identifiers;
}

void CHKQueuedCreditsManager::rememberDelivered(
    std::vector<base::Ref<CHKQueuedCredits>> const& credits) {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    auto stored = defaults.arrayForKey(deliveredCreditsKey);
    auto updated = stored ? stored->copy() : base::Array::create();
    for (auto const& credit : credits) {
        if (credit->identifier() != 0)
            updated->add(std::to_string(credit->identifier()));
    }
    defaults.setObject(base::Value(updated), deliveredCreditsKey);
    defaults.synchronize();
}

void CHKQueuedCreditsManager::requestDidLoadResponse(RLRequest&, RLResponse& response) {
    if (!response.isJSON()) {
        foundation::log("The marketing service's credits reply is not JSON (%@); dropped",
            response.contentType());
        return;
    }
    auto credits = creditsFromJSON(response.bodyAsString());
    if (!credits) {
        fail(foundation::URLError::withDomain(RLRestKitErrorDomain, RLObjectLoaderRemoteSystemError,
            foundation::format("The marketing service answered %@ without a list of credits",
                response.statusCode())));
        return;
    }
    auto delivered = deliveredIdentifiers();
    std::vector<base::Ref<CHKQueuedCredits>> fresh;
    for (auto& credit : *credits) {
        auto identifier = credit->identifier();
        if (identifier != 0 && !delivered.insert(identifier).second)
            continue;
        fresh.push_back(std::move(credit));
    }
    // Remembered before the delegate hears of them, so that nothing it does can
    // have them delivered twice.
    rememberDelivered(fresh);
    auto* delegate = delegate_;
    invokeSelector(delegate ? std::function<void()>([&] { delegate->didLoadObjects(fresh); })
                            : std::function<void()>());
}

void CHKQueuedCreditsManager::requestDidFailLoadWithError(
    RLRequest&, foundation::URLError const& error) {
    fail(error);
}

void CHKQueuedCreditsManager::fail(foundation::URLError const& error) {
    auto* delegate = delegate_;
    invokeSelector(delegate ? std::function<void()>([&] { delegate->didFailWithError(error); })
                            : std::function<void()>());
}

}
