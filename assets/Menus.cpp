// Menu pictures: backgrounds, buttons, toggles, boxes, help pages, pointers.
#include <cmath>
#include <string>

#include "Art.h"
#include "Files.h"
#include "Pictures.h"

namespace assets {

using namespace menu;

void DrawPlate(cairo_t* cr, double x, double y, double w, double h, double r, Rgb base, Rgb border,
               double borderWidth) {
  cairo_save(cr);
  RoundedRect(cr, x, y, w, h, r);
  FillVertical(cr, y, y + h, Lighter(base, 0.12), Darker(base, 0.35));
  cairo_new_path(cr);
  // Light from the upper left: bright rim on the top and left, dark on the rest.
  const double inset = borderWidth + 1.0;
  RoundedRect(cr, x + inset, y + inset, w - 2 * inset, h - 2 * inset, std::max(0.0, r - inset));
  cairo_pattern_t* rim = cairo_pattern_create_linear(x, y, x + w * 0.35, y + h);
  cairo_pattern_add_color_stop_rgba(rim, 0, 1, 1, 1, 0.45);
  cairo_pattern_add_color_stop_rgba(rim, 0.45, 1, 1, 1, 0.05);
  cairo_pattern_add_color_stop_rgba(rim, 1, 0, 0, 0, 0.35);
  cairo_set_source(cr, rim);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_pattern_destroy(rim);
  RoundedRect(cr, x + borderWidth / 2, y + borderWidth / 2, w - borderWidth, h - borderWidth, r);
  SetRgb(cr, border);
  cairo_set_line_width(cr, borderWidth);
  cairo_stroke(cr);
  cairo_restore(cr);
}

namespace {

constexpr double kPi = M_PI;

// Glossy sheen across the upper half of a rounded shape.
void Sheen(cairo_t* cr, double x, double y, double w, double h, double r, double alpha) {
  cairo_save(cr);
  RoundedRect(cr, x, y, w, h * 0.5, r);
  FillVertical(cr, y, y + h * 0.5, {1, 1, 1}, {1, 1, 1}, 0);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h * 0.5);
  cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_restore(cr);
}

// Caption buttons: the caption is printed by the program, the picture is the
// plate. Normal: gunmetal; highlighted: a dark ember face in a glowing orange
// rim. The face behind the caption stays dark enough for its orange (normal) or
// red (highlighted) letters to read at 4.5:1, so the sheen stays above them.
void DrawButton(Canvas& c, bool highlight) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  if (highlight) {
    for (int i = 4; i >= 1; --i) {
      RoundedRect(cr, 4 - i, 4 - i, w - 8 + 2 * i, h - 8 + 2 * i, 12 + i);
      SetRgb(cr, kOrange, 0.10);
      cairo_fill(cr);
    }
  }
  DrawPlate(cr, 4, 4, w - 8, h - 8, 11, highlight ? Hex(0x3e3a38) : kSteel,
            highlight ? kOrange : kEdge, 2.5);
  // The face inside the plate's rim.
  const double inset = 9;
  RoundedRect(cr, inset, inset, w - 2 * inset, h - 2 * inset, 6);
  if (highlight) {
    FillVertical(cr, inset, h - inset, Hex(0x1f0f08), Hex(0x0c0605));
  } else {
    FillVertical(cr, inset, h - inset, Hex(0x333b45), Hex(0x161b22));
  }
  cairo_new_path(cr);
  if (highlight) {
    // A faint warm glow along the face's edge, lit by the rim.
    RoundedRect(cr, inset + 1, inset + 1, w - 2 * inset - 2, h - 2 * inset - 2, 5);
    SetRgb(cr, kOrange, 0.18);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
  Sheen(cr, inset, inset, w - 2 * inset, 12, 5, highlight ? 0.12 : 0.10);
  // Small rivets at both ends.
  for (double x : {15.0, w - 15.0}) {
    Ellipse(cr, x, h / 2, 3.2, 3.2);
    FillLit(cr, highlight ? kAmber : kRim, x - 3, h / 2 - 3, x + 3, h / 2 + 3, 0.5);
    cairo_new_path(cr);
  }
}

// Image buttons carry their words and an icon.
void DrawImageButton(Canvas& c, bool highlight, bool globe) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  if (highlight) {
    for (int i = 4; i >= 1; --i) {
      RoundedRect(cr, 4 - i, 4 - i, w - 8 + 2 * i, h - 8 + 2 * i, 14 + i);
      SetRgb(cr, kOrange, 0.10);
      cairo_fill(cr);
    }
  }
  DrawPlate(cr, 4, 4, w - 8, h - 8, 13, highlight ? Hex(0x3e3a38) : kSteel,
            highlight ? kOrange : kEdge, 2.5);
  Sheen(cr, 7, 7, w - 14, h - 14, 11, 0.10);
  const double cx = w / 2, cy = 44;
  const Rgb ink = highlight ? kAmber : Hex(0xd8dee6);
  cairo_save(cr);
  if (globe) {
    const double r = 24;
    Ellipse(cr, cx, cy, r, r);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - 8, cy - 8, 2, cx, cy, r);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.45, 0.75, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.08, 0.30, 0.62);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_save(cr);
    cairo_clip(cr);
    // Continents as simple blobs.
    SetRgb(cr, Hex(0x4fb34a));
    Ellipse(cr, cx - 9, cy - 7, 9, 7);
    cairo_fill(cr);
    Ellipse(cr, cx - 4, cy + 10, 5, 9);
    cairo_fill(cr);
    Ellipse(cr, cx + 12, cy - 3, 8, 11);
    cairo_fill(cr);
    // Meridians and parallels.
    SetRgb(cr, {1, 1, 1}, 0.35);
    cairo_set_line_width(cr, 1.2);
    for (double k : {-0.5, 0.0, 0.5}) {
      Ellipse(cr, cx, cy, r * std::fabs(std::cos(k * kPi / 1.3)), r);
      cairo_stroke(cr);
      cairo_move_to(cr, cx - r, cy + k * r * 1.1);
      cairo_line_to(cr, cx + r, cy + k * r * 1.1);
      cairo_stroke(cr);
    }
    cairo_restore(cr);
    Ellipse(cr, cx, cy, r, r);
    SetRgb(cr, kEdge);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    SetFont(cr, Face::Condensed, 17);
    TextBold(cr, "World scores", cx, h - 17, 0.5, ink, kEdge, 2.0);
  } else {
    // A waste bin with a lid: "clear the table".
    cairo_move_to(cr, cx - 17, cy - 12);
    cairo_line_to(cr, cx + 17, cy - 12);
    cairo_line_to(cr, cx + 13, cy + 24);
    cairo_line_to(cr, cx - 13, cy + 24);
    cairo_close_path(cr);
    FillLit(cr, Hex(0x9aa7b4), cx - 17, cy - 12, cx + 17, cy + 24, 0.35);
    SetRgb(cr, kEdge);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    for (double dx : {-7.0, 0.0, 7.0}) {
      cairo_move_to(cr, cx + dx, cy - 6);
      cairo_line_to(cr, cx + dx * 0.8, cy + 19);
      SetRgb(cr, Hex(0x3b4652));
      cairo_set_line_width(cr, 2.5);
      cairo_stroke(cr);
    }
    RoundedRect(cr, cx - 21, cy - 20, 42, 7, 3);
    FillLit(cr, Hex(0xb8c3ce), cx - 21, cy - 20, cx + 21, cy - 13, 0.35);
    SetRgb(cr, kEdge);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    RoundedRect(cr, cx - 6, cy - 25, 12, 6, 2);
    SetRgb(cr, kEdge);
    cairo_stroke(cr);
    SetFont(cr, Face::Bold, 20);
    TextBold(cr, "Clear", cx, h - 17, 0.5, ink, kEdge, 2.0);
  }
  cairo_restore(cr);
}

// Two-part toggle: the chosen part glows orange, the other stays dark.
void DrawToggle(Canvas& c, int split, const char* left, const char* right, bool leftChosen) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  DrawPlate(cr, 3, 3, w - 6, h - 6, 10, kSteelDark, kEdge, 2.5);
  const double pad = 7;
  auto part = [&](double x0, double x1, const char* label, bool chosen) {
    RoundedRect(cr, x0, pad, x1 - x0, h - 2 * pad, 7);
    if (chosen) {
      FillVertical(cr, pad, h - pad, Hex(0xffb347), Hex(0xe05a00));
      cairo_new_path(cr);
      Sheen(cr, x0 + 2, pad + 1, x1 - x0 - 4, h - 2 * pad - 2, 6, 0.35);
    } else {
      FillVertical(cr, pad, h - pad, Hex(0x262e38), Hex(0x1a2028));
      cairo_new_path(cr);
    }
    SetFont(cr, Face::Bold, 18);
    const double base = CapBaseline(cr, h / 2);
    if (chosen)
      Text(cr, label, (x0 + x1) / 2, base, 0.5, Hex(0x201000));
    else
      Text(cr, label, (x0 + x1) / 2, base, 0.5, Hex(0x7d8a98));
  };
  part(pad, split - 3, left, leftChosen);
  part(split + 3, w - pad, right, !leftChosen);
  // Divider groove at the split.
  cairo_move_to(cr, split + 0.5, pad);
  cairo_line_to(cr, split + 0.5, h - pad);
  SetRgb(cr, kEdge);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
}

// A sunken text field.
void DrawField(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  DrawPlate(cr, 2, 2, w - 4, h - 4, 9, kSteel, kEdge, 2);
  RoundedRect(cr, 7, 7, w - 14, h - 14, 6);
  FillVertical(cr, 7, h - 7, Hex(0x05070a), Hex(0x161c24));
  cairo_new_path(cr);
  // Inner shadow on the top edge: the field is sunk into the plate.
  RoundedRect(cr, 8, 8, w - 16, h - 16, 5);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 8, 0, h - 8);
  cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0.9);
  cairo_pattern_add_color_stop_rgba(p, 0.5, 0, 0, 0, 0);
  cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.12);
  cairo_set_source(cr, p);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_pattern_destroy(p);
}

void DrawBossKeyBox(Canvas& c) {
  DrawField(c);
  cairo_t* cr = c.cr();
  // Keycap corners hint that a key goes here.
  SetRgb(cr, kOrange, 0.55);
  cairo_set_line_width(cr, 2);
  const double w = c.width(), h = c.height();
  for (int sx : {0, 1})
    for (int sy : {0, 1}) {
      const double x = sx ? w - 13 : 13, y = sy ? h - 13 : 13;
      const double dx = sx ? -8 : 8, dy = sy ? -8 : 8;
      cairo_move_to(cr, x, y + dy);
      cairo_line_to(cr, x, y);
      cairo_line_to(cr, x + dx, y);
      cairo_stroke(cr);
    }
}

void DrawCaret(Canvas& c) {
  cairo_t* cr = c.cr();
  const double cx = c.width() / 2.0;
  RoundedRect(cr, cx - 2.5, 5, 5, c.height() - 10, 1.5);
  SetRgb(cr, Hex(0xff4800));
  cairo_fill_preserve(cr);
  SetRgb(cr, Hex(0xffd0a0), 0.8);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// Menu pointer: the tip is at the picture's centre (the sprite is centred on
// the pointer position).
void DrawPointer(Canvas& c) {
  cairo_t* cr = c.cr();
  const double x = c.width() / 2.0, y = c.height() / 2.0;
  auto path = [&](double ox, double oy) {
    cairo_move_to(cr, x + ox, y + oy);
    cairo_line_to(cr, x + ox, y + oy + 20);
    cairo_line_to(cr, x + ox + 5, y + oy + 15.5);
    cairo_line_to(cr, x + ox + 9, y + oy + 23);
    cairo_line_to(cr, x + ox + 12.5, y + oy + 21.3);
    cairo_line_to(cr, x + ox + 8.8, y + oy + 14);
    cairo_line_to(cr, x + ox + 15, y + oy + 14);
    cairo_close_path(cr);
  };
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  path(2, 2);
  SetRgb(cr, {0, 0, 0}, 0.4);
  cairo_set_line_width(cr, 3);
  cairo_stroke_preserve(cr);
  cairo_fill(cr);
  path(0, 0);
  FillLit(cr, kOrange, x, y, x + 12, y + 22, 0.45);
  SetRgb(cr, Hex(0x1a0a00));
  cairo_set_line_width(cr, 1.8);
  cairo_stroke(cr);
}

// Aiming cross: readable on sky, walls and road alike (white with a dark
// outline, red centre).
void DrawCrosshair(Canvas& c) {
  cairo_t* cr = c.cr();
  const double cx = c.width() / 2.0, cy = c.height() / 2.0;
  auto shape = [&]() {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, 17, 0, 2 * kPi);
    for (int i = 0; i < 4; ++i) {
      const double a = i * kPi / 2;
      cairo_move_to(cr, cx + std::cos(a) * 7, cy + std::sin(a) * 7);
      cairo_line_to(cr, cx + std::cos(a) * 25, cy + std::sin(a) * 25);
    }
  };
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  shape();
  SetRgb(cr, {0, 0, 0}, 0.75);
  cairo_set_line_width(cr, 5);
  cairo_stroke(cr);
  shape();
  SetRgb(cr, Hex(0xf4fff0));
  cairo_set_line_width(cr, 2.2);
  cairo_stroke(cr);
  Ellipse(cr, cx, cy, 2.6, 2.6);
  SetRgb(cr, Hex(0xff2000));
  cairo_fill_preserve(cr);
  SetRgb(cr, {0, 0, 0}, 0.8);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// One soft white particle; the engine tints it.
// One particle of a burst: a small fireball. The bursts add their particles
// up, so the peak stays low enough that a dense cloud turns yellow, not white,
// and the red edge fades out instead of ending in a ring.
void DrawParticle(Canvas& c) {
  cairo_t* cr = c.cr();
  const double r = c.width() / 2.0;
  cairo_pattern_t* p = cairo_pattern_create_radial(r, r, 0, r, r, r);
  cairo_pattern_add_color_stop_rgba(p, 0, 1.0, 0.88, 0.4, 0.42);
  cairo_pattern_add_color_stop_rgba(p, 0.22, 1.0, 0.7, 0.16, 0.36);
  cairo_pattern_add_color_stop_rgba(p, 0.5, 0.92, 0.36, 0.05, 0.22);
  cairo_pattern_add_color_stop_rgba(p, 0.78, 0.65, 0.1, 0.03, 0.08);
  cairo_pattern_add_color_stop_rgba(p, 1, 0.5, 0.05, 0.02, 0);
  cairo_set_source(cr, p);
  cairo_paint(cr);
  cairo_pattern_destroy(p);
}

// A puff of dark smoke that rises from a burst: a few overlapping soft blobs,
// lighter on the upper left.
void DrawSmoke(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width();
  const struct {
    double x, y, r;
  } blobs[] = {{0.5, 0.56, 0.3}, {0.36, 0.48, 0.22}, {0.62, 0.42, 0.24}, {0.48, 0.34, 0.2}};
  for (const auto& b : blobs) {
    const double bx = b.x * w, by = b.y * w, br = b.r * w;
    cairo_pattern_t* p = cairo_pattern_create_radial(bx - br * 0.3, by - br * 0.3, 0, bx, by, br);
    cairo_pattern_add_color_stop_rgba(p, 0, 0.36, 0.34, 0.33, 0.5);
    cairo_pattern_add_color_stop_rgba(p, 0.6, 0.2, 0.19, 0.19, 0.38);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.12, 0.11, 0.11, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, bx, by, br, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
  }
}

// --- backgrounds -------------------------------------------------------------

// A dusk skyline in silhouette, windows lit here and there; deterministic.
void Skyline(cairo_t* cr, double w, double baseY, Rgb colour, double scale, unsigned seed,
             bool windows) {
  unsigned s = seed;
  auto rnd = [&]() {
    s = s * 1103515245u + 12345u;
    return ((s >> 16) & 0x7fff) / 32767.0;
  };
  double x = -10;
  while (x < w + 10) {
    const double bw = (40 + rnd() * 60) * scale;
    const double bh = (60 + rnd() * 150) * scale;
    cairo_rectangle(cr, x, baseY - bh, bw + 1, bh + 1);
    if (rnd() < 0.3) cairo_rectangle(cr, x + bw * 0.4, baseY - bh - 18 * scale, 3, 18 * scale);
    SetRgb(cr, colour);
    cairo_fill(cr);
    if (windows) {
      for (double wy = baseY - bh + 8 * scale; wy < baseY - 10; wy += 12 * scale)
        for (double wx = x + 6 * scale; wx < x + bw - 8 * scale; wx += 10 * scale)
          if (rnd() < 0.16) {
            cairo_rectangle(cr, wx, wy, 4 * scale, 5 * scale);
            SetRgb(cr, Mix(Hex(0xffc060), Hex(0xfff0b0), rnd()), 0.55 + 0.35 * rnd());
            cairo_fill(cr);
          }
    }
    x += bw + rnd() * 6;
  }
}

void DrawTitle(cairo_t* cr, double cx, double baseline, double size) {
  SetFont(cr, Face::Bold, size);
  const std::string word = "GRAVELHORN";
  const double ww = TextWidth(cr, word + " ");
  SetFont(cr, Face::Bold, size * 1.25);
  const double tw = TextWidth(cr, "2");
  const double x0 = cx - (ww + tw) / 2;
  // Shadow, outline, then a metal gradient fill.
  SetFont(cr, Face::Bold, size);
  TextPath(cr, word, x0 + 4, baseline + 4, 0);
  SetRgb(cr, {0, 0, 0}, 0.6);
  cairo_fill(cr);
  TextPath(cr, word, x0, baseline, 0);
  SetRgb(cr, Hex(0x0c0c0c));
  cairo_set_line_width(cr, size * 0.09);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, baseline - size * 0.75, 0, baseline);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.97, 0.98, 1.0);
  cairo_pattern_add_color_stop_rgb(p, 0.48, 0.62, 0.67, 0.74);
  cairo_pattern_add_color_stop_rgb(p, 0.52, 0.42, 0.47, 0.54);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.80, 0.84, 0.90);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  SetFont(cr, Face::Bold, size * 1.25);
  TextPath(cr, "2", x0 + ww + 4, baseline + 4, 0);
  SetRgb(cr, {0, 0, 0}, 0.6);
  cairo_fill(cr);
  TextPath(cr, "2", x0 + ww, baseline, 0);
  SetRgb(cr, Hex(0x0c0c0c));
  cairo_stroke_preserve(cr);
  p = cairo_pattern_create_linear(0, baseline - size * 0.95, 0, baseline);
  cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 0.85, 0.2);
  cairo_pattern_add_color_stop_rgb(p, 0.5, 1.0, 0.47, 0.0);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.7, 0.15, 0.0);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void DuskSky(cairo_t* cr, double w, double h) {
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, h);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.03, 0.04, 0.09);
  cairo_pattern_add_color_stop_rgb(p, 0.55, 0.10, 0.10, 0.20);
  cairo_pattern_add_color_stop_rgb(p, 0.78, 0.42, 0.17, 0.10);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.75, 0.33, 0.08);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void Vignette(cairo_t* cr, double w, double h, double strength) {
  cairo_pattern_t* p = cairo_pattern_create_radial(w / 2, h / 2, h * 0.35, w / 2, h / 2, w * 0.75);
  cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0);
  cairo_pattern_add_color_stop_rgba(p, 1, 0, 0, 0, strength);
  cairo_set_source(cr, p);
  cairo_paint(cr);
  cairo_pattern_destroy(p);
}

// Crosshair emblem, large and faint, behind the menu.
void Emblem(cairo_t* cr, double cx, double cy, double r, double alpha) {
  cairo_save(cr);
  SetRgb(cr, kOrange, alpha);
  cairo_set_line_width(cr, 6);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 3);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r * 0.62, 0, 2 * kPi);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 5);
  for (int i = 0; i < 4; ++i) {
    const double a = i * kPi / 2;
    cairo_move_to(cr, cx + std::cos(a) * r * 0.3, cy + std::sin(a) * r * 0.3);
    cairo_line_to(cr, cx + std::cos(a) * r * 1.15, cy + std::sin(a) * r * 1.15);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
}

void DrawMenuBack(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  DuskSky(cr, w, h);
  // Distant and near skylines.
  Skyline(cr, w, h - 70, Hex(0x1d1a26), 0.9, 7, true);
  Skyline(cr, w, h - 20, Hex(0x0c0b10), 1.3, 23, true);
  cairo_rectangle(cr, 0, h - 22, w, 22);
  SetRgb(cr, Hex(0x07070a));
  cairo_fill(cr);
  Emblem(cr, w / 2, h / 2 + 40, 190, 0.07);
  Vignette(cr, w, h, 0.75);
  // A soft dark panel in the middle, where the menus stand and the first help
  // page scrolls its text: the lit windows stay out of the lines.
  for (int i = 0; i < 12; ++i) {
    const double in = i * 4;
    RoundedRect(cr, 110 + in, 150 + in, w - 220 - 2 * in, h - 200 - 2 * in, 40);
    SetRgb(cr, Hex(0x05060a), 0.075);
    cairo_fill(cr);
  }
  // A dark band under the title keeps the screen titles readable.
  cairo_rectangle(cr, 0, 0, w, 92);
  FillVertical(cr, 0, 92, Hex(0x000000), Hex(0x000000), 0.0);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 140);
  cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0.6);
  cairo_pattern_add_color_stop_rgba(p, 1, 0, 0, 0, 0);
  cairo_set_source(cr, p);
  cairo_rectangle(cr, 0, 0, w, 140);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  // Small enough to leave room below for the screen titles the program prints.
  DrawTitle(cr, w / 2, 48, 40);
  // Thin orange rule under the title.
  cairo_rectangle(cr, w / 2 - 180, 58, 360, 2);
  cairo_pattern_t* rule = cairo_pattern_create_linear(w / 2 - 180, 0, w / 2 + 180, 0);
  cairo_pattern_add_color_stop_rgba(rule, 0, 1, 0.47, 0, 0);
  cairo_pattern_add_color_stop_rgba(rule, 0.5, 1, 0.47, 0, 0.9);
  cairo_pattern_add_color_stop_rgba(rule, 1, 1, 0.47, 0, 0);
  cairo_set_source(cr, rule);
  cairo_fill(cr);
  cairo_pattern_destroy(rule);
}

void DrawLoading(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  DuskSky(cr, w, h);
  Skyline(cr, w, h - 40, Hex(0x120f16), 1.2, 41, true);
  cairo_rectangle(cr, 0, h - 42, w, 42);
  SetRgb(cr, Hex(0x07070a));
  cairo_fill(cr);
  Vignette(cr, w, h, 0.8);
  Emblem(cr, w / 2, h / 2 - 30, 120, 0.22);
  DrawTitle(cr, w / 2, h / 2 - 10, 64);
  SetFont(cr, Face::Bold, 22);
  TextBold(cr, "LOADING...", w / 2, h / 2 + 70, 0.5, kAmber, kEdge, 2);
  // Progress bar outline, empty: the picture stands while loading.
  DrawPlate(cr, w / 2 - 160, h / 2 + 92, 320, 18, 8, kSteelDark, kEdge, 2);
  RoundedRect(cr, w / 2 - 155, h / 2 + 97, 310 * 0.6, 8, 4);
  FillHorizontal(cr, w / 2 - 155, w / 2 + 155, Hex(0xe05a00), Hex(0xffc040));
  cairo_new_path(cr);
}

// Question box background: the two text lines sit in the upper half, the name
// box and the Yes/No buttons in the lower half.
void DrawTable(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  cairo_rectangle(cr, 0, 0, w, h);
  SetRgb(cr, Hex(0x05070a));
  cairo_fill(cr);
  DrawPlate(cr, 0, 0, w, h, 14, Hex(0x3a4452), kEdge, 3);
  RoundedRect(cr, 14, 14, w - 28, h - 28, 9);
  FillVertical(cr, 14, h - 14, Hex(0x10151c), Hex(0x1b222c));
  cairo_new_path(cr);
  RoundedRect(cr, 14.5, 14.5, w - 29, h - 29, 9);
  SetRgb(cr, Hex(0x000000), 0.8);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  // Hazard stripes along the top and bottom edges.
  for (double y : {4.0, h - 11}) {
    cairo_save(cr);
    cairo_rectangle(cr, 40, y, w - 80, 7);
    cairo_clip(cr);
    for (double x = 30; x < w; x += 18) {
      cairo_move_to(cr, x, y + 7);
      cairo_line_to(cr, x + 9, y + 7);
      cairo_line_to(cr, x + 16, y);
      cairo_line_to(cr, x + 7, y);
      cairo_close_path(cr);
    }
    SetRgb(cr, kAmber, 0.85);
    cairo_fill(cr);
    cairo_restore(cr);
  }
  // Corner screws.
  for (double x : {8.0, w - 8.0})
    for (double y : {8.0, h - 8.0}) {
      Ellipse(cr, x, y, 3.5, 3.5);
      FillLit(cr, kRim, x - 3, y - 3, x + 3, y + 3, 0.5);
      cairo_new_path(cr);
    }
}

// The frame behind the ten rows of the high-score table; rows are at
// y = 4.1 - 1.43 i screen units, the frame centred at (0, -1.6).
void DrawHiScore(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  DrawPlate(cr, 2, 2, w - 4, h - 4, 16, Hex(0x27303b), kEdge, 3);
  RoundedRect(cr, 9, 34, w - 18, h - 43, 9);
  SetRgb(cr, Hex(0x0b0f14), 0.92);
  cairo_fill(cr);
  const double top = h / 2.0 / 25.0;  // units from centre to top edge
  for (int i = 0; i < 10; ++i) {
    const double yUnits = 4.1 - 1.43 * i - (-1.6);
    const double y = (top - yUnits) * 25.0;  // row centre in picture pixels
    RoundedRect(cr, 14, y - 16, w - 28, 32, 6);
    if (i == 0) {
      FillHorizontal(cr, 14, w - 14, Hex(0x5a3a10), Hex(0x2a2016));
      cairo_new_path(cr);
      RoundedRect(cr, 14.5, y - 15.5, w - 29, 31, 6);
      SetRgb(cr, kAmber, 0.7);
      cairo_set_line_width(cr, 1.2);
      cairo_stroke(cr);
    } else {
      SetRgb(cr, i % 2 ? Hex(0x161d26) : Hex(0x1d2630));
      cairo_fill(cr);
    }
    // Rank cell around x = -7.5 units.
    const double rx = w / 2 - 7.5 * 25;
    RoundedRect(cr, rx - 24, y - 13, 48, 26, 5);
    SetRgb(cr, i == 0 ? Hex(0x8a5a12) : Hex(0x0a0d11), i == 0 ? 1.0 : 0.8);
    cairo_fill(cr);
  }
  // Column heads.
  SetFont(cr, Face::Condensed, 15);
  const double hy = 26;
  Text(cr, "RANK", w / 2 - 7.5 * 25, hy, 0.5, Hex(0xb07a30));
  Text(cr, "NAME", w / 2 - 3.8 * 25, hy, 0.0, Hex(0xb07a30));
  Text(cr, "SCORE", w / 2 + 7.7 * 25, hy, 0.5, Hex(0xb07a30));
  // A small trophy beside the best row.
  const double ty = (top - (4.1 + 1.6)) * 25.0;
  cairo_save(cr);
  cairo_translate(cr, w / 2 - 5.5 * 25, ty);
  cairo_move_to(cr, -8, -9);
  cairo_line_to(cr, 8, -9);
  cairo_curve_to(cr, 8, 2, 3, 4, 0, 4);
  cairo_curve_to(cr, -3, 4, -8, 2, -8, -9);
  cairo_close_path(cr);
  cairo_rectangle(cr, -2, 4, 4, 4);
  cairo_rectangle(cr, -6, 8, 12, 3);
  FillLit(cr, kAmber, -8, -9, 8, 11, 0.4);
  cairo_new_path(cr);
  cairo_restore(cr);
}

// --- help pages --------------------------------------------------------------

constexpr int kHelpW = 640, kHelpH = 390;

// A picture drawn at w x h and placed at (left, top) of a larger one.
void Inset(Canvas& c, int w, int h, double left, double top, void (*draw)(Canvas&)) {
  Canvas inner(w, h);
  draw(inner);
  cairo_set_source_surface(c.cr(), inner.surface(), left, top);
  cairo_paint(c.cr());
}

void PageFrame(cairo_t* cr, double w, double h, const char* heading) {
  DrawPlate(cr, 2, 2, w - 4, h - 4, 16, Hex(0x27303b), kEdge, 3);
  RoundedRect(cr, 12, 46, w - 24, h - 58, 9);
  SetRgb(cr, Hex(0x0b0f14), 0.92);
  cairo_fill(cr);
  SetFont(cr, Face::Bold, 22);
  TextBold(cr, heading, w / 2, 34, 0.5, kAmber, kEdge, 2);
}

const char* const kBonusText[8][2] = {
    {"Shotgun shells", "spare magazine, weapon 2"},
    {"Machine gun belt", "spare magazine, weapon 3"},
    {"Rocket", "spare rocket, weapon 4"},
    {"Bomb", "one more blast, weapon 5"},
    {"Poison", "takes 30 health!"},
    {"Medical kit", "health back to 50"},
    {"Points", "100 points"},
    {"Extra life", "one more life"},
};

void DrawHelpBonus(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  PageFrame(cr, w, h, "BONUS BOXES");
  const double colW = (w - 40) / 2;
  for (int i = 0; i < 8; ++i) {
    const double x = 20 + (i / 4) * colW, y = 56 + (i % 4) * 79;
    RoundedRect(cr, x + 4, y + 2, colW - 8, 72, 10);
    SetRgb(cr, Hex(0x1a222c));
    cairo_fill(cr);
    DrawBonusIcon(cr, i + 1, x + 40, y + 38, 58);
    SetFont(cr, Face::Bold, 20);
    Text(cr, kBonusText[i][0], x + 78, y + 33, 0, i == 4 ? Hex(0xff5040) : kAmber);
    SetFont(cr, Face::Condensed, 16);
    Text(cr, kBonusText[i][1], x + 78, y + 57, 0, kText);
  }
}

void Key(cairo_t* cr, double x, double y, double w, const char* label) {
  RoundedRect(cr, x, y + 3, w, 34, 6);
  SetRgb(cr, Hex(0x05070a));
  cairo_fill(cr);
  RoundedRect(cr, x, y, w, 34, 6);
  FillVertical(cr, y, y + 34, Hex(0xe9edf2), Hex(0xa9b3be));
  SetRgb(cr, kEdge);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  SetFont(cr, Face::Bold, 16);
  Text(cr, label, x + w / 2, CapBaseline(cr, y + 16), 0.5, Hex(0x141820));
}

void DrawHelpControls(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  PageFrame(cr, w, h, "CONTROLS");
  // The mouse, big, on the left.
  const double mx = 120, my = 210;
  RoundedRect(cr, mx - 62, my - 95, 124, 200, 60);
  FillLit(cr, Hex(0x5d6b7a), mx - 62, my - 95, mx + 62, my + 105, 0.4);
  SetRgb(cr, kEdge);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  // Left button lit orange: fire.
  cairo_move_to(cr, mx - 2, my - 93);
  cairo_curve_to(cr, mx - 40, my - 92, mx - 60, my - 70, mx - 60, my - 20);
  cairo_line_to(cr, mx - 2, my - 20);
  cairo_close_path(cr);
  FillLit(cr, kOrange, mx - 60, my - 93, mx, my - 20, 0.35);
  SetRgb(cr, kEdge);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_move_to(cr, mx + 2, my - 93);
  cairo_curve_to(cr, mx + 40, my - 92, mx + 60, my - 70, mx + 60, my - 20);
  cairo_line_to(cr, mx + 2, my - 20);
  cairo_close_path(cr);
  FillLit(cr, Hex(0x3c8ee0), mx, my - 93, mx + 60, my - 20, 0.35);
  SetRgb(cr, kEdge);
  cairo_stroke(cr);
  RoundedRect(cr, mx - 8, my - 80, 16, 38, 8);
  FillLit(cr, Hex(0x48d040), mx - 8, my - 80, mx + 8, my - 42, 0.4);
  SetRgb(cr, kEdge);
  cairo_stroke(cr);
  // Labels with leader lines.
  struct Label {
    double fromX, fromY, toY;
    Rgb colour;
    const char* title;
    const char* text;
  };
  const Label labels[] = {
      {mx - 35, my - 60, 80, kOrange, "LEFT BUTTON", "hold to fire, hold on a box to take it"},
      {mx, my - 62, 140, Hex(0x48d040), "WHEEL", "change weapon"},
      {mx + 35, my - 60, 200, Hex(0x3c8ee0), "RIGHT BUTTON", "load a spare magazine"},
  };
  for (const Label& l : labels) {
    cairo_move_to(cr, l.fromX, l.fromY);
    cairo_line_to(cr, 210, l.toY);
    cairo_line_to(cr, 222, l.toY);
    SetRgb(cr, l.colour);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    Ellipse(cr, l.fromX, l.fromY, 3.5, 3.5);
    cairo_fill(cr);
    SetFont(cr, Face::Bold, 18);
    Text(cr, l.title, 230, l.toY - 3, 0, l.colour);
    SetFont(cr, Face::Condensed, 17);
    Text(cr, l.text, 230, l.toY + 18, 0, kText);
  }
  // Keys along the bottom.
  const double ky = 262;
  Key(cr, 230, ky, 112, "1 2 3 4 5");
  SetFont(cr, Face::Condensed, 17);
  Text(cr, "choose a weapon", 352, ky + 23, 0, kText);
  Key(cr, 230, ky + 44, 40, "P");
  Text(cr, "pause", 280, ky + 23 + 44, 0, kText);
  Key(cr, 400, ky + 44, 56, "Esc");
  Text(cr, "menu", 466, ky + 23 + 44, 0, kText);
  // The program prints the boss key that is set on this cap.
  Key(cr, 230, ky + 88, 52, "");
  Text(cr, "boss key: hide the game at once", 292, ky + 23 + 88, 0, kText);
  SetFont(cr, Face::Condensed, 15);
  Text(cr, "The boss key can be", mx, my + 132, 0.5, Hex(0x8d99a6));
  Text(cr, "changed in Options.", mx, my + 150, 0.5, Hex(0x8d99a6));
}

void DrawHelpAbout(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  PageFrame(cr, w, h, "ABOUT");
  Emblem(cr, w / 2, h / 2 + 20, 110, 0.10);
  cairo_translate(cr, 0, 10);  // the text block in the middle of the panel
  DrawTitle(cr, w / 2, 108, 44);
  SetFont(cr, Face::Bold, 17);
  Text(cr, "Version 2.0", w / 2, 136, 0.5, kAmber);
  SetFont(cr, Face::Condensed, 18);
  const char* lines[] = {
      "An arcade shooter for the desktop.",
      "Design, code, pictures, sounds and music:",
      "the Gravelhorn 2 team.",
      "Every picture, sound and tune",
      "is made by the game's own code.",
      "Font: DejaVu Sans Bold, a free font.",
  };
  double y = 170;
  for (const char* l : lines) {
    Text(cr, l, w / 2, y, 0.5, kText);
    y += 23;
  }
  SetFont(cr, Face::Bold, 17);
  Text(cr, "Thank you for playing!", w / 2, h - 30, 0.5, kOrange);
}

}  // namespace

void AddMenuPictures(PictureList& list) {
  list.push_back({"loading.jpg", 800, 600, DrawLoading});
  list.push_back({"MenuBack.jpg", 800, 600, DrawMenuBack});
  // Tall enough to hide the high-score frame (y 140 .. 540) behind the
  // question about clearing it.
  list.push_back({"Table.jpg", 500, 480, DrawTable});
  list.push_back({"HiScore.png", 500, 400, DrawHiScore});
  // Help pages 2-4 show one panel of kHelpW x kHelpH in one place, centred at
  // (400, 337.5) of the view, clear of the "HELP" title and of the buttons.
  // The pictures are centred where the screens put them: the controls page
  // 50 pixels right of the others, the about page 37.5 pixels higher, so
  // their panels stand in a larger picture with empty space on one side.
  list.push_back({"Help_Bonus.png", kHelpW, kHelpH, DrawHelpBonus});
  list.push_back({"Help_CTRL.png", kHelpW + 100, kHelpH,
                  [](Canvas& c) { Inset(c, kHelpW, kHelpH, 0, 0, DrawHelpControls); }});
  list.push_back({"Help_About.png", kHelpW, kHelpH + 75,
                  [](Canvas& c) { Inset(c, kHelpW, kHelpH, 0, 75, DrawHelpAbout); }});
  list.push_back({"cursor.png", 48, 48, DrawPointer});
  list.push_back({"cursor2.png", 56, 56, DrawCrosshair});
  list.push_back({"Hit.png", 64, 64, DrawParticle});
  list.push_back({"smoke.png", 48, 48, DrawSmoke});
  // The name box's width sets how much can be typed: at most what the
  // high-score table's name column shows, printed there at 0.8 of the size.
  list.push_back({"Edit.png", 280, 50, DrawField});
  list.push_back({"EditCursor.png", 40, 40, DrawCaret});
  list.push_back({"BossKey.png", 200, 50, DrawBossKeyBox});
  // Caption buttons: main menu (b1), Back / Yes / No (b2), Prev / Next (b5).
  for (const auto& [name, w] : {std::pair{"b1", 300}, {"b2", 200}, {"b5", 130}})
    for (int s : {0, 1})
      list.push_back({std::string(name) + "_" + std::to_string(s) + ".png", w, 50,
                      [s](Canvas& c) { DrawButton(c, s == 1); }});
  for (int s : {0, 1}) {
    list.push_back({"b3_" + std::to_string(s) + ".png", 140, 110,
                    [s](Canvas& c) { DrawImageButton(c, s == 1, false); }});
    list.push_back({"b4_" + std::to_string(s) + ".png", 140, 110,
                    [s](Canvas& c) { DrawImageButton(c, s == 1, true); }});
    // _1 marks the left part as chosen, _0 the right.
    list.push_back({"Opt1_" + std::to_string(s) + ".png", 330, 50,
                    [s](Canvas& c) { DrawToggle(c, 160, "Window", "Full screen", s == 1); }});
    list.push_back({"Opt2_" + std::to_string(s) + ".png", 150, 50,
                    [s](Canvas& c) { DrawToggle(c, 75, "On", "Off", s == 1); }});
  }
}

}  // namespace assets
