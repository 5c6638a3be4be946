// The engine core: the scene, the clock, input, text layout, particles and the
// life cycle. One instance per loaded library; the exported C calls forward to it.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "backend/Backend.h"
#include "core/Scene.h"
#include "impact_harness.h"

namespace impact {

class Engine {
 public:
  Engine();
  ~Engine();

  // ---- life cycle --------------------------------------------------------
  int32_t Open(intptr_t window, int32_t flags);
  void Close();
  int32_t Settings(const int32_t* settings);
  void Main();
  void Render();
  bool IsOpen() const { return open_; }
  bool IsReady();
  bool IsInitializing() const { return open_ && initializing_; }
  bool IsRendering() const { return open_ && rendering_; }
  bool IsSkippingRender() const;
  void InitEnd() { initializing_ = false; }
  void Exit() { rendering_ = false; }
  void ResetObjects(bool objects, bool sounds);
  void ProcessMessages();
  void SetMessageHandler(iMessageHandler handler, void* user);

  bool ErrorFlag() const { return errorFlag_; }
  void SetErrorFlag(bool on);
  const char* ErrorText() const { return errorText_.c_str(); }
  void RaiseError(const std::string& text);

  // ---- camera and lights ---------------------------------------------------------
  int32_t CameraCreate(float x, float y, float w, float h);
  void CameraLocationSet(int32_t camera, const iVec3* location);
  void LightLocationSet(int32_t light, const iVec3* location);
  void LightColorSet(int32_t light, const iColor* color);

  // ---- textures, sprites, meshes ---------------------------------------------------
  int32_t TextureCreate(const char* file);
  void TextureDestroy(int32_t texture);
  // Decodes a picture on a thread of its own for a texture made soon after;
  // null waits for the decoding under way.
  void TexturePrefetch(const char* file);
  int32_t SpriteCreate(const char* model, int32_t flags);
  void SpriteDestroy(int32_t sprite);
  void SpriteShow(int32_t sprite, bool shown);
  void SpriteRender(int32_t sprite);
  void SpriteLocation(int32_t sprite, iVec2* location);
  void SpriteLocationSet(int32_t sprite, const iVec2* location);
  void SpriteScaleSet(int32_t sprite, const iVec2* scale);
  void SpriteColorSet(int32_t sprite, float r, float g, float b, float a);
  void SpritePrioritySet(int32_t sprite, int32_t priority);
  void SpriteTextureSet(int32_t sprite, int32_t texture);
  void SpriteTextureChange(int32_t sprite, const char* file);
  bool SpritePicked(int32_t sprite);

  int32_t MeshCreate(const char* model);
  void MeshDestroy(int32_t mesh);
  void MeshShow(int32_t mesh, bool shown);
  void MeshLocationSet(int32_t mesh, const iVec3* location);
  void MeshScaleSet(int32_t mesh, float x, float y, float z);
  void MeshTextureSet(int32_t mesh, int32_t texture);
  void MeshLightsEnable(int32_t mesh, bool enable);
  bool MeshPicked(int32_t camera, int32_t mesh);
  // The same test at a point of the view given in fractions (0..1 from the
  // left and from the top) instead of the pointer.
  bool MeshPickedAt(int32_t camera, int32_t mesh, float x, float y);

  // ---- particles -------------------------------------------------------------------
  int32_t ParticleCreate(const char* texture, int32_t size);
  void ParticleDestroy(int32_t system);
  ParticleSystem* FindParticles(int32_t system);
  int32_t EmitterCreate(int32_t system);
  void EmitterDestroy(int32_t emitter);
  Emitter* FindEmitter(int32_t emitter);
  void Emit(int32_t emitter, float count, float spread);

  // ---- sound -------------------------------------------------------------------------
  int32_t SoundCreate(const char* file, bool music);
  void SoundDestroy(int32_t sound);
  void SoundPlay(int32_t sound, bool loop, bool now);
  void SoundStop(int32_t sound);
  bool SoundPlaying(int32_t sound);

  // ---- text --------------------------------------------------------------------------
  int32_t FontCreate(const char* file, int32_t camera);
  void PrintText(const char* text, const iVec2* location, const iVec2* scale, float spacing,
                 int32_t font, bool centered);
  void PrintColorSet(float r, float g, float b, float a) { printColor_ = {r, g, b, a}; }
  float PrintWidth(const char* text, const iVec2* scale, float spacing, int32_t font);
  void PrintsHide();
  // How many texts are printed now; hiding from one of them on takes back what
  // was printed after it (a caption redrawn over texts that stay).
  int32_t PrintCount() const { return static_cast<int32_t>(prints_.size()); }
  void PrintsHideFrom(int32_t first);

  // ---- input -------------------------------------------------------------------------
  bool KeyDown(int32_t key);
  bool KeyClick(int32_t key);
  int32_t TypedChar(bool consume);
  float MouseX() const { return mouseX_; }
  float MouseY() const { return mouseY_; }
  bool MouseButtonDown(int32_t button);
  bool MouseButtonClick(int32_t button);
  void MouseReset(const iVec2* position);

  // Raw input as the window system or the harness reports it.
  void InputKey(int32_t scancode, bool down);
  void InputMouseButton(int32_t button, bool down);
  void InputMouseMove(float x, float y);
  void InputChar(int32_t ch);
  // Releases every key and button (the window lost the focus).
  void ReleaseAllInput();
  // Drops every key, button and typed character, held or pending.
  void ForgetInput();
  // The window backend undoes a maximise; the restore that follows is not the user's.
  void ExpectMaximiseUndo() { maximiseUndo_ = true; }
  bool TakeMaximiseUndo() {
    bool was = maximiseUndo_;
    maximiseUndo_ = false;
    return was;
  }
  void PostMessage(const iMessage& message);
  void DispatchMessage(const iMessage& message);

  // ---- time and numbers --------------------------------------------------------------
  int32_t Tic();
  float FloatRand(float low, float high);
  int32_t IntRand(int32_t low, int32_t high);
  void Seed(uint32_t seed) { rng_.seed(seed); }

  // ---- harness -----------------------------------------------------------------------
  void SetHeadless(bool on) { headlessChoice_ = on; }
  bool HeadlessChosen() const { return headlessChoice_; }
  bool HeadlessRunning() const { return open_ && headlessRun_; }
  uint64_t Frame() const { return frame_; }
  void IdleTick();
  void SetFrameHook(ihFrameHook hook, void* user) {
    hook_ = hook;
    hookUser_ = user;
  }
  void SetOpenFail(int32_t fail) { openFail_ = fail; }
  void SetNumbersReused(bool on) { numbersReused_ = on; }
  int32_t OpenCount() const { return openCount_; }
  bool Fullscreen() const;
  int32_t LastRendered() const { return lastRendered_; }
  // Times the program moved the system pointer (iMouseReset).
  int32_t PointerWarps() const { return pointerWarps_; }
  int32_t ObjectCount() const;
  uint64_t SceneChecksum();
  int32_t ReadSprites(ihSprite* out, int32_t max);
  int32_t ReadMeshes(ihMesh* out, int32_t max);
  int32_t ReadPrints(ihPrint* out, int32_t max);
  int32_t ReadSoundEvents(ihSoundEvent* out, int32_t max);
  void ReadLight(int32_t light, iVec3* location, iColor* color);
  int32_t ParticleCount() const;

  // ---- for backends ------------------------------------------------------------------
  // Shown sprites in drawing order (back to front); the pointer layer (priority 1
  // and above) comes after prints.
  const std::vector<const Sprite*>& SortedSprites();
  size_t FirstTopSprite() const { return firstTopSprite_; }
  const Table<Mesh>& Meshes() const { return meshes_; }
  const Table<ParticleSystem>& Particles() const { return particles_; }
  const std::vector<Print>& Prints() const { return prints_; }
  const char* PrintTextAt(const Print& p) const { return printText_.data() + p.textOffset; }
  const std::array<Light, 3>& Lights() const { return lights_; }
  iVec3 CameraLocation() const;
  // The view's place in the window (pixels), for mapping the system pointer.
  void SetViewport(int x, int y, int w, int h) { viewport_ = {x, y, w, h}; }
  std::array<int, 4> Viewport() const { return viewport_; }
  Video* VideoBackend() { return video_.get(); }
  // Copies of presented views for the harness.
  void SetCapture(bool on) { captureOn_ = on; }
  bool CaptureOn() const { return captureOn_; }
  std::vector<uint8_t>& CaptureBuffer() { return capture_; }
  void SetCaptureSize(int w, int h) {
    captureW_ = w;
    captureH_ = h;
  }
  int32_t ReadCapture(uint8_t* out, int32_t maxBytes, int32_t* width, int32_t* height);
  // The window's contents were lost or resized: the next frame is drawn even if
  // its picture did not change.
  void RequestRedraw() { redraw_ = true; }
  bool TakeRedraw() {
    const bool was = redraw_;
    redraw_ = false;
    return was;
  }
  // Frames the window backend presented (a frame whose picture is already on
  // screen is not presented again).
  void CountFrameShown() { ++framesShown_; }
  uint64_t FramesShown() const { return framesShown_; }
  // GL textures of images that died, for the window backend to delete.
  std::vector<uint32_t>& DeadTextures() { return deadTextures_; }
  uint64_t GlGeneration() const { return glGeneration_; }
  uint64_t NewGlGeneration() { return ++glGeneration_; }

 private:
  int32_t NewHandle();
  bool LoadImage(const std::string& file, ImageRef& out);
  // Waits for a prefetch under way and keeps its picture in the cache.
  void TakePrefetchedImage();
  bool LoadModel(const std::string& file, Model& out);
  bool LoadFont(const std::string& file, FontRef& out);
  void LoadFailed(const std::string& file, const std::string& reason);
  void DestroyAll(bool objects, bool sounds);
  void ComputeInputEdges();
  void StepParticles();
  void PointerRay(const Camera* camera, float x, float y, iVec3& origin, iVec3& direction) const;
  void LogSound(int32_t sound, int kind, bool loop, const std::string& file);
  FontData* FindFont(int32_t font);

  bool open_ = false;
  bool rendering_ = false;
  bool initializing_ = false;
  bool headlessChoice_ = false;
  bool headlessRun_ = false;
  bool fullscreenWanted_ = false;
  int32_t openFail_ = 0;
  // Numbering starts again once every object is gone (harness option).
  bool numbersReused_ = false;
  int32_t openCount_ = 0;
  int32_t pointerWarps_ = 0;
  uint64_t frame_ = 0;
  uint64_t openFrame_ = 0;
  bool errorFlag_ = false;
  std::string errorText_;
  int32_t lastRendered_ = 0;

  std::unique_ptr<Video> video_;
  std::unique_ptr<Audio> audio_;
  bool audioOpen_ = false;  // audio_ opened (with the first sound)

  Table<Texture> textures_;
  Table<Sprite> sprites_;
  Table<Mesh> meshes_;
  Table<Camera> cameras_;
  Table<ParticleSystem> particles_;
  Table<Emitter> emitters_;
  Table<Sound> sounds_;
  Table<Font> fonts_;
  std::array<Light, 3> lights_;

  std::vector<Print> prints_;
  std::string printText_;
  iColor printColor_{1, 1, 1, 1};

  std::vector<const Sprite*> sorted_;
  size_t firstTopSprite_ = 0;

  // Input. Raw state is what the window system reports; edges are taken at the
  // start of each frame.
  std::array<bool, 256> keyDown_{};
  std::array<bool, 256> keyClick_{};
  std::array<bool, 8> buttonDown_{};
  std::array<bool, 8> buttonPressed_{};
  std::array<bool, 8> buttonClick_{};
  float mouseX_ = 0.5f;
  float mouseY_ = 0.5f;
  // Key presses and typed characters in the order they came, not yet given to a
  // frame. Each frame takes one press (with the character it typed) or one
  // character, so fast presses of one key are never merged into one click and
  // a character typed before Enter or Backspace is seen before it. Presses of
  // the modifier keys ride along with the next press.
  struct KeyEvent {
    int32_t key;  // scan code of a press, or 0
    int32_t ch;   // typed character, or 0
  };
  std::array<KeyEvent, 256> keyEvents_{};
  size_t keyEventHead_ = 0, keyEventCount_ = 0;
  int32_t typedNow_ = 0;
  void QueueKeyEvent(KeyEvent event);
  bool maximiseUndo_ = false;

  std::vector<iMessage> messages_;
  iMessageHandler handler_ = nullptr;
  void* handlerUser_ = nullptr;

  std::mt19937 rng_;
  ihFrameHook hook_ = nullptr;
  void* hookUser_ = nullptr;

  std::vector<ihSoundEvent> soundLog_;

  // Decoded files by resolved path, checked against the file's time and size.
  std::map<std::string, ImageRef> imageCache_;
  std::map<std::string, Model> modelCache_;
  std::map<std::string, FontRef> fontCache_;
  // One picture decoded ahead: the thread writes only `image` and `decoded`,
  // read after it is joined.
  struct ImagePrefetch {
    std::thread thread;
    ImageRef image;
    bool decoded = false;
  } prefetch_;
  int32_t nextHandle_ = 0;

  std::array<int, 4> viewport_{0, 0, 800, 600};
  std::vector<uint32_t> deadTextures_;
  bool captureOn_ = false;
  bool redraw_ = false;
  uint64_t framesShown_ = 0;
  std::vector<uint8_t> capture_;
  int captureW_ = 0, captureH_ = 0;
  uint64_t glGeneration_ = 0;
};

// The one engine of this library.
Engine& TheEngine();

}  // namespace impact
