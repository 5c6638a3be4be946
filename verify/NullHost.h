// The host of a game nobody watches: no sound, no pointer picture, no table
// and no server. A playback answers the game's questions itself and hands
// only what is seen and heard on to this host.
#pragma once
#include "game/GameHost.h"

namespace gh {

class NullHost : public GameHost {
 public:
  void Ask(const std::string&, const std::string&, const iColor&, bool,
           std::function<void(bool)>) override {}
  bool QualifiesForHighScores(int32_t) override { return false; }
  Status EnterHighScore(int32_t) override { return {}; }
  void SendScore(int32_t, std::function<void(bool)> then) override {
    if (then) then(false);
  }
  void PlaySound(SoundRef, bool) override {}
  void ConfinePointer(bool) override {}
  void EndGame(bool) override {}
  void SetPointerPicture(const char*) override {}
};

}  // namespace gh
