// The program's typed engine handles on the headless engine: an owning handle
// frees its object once, and never an object of a later engine run that was
// given the same number.
#include <concepts>
#include <memory>
#include <utility>

#include "EngineFixture.h"
#include "engine/EngineCalls.h"

namespace enginetest {
namespace {

// A texture cannot go where a mesh is expected, nor a bare number anywhere.
template <class Mesh, class Texture>
concept CanTextureMesh = requires(Mesh mesh, Texture texture) {
  gh::iMeshTextureSet(mesh, texture);
};
static_assert(CanTextureMesh<gh::MeshRef, gh::TextureRef>);
static_assert(CanTextureMesh<const gh::MeshHandle&, const gh::TextureHandle&>);
static_assert(!CanTextureMesh<gh::TextureRef, gh::MeshRef>);
static_assert(!CanTextureMesh<const gh::TextureHandle&, const gh::MeshHandle&>);
static_assert(!CanTextureMesh<int32_t, gh::TextureRef>);
static_assert(!CanTextureMesh<gh::MeshRef, int32_t>);
static_assert(!std::copy_constructible<gh::MeshHandle>);

class EngineHandles : public HeadlessEngine {
 protected:
  void TearDown() override {
    ih->ihNumbersReusedSet(0);
    HeadlessEngine::TearDown();
  }

  // The program's engine restart: everything reset, the run ended, the engine
  // closed and opened again.
  void Restart() {
    gh::iReset(true, true);
    gh::EndEngineRun();
    gh::i3ImpactClose();
    ASSERT_TRUE(gh::i3ImpactOpen(0, 0));
  }

  bool MeshShown(int32_t number) {
    for (const ihMesh& m : Meshes())
      if (m.handle == number) return true;
    return false;
  }
};

TEST_F(EngineHandles, AHandleOfAnEarlierRunLeavesTheObjectThatNowHasItsNumberAlone) {
  // An engine that numbers its objects afresh after a reset, as engines may.
  ih->ihNumbersReusedSet(1);
  Restart();
  auto stale = std::make_unique<gh::MeshHandle>(gh::iMeshCreate("Data\\sprite.x"));
  ASSERT_TRUE(*stale);

  Restart();
  gh::MeshHandle quad = gh::iMeshCreate("Data\\sprite.x");
  ASSERT_EQ(quad.get(), stale->get()) << "the engine was to give the new quad the old number";
  gh::iMeshShow(quad);
  Frame();
  ASSERT_TRUE(MeshShown(quad.get()));
  const int32_t objects = ih->ihObjectCount();

  stale.reset();  // the old run's handle goes
  Frame();
  EXPECT_TRUE(MeshShown(quad.get()));
  EXPECT_EQ(ih->ihObjectCount(), objects);
}

TEST_F(EngineHandles, AnObjectIsFreedOnceByItsLastOwner) {
  const int32_t before = ih->ihObjectCount();
  gh::TextureHandle first = gh::iTextureCreate("Data\\Half.png");
  gh::MeshHandle quad;
  {
    gh::MeshHandle made = gh::iMeshCreate("Data\\sprite.x");
    quad = std::move(made);
    EXPECT_FALSE(made);
  }  // the moved-from handle goes: the quad stays
  EXPECT_EQ(ih->ihObjectCount(), before + 2);
  gh::iMeshShow(quad);
  Frame();
  EXPECT_TRUE(MeshShown(quad.get()));

  // Moving onto a handle that owns an object frees that object.
  gh::TextureHandle second = gh::iTextureCreate("Data\\cursor.png");
  EXPECT_EQ(ih->ihObjectCount(), before + 3);
  first = std::move(second);
  EXPECT_EQ(ih->ihObjectCount(), before + 2);

  // What a handle gives up to its run stays after the handle.
  const gh::TextureRef kept = first.release();
  EXPECT_TRUE(kept);
  EXPECT_FALSE(first);
  quad.reset();
  EXPECT_FALSE(quad);
  EXPECT_EQ(ih->ihObjectCount(), before + 1);
  Frame();
  EXPECT_TRUE(Meshes().empty());
}

}  // namespace
}  // namespace enginetest
