#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ads::marquee {

// Form parameters in the order they were first set; setting a key again replaces
// its value in place.
class MQParams {
public:
    using Entry = std::pair<std::string, std::string>;

    void set(std::string key, std::string value);
    std::string const* find(std::string_view key) const;
    std::vector<Entry> const& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

private:
    std::vector<Entry> entries_;
};

// What the device tells the API about itself with every call. current() reads the
// platform; tests install fixed answers.
struct MQDeviceInfo {
    std::string model;
    std::string os;
    int ui {0};
    // Absent when the locale names none; the pair is then left out.
    std::optional<std::string> country;
    std::optional<std::string> language;
    std::optional<std::string> bundle;

    static MQDeviceInfo current();
    // Fixed answers for current(), or nothing to read the platform again.
    static void setOverride(std::optional<MQDeviceInfo> info);
};

// One signed call of the Marquee API: a controller and an action naming the path,
// form parameters for the body (and, unused by the client, the query), extra values
// that enter only the signature, and the context that the reply is handed to. The
// connection only carries the context. Main thread only.
class MQAPIRequest final : public base::Object {
public:
    static constexpr char const* SDKVersion = "2.5.7";

    // Run with the reply when the call succeeds.
    using ContextInfo = std::function<void(base::Value const& reply)>;

    static base::Ref<MQAPIRequest> requestWithController(
        std::string controller, std::string action);

    std::string const& controller() const { return controller_; }
    void setController(std::string controller) { controller_ = std::move(controller); }
    std::string const& action() const { return action_; }
    void setAction(std::string action) { action_ = std::move(action); }
    std::optional<MQParams> const& body() const { return body_; }
    void setBody(std::optional<MQParams> body) { body_ = std::move(body); }
    std::optional<MQParams> const& query() const { return query_; }
    void setQuery(std::optional<MQParams> query) { query_ = std::move(query); }
    std::optional<std::vector<std::string>> const& params() const { return params_; }
    void setParams(std::optional<std::vector<std::string>> params) { params_ = std::move(params); }
    ContextInfo const& contextInfo() const { return contextInfo_; }
    void setContextInfo(ContextInfo context) { contextInfo_ = std::move(context); }

    // A missing dictionary becomes an empty one first.
    void appendBodyArgumentKey(std::string key, std::string value);
    void appendQueryArgumentKey(std::string key, std::string value);
    // model, os, ui, uuid, country, language, bundle and sdk, in that order.
    void appendDeviceInfoParams();
    // Adds "app" and "signature": the MD5 of the call's path, its pairs in key order,
    // its extra values and the two arguments. The application signature itself is
    // never sent, and neither it nor the digest is logged.
    void signWithAppId(std::string const& appId, std::string const& appSignature);

    // key:value; for each pair in ascending key order, "app" and "signature" left out.
    static std::string serializeDictionaryToStringForSignature(MQParams const& dictionary);
    // The text whose digest signWithAppId sends.
    std::string signatureText(std::string const& appId, std::string const& appSignature) const;

private:
    std::string controller_;
    std::string action_;
    std::optional<MQParams> body_;
    std::optional<MQParams> query_;
    std::optional<std::vector<std::string>> params_;
    ContextInfo contextInfo_;

    friend base::Factory;
    MQAPIRequest(std::string controller, std::string action)
        : controller_(std::move(controller))
        , action_(std::move(action)) { }
};

// The pairs as a form: key=value& for each, in their own order, both escaped so that
// only ASCII letters, digits and "-._~" stand as they are. Ends with "&" when not empty.
std::string MQEncodePairs(MQParams const& pairs);

}
