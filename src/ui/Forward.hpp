#pragma once

namespace ui {

class Application;
class ApplicationDelegate;
class Event;
class Responder;
class Touch;
class TouchSet;
class View;
class Window;

}
