// The window backend read back pixel by pixel: sizes, places, text, picking,
// lights, particles, letterboxing, pacing, events and sound.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <vector>

#include "WindowFixture.h"

namespace enginetest {
namespace {

using engine_gl_window = WindowEngine;

// View pixel of a screen-plane point.
int PixelX(float x) { return static_cast<int>(std::lround((x + 16) * 25)); }
int PixelY(float y) { return static_cast<int>(std::lround((12 - y) * 25)); }

TEST_F(engine_gl_window, PictureSpriteCoversItsPixelsCentredWhereAsked) {
  OpenEngine();
  Picture("Data\\Red300x50.png", 300, 50, 2, -3);  // centre (450, 375)
  Frame();
  View v = Capture();
  ASSERT_EQ(v.width, 800);
  ASSERT_EQ(v.height, 600);
  int l, t, r, b;
  ASSERT_TRUE(v.LitBox(0, 0, 800, 600, l, t, r, b));
  EXPECT_NEAR(l, 300, 1);
  EXPECT_NEAR(r, 599, 1);
  EXPECT_NEAR(t, 350, 1);
  EXPECT_NEAR(b, 399, 1);
  const uint8_t* c = v.At(450, 375);
  EXPECT_GT(c[0], 250);
  EXPECT_LT(c[1], 5);
}

TEST_F(engine_gl_window, WorldQuadAtZeroCoversItsPicturesPixelsAtTheAimedPoint) {
  OpenEngine();
  int32_t camera = gh::raw::iCameraCreate(0, 0, 1, 1);
  iVec3 eye{0, 0, -20.7f};
  gh::raw::iCameraLocationSet(camera, &eye);
  WorldQuad("Data\\Green100x60.png", 100, 60, -4, 5, false);  // centre (300, 175)
  Frame();
  View v = Capture();
  int l, t, r, b;
  ASSERT_TRUE(v.LitBox(0, 0, 800, 600, l, t, r, b));
  EXPECT_NEAR(l, 250, 1);
  EXPECT_NEAR(r, 349, 1);
  EXPECT_NEAR(t, 145, 1);
  EXPECT_NEAR(b, 204, 1);
  EXPECT_GT(v.At(300, 175)[1], 250);  // unlit: full colour
}

TEST_F(engine_gl_window, PrintStartsWhereAskedAndItsWidthIsWhatIsDrawn) {
  OpenEngine();
  int32_t font =
      gh::raw::iFontCreate("Data\\font\\BancoDi.wid", gh::raw::iCameraCreate(0, 0, 1, 1));
  ASSERT_NE(font, 0) << gh::raw::i3ImpactErrorText();
  iVec2 left{-10, 0}, centred{5, 6}, one{1, 1}, big{2, 2};
  gh::raw::iPrintColorSet(1, 1, 1, 1);
  gh::raw::iPrint("HELLO", &left, &one, -0.1f, font);
  gh::raw::iPrintCentered("HIGH SCORE", &centred, &big, -0.2f, font, 26);
  Frame();
  View v = Capture();
  int l, t, r, b;
  // The left-aligned print, around y = 0 (row 300).
  ASSERT_TRUE(v.LitBox(0, 250, 800, 350, l, t, r, b));
  EXPECT_NEAR(l, PixelX(-10), 3);
  EXPECT_NEAR(r + 1 - l, gh::raw::iPrintWidth("HELLO", &one, -0.1f, font) * 25, 4);
  // Capital letters one unit (25 px) high, centred on y.
  EXPECT_NEAR(b + 1 - t, 25, 2);
  EXPECT_NEAR((t + b + 1) / 2.0, PixelY(0), 2);
  // The centred print, twice as large.
  ASSERT_TRUE(v.LitBox(0, 100, 800, 200, l, t, r, b));
  EXPECT_NEAR((l + r + 1) / 2.0, PixelX(5), 3);
  EXPECT_NEAR(r + 1 - l, gh::raw::iPrintWidth("HIGH SCORE", &big, -0.2f, font) * 25, 5);
  EXPECT_NEAR(b + 1 - t, 50, 3);
}

// Relative luminance of an sRGB pixel, for contrast ratios.
double Luminance(const uint8_t* p) {
  auto lin = [](uint8_t c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(p[0]) + 0.7152 * lin(p[1]) + 0.0722 * lin(p[2]);
}

TEST_F(engine_gl_window, CaptionsReadOnAnySceneThroughTheirDarkOutline) {
  struct Case {
    const char* scene;
    const char* text;
    float r, g, b;
  };
  // Captions in the scene's own colour: the life-lost and game-over red on the red
  // scene, the green HUD on the green-lit one, the yellow title on a white one.
  const Case cases[] = {{"Data\\Red300x50.png", "YOU ARE DIE", 1, 0, 0},
                        {"Data\\Red300x50.png", "GAME OVER", 1, 0, 0},
                        {"Data\\Green100x60.png", "Level 3", 0.17f, 1, 0},
                        {"Data\\White.png", "HIGH SCORE", 1, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    OpenEngine();
    int32_t font = gh::raw::iFontCreate("Data\\font\\BancoDi.wid", 0);
    ASSERT_NE(font, 0) << gh::raw::i3ImpactErrorText();
    Picture(c.scene, 800, 600, 0, 0);
    iVec2 at{0, 3}, big{2, 2};
    gh::raw::iPrintColorSet(c.r, c.g, c.b, 1);
    gh::raw::iPrintCentered(c.text, &at, &big, -0.2f, font, 26);
    Frame();
    View v = Capture();
    const double scene = Luminance(v.At(400, 500));
    const int width = static_cast<int>(gh::raw::iPrintWidth(c.text, &big, -0.2f, font) * 25);
    // Dark pixels in the caption's band (capitals 50 px high around row 225).
    int left = 800, right = -1, dark = 0;
    double darkest = 1;
    for (int y = 190; y < 260; ++y)
      for (int x = 0; x < 800; ++x) {
        const double l = Luminance(v.At(x, y));
        darkest = std::min(darkest, l);
        if ((scene + 0.05) / (l + 0.05) < 4.5) continue;
        ++dark;
        left = std::min(left, x);
        right = std::max(right, x);
      }
    // The outline follows the letters from the first to the last...
    EXPECT_NEAR(left, 400 - width / 2, 8);
    EXPECT_NEAR(right, 400 + width / 2, 8);
    // ...and is a real line around each of them, not a speck.
    EXPECT_GT(dark, width * 50 / 10);
    EXPECT_GE((scene + 0.05) / (darkest + 0.05), 4.5);
    CloseEngine();
  }
}

TEST_F(engine_gl_window, LettersStayApartAtTheTightestSpacing) {
  OpenEngine();
  int32_t font = gh::raw::iFontCreate("Data\\font\\BancoDi.wid", 0);
  ASSERT_NE(font, 0) << gh::raw::i3ImpactErrorText();
  // The name box's text (scale 1, spacing -0.3) and the buttons' (0.6, -0.1): every
  // letter is its own run of lit columns, with a dark column before the next.
  struct Case {
    const char* text;
    float scale, spacing;
    int letters;
  };
  const Case cases[] = {{"Maximilian", 1, -0.3f, 10},
                        {"Oberhuber", 1, -0.3f, 9},
                        {"HIGHSCORE", 2, -0.2f, 9},
                        {"Maximilian", 0.6f, -0.1f, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    iVec2 at{-12, 0}, scale{c.scale, c.scale};
    gh::raw::iPrintsHide();
    gh::raw::iPrintColorSet(1, 1, 1, 1);
    gh::raw::iPrint(c.text, &at, &scale, c.spacing, font);
    Frame();
    View v = Capture();
    int runs = 0;
    bool inRun = false;
    for (int x = 0; x < 800; ++x) {
      bool lit = false;
      for (int y = 240; y < 360 && !lit; ++y) lit = v.Lit(x, y, 100);
      if (lit && !inRun) ++runs;
      inRun = lit;
    }
    EXPECT_EQ(runs, c.letters);
  }
}

TEST_F(engine_gl_window, PrintsAreAboveSpritesAndThePointerAboveThem) {
  OpenEngine();
  int32_t font = gh::raw::iFontCreate("Data\\font\\BancoDi.wid", 0);
  int32_t back = Picture("Data\\Red300x50.png", 300, 50, 0, 0);
  int32_t pointer = Picture("Data\\Green100x60.png", 20, 20, -3, 0);
  gh::raw::iSpritePrioritySet(pointer, 1);
  iVec2 at{0, 0}, one{1, 1};
  gh::raw::iPrintColorSet(0, 0, 1, 1);
  gh::raw::iPrintCentered("MMMMMMMM", &at, &one, 0, font, 26);
  Frame();
  View v = Capture();
  (void)back;
  // Text covers the red sprite somewhere; the pointer covers the text at its place.
  int blue = 0;
  for (int x = 300; x < 500; ++x) blue += v.At(x, 300)[2] > 200 && v.At(x, 300)[0] < 60;
  EXPECT_GT(blue, 20);
  const uint8_t* p = v.At(PixelX(-3), 300);
  EXPECT_GT(p[1], 200);
  EXPECT_LT(p[2], 60);
}

TEST_F(engine_gl_window, PickingFollowsTheSystemPointerNotOnTransparentPixelsNeverWhenHidden) {
  OpenEngine();
  int32_t camera = gh::raw::iCameraCreate(0, 0, 1, 1);
  int32_t sprite = Picture("Data\\Red300x50.png", 300, 50, 0, -8);
  int32_t mesh = WorldQuad("Data\\Half.png", 200, 100, 4, 4, false);  // x 0..8, opaque 0..4
  Frame();
  struct Case {
    float x, y;
    bool sprite, mesh;
  } cases[] = {
      {0, -8, true, false},  {5.9f, -7.1f, true, false},
      {2, 4, false, true},   {6, 4, false, false},  // transparent half of the quad
      {-1, 4, false, false},
  };
  for (const Case& c : cases) {
    SDL_WarpMouseInWindow(window, PixelX(c.x), PixelY(c.y));
    gh::raw::iProcessMessages();
    EXPECT_NEAR(gh::raw::iMouseX(), PixelX(c.x) / 800.0f, 0.002f);
    EXPECT_NEAR(gh::raw::iMouseY(), PixelY(c.y) / 600.0f, 0.002f);
    EXPECT_EQ(gh::raw::iSpritePicked(sprite) != 0, c.sprite) << c.x << "," << c.y;
    EXPECT_EQ(gh::raw::iMeshPicked(camera, mesh) != 0, c.mesh) << c.x << "," << c.y;
  }
  SDL_WarpMouseInWindow(window, PixelX(2), PixelY(4));
  gh::raw::iProcessMessages();
  gh::raw::iMeshHide(mesh);
  EXPECT_EQ(gh::raw::iMeshPicked(camera, mesh), 0);
  // iMouseReset moves the system pointer too.
  iVec2 to{0.25f, 0.75f};
  gh::raw::iMouseReset(&to);
  gh::raw::iProcessMessages();
  int mx = 0, my = 0;
  SDL_GetMouseState(&mx, &my);
  EXPECT_EQ(mx, 200);
  EXPECT_EQ(my, 450);
}

TEST_F(engine_gl_window, LightsBehindDarkenAndZeroedLightsTintRed) {
  OpenEngine();
  WorldQuad("Data\\White.png", 800, 600, 0, 0, true);  // the whole view
  auto setLights = [](float z, float level) {
    for (int i = 0; i < 3; ++i) {
      iVec3 at{0, 0, z};
      gh::raw::iLightLocalLocationSet(i, &at);
    }
    iColor g{0, level, 0, 1}, b{0, 0, level, 1};
    gh::raw::iLightLocalColorSet(1, &g);
    gh::raw::iLightLocalColorSet(2, &b);
  };
  setLights(-20, 1);
  Frame();
  View lit = Capture();
  for (auto [x, y] : {std::pair{400, 300}, {5, 5}, {794, 594}}) {
    const uint8_t* p = lit.At(x, y);
    EXPECT_GT(p[0], 215) << x << "," << y;  // nearly even over the plane
    EXPECT_GT(p[1], 215) << x << "," << y;
    EXPECT_GT(p[2], 215) << x << "," << y;
  }
  setLights(10, 1);  // paused: behind the scene
  Frame();
  View dark = Capture();
  EXPECT_LT(dark.At(400, 300)[0], 50);
  EXPECT_GT(dark.At(400, 300)[0], 10);  // the ambient term remains
  setLights(-20, 0);                    // a hit: only light 0 (red)
  Frame();
  View red = Capture();
  EXPECT_GT(red.At(400, 300)[0], 215);
  EXPECT_LT(red.At(400, 300)[1], 50);
  EXPECT_LT(red.At(400, 300)[2], 50);
}

// A large lit quad is lit corner by corner of a grid of cells: each cell must show
// its own part of the picture, lit as the light model says at every pixel, with
// the light running on smoothly across the cells' edges.
TEST_F(engine_gl_window, LargeLitQuadShowsEachPartOfItsPictureInPlaceLitSmoothly) {
  OpenEngine();
  WorldQuad("Data\\Quarters.png", 800, 600, 0, 0, true);
  const iVec3 light{-15, 11, -4};  // over the top left corner
  const float level = 0.6f;
  for (int i = 0; i < 3; ++i) {
    gh::raw::iLightLocalLocationSet(i, &light);
    iColor c{i == 0 ? level : 0, i == 0 ? level : 0, i == 0 ? level : 0, 1};
    gh::raw::iLightLocalColorSet(i, &c);
  }
  Frame();
  View v = Capture();
  struct Sample {
    int x, y;
    int r, g, b;  // 1: the channel is lit, 0: dark
  };
  for (const Sample& s : {Sample{10, 10, 1, 0, 0},
                          {390, 290, 1, 0, 0},
                          {410, 10, 0, 1, 0},
                          {790, 290, 0, 1, 0},
                          {10, 310, 0, 0, 1},
                          {390, 590, 0, 0, 1},
                          {410, 310, 1, 1, 0},
                          {790, 590, 1, 1, 0}}) {
    const uint8_t* p = v.At(s.x, s.y);
    for (int c = 0; c < 3; ++c) {
      const int want = c == 0 ? s.r : c == 1 ? s.g : s.b;
      if (want)
        EXPECT_GT(p[c], 60) << s.x << "," << s.y << " channel " << c;
      else
        EXPECT_LT(p[c], 8) << s.x << "," << s.y << " channel " << c;
    }
  }
  // Ambient plus the light with its distance falloff (the light is far enough in
  // front to face the plane fully).
  auto expected = [&](int px, int py) {
    const double x = (px + 0.5) / 25 - 16, y = 12 - (py + 0.5) / 25;
    const double d2 = (x - light.x) * (x - light.x) + (y - light.y) * (y - light.y) + 16;
    return 255 * std::min(1.0, 0.12 + level / (1 + d2 / (100.0 * 100.0)));
  };
  for (auto [x, y] : {std::pair{2, 2}, {150, 50}, {250, 120}, {390, 290}, {100, 280}})
    EXPECT_NEAR(v.At(x, y)[0], expected(x, y), 2.5) << x << "," << y;
  // Along a row and a column inside the red quarter, neighbouring pixels differ by
  // the falloff's gentle slope only, also where cells meet (every 100 pixels).
  int worst = 0;
  for (int x = 1; x < 395; ++x)
    worst = std::max(worst, std::abs(v.At(x, 150)[0] - v.At(x - 1, 150)[0]));
  for (int y = 1; y < 295; ++y)
    worst = std::max(worst, std::abs(v.At(200, y)[0] - v.At(200, y - 1)[0]));
  EXPECT_LE(worst, 1);
}

// Opaque pictures are drawn without blending, unless a colour makes them see-through.
TEST_F(engine_gl_window, OpaquePictureCoversWhatIsBelowUnlessItsColourFadesIt) {
  OpenEngine();
  Picture("Data\\Green100x60.png", 800, 600, 0, 0);
  const int32_t red = Picture("Data\\Red300x50.png", 300, 50, 0, 0);
  Frame();
  View solid = Capture();
  EXPECT_GT(solid.At(400, 300)[0], 250);
  EXPECT_LT(solid.At(400, 300)[1], 5);
  gh::raw::iSpriteColorSet(red, 1, 1, 1, 0.5f);
  Frame();
  View faded = Capture();
  EXPECT_NEAR(faded.At(400, 300)[0], 128, 3);
  EXPECT_NEAR(faded.At(400, 300)[1], 128, 3);
  EXPECT_GT(faded.At(400, 100)[1], 250);  // outside the red picture
}

TEST_F(engine_gl_window, ParticleBurstIsVisible) {
  OpenEngine();
  int32_t p = gh::raw::iParticleCreate("Data\\Hit.png", 10);
  gh::raw::iParticleRenderModeSet(p, 2);
  iVec3 lo{-0.9f, -0.9f, -0.9f}, hi{0.9f, 0.9f, 0.9f}, c0{0.98f, 0.94f, 0.67f},
      c1{0.25f, 0.05f, 0.01f}, zero{0, 0, 0}, at{-6, 3, 0};
  iVec2 s0{2.0f, 2.2f}, s1{5.0f, 5.5f};
  gh::raw::iParticleGravitySet(p, &zero);
  gh::raw::iParticleAirResistanceSet(p, 0.2f);
  gh::raw::iParticleColorSet(p, &c0, &c1);
  gh::raw::iParticleLifeTimeSet(p, 0.4f);
  int32_t e = gh::raw::iParticleEmitterCreate(p);
  gh::raw::iParticleEmitterDirectionSet(e, &lo, &hi);
  gh::raw::iParticleEmitterScaleSet(e, &s0, &s1);
  gh::raw::iParticleShow(p);
  gh::raw::iParticleEmitterLocationSet(e, &at);
  gh::raw::iParticleEmitterEmit(e, 10, 0.99f);
  Frame();
  Frame();
  View v = Capture();
  int l, t, r, b;
  ASSERT_TRUE(v.LitBox(0, 0, 800, 600, l, t, r, b, 40));
  EXPECT_LE(l, PixelX(-6));
  EXPECT_GE(r, PixelX(-6));
  EXPECT_LE(t, PixelY(3));
  EXPECT_GE(b, PixelY(3));
  EXPECT_LT(r - l, 400);  // a burst, not the whole screen
  // Half-way through its life the burst has cooled from yellow to orange and red:
  // its glow is mostly red, hardly any of it white.
  for (int i = 0; i < 10; ++i) Frame();
  View cooled = Capture();
  int reddish = 0, whitish = 0;
  for (int y = PixelY(3) - 80; y < PixelY(3) + 80; ++y)
    for (int x = PixelX(-6) - 80; x < PixelX(-6) + 80; ++x) {
      const uint8_t* c = cooled.At(x, y);
      reddish += c[0] > 80 && c[0] > c[1] + 40 && c[0] > c[2] + 60;
      whitish += c[0] > 220 && c[1] > 220 && c[2] > 220;
    }
  EXPECT_GT(reddish, 200);
  EXPECT_LT(whitish, reddish / 4);
  // Over a white wall, its dark smoke shows.
  int32_t wall = WorldQuad("Data\\White.png", 800, 600, 0, 0, false);
  gh::raw::iParticleEmitterEmit(e, 10, 0.99f);
  for (int i = 0; i < 19; ++i) Frame();
  View smoky = Capture();
  int darkened = 0;
  for (int y = PixelY(3) - 80; y < PixelY(3) + 80; ++y)
    for (int x = PixelX(-6) - 80; x < PixelX(-6) + 80; ++x) {
      const uint8_t* c = smoky.At(x, y);
      darkened += c[1] < 200 && c[2] < 200;
    }
  EXPECT_GT(darkened, 100) << "no smoke";
  gh::raw::iMeshHide(wall);
  for (int i = 0; i < 30; ++i) Frame();
  View after = Capture();
  EXPECT_FALSE(after.LitBox(0, 0, 800, 600, l, t, r, b, 40));  // gone after its life time
}

TEST_F(engine_gl_window, SpriteRenderPresentsThatSpriteAloneAtOnce) {
  OpenEngine();
  Picture("Data\\Green100x60.png", 100, 60, -10, 8);
  int32_t loading = Picture("Data\\Red300x50.png", 300, 50, 0, 0);
  gh::raw::iSpriteHide(loading);
  gh::raw::iSpriteRender(loading, -1);
  EXPECT_EQ(ih->ihLastRendered(), loading);
  View v = Capture();
  EXPECT_GT(v.At(400, 300)[0], 250);
  EXPECT_FALSE(v.Lit(PixelX(-10), PixelY(8)));
}

// A frame whose picture is the one on screen is neither drawn nor shown; any
// change to what is seen is, once, and the view then shows it.
TEST_F(engine_gl_window, OnlyFramesThatChangeThePictureAreShown) {
  OpenEngine();
  int32_t camera = gh::raw::iCameraCreate(0, 0, 1, 1);
  iVec3 eye{0, 0, -20.7f};
  gh::raw::iCameraLocationSet(camera, &eye);
  int32_t font = gh::raw::iFontCreate("Data\\font\\BancoDi.wid", camera);
  ASSERT_NE(font, 0) << gh::raw::i3ImpactErrorText();
  int32_t quad = WorldQuad("Data\\White.png", 200, 200, -8, 4, true);  // centre (200, 200)
  int32_t sprite = Picture("Data\\Red300x50.png", 300, 50, 2, -3);     // centre (450, 375)
  iVec2 textAt{-14, -10}, one{1, 1};
  auto print = [&](const char* text) {
    gh::raw::iPrintsHide();
    gh::raw::iPrint(text, &textAt, &one, 0, font);
  };
  print("SCORE 10");
  Frame();
  const uint64_t first = ih->ihFramesShown();
  for (int i = 0; i < 5; ++i) {
    print("SCORE 10");  // the same text again, as a screen does every frame
    iVec2 same{2, -3};
    gh::raw::iSpriteLocationSet(sprite, &same);
    Frame();
  }
  EXPECT_EQ(ih->ihFramesShown(), first) << "an unchanged picture was drawn again";
  const View still = Capture();
  EXPECT_GT(still.At(450, 375)[0], 250);
  int l, t, textRight, b;
  ASSERT_TRUE(still.LitBox(0, 500, 800, 600, l, t, textRight, b));

  iVec2 moved{6, -3};  // centre (550, 375)
  iColor red{1, 0, 0, 1};
  iVec3 behind{0, 0, 10};
  const struct {
    const char* change;
    std::function<void()> apply;
    std::function<bool(const View&)> seen;
  } changes[] = {
      {"moved", [&] { gh::raw::iSpriteLocationSet(sprite, &moved); },
       [](const View& v) { return v.At(620, 375)[0] > 250 && v.At(360, 375)[0] < 5; }},
      {"faded", [&] { gh::raw::iSpriteColorSet(sprite, 1, 1, 1, 0.5f); },
       [](const View& v) { return v.At(550, 375)[0] > 100 && v.At(550, 375)[0] < 160; }},
      {"hidden", [&] { gh::raw::iSpriteHide(sprite); },
       [](const View& v) { return v.At(550, 375)[0] < 5; }},
      {"text changed", [&] { print("SCORE 1000000"); },
       [&](const View& v) {
         int r = 0;
         return v.LitBox(0, 500, 800, 600, l, t, r, b) && r > textRight + 50;
       }},
      {"light turned red",
       [&] {
         gh::raw::iLightLocalColorSet(1, &red);
         gh::raw::iLightLocalColorSet(2, &red);
       },
       [](const View& v) { return v.At(200, 200)[0] > 215 && v.At(200, 200)[1] < 50; }},
      {"lights behind",
       [&] {
         for (int i = 0; i < 3; ++i) gh::raw::iLightLocalLocationSet(i, &behind);
       },
       [](const View& v) { return v.At(200, 200)[0] < 50; }},
      {"quad hidden", [&] { gh::raw::iMeshHide(quad); },
       [](const View& v) { return v.At(200, 200)[0] == 0; }},
      {"window shown anew",
       [&] {
         SDL_HideWindow(window);
         SDL_ShowWindow(window);
         for (int i = 0; i < 20; ++i) SDL_PumpEvents();
         gh::raw::iProcessMessages();
       },
       [](const View& v) { return v.At(200, 200)[0] == 0; }},
  };
  for (const auto& c : changes) {
    const uint64_t before = ih->ihFramesShown();
    c.apply();
    Frame();
    EXPECT_EQ(ih->ihFramesShown(), before + 1) << c.change << ": not shown";
    EXPECT_TRUE(c.seen(Capture())) << c.change << ": not what the view shows";
    Frame();
    EXPECT_EQ(ih->ihFramesShown(), before + 1) << c.change << ": shown again unchanged";
  }
}

TEST_F(engine_gl_window, WiderWindowKeepsTheViewAtFourToThreeWithBlackBars) {
  OpenEngine();
  SDL_SetWindowSize(window, 1000, 600);
  for (int i = 0; i < 20; ++i) {
    SDL_PumpEvents();
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w == 1000) break;
    SDL_Delay(10);  // the X server applies the resize
  }
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  if (w != 1000) GTEST_SKIP() << "the display did not resize the window";
  WorldQuad("Data\\White.png", 800, 600, 0, 0, false);
  Frame();
  View v = Capture();
  EXPECT_EQ(v.width, 800);  // the view, inside the bars
  EXPECT_EQ(v.height, 600);
  // The pointer maps through the bars: the window's x = 100 is the view's left edge.
  SDL_WarpMouseInWindow(window, 100, 300);
  gh::raw::iProcessMessages();
  EXPECT_NEAR(gh::raw::iMouseX(), 0.0f, 0.002f);
  SDL_WarpMouseInWindow(window, 50, 300);
  gh::raw::iProcessMessages();
  EXPECT_NEAR(gh::raw::iMouseX(), 0.0f, 0.002f);  // clamped on the bar
  SDL_WarpMouseInWindow(window, 500, 300);
  gh::raw::iProcessMessages();
  EXPECT_NEAR(gh::raw::iMouseX(), 0.5f, 0.002f);
}

TEST_F(engine_gl_window, TheFrameLoopSleepsUntilTheNextFrameIsDue) {
  OpenEngine();
  ih->ihCaptureEnable(0);
  uint64_t f0 = ih->ihFrame();
  int passes = 0, notReady = 0;
  for (int frame = 0; frame < 30; ++frame) {
    // The program's loop: run a frame when one is due, pump messages every pass.
    while (!gh::raw::i3ImpactIsReady() && passes < 100000) {
      ++notReady;
      gh::raw::iProcessMessages();  // sleeps until the frame is due or events come
      ++passes;
    }
    Frame();
    gh::raw::iProcessMessages();
    ++passes;
  }
  EXPECT_EQ(ih->ihFrame(), f0 + 30);
  // A loop that spun would pass thousands of times per frame.
  EXPECT_LT(passes, 30 * 4) << notReady << " passes found no frame due";
}

TEST_F(engine_gl_window, WindowEventsBecomeInputAndMessages) {
  OpenEngine();
  std::vector<iMessage> seen;
  gh::raw::iMessageHandlerSet(
      [](const iMessage* m, void* user) {
        static_cast<std::vector<iMessage>*>(user)->push_back(*m);
      },
      &seen);
  auto key = [&](SDL_Scancode sc, bool down, Uint16 mod = 0) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(window);
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = SDL_GetKeyFromScancode(sc);
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
  };
  // Typed text comes as the window system's text events, in the player's layout.
  auto text = [&](const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = SDL_GetWindowID(window);
    SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
    SDL_PushEvent(&e);
  };
  key(SDL_SCANCODE_A, true);
  text("a");
  key(SDL_SCANCODE_A, false);
  key(SDL_SCANCODE_2, true, KMOD_LSHIFT);
  text("\xC3\xA9\xE2\x82\xAC");  // e acute (Latin-1 0xE9), then the euro sign (not 8-bit)
  key(SDL_SCANCODE_2, false, KMOD_LSHIFT);
  key(SDL_SCANCODE_UP, true);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = -1;
  SDL_PushEvent(&wheel);
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = SDL_GetWindowID(window);
  SDL_PushEvent(&close);
  gh::raw::iProcessMessages();
  gh::raw::i3ImpactMain();
  EXPECT_NE(gh::raw::iKeyClick(30), 0);  // A, pressed and released within the frame
  EXPECT_EQ(gh::raw::iKeyDown(30), 0);
  EXPECT_NE(gh::raw::iKeyDown(200), 0);  // Up, held
  EXPECT_EQ(gh::raw::iTypedChar(-1), 'a');
  EXPECT_EQ(gh::raw::iKeyClick(3), 0);  // one press a frame: the 2 key comes next
  gh::raw::i3ImpactMain();
  EXPECT_NE(gh::raw::iKeyClick(3), 0);
  EXPECT_EQ(gh::raw::iTypedChar(-1), 0xE9);
  gh::raw::i3ImpactMain();
  EXPECT_NE(gh::raw::iKeyClick(200), 0);  // Up
  EXPECT_EQ(gh::raw::iTypedChar(-1), 0);
  std::vector<std::pair<int, int>> kinds;
  for (const iMessage& m : seen)
    if (m.kind != iMsgActivate && m.kind != iMsgDeactivate)  // the focus comes and goes
      kinds.push_back({m.kind, m.a});
  EXPECT_EQ(kinds, (std::vector<std::pair<int, int>>{
                       {iMsgKeyUp, 'A'}, {iMsgKeyUp, '2'}, {iMsgWheelDown, 0}, {iMsgClose, 0}}));
  EXPECT_NE(gh::raw::i3ImpactIsRendering(), 0);  // a close request does not stop the engine
  key(SDL_SCANCODE_UP, false);
  gh::raw::iProcessMessages();
}

TEST_F(engine_gl_window, EngineMakesItsOwnWindowWhenGivenNone) {
  OpenEngine(/*ownWindow=*/true);
  SDL_Window* own = SDL_GL_GetCurrentWindow();
  ASSERT_NE(own, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(own), "Gravelhorn 2");
  int w = 0, h = 0;
  SDL_GetWindowSize(own, &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  Picture("Data\\Red300x50.png", 300, 50, 0, 0);
  Frame();
  EXPECT_GT(Capture().At(400, 300)[0], 250);
}

TEST_F(engine_gl_window, FullScreenSettingFillsTheDesktop) {
  OpenEngine();
  const gh::EngineSettings full = gh::EngineSettings::FullScreen();
  EXPECT_EQ(gh::raw::i3ImpactSettings(full.Record()), -1);
  EXPECT_NE(ih->ihFullscreen(), 0);
  const gh::EngineSettings windowed = gh::EngineSettings::Windowed();
  EXPECT_EQ(gh::raw::i3ImpactSettings(windowed.Record()), -1);
  EXPECT_EQ(ih->ihFullscreen(), 0);
}

// The test command's virtual display has no window manager: nothing honours a
// full-screen request, and the window keeps its size.
TEST_F(engine_gl_window, FullScreenThatNobodyHonoursStillShowsTheWholeViewInTheWindow) {
  OpenEngine();
  const gh::EngineSettings full = gh::EngineSettings::FullScreen();
  ASSERT_EQ(gh::raw::i3ImpactSettings(full.Record()), -1);
  // A red bar along the view's bottom edge, up to its right-hand corner.
  Picture("Data\\Red300x50.png", 300, 50, 16 - 6, -12 + 1);
  for (int i = 0; i < 3; ++i) {
    gh::raw::iProcessMessages();
    Frame();
  }
  int w = 0, h = 0;
  if (!ServerWindowSize(window, w, h)) GTEST_SKIP() << "not an X display";
  View v = Capture();
  ASSERT_GT(v.width, 0);
  EXPECT_LE(v.width, w) << "the view is wider than the window";
  EXPECT_LE(v.height, h) << "the view is taller than the window";
  EXPECT_TRUE(v.width == w || v.height == h) << "the view does not fill the window";
  EXPECT_NEAR(v.width * 3, v.height * 4, 4);
  // The corner is drawn, inside the window.
  EXPECT_GT(v.At(v.width - 3, v.height - 3)[0], 250);
  // The pointer maps to the view as drawn: the window's bottom-right pixel is
  // the view's corner.
  const int left = (w - v.width) / 2, top = (h - v.height) / 2;
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = SDL_GetWindowID(window);
  motion.motion.x = left + v.width - 1;
  motion.motion.y = top + v.height - 1;
  SDL_PushEvent(&motion);
  gh::raw::iProcessMessages();
  EXPECT_NEAR(gh::raw::iMouseX(), 1.0f, 0.01f);
  EXPECT_NEAR(gh::raw::iMouseY(), 1.0f, 0.01f);
}

TEST_F(engine_gl_window, EveryOpeningDrawsItsOwnRandomNumbers) {
  auto draws = [&] {
    ih->ihSeed(7);  // the same state before every opening
    OpenEngine();
    std::vector<int32_t> numbers;
    for (int i = 0; i < 8; ++i) numbers.push_back(gh::raw::iIntRand(0, 1 << 30));
    CloseEngine();
    return numbers;
  };
  const std::vector<int32_t> first = draws();
  EXPECT_NE(first, draws()) << "two launches would play the same game";
}

// The click that brings a stopped game's window back reaches the engine while
// none is open; it must not act in the next run's first frame.
TEST_F(engine_gl_window, WhatWasPressedWhileTheEngineWasClosedIsNoInputOfTheNextRun) {
  OpenEngine();
  gh::raw::i3ImpactClose();  // the program's window stays, as after the boss key
  SDL_Event press{};
  press.type = SDL_MOUSEBUTTONDOWN;
  press.button.windowID = SDL_GetWindowID(window);
  press.button.button = SDL_BUTTON_LEFT;
  press.button.state = SDL_PRESSED;
  press.button.x = 400;
  press.button.y = 300;
  SDL_PushEvent(&press);
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.windowID = SDL_GetWindowID(window);
  key.key.keysym.scancode = SDL_SCANCODE_RETURN;
  SDL_PushEvent(&key);
  gh::raw::iProcessMessages();
  ASSERT_EQ(gh::raw::i3ImpactOpen(SDL_GetWindowID(window), 0), -1) << gh::raw::i3ImpactErrorText();
  Frame();
  EXPECT_EQ(gh::raw::iMouseButtonClick(0), 0);
  EXPECT_EQ(gh::raw::iMouseButtonDown(0), 0);
  EXPECT_EQ(gh::raw::iKeyClick(28), 0);
  EXPECT_EQ(gh::raw::iKeyDown(28), 0);
}

TEST_F(engine_gl_window, ComposedSceneScreenshot) {
  const char* out = std::getenv("GH_ENGINE_SHOT");
  OpenEngine();
  int32_t font =
      gh::raw::iFontCreate("Data\\font\\BancoDi.wid", gh::raw::iCameraCreate(0, 0, 1, 1));
  WorldQuad("Data\\Sky.png", 800, 600, 0, 0, true);
  WorldQuad("Data\\Half.png", 200, 100, -6, 4, true);
  Picture("Data\\Red300x50.png", 300, 50, 0, -8);
  int32_t p = gh::raw::iParticleCreate("Data\\Hit.png", 10);
  gh::raw::iParticleRenderModeSet(p, 2);
  iVec3 lo{-0.9f, -0.9f, -0.9f}, hi{0.9f, 0.9f, 0.9f}, c0{0.98f, 0.94f, 0.67f},
      c1{0.25f, 0.05f, 0.01f}, at{6, 4, 0};
  iVec2 s0{2.0f, 2.2f}, s1{5.0f, 5.5f};
  gh::raw::iParticleColorSet(p, &c0, &c1);
  gh::raw::iParticleLifeTimeSet(p, 0.4f);
  int32_t e = gh::raw::iParticleEmitterCreate(p);
  gh::raw::iParticleEmitterDirectionSet(e, &lo, &hi);
  gh::raw::iParticleEmitterScaleSet(e, &s0, &s1);
  gh::raw::iParticleEmitterLocationSet(e, &at);
  gh::raw::iParticleShow(p);
  gh::raw::iParticleEmitterEmit(e, 10, 0.99f);
  iVec2 title{1, 7.7f}, two{2, 2}, label{-10.5f, 4.3f}, one{1, 1}, mid{0, -8}, small{0.6f, 0.6f};
  gh::raw::iPrintColorSet(0, 0, 0, 0.5f);
  iVec2 shadow{title.x - 0.2f, title.y - 0.1f};
  gh::raw::iPrint("OPTIONS", &shadow, &two, -0.2f, font);
  gh::raw::iPrintColorSet(1, 1, 0, 1);
  gh::raw::iPrint("OPTIONS", &title, &two, -0.2f, font);
  gh::raw::iPrintColorSet(0.17f, 1, 0, 1);
  gh::raw::iPrint("Display:", &label, &one, -0.3f, font);
  gh::raw::iPrintColorSet(1, 0.47f, 0, 1);
  gh::raw::iPrintCentered("Start Game", &mid, &small, -0.1f, font, 26);
  for (int i = 0; i < 3; ++i) Frame();
  View v = Capture();
  ASSERT_EQ(v.width, 800);
  if (out) v.SavePng(out);
  const uint8_t* sky = v.At(400, 300);  // lit sky, blue above red
  EXPECT_GT(sky[2], sky[0]);
  EXPECT_GT(sky[2], 120);
}

TEST_F(engine_gl_window, WavPlayedThroughTheDiskDriverLeavesSound) {
  ScratchDir audioDir;
  const std::string raw = audioDir / "out.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
  OpenEngine();
  int32_t s = gh::raw::iSoundCreate("Data\\Sound\\Click.wav", -1);
  ASSERT_NE(s, 0) << gh::raw::i3ImpactErrorText();
  gh::raw::iSoundPlay(s, 0);
  EXPECT_NE(ih->ihSoundPlaying(s), 0);
  for (int i = 0; i < 40; ++i) {
    Frame();
    while (!gh::raw::i3ImpactIsReady()) gh::raw::iProcessMessages();
  }
  CloseEngine();
  unsetenv("SDL_DISKAUDIOFILE");
  unsetenv("SDL_DISKAUDIODELAY");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::ifstream in(raw, std::ios::binary);
  std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(data.size(), 1000u) << "the disk driver wrote nothing";
  // The mixer works in 32-bit floats, which the disk driver writes as they are.
  size_t loud = 0;
  for (size_t i = 0; i + sizeof(float) <= data.size(); i += sizeof(float)) {
    float sample;
    std::memcpy(&sample, &data[i], sizeof sample);
    loud += std::fabs(sample) > 0.03f;
  }
  EXPECT_GT(loud, 1000u);
}

}  // namespace
}  // namespace enginetest
