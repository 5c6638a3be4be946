// Sound effects and music.
#include "engine/EngineCalls.h"
#include "settings/Settings.h"
#include "shell/Shell.h"

namespace gh {

void Shell::PlaySoundFx(SoundRef sound, bool looped) {
  if (settings_.SoundOn && sound) iSoundPlay(sound, looped);
}

void Shell::UpdateMusic() {
  if (!resources_.MenuMusic || !resources_.GameMusic) return;
  iSoundStop(resources_.GameMusic, 0);
  iSoundStop(resources_.MenuMusic, 0);
  if (!settings_.MusicOn) return;
  if (currentScreen_ == Screen::Game || currentScreen_ == Screen::Watch) {
    iSoundPlay(resources_.GameMusic, true);
  } else {
    iSoundPlayNow(resources_.MenuMusic, true);
  }
}

}  // namespace gh
