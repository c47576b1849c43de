#pragma once

namespace engine {

class Action;
class ActionManager;
class Camera;
class DirectorServices;
class GridBase;
class SceneNode;
class Scheduler;
class Selector;
class Timer;

}
