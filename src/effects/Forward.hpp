#pragma once

namespace effects {

class AccelAmplitude;
class AccelDeccelAmplitude;
class CGPointObject;
class DeccelAmplitude;
class Grabber;
class Grid3D;
class Grid3DAction;
class GridAction;
class GridBase;
class OrientedTransitionScene;
class ParallaxNode;
class RenderTexture;
class TiledGrid3D;
class TiledGrid3DAction;
class TransitionScene;

struct ccGridSize;
struct ccQuad3;
struct ccVertex3F;

}
