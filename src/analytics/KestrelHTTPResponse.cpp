#include <analytics/KestrelHTTPResponse.hpp>

#include <analytics/KestrelUtil.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Dates.hpp>
#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>

#include <cmath>
#include <limits>

namespace analytics {

KestrelHTTPResponse::KestrelHTTPResponse(base::Bytes body, int statusCode,
    base::Ref<base::Dictionary> headers, std::optional<foundation::URLError> error)
    : body_(std::move(body))
    , statusCode_(statusCode)
    , error_(std::move(error))
    , headers_(headers ? std::move(headers) : base::Dictionary::create()) {
}

base::Ref<KestrelHTTPResponse> KestrelHTTPResponse::initWithResponse(
    foundation::URLResponse const* response, base::Bytes body,
    std::optional<foundation::URLError> error) {
    if (!response)
        return base::make<KestrelHTTPResponse>(base::Bytes(), 0, nullptr, std::move(error));
    auto headers = base::Dictionary::create();
    for (auto const& [name, value] : response->allHeaderFields())
        headers->setObject(name, value);
    return base::make<KestrelHTTPResponse>(
        std::move(body), response->statusCode(), std::move(headers), std::move(error));
}

base::Ref<KestrelHTTPResponse> KestrelHTTPResponse::initWithBody(base::Bytes body, int statusCode,
    base::Ref<base::Dictionary> headers, std::optional<foundation::URLError> error) {
    return base::make<KestrelHTTPResponse>(
        std::move(body), statusCode, std::move(headers), std::move(error));
}

std::string KestrelHTTPResponse::description() const {
    std::optional<std::string> error;
    if (error_)
        error = error_->localizedDescription;
    return foundation::format("status:%d error:%@ body:%@", statusCode_, error,
        std::string_view(reinterpret_cast<char const*>(body_.data()), body_.size()));
}

std::string KestrelHTTPResponse::filePath(std::int64_t seconds) {
    return foundation::format("%@/kestrelResponse%lld", foundation::Sandbox::documentsPath(),
        static_cast<long long>(seconds));
}

std::optional<std::string> KestrelHTTPResponse::saveToDisk() const {
    if (!KestrelUtil::isDebugLogEnabled())
        return std::nullopt;
    double now = std::floor(foundation::unixTimeFromDate(foundation::now()));
    auto path = filePath(std::isfinite(now) ? std::int64_t(now) : 0);
    auto dump = base::Dictionary::create();
    dump->setObject("statusCode", statusCode_);
    dump->setObject("body", body_);
    dump->setObject("headers", headers_->copy());
    if (!foundation::PropertyList::writeToFile(base::Value(dump), path))
        return std::nullopt;
    return path;
}

base::Ref<KestrelHTTPResponse> KestrelHTTPResponse::readFromURL(std::string const& path) {
    auto data = foundation::AtomicFile::read(path, maximumDumpSize);
    if (!data)
        return nullptr;
    return readFromData(*data);
}

base::Ref<KestrelHTTPResponse> KestrelHTTPResponse::readFromData(foundation::ByteView data) {
    auto plist = foundation::PropertyList::propertyListWithData(data);
    auto* dump = plist.dictionary();
    if (!dump)
        return nullptr;
    auto const& status = dump->objectForKey("statusCode");
    auto const& body = dump->objectForKey("body");
    auto const& headers = dump->objectForKey("headers");
    if (!status.isNumber())
        return nullptr;
    // Only text header fields are kept: a reply's fields are never anything else.
    auto fields = base::Dictionary::create();
    if (auto* given = headers.dictionary()) {
        for (auto const& [name, value] : *given) {
            if (value.isString())
                fields->setObject(name, value);
        }
    }
    std::int64_t code = status.longLongValue();
    if (code < std::numeric_limits<int>::min() || code > std::numeric_limits<int>::max())
        code = 0;
    return initWithBody(
        body.data() ? *body.data() : base::Bytes(), int(code), std::move(fields), std::nullopt);
}

}
