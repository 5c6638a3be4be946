#include "EngineFixture.h"

#include <unistd.h>

#include <filesystem>

namespace enginetest {

std::unique_ptr<ScratchDir> HeadlessEngine::dir;

void HeadlessEngine::SetUpTestSuite() {
  dir = std::make_unique<ScratchDir>();
  const ScratchDir& d = *dir;
  WriteText(d / "Data/sprite.x", std::string("# the quad\n") + kQuadModel);
  WriteText(d / "Data/wide.x", "gravelhorn-quad 1\r\n\r\nsize 3.2 0.8\r\n");
  WriteText(d / "Data/bad.x", "xof 0302txt 0032\nsize 1 1\n");
  WriteText(d / "Data/nosize.x", "gravelhorn-quad 1\n# nothing else\n");
  WriteText(d / "Data/badsize.x", "gravelhorn-quad 1\nsize -1 nan\n");
  // Left half opaque red, right half fully transparent.
  WritePng(d / "Data/Half.png", 300, 50, [](int x, int) {
    return x < 150 ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 0, 0};
  });
  WritePng(d / "Data/Game/T1/1.png", 40, 40, [](int, int) { return Rgba{0, 255, 0, 255}; });
  WritePng(d / "Data/cursor.png", 32, 32, [](int, int) { return Rgba{255, 255, 255, 255}; });
  WritePng(d / "Data/cursor2.png", 24, 24, [](int, int) { return Rgba{255, 255, 0, 255}; });
  WriteText(d / "Data/broken.png", "this is not a picture");
  std::filesystem::create_directories(d / "Data/font");
  std::filesystem::copy_file(kFontFile, d / "Data/font/BancoDi.wid");
  WriteText(d / "Data/font/broken.wid", "not a font at all");
  // Names beyond ASCII, in UTF-8 as the program passes them.
  WriteText(d / "Data/Mod\u00e8le.x", kQuadModel);
  WritePng(d / "Data/\u00dcbung/B\u00e4r.png", 16, 16, [](int, int) {
    return Rgba{0, 0, 255, 255};
  });
  WriteWav(d / "Data/Sound/D\u00e9j\u00e0.wav", 0.2);
  WriteWav(d / "Data/Sound/Click.wav", 0.5);
  WriteOgg(d / "Data/Sound/Menu.ogg", 1.0);
  WriteOgg(d / "Data/Sound/Game.ogg", 2.0);
  WriteText(d / "Data/Sound/broken.wav", "RIFF....WAVEjunk");
}

void HeadlessEngine::TearDownTestSuite() { dir.reset(); }

void HeadlessEngine::SetUp() {
  ih = &Engine();
  oldCwd_ = std::filesystem::current_path().string();
  std::filesystem::current_path(dir->path());
  ih->ihHeadlessEnable(1);
  ih->ihOpenFailSet(0);
  ih->ihNumbersReusedSet(0);
  ih->ihFrameHookSet(nullptr, nullptr);
  gh::raw::iMessageHandlerSet(nullptr, nullptr);
  gh::raw::i3ImpactErrorFlagSet(0);
  ASSERT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
  SoundEvents();  // empties the log
}

void HeadlessEngine::TearDown() {
  gh::raw::i3ImpactClose();
  ih->ihFrameHookSet(nullptr, nullptr);
  gh::raw::iMessageHandlerSet(nullptr, nullptr);
  for (int k = 0; k < 256; ++k) ih->ihKeySet(k, 0);
  for (int b = 0; b < 8; ++b) ih->ihMouseButtonSet(b, 0);
  // Flush edges and typed characters left by the test.
  gh::raw::i3ImpactMain();
  while (gh::raw::iTypedChar(-1)) gh::raw::i3ImpactMain();
  std::filesystem::current_path(oldCwd_);
}

void HeadlessEngine::Frame() {
  gh::raw::i3ImpactMain();
  gh::raw::i3ImpactRender();
}

int32_t HeadlessEngine::Picture(const char* file, int w, int h, float x, float y, bool show) {
  int32_t s = gh::raw::iSpriteCreate("Data\\sprite.x", 0);
  int32_t t = gh::raw::iTextureCreate(file);
  gh::raw::iSpriteTextureSet(s, t);
  iVec2 scale{w / 40.0f, h / 40.0f}, at{x, y};
  gh::raw::iSpriteScaleSet(s, &scale);
  gh::raw::iSpriteLocationSet(s, &at);
  if (show) gh::raw::iSpriteShow(s);
  return s;
}

std::vector<ihSprite> HeadlessEngine::Sprites() {
  std::vector<ihSprite> v(static_cast<size_t>(ih->ihSprites(nullptr, 0)));
  v.resize(static_cast<size_t>(ih->ihSprites(v.data(), static_cast<int32_t>(v.size()))));
  return v;
}

std::vector<ihMesh> HeadlessEngine::Meshes() {
  std::vector<ihMesh> v(static_cast<size_t>(ih->ihMeshes(nullptr, 0)));
  v.resize(static_cast<size_t>(ih->ihMeshes(v.data(), static_cast<int32_t>(v.size()))));
  return v;
}

std::vector<ihPrint> HeadlessEngine::Prints() {
  std::vector<ihPrint> v(static_cast<size_t>(ih->ihPrints(nullptr, 0)));
  v.resize(static_cast<size_t>(ih->ihPrints(v.data(), static_cast<int32_t>(v.size()))));
  return v;
}

std::vector<ihSoundEvent> HeadlessEngine::SoundEvents() {
  std::vector<ihSoundEvent> v(512);
  int32_t n = ih->ihSoundEvents(v.data(), static_cast<int32_t>(v.size()));
  v.resize(static_cast<size_t>(std::min<int32_t>(n, 512)));
  return v;
}

int32_t HeadlessEngine::MainFont() {
  int32_t camera = gh::raw::iCameraCreate(0, 0, 1, 1);
  return gh::raw::iFontCreate("Data\\font\\BancoDi.wid", camera);
}

}  // namespace enginetest
