#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace test {

// Header lines in the order they came or will be sent; names compare without case.
class HttpHeaders {
public:
    void add(std::string name, std::string value) {
        entries_.emplace_back(std::move(name), std::move(value));
    }
    // Replaces every line of that name with one.
    void set(std::string const& name, std::string value);
    bool has(std::string_view name) const { return find(name) != nullptr; }
    // The first value of that name, or empty.
    std::string get(std::string_view name) const;
    std::string const* find(std::string_view name) const;
    std::vector<std::string> all(std::string_view name) const;
    std::vector<std::pair<std::string, std::string>> const& entries() const { return entries_; }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

// One request as the server read it.
struct HttpRequest {
    std::string method;
    std::string target; // path and query as sent
    std::string path;
    std::string query; // without the "?"
    HttpHeaders headers;
    std::string body;
    int connection {0}; // the server's number of the connection it came on
};

// Opens when told; a server thread waiting on it also wakes when the server stops.
class Gate {
public:
    void open();
    bool isOpen() const;
    // Waits until open or until stop is true; true when open.
    bool wait(std::atomic<bool> const& stop);

private:
    mutable std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ {false};
};

// The answer to one request. The body is sent in pieces, each after an optional
// pause or gate, so tests can hold a transfer in the middle.
struct HttpResponse {
    struct Piece {
        std::string bytes;
        double delayBefore {0};
        std::shared_ptr<Gate> gateBefore;
    };

    int status {200};
    std::string reason; // standard phrase when empty
    HttpHeaders headers;
    std::vector<Piece> pieces;

    double delay {0}; // before anything is sent; infinity waits until the server stops
    bool drop {false}; // closes the connection without answering
    bool chunked {false}; // each piece is one chunk of a chunked body
    // Content-Length to announce instead of the true length; when larger, the
    // server closes the connection after the pieces, cutting the body short.
    std::optional<std::size_t> announcedLength;

    HttpResponse& body(std::string bytes) {
        pieces.push_back({std::move(bytes), 0, nullptr});
        return *this;
    }
    HttpResponse& header(std::string name, std::string value) {
        headers.add(std::move(name), std::move(value));
        return *this;
    }

    static HttpResponse text(
        std::string body, int status = 200, std::string contentType = "text/plain; charset=utf-8");
    static HttpResponse redirect(int status, std::string location);
    static HttpResponse dropped();
};

// An HTTP/1.1 server on 127.0.0.1 and a free port, for network tests: answers from
// routes, records every request, and can delay, drop, redirect, stream chunked
// bodies, demand Basic authentication and answer byte ranges. With Tls::Trusted it
// speaks HTTPS with a certificate for IP 127.0.0.1 signed by the test authority
// (caFile()); with Tls::Untrusted with a self-signed one no client trusts.
// Each connection runs on a thread of its own; handlers run there. The destructor
// stops every thread at once, also ones that wait in delays or gates, so a test
// never hangs on it.
class LoopbackServer {
public:
    enum class Tls { None, Trusted, Untrusted };
    using Handler = std::function<HttpResponse(HttpRequest const&)>;

    explicit LoopbackServer(Tls tls = Tls::None);
    ~LoopbackServer();
    LoopbackServer(LoopbackServer const&) = delete;
    LoopbackServer& operator=(LoopbackServer const&) = delete;

    // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT", no trailing slash.
    std::string baseURL() const;
    std::string url(std::string_view pathAndQuery) const {
        return baseURL() + std::string(pathAndQuery);
    }
    int port() const { return port_; }

    // Routes by method ("*" for any) and exact path; later routes replace earlier
    // ones. Unrouted requests get 404.
    void route(std::string method, std::string path, Handler handler);
    void route(std::string method, std::string path, HttpResponse response);

    // Handlers for common cases.
    // Answers 401 with a Basic challenge for realm until the right credentials come.
    static Handler basicAuth(
        std::string user, std::string password, HttpResponse ok, std::string realm = "loopback");
    // Serves content, answering a single "Range: bytes=..." with 206 (or 416).
    static Handler ranged(
        std::string content, std::string contentType = "application/octet-stream");

    std::vector<HttpRequest> requests() const;
    std::size_t requestCount() const;
    void clearRequests();
    // Waits until count requests have come, or the timeout; true when they came.
    bool waitForRequests(std::size_t count, double timeoutSeconds) const;
    // Connections accepted so far.
    int connectionCount() const { return connections_.load(); }

    // The PEM file of the authority that signs Tls::Trusted certificates; made
    // once per process in a temporary folder.
    static std::string caFile();

private:
    void acceptLoop();
    void serve(int fd, int number);
    HttpResponse answer(HttpRequest const& request);
    bool pause(double seconds);

    Tls tls_;
    int port_ {0};
    int listener_ {-1};
    int wake_ {-1};
    void* sslContext_ {nullptr};
    std::atomic<bool> stopping_ {false};
    std::atomic<int> connections_ {0};

    mutable std::mutex mutex_;
    mutable std::condition_variable requestArrived_;
    std::condition_variable stopped_;
    std::map<std::pair<std::string, std::string>, Handler> routes_;
    std::vector<HttpRequest> requests_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

}
