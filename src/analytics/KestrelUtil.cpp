#include <analytics/KestrelUtil.hpp>

#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/View.hpp>

#include <base/Exception.hpp>
#include <base/Log.hpp>

#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace analytics {

namespace {

std::atomic<bool> debugLogEnabled {false};
std::atomic<bool> showErrorInLogEnabled {false};

constexpr char const* hyphenLine = "Kestrel: -----------------------------------------";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i]))
            != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

ui::InterfaceOrientation statusBarOrientation() {
    return ui::Application::sharedApplication().statusBarOrientation();
}

bool describesErrors() {
    return showErrorInLogEnabled.load() && debugLogEnabled.load();
}

}

void KestrelUtil::setDebugLogEnabled(bool enabled) {
    debugLogEnabled.store(enabled);
}

bool KestrelUtil::isDebugLogEnabled() {
    return debugLogEnabled.load();
}

void KestrelUtil::setShowErrorInLogEnabled(bool enabled) {
    showErrorInLogEnabled.store(enabled);
}

bool KestrelUtil::isShowErrorInLogEnabled() {
    return showErrorInLogEnabled.load();
}

void KestrelUtil::handleException(std::exception_ptr caught) {
    if (!caught || !describesErrors())
        return;
    try {
        std::rethrow_exception(caught);
    } catch (base::Exception const& exception) {
        base::logLine("Kestrel: Caught Exception in Kestrel Analytics Code");
        base::logLine(hyphenLine);
        foundation::log("Kestrel: Name:%@ Reason:%@", exception.name(), exception.reason());
        foundation::log("Kestrel: %@", nullptr);
    } catch (std::system_error const& error) {
        base::logLine("Kestrel: Caught Error in Kestrel Analytics Code");
        base::logLine(hyphenLine);
        foundation::log(
            "Kestrel: Code:%d Domain:%@", error.code().value(), error.code().category().name());
        foundation::log("Kestrel: %@", error.what());
    } catch (std::exception const& other) {
        base::logLine("Kestrel: Caught Error in Kestrel Analytics Code");
        foundation::log("Kestrel: %@", other.what());
    } catch (...) {
        base::logLine("Kestrel: Caught Error in Kestrel Analytics Code");
        base::logLine("Kestrel: (unknown)");
    }
}

void KestrelUtil::handleException(base::Value const& object) {
    if (!describesErrors())
        return;
    base::logLine("Kestrel: Caught Error in Kestrel Analytics Code");
    foundation::log("Kestrel: %@", object);
}

bool KestrelUtil::isIPad() {
    return ui::Device::currentDevice().isPad();
}

bool KestrelUtil::canvasInLandscapeRight() {
    return statusBarOrientation() == ui::InterfaceOrientation::LandscapeRight;
}

bool KestrelUtil::canvasInLandscapeLeft() {
    return statusBarOrientation() == ui::InterfaceOrientation::LandscapeLeft;
}

bool KestrelUtil::canvasInPortraitUpsideDown() {
    return statusBarOrientation() == ui::InterfaceOrientation::PortraitUpsideDown;
}

bool KestrelUtil::canvasInLandscape() {
    return canvasInLandscapeRight() || canvasInLandscapeLeft();
}

bool KestrelUtil::canvasInLandscapeRight(std::optional<std::string_view> name) {
    return name ? equalsIgnoringCase(*name, "landscapeRight") : canvasInLandscapeRight();
}

bool KestrelUtil::canvasInLandscapeLeft(std::optional<std::string_view> name) {
    return name ? equalsIgnoringCase(*name, "landscapeLeft") : canvasInLandscapeLeft();
}

bool KestrelUtil::canvasInPortraitUpsideDown(std::optional<std::string_view> name) {
    return name ? equalsIgnoringCase(*name, "portraitUpsideDown") : canvasInPortraitUpsideDown();
}

bool KestrelUtil::canvasInLandscape(std::optional<std::string_view> name) {
    return canvasInLandscapeRight(name) || canvasInLandscapeLeft(name);
}

std::string KestrelUtil::getCanvasOrientation() {
    if (canvasInLandscapeRight())
        return "landscapeRight";
    if (canvasInLandscapeLeft())
        return "landscapeLeft";
    if (canvasInPortraitUpsideDown())
        return "portraitUpsideDown";
    return "portrait";
}

namespace {

graphics::Rect boundsFor(bool landscape) {
    bool pad = KestrelUtil::isIPad();
    float width = pad ? 768.0f : 320.0f;
    float height = pad ? 1024.1f : 480.1f;
    if (landscape)
        std::swap(width, height);
    return {{0, 0}, {width, height}};
}

}

graphics::Rect KestrelUtil::screenBounds() {
    return boundsFor(canvasInLandscape());
}

graphics::Rect KestrelUtil::screenBounds(std::optional<std::string_view> name) {
    if (!name)
        return screenBounds();
    return boundsFor(canvasInLandscape(name));
}

void KestrelUtil::removeViewFromSuperview(ui::View* view) {
    if (view)
        view->removeFromSuperview();
}

std::optional<double> KestrelUtil::convertStrToNum(std::string_view string) {
    std::size_t begin = 0;
    std::size_t end = string.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(string[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(string[end - 1])))
        --end;
    // A decimal number: an optional sign, digits (with grouping commas between
    // them), an optional fraction and an optional exponent; nothing else.
    std::string plain;
    std::size_t i = begin;
    if (i < end && (string[i] == '-' || string[i] == '+'))
        plain += string[i++];
    bool digits = false;
    for (; i < end; ++i) {
        char c = string[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            plain += c;
            digits = true;
        } else if (c == ',' && digits && i + 1 < end
            && std::isdigit(static_cast<unsigned char>(string[i + 1]))) {
            continue;
        } else {
            break;
        }
    }
    if (i < end && string[i] == '.') {
        plain += string[i++];
        for (; i < end && std::isdigit(static_cast<unsigned char>(string[i])); ++i) {
            plain += string[i];
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    if (i < end && (string[i] == 'e' || string[i] == 'E')) {
        std::size_t mark = i;
        std::string exponent = "e";
        ++i;
        if (i < end && (string[i] == '-' || string[i] == '+'))
            exponent += string[i++];
        bool exponentDigits = false;
        for (; i < end && std::isdigit(static_cast<unsigned char>(string[i])); ++i) {
            exponent += string[i];
            exponentDigits = true;
        }
        if (!exponentDigits)
            i = mark;
        else
            plain += exponent;
    }
    if (i != end)
        return std::nullopt;
    double value = std::strtod(plain.c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

}
