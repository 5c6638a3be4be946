// A headless engine opened for each test, with a scratch Data/ folder as the
// current folder (so the game's relative "Data\..." names resolve).
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EngineUnderTest.h"
#include "TestFiles.h"

namespace enginetest {

class HeadlessEngine : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // One frame of the program's loop: main, run phase (the caller's), render.
  void Frame();
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  // A sprite showing `file` at its pixel size (the program's CreatePicture).
  int32_t Picture(const char* file, int w, int h, float x, float y, bool show = true);
  std::vector<ihSprite> Sprites();
  std::vector<ihMesh> Meshes();
  std::vector<ihPrint> Prints();
  std::vector<ihSoundEvent> SoundEvents();
  int32_t MainFont();

  const HarnessCalls* ih = nullptr;
  static std::unique_ptr<ScratchDir> dir;

 private:
  std::string oldCwd_;
};

}  // namespace enginetest
