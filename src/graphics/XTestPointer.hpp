#pragma once

#include <graphics/Event.hpp>

struct SDL_Window;

namespace graphics {

// Drives the X server's own pointer over an SDL window, through the XTest extension: moves it
// to the window's pixel (x, y) and, for a beginning or an end, presses or releases its first
// button, then waits until the server has handled it, so that the window's events are there for
// the next poll. False, with nothing done, when the window is not on an X server or the
// server lacks the extension. Main thread.
bool playXTestPointer(SDL_Window* window, PointerEvent::Phase phase, int x, int y);

}
