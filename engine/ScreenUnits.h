// Screen units, image sizes, printing and picture sprites shared by the widgets,
// the screens, the HUD and the world sprites.
//
// The screen plane runs from x = -16 (left) to 16 (right) and y = -12 (bottom)
// to 12 (top), 25 design pixels of the 800 x 600 view per unit.
#pragma once
#include <cstdint>
#include <string>

#include "engine/EngineHandles.h"
#include "impact_types.h"
#include "platform/Result.h"

namespace gh {

inline float PixelsToScale(int p) { return static_cast<float>(p) / 40.0f; }
inline float PixelsToUnitsX(int p) { return static_cast<float>(p * 32) / 800.0f; }
inline float PixelsToUnitsY(int p) { return static_cast<float>(p * 24) / 600.0f; }

inline iVec2 Vec2(float x, float y) { return {x, y}; }

// A point given as fractions of the view (0, 0 its top left corner, as the
// engine reports the pointer) on the screen plane, and back.
inline iVec2 ViewToPlane(float x, float y) { return {x * 32.0f - 16.0f, 12.0f - y * 24.0f}; }
inline iVec2 PlaneToView(float x, float y) { return {(x + 16.0f) / 32.0f, (12.0f - y) / 24.0f}; }
// Where the engine's pointer is, on the screen plane.
iVec2 PointerOnPlane();
inline iVec3 Vec3(float x, float y, float z) { return {x, y, z}; }
inline iColor Colour(float r, float g, float b, float a) { return {r, g, b, a}; }

// The program's fixed print colours.
inline constexpr iColor ColourFocused{1, 0, 0, 1};       // focused caption, "GAME OVER"
inline constexpr iColor ColourEditText{1, 0.28f, 0, 1};  // edit and boss-key text
inline constexpr iColor ColourCaption{1, 0.47f, 0, 1};   // caption, best score row
inline constexpr iColor ColourScoreRow{1, 0.47f, 0, 0.5f};
inline constexpr iColor ColourShadow{0, 0, 0, 0.5f};
inline constexpr iColor ColourTitle{1, 1, 0, 1};      // "OPTIONS", "HIGH SCORE", "HELP"
inline constexpr iColor ColourGreen{0.17f, 1, 0, 1};  // labels, questions, HUD

// Screen sprites are drawn by priority, then in the order they were made. The
// menus' sprites keep the engine's default and the pointer lies above them all;
// the game's own screen sprites (the gun), made later, lie one step below, so a
// question asked in play covers them rather than the other way round.
inline constexpr int32_t GameSpritePriority = -1;

// The screen's camera and the font every text is printed in. Each engine
// run's loading makes them, in this order (the font is made for the camera),
// and the run's end frees them; until the first loading they are none.
CameraRef MakeScreenCamera();
FontRef MakeScreenFont(const char* file);
CameraRef ScreenCamera();
FontRef ScreenFont();

struct ImageSize {
  uint16_t width = 0;
  uint16_t height = 0;
};
// Reads an image's pixel size from its header (".png" and ".jpg" only, matched
// with case; others give 0 x 0). An Error for a missing file ("Cannot open
// file ...") or a file too short ("Stream read error: ..."), each naming the file.
Result<ImageSize> GetImageSize(const std::string& file);

enum : uint8_t { AlignLeft = 0, AlignCentre = 6 };

// Prints `text` left-aligned (0) or centred (6) at (x, y) in `colour`, with an
// optional shadow; spacing goes to the engine unchanged. Other alignments print
// nothing.
void PrintText(const std::string& text, uint8_t alignment, bool shadow, float x, float y,
               float scaleX, float scaleY, float spacing, const iColor& colour);
void SetPrintColour(const iColor& colour);

// A screen sprite showing the image at its pixel size, centred at (x, y). The
// sprite and its texture stay until the engine run ends. An Error (and no
// sprite) when the image cannot be measured.
Result<SpriteRef> CreatePicture(const std::string& file, bool show, float x, float y);

// Opens a document or web address with the desktop's default handler.
void OpenWithShell(const std::string& target);

// "Data\..." file names as the program writes them, for files the program
// opens itself (the engine resolves its own): '\' becomes '/' and names match
// without regard to case.
std::string ResolveDataPath(const std::string& name);

}  // namespace gh
