// Sprites, meshes, picking, particles and lights as the headless read-back shows them.
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "EngineFixture.h"

namespace enginetest {
namespace {

using engine_scene = HeadlessEngine;

// The pointer at a screen-plane point.
void PointAt(const HarnessCalls* ih, float x, float y) {
  ih->ihMouseSet((x + 16) / 32, (12 - y) / 24);
}

TEST_F(engine_scene, PictureAtItsPixelScaleCoversItsPixelsInUnits) {
  int32_t s = Picture("Data\\Half.png", 300, 50, 2.5f, -3);
  auto list = Sprites();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].handle, s);
  EXPECT_FLOAT_EQ(list[0].width, 12.0f);  // 300 px at 25 px per unit
  EXPECT_FLOAT_EQ(list[0].height, 2.0f);
  EXPECT_FLOAT_EQ(list[0].x, 2.5f);
  EXPECT_FLOAT_EQ(list[0].y, -3.0f);
  EXPECT_STREQ(list[0].file, "Data\\Half.png");
  iVec2 at;
  gh::raw::iSpriteLocation(s, &at);
  EXPECT_FLOAT_EQ(at.x, 2.5f);
  EXPECT_FLOAT_EQ(at.y, -3.0f);
}

TEST_F(engine_scene, SpritesStartHiddenAndShowHideToggles) {
  int32_t s = Picture("Data\\cursor.png", 32, 32, 0, 0, false);
  EXPECT_TRUE(Sprites().empty());
  gh::raw::iSpriteShow(s);
  EXPECT_EQ(Sprites().size(), 1u);
  gh::raw::iSpriteHide(s);
  EXPECT_TRUE(Sprites().empty());
  int32_t m = gh::raw::iMeshCreate("Data\\sprite.x");
  EXPECT_TRUE(Meshes().empty());
  gh::raw::iMeshShow(m);
  EXPECT_EQ(Meshes().size(), 1u);
}

TEST_F(engine_scene, TheModelFileGivesTheQuadSize) {
  int32_t s = gh::raw::iSpriteCreate("Data\\wide.x", 0);
  int32_t m = gh::raw::iMeshCreate("Data\\wide.x");
  iVec2 two{2, 2};
  gh::raw::iSpriteScaleSet(s, &two);
  gh::raw::iSpriteShow(s);
  gh::raw::iMeshScaleSet(m, -1, 1, 1);  // mirrored: same size
  gh::raw::iMeshShow(m);
  EXPECT_FLOAT_EQ(Sprites()[0].width, 6.4f);
  EXPECT_FLOAT_EQ(Sprites()[0].height, 1.6f);
  EXPECT_FLOAT_EQ(Meshes()[0].width, 3.2f);
  EXPECT_FLOAT_EQ(Meshes()[0].height, 0.8f);
}

TEST_F(engine_scene, SpritesDrawByPriorityThenCreationOrder) {
  int32_t cursor = Picture("Data\\cursor.png", 32, 32, 0, 0);
  gh::raw::iSpritePrioritySet(cursor, 1);
  int32_t a = Picture("Data\\cursor.png", 32, 32, 0, 0);
  int32_t b = Picture("Data\\cursor.png", 32, 32, 0, 0);
  int32_t low = Picture("Data\\cursor.png", 32, 32, 0, 0);
  gh::raw::iSpritePrioritySet(low, -1);
  std::vector<int32_t> order;
  for (const ihSprite& s : Sprites()) order.push_back(s.handle);
  EXPECT_EQ(order, (std::vector<int32_t>{low, a, b, cursor}));
  EXPECT_EQ(Sprites().back().priority, 1);
}

TEST_F(engine_scene, MeshesDrawInCreationOrder) {
  std::vector<int32_t> made;
  for (int i = 0; i < 4; ++i) {
    made.push_back(gh::raw::iMeshCreate("Data\\sprite.x"));
    gh::raw::iMeshShow(made.back());
  }
  gh::raw::iMeshHide(made[1]);
  std::vector<int32_t> order;
  for (const ihMesh& m : Meshes()) order.push_back(m.handle);
  EXPECT_EQ(order, (std::vector<int32_t>{made[0], made[2], made[3]}));
}

TEST_F(engine_scene, SpriteIsPickedInsideItsRectangleWhileShown) {
  int32_t s = Picture("Data\\Half.png", 300, 50, 0, 0);  // x -6..6, y -1..1
  struct Case {
    float x, y;
    bool picked;
  } cases[] = {
      {0, 0, true},     {5.9f, 0.9f, true}, {-5.9f, -0.9f, true}, {8, 0, false},
      {0, 1.2f, false}, {-6.2f, 0, false},  {3, 0, true},  // transparent half still counts
  };
  for (const Case& c : cases) {
    PointAt(ih, c.x, c.y);
    EXPECT_EQ(gh::raw::iSpritePicked(s) != 0, c.picked) << c.x << "," << c.y;
  }
  PointAt(ih, 0, 0);
  gh::raw::iSpriteHide(s);
  EXPECT_EQ(gh::raw::iSpritePicked(s), 0);
}

TEST_F(engine_scene, MeshIsPickedOnlyWhereItsPictureIsOpaque) {
  int32_t camera = gh::raw::iCameraCreate(0, 0, 1, 1);
  iVec3 eye{0, 0, -20.7f};
  gh::raw::iCameraLocationSet(camera, &eye);
  int32_t m = gh::raw::iMeshCreate("Data\\sprite.x");
  int32_t t = gh::raw::iTextureCreate("Data\\Half.png");
  gh::raw::iMeshTextureSet(m, t);
  gh::raw::iMeshScaleSet(m, 7.5f, 1.25f, 1);  // 12 x 2 units at z = 0: x -6..6 around its centre
  iVec3 at{4, 2, 0};
  gh::raw::iMeshLocationSet(m, &at);
  gh::raw::iMeshShow(m);
  struct Case {
    float x, y;
    bool picked;
  } cases[] = {
      {1, 2, true},                        // opaque left half (x -2..4)
      {-1.9f, 2.9f, true}, {5, 2, false},  // transparent right half
      {-2.2f, 2, false},                   // outside
      {1, 3.2f, false},
  };
  for (const Case& c : cases) {
    PointAt(ih, c.x, c.y);
    EXPECT_EQ(gh::raw::iMeshPicked(camera, m) != 0, c.picked) << c.x << "," << c.y;
  }
  // The same test at a point of the view given instead of the pointer's.
  PointAt(ih, -15, -11);
  for (const Case& c : cases) {
    const float x = (c.x + 16) / 32, y = (12 - c.y) / 24;
    EXPECT_EQ(gh::raw::iMeshPickedAt(camera, m, x, y) != 0, c.picked) << c.x << "," << c.y;
  }
  EXPECT_EQ(gh::raw::iMeshPicked(camera, m), 0);  // the pointer stayed where it was
  // A mirrored quad mirrors its picture, and the picking with it.
  gh::raw::iMeshScaleSet(m, -7.5f, 1.25f, 1);
  PointAt(ih, 5, 2);
  EXPECT_NE(gh::raw::iMeshPicked(camera, m), 0);
  PointAt(ih, 1, 2);
  EXPECT_EQ(gh::raw::iMeshPicked(camera, m), 0);
  gh::raw::iMeshHide(m);
  PointAt(ih, 5, 2);
  EXPECT_EQ(gh::raw::iMeshPicked(camera, m), 0);
}

TEST_F(engine_scene, PickingFollowsTheRayForQuadsOffThePlane) {
  int32_t camera = gh::raw::iCameraCreate(0, 0, 1, 1);
  iVec3 eye{0, 0, -20.7f};
  gh::raw::iCameraLocationSet(camera, &eye);
  int32_t m = gh::raw::iMeshCreate("Data\\sprite.x");
  iVec3 at{8, 0, 20.7f};  // twice as far: the aimed plane point is at half the distance
  gh::raw::iMeshLocationSet(m, &at);
  gh::raw::iMeshShow(m);
  PointAt(ih, 4, 0);
  EXPECT_NE(gh::raw::iMeshPicked(camera, m), 0);
  PointAt(ih, 8, 0);
  EXPECT_EQ(gh::raw::iMeshPicked(camera, m), 0);
  iVec3 behind{0, 0, -30};
  gh::raw::iMeshLocationSet(m, &behind);
  PointAt(ih, 0, 0);
  EXPECT_EQ(gh::raw::iMeshPicked(camera, m), 0);  // behind the camera
}

TEST_F(engine_scene, TextureChangeSwapsThePictureAndKeepsItOnFailure) {
  int32_t s = Picture("Data\\cursor.png", 32, 32, 0, 0);
  gh::raw::iSpriteTextureChange(s, "Data\\cursor2.png");
  EXPECT_STREQ(Sprites()[0].file, "Data\\cursor2.png");
  EXPECT_EQ(gh::raw::i3ImpactErrorFlag(), 0);
  gh::raw::iSpriteTextureChange(s, "Data\\cursor3.png");
  EXPECT_STREQ(Sprites()[0].file, "Data\\cursor2.png");
  EXPECT_NE(gh::raw::i3ImpactErrorFlag(), 0);
  EXPECT_NE(std::string(gh::raw::i3ImpactErrorText()).find("cursor3.png"), std::string::npos);
}

// The program's first picture is decoded ahead on a thread of the engine's own;
// a texture made from it must still show the file as it is then.
TEST_F(engine_scene, APrefetchedPictureServesOnlyWhileItsFileIsUnchanged) {
  const auto opaque = [](int, int) { return Rgba{255, 0, 0, 255}; };
  // Whole seconds: some systems set a file's time no finer than that.
  const auto stampOf = [](const std::string& file) {
    return std::chrono::time_point_cast<std::chrono::seconds>(
        std::filesystem::last_write_time(file));
  };
  // Overwritten in place with bytes no decoder reads; `sameStamp` keeps its size and time.
  const auto spoil = [](const std::string& file, bool sameStamp, auto stamp) {
    const auto size = std::filesystem::file_size(file);
    WriteText(file, std::string(sameStamp ? size : size + 1, 'x'));
    if (sameStamp) std::filesystem::last_write_time(file, stamp);
  };
  struct Case {
    const char* name;
    bool sameStamp, made;
  } cases[] = {
      {"Ahead.png", true, true},      // only the decoded copy can serve it
      {"Changed.png", false, false},  // read afresh: the spoiled file fails
  };
  for (const Case& c : cases) {
    const std::string file = *dir / (std::string("Data/") + c.name);
    WritePng(file, 40, 40, opaque);
    const auto stamp = stampOf(file);
    std::filesystem::last_write_time(file, stamp);
    const std::string name = std::string("Data\\") + c.name;
    gh::raw::iTexturePrefetch(name.c_str());
    gh::raw::iTexturePrefetch(nullptr);  // waits for the decoding
    spoil(file, c.sameStamp, stamp);
    gh::raw::i3ImpactErrorFlagSet(0);
    EXPECT_EQ(gh::raw::iTextureCreate(name.c_str()) != 0, c.made) << c.name;
    EXPECT_EQ(gh::raw::i3ImpactErrorFlag() != 0, !c.made) << c.name;
  }

  // Prefetched before the engine opens and taken at once by the texture.
  WritePng(*dir / "Data/Soon.png", 40, 40, opaque);
  gh::raw::i3ImpactClose();
  gh::raw::iTexturePrefetch("Data\\Soon.png");
  ASSERT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
  EXPECT_NE(gh::raw::iTextureCreate("Data\\Soon.png"), 0);

  // Files that cannot be read say nothing when prefetched, and fail as ever
  // when their texture is made.
  for (const char* name : {"Data\\Missing.png", "Data\\broken.png"}) {
    gh::raw::i3ImpactErrorFlagSet(0);
    gh::raw::iTexturePrefetch(name);
    gh::raw::iTexturePrefetch(nullptr);
    EXPECT_EQ(gh::raw::i3ImpactErrorFlag(), 0) << name;
    EXPECT_EQ(gh::raw::iTextureCreate(name), 0) << name;
    EXPECT_NE(std::string(gh::raw::i3ImpactErrorText()).find(name + 5), std::string::npos)
        << gh::raw::i3ImpactErrorText();
  }
}

TEST_F(engine_scene, DestroyedTextureLeavesItsSpritesDrawn) {
  int32_t s = Picture("Data\\cursor.png", 32, 32, 0, 0);
  gh::raw::iTextureDestroy(Sprites()[0].texture);
  Frame();
  ASSERT_EQ(Sprites().size(), 1u);
  EXPECT_EQ(Sprites()[0].handle, s);
  EXPECT_STREQ(Sprites()[0].file, "Data\\cursor.png");
}

TEST_F(engine_scene, SpriteRenderIsReportedAsTheLastRendered) {
  EXPECT_EQ(ih->ihLastRendered(), 0);
  int32_t s = Picture("Data\\Half.png", 300, 50, 0, 0, false);
  gh::raw::iSpriteRender(s, -1);
  EXPECT_EQ(ih->ihLastRendered(), s);
  gh::raw::i3ImpactClose();
  ASSERT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
  EXPECT_EQ(ih->ihLastRendered(), 0);
}

TEST_F(engine_scene, ChecksumFollowsWhatIsDrawn) {
  int32_t s = Picture("Data\\cursor.png", 32, 32, 0, 0);
  Frame();
  uint64_t a = ih->ihSceneChecksum();
  Frame();
  EXPECT_EQ(ih->ihSceneChecksum(), a);
  iVec2 moved{1, 0};
  gh::raw::iSpriteLocationSet(s, &moved);
  uint64_t b = ih->ihSceneChecksum();
  EXPECT_NE(b, a);
  iColor red{1, 0, 0, 1};
  gh::raw::iLightLocalColorSet(2, &red);
  EXPECT_NE(ih->ihSceneChecksum(), b);
}

TEST_F(engine_scene, LightsStartRedGreenBlueInFrontAndFollowTheCalls) {
  const iColor expected[3] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
  for (int i = 0; i < 3; ++i) {
    iVec3 at;
    iColor c;
    ih->ihLight(i, &at, &c);
    EXPECT_LT(at.z, 0) << "light " << i << " starts in front of the scene";
    EXPECT_EQ(c.red, expected[i].red);
    EXPECT_EQ(c.green, expected[i].green);
    EXPECT_EQ(c.blue, expected[i].blue);
  }
  iVec3 behind{0, 0, 10};
  iColor off{0, 0, 0, 1};
  gh::raw::iLightLocalLocationSet(1, &behind);
  gh::raw::iLightLocalColorSet(1, &off);
  iVec3 at;
  iColor c;
  ih->ihLight(1, &at, &c);
  EXPECT_EQ(at.z, 10);
  EXPECT_EQ(c.green, 0);
  // A new engine run starts from the defaults again.
  gh::raw::i3ImpactClose();
  ASSERT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
  ih->ihLight(1, &at, &c);
  EXPECT_LT(at.z, 0);
  EXPECT_EQ(c.green, 1);
}

TEST_F(engine_scene, ParticleBurstLivesForItsLifeTime) {
  int32_t p = gh::raw::iParticleCreate("Data\\cursor.png", 10);
  ASSERT_NE(p, 0);
  gh::raw::iParticleRenderModeSet(p, 2);
  iVec3 zero{0, 0, 0}, lo{-0.9f, -0.9f, -0.9f}, hi{0.9f, 0.9f, 0.9f};
  iVec3 c0{0.98f, 0.94f, 0.67f}, c1{0.25f, 0.05f, 0.01f};
  iVec2 s0{2.0f, 2.2f}, s1{5.0f, 5.5f};
  gh::raw::iParticleGravitySet(p, &zero);
  gh::raw::iParticleAirResistanceSet(p, 0.2f);
  gh::raw::iParticleColorSet(p, &c0, &c1);
  gh::raw::iParticleLifeTimeSet(p, 0.4f);
  int32_t e = gh::raw::iParticleEmitterCreate(p);
  ASSERT_NE(e, 0);
  gh::raw::iParticleEmitterDirectionSet(e, &lo, &hi);
  gh::raw::iParticleEmitterScaleSet(e, &s0, &s1);
  gh::raw::iParticleShow(p);
  iVec3 at{3, 4, 0};
  gh::raw::iParticleEmitterLocationSet(e, &at);
  gh::raw::iParticleEmitterEmit(e, 10.0f, 0.99f);
  EXPECT_EQ(ih->ihParticles(), 10);
  gh::raw::iParticleEmitterEmit(e, 10.0f, 0.99f);
  EXPECT_EQ(ih->ihParticles(), 20);
  Frames(23);  // 0.383 s
  EXPECT_EQ(ih->ihParticles(), 20);
  Frames(2);  // past 0.4 s
  EXPECT_EQ(ih->ihParticles(), 0);
  gh::raw::iParticleEmitterEmit(e, 1000000.0f, 1);  // bounded
  EXPECT_LE(ih->ihParticles(), 10000);
  gh::raw::iParticleDestroy(p);
  EXPECT_EQ(ih->ihParticles(), 0);
  gh::raw::iParticleEmitterEmit(e, 10, 1);  // its emitter went with it
  EXPECT_EQ(ih->ihParticles(), 0);
}

}  // namespace
}  // namespace enginetest
