// The window backend's audio side, with SDL2_mixer: WAV effects on free channels,
// OGG tunes streamed as music. Without an audio device the game plays silently.
//
// The mix: the tune sits well under the effects so shots and hits stay in front;
// an effect asked for again while it is still playing starts over on its channel
// instead of stacking another copy (a held trigger on an empty gun asks every
// frame); the channels are mixed in floating point and a soft limiter brings the
// sum under full scale, so loud moments are compressed rather than clipped.
//
// SDL2_mixer is loaded when the audio opens (with the first sound), not with the
// engine library: it brings a long chain of libraries (synthesisers, sound
// servers) that would otherwise delay the first picture. The calls below keep
// their names; each is bound from the loaded library.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "Os.h"
#include "backend/Backend.h"
#include "core/Conventions.h"
#include "core/Engine.h"
#include "window/ForeignAllocations.h"

namespace impact {

// The limiter: below the knee the mix passes unchanged; above it, the level's
// envelope (instant attack, gentle release) is bent smoothly toward the ceiling, so no
// sample reaches full scale.
class SoftLimiter {
 public:
  void Reset(int frequency, int channels) {
    channels_ = std::max(1, channels);
    release_ = std::exp(-1.0f / (conv::kLimiterReleaseSeconds * static_cast<float>(frequency)));
    envelope_ = 0;
  }
  // Limits interleaved frames in place.
  void Process(float* samples, size_t count) {
    const float knee = conv::kLimiterKnee, room = conv::kLimiterCeiling - knee;
    for (size_t i = 0; i + channels_ <= count; i += channels_) {
      float peak = 0;
      for (int c = 0; c < channels_; ++c) peak = std::max(peak, std::fabs(samples[i + c]));
      envelope_ = std::max(peak, envelope_ * release_);
      if (envelope_ <= knee) continue;
      const float bent = knee + room * std::tanh((envelope_ - knee) / room);
      const float gain = bent / envelope_;
      for (int c = 0; c < channels_; ++c) samples[i + c] *= gain;
    }
  }

 private:
  int channels_ = 2;
  float release_ = 0.999f;
  float envelope_ = 0;
};

namespace {

// One call a line (clang-format lays such a list out differently on each run).
// clang-format off
#define GH_MIXER_CALLS(X) \
  X(Mix_Init) \
  X(Mix_OpenAudio) \
  X(Mix_OpenAudioDevice) \
  X(Mix_QuerySpec) \
  X(Mix_AllocateChannels) \
  X(Mix_CloseAudio) \
  X(Mix_LoadMUS) \
  X(Mix_LoadWAV) \
  X(Mix_FreeMusic) \
  X(Mix_FreeChunk) \
  X(Mix_PlayMusic) \
  X(Mix_PlayingMusic) \
  X(Mix_HaltMusic) \
  X(Mix_VolumeMusic) \
  X(Mix_PlayChannel) \
  X(Mix_GroupOldest) \
  X(Mix_HaltChannel) \
  X(Mix_Playing) \
  X(Mix_Volume) \
  X(Mix_SetPostMix)
// clang-format on

GH_LATE_CALLS(GH_MIXER_CALLS)

// Binds every call once; false (and the game silent) when the library or a call is missing.
bool BindMixer() {
  static const bool bound = GH_BIND_LATE_LIBRARY(GH_MIXER_LIBRARY, GH_MIXER_CALLS);
  return bound;
}

class MixerAudio : public Audio {
 public:
  explicit MixerAudio(Engine& engine) : engine_(engine) {}
  ~MixerAudio() override { Close(); }

  void Open() override {
    if (!BindMixer()) return;  // silent
    ForeignAllocations foreign;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
      if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;  // silent
      initedAudio_ = true;
    }
    Mix_Init(MIX_INIT_OGG);
    // Floating-point mixing keeps the sum of loud effects unclipped until the limiter.
    if (Mix_OpenAudioDevice(44100, AUDIO_F32SYS, 2, 1024, nullptr,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE) !=
            0 &&
        Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
      Quit();
      return;
    }
    int frequency = 44100, channels = 2;
    Uint16 format = AUDIO_F32SYS;
    Mix_QuerySpec(&frequency, &format, &channels);
    format_ = format;
    limiter_.Reset(frequency, channels);
    Mix_SetPostMix(&MixerAudio::PostMix, this);
    Mix_AllocateChannels(conv::kMixChannels);
    Mix_Volume(-1, conv::kEffectsVolume);
    Mix_VolumeMusic(conv::kMusicVolume);
    owner_.fill(0);
    started_.fill(0);
    music_ = 0;
    open_ = true;
  }

  void Close() override {
    if (open_) {
      Mix_HaltChannel(-1);
      Mix_HaltMusic();
      Mix_SetPostMix(nullptr, nullptr);
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
    const uint64_t frame = engine_.Frame();
    int channel = -1;
    if (!loop) {
      // A one-shot still playing starts over on its own channel; asked for again
      // within a few frames of its start, it simply plays on.
      for (int ch = 0; ch < conv::kMixChannels && channel < 0; ++ch)
        if (owner_[ch] == handle && Mix_Playing(ch)) {
          if (frame - started_[ch] < conv::kRetriggerFrames) return;
          Mix_HaltChannel(ch);
          channel = Mix_PlayChannel(ch, chunk, 0);
        }
    }
    if (channel < 0) channel = Mix_PlayChannel(-1, chunk, loop ? -1 : 0);
    if (channel < 0) {
      // Every channel is busy: the oldest play gives way.
      int oldest = Mix_GroupOldest(-1);
      if (oldest >= 0) {
        Mix_HaltChannel(oldest);
        channel = Mix_PlayChannel(oldest, chunk, loop ? -1 : 0);
      }
    }
    if (channel >= 0 && channel < conv::kMixChannels) {
      owner_[channel] = handle;
      started_[channel] = frame;
    }
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
  static void PostMix(void* self, Uint8* stream, int bytes) {
    auto* audio = static_cast<MixerAudio*>(self);
    if (audio->format_ == AUDIO_F32SYS) {
      audio->limiter_.Process(reinterpret_cast<float*>(stream),
                              static_cast<size_t>(bytes) / sizeof(float));
    } else if (audio->format_ == AUDIO_S16SYS) {
      // Mixed in 16 bits the sum is already clamped; limiting still keeps it off the rails.
      auto* samples = reinterpret_cast<int16_t*>(stream);
      const size_t count = static_cast<size_t>(bytes) / sizeof(int16_t);
      audio->scratch_.resize(count);
      for (size_t i = 0; i < count; ++i) audio->scratch_[i] = samples[i] / 32768.0f;
      audio->limiter_.Process(audio->scratch_.data(), count);
      for (size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(std::lround(audio->scratch_[i] * 32767.0f));
    }
  }

  void Quit() {
    if (initedAudio_) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      initedAudio_ = false;
    }
  }

  Engine& engine_;
  bool open_ = false;
  bool initedAudio_ = false;
  std::array<int32_t, conv::kMixChannels> owner_{};
  std::array<uint64_t, conv::kMixChannels> started_{};  // engine frame of each channel's start
  int32_t music_ = 0;
  Uint16 format_ = AUDIO_F32SYS;
  SoftLimiter limiter_;
  std::vector<float> scratch_;  // touched only by the audio thread
};

}  // namespace

std::unique_ptr<Audio> MakeMixerAudio(Engine& engine) {
  return std::make_unique<MixerAudio>(engine);
}

}  // namespace impact
