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
class MotionStreak;
class OrientedTransitionScene;
class ParallaxNode;
class ParticleExplosion;
class ParticleFire;
class ParticleFireworks;
class ParticleFlower;
class ParticleGalaxy;
class ParticleMeteor;
class ParticleRain;
class ParticleSmoke;
class ParticleSnow;
class ParticleSpiral;
class ParticleSun;
class ParticleSystem;
class PointParticleSystem;
class QuadParticleSystem;
class RenderTexture;
class Ribbon;
class RibbonSegment;
class TMXLayer;
class TMXLayerInfo;
class TMXMapInfo;
class TMXTiledMap;
class TMXTilesetInfo;
class TileMapAtlas;
class TiledGrid3D;
class TiledGrid3DAction;
class TransitionScene;

struct ccColor4F;
struct ccGridSize;
struct ccPointSprite;
struct ccQuad3;
struct ccV2F_C4F_T2F_Quad;
struct ccVertex3F;
struct sImageTGA;
struct sParticle;

}
