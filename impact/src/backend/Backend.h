// What the core asks of a backend: a video side that shows the scene and paces
// frames, and an audio side that plays sounds. The headless backend implements
// both on the virtual clock; the window backend with SDL2, OpenGL and SDL2_mixer.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/Scene.h"

namespace impact {

class Engine;

class Video {
 public:
  virtual ~Video() = default;
  // False with the reason in `error` when there is no display or no context.
  virtual bool Open(intptr_t window, int32_t flags, std::string& error) = 0;
  virtual void Close() = 0;
  virtual void SetFullscreen(bool on) = 0;
  virtual bool Fullscreen() const = 0;
  // A frame is due (the frame loop runs its phases only then).
  virtual bool FrameDue() = 0;
  // A frame began: the next one is due one frame period later.
  virtual void FrameStarted() = 0;
  // Sleeps until the next frame is due or window events arrive.
  virtual void WaitForFrame() = 0;
  virtual bool Minimised() const = 0;
  // Milliseconds since Open, for iTic.
  virtual uint32_t MillisSinceOpen() = 0;
  virtual void Render(Engine& engine) = 0;
  // Draws one sprite alone over a cleared view and presents it at once.
  virtual void RenderSprite(Engine& engine, const Sprite& sprite) = 0;
  // Moves the system pointer to a point of the view (fractions from left/top).
  virtual void WarpPointer(float x, float y) = 0;
};

class Audio {
 public:
  virtual ~Audio() = default;
  virtual void Open() = 0;
  virtual void Close() = 0;
  // Prepares a sound's data; false with the reason when the file cannot be played.
  virtual bool Load(Sound& sound, std::string& error) = 0;
  virtual void Free(int32_t handle, Sound& sound) = 0;
  // Starts the sound; `restart` stops its earlier plays first.
  virtual void Play(int32_t handle, Sound& sound, bool loop, bool restart) = 0;
  virtual void Stop(int32_t handle, Sound& sound) = 0;
  virtual void StopAll() = 0;
  virtual bool Playing(int32_t handle, const Sound& sound) = 0;
};

std::unique_ptr<Video> MakeHeadlessVideo(Engine& engine);
std::unique_ptr<Audio> MakeVirtualAudio(Engine& engine);
std::unique_ptr<Video> MakeWindowVideo(Engine& engine);
std::unique_ptr<Audio> MakeMixerAudio(Engine& engine);

}  // namespace impact
