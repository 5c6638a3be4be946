// The flat textured quads of the game scene and the two bases of everything the
// game spawns. Every quad is one engine mesh made from the shared model
// "Data\sprite.x", lying in the plane z = 0; 40 picture pixels make one world unit.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/EngineHandles.h"

namespace gh {

class TGame;

// A quad: its mesh, the centre it was last told and whether it is hidden.
// Owners write X and Y and then push them with Show, UpdatePosition or Animate.
class TBaseSprite {
 public:
  TBaseSprite(const TBaseSprite&) = delete;
  TBaseSprite& operator=(const TBaseSprite&) = delete;
  virtual ~TBaseSprite();

  void Hide();
  // Also re-sends the stored position.
  void Show();

  MeshHandle Mesh;
  float X = 0;
  float Y = 0;
  bool Hidden = true;

 protected:
  TBaseSprite();
};

// One picture below "Data\Game\" (Name includes the extension), at its pixel size.
class TStaticSprite : public TBaseSprite {
 public:
  TStaticSprite(const std::string& name, float x, float y, bool visible);

  virtual void UpdatePosition();

  // The picture goes with its sprite (before the mesh): a game builds its
  // scene anew each time, so keeping textures would pile them up game after game.
  TextureHandle Texture;
};

// A row of pictures First.png ... Last.png in the folder "Data\Game\" + Name,
// played in a loop. Created hidden at x = 0.
class TAniSprite : public TBaseSprite {
 public:
  TAniSprite(const std::string& name, float scale, float y, float step, uint8_t first, uint8_t last,
             uint16_t delay);

  // Advances at most one picture, and only when more than Delay engine ticks
  // have passed since the last advance (the first call after creation advances
  // at once); each advance moves X by Step. Always places the mesh. True on the
  // call that wrapped back to the first picture.
  virtual bool Animate();

  std::vector<TextureHandle> Frames;  // freed in order, before the mesh
  uint8_t Frame = 0;
  uint8_t LastFrame = 0;
  float Step = 0;
  float ScaleX = 0;
  float ScaleY = 0;
  uint32_t Delay = 0;
  uint32_t LastTick = 0;
};

// Base of terrorists and vehicles. A listed enemy is in its game's EnemyList and
// counts in its ActiveEnemies while active. State 255 means inactive.
class TBaseEnemy {
 public:
  TBaseEnemy(const TBaseEnemy&) = delete;
  TBaseEnemy& operator=(const TBaseEnemy&) = delete;
  virtual ~TBaseEnemy();

  // Subclasses test their own conditions first and call this base part only
  // when they really come on.
  virtual void Activate();
  // One frame of behaviour; called only while active.
  virtual void Update() = 0;
  // Subclasses call this base part first and then hide their sprites.
  virtual void Deactivate();

  TGame& Owner;
  int8_t Kind = 0;
  uint8_t State = 255;
  int16_t Health = 0;
  bool Listed = false;

 protected:
  TBaseEnemy(TGame& game, bool listed);
};

// Base of the bonus boxes: the same with BonusList and ActiveBonuses.
class TBaseBonus {
 public:
  TBaseBonus(const TBaseBonus&) = delete;
  TBaseBonus& operator=(const TBaseBonus&) = delete;
  virtual ~TBaseBonus();

  virtual void Activate();
  virtual void Update() = 0;
  virtual void Deactivate();

  TGame& Owner;
  int8_t Kind = 0;
  uint8_t State = 255;
  int16_t Health = 0;
  bool Listed = false;

 protected:
  TBaseBonus(TGame& game, bool listed);
};

// The pixel size of a picture, 0 x 0 when it cannot be read (a missing picture
// then makes an empty quad instead of stopping the game).
void PictureSize(const std::string& file, uint16_t& width, uint16_t& height);

}  // namespace gh
