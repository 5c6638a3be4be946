// The window backend's audio side, with SDL2_mixer: WAV effects on free channels
// (rapid shots overlap), OGG tunes streamed as music. Without an audio device the
// game plays silently.
//
// SDL2_mixer is loaded when the audio opens (with the first sound), not with the
// engine library: it brings a long chain of libraries (synthesisers, sound
// servers) that would otherwise delay the first picture. The calls below keep
// their names; each is bound from the loaded library.
#include <SDL.h>
#include <SDL_mixer.h>

#include <array>

#include "Os.h"
#include "backend/Backend.h"
#include "core/Conventions.h"
#include "window/ForeignAllocations.h"

namespace impact {

namespace {

#define GH_MIXER_CALLS(X)                                                                     \
  X(Mix_Init)                                                                                 \
  X(Mix_OpenAudio) X(Mix_AllocateChannels) X(Mix_CloseAudio) X(Mix_LoadMUS) X(Mix_LoadWAV)    \
      X(Mix_FreeMusic) X(Mix_FreeChunk) X(Mix_PlayMusic) X(Mix_PlayingMusic) X(Mix_HaltMusic) \
          X(Mix_PlayChannel) X(Mix_GroupOldest) X(Mix_HaltChannel) X(Mix_Playing)

#define GH_MIXER_SLOT(name) decltype(&::name) name = nullptr;
GH_MIXER_CALLS(GH_MIXER_SLOT)
#undef GH_MIXER_SLOT

// Binds every call once; false (and the game silent) when the library or a call is missing.
bool BindMixer() {
  static const bool bound = [] {
    void* lib = os::OpenLibrary(GH_MIXER_LIBRARY);
    if (!lib) return false;
    bool all = true;
#define GH_MIXER_BIND(name)                                      \
  name = reinterpret_cast<decltype(&::name)>(os::LibraryFunction(lib, #name)); \
  all = all && name != nullptr;
    GH_MIXER_CALLS(GH_MIXER_BIND)
#undef GH_MIXER_BIND
    return all;  // the library stays loaded for the process
  }();
  return bound;
}

class MixerAudio : public Audio {
 public:
  ~MixerAudio() override { Close(); }

  void Open() override {
    ForeignAllocations foreign;
    if (!BindMixer()) return;  // silent
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
      if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;  // silent
      initedAudio_ = true;
    }
    Mix_Init(MIX_INIT_OGG);
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
      Quit();
      return;
    }
    Mix_AllocateChannels(conv::kMixChannels);
    owner_.fill(0);
    music_ = 0;
    open_ = true;
  }

  void Close() override {
    if (open_) {
      Mix_HaltChannel(-1);
      Mix_HaltMusic();
      Mix_CloseAudio();
      open_ = false;
    }
    Quit();
  }

  bool Load(Sound& sound, std::string& error) override {
    if (!open_ || sound.chunk) return true;
    if (sound.music)
      sound.chunk = Mix_LoadMUS(sound.path.c_str());
    else
      sound.chunk = Mix_LoadWAV(sound.path.c_str());
    if (!sound.chunk) {
      error = SDL_GetError();
      return false;
    }
    return true;
  }

  void Free(int32_t handle, Sound& sound) override {
    if (!sound.chunk) return;
    if (open_) {
      if (sound.music) {
        if (music_ == handle) Mix_HaltMusic();
        Mix_FreeMusic(static_cast<Mix_Music*>(sound.chunk));
      } else {
        Stop(handle, sound);
        Mix_FreeChunk(static_cast<Mix_Chunk*>(sound.chunk));
      }
    }
    if (music_ == handle) music_ = 0;
    sound.chunk = nullptr;
  }

  void Play(int32_t handle, Sound& sound, bool loop, bool restart) override {
    if (!open_) return;
    std::string error;
    if (!sound.chunk && !Load(sound, error)) return;
    if (sound.music) {
      if (!restart && music_ == handle && Mix_PlayingMusic()) return;
      if (Mix_PlayMusic(static_cast<Mix_Music*>(sound.chunk), loop ? -1 : 1) == 0) music_ = handle;
      return;
    }
    if (restart) Stop(handle, sound);
    auto* chunk = static_cast<Mix_Chunk*>(sound.chunk);
    int channel = Mix_PlayChannel(-1, chunk, loop ? -1 : 0);
    if (channel < 0) {
      // Every channel is busy: the oldest play gives way.
      int oldest = Mix_GroupOldest(-1);
      if (oldest >= 0) {
        Mix_HaltChannel(oldest);
        channel = Mix_PlayChannel(oldest, chunk, loop ? -1 : 0);
      }
    }
    if (channel >= 0 && channel < conv::kMixChannels) owner_[channel] = handle;
  }

  void Stop(int32_t handle, Sound& sound) override {
    if (!open_) return;
    if (sound.music) {
      if (music_ == handle) {
        Mix_HaltMusic();
        music_ = 0;
      }
      return;
    }
    for (int ch = 0; ch < conv::kMixChannels; ++ch)
      if (owner_[ch] == handle) {
        if (Mix_Playing(ch)) Mix_HaltChannel(ch);
        owner_[ch] = 0;
      }
  }

  void StopAll() override {
    if (!open_) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    owner_.fill(0);
    music_ = 0;
  }

  bool Playing(int32_t handle, const Sound& sound) override {
    if (!open_) return false;
    if (sound.music) return music_ == handle && Mix_PlayingMusic();
    for (int ch = 0; ch < conv::kMixChannels; ++ch)
      if (owner_[ch] == handle && Mix_Playing(ch)) return true;
    return false;
  }

 private:
  void Quit() {
    if (initedAudio_) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      initedAudio_ = false;
    }
  }

  bool open_ = false;
  bool initedAudio_ = false;
  std::array<int32_t, conv::kMixChannels> owner_{};
  int32_t music_ = 0;
};

}  // namespace

std::unique_ptr<Audio> MakeMixerAudio(Engine&) { return std::make_unique<MixerAudio>(); }

}  // namespace impact
