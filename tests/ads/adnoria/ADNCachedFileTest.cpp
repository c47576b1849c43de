#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNCachedFile.hpp>
#include <ads/adnoria/ADNNetworkUtilities.hpp>

#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <support/LoopbackServer.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using ads::adnoria::ADNCachedFile;
using ads::adnoria::ADNCachedFileDelegate;
using test::HttpResponse;

namespace {

class Recorder final : public ADNCachedFileDelegate {
public:
    void cachedFileDownloadDidEnd(ADNCachedFile&) override { events.push_back("end"); }
    void cachedFileDownloadDidFail(
        ADNCachedFile&, std::optional<foundation::URLError> error) override {
        events.push_back("fail");
        errors.push_back(error);
    }
    std::optional<foundation::URLError> cachedFileShouldRedirectToURL(
        ADNCachedFile&, std::string const& url) override {
        redirects.push_back(url);
        if (vetoRedirects)
            return foundation::URLError::withDomain("test", 99, "vetoed");
        return std::nullopt;
    }

    std::vector<std::string> events;
    std::vector<std::optional<foundation::URLError>> errors;
    std::vector<std::string> redirects;
    bool vetoRedirects {false};
};

class ADNCachedFileTest : public test::AdnoriaTest {
protected:
    // Starts a fetch and runs the loop until it has ended.
    void fetch(ADNCachedFile& file, Recorder& recorder, bool cacheBuster = false) {
        auto before = recorder.events.size();
        cacheBuster ? file.validateWithCacheBuster() : file.validate();
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return recorder.events.size() > before; }, 20));
    }

    test::LoopbackServer server;
};

}

TEST_F(ADNCachedFileTest, FetchTable) {
    struct Case {
        char const* name;
        HttpResponse reply;
        bool veto;
        std::uint64_t maximum;
        char const* event;
        std::optional<long> errorCode;
        bool written;
    };
    std::vector<Case> const cases {
        {"200 writes the body", HttpResponse::text("core script"), false, 0, "end", {}, true},
        {"404 fails without error", HttpResponse::text("missing", 404), false, 0, "fail", {},
            false},
        {"500 fails without error", HttpResponse::text("oops", 500), false, 0, "fail", {}, false},
        {"vetoed redirect fails with the veto", HttpResponse::redirect(302, "/elsewhere"), true, 0,
            "fail", 99L, false},
        {"oversized body fails", HttpResponse::text(std::string(2048, 'x')), false, 1024, "fail",
            long(foundation::URLError::DataLengthExceedsMaximum), false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        auto path = std::string("/case") + std::to_string(&c - cases.data());
        server.route("GET", path, c.reply);
        server.route("GET", "/elsewhere", HttpResponse::text("moved"));
        Recorder recorder;
        recorder.vetoRedirects = c.veto;
        auto file = ADNCachedFile::initWithDelegate(&recorder, server.url(path));
        if (c.maximum)
            file->setMaximumBodySize(c.maximum);
        fetch(*file, recorder);
        ASSERT_EQ(recorder.events.size(), 1u);
        EXPECT_EQ(recorder.events[0], c.event);
        if (c.errorCode) {
            ASSERT_TRUE(recorder.errors.at(0));
            EXPECT_EQ(recorder.errors[0]->code, *c.errorCode);
        } else if (!recorder.errors.empty()) {
            EXPECT_FALSE(recorder.errors[0]);
        }
        EXPECT_EQ(file->hasContent(), c.written);
        EXPECT_FALSE(file->isFetching());
    }
}

TEST_F(ADNCachedFileTest, FileLivesUnderItsHostInTheCachesFolder) {
    auto file = ADNCachedFile::initWithDelegate(nullptr, server.url("/anma/sdk-core-v40.js"));
    auto caches = foundation::Sandbox::cachesPath();
    EXPECT_EQ(file->filePath().rfind(caches + "/127.0.0.1/", 0), 0u);
    EXPECT_EQ(ADNCachedFile::initWithDelegate(nullptr, server.url("/other"))
                  ->filePath()
                  .find(caches + "/127.0.0.1/"),
        0u);
    EXPECT_NE(ADNCachedFile::initWithDelegate(nullptr, server.url("/other"))->filePath(),
        file->filePath());
}

TEST_F(ADNCachedFileTest, HostsThatCannotBeFolderNamesGiveNoPath) {
    auto caches = foundation::Sandbox::cachesPath();
    for (char const* url : {"http://../x", "http://./x", "http:///x", "not a url",
             "http://%2e%2e/x", "http://a%2fb/x", "file:///etc/passwd"}) {
        SCOPED_TRACE(url);
        auto path = ADNCachedFile::initWithDelegate(nullptr, url)->filePath();
        if (!path.empty()) {
            EXPECT_EQ(path.rfind(caches + "/", 0), 0u);
            EXPECT_EQ(std::filesystem::path(path).parent_path().parent_path().string(), caches);
        }
    }
    Recorder recorder;
    auto file = ADNCachedFile::initWithDelegate(&recorder, "http://../x");
    EXPECT_TRUE(file->filePath().empty());
    EXPECT_FALSE(file->hasContent());
}

TEST_F(ADNCachedFileTest, LastModifiedBecomesTheFileTimeAndTheNextConditionalRequest) {
    server.route("GET", "/core.js",
        HttpResponse::text("v1").header("Last-Modified", "Wed, 21 Oct 2015 07:28:00 GMT"));
    Recorder recorder;
    auto file = ADNCachedFile::initWithDelegate(&recorder, server.url("/core.js"));
    fetch(*file, recorder);
    ASSERT_EQ(recorder.events, (std::vector<std::string> {"end"}));
    struct stat info { };
    ASSERT_EQ(::stat(file->filePath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1445412480);
    EXPECT_EQ(file->fileModificationDate(), "Wed, 21 Oct 2015 07:28:00");
    EXPECT_EQ(file->content(), "v1");
    EXPECT_FALSE(server.requests()[0].headers.has("If-Modified-Since"));

    // 304 keeps the file and counts as current.
    server.route("GET", "/core.js", HttpResponse::text("", 304));
    fetch(*file, recorder);
    EXPECT_EQ(recorder.events.back(), "end");
    EXPECT_EQ(
        server.requests().back().headers.get("If-Modified-Since"), "Wed, 21 Oct 2015 07:28:00");
    EXPECT_EQ(file->content(), "v1");

    // A failure leaves the earlier file in place.
    server.route("GET", "/core.js", HttpResponse::text("gone", 404));
    fetch(*file, recorder);
    EXPECT_EQ(recorder.events.back(), "fail");
    EXPECT_EQ(file->content(), "v1");

    file->invalidate();
    EXPECT_FALSE(file->hasContent());
}

TEST_F(ADNCachedFileTest, CacheBusterAndUserAgentGoWithTheRequest) {
    server.route("GET", "/core.js", HttpResponse::text("v1"));
    ads::adnoria::ADNNetworkUtilities::setUserAgentString("AdnoriaTest/1.0");
    Recorder recorder;
    auto file = ADNCachedFile::initWithDelegate(&recorder, server.url("/core.js"));
    fetch(*file, recorder, true);
    auto request = server.requests().at(0);
    EXPECT_EQ(request.query, "unique=" + std::to_string(1300000000 - 978307200));
    EXPECT_EQ(request.headers.get("User-Agent"), "AdnoriaTest/1.0");

    auto withQuery = ADNCachedFile::initWithDelegate(&recorder, server.url("/core.js?v=2"));
    fetch(*withQuery, recorder, true);
    EXPECT_EQ(
        server.requests().at(1).query, "v=2&unique=" + std::to_string(1300000000 - 978307200));
}

TEST_F(ADNCachedFileTest, RedirectsAreOfferedToTheDelegateAndFollowed) {
    server.route("GET", "/start", HttpResponse::redirect(302, "/middle"));
    server.route("GET", "/middle", HttpResponse::redirect(301, "/end"));
    server.route("GET", "/end", HttpResponse::text("done"));
    Recorder recorder;
    auto file = ADNCachedFile::initWithDelegate(&recorder, server.url("/start"));
    fetch(*file, recorder);
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"end"}));
    EXPECT_EQ(
        recorder.redirects, (std::vector<std::string> {server.url("/middle"), server.url("/end")}));
    EXPECT_EQ(file->httpDestinationURL(), server.url("/end"));
    EXPECT_EQ(file->httpStatusCode(), 200);
    EXPECT_EQ(file->sourceURL(), server.url("/start"));
}

TEST_F(ADNCachedFileTest, CancelAndValidateWhileFetchingTellNobody) {
    auto gate = std::make_shared<test::Gate>();
    HttpResponse slow;
    slow.pieces.push_back({"body", 0, gate});
    server.route("GET", "/slow", slow);
    Recorder recorder;
    auto file = ADNCachedFile::initWithDelegate(&recorder, server.url("/slow"));
    file->validate();
    file->validate();
    EXPECT_TRUE(file->isFetching());
    foundation::RunLoop::main().runUntil([&] { return server.requestCount() == 1; }, 10);
    file->cancel();
    gate->open();
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_FALSE(file->hasContent());
}
