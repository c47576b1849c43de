#pragma once

#include <toolkit/rest/RLRequest.hpp>
#include <toolkit/rest/RLRequestQueue.hpp>

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstddef>
#include <string>

namespace toolkit::rest {

// Writes the requests a queue holds to a property-list file and makes new requests
// from such a file. The file's root is an array of request dictionaries in queue
// order, each with:
//   "HTTPMethod"         "GET", "POST", "PUT" or "DELETE"
//   "Headers"            the additional headers (left out when there are none)
//   "URL"                the resource path the URL was joined from, query included;
//                        a URL made from one string keeps its whole text here
//   "BaseURL"            the base URL (left out for a URL made from one string)
//   "RLBackgroundPolicy" the background policy (written, not restored)
//   "Content-Type"       with a body: its content type
//   "BODY"               with a body: its bytes (data)
// A restored request goes to the very URL the original went to: the base followed
// by the resource path. Its body is an RLParamsDeserialised; the background policy,
// the credentials (never written) and the delegate are not restored.
// Main thread only, like the queue.
class RLRequestQueueCache {
public:
    RLRequestQueueCache() = delete;

    // The request as a dictionary; null while it is loading, and for a body that
    // cannot be read whole (the request could not send it either). A streamed body
    // is read to its end; the request is then handed an RLParamsDeserialised of the
    // same bytes and content type, so that it still sends the body it would have.
    static base::Ref<base::Dictionary> serialize(RLRequest& request);
    // A new request from a dictionary; null without "HTTPMethod" or without a URL
    // that can be made. An unknown method text leaves GET. The delegate argument is
    // not used: callers set the delegate themselves.
    static base::Ref<RLRequest> requestFromDictionary(
        base::Dictionary const& dictionary, RLRequestDelegate* delegate);

    // Serializes every held request (loading ones are skipped) and writes the array
    // atomically, logging the count and the outcome; true when it was written.
    static bool cacheRequestQueueToFile(RLRequestQueue& queue, std::string const& path);
    // Makes a request of each dictionary in the file, in order, gives it the
    // delegate and adds it to the queue (which may start it at once); entries that
    // make no request are skipped. Returns the number of entries read: 0 for a file
    // that is missing or unreadable.
    static std::size_t loadRequestQueueFromCacheFile(
        RLRequestQueue& queue, std::string const& path, RLRequestDelegate* delegate = nullptr);
};

}
