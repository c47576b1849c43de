#include <toolkit/rest/RLRequestQueueCache.hpp>

#include <toolkit/rest/RLParamsDeserialised.hpp>

#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>

#include <array>
#include <optional>

namespace toolkit::rest {

namespace {

constexpr char const* keyMethod = "HTTPMethod";
constexpr char const* keyHeaders = "Headers";
constexpr char const* keyURL = "URL";
constexpr char const* keyBaseURL = "BaseURL";
constexpr char const* keyBackgroundPolicy = "RLBackgroundPolicy";
constexpr char const* keyContentType = "Content-Type";
constexpr char const* keyBody = "BODY";

// The whole of a body stream, read in chunks of at most 1024 bytes; nothing when
// the stream reports an error.
std::optional<base::Bytes> drain(foundation::URLRequest::BodyStream const& stream) {
    base::Bytes bytes;
    std::array<std::uint8_t, 1024> chunk {};
    for (;;) {
        auto n = stream(chunk.data(), chunk.size());
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
    }
}

}

base::Ref<base::Dictionary> RLRequestQueueCache::serialize(RLRequest& request) {
    if (request.isLoading())
        return nullptr;
    auto dictionary = base::Dictionary::create();
    if (auto method = request.HTTPMethod())
        dictionary->setObject(keyMethod, *method);
    if (auto const& headers = request.additionalHTTPHeaders())
        dictionary->setObject(keyHeaders, headers->deepCopy());
    if (auto const& URL = request.URL()) {
        if (URL->baseURLString() && URL->resourcePath()) {
            dictionary->setObject(keyURL, *URL->resourcePath());
            dictionary->setObject(keyBaseURL, *URL->baseURLString());
        } else {
            dictionary->setObject(keyURL, URL->absoluteString());
        }
    }
    dictionary->setObject(keyBackgroundPolicy, std::int64_t(request.backgroundPolicy()));

    auto params = request.params();
    if (!params)
        return dictionary;
    auto contentType = params->HTTPHeaderValueForContentType();
    dictionary->setObject(keyContentType, contentType);
    if (auto stream = params->HTTPBodyStream()) {
        auto bytes = drain(*stream);
        if (auto error = params->bodyError(); error || !bytes) {
            foundation::log("The body of a request to %@ cannot be read whole; it is not cached",
                request.URL() ? request.URL()->absoluteString() : std::string());
            return nullptr;
        }
        dictionary->setObject(keyBody, *bytes);
        // The stream is used up: the request sends the same bytes from now on.
        request.setParams(RLParamsDeserialised::initWithData(*bytes, contentType));
    } else if (auto body = params->HTTPBody()) {
        dictionary->setObject(keyBody, std::move(*body));
    }
    return dictionary;
}

base::Ref<RLRequest> RLRequestQueueCache::requestFromDictionary(
    base::Dictionary const& dictionary, RLRequestDelegate*) {
    auto const* method = dictionary.objectForKey(keyMethod).string();
    if (!method)
        return nullptr;
    auto const* path = dictionary.objectForKey(keyURL).string();
    if (!path)
        return nullptr;
    auto const* base = dictionary.objectForKey(keyBaseURL).string();
    auto URL = base ? RLURL::URLWithBaseURLString(*base, *path) : RLURL::URLWithString(*path);
    if (!URL)
        return nullptr;
    auto request = RLRequest::requestWithURL(URL, nullptr);
    struct Name {
        char const* text;
        std::int32_t method;
    };
    static constexpr Name names[] = {{"GET", RLRequest::GET}, {"POST", RLRequest::POST},
        {"PUT", RLRequest::PUT}, {"DELETE", RLRequest::DELETE}};
    request->setMethod(RLRequest::GET);
    for (auto const& name : names) {
        if (*method == name.text)
            request->setMethod(name.method);
    }
    if (auto const* headers = dictionary.objectForKey(keyHeaders).dictionary()) {
        auto copy = base::Dictionary::create();
        for (auto const& [name, value] : *headers) {
            if (value.string())
                copy->setObject(name, value);
        }
        request->setAdditionalHTTPHeaders(copy);
    }
    if (auto const* body = dictionary.objectForKey(keyBody).data()) {
        auto const* type = dictionary.objectForKey(keyContentType).string();
        request->setParams(RLParamsDeserialised::initWithData(*body, type ? *type : std::string()));
    }
    return request;
}

bool RLRequestQueueCache::cacheRequestQueueToFile(RLRequestQueue& queue, std::string const& path) {
    auto const& requests = queue.requests();
    foundation::log("QUEUE COUNT %d", int(requests.size()));
    auto array = base::Array::create();
    for (auto const& request : requests) {
        if (auto dictionary = serialize(*request))
            array->add(dictionary);
    }
    bool written = foundation::PropertyList::writeToFile(base::Value(array), path);
    foundation::log("QUEUE WRITE SUCCESS %d to %@", written ? 1 : 0, path);
    return written;
}

std::size_t RLRequestQueueCache::loadRequestQueueFromCacheFile(
    RLRequestQueue& queue, std::string const& path, RLRequestDelegate* delegate) {
    auto array = foundation::PropertyList::arrayWithContentsOfFile(path);
    std::size_t count = array ? array->size() : 0;
    if (array) {
        for (auto const& entry : *array) {
            auto const* dictionary = entry.dictionary();
            if (!dictionary)
                continue;
            auto request = requestFromDictionary(*dictionary, delegate);
            if (!request)
                continue;
            request->setDelegate(delegate);
            queue.addRequest(request);
        }
    }
    foundation::log("LOADED QUEUE COUNT %d", int(count));
    return count;
}

}
