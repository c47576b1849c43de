#include <foundation/HTTPCookieStorage.hpp>

#include <foundation/Clock.hpp>
#include <foundation/URLParts.hpp>

#include <algorithm>

namespace foundation {

HTTPCookieStorage& HTTPCookieStorage::sharedHTTPCookieStorage() {
    static HTTPCookieStorage shared;
    return shared;
}

void HTTPCookieStorage::dropExpired(double now) const {
    std::erase_if(cookies_, [&](HTTPCookie const& cookie) { return cookie.isExpired(now); });
}

void HTTPCookieStorage::setCookie(HTTPCookie const& cookie) {
    double now = Clock::current().wallTime();
    std::lock_guard lock(mutex_);
    auto same = std::find_if(cookies_.begin(), cookies_.end(),
        [&](HTTPCookie const& stored) { return stored.sameIdentity(cookie); });
    if (cookie.isExpired(now)) {
        if (same != cookies_.end())
            cookies_.erase(same);
        return;
    }
    if (same != cookies_.end())
        *same = cookie;
    else
        cookies_.push_back(cookie);
}

void HTTPCookieStorage::setCookies(
    std::vector<HTTPCookie> const& cookies, std::string_view, std::string_view) {
    for (auto const& cookie : cookies)
        setCookie(cookie);
}

void HTTPCookieStorage::deleteCookie(HTTPCookie const& cookie) {
    std::lock_guard lock(mutex_);
    std::erase_if(cookies_, [&](HTTPCookie const& stored) { return stored.sameIdentity(cookie); });
}

void HTTPCookieStorage::removeAllCookies() {
    std::lock_guard lock(mutex_);
    cookies_.clear();
}

std::vector<HTTPCookie> HTTPCookieStorage::cookies() const {
    double now = Clock::current().wallTime();
    std::lock_guard lock(mutex_);
    dropExpired(now);
    return cookies_;
}

std::vector<HTTPCookie> HTTPCookieStorage::cookiesForURL(std::string_view url) const {
    std::vector<HTTPCookie> matching;
    auto parts = URLParts::parse(url);
    if (!parts)
        return matching;
    double now = Clock::current().wallTime();
    {
        std::lock_guard lock(mutex_);
        dropExpired(now);
        for (auto const& cookie : cookies_) {
            if (cookie.appliesTo(*parts))
                matching.push_back(cookie);
        }
    }
    std::stable_sort(matching.begin(), matching.end(),
        [](HTTPCookie const& a, HTTPCookie const& b) { return a.path.size() > b.path.size(); });
    return matching;
}

}
