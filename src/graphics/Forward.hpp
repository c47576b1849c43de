#pragma once

namespace graphics {

class GLContext;
class HeadlessSurface;
class Image;
class InputTranslator;
class Surface;
class TapCounter;
class WindowSurface;
struct PointerEvent;
struct KeyEvent;
struct TextEvent;
struct CloseEvent;
struct Rgba;

}
