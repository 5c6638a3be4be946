// Small scene items: target arrow, projectile, bonus crate and parachute, and
// the eight bonus contents.
#include <cmath>
#include <string>

#include "Art.h"
#include "Pictures.h"

namespace assets {

namespace {

constexpr double kPi = M_PI;
constexpr Rgb kInk = Hex(0x0d0d0f);

void Outline(cairo_t* cr, double width, Rgb c = kInk) {
  SetRgb(cr, c);
  cairo_set_line_width(cr, width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

// --- bonus contents -----------------------------------------------------------

// Round badge behind every content so it stands out on any scenery.
void Badge(cairo_t* cr, double cx, double cy, double r, Rgb ring) {
  Ellipse(cr, cx, cy, r, r);
  cairo_pattern_t* p = cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.35, r * 0.1, cx, cy, r);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.22, 0.26, 0.31);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.06, 0.07, 0.09);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  SetRgb(cr, ring);
  cairo_set_line_width(cr, r * 0.12);
  cairo_stroke(cr);
  Ellipse(cr, cx, cy, r * 1.03, r * 1.03);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, r * 0.05);
  cairo_stroke(cr);
}

void Shell(cairo_t* cr, double x, double y, double s) {  // a shotgun shell, upright
  RoundedRect(cr, x - 5 * s, y - 14 * s, 10 * s, 22 * s, 2.5 * s);
  FillLit(cr, Hex(0xd02020), x - 5 * s, y - 14 * s, x + 5 * s, y + 8 * s, 0.35);
  Outline(cr, 1.2 * s);
  cairo_rectangle(cr, x - 5.5 * s, y + 4 * s, 11 * s, 7 * s);
  FillLit(cr, Hex(0xd8a830), x - 5 * s, y + 4 * s, x + 5 * s, y + 11 * s, 0.4);
  Outline(cr, 1.2 * s);
}

void Bullet(cairo_t* cr, double x, double y, double s) {  // a rifle round, upright
  cairo_move_to(cr, x - 3 * s, y - 4 * s);
  cairo_curve_to(cr, x - 3 * s, y - 10 * s, x, y - 14 * s, x, y - 14 * s);
  cairo_curve_to(cr, x, y - 14 * s, x + 3 * s, y - 10 * s, x + 3 * s, y - 4 * s);
  cairo_close_path(cr);
  FillLit(cr, Hex(0xb87333), x - 3 * s, y - 14 * s, x + 3 * s, y - 4 * s, 0.4);
  Outline(cr, 1.0 * s);
  cairo_rectangle(cr, x - 3.5 * s, y - 4 * s, 7 * s, 14 * s);
  FillLit(cr, Hex(0xe0b040), x - 3.5 * s, y - 4 * s, x + 3.5 * s, y + 10 * s, 0.4);
  Outline(cr, 1.0 * s);
}

void Rocket(cairo_t* cr, double s) {  // drawn around the origin, pointing up-right
  cairo_save(cr);
  cairo_rotate(cr, kPi / 4);
  cairo_move_to(cr, -5 * s, -10 * s);
  cairo_curve_to(cr, -5 * s, -18 * s, 0, -24 * s, 0, -24 * s);
  cairo_curve_to(cr, 0, -24 * s, 5 * s, -18 * s, 5 * s, -10 * s);
  cairo_line_to(cr, 5 * s, 14 * s);
  cairo_line_to(cr, -5 * s, 14 * s);
  cairo_close_path(cr);
  FillLit(cr, Hex(0x6b8e3a), -5 * s, -24 * s, 5 * s, 14 * s, 0.35);
  Outline(cr, 1.4 * s);
  cairo_move_to(cr, -5 * s, -12 * s);
  cairo_curve_to(cr, -5 * s, -18 * s, 0, -24 * s, 0, -24 * s);
  cairo_curve_to(cr, 0, -24 * s, 5 * s, -18 * s, 5 * s, -12 * s);
  cairo_close_path(cr);
  FillLit(cr, Hex(0xd03020), -5 * s, -24 * s, 5 * s, -12 * s, 0.35);
  Outline(cr, 1.4 * s);
  for (int side : {-1, 1}) {
    cairo_move_to(cr, side * 5 * s, 4 * s);
    cairo_line_to(cr, side * 11 * s, 15 * s);
    cairo_line_to(cr, side * 5 * s, 14 * s);
    cairo_close_path(cr);
    FillLit(cr, Hex(0x3a4a2a), -11 * s, 4 * s, 11 * s, 15 * s, 0.3);
    Outline(cr, 1.2 * s);
  }
  // Exhaust flame.
  cairo_move_to(cr, -3.5 * s, 14 * s);
  cairo_curve_to(cr, -3 * s, 20 * s, 0, 24 * s, 0, 26 * s);
  cairo_curve_to(cr, 0, 24 * s, 3 * s, 20 * s, 3.5 * s, 14 * s);
  cairo_close_path(cr);
  FillVertical(cr, 14 * s, 26 * s, Hex(0xfff0a0), Hex(0xff6000));
  cairo_new_path(cr);
  cairo_restore(cr);
}

void Bomb(cairo_t* cr, double s) {
  Ellipse(cr, -2 * s, 4 * s, 15 * s, 15 * s);
  cairo_pattern_t* p = cairo_pattern_create_radial(-8 * s, -3 * s, 1 * s, -2 * s, 4 * s, 15 * s);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.55, 0.58, 0.64);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.08, 0.08, 0.10);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  Outline(cr, 1.4 * s);
  cairo_save(cr);
  cairo_translate(cr, 7 * s, -8 * s);
  cairo_rotate(cr, kPi / 4);
  cairo_rectangle(cr, -4 * s, -3 * s, 8 * s, 6 * s);
  FillLit(cr, Hex(0x6a707a), -4 * s, -3 * s, 4 * s, 3 * s, 0.4);
  Outline(cr, 1.2 * s);
  cairo_restore(cr);
  cairo_move_to(cr, 10 * s, -11 * s);
  cairo_curve_to(cr, 13 * s, -16 * s, 16 * s, -14 * s, 17 * s, -19 * s);
  SetRgb(cr, Hex(0xd8c8a0));
  cairo_set_line_width(cr, 2 * s);
  cairo_stroke(cr);
  // Spark.
  for (int i = 0; i < 8; ++i) {
    const double a = i * kPi / 4;
    const double r = (i % 2 ? 4.0 : 7.0) * s;
    cairo_move_to(cr, 17 * s, -19 * s);
    cairo_line_to(cr, 17 * s + std::cos(a) * r, -19 * s + std::sin(a) * r);
  }
  SetRgb(cr, Hex(0xffd040));
  cairo_set_line_width(cr, 1.6 * s);
  cairo_stroke(cr);
  Ellipse(cr, 17 * s, -19 * s, 2.2 * s, 2.2 * s);
  SetRgb(cr, Hex(0xffffff));
  cairo_fill(cr);
}

void Poison(cairo_t* cr, double s) {
  // A flask with a skull sign: something not to pick up carelessly.
  cairo_move_to(cr, -4 * s, -20 * s);
  cairo_line_to(cr, 4 * s, -20 * s);
  cairo_line_to(cr, 4 * s, -10 * s);
  cairo_curve_to(cr, 16 * s, -6 * s, 17 * s, 20 * s, 0, 20 * s);
  cairo_curve_to(cr, -17 * s, 20 * s, -16 * s, -6 * s, -4 * s, -10 * s);
  cairo_close_path(cr);
  FillLit(cr, Hex(0x7a2aa0), -16 * s, -20 * s, 16 * s, 20 * s, 0.35);
  Outline(cr, 1.5 * s);
  RoundedRect(cr, -5.5 * s, -25 * s, 11 * s, 6 * s, 1.5 * s);
  FillLit(cr, Hex(0x8a5a30), -5 * s, -25 * s, 5 * s, -19 * s, 0.3);
  Outline(cr, 1.2 * s);
  // Skull: round head, two eyes, jaw.
  Ellipse(cr, 0, 4 * s, 7.5 * s, 6.5 * s);
  cairo_rectangle(cr, -4.5 * s, 8 * s, 9 * s, 5 * s);
  SetRgb(cr, Hex(0xf4f0e8));
  cairo_fill(cr);
  Ellipse(cr, -3 * s, 4 * s, 2.2 * s, 2.4 * s);
  Ellipse(cr, 3 * s, 4 * s, 2.2 * s, 2.4 * s);
  SetRgb(cr, kInk);
  cairo_fill(cr);
  for (double x : {-2.0, 0.5, 3.0}) {
    cairo_move_to(cr, (x - 0.5) * s, 10 * s);
    cairo_line_to(cr, (x - 0.5) * s, 13 * s);
  }
  cairo_set_line_width(cr, 1 * s);
  cairo_stroke(cr);
}

void Medkit(cairo_t* cr, double s) {
  RoundedRect(cr, -18 * s, -13 * s, 36 * s, 28 * s, 4 * s);
  FillLit(cr, Hex(0xf2f2f2), -18 * s, -13 * s, 18 * s, 15 * s, 0.25);
  Outline(cr, 1.5 * s);
  RoundedRect(cr, -6 * s, -18 * s, 12 * s, 6 * s, 2 * s);
  Outline(cr, 2 * s, Hex(0x9aa0a8));
  cairo_move_to(cr, -3.5 * s, -9 * s);
  cairo_line_to(cr, 3.5 * s, -9 * s);
  cairo_line_to(cr, 3.5 * s, -2.5 * s);
  cairo_line_to(cr, 10 * s, -2.5 * s);
  cairo_line_to(cr, 10 * s, 4.5 * s);
  cairo_line_to(cr, 3.5 * s, 4.5 * s);
  cairo_line_to(cr, 3.5 * s, 11 * s);
  cairo_line_to(cr, -3.5 * s, 11 * s);
  cairo_line_to(cr, -3.5 * s, 4.5 * s);
  cairo_line_to(cr, -10 * s, 4.5 * s);
  cairo_line_to(cr, -10 * s, -2.5 * s);
  cairo_line_to(cr, -3.5 * s, -2.5 * s);
  cairo_close_path(cr);
  FillLit(cr, Hex(0xe01818), -10 * s, -9 * s, 10 * s, 11 * s, 0.3);
  Outline(cr, 1 * s);
}

void Coin(cairo_t* cr, double s) {
  Ellipse(cr, 0, 0, 20 * s, 20 * s);
  cairo_pattern_t* p = cairo_pattern_create_radial(-7 * s, -8 * s, 1 * s, 0, 0, 20 * s);
  cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 0.95, 0.6);
  cairo_pattern_add_color_stop_rgb(p, 0.6, 0.95, 0.72, 0.12);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.62, 0.40, 0.02);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  Outline(cr, 1.5 * s);
  Ellipse(cr, 0, 0, 16 * s, 16 * s);
  SetRgb(cr, Hex(0x8a5a00), 0.7);
  cairo_set_line_width(cr, 1.2 * s);
  cairo_stroke(cr);
  SetFont(cr, Face::Bold, 15 * s);
  TextBold(cr, "100", 0, CapBaseline(cr, 0), 0.5, Hex(0xfff6c0), Hex(0x6a4000), 1.2 * s);
}

void Heart(cairo_t* cr, double s, Rgb colour) {
  cairo_move_to(cr, 0, 17 * s);
  cairo_curve_to(cr, -12 * s, 8 * s, -20 * s, 0, -20 * s, -7 * s);
  cairo_curve_to(cr, -20 * s, -15 * s, -14 * s, -19 * s, -9.5 * s, -19 * s);
  cairo_curve_to(cr, -5 * s, -19 * s, -1.5 * s, -16 * s, 0, -12 * s);
  cairo_curve_to(cr, 1.5 * s, -16 * s, 5 * s, -19 * s, 9.5 * s, -19 * s);
  cairo_curve_to(cr, 14 * s, -19 * s, 20 * s, -15 * s, 20 * s, -7 * s);
  cairo_curve_to(cr, 20 * s, 0, 12 * s, 8 * s, 0, 17 * s);
  cairo_close_path(cr);
  FillLit(cr, colour, -20 * s, -19 * s, 20 * s, 17 * s, 0.35);
  Outline(cr, 1.5 * s);
  Ellipse(cr, -10 * s, -10 * s, 4 * s, 3 * s);
  SetRgb(cr, {1, 1, 1}, 0.6);
  cairo_fill(cr);
}

}  // namespace

void DrawBonusIcon(cairo_t* cr, int type, double cx, double cy, double size) {
  const double r = size / 2 - 2;
  const double s = size / 64.0;
  static const uint32_t rings[9] = {0,        0xffc020, 0xffc020, 0xffc020, 0xffc020,
                                    0xff3020, 0x30d050, 0xffd040, 0xff60a0};
  cairo_save(cr);
  Badge(cr, cx, cy, r, Hex(rings[type]));
  cairo_translate(cr, cx, cy);
  switch (type) {
    case 1:  // shotgun shells
      Shell(cr, -8 * s, 2 * s, 1.15 * s);
      Shell(cr, 8 * s, 2 * s, 1.15 * s);
      Shell(cr, 0, -1 * s, 1.15 * s);
      break;
    case 2:  // machine gun rounds on a belt
      cairo_move_to(cr, -19 * s, 10 * s);
      cairo_curve_to(cr, -6 * s, 16 * s, 6 * s, 16 * s, 19 * s, 10 * s);
      SetRgb(cr, Hex(0x505860));
      cairo_set_line_width(cr, 4 * s);
      cairo_stroke(cr);
      for (int i = -2; i <= 2; ++i) Bullet(cr, i * 7.5 * s, (1 + std::abs(i) * -1.2) * s, 1.05 * s);
      break;
    case 3:
      Rocket(cr, 1.0 * s);
      break;
    case 4:
      Bomb(cr, 1.0 * s);
      break;
    case 5:
      Poison(cr, 1.0 * s);
      break;
    case 6:
      Medkit(cr, 1.0 * s);
      break;
    case 7:
      Coin(cr, 1.0 * s);
      break;
    case 8:
      Heart(cr, 1.0 * s, Hex(0xf02040));
      SetFont(cr, Face::Bold, 14 * s);
      TextBold(cr, "+1", 0, CapBaseline(cr, -2 * s), 0.5, Hex(0xffffff), kInk, 1.3 * s);
      break;
    default:
      break;
  }
  cairo_restore(cr);
}

namespace {

// --- target arrow ---------------------------------------------------------------

// Two alternating looks: red with a white rim, then yellow lower by a few
// pixels, so the marker both blinks and bounces.
void DrawArrow(Canvas& c, int frame) {
  cairo_t* cr = c.cr();
  const double w = c.width();
  const double dy = frame == 1 ? 0 : 6;
  auto path = [&]() {
    cairo_move_to(cr, w / 2 - 9, 4 + dy);
    cairo_line_to(cr, w / 2 + 9, 4 + dy);
    cairo_line_to(cr, w / 2 + 9, 26 + dy);
    cairo_line_to(cr, w / 2 + 21, 26 + dy);
    cairo_line_to(cr, w / 2, 52 + dy);
    cairo_line_to(cr, w / 2 - 21, 26 + dy);
    cairo_line_to(cr, w / 2 - 9, 26 + dy);
    cairo_close_path(cr);
  };
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  path();
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  path();
  SetRgb(cr, {1, 1, 1});
  cairo_set_line_width(cr, 3);
  cairo_stroke_preserve(cr);
  if (frame == 1)
    FillVertical(cr, 4 + dy, 52 + dy, Hex(0xff6040), Hex(0xd00000));
  else
    FillVertical(cr, 4 + dy, 52 + dy, Hex(0xfff080), Hex(0xffa000));
  cairo_new_path(cr);
}

// --- projectile ---------------------------------------------------------------

void DrawFireball(Canvas& c, int frame) {
  cairo_t* cr = c.cr();
  const double cx = c.width() / 2.0, cy = c.height() / 2.0;
  const double turn = frame * kPi / 6;
  // Outer glow.
  cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 2, cx, cy, 23);
  cairo_pattern_add_color_stop_rgba(g, 0, 1, 0.8, 0.3, 0.9);
  cairo_pattern_add_color_stop_rgba(g, 0.6, 1, 0.4, 0.0, 0.35);
  cairo_pattern_add_color_stop_rgba(g, 1, 1, 0.2, 0.0, 0);
  cairo_set_source(cr, g);
  cairo_paint(cr);
  cairo_pattern_destroy(g);
  // Flame tongues turning with the frame.
  cairo_new_path(cr);
  const int n = 7;
  for (int i = 0; i <= n * 2; ++i) {
    const double a = turn + i * kPi / n;
    const double r = (i % 2 ? 11 : 19) + (i % 4 == 0 ? 2 : 0);
    const double x = cx + std::cos(a) * r, y = cy + std::sin(a) * r;
    if (i == 0)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
  }
  cairo_close_path(cr);
  cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 3, cx, cy, 20);
  cairo_pattern_add_color_stop_rgb(p, 0, 1, 0.95, 0.6);
  cairo_pattern_add_color_stop_rgb(p, 0.5, 1, 0.6, 0.05);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.85, 0.15, 0.0);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  Ellipse(cr, cx, cy, 7, 7);
  SetRgb(cr, Hex(0xfffbe0));
  cairo_fill(cr);
}

// --- crate and parachute --------------------------------------------------------

constexpr double kCrateW = 72, kCrateH = 68;
constexpr Rgb kWood = Hex(0x8a6a3a);
constexpr Rgb kWoodDark = Hex(0x4a3418);

void Planks(cairo_t* cr, double x, double y, double w, double h) {
  cairo_rectangle(cr, x, y, w, h);
  FillLit(cr, kWood, x, y, x + w, y + h, 0.25);
  cairo_new_path(cr);
  SetRgb(cr, kWoodDark, 0.6);
  cairo_set_line_width(cr, 1.2);
  for (double py = y + h / 4; py < y + h - 1; py += h / 4) {
    cairo_move_to(cr, x + 1, py);
    cairo_line_to(cr, x + w - 1, py);
  }
  cairo_stroke(cr);
}

// Closed crate with its centre at (cx, cy), the way it hangs and lands.
void ClosedCrate(cairo_t* cr, double cx, double cy) {
  const double x = cx - kCrateW / 2, y = cy - kCrateH / 2;
  Planks(cr, x, y, kCrateW, kCrateH);
  // Frame and diagonal brace.
  cairo_rectangle(cr, x + 3, y + 3, kCrateW - 6, kCrateH - 6);
  SetRgb(cr, Hex(0x5a4220));
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  cairo_move_to(cr, x + 6, y + kCrateH - 6);
  cairo_line_to(cr, x + kCrateW - 6, y + 6);
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  cairo_rectangle(cr, x, y, kCrateW, kCrateH);
  Outline(cr, 2.5);
  // Stencilled mark: a white star in a circle.
  Ellipse(cr, cx, cy, 13, 13);
  SetRgb(cr, Hex(0xf0e8d0), 0.9);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  cairo_new_path(cr);
  for (int i = 0; i < 10; ++i) {
    const double a = -kPi / 2 + i * kPi / 5;
    const double r = i % 2 ? 4.2 : 10.5;
    if (i == 0)
      cairo_move_to(cr, cx + std::cos(a) * r, cy + std::sin(a) * r);
    else
      cairo_line_to(cr, cx + std::cos(a) * r, cy + std::sin(a) * r);
  }
  cairo_close_path(cr);
  cairo_fill(cr);
}

// Box1: the back half, drawn behind the content: back wall and floor, visible
// once the front opens.
void DrawBoxBack(Canvas& c, int frame) {
  cairo_t* cr = c.cr();
  const double cx = c.width() / 2.0, cy = c.height() / 2.0;
  const double x = cx - kCrateW / 2, y = cy - kCrateH / 2;
  if (frame == 1) {
    ClosedCrate(cr, cx, cy);
    return;
  }
  cairo_rectangle(cr, x, y + (frame - 1) * 6, kCrateW, kCrateH - (frame - 1) * 6);
  FillVertical(cr, y, y + kCrateH, Darker(kWood, 0.55), Darker(kWood, 0.35));
  Outline(cr, 2.5);
  // Floor boards.
  cairo_move_to(cr, x - 6, y + kCrateH);
  cairo_line_to(cr, x + kCrateW + 6, y + kCrateH);
  cairo_line_to(cr, x + kCrateW, y + kCrateH - 8);
  cairo_line_to(cr, x, y + kCrateH - 8);
  cairo_close_path(cr);
  FillLit(cr, kWood, x, y + kCrateH - 8, x + kCrateW, y + kCrateH, 0.2);
  Outline(cr, 2);
}

// Box2: the front half, drawn in front of the content: the doors swing open
// to both sides and the lid lifts away.
void DrawBoxFront(Canvas& c, int frame) {
  cairo_t* cr = c.cr();
  const double cx = c.width() / 2.0, cy = c.height() / 2.0;
  const double x = cx - kCrateW / 2, y = cy - kCrateH / 2;
  if (frame == 1) {
    ClosedCrate(cr, cx, cy);
    return;
  }
  // Door opening: visible width of each door shrinks (seen edge on), and it
  // swings out to the side.
  const double open = (frame - 1) / 3.0;  // 1/3, 2/3, 1
  const double half = kCrateW / 2;
  for (int side : {-1, 1}) {
    const double hinge = side < 0 ? x : x + kCrateW;
    const double reach = half * std::cos(open * kPi * 0.5 + 0.001);
    const double swing = half * std::sin(open * kPi * 0.5) * 0.55;
    const double tipX = hinge - side * reach - side * 0 + side * -swing * 0;
    const double outX = hinge + side * swing;
    // Parallelogram: hinge edge stays, free edge moves outwards and toward us.
    cairo_move_to(cr, hinge, y + 8 * open);
    cairo_line_to(cr, open < 0.99 ? tipX : outX, y + 8 * open - 6 * open);
    cairo_line_to(cr, open < 0.99 ? tipX : outX, y + kCrateH + 6 * open);
    cairo_line_to(cr, hinge, y + kCrateH);
    cairo_close_path(cr);
    if (open > 0.99) {
      // Fully open: the door lies flat beside the crate.
      cairo_new_path(cr);
      const double dx0 = side < 0 ? hinge - half * 0.55 : hinge;
      cairo_rectangle(cr, dx0, y + 6, half * 0.55, kCrateH - 6);
    }
    FillLit(cr, kWood, x, y, x + kCrateW, y + kCrateH, 0.25);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    SetRgb(cr, kWoodDark, 0.55);
    cairo_set_line_width(cr, 1.2);
    for (double py = y + kCrateH / 4; py < y + kCrateH; py += kCrateH / 4) {
      cairo_move_to(cr, x - 40, py);
      cairo_line_to(cr, x + kCrateW + 40, py);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
    Outline(cr, 2.2);
  }
  // Lid flying up and off.
  const double lift = 8 + 12 * open;
  cairo_save(cr);
  cairo_translate(cr, cx + 10 * open, y - lift);
  cairo_rotate(cr, 0.35 * open);
  cairo_rectangle(cr, -kCrateW / 2 - 2, -4, kCrateW + 4, 8);
  FillLit(cr, kWood, -kCrateW / 2, -4, kCrateW / 2, 4, 0.3);
  Outline(cr, 2);
  cairo_restore(cr);
}

// The parachute with the crate hanging 2 units (50 px) below its centre.
void DrawParachute(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), cx = w / 2.0, cy = c.height() / 2.0;
  const double crateCy = cy + 50, crateTop = crateCy - kCrateH / 2;
  const double canopyY = 58;
  // Lines.
  SetRgb(cr, Hex(0x2a2a2a));
  cairo_set_line_width(cr, 1.3);
  for (double lx : {4.0, 30.0, cx, w - 30.0, w - 4.0}) {
    cairo_move_to(cr, lx, canopyY);
    cairo_line_to(cr,
                  lx < cx - 1 ? cx - kCrateW / 2 + 4 : (lx > cx + 1 ? cx + kCrateW / 2 - 4 : cx),
                  crateTop);
  }
  cairo_stroke(cr);
  // Canopy: a dome with scalloped hem and alternating panels.
  cairo_move_to(cr, 3, canopyY);
  cairo_curve_to(cr, 3, 8, w - 3, 8, w - 3, canopyY);
  const int scallops = 5;
  for (int i = scallops; i > 0; --i) {
    const double x1 = 3 + (w - 6) * (i - 1) / scallops;
    const double x0 = 3 + (w - 6) * i / scallops;
    cairo_curve_to(cr, x0 - 5, canopyY - 9, x1 + 5, canopyY - 9, x1, canopyY);
  }
  cairo_close_path(cr);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  FillLit(cr, Hex(0xe8e2d0), 0, 8, w, canopyY, 0.25);
  for (int i = 0; i < scallops; i += 2) {
    const double x0 = 3 + (w - 6) * i / scallops;
    cairo_rectangle(cr, x0, 0, (w - 6) / scallops, canopyY);
  }
  SetRgb(cr, Hex(0xff6a10), 0.85);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_move_to(cr, 3, canopyY);
  cairo_curve_to(cr, 3, 8, w - 3, 8, w - 3, canopyY);
  for (int i = scallops; i > 0; --i) {
    const double x1 = 3 + (w - 6) * (i - 1) / scallops;
    const double x0 = 3 + (w - 6) * i / scallops;
    cairo_curve_to(cr, x0 - 5, canopyY - 9, x1 + 5, canopyY - 9, x1, canopyY);
  }
  cairo_close_path(cr);
  Outline(cr, 2.2);
  ClosedCrate(cr, cx, crateCy);
}

}  // namespace

void AddItemPictures(PictureList& list) {
  for (int f : {1, 2})
    list.push_back(
        {"Game/Arrow/" + std::to_string(f) + ".png", 50, 60, [f](Canvas& c) { DrawArrow(c, f); }});
  for (int f = 1; f <= 4; ++f)
    list.push_back({"Game/Fire/" + std::to_string(f) + ".png", 48, 48,
                    [f](Canvas& c) { DrawFireball(c, f); }});
  for (int f = 1; f <= 4; ++f) {
    list.push_back({"Game/Box1/" + std::to_string(f) + ".png", 130, 100,
                    [f](Canvas& c) { DrawBoxBack(c, f); }});
    list.push_back({"Game/Box2/" + std::to_string(f) + ".png", 130, 100,
                    [f](Canvas& c) { DrawBoxFront(c, f); }});
  }
  for (int t = 1; t <= 8; ++t)
    list.push_back({"Game/Bonus/" + std::to_string(t) + ".png", 64, 64,
                    [t](Canvas& c) { DrawBonusIcon(c.cr(), t, 32, 32, 64); }});
  list.push_back({"Game/Bonus/para.png", 124, 190, DrawParachute});
}

}  // namespace assets
