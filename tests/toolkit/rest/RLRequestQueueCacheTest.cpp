// Writing a request queue to a file and reading it back: the request dictionaries,
// the file, and the restored requests against a loopback server.

#include "RestFixture.hpp"

#include <toolkit/rest/RLParams.hpp>
#include <toolkit/rest/RLParamsDeserialised.hpp>
#include <toolkit/rest/RLRequestQueueCache.hpp>

#include <foundation/PropertyList.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <filesystem>
#include <fstream>

using namespace toolkit::rest;
using test::HttpResponse;
using test::LoopbackServer;
using test::RequestLog;

namespace {

class RLRequestQueueCacheTest : public test::RestTest {
protected:
    std::string cachePath() const { return (folder / "queue.plist").string(); }

    test::TempDir folder;
};

base::Bytes bytesOf(std::string const& text) {
    return base::Bytes(text.begin(), text.end());
}

base::Ref<RLRequest> requestFor(std::string const& base, std::string const& path,
    std::int32_t method = RLRequest::GET, RLRequestDelegate* delegate = nullptr) {
    auto request = RLRequest::requestWithURL(RLURL::URLWithBaseURLString(base, path), delegate);
    request->setMethod(method);
    return request;
}

// What a server saw of one request, for comparing a restored request with its
// original.
struct Seen {
    std::string method;
    std::string target;
    std::string contentType;
    std::string custom;
    std::string body;
    bool operator==(Seen const&) const = default;
};

Seen seen(test::HttpRequest const& request) {
    return {request.method, request.target, request.headers.get("content-type"),
        request.headers.get("x-custom"), request.body};
}

}

TEST_F(RLRequestQueueCacheTest, ARequestBecomesADictionaryOfItsParts) {
    auto get = requestFor("https://h", "/a?b=1");
    get->setBackgroundPolicy(RLRequest::BackgroundPolicyRequeue);
    auto dictionary = RLRequestQueueCache::serialize(*get);
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(base::Value(dictionary),
        base::Value(base::Dictionary::create({{"HTTPMethod", "GET"}, {"URL", "/a?b=1"},
            {"BaseURL", "https://h"}, {"RLBackgroundPolicy", 3}})))
        << "a GET without a body has no content type and no body";

    auto post = requestFor("https://h/api", "/x", RLRequest::PUT);
    post->setAdditionalHTTPHeaders(base::Dictionary::create({{"X-Custom", "1"}}));
    post->setParams(RLFormSerialization::formWithDictionary(
        base::Dictionary::create({{"name", "a b"}, {"n", 2}})));
    dictionary = RLRequestQueueCache::serialize(*post);
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->objectForKey("HTTPMethod"), base::Value("PUT"));
    EXPECT_EQ(dictionary->objectForKey("URL"), base::Value("/x"));
    EXPECT_EQ(dictionary->objectForKey("BaseURL"), base::Value("https://h/api"));
    EXPECT_EQ(dictionary->objectForKey("Headers"),
        base::Value(base::Dictionary::create({{"X-Custom", "1"}})));
    EXPECT_EQ(
        dictionary->objectForKey("Content-Type"), base::Value("application/x-www-form-urlencoded"));
    EXPECT_EQ(dictionary->objectForKey("BODY"), base::Value(bytesOf("name=a%20b&n=2")));

    auto plain = RLRequest::requestWithURL(RLURL::URLWithString("https://h/whole?q=1"), nullptr);
    dictionary = RLRequestQueueCache::serialize(*plain);
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->objectForKey("URL"), base::Value("https://h/whole?q=1"));
    EXPECT_TRUE(dictionary->objectForKey("BaseURL").isNull());
}

TEST_F(RLRequestQueueCacheTest, RestoredRequestsGoToTheirOwnURLs) {
    struct Case {
        char const* base;
        char const* path;
        char const* absolute;
    };
    Case const cases[] = {
        {"https://h", "/a?b=1", "https://h/a?b=1"},
        {"https://h/api", "/x", "https://h/api/x"},
        {"https://h/api/", "v2/items?page=3&sort=a", "https://h/api/v2/items?page=3&sort=a"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.absolute);
        auto original = requestFor(c.base, c.path, RLRequest::DELETE);
        auto dictionary = RLRequestQueueCache::serialize(*original);
        ASSERT_TRUE(dictionary);
        auto restored = RLRequestQueueCache::requestFromDictionary(*dictionary, nullptr);
        ASSERT_TRUE(restored);
        EXPECT_EQ(restored->URL()->absoluteString(), c.absolute);
        EXPECT_EQ(restored->URL()->absoluteString(), original->URL()->absoluteString());
        EXPECT_EQ(restored->resourcePath(), original->resourcePath());
        EXPECT_EQ(restored->method(), RLRequest::DELETE);
    }
}

TEST_F(RLRequestQueueCacheTest, DictionariesMakeRequestsOrNothing) {
    auto body = base::Value(bytesOf("{\"a\":1}"));
    struct Case {
        char const* name;
        base::Ref<base::Dictionary> dictionary;
        bool made;
        std::int32_t method;
    };
    Case const cases[] = {
        {"no method", base::Dictionary::create({{"URL", "/a"}, {"BaseURL", "https://h"}}), false,
            0},
        {"an unknown method is GET",
            base::Dictionary::create(
                {{"HTTPMethod", "PATCH"}, {"URL", "/a"}, {"BaseURL", "https://h"}}),
            true, RLRequest::GET},
        {"POST",
            base::Dictionary::create({{"HTTPMethod", "POST"}, {"URL", "/a"},
                {"BaseURL", "https://h"}, {"Content-Type", "application/json"}, {"BODY", body}}),
            true, RLRequest::POST},
        {"no URL", base::Dictionary::create({{"HTTPMethod", "GET"}, {"BaseURL", "https://h"}}),
            false, 0},
        {"a URL that is no URL",
            base::Dictionary::create({{"HTTPMethod", "GET"}, {"URL", "not a url"}}), false, 0},
        {"a method that is no text",
            base::Dictionary::create({{"HTTPMethod", 1}, {"URL", "/a"}, {"BaseURL", "https://h"}}),
            false, 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        RequestLog delegate;
        auto request = RLRequestQueueCache::requestFromDictionary(*c.dictionary, &delegate);
        ASSERT_EQ(bool(request), c.made);
        if (!request)
            continue;
        EXPECT_EQ(request->method(), c.method);
        EXPECT_EQ(request->delegate(), nullptr) << "the delegate argument is not used";
    }
    auto request = RLRequestQueueCache::requestFromDictionary(*cases[2].dictionary, nullptr);
    auto const* restored = dynamic_cast<RLParamsDeserialised const*>(request->params().get());
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->contentType(), "application/json");
    EXPECT_EQ(restored->data(), *body.data());
    EXPECT_EQ(restored->HTTPHeaderValueForContentLength(), std::nullopt);
    EXPECT_EQ(request->backgroundPolicy(), RLRequest::BackgroundPolicyNone);
}

TEST_F(RLRequestQueueCacheTest, AWrittenQueueSendsTheSameRequestsAsTheOriginal) {
    LoopbackServer server;
    for (auto path : {"/items", "/form", "/upload"})
        server.route("*", path, HttpResponse::text("ok"));
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    ASSERT_TRUE(runUntil([&] { return client->isNetworkAvailable(); }));

    auto attachment = folder / "photo.png";
    std::ofstream(attachment, std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\1", 10);
    auto multipart = RLParams::params();
    multipart->setValue("caption text", "caption");
    multipart->setFile(attachment.string(), "photo");

    RequestLog log;
    auto queue = RLRequestQueue::create();
    auto get = requestFor(server.baseURL(), "/items?page=2", RLRequest::GET, &log);
    get->setAdditionalHTTPHeaders(base::Dictionary::create({{"X-Custom", "get"}}));
    auto form = requestFor(server.baseURL(), "/form", RLRequest::POST, &log);
    form->setParams(RLFormSerialization::formWithDictionary(
        base::Dictionary::create({{"a", "1&2"}, {"b", "x y"}})));
    auto upload = requestFor(server.baseURL(), "/upload", RLRequest::POST, &log);
    upload->setAdditionalHTTPHeaders(base::Dictionary::create({{"X-Custom", "up"}}));
    upload->setParams(multipart);
    for (auto const& request : {get, form, upload})
        queue->addRequest(request);

    test::LogCapture lines;
    ASSERT_TRUE(RLRequestQueueCache::cacheRequestQueueToFile(*queue, cachePath()));
    EXPECT_TRUE(lines.contains("QUEUE COUNT 3"));
    EXPECT_TRUE(lines.contains("QUEUE WRITE SUCCESS 1 to " + cachePath()));
    auto file = foundation::PropertyList::arrayWithContentsOfFile(cachePath());
    ASSERT_TRUE(file);
    ASSERT_EQ(file->size(), 3u);
    auto const& stored = *file->at(2).dictionary();
    EXPECT_EQ(stored.objectForKey("Content-Type"),
        base::Value("multipart/form-data; boundary=0xKhTmLbOuNdArY"));
    auto const* storedBody = stored.objectForKey("BODY").data();
    ASSERT_TRUE(storedBody);
    EXPECT_EQ(storedBody->size(), multipart->length());
    std::string storedText(storedBody->begin(), storedBody->end());
    EXPECT_TRUE(storedText.ends_with(RLParams::footer())) << "the complete multipart bytes";

    RequestLog restoredLog;
    auto restoredQueue = RLRequestQueue::create();
    EXPECT_EQ(RLRequestQueueCache::loadRequestQueueFromCacheFile(
                  *restoredQueue, cachePath(), &restoredLog),
        3u);
    EXPECT_TRUE(lines.contains("LOADED QUEUE COUNT 3"));
    ASSERT_EQ(restoredQueue->count(), 3u);
    for (auto const& request : restoredQueue->requests())
        EXPECT_EQ(request->delegate(), &restoredLog);

    restoredQueue->start();
    ASSERT_TRUE(runUntil([&] { return restoredLog.ended == 3; }));
    queue->start();
    ASSERT_TRUE(runUntil([&] { return log.ended == 3; }));
    EXPECT_EQ(log.events, restoredLog.events);

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 6u);
    auto byTarget = [](std::vector<test::HttpRequest> list) {
        std::sort(list.begin(), list.end(),
            [](auto const& a, auto const& b) { return a.target < b.target; });
        std::vector<Seen> result;
        for (auto const& request : list)
            result.push_back(seen(request));
        return result;
    };
    auto restoredSent = byTarget({requests.begin(), requests.begin() + 3});
    auto originalSent = byTarget({requests.begin() + 3, requests.end()});
    EXPECT_EQ(restoredSent, originalSent);
    ASSERT_EQ(originalSent.size(), 3u);
    EXPECT_EQ(originalSent[0].target, "/form");
    EXPECT_EQ(originalSent[0].body, "a=1%262&b=x%20y");
    EXPECT_EQ(originalSent[1].target, "/items?page=2");
    EXPECT_EQ(originalSent[1].custom, "get");
    EXPECT_EQ(originalSent[2].target, "/upload");
    EXPECT_EQ(originalSent[2].body, storedText) << "the original still sends its whole body";
    EXPECT_NE(
        originalSent[2].body.find(std::string("\x89PNG\r\n\x1a\n\0\1", 10)), std::string::npos);
}

TEST_F(RLRequestQueueCacheTest, LoadingRequestsAndUnreadableBodiesAreLeftOut) {
    LoopbackServer server;
    auto gate = std::make_shared<test::Gate>();
    HttpResponse held = HttpResponse::text("");
    held.pieces = {{"late", 0, gate}};
    server.route("GET", "/held", held);
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    ASSERT_TRUE(runUntil([&] { return client->isNetworkAvailable(); }));

    RequestLog log;
    auto queue = RLRequestQueue::create();
    auto loading = requestFor(server.baseURL(), "/held", RLRequest::GET, &log);
    queue->addRequest(loading);
    queue->start();
    ASSERT_TRUE(runUntil([&] { return loading->isLoading(); }));

    auto missing = RLParams::params();
    auto file = folder / "gone.bin";
    std::ofstream(file) << "x";
    missing->setFile(file.string(), "f");
    std::filesystem::remove(file);
    auto broken = requestFor("https://h", "/broken", RLRequest::POST);
    broken->setParams(missing);
    queue->setSuspended(true);
    queue->addRequest(broken);
    queue->addRequest(requestFor("https://h", "/kept"));

    EXPECT_FALSE(RLRequestQueueCache::serialize(*loading));
    EXPECT_FALSE(RLRequestQueueCache::serialize(*broken));
    test::LogCapture lines;
    ASSERT_TRUE(RLRequestQueueCache::cacheRequestQueueToFile(*queue, cachePath()));
    EXPECT_TRUE(lines.contains("QUEUE COUNT 3"));
    auto stored = foundation::PropertyList::arrayWithContentsOfFile(cachePath());
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 1u);
    EXPECT_EQ(stored->at(0).dictionary()->objectForKey("URL"), base::Value("/kept"));
    gate->open();
    ASSERT_TRUE(runUntil([&] { return log.ended == 1; }));
}

TEST_F(RLRequestQueueCacheTest, UnreadableFilesAndEntriesRestoreNothing) {
    auto queue = RLRequestQueue::create();
    test::LogCapture lines;
    EXPECT_EQ(RLRequestQueueCache::loadRequestQueueFromCacheFile(*queue, cachePath()), 0u);
    EXPECT_TRUE(lines.contains("LOADED QUEUE COUNT 0"));

    std::ofstream(cachePath()) << "not a property list";
    EXPECT_EQ(RLRequestQueueCache::loadRequestQueueFromCacheFile(*queue, cachePath()), 0u);

    auto entries = base::Array::create({base::Dictionary::create({{"URL", "/a"}}), "text",
        base::Dictionary::create(
            {{"HTTPMethod", "GET"}, {"URL", "/b"}, {"BaseURL", "https://h"}})});
    ASSERT_TRUE(foundation::PropertyList::writeToFile(base::Value(entries), cachePath()));
    lines.clear();
    EXPECT_EQ(RLRequestQueueCache::loadRequestQueueFromCacheFile(*queue, cachePath()), 3u);
    EXPECT_TRUE(lines.contains("LOADED QUEUE COUNT 3")) << "skipped entries are still counted";
    ASSERT_EQ(queue->count(), 1u);
    EXPECT_EQ(queue->requests()[0]->resourcePath(), "/b");

    auto unwritable = (folder / "no-such-folder" / "queue.plist").string();
    EXPECT_FALSE(RLRequestQueueCache::cacheRequestQueueToFile(*queue, unwritable));
    EXPECT_TRUE(lines.contains("QUEUE WRITE SUCCESS 0 to " + unwritable));
}
