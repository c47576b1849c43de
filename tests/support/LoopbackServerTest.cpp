#include <support/LoopbackServer.hpp>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <string>

using test::HttpResponse;
using test::LoopbackServer;

namespace {

// A bare client socket, so the server is checked byte for byte without the
// URL-loading code under test. Reads give up after five seconds.
class RawClient {
public:
    explicit RawClient(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval timeout {5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(std::uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(fd_); }

    bool connected() const { return connected_; }
    void send(std::string const& bytes) {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), long(bytes.size()));
    }

    // Everything until the server closes (or the read times out).
    std::string readAll() {
        std::string all;
        char buffer[4096];
        long count;
        while ((count = ::recv(fd_, buffer, sizeof buffer, 0)) > 0)
            all.append(buffer, std::size_t(count));
        return all;
    }
    // Until text has arrived.
    std::string readUntil(std::string const& text) {
        std::string all;
        char buffer[4096];
        while (all.find(text) == std::string::npos) {
            long count = ::recv(fd_, buffer, sizeof buffer, 0);
            if (count <= 0)
                break;
            all.append(buffer, std::size_t(count));
        }
        return all;
    }

private:
    int fd_;
    bool connected_ {false};
};

}

TEST(LoopbackServer, RecordsRequestsAndAnswersRoutesOr404) {
    LoopbackServer server;
    EXPECT_EQ(server.baseURL(), "http://127.0.0.1:" + std::to_string(server.port()));
    server.route("POST", "/form", HttpResponse::text("thanks", 201));
    RawClient client(server.port());
    ASSERT_TRUE(client.connected());
    client.send(
        "POST /form?a=1&b=2 HTTP/1.1\r\nHost: x\r\nX-Thing: yes\r\nContent-Length: 5\r\n\r\nhello"
        "GET /nowhere HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    std::string reply = client.readAll();

    EXPECT_EQ(reply.find("HTTP/1.1 201 Created\r\n"), 0u);
    EXPECT_NE(reply.find("Content-Length: 6\r\n"), std::string::npos);
    EXPECT_NE(reply.find("\r\n\r\nthanks"), std::string::npos);
    EXPECT_NE(reply.find("HTTP/1.1 404 Not Found\r\n"), std::string::npos);
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/form");
    EXPECT_EQ(requests[0].query, "a=1&b=2");
    EXPECT_EQ(requests[0].headers.get("x-thing"), "yes");
    EXPECT_EQ(requests[0].body, "hello");
    // Both came over one kept-alive connection.
    EXPECT_EQ(requests[0].connection, requests[1].connection);
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST(LoopbackServer, ReadsChunkedRequestBodiesAndAnswersExpectContinue) {
    LoopbackServer server;
    server.route("PUT", "/up", HttpResponse::text("ok"));
    RawClient client(server.port());
    client.send(
        "PUT /up HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\nExpect: 100-continue\r\n"
        "Connection: close\r\n\r\n");
    EXPECT_NE(client.readUntil("\r\n\r\n").find("HTTP/1.1 100 Continue"), std::string::npos);
    client.send("3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n");
    EXPECT_NE(client.readAll().find("200 OK"), std::string::npos);
    EXPECT_EQ(server.requests().at(0).body, "abcde");
}

TEST(LoopbackServer, SendsChunkedBodiesPieceByPiece) {
    LoopbackServer server;
    HttpResponse chunked;
    chunked.chunked = true;
    chunked.body("hello ").body("world");
    server.route("GET", "/c", chunked);
    RawClient client(server.port());
    client.send("GET /c HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    std::string reply = client.readAll();
    EXPECT_NE(reply.find("Transfer-Encoding: chunked\r\n"), std::string::npos);
    EXPECT_EQ(reply.find("Content-Length"), std::string::npos);
    EXPECT_NE(reply.find("\r\n\r\n6\r\nhello \r\n5\r\nworld\r\n0\r\n\r\n"), std::string::npos);
}

TEST(LoopbackServer, DropsTheConnectionWithoutAnAnswer) {
    LoopbackServer server;
    server.route("GET", "/drop", HttpResponse::dropped());
    RawClient client(server.port());
    client.send("GET /drop HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(client.readAll(), "");
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST(LoopbackServer, RedirectAndBasicAuthenticationHelpers) {
    LoopbackServer server;
    server.route("GET", "/r", HttpResponse::redirect(307, "/elsewhere"));
    server.route(
        "GET", "/a", LoopbackServer::basicAuth("u", "p", HttpResponse::text("in"), "Zone"));
    auto ask = [&](std::string const& request) {
        RawClient client(server.port());
        client.send(request);
        return client.readAll();
    };
    std::string redirect = ask("GET /r HTTP/1.1\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(redirect.find("HTTP/1.1 307 Temporary Redirect\r\n"), 0u);
    EXPECT_NE(redirect.find("Location: /elsewhere\r\n"), std::string::npos);

    std::string refused = ask("GET /a HTTP/1.1\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(refused.find("HTTP/1.1 401"), 0u);
    EXPECT_NE(refused.find("WWW-Authenticate: Basic realm=\"Zone\"\r\n"), std::string::npos);
    // "u:p" in Base64.
    std::string accepted
        = ask("GET /a HTTP/1.1\r\nAuthorization: Basic dTpw\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(accepted.find("HTTP/1.1 200"), 0u);
}

TEST(LoopbackServer, StopsAtOnceWhileHandlersWaitAndClientsIdle) {
    auto start = std::chrono::steady_clock::now();
    {
        LoopbackServer server;
        HttpResponse forever;
        forever.delay = std::numeric_limits<double>::infinity();
        server.route("GET", "/forever", forever);
        HttpResponse gated = HttpResponse::text("never");
        gated.pieces.front().gateBefore = std::make_shared<test::Gate>();
        server.route("GET", "/gated", gated);

        RawClient waiting(server.port());
        waiting.send("GET /forever HTTP/1.1\r\n\r\n");
        RawClient gatedClient(server.port());
        gatedClient.send("GET /gated HTTP/1.1\r\n\r\n");
        RawClient idle(server.port());
        RawClient halfRequest(server.port());
        halfRequest.send("GET /forever HTTP/1.1\r\nHost:");
        ASSERT_TRUE(server.waitForRequests(2, 5));
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 3.0);
}

TEST(LoopbackServer, WaitForRequestsGivesUpAfterItsTimeout) {
    LoopbackServer server;
    EXPECT_FALSE(server.waitForRequests(1, 0.05));
}
