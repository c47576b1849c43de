#include <ads/kestrel/KestrelAdLoop.hpp>

#include <mutex>

namespace ads::kestrel {

namespace {

std::mutex urlMutex;
std::optional<std::string> canvasUrl;
std::optional<std::string> landscapeCanvasUrl;
std::optional<std::string> appStoreUrl;

}

std::optional<std::string> KestrelAdLoop::canvasURL() {
    std::lock_guard lock(urlMutex);
    return canvasUrl;
}

std::optional<std::string> KestrelAdLoop::landscapeCanvasURL() {
    std::lock_guard lock(urlMutex);
    return landscapeCanvasUrl;
}

std::optional<std::string> KestrelAdLoop::appStoreURL() {
    std::lock_guard lock(urlMutex);
    return appStoreUrl;
}

void KestrelAdLoop::setCanvasURL(std::optional<std::string> url) {
    std::lock_guard lock(urlMutex);
    canvasUrl = std::move(url);
}

void KestrelAdLoop::setLandscapeCanvasURL(std::optional<std::string> url) {
    std::lock_guard lock(urlMutex);
    landscapeCanvasUrl = std::move(url);
}

void KestrelAdLoop::setAppStoreURL(std::optional<std::string> url) {
    std::lock_guard lock(urlMutex);
    appStoreUrl = std::move(url);
}

void KestrelAdLoop::setAdServiceBaseURL(std::string const& base) {
    std::lock_guard lock(urlMutex);
    canvasUrl = base + canvasPath;
    landscapeCanvasUrl = base + landscapeCanvasPath;
    appStoreUrl = base + appStorePath;
}

void KestrelAdLoop::reset() {
    std::lock_guard lock(urlMutex);
    canvasUrl.reset();
    landscapeCanvasUrl.reset();
    appStoreUrl.reset();
}

}
