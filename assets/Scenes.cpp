// The two game scenes (backgrounds and scenery cut-outs) and the HUD pictures.
//
// Screen rows of the scenes (800 x 600, y down): aircraft fly around y 150;
// the far walkers' feet are at 320 (lane y = 0 at scale 0.2), vehicles roll
// at about 345, the near walkers' feet are at 400 (lane y = -2 at scale 0.5).
#include <cmath>
#include <string>

#include "Art.h"
#include "Pictures.h"

namespace assets {

namespace {

constexpr double kPi = M_PI;
constexpr Rgb kInk = Hex(0x141414);

// Small deterministic generator for scattered detail.
struct Rand {
  unsigned s;
  double operator()() {
    s = s * 1103515245u + 12345u;
    return ((s >> 16) & 0x7fff) / 32767.0;
  }
};

void Rect(cairo_t* cr, double x, double y, double w, double h, Rgb c, double a = 1.0) {
  cairo_rectangle(cr, x, y, w, h);
  SetRgb(cr, c, a);
  cairo_fill(cr);
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb c, double width,
          double a = 1.0) {
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  SetRgb(cr, c, a);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

// A prop drawn at its own size and stood on the bottom edge of a taller
// picture, `left` pixels from its left edge. The scene places each picture by
// its centre, and its place in the drawing order says which vehicles pass
// behind it: the empty space above brings the prop's foot down to the near
// pavement or platform, in front of the road and the near track.
void Stand(Canvas& c, int w, int h, double left, void (*draw)(Canvas&)) {
  Canvas prop(w, h);
  draw(prop);
  cairo_set_source_surface(c.cr(), prop.surface(), left, c.height() - h);
  cairo_paint(c.cr());
}

void DaySky(cairo_t* cr, double w, double h, Rgb top, Rgb bottom) {
  cairo_rectangle(cr, 0, 0, w, h);
  FillVertical(cr, 0, h, top, bottom);
  cairo_new_path(cr);
}

void Cloud(cairo_t* cr, double x, double y, double s, double alpha) {
  for (auto [dx, dy, r] : {std::tuple{0.0, 0.0, 16.0},
                           {18.0, -8.0, 20.0},
                           {40.0, -2.0, 16.0},
                           {56.0, 4.0, 11.0},
                           {-14.0, 5.0, 10.0}}) {
    Ellipse(cr, x + dx * s, y + dy * s, r * s * 1.3, r * s);
  }
  SetRgb(cr, {1, 1, 1}, alpha);
  cairo_fill(cr);
  // Shade on the lower right.
  Ellipse(cr, x + 26 * s, y + 8 * s, 38 * s, 6 * s);
  SetRgb(cr, Hex(0xb8c8d8), alpha * 0.6);
  cairo_fill(cr);
}

// A façade with rows of windows, lit from the upper left (a shaded strip on
// its right side).
void Facade(cairo_t* cr, double x, double top, double w, double base, Rgb wall, Rgb frame, Rand& r,
            bool shop) {
  Rect(cr, x, top, w, base - top, wall);
  Rect(cr, x + w - 6, top, 6, base - top, Darker(wall, 0.25));
  Rect(cr, x, top, w, 5, Lighter(wall, 0.25));
  Rect(cr, x - 2, top - 4, w + 4, 5, Darker(wall, 0.35));  // cornice
  const double winW = 16, winH = 22;
  const int cols = std::max(1, static_cast<int>((w - 14) / 28));
  const double gap = (w - cols * winW) / (cols + 1);
  const double bottomRow = shop ? base - 50 : base - 14;
  for (double wy = top + 14; wy + winH < bottomRow; wy += 36)
    for (int i = 0; i < cols; ++i) {
      const double wx = x + gap + i * (winW + gap);
      Rect(cr, wx - 2, wy - 2, winW + 4, winH + 5, frame);
      const bool lit = r() < 0.12;
      cairo_rectangle(cr, wx, wy, winW, winH);
      if (lit)
        FillVertical(cr, wy, wy + winH, Hex(0xffe7a0), Hex(0xe8b860));
      else
        FillVertical(cr, wy, wy + winH, Hex(0x9fc0d8), Hex(0x3c5468));
      cairo_new_path(cr);
      Line(cr, wx + winW / 2, wy, wx + winW / 2, wy + winH, frame, 1.5);
      Rect(cr, wx - 3, wy + winH + 2, winW + 6, 3, Lighter(frame, 0.3));  // sill
    }
  if (shop) {
    // Shop window, door and a striped awning.
    const double sy = base - 44;
    Rect(cr, x + 6, sy, w - 12, 44, Darker(wall, 0.45));
    cairo_rectangle(cr, x + 10, sy + 6, w * 0.55, 36);
    FillVertical(cr, sy + 6, sy + 42, Hex(0x8aa6ba), Hex(0x2a3a48));
    cairo_new_path(cr);
    Rect(cr, x + w * 0.55 + 18, sy + 8, std::min(22.0, w * 0.25), 36, Hex(0x3a2a1c));
    const Rgb awning = r() < 0.5 ? Hex(0xc0392b) : Hex(0x2e7d5b);
    cairo_move_to(cr, x + 2, sy - 8);
    cairo_line_to(cr, x + w - 2, sy - 8);
    cairo_line_to(cr, x + w + 4, sy + 6);
    cairo_line_to(cr, x - 4, sy + 6);
    cairo_close_path(cr);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    SetRgb(cr, awning);
    cairo_fill(cr);
    for (double sx = x - 4; sx < x + w + 4; sx += 16) Rect(cr, sx, sy - 8, 8, 14, {1, 1, 1}, 0.8);
    cairo_restore(cr);
    cairo_new_path(cr);
    Rect(cr, x - 4, sy + 6, w + 8, 3, Darker(awning, 0.4));
  }
}

// --- scene 1: the street -------------------------------------------------------

void DrawLevel1(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  Rand r{1234};
  DaySky(cr, w, 330, Hex(0x5d9bd5), Hex(0xd6e6ee));
  Cloud(cr, 90, 70, 1.2, 0.85);
  Cloud(cr, 430, 45, 0.9, 0.8);
  Cloud(cr, 640, 95, 1.1, 0.75);
  // Distant towers, pale in the haze.
  double x = -10;
  while (x < w) {
    const double bw = 40 + r() * 50, bh = 60 + r() * 90;
    Rect(cr, x, 250 - bh, bw, bh + 60, Mix(Hex(0x8fa6b8), Hex(0xc4d3dc), r() * 0.5));
    x += bw + 4;
  }
  // The street's façades, base at the far sidewalk (y 306).
  const Rgb walls[] = {Hex(0xc9a36b), Hex(0xa8553a), Hex(0xb8b2a2),
                       Hex(0xd2b98a), Hex(0x8c6a4e), Hex(0xb07a52)};
  const Rgb frames[] = {Hex(0xf0e6d0), Hex(0x5a3a2a), Hex(0x505860)};
  x = -6;
  int i = 0;
  while (x < w) {
    const double bw = 96 + r() * 70;
    const double top = 120 + r() * 70;
    Facade(cr, x, top, bw, 306, walls[i % 6], frames[(i * 2 + 1) % 3], r, i % 2 == 0);
    x += bw;
    ++i;
  }
  // Far sidewalk, light concrete, so the far walkers stand out.
  Rect(cr, 0, 304, w, 22, Hex(0xcfc8ba));
  for (double sx = 0; sx < w; sx += 46) Line(cr, sx, 306, sx - 6, 326, Hex(0xa9a294), 1);
  Rect(cr, 0, 304, w, 3, Hex(0x8e877a));
  // Kerb.
  Rect(cr, 0, 326, w, 5, Hex(0xeeeae0));
  Rect(cr, 0, 331, w, 2, Hex(0x6c675e));
  // Road: vehicles roll at about y 345.
  cairo_rectangle(cr, 0, 333, w, 42);
  FillVertical(cr, 333, 375, Hex(0x4a4d52), Hex(0x5d6066));
  cairo_new_path(cr);
  for (double sx = 10; sx < w; sx += 70) Rect(cr, sx, 356, 38, 3, Hex(0xf2efe4), 0.9);
  // Near kerb and sidewalk.
  Rect(cr, 0, 375, w, 5, Hex(0xeeeae0));
  cairo_rectangle(cr, 0, 380, w, 40);
  FillVertical(cr, 380, 420, Hex(0xbdb6a8), Hex(0xa8a192));
  cairo_new_path(cr);
  for (double sx = 0; sx < w; sx += 60) Line(cr, sx, 380, sx - 14, 420, Hex(0x938c7f), 1.2);
  Line(cr, 0, 400, w, 400, Hex(0x938c7f), 1);
  // Foreground: a cobbled square, darker, behind the HUD and the gun.
  cairo_rectangle(cr, 0, 420, w, h - 420);
  FillVertical(cr, 420, h, Hex(0x7a6e60), Hex(0x3c352e));
  cairo_new_path(cr);
  for (double y = 426, row = 0; y < h; y += 14 + row * 1.5, ++row)
    for (double sx = std::fmod(row * 13, 26) - 26; sx < w; sx += 26 + row * 2) {
      RoundedRect(cr, sx + 1, y, 24 + row * 2, 11 + row * 1.5, 3);
      SetRgb(cr, {0, 0, 0}, 0.14);
      cairo_set_line_width(cr, 1.5);
      cairo_stroke(cr);
    }
  // Shade of the buildings' overhangs on the far sidewalk.
  Rect(cr, 0, 307, w, 5, {0, 0, 0}, 0.12);
}

void DrawTree(Canvas& c) {  // L1_1, base at the far sidewalk
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  // Trunk.
  cairo_move_to(cr, w / 2 - 7, h - 2);
  cairo_curve_to(cr, w / 2 - 5, h - 60, w / 2 - 6, 120, w / 2 - 4, 90);
  cairo_line_to(cr, w / 2 + 5, 90);
  cairo_curve_to(cr, w / 2 + 5, 120, w / 2 + 6, h - 60, w / 2 + 8, h - 2);
  cairo_close_path(cr);
  FillLit(cr, Hex(0x6b4a2e), w / 2 - 8, 0, w / 2 + 8, 0, 0.35);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  Line(cr, w / 2, 150, w / 2 - 26, 110, Hex(0x5a3e26), 5);
  Line(cr, w / 2, 130, w / 2 + 24, 100, Hex(0x5a3e26), 5);
  // Crown: overlapping blobs, lit from the upper left.
  Rand r{77};
  const Rgb leaf = Hex(0x3f8a3a);
  for (int i = 0; i < 16; ++i) {
    const double a = r() * 2 * kPi, d = r() * 32;
    const double bx = w / 2 + std::cos(a) * d * 1.3, by = 78 + std::sin(a) * d;
    const double br = 20 + r() * 12;
    Ellipse(cr, bx, by, br, br * 0.9);
    cairo_pattern_t* p = cairo_pattern_create_radial(bx - br * 0.4, by - br * 0.4, 2, bx, by, br);
    const Rgb hi = Lighter(leaf, 0.3), lo = Darker(leaf, 0.35);
    cairo_pattern_add_color_stop_rgb(p, 0, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(p, 1, lo.r, lo.g, lo.b);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    SetRgb(cr, Darker(leaf, 0.6), 0.5);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  }
  // Grate at the foot.
  Rect(cr, w / 2 - 22, h - 6, 44, 5, Hex(0x3a3a3a));
}

void DrawLamp(Canvas& c) {  // L1_2: a street lamp
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const double px = w - 40;  // the pole, clear of the kiosk beside it
  cairo_rectangle(cr, px - 4, 30, 8, h - 40);
  FillLit(cr, Hex(0x33404c), px - 4, 0, px + 4, 0, 0.4);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  RoundedRect(cr, px - 9, h - 30, 18, 28, 3);
  FillLit(cr, Hex(0x33404c), px - 9, 0, px + 9, 0, 0.4);
  SetRgb(cr, kInk);
  cairo_stroke(cr);
  // Arm and lamp head.
  cairo_move_to(cr, px, 36);
  cairo_curve_to(cr, px, 10, w - 20, 8, w - 12, 22);
  SetRgb(cr, Hex(0x33404c));
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  cairo_move_to(cr, w - 26, 20);
  cairo_line_to(cr, w - 2, 20);
  cairo_line_to(cr, w - 8, 32);
  cairo_line_to(cr, w - 20, 32);
  cairo_close_path(cr);
  FillLit(cr, Hex(0x3d4a56), w - 26, 20, w - 2, 32, 0.4);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  Ellipse(cr, w - 14, 33, 6, 3);
  SetRgb(cr, Hex(0xfff2b0));
  cairo_fill(cr);
  // A small sign on the pole.
  RoundedRect(cr, px - 12, 150, 24, 30, 3);
  SetRgb(cr, Hex(0x1d6fb8));
  cairo_fill_preserve(cr);
  SetRgb(cr, {1, 1, 1});
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  SetFont(cr, Face::Bold, 16);
  Text(cr, "P", px, CapBaseline(cr, 165), 0.5, {1, 1, 1});
}

void DrawKiosk(Canvas& c) {  // L1_3: a news kiosk
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const double top = 38;
  cairo_rectangle(cr, 10, top, w - 20, h - top - 2);
  FillLit(cr, Hex(0x2f6b4f), 10, top, w - 10, h, 0.3);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // Roof with sign.
  cairo_move_to(cr, 2, top + 4);
  cairo_line_to(cr, w - 2, top + 4);
  cairo_line_to(cr, w - 14, 4);
  cairo_line_to(cr, 14, 4);
  cairo_close_path(cr);
  FillLit(cr, Hex(0x24543e), 0, 4, w, top, 0.3);
  SetRgb(cr, kInk);
  cairo_stroke(cr);
  RoundedRect(cr, 26, 12, w - 52, 20, 3);
  SetRgb(cr, Hex(0xf3e9cf));
  cairo_fill(cr);
  SetFont(cr, Face::Bold, 15);
  Text(cr, "NEWS", w / 2, CapBaseline(cr, 22), 0.5, Hex(0x8a1a10));
  // Window with magazines.
  cairo_rectangle(cr, 20, top + 14, w - 40, 60);
  FillVertical(cr, top + 14, top + 74, Hex(0x2a3440), Hex(0x121820));
  cairo_new_path(cr);
  const uint32_t covers[] = {0xd04030, 0xf0c030, 0x3070c0, 0xe8e8e8, 0x40a060, 0xc050a0};
  for (int i = 0; i < 6; ++i) {
    const double mx = 24 + i * ((w - 48) / 6.0);
    Rect(cr, mx, top + 26 + (i % 2) * 6, (w - 48) / 6.0 - 3, 26, Hex(covers[i]));
    Rect(cr, mx + 2, top + 30 + (i % 2) * 6, 8, 3, {1, 1, 1}, 0.8);
  }
  Rect(cr, 14, top + 74, w - 28, 6, Hex(0x8a8a84));  // counter
  // Lower panel with a poster.
  RoundedRect(cr, 24, top + 88, w - 48, 44, 3);
  SetRgb(cr, Hex(0xe8dcc0));
  cairo_fill(cr);
  SetFont(cr, Face::Condensed, 12);
  Text(cr, "DAILY", w / 2, top + 104, 0.5, Hex(0x202020));
  Text(cr, "EXTRA!", w / 2, top + 122, 0.5, Hex(0xb02010));
}

void DrawSandbags(Canvas& c) {  // L1_4: in front of everything
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const Rgb bag = Hex(0xb59d6c);
  for (int row = 0; row < 4; ++row) {
    const double y = h - 26 - row * 24;
    const double off = row % 2 ? 22 : 0;
    const int count = 4 - (row == 3 ? 1 : 0);
    for (int i = 0; i < count; ++i) {
      const double x = 6 + off + i * 44 + row * 4;
      if (x + 46 > w) continue;
      RoundedRect(cr, x, y, 46, 28, 12);
      FillLit(cr, bag, x, y, x + 46, y + 28, 0.3);
      SetRgb(cr, Darker(bag, 0.6));
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
      Line(cr, x + 8, y + 14, x + 38, y + 14, Darker(bag, 0.4), 1, 0.6);
    }
  }
}

void DrawBarrier(Canvas& c) {  // L1_5: concrete road barrier with hazard paint
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  cairo_move_to(cr, 4, h - 2);
  cairo_line_to(cr, 14, h - 30);
  cairo_line_to(cr, 24, 16);
  cairo_line_to(cr, w - 24, 16);
  cairo_line_to(cr, w - 14, h - 30);
  cairo_line_to(cr, w - 4, h - 2);
  cairo_close_path(cr);
  FillLit(cr, Hex(0xb9b4aa), 0, 16, w, h, 0.25);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_rectangle(cr, 22, 24, w - 44, 18);
  cairo_clip(cr);
  for (double x = 0; x < w; x += 24) {
    cairo_move_to(cr, x, 42);
    cairo_line_to(cr, x + 12, 42);
    cairo_line_to(cr, x + 30, 24);
    cairo_line_to(cr, x + 18, 24);
    cairo_close_path(cr);
  }
  SetRgb(cr, Hex(0xd9342b));
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_rectangle(cr, 22, 24, w - 44, 18);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  Line(cr, 10, h - 30, w - 10, h - 30, Darker(Hex(0xb9b4aa), 0.3), 2);
}

// --- scene 2: the rail yard -----------------------------------------------------

void Track(cairo_t* cr, double w, double railY, double depth) {
  // Ballast, sleepers seen from low and two rails.
  cairo_rectangle(cr, 0, railY - 4 * depth, w, 16 * depth);
  FillVertical(cr, railY - 4 * depth, railY + 12 * depth, Hex(0x7d7468), Hex(0x5e564c));
  cairo_new_path(cr);
  for (double x = 0; x < w; x += 18 * depth)
    Rect(cr, x, railY + 1 * depth, 11 * depth, 5 * depth, Hex(0x4a3a2c));
  Rect(cr, 0, railY - 2 * depth, w, 3 * depth, Hex(0xc9ccd0));
  Rect(cr, 0, railY + 1 * depth, w, 1.5 * depth, Hex(0x5a5e64));
  Rect(cr, 0, railY + 7 * depth, w, 2.5 * depth, Hex(0xb0b4b8));
}

// Ballast stones from y0 to y1, growing toward the viewer, lit from the upper
// left.
void Ballast(cairo_t* cr, double w, double y0, double y1, Rand& r) {
  for (double y = y0; y < y1;) {
    const double k = 1 + (y - 420) / 70;  // nearer rows are larger
    for (double x = -4 + r() * 4 * k; x < w; x += (5 + r() * 4) * k) {
      const double rx = (2.2 + r() * 1.6) * k, ry = rx * (0.55 + r() * 0.2);
      const double sy = y + r() * 2 * k;
      Ellipse(cr, x, sy, rx, ry);
      const double shade = r();
      SetRgb(cr, Mix(Hex(0x6f6a62), Hex(0xa39d92), shade));
      cairo_fill(cr);
      Ellipse(cr, x - rx * 0.3, sy - ry * 0.35, rx * 0.45, ry * 0.35);
      SetRgb(cr, {1, 1, 1}, 0.18);
      cairo_fill(cr);
    }
    y += 2.6 * k;
  }
}

// A siding seen from the near platform: sleepers in perspective toward the
// middle of the view, two rails with a polished top, and a buffer stop.
void Siding(cairo_t* cr, double w, double top, double bottom) {
  const double vx = w / 2, vy = 60;  // vanishing point of the sleepers' sides
  auto along = [&](double x, double y) { return vx + (x - vx) * (y - vy) / (bottom - vy); };
  const double pitch = 46;
  for (double x = -pitch; x < w + pitch; x += pitch) {
    const double x0 = x, x1 = x + 22;
    cairo_move_to(cr, along(x0, top), top);
    cairo_line_to(cr, along(x1, top), top);
    cairo_line_to(cr, x1, bottom);
    cairo_line_to(cr, x0, bottom);
    cairo_close_path(cr);
    FillLit(cr, Hex(0x5a4434), along(x0, top), top, x1, bottom, 0.3);
    SetRgb(cr, Hex(0x241a12));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    // Grain and a bolt plate under each rail.
    Line(cr, along(x0 + 6, top + 4), top + 4, x0 + 6, bottom - 2, Hex(0x3e2e22), 1, 0.7);
  }
  const double span = bottom - top;
  for (double t : {0.22, 0.74}) {
    const double ry = top + span * t, rh = 4 + 6 * t;
    Rect(cr, 0, ry + rh, w, 3 + 2 * t, {0, 0, 0}, 0.35);  // shadow on the sleepers
    cairo_rectangle(cr, 0, ry, w, rh);
    FillVertical(cr, ry, ry + rh, Hex(0xe6e9ec), Hex(0x6a6f76));
    cairo_new_path(cr);
    Rect(cr, 0, ry + rh, w, 2 + 2 * t, Hex(0x4a3a30));  // rusty web
  }
}

void BufferStop(cairo_t* cr, double x, double foot) {
  // Two steel legs braced back, a beam with red and white stripes, two buffers.
  for (double lx : {x + 8.0, x + 62.0}) {
    cairo_move_to(cr, lx, foot);
    cairo_line_to(cr, lx + 4, foot - 44);
    cairo_line_to(cr, lx + 12, foot - 44);
    cairo_line_to(cr, lx + 26, foot);
    cairo_close_path(cr);
    FillLit(cr, Hex(0x4c5158), lx, foot - 44, lx + 26, foot, 0.35);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
  }
  cairo_rectangle(cr, x - 4, foot - 58, 100, 18);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  SetRgb(cr, Hex(0xd22b22));
  cairo_fill(cr);
  for (double sx = x - 20; sx < x + 100; sx += 20) {
    cairo_move_to(cr, sx, foot - 40);
    cairo_line_to(cr, sx + 10, foot - 40);
    cairo_line_to(cr, sx + 28, foot - 58);
    cairo_line_to(cr, sx + 18, foot - 58);
    cairo_close_path(cr);
  }
  SetRgb(cr, {1, 1, 1});
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_rectangle(cr, x - 4, foot - 58, 100, 18);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  for (double bx : {x + 14.0, x + 74.0}) {
    Ellipse(cr, bx, foot - 49, 9, 9);
    FillLit(cr, Hex(0x2a2d31), bx - 9, foot - 58, bx + 9, foot - 40, 0.4);
    SetRgb(cr, kInk);
    cairo_stroke(cr);
  }
}

// The near platform's edge gives onto a siding of the yard: ballast, sleepers
// and rails, a buffer stop at its end, and a second siding nearer still.
void YardForeground(cairo_t* cr, double w, double h) {
  Rand r{977};
  cairo_rectangle(cr, 0, 420, w, h - 420);
  FillVertical(cr, 420, h, Hex(0x77706a), Hex(0x3a3530));
  cairo_new_path(cr);
  Ballast(cr, w, 422, h, r);
  // Darker toward the bottom, where the HUD and the gun sit.
  cairo_rectangle(cr, 0, 420, w, h - 420);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 420, 0, h);
  cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0.0);
  cairo_pattern_add_color_stop_rgba(p, 1, 0, 0, 0, 0.45);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  // The platform's shadow on the ballast.
  Rect(cr, 0, 420, w, 6, {0, 0, 0}, 0.3);
  // The first siding ends at a buffer stop left of the gun.
  cairo_save(cr);
  cairo_rectangle(cr, 0, 420, 500, 90);
  cairo_clip(cr);
  Siding(cr, w, 446, 500);
  cairo_restore(cr);
  BufferStop(cr, 430, 478);
  Siding(cr, w, 540, h + 10);
}

void DrawLevel2(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  Rand r{4321};
  DaySky(cr, w, 320, Hex(0x7fa7c9), Hex(0xe9dcc4));
  Cloud(cr, 150, 60, 1.0, 0.7);
  Cloud(cr, 560, 80, 1.3, 0.7);
  // Hills and an industrial skyline.
  cairo_move_to(cr, 0, 230);
  for (double x = 0; x <= w; x += 40) cairo_line_to(cr, x, 215 + 18 * std::sin(x / 90.0) + r() * 6);
  cairo_line_to(cr, w, 300);
  cairo_line_to(cr, 0, 300);
  cairo_close_path(cr);
  SetRgb(cr, Hex(0x9aae9a));
  cairo_fill(cr);
  // Warehouses.
  double x = -20;
  while (x < w) {
    const double bw = 110 + r() * 90, top = 215 + r() * 35;
    cairo_move_to(cr, x, 292);
    cairo_line_to(cr, x, top + 14);
    cairo_line_to(cr, x + bw / 2, top);
    cairo_line_to(cr, x + bw, top + 14);
    cairo_line_to(cr, x + bw, 292);
    cairo_close_path(cr);
    const Rgb wall = Mix(Hex(0x8b7b6a), Hex(0xa89a86), r());
    SetRgb(cr, wall);
    cairo_fill(cr);
    for (double rx = x + 8; rx < x + bw - 6; rx += 9)
      Line(cr, rx, top + 16, rx, 292, Darker(wall, 0.15), 2);
    Rect(cr, x + bw * 0.3, 250, bw * 0.35, 42, Darker(wall, 0.4));
    x += bw + 10 + r() * 30;
  }
  // Chimneys and a crane.
  for (double cx : {120.0, 520.0}) {
    Rect(cr, cx, 120, 16, 110, Hex(0x8a5040));
    Rect(cr, cx - 2, 120, 20, 8, Hex(0x5a3028));
    for (int i = 0; i < 3; ++i) {
      Ellipse(cr, cx + 14 + i * 18, 108 - i * 14, 12 + i * 5, 8 + i * 3);
      SetRgb(cr, Hex(0xdcdcdc), 0.55 - i * 0.12);
      cairo_fill(cr);
    }
  }
  Line(cr, 330, 292, 330, 110, Hex(0xd9a520), 6);
  Line(cr, 300, 116, 470, 116, Hex(0xd9a520), 6);
  for (double lx = 310; lx < 470; lx += 14) Line(cr, lx, 112, lx + 7, 120, Hex(0x8a6a10), 1.5);
  Line(cr, 450, 118, 450, 175, Hex(0x303030), 1.5);
  Rect(cr, 440, 175, 20, 12, Hex(0x404040));
  // Far platform: the far walkers' feet at y 320.
  cairo_rectangle(cr, 0, 292, w, 30);
  FillVertical(cr, 292, 322, Hex(0xd9d2c2), Hex(0xc5bdac));
  cairo_new_path(cr);
  Rect(cr, 0, 316, w, 3, Hex(0xf2c12e));  // safety line
  Rect(cr, 0, 322, w, 5, Hex(0x8e877a));  // platform edge
  // Two tracks: the far one (rails at 330) and the near one (rails at 352).
  Rect(cr, 0, 327, w, 60, Hex(0x6f665a));
  Track(cr, w, 330, 0.8);
  Track(cr, w, 352, 1.0);
  // Gravel strip and the near platform (feet at 400).
  cairo_rectangle(cr, 0, 366, w, 14);
  FillVertical(cr, 366, 380, Hex(0x6f665a), Hex(0x857b6e));
  cairo_new_path(cr);
  Rect(cr, 0, 378, w, 6, Hex(0x8e877a));
  cairo_rectangle(cr, 0, 384, w, 36);
  FillVertical(cr, 384, 420, Hex(0xcfc7b5), Hex(0xb4ac9a));
  cairo_new_path(cr);
  Rect(cr, 0, 386, w, 3, Hex(0xf2c12e));
  for (double sx = 0; sx < w; sx += 54) Line(cr, sx, 389, sx - 10, 420, Hex(0x9a927f), 1.2);
  YardForeground(cr, w, h);
}

void DrawSignalBox(Canvas& c) {  // L2_1, behind everything
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  cairo_rectangle(cr, 12, 40, w - 24, h - 42);
  FillLit(cr, Hex(0xa0583c), 12, 40, w - 12, h, 0.25);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  for (double by = 48; by < h - 4; by += 8) Line(cr, 13, by, w - 13, by, Hex(0x7a3e28), 1, 0.6);
  // Glazed upper floor and a roof.
  cairo_rectangle(cr, 20, 44, w - 40, 26);
  FillVertical(cr, 44, 70, Hex(0xc8dff0), Hex(0x6a8aa0));
  cairo_new_path(cr);
  for (double wx = 20; wx <= w - 20; wx += (w - 40) / 5) Line(cr, wx, 44, wx, 70, Hex(0xf0f0f0), 2);
  cairo_move_to(cr, 2, 42);
  cairo_line_to(cr, w / 2, 6);
  cairo_line_to(cr, w - 2, 42);
  cairo_close_path(cr);
  FillLit(cr, Hex(0x4a4e58), 2, 6, w, 42, 0.3);
  SetRgb(cr, kInk);
  cairo_stroke(cr);
  Rect(cr, w / 2 - 12, h - 32, 24, 30, Hex(0x3a2418));
  RoundedRect(cr, w / 2 - 34, 76, 68, 14, 2);
  SetRgb(cr, Hex(0x1d3f7a));
  cairo_fill(cr);
  SetFont(cr, Face::Condensed, 11);
  Text(cr, "SIGNAL BOX", w / 2, 87, 0.5, {1, 1, 1});
}

void DrawSignal(Canvas& c) {  // L2_2: a signal mast
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  cairo_rectangle(cr, w / 2 - 3, 50, 6, h - 56);
  FillLit(cr, Hex(0x5a5f66), w / 2 - 3, 0, w / 2 + 3, 0, 0.4);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  Rect(cr, w / 2 - 12, h - 8, 24, 8, Hex(0x6a6f76));
  RoundedRect(cr, 6, 4, w - 12, 66, 8);
  SetRgb(cr, Hex(0x15181c));
  cairo_fill_preserve(cr);
  SetRgb(cr, {1, 1, 1}, 0.8);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  const uint32_t lamps[] = {0xff2a1a, 0x3a3020, 0x203a24};
  for (int i = 0; i < 3; ++i) {
    Ellipse(cr, w / 2, 18 + i * 19, 7, 7);
    SetRgb(cr, Hex(lamps[i]));
    cairo_fill(cr);
  }
  Ellipse(cr, w / 2 - 2, 16, 2.5, 2.5);
  SetRgb(cr, Hex(0xffd0c0));
  cairo_fill(cr);
  // Ladder.
  for (double y = 80; y < h - 10; y += 10)
    Line(cr, w / 2 + 5, y, w / 2 + 13, y, Hex(0x5a5f66), 1.5);
  Line(cr, w / 2 + 13, 76, w / 2 + 13, h - 8, Hex(0x5a5f66), 1.5);
}

void Container(cairo_t* cr, double x, double y, double w, double h, Rgb colour, const char* mark) {
  cairo_rectangle(cr, x, y, w, h);
  FillLit(cr, colour, x, y, x + w, y + h, 0.25);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  for (double rx = x + 6; rx < x + w - 3; rx += 7)
    Line(cr, rx, y + 4, rx, y + h - 4, Darker(colour, 0.25), 2);
  Rect(cr, x, y, w, 4, Darker(colour, 0.4));
  Rect(cr, x, y + h - 4, w, 4, Darker(colour, 0.4));
  SetFont(cr, Face::Bold, 14);
  Rect(cr, x + 10, y + h / 2 - 10, TextWidth(cr, mark) + 8, 18, Darker(colour, 0.2));
  Text(cr, mark, x + 14, CapBaseline(cr, y + h / 2 - 1), 0, {1, 1, 1}, 0.9);
}

void DrawContainers(Canvas& c) {  // L2_3: stacked containers
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  Container(cr, 4, h - 74, w - 10, 72, Hex(0x2f6aa3), "GHX 2041");
  Container(cr, 14, h - 148, w - 40, 72, Hex(0xc4512c), "NORD 77");
}

// --- HUD ---------------------------------------------------------------------

constexpr Rgb kHudPlate = Hex(0x1e252d);
constexpr Rgb kHudEdge = Hex(0x080a0c);
constexpr Rgb kHudLabel = Hex(0x8fbf7a);

void HudPlate(cairo_t* cr, double x, double y, double w, double h, double r) {
  RoundedRect(cr, x, y, w, h, r);
  FillVertical(cr, y, y + h, Hex(0x3a4652), Hex(0x161b21), 0.92);
  cairo_new_path(cr);
  RoundedRect(cr, x + 2.5, y + 2.5, w - 5, h - 5, r - 2);
  cairo_pattern_t* p = cairo_pattern_create_linear(x, y, x + w * 0.2, y + h);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.35);
  cairo_pattern_add_color_stop_rgba(p, 1, 0, 0, 0, 0.3);
  cairo_set_source(cr, p);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_pattern_destroy(p);
  RoundedRect(cr, x + 1, y + 1, w - 2, h - 2, r);
  SetRgb(cr, kHudEdge);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
}

// A dark recessed window where the program prints a green number.
void Display(cairo_t* cr, double x, double y, double w, double h) {
  RoundedRect(cr, x, y, w, h, 4);
  FillVertical(cr, y, y + h, Hex(0x020403), Hex(0x0b140c));
  cairo_new_path(cr);
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, 4);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
  cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0.9);
  cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.25);
  cairo_set_source(cr, p);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_pattern_destroy(p);
}

void Label(cairo_t* cr, const char* text, double x, double y) {
  SetFont(cr, Face::Condensed, 11);
  Text(cr, text, x, y, 0.5, kHudLabel);
}

// Panel1 at (-12.4, 10.8): the clock prints at (-14.0, 11.3).
void DrawPanel1(Canvas& c) {
  cairo_t* cr = c.cr();
  HudPlate(cr, 2, 2, 176, 58, 10);
  Display(cr, 10, 8, 80, 26);  // around picture x 50, y 19.5
  Label(cr, "TIME", 50, 48);
  // Stopwatch.
  const double sx = 130, sy = 33;
  Ellipse(cr, sx, sy, 17, 17);
  FillLit(cr, Hex(0xd8dde2), sx - 17, sy - 17, sx + 17, sy + 17, 0.3);
  SetRgb(cr, kHudEdge);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  Rect(cr, sx - 4, sy - 25, 8, 6, Hex(0xb0b6bc));
  for (int i = 0; i < 12; ++i) {
    const double a = i * kPi / 6;
    Line(cr, sx + std::cos(a) * 12, sy + std::sin(a) * 12, sx + std::cos(a) * 15,
         sy + std::sin(a) * 15, kHudEdge, 1.5);
  }
  Line(cr, sx, sy, sx + 7, sy - 8, Hex(0xd02010), 2.5);
  Line(cr, sx, sy, sx, sy - 11, kHudEdge, 2);
}

// Panel2 at (8.14, 10.8): the score prints at (6.5, 11.3), "LEVEL n" at
// (13.5, 11.3).
void DrawPanel2(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width();
  HudPlate(cr, 2, 2, w - 4, 58, 10);
  // Target emblem on the left.
  const double tx = 52, ty = 31;
  for (double r : {17.0, 10.0}) {
    Ellipse(cr, tx, ty, r, r);
    SetRgb(cr, Hex(0xe04030));
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
  }
  Ellipse(cr, tx, ty, 4, 4);
  SetRgb(cr, Hex(0xe04030));
  cairo_fill(cr);
  Display(cr, 104, 8, 110, 26);  // score around picture x 159
  Label(cr, "SCORE", 159, 48);
  Line(cr, 246, 10, 246, 52, kHudEdge, 2);
  Line(cr, 248, 10, 248, 52, {1, 1, 1}, 1, 0.15);
  Display(cr, 276, 8, 116, 26);  // level around picture x 334
  Label(cr, "STAGE", 334, 48);
}

// Panel3 at (-5.24, -9.47): weapon slots, the alarm slot, the weapon picture
// with the ammunition display under it, lives and health.
void DrawPanel3(Canvas& c) {
  cairo_t* cr = c.cr();
  HudPlate(cr, 2, 20, 490, 110, 12);
  // Five weapon slots; the current weapon's icon is hidden, leaving its slot
  // empty and lit.
  for (int i = 0; i < 5; ++i) {
    const double x = 17.5 + 28.25 * i;
    RoundedRect(cr, x - 14, 40, 28, 48, 4);
    FillVertical(cr, 40, 88, Hex(0x0a1008), Hex(0x1a2a14));
    cairo_new_path(cr);
    RoundedRect(cr, x - 13.5, 40.5, 27, 47, 4);
    SetRgb(cr, Hex(0x2bff00), 0.35);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    SetFont(cr, Face::Bold, 16);
    Text(cr, std::to_string(i + 1), x, CapBaseline(cr, 64), 0.5, Hex(0x2bff00), 0.45);
  }
  // Alarm slot: an unlit lamp strip that the alarm picture covers.
  RoundedRect(cr, 17, 89, 125, 32, 5);
  SetRgb(cr, Hex(0x120606));
  cairo_fill(cr);
  SetFont(cr, Face::Condensed, 13);
  Text(cr, "NO TARGET", 79.5, CapBaseline(cr, 105), 0.5, Hex(0x5a2a2a));
  // Weapon bay and ammunition display.
  RoundedRect(cr, 150, 27, 186, 78, 8);
  SetRgb(cr, Hex(0x0d1116), 0.85);
  cairo_fill(cr);
  Display(cr, 196, 104, 90, 15);  // ammo prints at picture (241, 111)
  Label(cr, "AMMO", 172, 116);
  // Lives: a soldier's head; health: a heart.
  const double lx = 397.5, hx = 447.5;
  Ellipse(cr, lx, 48, 8, 8);
  FillLit(cr, Hex(0xd8b088), lx - 8, 40, lx + 8, 56, 0.3);
  cairo_new_path(cr);
  cairo_move_to(cr, lx - 11, 48);
  cairo_curve_to(cr, lx - 11, 34, lx + 11, 34, lx + 11, 48);
  cairo_close_path(cr);
  FillLit(cr, Hex(0x556b2f), lx - 11, 36, lx + 11, 48, 0.3);
  cairo_new_path(cr);
  Display(cr, lx - 20, 60, 40, 50);
  Label(cr, "LIVES", lx, 124);
  cairo_move_to(cr, hx, 57);
  cairo_curve_to(cr, hx - 14, 48, hx - 12, 36, hx - 6, 36);
  cairo_curve_to(cr, hx - 2, 36, hx, 40, hx, 42);
  cairo_curve_to(cr, hx, 40, hx + 2, 36, hx + 6, 36);
  cairo_curve_to(cr, hx + 12, 36, hx + 14, 48, hx, 57);
  cairo_close_path(cr);
  FillLit(cr, Hex(0xe02030), hx - 12, 36, hx + 12, 57, 0.35);
  SetRgb(cr, kHudEdge);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  Display(cr, hx - 24, 66, 48, 40);
  Label(cr, "HEALTH", hx, 124);
}

// Shown while a marked vehicle is on the scene.
void DrawAlarm(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  RoundedRect(cr, 1, 1, w - 2, h - 2, 5);
  FillVertical(cr, 1, h - 1, Hex(0xff3a20), Hex(0xb00000));
  SetRgb(cr, Hex(0xffe060));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // Warning triangles at both ends.
  for (double tx : {14.0, w - 14.0}) {
    cairo_move_to(cr, tx, 6);
    cairo_line_to(cr, tx + 9, h - 6);
    cairo_line_to(cr, tx - 9, h - 6);
    cairo_close_path(cr);
    SetRgb(cr, Hex(0xffe060));
    cairo_fill(cr);
    SetFont(cr, Face::Bold, 12);
    Text(cr, "!", tx, h - 8, 0.5, Hex(0x200000));
  }
  SetFont(cr, Face::Bold, 17);
  TextBold(cr, "TARGET!", w / 2, CapBaseline(cr, h / 2), 0.5, {1, 1, 1}, Hex(0x500000), 1.5);
}

// Weapon slot icons, 26 x 44: the number and the weapon's ammunition.
void DrawWeaponIcon(Canvas& c, int weapon) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  RoundedRect(cr, 1, 1, w - 2, h - 2, 4);
  FillVertical(cr, 1, h - 1, Hex(0x46535f), Hex(0x1f262d));
  SetRgb(cr, kHudEdge);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  SetFont(cr, Face::Bold, 13);
  Text(cr, std::to_string(weapon + 1), w / 2, 15, 0.5, Hex(0xe8f0e0));
  cairo_save(cr);
  cairo_translate(cr, w / 2, 31);
  auto round = [&](double x, double len, Rgb tip, Rgb body) {
    RoundedRect(cr, x - 2.5, -len / 2, 5, len, 2.5);
    SetRgb(cr, tip);
    cairo_fill(cr);
    cairo_rectangle(cr, x - 2.5, -len / 2 + len * 0.4, 5, len * 0.6);
    SetRgb(cr, body);
    cairo_fill(cr);
  };
  switch (weapon) {
    case 0:
      round(0, 11, Hex(0xb87333), Hex(0xe0b040));
      break;
    case 1:
      RoundedRect(cr, -4, -8, 8, 16, 2);
      SetRgb(cr, Hex(0xd02020));
      cairo_fill(cr);
      cairo_rectangle(cr, -4.5, 3, 9, 5);
      SetRgb(cr, Hex(0xe0b040));
      cairo_fill(cr);
      break;
    case 2:
      for (double x : {-6.0, 0.0, 6.0}) round(x, 16, Hex(0xb87333), Hex(0xe0b040));
      break;
    case 3:
      cairo_move_to(cr, 0, -10);
      cairo_curve_to(cr, 4, -6, 4, -4, 4, 6);
      cairo_line_to(cr, 7, 10);
      cairo_line_to(cr, -7, 10);
      cairo_line_to(cr, -4, 6);
      cairo_curve_to(cr, -4, -4, -4, -6, 0, -10);
      cairo_close_path(cr);
      SetRgb(cr, Hex(0x9ab060));
      cairo_fill(cr);
      break;
    case 4:
      Ellipse(cr, 0, 2, 7, 7);
      SetRgb(cr, Hex(0x0c0c0c));
      cairo_fill_preserve(cr);
      SetRgb(cr, Hex(0x9aa0a8));
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
      Line(cr, 4, -4, 7, -9, Hex(0xffd040), 1.5);
      break;
    default:
      break;
  }
  cairo_restore(cr);
}

}  // namespace

void AddScenePictures(PictureList& list) {
  list.push_back({"Game/level1.jpg", 800, 600, DrawLevel1});
  list.push_back({"Game/level2.jpg", 800, 600, DrawLevel2});
  // The tree, the lamp and the kiosk come after the cars in the drawing
  // order, so they stand on the near pavement (feet at y 392): the pictures'
  // centres stay where the scene puts them and the space above grows.
  list.push_back({"Game/L1_1.png", 120, 359, [](Canvas& c) { Stand(c, 120, 220, 0, DrawTree); }});
  list.push_back({"Game/L1_2.png", 130, 448, [](Canvas& c) { Stand(c, 130, 304, 0, DrawLamp); }});
  list.push_back({"Game/L1_3.png", 130, 324, [](Canvas& c) { Stand(c, 130, 180, 0, DrawKiosk); }});
  list.push_back({"Game/L1_4.png", 186, 126, DrawSandbags});
  list.push_back({"Game/L1_5.png", 140, 84, DrawBarrier});
  list.push_back({"Game/L2_1.png", 160, 110, DrawSignalBox});
  // The signal and the containers come after the trains: they stand on the
  // gravel in front of the near track (feet at y 392).
  list.push_back({"Game/L2_2.png", 50, 314, [](Canvas& c) { Stand(c, 50, 190, 0, DrawSignal); }});
  list.push_back(
      {"Game/L2_3.png", 180, 280, [](Canvas& c) { Stand(c, 180, 156, 0, DrawContainers); }});
  list.push_back({"Game/Panel1.png", 180, 64, DrawPanel1});
  list.push_back({"Game/Panel2.png", 400, 64, DrawPanel2});
  list.push_back({"Game/Panel3.png", 520, 130, DrawPanel3});
  list.push_back({"Game/Alarm.png", 120, 30, DrawAlarm});
  for (int i = 0; i < 5; ++i) {
    list.push_back({"Game/B" + std::to_string(i + 1) + ".png", 26, 44,
                    [i](Canvas& c) { DrawWeaponIcon(c, i); }});
    list.push_back({"Game/BGun" + std::to_string(i + 1) + ".png", 180, 76,
                    [i](Canvas& c) { DrawWeaponSide(c.cr(), i, 4, 4, 172, 68); }});
  }
}

}  // namespace assets
