// Vehicles: aircraft, cars, trains and trucks, all facing left (the R folders
// of the trucks face right). No maker's marks anywhere.
//
// Trucks: the cabin and the trailer are drawn at scale 1 with their centres
// `Gap` world units apart (25 pixels of the view per unit), so half the cabin
// plus half the trailer must be Gap x 25 pixels for the two to meet:
//   K0 130, K1 and K2 80, KB0 170, KB1 220 pixels wide gives
//   K0+KB0 150 (gap 6), K1/K2+KB0 125 (gap 5), K0+KB1 175 (gap 7),
//   K1/K2+KB1 150 (gap 6).
#include <cmath>
#include <functional>
#include <string>

#include "Art.h"
#include "Pictures.h"

namespace assets {

namespace {

constexpr double kPi = M_PI;
constexpr Rgb kInk = Hex(0x101114);
constexpr Rgb kGlass = Hex(0x8fb4cc);

void Stroke(cairo_t* cr, double width = 2.2) {
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void Lit(cairo_t* cr, Rgb c, double spread = 0.3) {
  double x0, y0, x1, y1;
  cairo_path_extents(cr, &x0, &y0, &x1, &y1);
  FillLit(cr, c, x0, y0, x0 + (x1 - x0) * 0.15, y1, spread);
  Stroke(cr);
}

void Glass(cairo_t* cr) {
  double x0, y0, x1, y1;
  cairo_path_extents(cr, &x0, &y0, &x1, &y1);
  FillVertical(cr, y0, y1, Lighter(kGlass, 0.35), Darker(kGlass, 0.35));
  Stroke(cr, 1.6);
}

void Wheel(cairo_t* cr, double cx, double cy, double r) {
  Ellipse(cr, cx, cy, r, r);
  SetRgb(cr, Hex(0x15161a));
  cairo_fill_preserve(cr);
  Stroke(cr, 1.5);
  Ellipse(cr, cx, cy, r * 0.55, r * 0.55);
  FillLit(cr, Hex(0xa8aeb6), cx - r, cy - r, cx + r, cy + r, 0.4);
  cairo_new_path(cr);
  Ellipse(cr, cx, cy, r * 0.18, r * 0.18);
  SetRgb(cr, Hex(0x404448));
  cairo_fill(cr);
}

// --- cars ------------------------------------------------------------------

void DrawSedan(Canvas& c) {  // "Mercedes": a long blue saloon
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const Rgb paint = Hex(0x1f56a8);
  const double base = h - 14;
  cairo_move_to(cr, 4, base - 4);
  cairo_curve_to(cr, 2, base - 18, 6, base - 24, 20, base - 26);
  cairo_line_to(cr, 52, base - 30);
  cairo_curve_to(cr, 62, base - 44, 72, base - 50, 84, base - 50);
  cairo_line_to(cr, 128, base - 50);
  cairo_curve_to(cr, 140, base - 50, 150, base - 40, 158, base - 31);
  cairo_line_to(cr, w - 6, base - 28);
  cairo_curve_to(cr, w - 2, base - 24, w - 2, base - 10, w - 4, base - 4);
  cairo_line_to(cr, w - 6, base + 2);
  cairo_line_to(cr, 8, base + 2);
  cairo_close_path(cr);
  Lit(cr, paint, 0.35);
  // Windows.
  cairo_move_to(cr, 60, base - 31);
  cairo_curve_to(cr, 68, base - 42, 76, base - 46, 86, base - 46);
  cairo_line_to(cr, 104, base - 46);
  cairo_line_to(cr, 104, base - 31);
  cairo_close_path(cr);
  Glass(cr);
  cairo_move_to(cr, 109, base - 46);
  cairo_line_to(cr, 126, base - 46);
  cairo_curve_to(cr, 136, base - 46, 144, base - 38, 150, base - 31);
  cairo_line_to(cr, 109, base - 31);
  cairo_close_path(cr);
  Glass(cr);
  // Chrome line, door seams, handles, lamps.
  cairo_move_to(cr, 10, base - 14);
  cairo_line_to(cr, w - 8, base - 14);
  SetRgb(cr, Hex(0xdfe6ee));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  for (double x : {106.0, 60.0, 150.0}) {
    cairo_move_to(cr, x, base - 30);
    cairo_line_to(cr, x, base);
  }
  SetRgb(cr, Darker(paint, 0.5));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  RoundedRect(cr, 4, base - 22, 10, 6, 2);
  SetRgb(cr, Hex(0xfff6d0));
  cairo_fill(cr);
  RoundedRect(cr, w - 10, base - 24, 6, 8, 2);
  SetRgb(cr, Hex(0xe02020));
  cairo_fill(cr);
  Wheel(cr, 38, base, 12);
  Wheel(cr, w - 38, base, 12);
}

void DrawHatchback(Canvas& c) {  // "Audi": a red estate
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const Rgb paint = Hex(0xc8302a);
  const double base = h - 14;
  cairo_move_to(cr, 4, base - 4);
  cairo_curve_to(cr, 2, base - 18, 8, base - 24, 22, base - 26);
  cairo_line_to(cr, 50, base - 29);
  cairo_curve_to(cr, 62, base - 44, 70, base - 48, 82, base - 48);
  cairo_line_to(cr, w - 16, base - 48);
  cairo_curve_to(cr, w - 8, base - 46, w - 4, base - 34, w - 4, base - 20);
  cairo_line_to(cr, w - 4, base + 2);
  cairo_line_to(cr, 8, base + 2);
  cairo_close_path(cr);
  Lit(cr, paint, 0.35);
  cairo_move_to(cr, 58, base - 30);
  cairo_curve_to(cr, 66, base - 40, 72, base - 44, 84, base - 44);
  cairo_line_to(cr, 100, base - 44);
  cairo_line_to(cr, 100, base - 30);
  cairo_close_path(cr);
  Glass(cr);
  cairo_rectangle(cr, 105, base - 44, 30, 14);
  Glass(cr);
  cairo_move_to(cr, 140, base - 44);
  cairo_line_to(cr, w - 18, base - 44);
  cairo_curve_to(cr, w - 12, base - 42, w - 10, base - 36, w - 10, base - 30);
  cairo_line_to(cr, 140, base - 30);
  cairo_close_path(cr);
  Glass(cr);
  // Roof rails, seams, lamps.
  cairo_move_to(cr, 84, base - 51);
  cairo_line_to(cr, w - 20, base - 51);
  SetRgb(cr, Hex(0x2a2a2a));
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  for (double x : {102.0, 138.0}) {
    cairo_move_to(cr, x, base - 30);
    cairo_line_to(cr, x, base);
  }
  SetRgb(cr, Darker(paint, 0.5));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  cairo_rectangle(cr, 6, base - 8, w - 12, 6);
  SetRgb(cr, Hex(0x2a2c30));
  cairo_fill(cr);
  RoundedRect(cr, 4, base - 22, 10, 6, 2);
  SetRgb(cr, Hex(0xfff6d0));
  cairo_fill(cr);
  RoundedRect(cr, w - 9, base - 30, 5, 10, 2);
  SetRgb(cr, Hex(0xff3010));
  cairo_fill(cr);
  Wheel(cr, 36, base, 12);
  Wheel(cr, w - 36, base, 12);
}

// --- aircraft ----------------------------------------------------------------

void DrawJet(Canvas& c) {  // Air1
  cairo_t* cr = c.cr();
  const double cy = c.height() / 2.0 + 4;
  const Rgb grey = Hex(0x7d8a96);
  // Far wing.
  cairo_move_to(cr, 110, cy - 2);
  cairo_line_to(cr, 150, cy - 26);
  cairo_line_to(cr, 165, cy - 26);
  cairo_line_to(cr, 160, cy - 2);
  cairo_close_path(cr);
  Lit(cr, Darker(grey, 0.3));
  // Tail fin.
  cairo_move_to(cr, 170, cy - 6);
  cairo_line_to(cr, 196, cy - 34);
  cairo_line_to(cr, 212, cy - 34);
  cairo_line_to(cr, 206, cy - 4);
  cairo_close_path(cr);
  Lit(cr, grey);
  // Fuselage.
  cairo_move_to(cr, 2, cy);
  cairo_curve_to(cr, 30, cy - 10, 60, cy - 12, 90, cy - 11);
  cairo_line_to(cr, 208, cy - 8);
  cairo_line_to(cr, 216, cy - 2);
  cairo_line_to(cr, 216, cy + 6);
  cairo_line_to(cr, 90, cy + 9);
  cairo_curve_to(cr, 60, cy + 9, 30, cy + 6, 2, cy);
  cairo_close_path(cr);
  Lit(cr, grey, 0.35);
  // Canopy.
  cairo_move_to(cr, 52, cy - 10);
  cairo_curve_to(cr, 60, cy - 22, 82, cy - 22, 96, cy - 11);
  cairo_close_path(cr);
  Glass(cr);
  // Near wing, exhaust, roundel of our own.
  cairo_move_to(cr, 100, cy + 2);
  cairo_line_to(cr, 150, cy + 28);
  cairo_line_to(cr, 168, cy + 28);
  cairo_line_to(cr, 160, cy + 3);
  cairo_close_path(cr);
  Lit(cr, Lighter(grey, 0.05));
  Ellipse(cr, 146, cy + 17, 5, 5);
  SetRgb(cr, Hex(0xe07000));
  cairo_fill(cr);
  cairo_rectangle(cr, 212, cy - 5, 6, 9);
  SetRgb(cr, Hex(0x303438));
  cairo_fill(cr);
  cairo_move_to(cr, 20, cy - 1);
  cairo_line_to(cr, 200, cy - 1);
  SetRgb(cr, {1, 1, 1}, 0.25);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

void DrawPropPlane(Canvas& c) {  // Air2
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height(), cy = h / 2 + 6;
  const Rgb paint = Hex(0xf0b020);
  // Fuselage.
  cairo_move_to(cr, 22, cy - 12);
  cairo_curve_to(cr, 60, cy - 16, 120, cy - 12, 180, cy - 6);
  cairo_line_to(cr, 192, cy - 4);
  cairo_line_to(cr, 190, cy + 3);
  cairo_curve_to(cr, 120, cy + 12, 60, cy + 14, 22, cy + 10);
  cairo_close_path(cr);
  Lit(cr, paint, 0.35);
  // Tail.
  cairo_move_to(cr, 160, cy - 8);
  cairo_line_to(cr, 180, cy - 32);
  cairo_line_to(cr, 194, cy - 32);
  cairo_line_to(cr, 190, cy - 4);
  cairo_close_path(cr);
  Lit(cr, Hex(0xc0301c));
  // High wing and strut.
  RoundedRect(cr, 56, cy - 24, 70, 9, 4);
  Lit(cr, Hex(0xc0301c));
  cairo_move_to(cr, 90, cy - 15);
  cairo_line_to(cr, 96, cy + 6);
  Stroke(cr, 2.5);
  // Cabin windows, nose and propeller blur.
  cairo_move_to(cr, 50, cy - 13);
  cairo_line_to(cr, 88, cy - 14);
  cairo_line_to(cr, 88, cy - 4);
  cairo_line_to(cr, 46, cy - 4);
  cairo_close_path(cr);
  Glass(cr);
  Ellipse(cr, 22, cy - 1, 9, 12);
  Lit(cr, Hex(0x404448));
  Ellipse(cr, 12, cy - 1, 4, 30);
  SetRgb(cr, Hex(0xd0d4d8), 0.5);
  cairo_fill(cr);
  Ellipse(cr, 12, cy - 1, 3, 3);
  SetRgb(cr, kInk);
  cairo_fill(cr);
  // Landing gear.
  cairo_move_to(cr, 60, cy + 10);
  cairo_line_to(cr, 56, cy + 22);
  Stroke(cr, 2.5);
  Wheel(cr, 56, cy + 24, 6);
  (void)w;
}

void DrawHelicopter(Canvas& c) {  // Air3
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const Rgb olive = Hex(0x5a6b38);
  const double cy = h / 2 + 10;
  // Tail boom and rotor.
  cairo_move_to(cr, 100, cy - 10);
  cairo_line_to(cr, 186, cy - 8);
  cairo_line_to(cr, 186, cy - 2);
  cairo_line_to(cr, 100, cy + 6);
  cairo_close_path(cr);
  Lit(cr, olive);
  cairo_move_to(cr, 176, cy - 6);
  cairo_line_to(cr, 188, cy - 28);
  cairo_line_to(cr, 196, cy - 28);
  cairo_line_to(cr, 192, cy - 4);
  cairo_close_path(cr);
  Lit(cr, olive);
  Ellipse(cr, 190, cy - 6, 3, 16);
  SetRgb(cr, Hex(0xcfd4d8), 0.55);
  cairo_fill(cr);
  // Body.
  cairo_move_to(cr, 14, cy);
  cairo_curve_to(cr, 14, cy - 26, 40, cy - 32, 76, cy - 30);
  cairo_curve_to(cr, 100, cy - 28, 112, cy - 16, 112, cy);
  cairo_curve_to(cr, 112, cy + 16, 90, cy + 20, 60, cy + 20);
  cairo_curve_to(cr, 30, cy + 20, 14, cy + 14, 14, cy);
  cairo_close_path(cr);
  Lit(cr, olive, 0.35);
  // Cockpit bubble.
  cairo_move_to(cr, 16, cy - 2);
  cairo_curve_to(cr, 16, cy - 22, 34, cy - 26, 52, cy - 26);
  cairo_line_to(cr, 52, cy - 2);
  cairo_close_path(cr);
  Glass(cr);
  // Skids.
  cairo_move_to(cr, 30, cy + 20);
  cairo_line_to(cr, 26, cy + 30);
  cairo_move_to(cr, 90, cy + 20);
  cairo_line_to(cr, 94, cy + 30);
  cairo_move_to(cr, 10, cy + 30);
  cairo_line_to(cr, 110, cy + 30);
  Stroke(cr, 3);
  // Mast and rotor blur.
  cairo_rectangle(cr, 64, cy - 38, 8, 8);
  SetRgb(cr, Hex(0x303438));
  cairo_fill(cr);
  Ellipse(cr, 68, cy - 40, 92, 4);
  SetRgb(cr, Hex(0x20242a), 0.6);
  cairo_fill(cr);
  cairo_move_to(cr, 2, cy - 40);
  cairo_line_to(cr, 134, cy - 40);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  (void)w;
}

void DrawTransport(Canvas& c) {  // Air4: a big four-engined transport
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height(), cy = h / 2 + 6;
  const Rgb paint = Hex(0x6f7f6a);
  // Far wing with engines.
  cairo_move_to(cr, 120, cy - 8);
  cairo_line_to(cr, 175, cy - 34);
  cairo_line_to(cr, 195, cy - 34);
  cairo_line_to(cr, 180, cy - 8);
  cairo_close_path(cr);
  Lit(cr, Darker(paint, 0.3));
  RoundedRect(cr, 150, cy - 28, 26, 9, 4);
  Lit(cr, Darker(paint, 0.4));
  // Fuselage.
  cairo_move_to(cr, 6, cy + 2);
  cairo_curve_to(cr, 8, cy - 20, 30, cy - 24, 60, cy - 24);
  cairo_line_to(cr, 230, cy - 22);
  cairo_line_to(cr, 290, cy - 12);
  cairo_line_to(cr, 292, cy - 4);
  cairo_line_to(cr, 230, cy + 14);
  cairo_line_to(cr, 60, cy + 18);
  cairo_curve_to(cr, 30, cy + 18, 8, cy + 14, 6, cy + 2);
  cairo_close_path(cr);
  Lit(cr, paint, 0.35);
  // T-tail.
  cairo_move_to(cr, 240, cy - 20);
  cairo_line_to(cr, 268, cy - 46);
  cairo_line_to(cr, 284, cy - 46);
  cairo_line_to(cr, 284, cy - 12);
  cairo_close_path(cr);
  Lit(cr, paint);
  RoundedRect(cr, 256, cy - 50, 40, 7, 3);
  Lit(cr, Darker(paint, 0.2));
  // Cockpit and cabin windows.
  cairo_move_to(cr, 14, cy - 8);
  cairo_curve_to(cr, 18, cy - 16, 26, cy - 18, 36, cy - 18);
  cairo_line_to(cr, 38, cy - 8);
  cairo_close_path(cr);
  Glass(cr);
  for (double x = 60; x < 220; x += 16) {
    RoundedRect(cr, x, cy - 14, 7, 7, 3);
    SetRgb(cr, Hex(0x203040));
    cairo_fill(cr);
  }
  // Near wing with two engines.
  cairo_move_to(cr, 110, cy - 2);
  cairo_line_to(cr, 170, cy + 34);
  cairo_line_to(cr, 192, cy + 34);
  cairo_line_to(cr, 172, cy - 2);
  cairo_close_path(cr);
  Lit(cr, paint);
  for (auto [x, y] : {std::pair{128.0, cy + 12}, {152.0, cy + 26}}) {
    RoundedRect(cr, x, y, 32, 11, 5);
    Lit(cr, Darker(paint, 0.25));
    Ellipse(cr, x + 1, y + 5.5, 2.5, 12);
    SetRgb(cr, Hex(0xd0d4d8), 0.5);
    cairo_fill(cr);
  }
  (void)w;
}

void DrawBlimp(Canvas& c) {  // Air5
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const double cy = h / 2 - 4;
  // Fins.
  for (int s : {-1, 1}) {
    cairo_move_to(cr, w - 34, cy + s * 8);
    cairo_line_to(cr, w - 6, cy + s * 24);
    cairo_line_to(cr, w - 4, cy + s * 6);
    cairo_close_path(cr);
    Lit(cr, Hex(0xd03020));
  }
  Ellipse(cr, w / 2 - 6, cy, w / 2 - 14, 20);
  Lit(cr, Hex(0xeceae4), 0.35);
  // Band with our own lettering.
  cairo_save(cr);
  Ellipse(cr, w / 2 - 6, cy, w / 2 - 14, 20);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, cy - 5, w, 10);
  SetRgb(cr, Hex(0xd03020));
  cairo_fill(cr);
  cairo_restore(cr);
  SetFont(cr, Face::Bold, 9);
  Text(cr, "FLY GH2", w / 2 - 8, CapBaseline(cr, cy), 0.5, {1, 1, 1});
  // Gondola.
  RoundedRect(cr, w / 2 - 26, cy + 18, 34, 10, 4);
  Lit(cr, Hex(0x50565e));
  for (double x = w / 2 - 22; x < w / 2 + 4; x += 8) {
    cairo_rectangle(cr, x, cy + 21, 5, 4);
    SetRgb(cr, kGlass);
    cairo_fill(cr);
  }
}

// --- trains ------------------------------------------------------------------

void Bogie(cairo_t* cr, double cx, double base, double r) {
  RoundedRect(cr, cx - r * 2.6, base - r * 1.6, r * 5.2, r * 0.9, 2);
  SetRgb(cr, Hex(0x2a2c30));
  cairo_fill(cr);
  Wheel(cr, cx - r * 1.3, base - r * 0.2, r);
  Wheel(cr, cx + r * 1.3, base - r * 0.2, r);
}

void Coupler(cairo_t* cr, double x, double y) {
  cairo_rectangle(cr, x - 5, y - 3, 10, 6);
  SetRgb(cr, Hex(0x202226));
  cairo_fill(cr);
}

// A diesel locomotive, cab at the front (left).
void Locomotive(cairo_t* cr, double x, double len, double top, double base, Rgb paint) {
  const double body = base - 14;
  cairo_move_to(cr, x + 6, body);
  cairo_line_to(cr, x + 4, top + 18);
  cairo_curve_to(cr, x + 6, top + 4, x + 14, top, x + 26, top);
  cairo_line_to(cr, x + len - 4, top + 8);
  cairo_line_to(cr, x + len - 2, body);
  cairo_close_path(cr);
  Lit(cr, paint, 0.3);
  // Stripe, cab windows, grilles, headlight.
  cairo_rectangle(cr, x + 5, body - 22, len - 8, 8);
  SetRgb(cr, Hex(0xf2d020));
  cairo_fill(cr);
  cairo_move_to(cr, x + 10, top + 18);
  cairo_curve_to(cr, x + 12, top + 8, x + 18, top + 6, x + 28, top + 6);
  cairo_line_to(cr, x + 28, top + 26);
  cairo_line_to(cr, x + 10, top + 26);
  cairo_close_path(cr);
  Glass(cr);
  cairo_rectangle(cr, x + 36, top + 8, 22, 18);
  Glass(cr);
  for (double gx = x + 80; gx < x + len - 30; gx += 40) {
    cairo_rectangle(cr, gx, top + 14, 28, 22);
    SetRgb(cr, Darker(paint, 0.4));
    cairo_fill(cr);
    for (double ly = top + 17; ly < top + 35; ly += 4) {
      cairo_move_to(cr, gx + 2, ly);
      cairo_line_to(cr, gx + 26, ly);
    }
    SetRgb(cr, Darker(paint, 0.65));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  }
  Ellipse(cr, x + 8, body - 8, 4, 4);
  SetRgb(cr, Hex(0xfff6c0));
  cairo_fill(cr);
  Bogie(cr, x + len * 0.22, base, 8);
  Bogie(cr, x + len * 0.78, base, 8);
}

void BoxCar(cairo_t* cr, double x, double len, double top, double base, Rgb paint) {
  const double body = base - 14;
  cairo_rectangle(cr, x, top, len, body - top);
  Lit(cr, paint, 0.25);
  for (double rx = x + 8; rx < x + len - 4; rx += 12) {
    cairo_move_to(cr, rx, top + 4);
    cairo_line_to(cr, rx, body - 4);
  }
  SetRgb(cr, Darker(paint, 0.3));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_rectangle(cr, x + len / 2 - 26, top + 8, 52, body - top - 12);
  Lit(cr, Darker(paint, 0.15));
  cairo_rectangle(cr, x, top, len, 5);
  SetRgb(cr, Darker(paint, 0.45));
  cairo_fill(cr);
  Bogie(cr, x + len * 0.2, base, 8);
  Bogie(cr, x + len * 0.8, base, 8);
}

void TankCar(cairo_t* cr, double x, double len, double top, double base, Rgb paint) {
  const double body = base - 14;
  cairo_rectangle(cr, x + 2, body - 10, len - 4, 8);
  SetRgb(cr, Hex(0x2a2c30));
  cairo_fill(cr);
  RoundedRect(cr, x + 4, top + 10, len - 8, body - top - 18, (body - top - 18) / 2);
  Lit(cr, paint, 0.35);
  cairo_rectangle(cr, x + len / 2 - 10, top + 2, 20, 10);
  Lit(cr, Darker(paint, 0.2));
  RoundedRect(cr, x + len / 2 - 40, top + 26, 80, 16, 3);
  SetRgb(cr, Hex(0xf4f0e0));
  cairo_fill(cr);
  SetFont(cr, Face::Bold, 11);
  Text(cr, "FUEL", x + len / 2, top + 38, 0.5, Hex(0xb02010));
  Bogie(cr, x + len * 0.2, base, 8);
  Bogie(cr, x + len * 0.8, base, 8);
}

void Coach(cairo_t* cr, double x, double len, double top, double base, Rgb paint, bool front) {
  const double body = base - 12;
  if (front) {
    cairo_move_to(cr, x + 4, body);
    cairo_line_to(cr, x + 2, top + 22);
    cairo_curve_to(cr, x + 4, top + 4, x + 16, top, x + 34, top);
  } else {
    cairo_move_to(cr, x, body);
    cairo_line_to(cr, x, top + 4);
    cairo_line_to(cr, x + 4, top);
  }
  cairo_line_to(cr, x + len - 4, top);
  cairo_line_to(cr, x + len, top + 4);
  cairo_line_to(cr, x + len, body);
  cairo_close_path(cr);
  Lit(cr, paint, 0.3);
  cairo_rectangle(cr, x + 2, body - 16, len - 4, 6);
  SetRgb(cr, Hex(0x2a6ab0));
  cairo_fill(cr);
  for (double wx = x + (front ? 44 : 14); wx < x + len - 22; wx += 26) {
    RoundedRect(cr, wx, top + 10, 18, 18, 3);
    Glass(cr);
  }
  if (front) {
    cairo_move_to(cr, x + 6, top + 24);
    cairo_curve_to(cr, x + 8, top + 10, x + 16, top + 7, x + 30, top + 7);
    cairo_line_to(cr, x + 30, top + 26);
    cairo_close_path(cr);
    Glass(cr);
    Ellipse(cr, x + 8, body - 8, 3.5, 3.5);
    SetRgb(cr, Hex(0xfff6c0));
    cairo_fill(cr);
  }
  Bogie(cr, x + len * 0.18, base, 7);
  Bogie(cr, x + len * 0.82, base, 7);
}

void DrawTrain1(Canvas& c) {  // loco and a boxcar, near track
  cairo_t* cr = c.cr();
  const double h = c.height(), base = h - 2;
  Locomotive(cr, 0, 300, 12, base, Hex(0xb03a2e));
  Coupler(cr, 302, base - 22);
  BoxCar(cr, 306, 332, 22, base, Hex(0x7a4a2a));
}

void DrawTrain2(Canvas& c) {  // a commuter train of two coaches, far track
  cairo_t* cr = c.cr();
  const double h = c.height(), base = h - 2;
  Coach(cr, 0, 276, 6, base, Hex(0xe6e2d6), true);
  Coupler(cr, 279, base - 20);
  Coach(cr, 282, 276, 6, base, Hex(0xe6e2d6), false);
}

void DrawTrain3(Canvas& c) {  // loco and two tank cars, near track
  cairo_t* cr = c.cr();
  const double h = c.height(), base = h - 2;
  Locomotive(cr, 0, 290, 12, base, Hex(0x2a6a4a));
  Coupler(cr, 292, base - 22);
  TankCar(cr, 296, 210, 26, base, Hex(0x3a3e46));
  Coupler(cr, 508, base - 22);
  TankCar(cr, 512, 206, 26, base, Hex(0x8a8e96));
}

// --- trucks --------------------------------------------------------------------

// Set while a right-facing copy is drawn, so lettering still reads forwards.
bool gMirrored = false;

void Lettering(cairo_t* cr, const char* text, double x, double y, Rgb colour) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  if (gMirrored) cairo_scale(cr, -1, 1);
  Text(cr, text, 0, 0, 0.5, colour);
  cairo_restore(cr);
}

// Cabins face left; the right edge is where the trailer meets them.
void Cabin(cairo_t* cr, double w, double h, int style) {
  const double base = h - 16;
  const Rgb paints[3] = {Hex(0xd0601a), Hex(0x2a66b0), Hex(0xe8c020)};
  const Rgb paint = paints[style];
  // Chassis to the coupling at the right edge.
  cairo_rectangle(cr, 4, base - 10, w - 4, 10);
  SetRgb(cr, Hex(0x222428));
  cairo_fill(cr);
  if (style == 0) {
    // Bonneted cabin: engine hood at the front, cab behind.
    cairo_move_to(cr, 4, base - 4);
    cairo_line_to(cr, 4, base - 42);
    cairo_curve_to(cr, 6, base - 50, 12, base - 52, 20, base - 52);
    cairo_line_to(cr, 56, base - 52);
    cairo_line_to(cr, 62, base - 84);
    cairo_line_to(cr, 104, base - 84);
    cairo_line_to(cr, 106, base - 4);
    cairo_close_path(cr);
    Lit(cr, paint, 0.35);
    cairo_move_to(cr, 68, base - 78);
    cairo_line_to(cr, 98, base - 78);
    cairo_line_to(cr, 98, base - 54);
    cairo_line_to(cr, 64, base - 54);
    cairo_close_path(cr);
    Glass(cr);
    // Grille and exhaust stack.
    cairo_rectangle(cr, 4, base - 40, 8, 26);
    SetRgb(cr, Hex(0xc8ccd0));
    cairo_fill(cr);
    cairo_rectangle(cr, 108, base - 96, 6, 90);
    Lit(cr, Hex(0xb8bec4));
    Wheel(cr, 30, base, 15);
    Wheel(cr, w - 26, base, 15);
  } else {
    // Cab-over: a tall box with a big windscreen at the front.
    RoundedRect(cr, 2, base - 78, w - 16, 74, 6);
    Lit(cr, paint, 0.35);
    cairo_move_to(cr, 6, base - 70);
    cairo_line_to(cr, 30, base - 70);
    cairo_line_to(cr, 30, base - 46);
    cairo_line_to(cr, 4, base - 46);
    cairo_close_path(cr);
    Glass(cr);
    cairo_rectangle(cr, 36, base - 70, 22, 22);
    Glass(cr);
    cairo_rectangle(cr, 4, base - 30, 10, 16);
    SetRgb(cr, Hex(0xc8ccd0));
    cairo_fill(cr);
    if (style == 2) {  // roof light bar and a stripe
      cairo_rectangle(cr, 10, base - 84, 40, 6);
      SetRgb(cr, Hex(0xff9a20));
      cairo_fill(cr);
      cairo_rectangle(cr, 3, base - 40, w - 18, 6);
      SetRgb(cr, Hex(0x202020));
      cairo_fill(cr);
    }
    Wheel(cr, 26, base, 14);
  }
}

// Trailers face left: the coupling is at the left edge, meeting the cabin.
void Trailer(cairo_t* cr, double w, double h, int style) {
  const double base = h - 16;
  cairo_rectangle(cr, 0, base - 10, w - 6, 10);
  SetRgb(cr, Hex(0x222428));
  cairo_fill(cr);
  if (style == 0) {
    cairo_rectangle(cr, 2, base - 88, w - 6, 76);
    Lit(cr, Hex(0xdedad0), 0.25);
    for (double rx = 12; rx < w - 8; rx += 16) {
      cairo_move_to(cr, rx, base - 84);
      cairo_line_to(cr, rx, base - 16);
    }
    SetRgb(cr, Hex(0xb8b4aa));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    RoundedRect(cr, 20, base - 70, w - 46, 30, 4);
    SetRgb(cr, Hex(0x2a7a3a));
    cairo_fill(cr);
    SetFont(cr, Face::Bold, 17);
    Lettering(cr, "FRESH", w / 2 - 3, base - 49, {1, 1, 1});
  } else {
    RoundedRect(cr, 4, base - 70, w - 10, 56, 28);
    Lit(cr, Hex(0xb8c0c8), 0.35);
    for (double rx : {w * 0.3, w * 0.65}) {
      cairo_rectangle(cr, rx, base - 70, 6, 56);
      SetRgb(cr, Hex(0x8a929a));
      cairo_fill(cr);
    }
    RoundedRect(cr, w / 2 - 40, base - 52, 80, 20, 3);
    SetRgb(cr, Hex(0xe83020));
    cairo_fill(cr);
    SetFont(cr, Face::Bold, 13);
    Lettering(cr, "FLAMMABLE", w / 2, base - 37, {1, 1, 1});
  }
  Wheel(cr, w - 62, base, 14);
  Wheel(cr, w - 30, base, 14);
}

void Mirrored(Canvas& c, bool right, const std::function<void(cairo_t*)>& draw) {
  cairo_t* cr = c.cr();
  cairo_save(cr);
  if (right) {
    cairo_translate(cr, c.width(), 0);
    cairo_scale(cr, -1, 1);
  }
  gMirrored = right;
  draw(cr);
  gMirrored = false;
  cairo_restore(cr);
}

// A picture drawn at w x h and shrunk to the canvas's width, standing on
// its bottom edge.
void Shrunk(Canvas& c, int w, int h, void (*draw)(Canvas&)) {
  Canvas full(w, h);
  draw(full);
  const double k = static_cast<double>(c.width()) / w;
  cairo_t* cr = c.cr();
  cairo_save(cr);
  cairo_translate(cr, 0, c.height() - h * k);
  cairo_scale(cr, k, k);
  cairo_set_source_surface(cr, full.surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace

void AddVehiclePictures(PictureList& list) {
  list.push_back({"Game/Air1/1.png", 220, 70, DrawJet});
  list.push_back({"Game/Air2/1.png", 200, 80, DrawPropPlane});
  list.push_back({"Game/Air3/1.png", 200, 90, DrawHelicopter});
  list.push_back({"Game/Air4/1.png", 300, 100, DrawTransport});
  list.push_back({"Game/Air5/1.png", 160, 60, DrawBlimp});
  // The cars at 0.7 of their drawing, in line with the people on the two
  // pavements, standing on the bottom of a picture tall enough to put their
  // wheels on the road's far lane (transparent space is not hit).
  list.push_back(
      {"Game/Mercedes/1.png", 126, 70, [](Canvas& c) { Shrunk(c, 180, 64, DrawSedan); }});
  list.push_back(
      {"Game/Audi/1.png", 119, 70, [](Canvas& c) { Shrunk(c, 170, 62, DrawHatchback); }});
  list.push_back({"Game/Train1/1.png", 640, 114, DrawTrain1});
  list.push_back({"Game/Train2/1.png", 560, 90, DrawTrain2});
  list.push_back({"Game/Train3/1.png", 720, 114, DrawTrain3});
  struct Part {
    const char* name;
    int width, style;
    bool cabin;
  };
  const Part parts[] = {{"K0", 130, 0, true},
                        {"K1", 80, 1, true},
                        {"K2", 80, 2, true},
                        {"KB0", 170, 0, false},
                        {"KB1", 220, 1, false}};
  for (const Part& p : parts)
    for (bool right : {false, true})
      list.push_back({std::string("Game/") + p.name + (right ? "R" : "") + "/1.png", p.width, 100,
                      [p, right](Canvas& c) {
                        Mirrored(c, right, [&](cairo_t* cr) {
                          if (p.cabin)
                            Cabin(cr, c.width(), c.height(), p.style);
                          else
                            Trailer(cr, c.width(), c.height(), p.style);
                        });
                      }});
}

}  // namespace assets
