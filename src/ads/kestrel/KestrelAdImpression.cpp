#include <ads/kestrel/KestrelAdImpression.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>

#include <analytics/KestrelDates.hpp>
#include <analytics/KestrelProtocolData.hpp>
#include <analytics/KestrelSession.hpp>
#include <analytics/KestrelUtil.hpp>

#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLParts.hpp>

#include <mutex>

namespace ads::kestrel {

using analytics::KestrelProtocolData;
using analytics::KestrelSession;
using analytics::KestrelUtil;

namespace {

std::mutex domainMutex;
std::optional<std::string> ownDomain;

std::int64_t nowMillis() {
    return KestrelProtocolData::millisecondsSince1970(analytics::KestrelDates::now());
}

// A query value, escaped on its own so that no character of it can end the field
// or start another; none prints as the platform prints nothing.
std::string queryValue(std::optional<std::string> const& text) {
    return text ? foundation::addingStrictPercentEscapes(*text) : std::string("(null)");
}

}

// ---- construction

base::Ref<KestrelAdImpression> KestrelAdImpression::initWithHook(std::optional<std::string> hook,
    std::optional<std::int64_t> adFormat, base::Ref<KestrelParser> parser) {
    auto impression = base::make<KestrelAdImpression>();
    impression->timeIntervalSinceSessionStart_ = currentSessionTime();
    impression->hook_ = std::move(hook);
    impression->adFormat_ = adFormat;
    impression->parser_ = std::move(parser);
    impression->adStates_.push_back(
        KestrelAdState::initWithState(stateCreated, impression->timeIntervalSinceSessionStart_));
    impression->record(impression->data());
    return impression;
}

base::Ref<KestrelAdImpression> KestrelAdImpression::initWithAdSpaceName(
    std::optional<std::string> adSpaceName, std::optional<std::int64_t> campaignId,
    std::optional<std::int64_t> creativeId, std::optional<std::int64_t> adFormat,
    base::Ref<KestrelParser> parser) {
    auto impression = base::make<KestrelAdImpression>();
    impression->timeIntervalSinceSessionStart_ = currentSessionTime();
    impression->adSpaceName_ = std::move(adSpaceName);
    impression->campaignId_ = campaignId;
    impression->creativeId_ = creativeId;
    impression->adFormat_ = adFormat;
    impression->adType_ = typeAdSpot;
    impression->parser_ = std::move(parser);
    impression->adStates_.push_back(
        KestrelAdState::initWithState(stateCreated, impression->timeIntervalSinceSessionStart_));
    impression->record(impression->data());
    return impression;
}

// ---- archive

base::Ref<KestrelAdImpression> KestrelAdImpression::initWithCoder(
    foundation::KeyedUnarchiver& coder) {
    auto impression = base::make<KestrelAdImpression>();
    impression->timeIntervalSinceSessionStart_
        = std::int64_t(coder.decodeDoubleForKey("timeIntervalSinceSessionStart"));
    impression->hook_ = decodeOptionalString(coder, "hook");
    impression->adId_ = decodeOptionalNumber<std::int64_t>(coder, "adId");
    impression->canvasId_ = decodeOptionalNumber<std::int64_t>(coder, "canvasId");
    impression->adCookie_ = decodeOptionalData(coder, "adCookie");
    impression->adResult_ = decodeOptionalNumber<std::int64_t>(coder, "adResult");
    impression->adFormat_ = decodeOptionalNumber<std::int64_t>(coder, "adFormat");
    impression->adType_ = decodeOptionalNumber<int>(coder, "adType");
    impression->adStates_ = coder.decodeObjectsForKey<KestrelAdState>("adStates");
    impression->parser_ = coder.decodeObjectForKey<KestrelAdParser>("parser");
    impression->adSpaceName_ = decodeOptionalString(coder, "adSpaceName");
    impression->campaignId_ = decodeOptionalNumber<std::int64_t>(coder, "campaignId");
    impression->creativeId_ = decodeOptionalNumber<std::int64_t>(coder, "creativeId");

    if (!impression->adFormat_)
        impression->adFormat_ = 0;
    // The older stored form kept a single result code instead of the states.
    if (impression->adStates_.empty()) {
        auto time = impression->timeIntervalSinceSessionStart_;
        auto result = impression->adResult_.value_or(0);
        if (result > 0)
            impression->adStates_.push_back(KestrelAdState::initWithState(
                KestrelAdState::translateAdStateFromOldToNew(0), time));
        int old = result < 0 || result > 1000 ? -1 : int(result);
        impression->adStates_.push_back(
            KestrelAdState::initWithState(KestrelAdState::translateAdStateFromOldToNew(old), time));
    }
    return impression;
}

void KestrelAdImpression::encodeWithCoder(foundation::KeyedArchiver& coder) {
    coder.encodeDouble(double(timeIntervalSinceSessionStart_), "timeIntervalSinceSessionStart");
    encodeOptional(coder, hook_, "hook");
    encodeOptional(coder, adId_, "adId");
    encodeOptional(coder, canvasId_, "canvasId");
    encodeOptional(coder, adCookie_, "adCookie");
    encodeOptional(coder, adResult_, "adResult");
    encodeOptional(coder, adFormat_, "adFormat");
    encodeOptional(coder, adType_, "adType");
    coder.encodeObject(adStates_, "adStates");
    coder.encodeObject(base::ref_cast<KestrelAdParser>(parser_), "parser");
    encodeOptional(coder, adSpaceName_, "adSpaceName");
    encodeOptional(coder, campaignId_, "campaignId");
    encodeOptional(coder, creativeId_, "creativeId");
}

// ---- state changes

void KestrelAdImpression::appendState(int state) {
    adStates_.push_back(KestrelAdState::initWithState(state, currentSessionTime()));
}

void KestrelAdImpression::record(base::Bytes const& snapshot) const {
    if (auto session = KestrelSession::currentSession())
        session->recordAdImpression(snapshot);
}

void KestrelAdImpression::updateWithAd(KestrelAd const& ad) {
    adId_ = ad.adId();
    canvasId_ = ad.canvasId();
    adCookie_ = ad.adCookie();
    adType_ = typeApp;
    appendState(stateAdAttached);
    record(data());
    invokeAdStateCallback(nullptr, nullptr, nullptr);
}

void KestrelAdImpression::updateWithVideoAd(KestrelVideoAdInfo const& ad) {
    adId_ = ad.adId;
    adCookie_ = ad.adCookie;
    canvasId_.reset();
    adType_ = typeVideo;
    appendState(stateAdAttached);
    record(data());
    invokeAdStateCallback(nullptr, nullptr, nullptr);
}

void KestrelAdImpression::updateWithAdSpotAd(KestrelAdSpotAdInfo const& ad) {
    adSpaceName_ = ad.adSpaceName;
    campaignId_ = ad.campaignId;
    creativeId_ = ad.creativeId;
    adType_ = typeAdSpot;
    appendState(stateAdAttached);
    record(data());
    invokeAdStateCallback(nullptr, nullptr, nullptr);
}

void KestrelAdImpression::updateWithResult(int state, KestrelCookies const* pubCookies,
    KestrelCookies const* advCookies, KestrelCookies const* sysCookies) {
    appendState(state);
    record(adType_ == typeAdSpot ? adSpotData() : data());
    invokeAdStateCallback(pubCookies, advCookies, sysCookies);
}

// ---- queries

int KestrelAdImpression::currentState() const {
    return adStates_.empty() ? 0 : adStates_.back()->state();
}

void KestrelAdImpression::appendStates(
    std::vector<base::Ref<KestrelAdState>> const& states, base::Bytes& data) {
    KestrelProtocolData::appendUshort(std::uint16_t(states.size()), data);
    for (auto const& state : states) {
        KestrelProtocolData::appendByte(std::int8_t(std::uint8_t(state->state())), data);
        KestrelProtocolData::appendLong(state->timeIntervalSinceSessionStart(), data);
    }
}

base::Bytes KestrelAdImpression::data() const {
    base::Bytes data;
    KestrelProtocolData::appendString(hook_, data);
    KestrelProtocolData::appendByte(std::int8_t(std::uint8_t(adFormat_.value_or(0))), data);
    KestrelProtocolData::appendLong(adId_.value_or(0), data);
    KestrelProtocolData::appendLong(canvasId_.value_or(0), data);
    KestrelProtocolData::appendTinyData(adCookie_.value_or(base::Bytes {}), data);
    appendStates(adStates_, data);
    return data;
}

base::Bytes KestrelAdImpression::adSpotData() const {
    base::Bytes data;
    KestrelProtocolData::appendString(adSpaceName_, data);
    KestrelProtocolData::appendLong(campaignId_.value_or(0), data);
    KestrelProtocolData::appendLong(creativeId_.value_or(0), data);
    KestrelProtocolData::appendByte(std::int8_t(std::uint8_t(adFormat_.value_or(0))), data);
    appendStates(adStates_, data);
    return data;
}

std::string KestrelAdImpression::adCookieString() const {
    return KestrelAd::cookieString(adCookie_);
}

std::int64_t KestrelAdImpression::currentSessionTime() {
    auto session = KestrelSession::currentSession();
    if (!session)
        return 0;
    return KestrelProtocolData::timeIntervalFrom(
        session->startTime(), analytics::KestrelDates::now());
}

// ---- callback URLs

std::string KestrelAdImpression::buildCookieQueryString(
    KestrelCookies const* cookies, std::string const& prefix) {
    std::string query;
    if (!cookies)
        return query;
    for (auto const& [key, value] : *cookies) {
        query += "&" + prefix + "_" + foundation::addingStrictPercentEscapes(key) + "="
            + foundation::addingStrictPercentEscapes(value);
    }
    return query;
}

std::optional<std::string> KestrelAdImpression::getRootDomain(std::string const& url) {
    auto parts = foundation::URLParts::parse(url);
    if (!parts || parts->host.empty())
        return std::nullopt;
    auto labels = foundation::componentsSeparatedBy(parts->host, ".");
    if (labels.size() < 2)
        return std::nullopt;
    return labels[labels.size() - 2] + "." + labels.back();
}

void KestrelAdImpression::setAdNetworkDomain(std::optional<std::string> domain) {
    std::lock_guard lock(domainMutex);
    ownDomain = std::move(domain);
}

std::optional<std::string> KestrelAdImpression::adNetworkDomain() {
    std::lock_guard lock(domainMutex);
    return ownDomain;
}

std::string KestrelAdImpression::buildAdCallBackQueryString(KestrelCookies const* pubCookies,
    KestrelCookies const* advCookies, KestrelCookies const* sysCookies) const {
    std::string query;
    int type = adType_.value_or(0);
    if (type >= 0 && type <= 2) {
        query += "&hid=" + queryValue(hook_);
        query += "&adid=" + describeNumber(adId_);
        query += "&cid=" + describeNumber(canvasId_);
    } else if (type == typeAdSpot) {
        query += "&caid=" + describeNumber(campaignId_);
        query += "&crid=" + describeNumber(creativeId_);
        query += "&apid=" + queryValue(adSpaceName_);
    }
    auto session = KestrelSession::currentSession();
    query += "&apik=" + queryValue(session ? std::optional(session->apiKey()) : std::nullopt);
    query += "&ac=" + adCookieString();
    query += "&pid=" + queryValue(KestrelSession::phoneID());
    std::int64_t sessionStart = 0;
    if (session) {
        if (auto start = session->startTime())
            sessionStart = KestrelProtocolData::millisecondsSince1970(*start);
    }
    query += foundation::format("&sid=%lld", sessionStart);
    query += foundation::format("&its=%lld", timeIntervalSinceSessionStart_);
    query += foundation::format("&ats=%lld", nowMillis());
    query += "&adf=" + describeNumber(adFormat_);
    query += foundation::format("&asid=%d", currentState());
    for (std::size_t i = 0; i + 1 < adStates_.size(); ++i) {
        query += foundation::format(
            "&pas=%d-%lld", adStates_[i]->state(), adStates_[i]->timeIntervalSinceSessionStart());
    }
    query += buildCookieQueryString(pubCookies, "pub");
    query += buildCookieQueryString(advCookies, "adv");
    query += buildCookieQueryString(sysCookies, "sys");
    return query;
}

std::string KestrelAdImpression::joinCallbackUrl(std::string base, std::string const& suffix) {
    if (suffix.empty())
        return base;
    if (base.find('?') == std::string::npos)
        base += "?";
    if (!base.empty() && (base.back() == '?' || base.back() == '&')) {
        base += suffix.front() == '&' ? suffix.substr(1) : suffix;
    } else {
        base += suffix.front() == '&' ? suffix : "&" + suffix;
    }
    return base;
}

void KestrelAdImpression::invokeAdStateCallback(KestrelCookies const* pubCookies,
    KestrelCookies const* advCookies, KestrelCookies const* sysCookies) {
    if (!parser_) {
        KestrelUtil::debugLog("No valid parser available to retrieve ad state callbacks");
        return;
    }
    auto callbacks = parser_->adStateCallbacksFor(*this);
    if (!callbacks || callbacks->count() == 0)
        return;
    auto query = buildAdCallBackQueryString(pubCookies, advCookies, sysCookies);
    auto domain = adNetworkDomain();
    for (auto const& callback : callbacks->callbacks()) {
        if (!callback->callbackUrlBase())
            continue;
        auto const& base = *callback->callbackUrlBase();
        auto root = getRootDomain(base);
        // The client's ids, key and cookies go to the ad network's own servers only.
        bool own = root && domain && foundation::caseInsensitiveCompare(*root, *domain) == 0;
        auto suffix = own ? query : foundation::format("ats=%lld", nowMillis());
        // The URL carries the key and cookies: it is never written to the log.
        KestrelUtil::debugLog(
            "KestrelAdLoop: Sending ad state callback for state[%d]", currentState());
        KestrelSession::asyncNotifyAdStateCompleted(joinCallbackUrl(base, suffix));
    }
}

}
