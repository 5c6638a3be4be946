#include "core/Engine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>

#include "Os.h"
#include "core/Assets.h"
#include "core/Conventions.h"
#include "core/Text.h"
#include "impact_path.h"
#include "window/Events.h"

namespace impact {

namespace {

constexpr std::array<iColor, 3> kDefaultLightColors{iColor{1, 0, 0, 1}, iColor{0, 1, 0, 1},
                                                    iColor{0, 0, 1, 1}};

template <class T>
T* Find(Table<T>& table, int32_t handle) {
  auto it = table.find(handle);
  return it == table.end() ? nullptr : &it->second;
}

float Clamp01(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; }

bool Finite(float v) { return std::isfinite(v); }

// FNV-1a over raw bytes.
struct Hasher {
  uint64_t h = 1469598103934665603ull;
  void Bytes(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) {
      h ^= p[i];
      h *= 1099511628211ull;
    }
  }
  template <class T>
  void Value(const T& v) {
    Bytes(&v, sizeof v);
  }
};

}  // namespace

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

Engine::Engine() {
  SetLiveEngine(this);
  for (int i = 0; i < conv::kLightCount; ++i) {
    lights_[i].location = {0, 0, conv::kDefaultLightZ};
    lights_[i].color = kDefaultLightColors[i];
  }
  messages_.reserve(64);
  soundLog_.reserve(256);
}

Engine::~Engine() {
  TakePrefetchedImage();
  Close();
  SetLiveEngine(nullptr);
}

int32_t Engine::NewHandle() { return ++nextHandle_; }

namespace {

// The real-time clock in nanoseconds mixed with the system's entropy source
// when it has one: two launches in the same tick still differ.
uint32_t ClockSeed() {
  uint64_t v = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                         std::chrono::system_clock::now().time_since_epoch())
                                         .count());
  try {
    std::random_device device;
    v ^= static_cast<uint64_t>(device()) << 16;
  } catch (const std::exception&) {
  }
  return static_cast<uint32_t>(v ^ (v >> 32));
}

}  // namespace

// ---- life cycle --------------------------------------------------------------------

int32_t Engine::Open(intptr_t window, int32_t flags) {
  if (open_) return -1;
  if (headlessChoice_ && openFail_ != 0) {
    if (openFail_ > 0) --openFail_;
    return 0;
  }
  std::unique_ptr<Video> video =
      headlessChoice_ ? MakeHeadlessVideo(*this) : MakeWindowVideo(*this);
  std::string error;
  if (!video->Open(window, flags, error)) {
    if (errorText_.empty()) errorText_ = error;
    return 0;
  }
  video_ = std::move(video);
  // The audio device opens with the first sound: the loading picture, drawn
  // before any sound is made, need not wait for it.
  audio_ = headlessChoice_ ? MakeVirtualAudio(*this) : MakeMixerAudio(*this);
  audioOpen_ = false;
  headlessRun_ = headlessChoice_;
  if (fullscreenWanted_) video_->SetFullscreen(true);
  // Every launch draws its own numbers; the headless engine keeps the seed its
  // driver gave, so that tests and replays repeat exactly.
  if (!headlessRun_) Seed(ClockSeed());
  // What was pressed while the engine was closed (the click that brings the
  // window back, say) belongs to no frame of this run.
  if (!headlessRun_) ForgetInput();

  open_ = true;
  rendering_ = true;
  initializing_ = true;
  openFrame_ = frame_;
  ++openCount_;
  lastRendered_ = 0;
  printColor_ = {1, 1, 1, 1};
  for (int i = 0; i < conv::kLightCount; ++i) {
    lights_[i].location = {0, 0, conv::kDefaultLightZ};
    lights_[i].color = kDefaultLightColors[i];
  }
  return -1;
}

void Engine::Close() {
  DestroyAll(true, true);
  if (!open_) return;
  if (audio_ && audioOpen_) audio_->Close();
  audioOpen_ = false;
  if (video_) video_->Close();
  audio_.reset();
  video_.reset();
  deadTextures_.clear();
  open_ = false;
  rendering_ = false;
  initializing_ = false;
}

int32_t Engine::Settings(const int32_t* settings) {
  if (!settings) return 0;
  fullscreenWanted_ = settings[4] != 0;
  if (open_) video_->SetFullscreen(fullscreenWanted_);
  return -1;
}

bool Engine::Fullscreen() const { return open_ ? video_->Fullscreen() : fullscreenWanted_; }

void Engine::Main() {
  ++frame_;
  if (hook_) hook_(frame_, hookUser_);
  ComputeInputEdges();
  StepParticles();
  if (open_) video_->FrameStarted();
}

void Engine::IdleTick() {
  ++frame_;
  if (hook_) hook_(frame_, hookUser_);
}

bool Engine::IsReady() { return open_ && video_->FrameDue(); }

bool Engine::IsSkippingRender() const { return open_ && video_->Minimised(); }

void Engine::Render() {
  if (!open_) return;
  video_->Render(*this);
}

void Engine::ResetObjects(bool objects, bool sounds) {
  if (sounds && audio_) audio_->StopAll();
  DestroyAll(objects, sounds);
}

void Engine::DestroyAll(bool objects, bool sounds) {
  if (objects) {
    textures_.clear();
    sprites_.clear();
    meshes_.clear();
    cameras_.clear();
    particles_.clear();
    emitters_.clear();
    fonts_.clear();
    prints_.clear();
    printText_.clear();
    sorted_.clear();
  }
  if (sounds) {
    for (auto& [handle, sound] : sounds_)
      if (audio_) audio_->Free(handle, sound);
    sounds_.clear();
  }
  if (objects && sounds && numbersReused_) nextHandle_ = 0;
}

void Engine::SetErrorFlag(bool on) {
  errorFlag_ = on;
  if (!on) errorText_.clear();
}

void Engine::RaiseError(const std::string& text) {
  errorFlag_ = true;
  if (errorText_.empty()) errorText_ = text;
}

// ---- messages ------------------------------------------------------------------------

void Engine::SetMessageHandler(iMessageHandler handler, void* user) {
  handler_ = handler;
  handlerUser_ = user;
}

void Engine::PostMessage(const iMessage& message) { messages_.push_back(message); }

void Engine::DispatchMessage(const iMessage& message) {
  if (handler_) handler_(&message, handlerUser_);
}

void Engine::ProcessMessages() {
  if (!headlessChoice_ || (open_ && !headlessRun_)) {
    if (open_ && !headlessRun_) video_->WaitForFrame();
    if (WindowSystemUp()) PumpWindowEvents(*this);
  }
  // A handler may post further messages (or restart the engine): take one at a time.
  while (!messages_.empty()) {
    const iMessage message = messages_.front();
    messages_.erase(messages_.begin());
    DispatchMessage(message);
  }
}

// ---- camera and lights ---------------------------------------------------------------

int32_t Engine::CameraCreate(float x, float y, float w, float h) {
  int32_t handle = NewHandle();
  Camera& c = cameras_[handle];
  c.x = x;
  c.y = y;
  c.width = w;
  c.height = h;
  c.location = {0, 0, conv::kCameraZ};
  return handle;
}

void Engine::CameraLocationSet(int32_t camera, const iVec3* location) {
  Camera* c = Find(cameras_, camera);
  if (c && location && Finite(location->x) && Finite(location->y) && Finite(location->z))
    c->location = *location;
}

iVec3 Engine::CameraLocation() const {
  if (!cameras_.empty()) return cameras_.begin()->second.location;
  return {0, 0, conv::kCameraZ};
}

void Engine::LightLocationSet(int32_t light, const iVec3* location) {
  if (light < 0 || light >= conv::kLightCount || !location) return;
  lights_[light].location = *location;
}

void Engine::LightColorSet(int32_t light, const iColor* color) {
  if (light < 0 || light >= conv::kLightCount || !color) return;
  lights_[light].color = *color;
}

// ---- textures and sprites -------------------------------------------------------------

int32_t Engine::TextureCreate(const char* file) {
  if (!file) return 0;
  ImageRef image;
  if (!LoadImage(file, image)) return 0;
  int32_t handle = NewHandle();
  textures_[handle] = Texture{image, file};
  return handle;
}

void Engine::TextureDestroy(int32_t texture) { textures_.erase(texture); }

int32_t Engine::SpriteCreate(const char* model, int32_t) {
  if (!model) return 0;
  Model m;
  if (!LoadModel(model, m)) return 0;
  int32_t handle = NewHandle();
  Sprite& s = sprites_[handle];
  s.handle = handle;
  s.model = m;
  return handle;
}

void Engine::SpriteDestroy(int32_t sprite) { sprites_.erase(sprite); }

void Engine::SpriteShow(int32_t sprite, bool shown) {
  if (Sprite* s = Find(sprites_, sprite)) s->shown = shown;
}

void Engine::SpriteRender(int32_t sprite) {
  Sprite* s = Find(sprites_, sprite);
  if (!s || !open_) return;
  lastRendered_ = sprite;
  video_->RenderSprite(*this, *s);
}

void Engine::SpriteLocation(int32_t sprite, iVec2* location) {
  if (!location) return;
  if (Sprite* s = Find(sprites_, sprite))
    *location = s->location;
  else
    *location = {0, 0};
}

void Engine::SpriteLocationSet(int32_t sprite, const iVec2* location) {
  Sprite* s = Find(sprites_, sprite);
  if (s && location && Finite(location->x) && Finite(location->y)) s->location = *location;
}

void Engine::SpriteScaleSet(int32_t sprite, const iVec2* scale) {
  Sprite* s = Find(sprites_, sprite);
  if (s && scale && Finite(scale->x) && Finite(scale->y)) s->scale = *scale;
}

void Engine::SpriteColorSet(int32_t sprite, float r, float g, float b, float a) {
  if (Sprite* s = Find(sprites_, sprite))
    s->color = {Clamp01(r), Clamp01(g), Clamp01(b), Clamp01(a)};
}

void Engine::SpritePrioritySet(int32_t sprite, int32_t priority) {
  if (Sprite* s = Find(sprites_, sprite)) s->priority = priority;
}

void Engine::SpriteTextureSet(int32_t sprite, int32_t texture) {
  Sprite* s = Find(sprites_, sprite);
  if (!s) return;
  if (texture == 0) {
    s->texture = 0;
    s->image.reset();
    s->file.clear();
    return;
  }
  Texture* t = Find(textures_, texture);
  if (!t) return;
  s->texture = texture;
  s->image = t->image;
  s->file = t->file;
}

void Engine::SpriteTextureChange(int32_t sprite, const char* file) {
  Sprite* s = Find(sprites_, sprite);
  if (!s || !file) return;
  ImageRef image;
  if (!LoadImage(file, image)) return;  // the old picture stays
  s->texture = 0;
  s->image = image;
  s->file = file;
}

bool Engine::SpritePicked(int32_t sprite) {
  Sprite* s = Find(sprites_, sprite);
  if (!s || !s->shown) return false;
  const float px = conv::PlaneX(mouseX_), py = conv::PlaneY(mouseY_);
  const float hw = s->model.width * std::fabs(s->scale.x) * 0.5f;
  const float hh = s->model.height * std::fabs(s->scale.y) * 0.5f;
  return std::fabs(px - s->location.x) <= hw && std::fabs(py - s->location.y) <= hh;
}

const std::vector<const Sprite*>& Engine::SortedSprites() {
  sorted_.clear();
  for (const auto& [handle, s] : sprites_)
    if (s.shown) sorted_.push_back(&s);
  // Creation order within a priority: handles grow with creation. (A total order
  // for std::sort: unlike stable_sort it takes no buffer every frame.)
  std::sort(sorted_.begin(), sorted_.end(), [](const Sprite* a, const Sprite* b) {
    return a->priority != b->priority ? a->priority < b->priority : a->handle < b->handle;
  });
  firstTopSprite_ =
      static_cast<size_t>(std::find_if(sorted_.begin(), sorted_.end(),
                                       [](const Sprite* s) { return s->priority >= 1; }) -
                          sorted_.begin());
  return sorted_;
}

// ---- meshes ----------------------------------------------------------------------------

int32_t Engine::MeshCreate(const char* model) {
  if (!model) return 0;
  Model m;
  if (!LoadModel(model, m)) return 0;
  int32_t handle = NewHandle();
  Mesh& mesh = meshes_[handle];
  mesh.handle = handle;
  mesh.model = m;
  return handle;
}

void Engine::MeshDestroy(int32_t mesh) { meshes_.erase(mesh); }

void Engine::MeshShow(int32_t mesh, bool shown) {
  if (Mesh* m = Find(meshes_, mesh)) m->shown = shown;
}

void Engine::MeshLocationSet(int32_t mesh, const iVec3* location) {
  Mesh* m = Find(meshes_, mesh);
  if (m && location && Finite(location->x) && Finite(location->y) && Finite(location->z))
    m->location = *location;
}

void Engine::MeshScaleSet(int32_t mesh, float x, float y, float z) {
  Mesh* m = Find(meshes_, mesh);
  if (m && Finite(x) && Finite(y) && Finite(z)) m->scale = {x, y, z};
}

void Engine::MeshTextureSet(int32_t mesh, int32_t texture) {
  Mesh* m = Find(meshes_, mesh);
  if (!m) return;
  if (texture == 0) {
    m->texture = 0;
    m->image.reset();
    m->file.clear();
    return;
  }
  Texture* t = Find(textures_, texture);
  if (!t) return;
  m->texture = texture;
  m->image = t->image;
  m->file = t->file;
}

void Engine::MeshLightsEnable(int32_t mesh, bool enable) {
  if (Mesh* m = Find(meshes_, mesh)) m->lit = enable;
}

void Engine::PointerRay(const Camera* camera, float x, float y, iVec3& origin,
                        iVec3& direction) const {
  origin = camera ? camera->location : iVec3{0, 0, conv::kCameraZ};
  direction = {conv::PlaneX(x) / conv::kCameraDistance, conv::PlaneY(y) / conv::kCameraDistance,
               1.0f};
}

bool Engine::MeshPicked(int32_t camera, int32_t mesh) {
  return MeshPickedAt(camera, mesh, mouseX_, mouseY_);
}

bool Engine::MeshPickedAt(int32_t camera, int32_t mesh, float x, float y) {
  Mesh* m = Find(meshes_, mesh);
  if (!m || !m->shown) return false;
  iVec3 origin, dir;
  PointerRay(Find(cameras_, camera), Clamp01(x), Clamp01(y), origin, dir);
  const float t = m->location.z - origin.z;  // direction has z = 1
  if (t <= 0) return false;
  const float hx = origin.x + dir.x * t, hy = origin.y + dir.y * t;
  const float w = m->model.width * m->scale.x, h = m->model.height * m->scale.y;
  if (w == 0 || h == 0) return false;
  // A negative scale mirrors the picture, and so the picking.
  const float u = (hx - m->location.x) / w + 0.5f;
  const float v = 0.5f - (hy - m->location.y) / h;
  if (u < 0 || u > 1 || v < 0 || v > 1) return false;
  if (!m->image) return true;
  return m->image->AlphaAt(u, v) > conv::kPickAlpha;
}

// ---- particles -------------------------------------------------------------------------

int32_t Engine::ParticleCreate(const char* texture, int32_t size) {
  if (!texture) return 0;
  ImageRef image;
  if (!LoadImage(texture, image)) return 0;
  int32_t handle = NewHandle();
  ParticleSystem& p = particles_[handle];
  p.image = image;
  p.file = texture;
  const std::string name = texture;
  const size_t slash = name.find_last_of("\\/");
  const std::string smoke =
      name.substr(0, slash == std::string::npos ? 0 : slash + 1) + "smoke.png";
  std::error_code ec;
  if (std::filesystem::exists(ResolvePath(smoke), ec)) LoadImage(smoke, p.smoke);
  p.size = static_cast<float>(size);
  p.particles.reserve(256);
  return handle;
}

void Engine::ParticleDestroy(int32_t system) {
  particles_.erase(system);
  for (auto it = emitters_.begin(); it != emitters_.end();) {
    if (it->second.system == system)
      it = emitters_.erase(it);
    else
      ++it;
  }
}

ParticleSystem* Engine::FindParticles(int32_t system) { return Find(particles_, system); }

int32_t Engine::EmitterCreate(int32_t system) {
  if (!Find(particles_, system)) return 0;
  int32_t handle = NewHandle();
  emitters_[handle].system = system;
  return handle;
}

void Engine::EmitterDestroy(int32_t emitter) { emitters_.erase(emitter); }

Emitter* Engine::FindEmitter(int32_t emitter) { return Find(emitters_, emitter); }

void Engine::Emit(int32_t emitter, float count, float spread) {
  Emitter* e = Find(emitters_, emitter);
  if (!e || !Finite(count) || !Finite(spread)) return;
  ParticleSystem* p = Find(particles_, e->system);
  if (!p) return;
  int n = static_cast<int>(std::lround(std::clamp(count, 0.0f, 1e6f)));
  int live = ParticleCount();
  n = std::min(n, conv::kMaxParticles - live);
  auto lerp = [this](float a, float b) { return a + (b - a) * FloatRand(0, 1); };
  const float speed = conv::kParticleSpeedScale * spread;
  const float unit = conv::kParticleUnit * p->size;
  for (int i = 0; i < n; ++i) {
    Particle q;
    q.position = e->location;
    q.velocity = {lerp(e->low.x, e->high.x) * speed, lerp(e->low.y, e->high.y) * speed,
                  lerp(e->low.z, e->high.z) * speed};
    q.age = 0;
    q.life = std::max(p->lifeTime, 0.0f);
    q.startSize = lerp(e->scaleLow.x, e->scaleHigh.x) * unit;
    q.endSize = lerp(e->scaleLow.y, e->scaleHigh.y) * unit;
    p->particles.push_back(q);
  }
}

void Engine::StepParticles() {
  const float dt = static_cast<float>(conv::kFrameSeconds);
  for (auto& [handle, p] : particles_) {
    // Most systems are idle between bursts.
    if (p.particles.empty()) continue;
    const float damping = std::exp(-std::max(p.airResistance, 0.0f) * conv::kAirDamping * dt);
    auto& list = p.particles;
    for (size_t i = 0; i < list.size();) {
      Particle& q = list[i];
      q.age += dt;
      if (q.age >= q.life) {
        q = list.back();
        list.pop_back();
        continue;
      }
      q.velocity.x = (q.velocity.x + p.gravity.x * dt) * damping;
      q.velocity.y = (q.velocity.y + p.gravity.y * dt) * damping;
      q.velocity.z = (q.velocity.z + p.gravity.z * dt) * damping;
      q.position.x += q.velocity.x * dt;
      q.position.y += q.velocity.y * dt;
      q.position.z += q.velocity.z * dt;
      ++i;
    }
  }
}

int32_t Engine::ParticleCount() const {
  size_t n = 0;
  for (const auto& [handle, p] : particles_) n += p.particles.size();
  return static_cast<int32_t>(n);
}

// ---- sound -----------------------------------------------------------------------------

int32_t Engine::SoundCreate(const char* file, bool music) {
  if (!file) return 0;
  Sound sound;
  sound.file = file;
  sound.path = ResolvePath(file);
  sound.music = music;
  std::string error;
  if (audio_ && !audioOpen_) {
    audio_->Open();
    audioOpen_ = true;
  }
  if (!ProbeSound(sound, error) || (audio_ && !audio_->Load(sound, error))) {
    // A sound is never worth stopping the game for: it plays as silence, and
    // the reason goes where a player or a packager looks.
    std::fprintf(stderr, "%s: cannot load \"%s\": %s; it plays as silence\n", os::LibraryName(),
                 os::ShownPath(file).c_str(), error.c_str());
    sound.silent = true;
    sound.durationMs = 0;
  }
  int32_t handle = NewHandle();
  sounds_[handle] = std::move(sound);
  return handle;
}

void Engine::SoundDestroy(int32_t sound) {
  auto it = sounds_.find(sound);
  if (it == sounds_.end()) return;
  if (audio_) audio_->Free(sound, it->second);
  sounds_.erase(it);
}

void Engine::LogSound(int32_t sound, int kind, bool loop, const std::string& file) {
  // The log is for harnesses that read it; keep it bounded when nobody does.
  if (soundLog_.size() >= 65536) soundLog_.erase(soundLog_.begin(), soundLog_.begin() + 32768);
  ihSoundEvent e{};
  e.frame = frame_;
  e.sound = sound;
  e.kind = kind;
  e.loop = loop ? 1 : 0;
  std::strncpy(e.file, file.c_str(), IH_NAME - 1);
  soundLog_.push_back(e);
}

void Engine::SoundPlay(int32_t sound, bool loop, bool now) {
  Sound* s = Find(sounds_, sound);
  if (!s) return;
  LogSound(sound, now ? 2 : 1, loop, s->file);
  if (audio_ && !s->silent) audio_->Play(sound, *s, loop, now);
}

void Engine::SoundStop(int32_t sound) {
  Sound* s = Find(sounds_, sound);
  if (!s) return;
  LogSound(sound, 3, false, s->file);
  if (audio_ && !s->silent) audio_->Stop(sound, *s);
}

bool Engine::SoundPlaying(int32_t sound) {
  Sound* s = Find(sounds_, sound);
  return s && !s->silent && audio_ && audio_->Playing(sound, *s);
}

// ---- text -------------------------------------------------------------------------------

int32_t Engine::FontCreate(const char* file, int32_t camera) {
  if (!file) return 0;
  FontRef data;
  if (!LoadFont(file, data)) return 0;
  int32_t handle = NewHandle();
  fonts_[handle] = Font{data, camera};
  return handle;
}

FontData* Engine::FindFont(int32_t font) {
  Font* f = Find(fonts_, font);
  return f ? f->data.get() : nullptr;
}

void Engine::PrintText(const char* text, const iVec2* location, const iVec2* scale, float spacing,
                       int32_t font, bool centered) {
  Font* f = Find(fonts_, font);
  if (!f || !text || !location || !scale) return;
  if (!Finite(location->x) || !Finite(location->y) || !Finite(scale->x) || !Finite(scale->y) ||
      !Finite(spacing))
    return;
  const size_t length = strnlen(text, 4096);
  Print p;
  p.textOffset = 0;
  p.textLength = static_cast<uint32_t>(length);
  p.location = *location;
  p.scale = *scale;
  p.spacing = spacing;
  p.centered = centered;
  p.color = printColor_;
  const float width = TextWidth(*f->data, text, length, scale->x, spacing);
  p.left = centered ? location->x - width * 0.5f : location->x;
  p.right = p.left + width;
  p.baseline = BaselineFor(location->y, scale->y);
  Hasher h;
  h.Bytes(text, length);
  h.Value(p.location);
  h.Value(p.scale);
  h.Value(p.spacing);
  h.Value(p.centered);
  h.Value(p.color);
  h.Value(f->data.get());
  p.key = h.h;
  // Screens that print every frame without hiding (a question box's loop) would
  // otherwise pile up copies of the same text in the same place.
  for (const Print& q : prints_)
    if (q.key == p.key && q.textLength == p.textLength &&
        std::memcmp(printText_.data() + q.textOffset, text, length) == 0 &&
        q.font.get() == f->data.get())
      return;
  if (prints_.size() >= static_cast<size_t>(conv::kMaxPrints)) return;
  p.textOffset = static_cast<uint32_t>(printText_.size());
  printText_.append(text, length);
  printText_.push_back('\0');
  p.font = f->data;
  prints_.push_back(std::move(p));
}

float Engine::PrintWidth(const char* text, const iVec2* scale, float spacing, int32_t font) {
  FontData* f = FindFont(font);
  if (!f || !text || !scale) return 0;
  float w = TextWidth(*f, text, strnlen(text, 4096), scale->x, spacing);
  return std::isfinite(w) ? w : 0;
}

void Engine::PrintsHide() {
  prints_.clear();
  printText_.clear();
}

void Engine::PrintsHideFrom(int32_t first) {
  if (first <= 0) {
    PrintsHide();
    return;
  }
  if (static_cast<size_t>(first) >= prints_.size()) return;
  printText_.resize(prints_[static_cast<size_t>(first)].textOffset);
  prints_.erase(prints_.begin() + first, prints_.end());
}

// ---- input ------------------------------------------------------------------------------

// Key 0 is no key: the window system gives it to every key the table cannot
// name, so it must never read as pressed.
bool Engine::KeyDown(int32_t key) { return key > 0 && key < 256 && keyDown_[key]; }

bool Engine::KeyClick(int32_t key) { return key > 0 && key < 256 && keyClick_[key]; }

int32_t Engine::TypedChar(bool consume) {
  int32_t ch = typedNow_;
  if (consume) typedNow_ = 0;
  return ch;
}

bool Engine::MouseButtonDown(int32_t button) {
  return button >= 0 && button < 8 && buttonDown_[button];
}

bool Engine::MouseButtonClick(int32_t button) {
  return button >= 0 && button < 8 && buttonClick_[button];
}

void Engine::MouseReset(const iVec2* position) {
  if (!position) return;
  ++pointerWarps_;
  InputMouseMove(position->x, position->y);
  if (open_) video_->WarpPointer(mouseX_, mouseY_);
}

void Engine::InputKey(int32_t scancode, bool down) {
  if (scancode <= 0 || scancode >= 256) return;
  if (down && !keyDown_[scancode]) QueueKeyEvent({scancode, 0});
  keyDown_[scancode] = down;
}

void Engine::QueueKeyEvent(KeyEvent event) {
  // A full queue (input far faster than frames) drops what comes after it.
  if (keyEventCount_ == keyEvents_.size()) return;
  keyEvents_[(keyEventHead_ + keyEventCount_) % keyEvents_.size()] = event;
  ++keyEventCount_;
}

void Engine::InputMouseButton(int32_t button, bool down) {
  if (button < 0 || button >= 8) return;
  if (down && !buttonDown_[button]) buttonPressed_[button] = true;
  buttonDown_[button] = down;
}

void Engine::InputMouseMove(float x, float y) {
  mouseX_ = Clamp01(x);
  mouseY_ = Clamp01(y);
}

void Engine::InputChar(int32_t ch) {
  // Printable 8-bit text: ASCII and the Latin-1 letters and signs the font draws.
  if (ch < 32 || ch == 127 || (ch > 127 && ch < 160) || ch > 255) return;
  QueueKeyEvent({0, ch});
}

void Engine::ReleaseAllInput() {
  keyDown_.fill(false);
  buttonDown_.fill(false);
}

void Engine::ForgetInput() {
  keyDown_.fill(false);
  buttonDown_.fill(false);
  buttonPressed_.fill(false);
  keyClick_.fill(false);
  buttonClick_.fill(false);
  keyEventHead_ = keyEventCount_ = 0;
  typedNow_ = 0;
}

void Engine::ComputeInputEdges() {
  buttonClick_ = buttonPressed_;
  buttonPressed_.fill(false);
  // One press and one typed character per frame, in the order they came; a
  // burst within one frame comes out over the following frames instead of
  // being merged or reordered.
  keyClick_.fill(false);
  typedNow_ = 0;
  bool pressTaken = false;
  while (keyEventCount_) {
    const KeyEvent& e = keyEvents_[keyEventHead_];
    if (e.key) {
      const bool modifier = e.key == 29 || e.key == 42 || e.key == 54 || e.key == 56 ||
                            e.key == 157 || e.key == 184 || e.key == 219 || e.key == 220;
      // A press after this frame's character or press waits for the next frame.
      if (!modifier && (pressTaken || typedNow_)) break;
      if (modifier && typedNow_) break;
      keyClick_[e.key] = true;
      if (!modifier) pressTaken = true;
    } else {
      if (typedNow_) break;
      typedNow_ = e.ch;
    }
    keyEventHead_ = (keyEventHead_ + 1) % keyEvents_.size();
    --keyEventCount_;
  }
}

// ---- time and numbers ------------------------------------------------------------------

int32_t Engine::Tic() {
  uint32_t ms = (open_ && !headlessRun_)
                    ? video_->MillisSinceOpen()
                    : conv::FrameMillis(frame_) - conv::FrameMillis(openFrame_);
  return static_cast<int32_t>(ms / (1000 / conv::kTicsPerSecond));
}

float Engine::FloatRand(float low, float high) {
  const float u = static_cast<float>(rng_() >> 8) * (1.0f / 16777216.0f);
  return low + (high - low) * u;
}

int32_t Engine::IntRand(int32_t low, int32_t high) {
  if (high < low) std::swap(low, high);
  const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(high) - low) + 1;
  const uint64_t r = (static_cast<uint64_t>(rng_()) * span) >> 32;
  return static_cast<int32_t>(low + static_cast<int64_t>(r));
}

// ---- read-back -------------------------------------------------------------------------

int32_t Engine::ObjectCount() const {
  return static_cast<int32_t>(textures_.size() + sprites_.size() + meshes_.size() +
                              cameras_.size() + particles_.size() + emitters_.size() +
                              sounds_.size() + fonts_.size());
}

namespace {
void CopyName(char* out, const std::string& in, size_t size) {
  std::strncpy(out, in.c_str(), size - 1);
  out[size - 1] = '\0';
}
}  // namespace

int32_t Engine::ReadSprites(ihSprite* out, int32_t max) {
  const auto& list = SortedSprites();
  for (int32_t i = 0; out && i < max && i < static_cast<int32_t>(list.size()); ++i) {
    const Sprite& s = *list[i];
    ihSprite& o = out[i];
    o = ihSprite{};
    o.handle = s.handle;
    o.x = s.location.x;
    o.y = s.location.y;
    o.width = s.model.width * std::fabs(s.scale.x);
    o.height = s.model.height * std::fabs(s.scale.y);
    o.color = s.color;
    o.priority = s.priority;
    o.texture = s.texture;
    CopyName(o.file, s.file, IH_NAME);
  }
  return static_cast<int32_t>(list.size());
}

int32_t Engine::ReadMeshes(ihMesh* out, int32_t max) {
  int32_t n = 0;
  for (const auto& [handle, m] : meshes_) {
    if (!m.shown) continue;
    if (out && n < max) {
      ihMesh& o = out[n];
      o = ihMesh{};
      o.handle = handle;
      o.x = m.location.x;
      o.y = m.location.y;
      o.z = m.location.z;
      o.width = m.model.width * std::fabs(m.scale.x);
      o.height = m.model.height * std::fabs(m.scale.y);
      o.lit = m.lit ? 1 : 0;
      o.texture = m.texture;
      CopyName(o.file, m.file, IH_NAME);
    }
    ++n;
  }
  return n;
}

int32_t Engine::ReadPrints(ihPrint* out, int32_t max) {
  for (int32_t i = 0; out && i < max && i < static_cast<int32_t>(prints_.size()); ++i) {
    const Print& p = prints_[i];
    ihPrint& o = out[i];
    o = ihPrint{};
    std::strncpy(o.text, PrintTextAt(p), IH_TEXT - 1);
    o.x = p.location.x;
    o.y = p.location.y;
    o.scaleX = p.scale.x;
    o.scaleY = p.scale.y;
    o.spacing = p.spacing;
    o.centered = p.centered ? 1 : 0;
    o.color = p.color;
    o.left = p.left;
    o.right = p.right;
  }
  return static_cast<int32_t>(prints_.size());
}

int32_t Engine::ReadSoundEvents(ihSoundEvent* out, int32_t max) {
  int32_t n = static_cast<int32_t>(soundLog_.size());
  for (int32_t i = 0; out && i < max && i < n; ++i) out[i] = soundLog_[i];
  if (out) soundLog_.clear();  // a count query (no buffer) keeps the log
  return n;
}

void Engine::ReadLight(int32_t light, iVec3* location, iColor* color) {
  if (light < 0 || light >= conv::kLightCount) return;
  if (location) *location = lights_[light].location;
  if (color) *color = lights_[light].color;
}

int32_t Engine::ReadCapture(uint8_t* out, int32_t maxBytes, int32_t* width, int32_t* height) {
  if (width) *width = captureW_;
  if (height) *height = captureH_;
  if (capture_.empty()) return 0;
  if (out && maxBytes >= 0 && static_cast<size_t>(maxBytes) >= capture_.size())
    std::memcpy(out, capture_.data(), capture_.size());
  return -1;
}

// Handles are left out: they differ from run to run within one process, while
// what is drawn (files, places, colours, order) is what a replay must repeat.
uint64_t Engine::SceneChecksum() {
  Hasher h;
  for (const Sprite* s : SortedSprites()) {
    h.Value(s->location);
    h.Value(s->scale);
    h.Value(s->color);
    h.Value(s->priority);
    h.Bytes(s->file.data(), s->file.size());
  }
  for (const auto& [handle, m] : meshes_) {
    if (!m.shown) continue;
    (void)handle;
    h.Value(m.location);
    h.Value(m.scale);
    h.Value(m.lit);
    h.Bytes(m.file.data(), m.file.size());
  }
  for (const Print& p : prints_) {
    h.Bytes(PrintTextAt(p), p.textLength);
    h.Value(p.location);
    h.Value(p.scale);
    h.Value(p.color);
  }
  for (const Light& l : lights_) {
    h.Value(l.location);
    h.Value(l.color);
  }
  return h.h;
}

}  // namespace impact
