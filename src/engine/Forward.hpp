#pragma once

namespace engine {

class Action;
class ActionManager;
class AnimationProtocol;
class Camera;
class Director;
class DirectorServices;
class EAGLView;
class EAGLViewDelegate;
class FastDirector;
class FiniteTimeAction;
class FrameSettable;
class GridBase;
class IntervalAction;
class RGBAProtocol;
class SceneNode;
class Scheduler;
class Selector;
class Timer;

}
