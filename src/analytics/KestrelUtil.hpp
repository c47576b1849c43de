#pragma once

#include <foundation/Format.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Forward.hpp>

#include <base/Value.hpp>

#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace analytics {

// The analytics agent's toolbox, shared with its ad extension: the two logging
// switches, the swallowing of caught exceptions, orientation and screen-size tests
// and two small collection and number helpers. Class-only. The switches may be
// read from any thread; the orientation and screen tests read the application and
// belong to the main thread.
class KestrelUtil final {
public:
    KestrelUtil() = delete;

    static void setDebugLogEnabled(bool enabled);
    static bool isDebugLogEnabled();
    static void setShowErrorInLogEnabled(bool enabled);
    static bool isShowErrorInLogEnabled();

    // Writes the line only when debug logging is on.
    template<typename... A> static void debugLog(foundation::FormatText text, A const&... args) {
        if (isDebugLogEnabled())
            foundation::log(text, args...);
    }

    // Swallows what an operation of the agent caught, describing it in the log
    // when both show-errors and debug logging are on; the caller goes on normally.
    // A base::Exception is an exception (name, reason); a std::system_error an
    // error (code, domain); anything else is described as itself.
    static void handleException(std::exception_ptr caught);
    // Anything that is neither an exception nor an error.
    static void handleException(base::Value const& object);

    static bool isIPad();

    static bool canvasInLandscapeRight();
    static bool canvasInLandscapeLeft();
    static bool canvasInPortraitUpsideDown();
    static bool canvasInLandscape();
    // By orientation name, ignoring case ("landscapeRight", "landscapeLeft",
    // "portraitUpsideDown"); with no name, the current orientation.
    static bool canvasInLandscapeRight(std::optional<std::string_view> name);
    static bool canvasInLandscapeLeft(std::optional<std::string_view> name);
    static bool canvasInPortraitUpsideDown(std::optional<std::string_view> name);
    static bool canvasInLandscape(std::optional<std::string_view> name);
    // "landscapeRight", "landscapeLeft", "portraitUpsideDown" or "portrait".
    static std::string getCanvasOrientation();

    // At 0,0, 320 x 480.1 (768 x 1024.1 on a pad), width and height swapped in
    // landscape.
    static graphics::Rect screenBounds();
    static graphics::Rect screenBounds(std::optional<std::string_view> name);

    // Takes the view out of its superview; none does nothing.
    static void removeViewFromSuperview(ui::View* view);

    // The number a decimal number formatter reads from the whole text (leading and
    // trailing spaces allowed, grouping commas taken), or none.
    static std::optional<double> convertStrToNum(std::string_view string);

    // Adds the object unless the set holds it; whether it was added.
    template<typename Set, typename T> static bool addToSet(Set& set, T const& object) {
        return set.insert(object).second;
    }
};

}
