#pragma once

namespace ui {

class Application;
class ApplicationDelegate;
class ApplicationRunner;
class Event;
class Responder;
class Screen;
class Touch;
class TouchScript;
class TouchSet;
class View;
class Window;

}
