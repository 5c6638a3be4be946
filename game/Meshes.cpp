#include "Sprites.h"

#include <algorithm>
#include <exception>

#include "Game.h"
#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"

namespace gh {

namespace {

const char* const QuadModel = "Data\\sprite.x";

void PlaceMesh(MeshRef mesh, float x, float y) {
  const iVec3 at{x, y, 0};
  iMeshLocationSet(mesh, &at);
}

}  // namespace

void PictureSize(const std::string& file, uint16_t& width, uint16_t& height) {
  try {
    GetImageSize(file, width, height);
  } catch (const std::exception&) {
    width = 0;
    height = 0;
  }
}

// ---- TBaseSprite ---------------------------------------------------------------

TBaseSprite::TBaseSprite() = default;

TBaseSprite::~TBaseSprite() = default;

void TBaseSprite::Hide() {
  Hidden = true;
  iMeshHide(Mesh);
}

void TBaseSprite::Show() {
  Hidden = false;
  PlaceMesh(Mesh, X, Y);
  iMeshShow(Mesh);
}

// ---- TStaticSprite -------------------------------------------------------------

TStaticSprite::TStaticSprite(const std::string& name, float x, float y, bool visible) {
  Mesh = iMeshCreate(QuadModel);
  const std::string file = "Data\\Game\\" + name;
  uint16_t width = 0, height = 0;
  PictureSize(file, width, height);
  Texture = iTextureCreate(file.c_str());
  X = x;
  Y = y;
  PlaceMesh(Mesh, X, Y);
  iMeshScaleSet(Mesh, PixelsToScale(width), PixelsToScale(height), 1.0f);
  iMeshTextureSet(Mesh, Texture);
  Hidden = !visible;
  if (visible) iMeshShow(Mesh);
  iMeshLocalLightsEnable(Mesh, true);
}

void TStaticSprite::UpdatePosition() { PlaceMesh(Mesh, X, Y); }

// ---- TAniSprite ----------------------------------------------------------------

TAniSprite::TAniSprite(const std::string& name, float scale, float y, float step, uint8_t first,
                       uint8_t last, uint16_t delay) {
  Mesh = iMeshCreate(QuadModel);
  const std::string folder = "Data\\Game\\" + name + "\\";
  uint16_t width = 0, height = 0;
  PictureSize(folder + std::to_string(first) + ".png", width, height);
  LastFrame = static_cast<uint8_t>(last - first);
  Delay = delay;
  Step = step;
  Frame = 0;
  ScaleX = PixelsToScale(width) * scale;
  ScaleY = PixelsToScale(height) * scale;
  Y = y;
  Hidden = true;
  Frames.resize(LastFrame + 1u);
  for (unsigned i = 0; i < Frames.size(); ++i) {
    Frames[i] = iTextureCreate((folder + std::to_string(first + i) + ".png").c_str());
  }
  PlaceMesh(Mesh, 0, Y);
  iMeshScaleSet(Mesh, ScaleX, ScaleY, 1.0f);
  iMeshTextureSet(Mesh, Frames[0]);
  iMeshLocalLightsEnable(Mesh, true);
}

bool TAniSprite::Animate() {
  bool wrapped = false;
  const int64_t now = iTic();
  if (now - static_cast<int64_t>(LastTick) > static_cast<int64_t>(Delay)) {
    // Counted wide so that a 256-picture row still wraps.
    unsigned next = Frame + 1u;
    if (next > LastFrame) {
      next = 0;
      wrapped = true;
    }
    Frame = static_cast<uint8_t>(next);
    if (Frame < Frames.size() && Frames[Frame]) iMeshTextureSet(Mesh, Frames[Frame]);
    X += Step;
    LastTick = static_cast<uint32_t>(iTic());
  }
  PlaceMesh(Mesh, X, Y);
  return wrapped;
}

// ---- TBaseEnemy ----------------------------------------------------------------

TBaseEnemy::TBaseEnemy(TGame& game, bool listed) : Owner(game), Listed(listed) {
  if (Listed) Owner.EnemyList.push_back(this);
  State = 255;
}

// Leaves no dangling reference behind in the game's list.
TBaseEnemy::~TBaseEnemy() { std::erase(Owner.EnemyList, this); }

void TBaseEnemy::Activate() {
  if (Listed) Owner.ActiveEnemies = static_cast<int8_t>(Owner.ActiveEnemies + 1);
  State = 0;
}

void TBaseEnemy::Deactivate() {
  if (Listed) Owner.ActiveEnemies = static_cast<int8_t>(Owner.ActiveEnemies - 1);
  State = 255;
}

// ---- TBaseBonus ----------------------------------------------------------------

TBaseBonus::TBaseBonus(TGame& game, bool listed) : Owner(game), Listed(listed) {
  if (Listed) Owner.BonusList.push_back(this);
  State = 255;
}

TBaseBonus::~TBaseBonus() { std::erase(Owner.BonusList, this); }

void TBaseBonus::Activate() {
  if (Listed) Owner.ActiveBonuses = static_cast<int8_t>(Owner.ActiveBonuses + 1);
  State = 0;
}

void TBaseBonus::Deactivate() {
  if (Listed) Owner.ActiveBonuses = static_cast<int8_t>(Owner.ActiveBonuses - 1);
  State = 255;
}

}  // namespace gh
