#include "Meshes.h"

#include <exception>

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

Result<PictureSize> MeasurePicture(const std::string& file) {
  const Result<ImageSize> measured = GetImageSize(file);
  if (!measured) return measured.error();
  PictureSize size;
  size.Width = measured->width;
  size.Height = measured->height;
  return size;
}

// ---- Mesh ----------------------------------------------------------------------

Mesh::Mesh() = default;

Mesh::~Mesh() = default;

void Mesh::Hide() {
  Hidden = true;
  iMeshHide(Handle);
}

void Mesh::Show() {
  Hidden = false;
  PlaceMesh(Handle, X, Y);
  iMeshShow(Handle);
}

void Mesh::UpdatePosition() { PlaceMesh(Handle, X, Y); }

// ---- StaticMesh ----------------------------------------------------------------

Result<std::unique_ptr<StaticMesh>> StaticMesh::Load(const std::string& name, float x, float y,
                                                     bool visible) {
  std::unique_ptr<StaticMesh> quad(new StaticMesh());
  quad->Handle = iMeshCreate(QuadModel);
  const std::string file = "Data\\Game\\" + name;
  const Result<PictureSize> size = MeasurePicture(file);
  if (!size) return size.error();
  quad->Texture = iTextureCreate(file.c_str());
  quad->X = x;
  quad->Y = y;
  PlaceMesh(quad->Handle, x, y);
  iMeshScaleSet(quad->Handle, PixelsToScale(size->Width), PixelsToScale(size->Height), 1.0f);
  iMeshTextureSet(quad->Handle, quad->Texture);
  quad->Hidden = !visible;
  if (visible) iMeshShow(quad->Handle);
  iMeshLocalLightsEnable(quad->Handle, true);
  return quad;
}

// ---- AnimatedMesh --------------------------------------------------------------

Result<std::unique_ptr<AnimatedMesh>> AnimatedMesh::Load(const std::string& name, float scale,
                                                         float y, float step, uint8_t first,
                                                         uint8_t last, uint16_t delay) {
  std::unique_ptr<AnimatedMesh> quad(new AnimatedMesh());
  quad->Handle = iMeshCreate(QuadModel);
  const std::string folder = "Data\\Game\\" + name + "\\";
  const Result<PictureSize> size = MeasurePicture(folder + std::to_string(first) + ".png");
  if (!size) return size.error();
  quad->LastFrame = static_cast<uint8_t>(last - first);
  quad->Delay = delay;
  quad->Step = step;
  quad->Frame = 0;
  quad->ScaleX = PixelsToScale(size->Width) * scale;
  quad->ScaleY = PixelsToScale(size->Height) * scale;
  quad->Y = y;
  quad->Hidden = true;
  quad->Frames.resize(quad->LastFrame + 1u);
  for (unsigned i = 0; i < quad->Frames.size(); ++i) {
    quad->Frames[i] = iTextureCreate((folder + std::to_string(first + i) + ".png").c_str());
  }
  PlaceMesh(quad->Handle, 0, y);
  iMeshScaleSet(quad->Handle, quad->ScaleX, quad->ScaleY, 1.0f);
  iMeshTextureSet(quad->Handle, quad->Frames[0]);
  iMeshLocalLightsEnable(quad->Handle, true);
  return quad;
}

bool AnimatedMesh::Animate(uint32_t now) {
  bool wrapped = false;
  if (static_cast<int64_t>(now) - static_cast<int64_t>(LastTick) > static_cast<int64_t>(Delay)) {
    // Counted wide so that a 256-picture row still wraps.
    unsigned next = Frame + 1u;
    if (next > LastFrame) {
      next = 0;
      wrapped = true;
    }
    Frame = static_cast<uint8_t>(next);
    if (Frame < Frames.size() && Frames[Frame]) iMeshTextureSet(Handle, Frames[Frame]);
    X += Step;
    LastTick = now;
  }
  PlaceMesh(Handle, X, Y);
  return wrapped;
}

void AnimatedMesh::Rewind() {
  Frame = 0;
  LastTick = 0;
  if (!Frames.empty() && Frames[0]) iMeshTextureSet(Handle, Frames[0]);
}

}  // namespace gh
