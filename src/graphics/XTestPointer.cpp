#include <graphics/XTestPointer.hpp>

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace graphics {

namespace {

// Whether the display's server has XTest, asked once per connection.
bool hasXTest(Display* display) {
    static Display* asked = nullptr;
    static bool answer = false;
    if (display != asked) {
        int event = 0;
        int error = 0;
        int major = 0;
        int minor = 0;
        answer = XTestQueryExtension(display, &event, &error, &major, &minor) != 0;
        asked = display;
    }
    return answer;
}

}

bool playXTestPointer(SDL_Window* window, PointerEvent::Phase phase, int x, int y) {
    if (!window)
        return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    Display* display = info.info.x11.display;
    ::Window own = info.info.x11.window;
    if (!display || !hasXTest(display))
        return false;

    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, own, &attributes))
        return false;
    int rootX = 0;
    int rootY = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(display, own, attributes.root, x, y, &rootX, &rootY, &child))
        return false;
    int screen = XScreenNumberOfScreen(attributes.screen);
    XTestFakeMotionEvent(display, screen, rootX, rootY, CurrentTime);
    if (phase == PointerEvent::Phase::Began)
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
    else if (phase == PointerEvent::Phase::Ended || phase == PointerEvent::Phase::Cancelled)
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
    // The round trip returns once the server has sent the window its pointer events.
    XSync(display, False);
    return true;
}

}
