#pragma once

#include <foundation/HTTPCookie.hpp>

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// The process's cookie jar. URL loading reads it for requests that handle
// cookies and stores what their replies set; code may set and read cookies too.
// Kept in memory for the life of the process. Safe on any thread.
class HTTPCookieStorage {
public:
    static HTTPCookieStorage& sharedHTTPCookieStorage();

    // Stores cookie, replacing one of the same name, domain and path; an expired
    // cookie deletes that one instead.
    void setCookie(HTTPCookie const& cookie);
    // Stores cookies that a reply from url set. The main document URL is
    // accepted for the platform's form and not used: every cookie is accepted.
    void setCookies(std::vector<HTTPCookie> const& cookies, std::string_view url,
        std::string_view mainDocumentURL = {});
    void deleteCookie(HTTPCookie const& cookie);
    void removeAllCookies();

    // Every unexpired cookie, oldest first.
    std::vector<HTTPCookie> cookies() const;
    // The unexpired cookies that go with a request to url, longest path first.
    std::vector<HTTPCookie> cookiesForURL(std::string_view url) const;

private:
    void dropExpired(double now) const;

    mutable std::mutex mutex_;
    mutable std::vector<HTTPCookie> cookies_;
};

}
