// Drawing routines shared between pictures (a bonus content appears in its
// box and on the help page, a weapon in the HUD and on the help page).
#pragma once
#include <cairo.h>

#include "Canvas.h"

namespace assets {

// Menu palette: gunmetal panels, orange accents (the captions are orange).
namespace menu {
constexpr Rgb kSteel = Hex(0x2c3541);
constexpr Rgb kSteelDark = Hex(0x151a21);
constexpr Rgb kRim = Hex(0x66778a);
constexpr Rgb kEdge = Hex(0x07090c);
constexpr Rgb kOrange = Hex(0xff7800);
constexpr Rgb kAmber = Hex(0xffb020);
constexpr Rgb kText = Hex(0xe8edf2);
}  // namespace menu

// A bonus content (1..8) as an icon of `size` pixels centred at (cx, cy).
void DrawBonusIcon(cairo_t* cr, int type, double cx, double cy, double size);
// A weapon (0..4) seen from the side, muzzle to the left, fitted into the box.
void DrawWeaponSide(cairo_t* cr, int weapon, double x, double y, double w, double h);
// A metal plate with a bevel lit from the upper left.
void DrawPlate(cairo_t* cr, double x, double y, double w, double h, double r, Rgb base, Rgb border,
               double borderWidth);

}  // namespace assets
