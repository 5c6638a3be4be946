// The flat textured quads of the game scene. Every quad is one engine mesh made
// from the shared model "Data\sprite.x", lying in the plane z = 0; 40 picture
// pixels make one world unit. (The engine's screen sprites are another thing:
// they lie over the scene, in screen units.)
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineHandles.h"
#include "platform/Result.h"

namespace gh {

// A quad: its mesh, the centre it was last told and whether it is hidden.
// Owners write X and Y and then push them with Show, UpdatePosition or Animate.
class Mesh {
 public:
  Mesh(const Mesh&) = delete;
  Mesh& operator=(const Mesh&) = delete;
  virtual ~Mesh();

  void Hide();
  // Also re-sends the stored position.
  void Show();
  // Sends the stored position without showing.
  void UpdatePosition();

  MeshHandle Handle;
  float X = 0;
  float Y = 0;
  bool Hidden = true;

 protected:
  Mesh();
};

// The pixel size of a picture; an Error naming the file when it cannot be read
// (missing, cut short, damaged), which stops the game's build.
struct PictureSize {
  uint16_t Width = 0;
  uint16_t Height = 0;
};
Result<PictureSize> MeasurePicture(const std::string& file);

// One picture below "Data\Game\" (name includes the extension), at its pixel size.
class StaticMesh : public Mesh {
 public:
  static Result<std::unique_ptr<StaticMesh>> Load(const std::string& name, float x, float y,
                                                  bool visible);

  // The picture goes with its quad (before the mesh): a game builds its scene
  // anew each time, so keeping textures would pile them up game after game.
  TextureHandle Texture;

 private:
  StaticMesh() = default;
};

// A row of pictures First.png ... Last.png in the folder "Data\Game\" + name,
// played in a loop. Created hidden at x = 0.
class AnimatedMesh : public Mesh {
 public:
  static Result<std::unique_ptr<AnimatedMesh>> Load(const std::string& name, float scale, float y,
                                                    float step, uint8_t first, uint8_t last,
                                                    uint16_t delay);

  // Advances at most one picture, and only when more than Delay ticks (of
  // `now`, hundredths of a second of the game's clock) have passed since the
  // last advance (the first call after creation advances at once: the game's
  // clock is past its intro by then); each advance moves X by Step. Always places the mesh. True on
  // the call that wrapped back to the first picture.
  bool Animate(uint32_t now);
  // Back to the first picture, on the mesh too, due to advance at its next
  // call as after creation.
  void Rewind();

  std::vector<TextureHandle> Frames;  // freed in order, before the mesh
  uint8_t Frame = 0;
  uint8_t LastFrame = 0;
  float Step = 0;
  float ScaleX = 0;
  float ScaleY = 0;
  uint32_t Delay = 0;
  uint32_t LastTick = 0;

 private:
  AnimatedMesh() = default;
};

}  // namespace gh
