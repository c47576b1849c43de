#include <support/LoopbackServer.hpp>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <strings.h>

namespace test {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string trim(std::string_view text) {
    auto begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    auto end = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(begin, end - begin + 1));
}

std::string reasonPhrase(int status) {
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 416:
        return "Range Not Satisfiable";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

std::string base64(std::string_view bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
        reinterpret_cast<unsigned char const*>(bytes.data()), int(bytes.size()));
    out.resize(std::size_t(length));
    return out;
}

// The test authority, its server certificate for 127.0.0.1, and a self-signed
// certificate that no client trusts. Made once per process with fresh keys, so no
// fixture can expire.
struct Certificates {
    EVP_PKEY* caKey {nullptr};
    X509* ca {nullptr};
    EVP_PKEY* serverKey {nullptr};
    X509* server {nullptr};
    EVP_PKEY* strangerKey {nullptr};
    X509* stranger {nullptr};
    std::string caFile;

    Certificates() {
        caKey = EVP_EC_gen("P-256");
        ca = make(caKey, "Quillaby Test Authority", nullptr, caKey, true);
        serverKey = EVP_EC_gen("P-256");
        server = make(serverKey, "127.0.0.1", ca, caKey, false);
        strangerKey = EVP_EC_gen("P-256");
        stranger = make(strangerKey, "127.0.0.1", nullptr, strangerKey, false);
        if (!caKey || !ca || !serverKey || !server || !strangerKey || !stranger)
            throw std::runtime_error("LoopbackServer: cannot make test certificates");

        std::string pattern
            = (std::filesystem::temp_directory_path() / "quillaby-ca-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("LoopbackServer: cannot make a folder for the test authority");
        folder_ = pattern;
        caFile = (folder_ / "test-ca.pem").string();
        FILE* file = std::fopen(caFile.c_str(), "w");
        if (!file || !PEM_write_X509(file, ca))
            throw std::runtime_error("LoopbackServer: cannot write the test authority");
        std::fclose(file);
    }

    ~Certificates() {
        X509_free(ca);
        X509_free(server);
        X509_free(stranger);
        EVP_PKEY_free(caKey);
        EVP_PKEY_free(serverKey);
        EVP_PKEY_free(strangerKey);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    static X509* make(
        EVP_PKEY* key, char const* commonName, X509* issuer, EVP_PKEY* issuerKey, bool authority) {
        X509* cert = X509_new();
        if (!cert || !key)
            return nullptr;
        static long serial = 1;
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), ++serial);
        X509_gmtime_adj(X509_getm_notBefore(cert), -24 * 3600);
        X509_gmtime_adj(X509_getm_notAfter(cert), 30 * 24 * 3600);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
            reinterpret_cast<unsigned char const*>(commonName), -1, -1, 0);
        X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);

        X509V3_CTX context;
        X509V3_set_ctx_nodb(&context);
        X509V3_set_ctx(&context, issuer ? issuer : cert, cert, nullptr, nullptr, 0);
        auto addExtension = [&](int nid, char const* value) {
            X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
            if (extension) {
                X509_add_ext(cert, extension, -1);
                X509_EXTENSION_free(extension);
            }
        };
        if (authority) {
            addExtension(NID_basic_constraints, "critical,CA:TRUE");
            addExtension(NID_key_usage, "critical,keyCertSign,cRLSign");
        } else {
            addExtension(NID_basic_constraints, "CA:FALSE");
            addExtension(NID_subject_alt_name, "IP:127.0.0.1");
            addExtension(NID_ext_key_usage, "serverAuth");
        }
        if (!X509_sign(cert, issuerKey, EVP_sha256())) {
            X509_free(cert);
            return nullptr;
        }
        return cert;
    }

private:
    std::filesystem::path folder_;
};

Certificates& certificates() {
    static Certificates shared;
    return shared;
}

// A connection's byte stream, plain or TLS, over a non-blocking socket. Every
// wait also watches the server's wake descriptor, so stopping ends it at once.
class Stream {
public:
    Stream(int fd, int wake, SSL_CTX* context)
        : fd_(fd)
        , wake_(wake) {
        if (context) {
            ssl_ = SSL_new(context);
            SSL_set_fd(ssl_, fd_);
        }
    }
    ~Stream() {
        if (ssl_)
            SSL_free(ssl_);
        ::close(fd_);
    }

    bool handshake() {
        if (!ssl_)
            return true;
        for (;;) {
            int result = SSL_accept(ssl_);
            if (result == 1)
                return true;
            if (!waitFor(SSL_get_error(ssl_, result)))
                return false;
        }
    }

    // Bytes read, 0 at the end of the stream, -1 on error or stop.
    long read(char* buffer, std::size_t size) {
        for (;;) {
            if (ssl_) {
                int result = SSL_read(ssl_, buffer, int(size));
                if (result > 0)
                    return result;
                int error = SSL_get_error(ssl_, result);
                if (error == SSL_ERROR_ZERO_RETURN)
                    return 0;
                if (!waitFor(error))
                    return -1;
            } else {
                long result = ::recv(fd_, buffer, size, 0);
                if (result >= 0)
                    return result;
                if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                    return -1;
                if (!wait(POLLIN))
                    return -1;
            }
        }
    }

    bool write(std::string_view bytes) {
        while (!bytes.empty()) {
            if (ssl_) {
                int result = SSL_write(ssl_, bytes.data(), int(bytes.size()));
                if (result > 0) {
                    bytes.remove_prefix(std::size_t(result));
                    continue;
                }
                if (!waitFor(SSL_get_error(ssl_, result)))
                    return false;
            } else {
                long result = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
                if (result >= 0) {
                    bytes.remove_prefix(std::size_t(result));
                    continue;
                }
                if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                    return false;
                if (!wait(POLLOUT))
                    return false;
            }
        }
        return true;
    }

    // Closes at once, without a TLS close message: the peer sees the connection drop.
    void drop() { ::shutdown(fd_, SHUT_RDWR); }

private:
    bool waitFor(int sslError) {
        if (sslError == SSL_ERROR_WANT_READ)
            return wait(POLLIN);
        if (sslError == SSL_ERROR_WANT_WRITE)
            return wait(POLLOUT);
        return false;
    }

    bool wait(short events) {
        pollfd fds[2] = {{fd_, events, 0}, {wake_, POLLIN, 0}};
        for (;;) {
            int result = ::poll(fds, 2, -1);
            if (result < 0 && errno == EINTR)
                continue;
            if (result < 0 || (fds[1].revents & POLLIN))
                return false;
            return true;
        }
    }

    int fd_;
    int wake_;
    SSL* ssl_ {nullptr};
};

// Reads requests off a stream, keeping bytes of a following request.
class RequestReader {
public:
    explicit RequestReader(Stream& stream)
        : stream_(stream) { }

    // False when the peer closed or the request cannot be read.
    bool next(HttpRequest& request, bool& continueExpected) {
        auto headerEnd = std::string::npos;
        while ((headerEnd = buffer_.find("\r\n\r\n")) == std::string::npos) {
            if (buffer_.size() > 64 * 1024 || !fill())
                return false;
        }
        std::string head = buffer_.substr(0, headerEnd);
        buffer_.erase(0, headerEnd + 4);

        auto lineEnd = head.find("\r\n");
        std::string requestLine = head.substr(0, lineEnd);
        auto firstSpace = requestLine.find(' ');
        auto secondSpace = requestLine.rfind(' ');
        if (firstSpace == std::string::npos || secondSpace == firstSpace)
            return false;
        request.method = requestLine.substr(0, firstSpace);
        request.target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);
        version_ = requestLine.substr(secondSpace + 1);
        auto question = request.target.find('?');
        request.path = request.target.substr(0, question);
        request.query = question == std::string::npos ? "" : request.target.substr(question + 1);

        std::size_t position = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
        while (position < head.size()) {
            auto end = head.find("\r\n", position);
            if (end == std::string::npos)
                end = head.size();
            std::string_view line(head.data() + position, end - position);
            auto colon = line.find(':');
            if (colon != std::string_view::npos)
                request.headers.add(
                    std::string(line.substr(0, colon)), trim(line.substr(colon + 1)));
            position = end + 2;
        }

        continueExpected = equalsIgnoringCase(request.headers.get("Expect"), "100-continue");
        return true;
    }

    bool readBody(HttpRequest& request) {
        if (equalsIgnoringCase(request.headers.get("Transfer-Encoding"), "chunked"))
            return readChunkedBody(request.body);
        std::string lengthText = request.headers.get("Content-Length");
        std::size_t length = lengthText.empty() ? 0 : std::stoul(lengthText);
        while (buffer_.size() < length) {
            if (!fill())
                return false;
        }
        request.body = buffer_.substr(0, length);
        buffer_.erase(0, length);
        return true;
    }

    bool keepAlive(HttpRequest const& request) const {
        std::string connection = request.headers.get("Connection");
        if (equalsIgnoringCase(connection, "close"))
            return false;
        return version_ != "HTTP/1.0" || equalsIgnoringCase(connection, "keep-alive");
    }

private:
    bool readLine(std::string& line) {
        std::size_t end;
        while ((end = buffer_.find("\r\n")) == std::string::npos) {
            if (!fill())
                return false;
        }
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 2);
        return true;
    }

    bool readChunkedBody(std::string& body) {
        for (;;) {
            std::string line;
            if (!readLine(line))
                return false;
            std::size_t size = std::strtoul(line.c_str(), nullptr, 16);
            if (size == 0) {
                // Trailers end with an empty line.
                do {
                    if (!readLine(line))
                        return false;
                } while (!line.empty());
                return true;
            }
            while (buffer_.size() < size + 2) {
                if (!fill())
                    return false;
            }
            body.append(buffer_, 0, size);
            buffer_.erase(0, size + 2);
        }
    }

    bool fill() {
        char chunk[16384];
        long count = stream_.read(chunk, sizeof chunk);
        if (count <= 0)
            return false;
        buffer_.append(chunk, std::size_t(count));
        return true;
    }

    Stream& stream_;
    std::string buffer_;
    std::string version_;
};

}

void HttpHeaders::set(std::string const& name, std::string value) {
    std::erase_if(
        entries_, [&](auto const& entry) { return equalsIgnoringCase(entry.first, name); });
    entries_.emplace_back(name, std::move(value));
}

std::string HttpHeaders::get(std::string_view name) const {
    auto const* value = find(name);
    return value ? *value : std::string();
}

std::string const* HttpHeaders::find(std::string_view name) const {
    for (auto const& [key, value] : entries_) {
        if (equalsIgnoringCase(key, name))
            return &value;
    }
    return nullptr;
}

std::vector<std::string> HttpHeaders::all(std::string_view name) const {
    std::vector<std::string> values;
    for (auto const& [key, value] : entries_) {
        if (equalsIgnoringCase(key, name))
            values.push_back(value);
    }
    return values;
}

void Gate::open() {
    {
        std::lock_guard lock(mutex_);
        open_ = true;
    }
    opened_.notify_all();
}

bool Gate::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

bool Gate::wait(std::atomic<bool> const& stop) {
    std::unique_lock lock(mutex_);
    // Polled in short steps as well, since stopping does not notify every gate.
    while (!open_ && !stop.load())
        opened_.wait_for(lock, std::chrono::milliseconds(20));
    return open_;
}

HttpResponse HttpResponse::text(std::string body, int status, std::string contentType) {
    HttpResponse response;
    response.status = status;
    response.headers.add("Content-Type", std::move(contentType));
    response.body(std::move(body));
    return response;
}

HttpResponse HttpResponse::redirect(int status, std::string location) {
    HttpResponse response;
    response.status = status;
    response.headers.add("Location", std::move(location));
    response.headers.add("Content-Type", "text/plain");
    response.body("redirecting");
    return response;
}

HttpResponse HttpResponse::dropped() {
    HttpResponse response;
    response.drop = true;
    return response;
}

LoopbackServer::LoopbackServer(Tls tls)
    : tls_(tls) {
    // A client that hangs up in the middle of a TLS reply would raise SIGPIPE in the
    // writing thread (OpenSSL writes with plain write()); a closed peer is an ordinary
    // event for a test server, so the signal is ignored for the whole test program.
    std::signal(SIGPIPE, SIG_IGN);
    if (tls_ != Tls::None) {
        auto& certs = certificates();
        SSL_CTX* context = SSL_CTX_new(TLS_server_method());
        bool trusted = tls_ == Tls::Trusted;
        if (!context
            || SSL_CTX_use_certificate(context, trusted ? certs.server : certs.stranger) != 1
            || SSL_CTX_use_PrivateKey(context, trusted ? certs.serverKey : certs.strangerKey) != 1)
            throw std::runtime_error("LoopbackServer: cannot set up TLS");
        sslContext_ = context;
    }

    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    wake_ = ::eventfd(0, EFD_CLOEXEC);
    if (listener_ < 0 || wake_ < 0)
        throw std::runtime_error("LoopbackServer: cannot make sockets");
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener_, 64) != 0
        || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("LoopbackServer: cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(wake_, &one, sizeof one);
    acceptor_.join();
    // The acceptor has ended, so no thread is added any more.
    for (auto& thread : threads_)
        thread.join();
    ::close(listener_);
    ::close(wake_);
    SSL_CTX_free(static_cast<SSL_CTX*>(sslContext_));
}

std::string LoopbackServer::baseURL() const {
    return (tls_ == Tls::None ? "http://127.0.0.1:" : "https://127.0.0.1:") + std::to_string(port_);
}

void LoopbackServer::route(std::string method, std::string path, Handler handler) {
    std::lock_guard lock(mutex_);
    routes_[{std::move(method), std::move(path)}] = std::move(handler);
}

void LoopbackServer::route(std::string method, std::string path, HttpResponse response) {
    route(std::move(method), std::move(path),
        [response = std::move(response)](HttpRequest const&) { return response; });
}

LoopbackServer::Handler LoopbackServer::basicAuth(
    std::string user, std::string password, HttpResponse ok, std::string realm) {
    std::string expected = "Basic " + base64(user + ":" + password);
    return [expected, ok = std::move(ok), realm = std::move(realm)](HttpRequest const& request) {
        if (request.headers.get("Authorization") == expected)
            return ok;
        auto refusal = HttpResponse::text("authentication required", 401);
        refusal.headers.add("WWW-Authenticate", "Basic realm=\"" + realm + "\"");
        return refusal;
    };
}

LoopbackServer::Handler LoopbackServer::ranged(std::string content, std::string contentType) {
    return [content = std::move(content), contentType = std::move(contentType)](
               HttpRequest const& request) {
        HttpResponse response;
        response.headers.add("Content-Type", contentType);
        response.headers.add("Accept-Ranges", "bytes");
        std::string range = request.headers.get("Range");
        std::size_t size = content.size();
        if (range.rfind("bytes=", 0) != 0 || range.find(',') != std::string::npos) {
            response.body(content);
            return response;
        }
        std::string spec = range.substr(6);
        auto dash = spec.find('-');
        if (dash == std::string::npos) {
            response.body(content);
            return response;
        }
        std::string firstText = spec.substr(0, dash);
        std::string lastText = spec.substr(dash + 1);
        std::size_t first = 0;
        std::size_t last = size ? size - 1 : 0;
        if (firstText.empty()) {
            std::size_t suffix = std::stoul(lastText);
            first = suffix >= size ? 0 : size - suffix;
        } else {
            first = std::stoul(firstText);
            if (!lastText.empty())
                last = std::min(last, std::size_t(std::stoul(lastText)));
        }
        if (first >= size || first > last) {
            response.status = 416;
            response.headers.add("Content-Range", "bytes */" + std::to_string(size));
            return response;
        }
        response.status = 206;
        response.headers.add("Content-Range",
            "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/"
                + std::to_string(size));
        response.body(content.substr(first, last - first + 1));
        return response;
    };
}

std::vector<HttpRequest> LoopbackServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackServer::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

void LoopbackServer::clearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

bool LoopbackServer::waitForRequests(std::size_t count, double timeoutSeconds) const {
    std::unique_lock lock(mutex_);
    return requestArrived_.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
        [&] { return requests_.size() >= count; });
}

std::string LoopbackServer::caFile() {
    return certificates().caFile;
}

void LoopbackServer::acceptLoop() {
    int next = 0;
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_, POLLIN, 0}};
        int result = ::poll(fds, 2, -1);
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0 || (fds[1].revents & POLLIN))
            return;
        int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ++connections_;
        std::lock_guard lock(mutex_);
        threads_.emplace_back([this, fd, number = ++next] { serve(fd, number); });
    }
}

bool LoopbackServer::pause(double seconds) {
    std::unique_lock lock(mutex_);
    if (std::isinf(seconds)) {
        stopped_.wait(lock, [&] { return stopping_.load(); });
        return false;
    }
    return !stopped_.wait_for(
        lock, std::chrono::duration<double>(seconds), [&] { return stopping_.load(); });
}

HttpResponse LoopbackServer::answer(HttpRequest const& request) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        auto found = routes_.find({request.method, request.path});
        if (found == routes_.end())
            found = routes_.find({"*", request.path});
        if (found != routes_.end())
            handler = found->second;
    }
    if (!handler)
        return HttpResponse::text("not found", 404);
    try {
        return handler(request);
    } catch (std::exception const& error) {
        return HttpResponse::text(std::string("handler failed: ") + error.what(), 500);
    }
}

void LoopbackServer::serve(int fd, int number) {
    Stream stream(fd, wake_, static_cast<SSL_CTX*>(sslContext_));
    if (!stream.handshake())
        return;
    RequestReader reader(stream);
    for (;;) {
        HttpRequest request;
        request.connection = number;
        bool continueExpected = false;
        if (!reader.next(request, continueExpected))
            return;
        if (continueExpected && !stream.write("HTTP/1.1 100 Continue\r\n\r\n"))
            return;
        if (!reader.readBody(request))
            return;
        bool keepAlive = reader.keepAlive(request);
        bool head = request.method == "HEAD";
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        requestArrived_.notify_all();

        HttpResponse response = answer(request);
        if (response.delay > 0 && !pause(response.delay))
            return;
        if (response.drop) {
            stream.drop();
            return;
        }

        std::size_t length = 0;
        for (auto const& piece : response.pieces)
            length += piece.bytes.size();
        bool cutShort = response.announcedLength && *response.announcedLength > length;
        if (cutShort)
            keepAlive = false;

        // A status that carries no body (1xx, 204, 304) is sent without one: bytes after
        // its head would be read as the start of the next reply on the connection.
        bool bodiless = response.status == 204 || response.status == 304
            || (response.status >= 100 && response.status < 200);

        std::string headLines = "HTTP/1.1 " + std::to_string(response.status) + " "
            + (response.reason.empty() ? reasonPhrase(response.status) : response.reason) + "\r\n";
        for (auto const& [name, value] : response.headers.entries())
            headLines += name + ": " + value + "\r\n";
        if (response.chunked)
            headLines += "Transfer-Encoding: chunked\r\n";
        else if (!response.headers.has("Content-Length") && response.status != 204
            && !(response.status >= 100 && response.status < 200))
            headLines += "Content-Length: "
                + std::to_string(response.announcedLength.value_or(length)) + "\r\n";
        if (!keepAlive)
            headLines += "Connection: close\r\n";
        headLines += "\r\n";
        if (!stream.write(headLines))
            return;

        if (!head && !bodiless) {
            for (auto const& piece : response.pieces) {
                if (piece.delayBefore > 0 && !pause(piece.delayBefore))
                    return;
                if (piece.gateBefore && !piece.gateBefore->wait(stopping_))
                    return;
                if (piece.bytes.empty())
                    continue;
                if (response.chunked) {
                    char size[32];
                    std::snprintf(size, sizeof size, "%zx\r\n", piece.bytes.size());
                    if (!stream.write(size) || !stream.write(piece.bytes) || !stream.write("\r\n"))
                        return;
                } else if (!stream.write(piece.bytes)) {
                    return;
                }
            }
            if (response.chunked && !stream.write("0\r\n\r\n"))
                return;
        }
        if (cutShort) {
            stream.drop();
            return;
        }
        if (!keepAlive)
            return;
    }
}

}
