#pragma once

namespace engine {

class Action;
class ActionManager;
class Animation;
class AnimationProtocol;
class AtlasAnimation;
class AtlasNode;
class AtlasSprite;
class AtlasSpriteFrame;
class AtlasSpriteManager;
class Camera;
class Director;
class DirectorServices;
class EAGLView;
class EAGLViewDelegate;
class FastDirector;
class FileUtils;
class FiniteTimeAction;
class FrameSettable;
class GridBase;
class IntervalAction;
class PVRTexture;
class RGBAProtocol;
class SceneNode;
class Scheduler;
class Selector;
class Sprite;
class SpriteSheet;
class StaticFileCache;
class Texture2D;
class TextureAtlas;
class TextureMgr;
class TextureNode;
class TextureProtocol;
class Timer;
class ViewRenderer;

struct BlendFunc;
struct V3F_C4B_T2F_Quad;

}
