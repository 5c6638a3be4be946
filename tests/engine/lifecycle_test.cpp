// Life cycle, clock, handles and errors of the headless engine.
#include <array>
#include <cmath>
#include <functional>
#include <set>

#include "EngineFixture.h"

namespace enginetest {
namespace {

using engine_lifecycle = HeadlessEngine;

TEST_F(engine_lifecycle, PhasesFollowOpenInitEndExitAndClose) {
  EXPECT_NE(gh::raw::i3ImpactIsActive(), 0);
  EXPECT_NE(gh::raw::i3ImpactIsExecuting(), 0);
  EXPECT_NE(gh::raw::i3ImpactIsReady(), 0);
  EXPECT_NE(gh::raw::i3ImpactIsInitializing(), 0);
  EXPECT_NE(gh::raw::i3ImpactIsRendering(), 0);
  EXPECT_EQ(gh::raw::i3ImpactIsSkippingRunPhase(), 0);
  EXPECT_EQ(gh::raw::i3ImpactIsSkippingRenderPhase(), 0);

  gh::raw::i3ImpactMain();
  gh::raw::i3ImpactInitBegin();
  gh::raw::i3ImpactInitEnd();
  EXPECT_EQ(gh::raw::i3ImpactIsInitializing(), 0);
  EXPECT_NE(gh::raw::i3ImpactIsRendering(), 0);

  // A close request of the window is only a message: rendering goes on.
  iMessage close{iMsgClose, 0, 0};
  ih->ihMessagePost(&close);
  gh::raw::iProcessMessages();
  EXPECT_NE(gh::raw::i3ImpactIsRendering(), 0);

  gh::raw::iExit();
  EXPECT_EQ(gh::raw::i3ImpactIsRendering(), 0);
  EXPECT_NE(gh::raw::i3ImpactIsActive(), 0);

  gh::raw::i3ImpactClose();
  EXPECT_EQ(gh::raw::i3ImpactIsActive(), 0);
  EXPECT_EQ(gh::raw::i3ImpactIsExecuting(), 0);
  EXPECT_EQ(gh::raw::i3ImpactIsReady(), 0);
  EXPECT_EQ(gh::raw::i3ImpactIsRendering(), 0);
}

TEST_F(engine_lifecycle, ReopeningStartsANewInitialisationPhase) {
  gh::raw::i3ImpactInitEnd();
  gh::raw::i3ImpactClose();
  int32_t before = ih->ihOpenCount();
  ASSERT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
  EXPECT_EQ(ih->ihOpenCount(), before + 1);
  EXPECT_NE(gh::raw::i3ImpactIsInitializing(), 0);
}

TEST_F(engine_lifecycle, OpenFailuresAreCountedAndClearable) {
  gh::raw::i3ImpactClose();
  int32_t before = ih->ihOpenCount();
  ih->ihOpenFailSet(2);
  EXPECT_EQ(gh::raw::i3ImpactOpen(0, 0), 0);
  EXPECT_EQ(gh::raw::i3ImpactIsActive(), 0);
  EXPECT_EQ(gh::raw::i3ImpactOpen(0, 0), 0);
  EXPECT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);  // the two failures are used up
  gh::raw::i3ImpactClose();
  ih->ihOpenFailSet(-1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(gh::raw::i3ImpactOpen(0, 0), 0);
  ih->ihOpenFailSet(0);
  EXPECT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
  EXPECT_EQ(ih->ihOpenCount(), before + 2);
}

// The record's bytes are the engine's contract: only the full-screen flag varies.
TEST(engine_settings_record, HoldsTheFixedFieldsAndTheFullScreenFlag) {
  const struct {
    gh::EngineSettings settings;
    std::array<int32_t, 6> record;
  } cases[] = {
      {gh::EngineSettings::Windowed(), {0, 0, 15360000, 0, 0, -1}},
      {gh::EngineSettings::FullScreen(), {0, 0, 15360000, 0, -1, -1}},
      {gh::EngineSettings::ForDisplaySetting(1), {0, 0, 15360000, 0, 0, -1}},
      {gh::EngineSettings::ForDisplaySetting(0), {0, 0, 15360000, 0, -1, -1}},
      {gh::EngineSettings::ForDisplaySetting(7), {0, 0, 15360000, 0, -1, -1}},
  };
  for (const auto& c : cases) {
    const std::array<int32_t, 6> record = {c.settings.Record()[0], c.settings.Record()[1],
                                           c.settings.Record()[2], c.settings.Record()[3],
                                           c.settings.Record()[4], c.settings.Record()[5]};
    EXPECT_EQ(record, c.record);
  }
}

TEST_F(engine_lifecycle, SettingsFieldFiveChoosesFullScreen) {
  const gh::EngineSettings windowed = gh::EngineSettings::Windowed();
  const gh::EngineSettings full = gh::EngineSettings::FullScreen();
  EXPECT_EQ(gh::raw::i3ImpactSettings(full.Record()), -1);
  EXPECT_NE(ih->ihFullscreen(), 0);
  EXPECT_EQ(gh::raw::i3ImpactSettings(windowed.Record()), -1);
  EXPECT_EQ(ih->ihFullscreen(), 0);
}

TEST_F(engine_lifecycle, VirtualClockAdvancesOneFramePerMainAndIdleTick) {
  uint64_t f0 = ih->ihFrame();
  gh::raw::i3ImpactMain();
  ih->ihIdleTick();
  EXPECT_EQ(ih->ihFrame(), f0 + 2);
  for (int i = 0; i < 7; ++i) gh::raw::i3ImpactMain();
  uint64_t f = ih->ihFrame();
  EXPECT_EQ(ih->ihMillis(), static_cast<uint32_t>(f * 1000 / 60));
}

TEST_F(engine_lifecycle, TicCountsHundredPerSecondFromOpen) {
  gh::raw::i3ImpactClose();
  for (int i = 0; i < 30; ++i) ih->ihIdleTick();  // time passing while closed
  ASSERT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
  EXPECT_EQ(gh::raw::iTic(), 0);
  Frames(60);
  EXPECT_EQ(gh::raw::iTic(), 100);
  Frames(3);  // 50 ms
  EXPECT_EQ(gh::raw::iTic(), 105);
}

TEST_F(engine_lifecycle, FrameHookRunsBeforeTheFramesInputIsTaken) {
  struct Seen {
    uint64_t frame = 0;
    int calls = 0;
    const HarnessCalls* ih;
  } seen{0, 0, ih};
  ih->ihFrameHookSet(
      [](uint64_t frame, void* user) {
        auto* s = static_cast<Seen*>(user);
        s->frame = frame;
        ++s->calls;
        if (s->calls == 1) s->ih->ihKeySet(57, 1);
      },
      &seen);
  gh::raw::i3ImpactMain();
  EXPECT_EQ(seen.frame, ih->ihFrame());
  EXPECT_NE(gh::raw::iKeyClick(57), 0);  // set inside the hook, seen in the same frame
  ih->ihIdleTick();
  EXPECT_EQ(seen.calls, 2);
}

TEST(engine_float_tend_to, MovesByTheFrameFractionOfItsTimeConstant) {
  Engine();
  struct Case {
    float start, target, seconds;
    int frames;
    float expected;
  } cases[] = {
      {0, 1, 1.0f, 60, 1 - std::exp(-1.0f)},  // one time constant
      {0, 1.1f, 1.0f, 120, 1.1f * (1 - std::exp(-2.0f))},
      {0.4f, 1, 0.3f, 18, 1 - 0.6f * std::exp(-1.0f)},  // a flash recovers in 0.3 s
      {5, -5, 0.5f, 1, 5 - 10 * (1 - std::exp(-1.0f / 30))},
      {3, 7, 0.0f, 1, 7},  // no time constant: at once
  };
  for (const Case& c : cases) {
    float v = c.start;
    for (int i = 0; i < c.frames; ++i) gh::raw::iFloatTendTo(&v, c.target, c.seconds);
    EXPECT_NEAR(v, c.expected, 1e-4f) << c.start << " -> " << c.target << " over " << c.seconds;
  }
  gh::raw::iFloatTendTo(nullptr, 1, 1);  // ignored
}

TEST_F(engine_lifecycle, RandomNumbersAreSeededAndInRange) {
  ih->ihSeed(42);
  float a = gh::raw::iFloatRand(-2, 3);
  int32_t b = gh::raw::iIntRand(1, 6);
  ih->ihSeed(42);
  EXPECT_EQ(gh::raw::iFloatRand(-2, 3), a);
  EXPECT_EQ(gh::raw::iIntRand(1, 6), b);
  std::set<int32_t> seen;
  for (int i = 0; i < 2000; ++i) {
    float f = gh::raw::iFloatRand(-2, 3);
    ASSERT_GE(f, -2);
    ASSERT_LT(f, 3);
    int32_t n = gh::raw::iIntRand(1, 6);
    ASSERT_GE(n, 1);
    ASSERT_LE(n, 6);
    seen.insert(n);
  }
  EXPECT_EQ(seen.size(), 6u);  // both ends are reached
  EXPECT_EQ(gh::raw::iIntRand(INT32_MIN, INT32_MIN), INT32_MIN);
}

TEST_F(engine_lifecycle, HandlesAreNeverReusedNotEvenAcrossRuns) {
  std::set<int32_t> handles;
  for (int run = 0; run < 3; ++run) {
    for (int i = 0; i < 5; ++i) {
      int32_t s = gh::raw::iSpriteCreate("Data\\sprite.x", 0);
      int32_t t = gh::raw::iTextureCreate("Data\\cursor.png");
      int32_t m = gh::raw::iMeshCreate("Data\\sprite.x");
      for (int32_t h : {s, t, m}) {
        ASSERT_NE(h, 0);
        EXPECT_TRUE(handles.insert(h).second) << "handle " << h << " came back";
      }
      gh::raw::iSpriteDestroy(s);
      gh::raw::iTextureDestroy(t);
      gh::raw::iMeshDestroy(m);
    }
    gh::raw::i3ImpactClose();
    ASSERT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
  }
}

TEST_F(engine_lifecycle, CallsOnUnknownAndDestroyedHandlesAreIgnored) {
  int32_t s = Picture("Data\\cursor.png", 32, 32, 1, 1);
  int32_t m = gh::raw::iMeshCreate("Data\\sprite.x");
  gh::raw::iSpriteDestroy(s);
  gh::raw::iMeshDestroy(m);
  uint64_t sum = ih->ihSceneChecksum();
  iVec2 v2{1, 2};
  iVec3 v3{1, 2, 3};
  iColor c{1, 1, 1, 1};
  for (int32_t h : {s, m, 0, -5, 999999}) {
    gh::raw::iSpriteShow(h);
    gh::raw::iSpriteLocationSet(h, &v2);
    gh::raw::iSpriteScaleSet(h, &v2);
    gh::raw::iSpriteColorSet(h, 1, 0, 0, 1);
    gh::raw::iSpriteTextureSet(h, h);
    gh::raw::iSpriteTextureChange(h, "Data\\cursor.png");
    gh::raw::iSpriteRender(h, -1);
    EXPECT_EQ(gh::raw::iSpritePicked(h), 0);
    iVec2 out{7, 7};
    gh::raw::iSpriteLocation(h, &out);
    gh::raw::iMeshShow(h);
    gh::raw::iMeshLocationSet(h, &v3);
    gh::raw::iMeshScaleSet(h, 1, 1, 1);
    gh::raw::iMeshTextureSet(h, h);
    gh::raw::iMeshLocalLightsEnable(h, -1);
    EXPECT_EQ(gh::raw::iMeshPicked(h, h), 0);
    gh::raw::iParticleEmitterEmit(h, 10, 1);
    gh::raw::iParticleShow(h);
    gh::raw::iSoundPlay(h, -1);
    gh::raw::iSoundStop(h, 0);
    gh::raw::iPrint("X", &v2, &v2, 0, h);
    EXPECT_EQ(gh::raw::iPrintWidth("X", &v2, 0, h), 0.0f);
    gh::raw::iCameraLocationSet(h, &v3);
    gh::raw::iTextureDestroy(h);
    gh::raw::iSoundDestroy(h);
  }
  gh::raw::iLightLocalColorSet(3, &c);
  gh::raw::iLightLocalLocationSet(-1, &v3);
  EXPECT_EQ(gh::raw::iKeyDown(-1) | gh::raw::iKeyDown(256) | gh::raw::iKeyClick(1000), 0);
  EXPECT_EQ(gh::raw::iMouseButtonDown(-1) | gh::raw::iMouseButtonClick(99), 0);
  EXPECT_EQ(ih->ihSceneChecksum(), sum);
  EXPECT_EQ(ih->ihObjectCount(), 1);  // the picture's texture
  EXPECT_EQ(ih->ihLastRendered(), 0);
  EXPECT_TRUE(SoundEvents().empty());
}

TEST_F(engine_lifecycle, ResetAndCloseFreeEveryObject) {
  Picture("Data\\cursor.png", 32, 32, 0, 0);
  int32_t p = gh::raw::iParticleCreate("Data\\cursor.png", 10);
  gh::raw::iParticleEmitterCreate(p);
  gh::raw::iSoundCreate("Data\\Sound\\Click.wav", -1);
  MainFont();
  EXPECT_EQ(ih->ihObjectCount(), 7);  // sprite, texture, system, emitter, sound, camera, font
  gh::raw::iReset(-1, -1);
  EXPECT_EQ(ih->ihObjectCount(), 0);
  EXPECT_TRUE(Sprites().empty());

  Picture("Data\\cursor.png", 32, 32, 0, 0);
  int32_t snd = gh::raw::iSoundCreate("Data\\Sound\\Click.wav", -1);
  gh::raw::iSoundPlay(snd, -1);
  gh::raw::iReset(0, -1);  // sounds only
  EXPECT_EQ(ih->ihObjectCount(), 2);
  EXPECT_EQ(ih->ihSoundPlaying(snd), 0);
  gh::raw::i3ImpactClose();
  EXPECT_EQ(ih->ihObjectCount(), 0);
}

TEST_F(engine_lifecycle, ErrorFlagKeepsTheFirstErrorUntilCleared) {
  EXPECT_EQ(gh::raw::i3ImpactErrorFlag(), 0);
  EXPECT_STREQ(gh::raw::i3ImpactErrorText(), "");
  EXPECT_EQ(gh::raw::iTextureCreate("Data\\missing.png"), 0);
  EXPECT_NE(gh::raw::i3ImpactErrorFlag(), 0);
  std::string first = gh::raw::i3ImpactErrorText();
  // Messages name the file as the system spells its paths.
#ifdef _WIN32
  EXPECT_EQ(first.rfind("Cannot load \"Data\\missing.png\": ", 0), 0u) << first;
#else
  EXPECT_EQ(first.rfind("Cannot load \"Data/missing.png\": ", 0), 0u) << first;
#endif
  EXPECT_EQ(gh::raw::iSpriteCreate("Data\\bad.x", 0), 0);
  EXPECT_EQ(std::string(gh::raw::i3ImpactErrorText()), first);
  gh::raw::i3ImpactErrorFlagSet(0);
  EXPECT_EQ(gh::raw::i3ImpactErrorFlag(), 0);
  EXPECT_STREQ(gh::raw::i3ImpactErrorText(), "");
  ih->ihErrorRaise();
  EXPECT_NE(gh::raw::i3ImpactErrorFlag(), 0);
}

// Each picture, model or font that cannot be loaded gives no object and names the
// file; a sound or tune that cannot be loaded is an object that plays silence (the
// game goes on without it), and no error.
TEST_F(engine_lifecycle, BrokenFilesGiveNoObjectAndAClearError) {
  struct Case {
    const char* what;
    std::function<int32_t()> create;
    const char* name;
    bool silent = false;
  } cases[] = {
      {"missing texture", [] { return gh::raw::iTextureCreate("Data\\nothere.png"); },
       "nothere.png"},
      {"broken texture", [] { return gh::raw::iTextureCreate("Data\\broken.png"); }, "broken.png"},
      {"folder as texture", [] { return gh::raw::iTextureCreate("Data\\Game"); }, "Game"},
      {"missing model", [] { return gh::raw::iSpriteCreate("Data\\none.x", 0); }, "none.x"},
      {"foreign model", [] { return gh::raw::iMeshCreate("Data\\bad.x"); }, "bad.x"},
      {"model without size", [] { return gh::raw::iMeshCreate("Data\\nosize.x"); }, "nosize.x"},
      {"model with a bad size", [] { return gh::raw::iMeshCreate("Data\\badsize.x"); },
       "badsize.x"},
      {"missing font", [] { return gh::raw::iFontCreate("Data\\font\\none.wid", 0); }, "none.wid"},
      {"broken font", [] { return gh::raw::iFontCreate("Data\\font\\broken.wid", 0); },
       "broken.wid"},
      {"missing sound", [] { return gh::raw::iSoundCreate("Data\\Sound\\x.wav", -1); }, "x.wav",
       true},
      {"broken sound", [] { return gh::raw::iSoundCreate("Data\\Sound\\broken.wav", -1); },
       "broken.wav", true},
      {"wav as tune", [] { return gh::raw::iSoundOggCreate("Data\\Sound\\Click.wav", 0, 1); },
       "Click.wav", true},
      {"missing particles", [] { return gh::raw::iParticleCreate("Data\\Hit.png", 10); },
       "Hit.png"},
  };
  int silent = 0;
  for (const Case& c : cases) {
    gh::raw::i3ImpactErrorFlagSet(0);
    if (c.silent) {
      EXPECT_NE(c.create(), 0) << c.what;
      EXPECT_EQ(gh::raw::i3ImpactErrorFlag(), 0) << c.what;
      ++silent;
      continue;
    }
    EXPECT_EQ(c.create(), 0) << c.what;
    EXPECT_NE(gh::raw::i3ImpactErrorFlag(), 0) << c.what;
    std::string text = gh::raw::i3ImpactErrorText();
    EXPECT_NE(text.find("Cannot load \""), std::string::npos) << c.what << ": " << text;
    EXPECT_NE(text.find(c.name), std::string::npos) << c.what << ": " << text;
  }
  EXPECT_EQ(ih->ihObjectCount(), silent);
}

TEST_F(engine_lifecycle, NamesResolveWithBackslashesAndAnyCase) {
  EXPECT_NE(gh::raw::iTextureCreate("dATA\\game\\t1\\1.PNG"), 0);
  EXPECT_NE(gh::raw::iSpriteCreate("DATA\\SPRITE.X", 0), 0);
  EXPECT_NE(gh::raw::iSoundCreate("data\\sound\\click.WAV", -1), 0);
  EXPECT_EQ(gh::raw::i3ImpactErrorFlag(), 0) << gh::raw::i3ImpactErrorText();
}

// UTF-8 names reach the file system as the same names (on Windows through
// its wide-character calls, not the ANSI code page).
TEST_F(engine_lifecycle, NamesBeyondAsciiLoad) {
  EXPECT_NE(gh::raw::iSpriteCreate("Data\\Mod\u00e8le.x", 0), 0);
  EXPECT_NE(gh::raw::iTextureCreate("Data\\\u00dcbung\\B\u00e4r.png"), 0);
  EXPECT_NE(gh::raw::iSoundCreate("Data\\Sound\\D\u00e9j\u00e0.wav", -1), 0);
  EXPECT_EQ(gh::raw::i3ImpactErrorFlag(), 0) << gh::raw::i3ImpactErrorText();
}

TEST_F(engine_lifecycle, MessagesReachTheHandlerInOrderEvenWhenClosed) {
  struct Log {
    std::vector<iMessage> seen;
    bool nested = false;
  } log;
  gh::raw::iMessageHandlerSet(
      [](const iMessage* m, void* user) {
        auto* l = static_cast<Log*>(user);
        l->seen.push_back(*m);
        // A handler that runs a nested loop pumps messages itself.
        if (m->kind == iMsgRestore && !l->nested) {
          l->nested = true;
          gh::raw::iProcessMessages();
        }
      },
      &log);
  gh::raw::i3ImpactClose();
  const iMessage posted[] = {
      {iMsgRestore, 0, 0}, {iMsgKeyUp, 49, 0}, {iMsgWheelDown, 0, 0}, {iMsgDeactivate, 0, 0}};
  for (const iMessage& m : posted) ih->ihMessagePost(&m);
  gh::raw::iProcessMessages();
  ASSERT_EQ(log.seen.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(log.seen[i].kind, posted[i].kind);
    EXPECT_EQ(log.seen[i].a, posted[i].a);
  }
  gh::raw::iProcessMessages();
  EXPECT_EQ(log.seen.size(), 4u);
  ASSERT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
}

}  // namespace
}  // namespace enginetest
