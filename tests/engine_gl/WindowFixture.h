// The window backend on a real SDL window (made the way the program makes it),
// with every presented view captured for reading pixels back. Skips without a
// display (the test command runs under xvfb-run).
#pragma once
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EngineUnderTest.h"
#include "TestFiles.h"

namespace enginetest {

struct View {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  bool Lit(int x, int y, int threshold = 60) const {
    const uint8_t* p = At(x, y);
    return p[0] > threshold || p[1] > threshold || p[2] > threshold;
  }
  // Bounding box of lit pixels within [x0, x1) x [y0, y1); false when none.
  bool LitBox(int x0, int y0, int x1, int y1, int& left, int& top, int& right, int& bottom,
              int threshold = 60) const;
  void SavePng(const std::string& path) const;
};

// The window's size as the X server has it (false on other window systems).
bool ServerWindowSize(SDL_Window* window, int& w, int& h);

class WindowEngine : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Opens the engine on a fresh program window (0: the engine makes its own).
  void OpenEngine(bool ownWindow = false);
  void CloseEngine();
  void Frame();
  View Capture();
  int32_t Picture(const char* file, int w, int h, float x, float y);
  int32_t WorldQuad(const char* file, int w, int h, float x, float y, bool lit);

  const HarnessCalls* ih = nullptr;
  SDL_Window* window = nullptr;
  static std::unique_ptr<ScratchDir> dir;

 private:
  std::string oldCwd_;
  bool skipped_ = false;
};

}  // namespace enginetest
