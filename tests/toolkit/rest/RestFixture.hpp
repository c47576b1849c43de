#pragma once

#include <toolkit/rest/RLApplication.hpp>
#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLReachabilityObserver.hpp>
#include <toolkit/rest/RLRequest.hpp>
#include <toolkit/rest/RLRequestQueue.hpp>

#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/URLConnection.hpp>

#include <support/LoopbackServer.hpp>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace test {

// Everything a request tells, in one log: the delegate's calls ("start", "load 200",
// "fail 2", "cancel", "timeout") and the request notifications by name.
class RequestLog : public toolkit::rest::RLRequestDelegate {
public:
    void requestDidLoadResponse(
        toolkit::rest::RLRequest&, toolkit::rest::RLResponse& response) override {
        add("load " + std::to_string(response.statusCode()));
        ++ended;
        lastBody = response.bodyAsString();
    }
    void requestDidFailLoadWithError(
        toolkit::rest::RLRequest&, foundation::URLError const& error) override {
        add("fail " + std::to_string(error.code));
        lastError = error;
        ++ended;
    }
    void requestDidStartLoad(toolkit::rest::RLRequest&) override { add("start"); }
    void requestDidCancelLoad(toolkit::rest::RLRequest&) override { add("cancel"); }
    void requestDidTimeout(toolkit::rest::RLRequest&) override { add("timeout"); }

    void add(std::string event) { events.push_back(std::move(event)); }

    std::vector<std::string> events;
    int ended {0};
    std::string lastBody;
    foundation::URLError lastError;
};

// The installed application of the toolkit: records background tasks, the indicator
// and alerts.
class FakeApplication : public toolkit::rest::RLApplication {
public:
    BackgroundTaskIdentifier beginBackgroundTask(std::function<void()> handler) override {
        tasks[++last] = std::move(handler);
        return last;
    }
    void endBackgroundTask(BackgroundTaskIdentifier identifier) override {
        tasks.erase(identifier);
    }
    void setNetworkActivityIndicatorVisible(bool visible) override { indicator.push_back(visible); }
    void showAlert(
        std::string const& title, std::string const& message, std::string const& button) override {
        alerts.push_back(title + "|" + message + "|" + button);
    }

    std::map<BackgroundTaskIdentifier, std::function<void()>> tasks;
    BackgroundTaskIdentifier last {0};
    std::vector<bool> indicator;
    std::vector<std::string> alerts;
};

// A network test: the main loop, the default centre, the shared client and queue and
// the reachability flag start and end fresh; HTTPS trusts the test authority.
class RestTest : public ::testing::Test {
protected:
    RestTest() {
        clear();
        foundation::URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
    }
    ~RestTest() override {
        clear();
        foundation::URLConnection::setCertificateAuthorityFile({});
    }

    static foundation::RunLoop& loop() { return foundation::RunLoop::main(); }
    static bool runUntil(std::function<bool()> done, double seconds = 10) {
        return loop().runUntil(std::move(done), seconds);
    }
    // Records every request notification by name into log.
    void recordNotifications(RequestLog& log) {
        for (auto name : {toolkit::rest::RLRequestSentNotification,
                 toolkit::rest::RLRequestDidLoadResponseNotification,
                 toolkit::rest::RLRequestFailedWithErrorNotification,
                 toolkit::rest::RLResponseReceivedNotification,
                 toolkit::rest::RLServiceDidBecomeUnavailableNotification}) {
            tokens.push_back(foundation::NotificationCenter::defaultCenter().observe(
                name, [&log, name](auto const&) { log.add(name); }));
        }
    }

    std::vector<foundation::ObservationToken> tokens;

private:
    void clear() {
        tokens.clear();
        // Dropping the queue releases its requests, which cancel their connections
        // without a word to delegates that a test may already have let go.
        toolkit::rest::RLRequestQueue::setSharedQueue(nullptr);
        toolkit::rest::RLClient::setSharedClient(nullptr);
        toolkit::rest::RLApplication::setShared(nullptr);
        toolkit::rest::RLReachabilityObserver::setReachabilityDetermined(false);
        foundation::Reachability::clearForcedStatus();
        loop().reset();
        foundation::NotificationCenter::resetDefaultCenter();
    }
};

}
