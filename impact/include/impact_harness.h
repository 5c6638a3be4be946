// The headless backend's harness: how tests and benchmarks drive the engine
// without a window, a GL context or an audio device, and read back what would
// be on screen. Exported by system.so beside the engine calls; the game itself
// never binds these.
#pragma once
#include <stdint.h>

#include "impact.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- backend and clock -------------------------------------------------------
// Chooses the headless backend for every later i3ImpactOpen (call before it).
// Headless: no window, no GL, no audio; a virtual clock that advances exactly
// one frame (1/60 s) per i3ImpactMain or ihIdleTick; iProcessMessages never waits.
IMPACT_EXPORT void ihHeadlessEnable(int32_t on);
IMPACT_EXPORT int32_t ihHeadless(void);
// Virtual milliseconds since the library was loaded (headless only; exact frame
// multiples: frame n is at n * 1000 / 60 ms, truncated).
IMPACT_EXPORT uint32_t ihMillis(void);
// Frames run so far (i3ImpactMain calls plus idle ticks).
IMPACT_EXPORT uint64_t ihFrame(void);
// One frame of time passing while the engine is not running (the application's
// idle loop between engine runs): advances the clock and calls the frame hook.
IMPACT_EXPORT void ihIdleTick(void);
// Seeds the engine's random numbers (iFloatRand, iIntRand).
IMPACT_EXPORT void ihSeed(uint32_t seed);

// Called at the start of every frame (i3ImpactMain, ihIdleTick), after the
// clock advanced and before the frame's input edges are computed, so a hook
// may set this frame's input. A harness that runs the program on its own
// thread blocks in the hook to step it frame by frame.
typedef void (*ihFrameHook)(uint64_t frame, void* user);
IMPACT_EXPORT void ihFrameHookSet(ihFrameHook hook, void* user);

// ---- input for the coming frame ------------------------------------------------
IMPACT_EXPORT void ihMouseSet(float x, float y);  // fractions 0..1 of the view
IMPACT_EXPORT void ihMouseButtonSet(int32_t button, int32_t down);
IMPACT_EXPORT void ihKeySet(int32_t scancode, int32_t down);
IMPACT_EXPORT void ihCharType(int32_t ch);  // one typed character, read by iTypedChar
// Queues a window message; the next iProcessMessages hands it to the handler.
IMPACT_EXPORT void ihMessagePost(const iMessage* message);
// Makes the engine set its error flag (as an internal failure would).
IMPACT_EXPORT void ihErrorRaise(void);
// Makes the next i3ImpactOpen fail (no display, no device); 0 clears it.
// fail > 0 fails that many next opens; a negative value fails every open until cleared.
IMPACT_EXPORT void ihOpenFailSet(int32_t fail);
// While on, object numbers start again from 1 once every object is gone
// (iReset of objects and sounds, i3ImpactClose), as an engine that reuses
// freed numbers may do; off (numbers never repeat) by default.
IMPACT_EXPORT void ihNumbersReusedSet(int32_t on);

// ---- what is on screen -----------------------------------------------------------
#define IH_NAME 160
#define IH_TEXT 256

typedef struct ihSprite {
  int32_t handle;
  float x, y;           // centre, screen units (-16..16, -12..12)
  float width, height;  // drawn size in screen units (1.6 units at scale 1)
  iColor color;
  int32_t priority;
  int32_t texture;     // texture handle (0 none)
  char file[IH_NAME];  // the texture's file as given to the engine
} ihSprite;

typedef struct ihMesh {
  int32_t handle;
  float x, y, z;        // world location
  float width, height;  // world units (1.6 units at scale 1)
  int32_t lit;          // local lights enabled
  int32_t texture;
  char file[IH_NAME];
} ihMesh;

typedef struct ihPrint {
  char text[IH_TEXT];
  float x, y;  // as passed: left end (iPrint) or centre (iPrintCentered)
  float scaleX, scaleY, spacing;
  int32_t centered;
  iColor color;
  float left, right;  // horizontal extent actually covered, screen units
} ihPrint;

typedef struct ihSoundEvent {
  uint64_t frame;
  int32_t sound;  // handle
  int32_t kind;   // 1 play, 2 play now, 3 stop
  int32_t loop;
  char file[IH_NAME];
} ihSoundEvent;

// Each returns the total number of items and copies at most max of them.
// Sprites: shown screen sprites in drawing order (back to front).
IMPACT_EXPORT int32_t ihSprites(ihSprite* out, int32_t max);
// Meshes: shown world quads in drawing order (back to front).
IMPACT_EXPORT int32_t ihMeshes(ihMesh* out, int32_t max);
// Prints on screen now (since the last iPrintsHide), in call order.
IMPACT_EXPORT int32_t ihPrints(ihPrint* out, int32_t max);
// Sound events since the previous call (the log is then emptied; a count query
// with no buffer leaves it).
IMPACT_EXPORT int32_t ihSoundEvents(ihSoundEvent* out, int32_t max);
// Whether a sound is playing now (a looped sound plays until stopped).
IMPACT_EXPORT int32_t ihSoundPlaying(int32_t sound);
IMPACT_EXPORT void ihLight(int32_t light, iVec3* location, iColor* color);
// Live particles of every system.
IMPACT_EXPORT int32_t ihParticles(void);
// Times i3ImpactOpen succeeded; whether the engine shows full screen.
IMPACT_EXPORT int32_t ihOpenCount(void);
IMPACT_EXPORT int32_t ihFullscreen(void);
// Number of live engine objects (sprites, meshes, textures, sounds, particles,
// emitters, fonts, cameras): lets tests find leaks across engine runs and games.
IMPACT_EXPORT int32_t ihObjectCount(void);
// A checksum of everything drawn this frame (sprites, meshes, prints, lights).
IMPACT_EXPORT uint64_t ihSceneChecksum(void);
// The last picture presented by iSpriteRender (handle), 0 if none since open.
IMPACT_EXPORT int32_t ihLastRendered(void);
// Times the program moved the system pointer (iMouseReset with a position).
IMPACT_EXPORT int32_t ihPointerWarps(void);

// ---- window backend read-back ------------------------------------------------------
// Frames the window backend presented since the library was loaded, pictures
// drawn alone included. A frame whose picture equals the one on screen is not
// presented again.
IMPACT_EXPORT uint64_t ihFramesShown(void);
// Keeps a copy of every view the window backend presents (off by default: it
// costs a pixel read-back per frame).
IMPACT_EXPORT void ihCaptureEnable(int32_t on);
// Copies the last presented view (rows top first, RGBA, 4 bytes a pixel) into out
// when it holds max_bytes or more; sets *width and *height (either may be null).
// Returns nonzero when a view was captured.
IMPACT_EXPORT int32_t ihViewPixels(uint8_t* out, int32_t max_bytes, int32_t* width,
                                   int32_t* height);

#ifdef __cplusplus
}
#endif
