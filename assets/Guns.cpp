// The five weapons: side views for the HUD and the player's gun pictures.
//
// Gun sprites are screen sprites centred at the places the player uses, so
// each picture reaches the lower right corner of the view:
//   weapon 0 at (7.8, -7.09)  -> 410 x 246    weapon 1 at (9.14, -8.09) -> 344 x 196
//   weapon 2 at (8.02, -7.73) -> 400 x 214    weapon 3 at (9.87, -4.8)  -> 306 x 360
//   weapon 4 at (10.82, -3.4) -> 260 x 430
// The projectile of weapon 3 starts at (3.84, -3.58): the launcher's muzzle
// sits there, at the left edge of picture 25, 150 pixels from its top.
#include <cmath>
#include <string>

#include "Art.h"
#include "Pictures.h"

namespace assets {

namespace {

constexpr double kPi = M_PI;
constexpr Rgb kInk = Hex(0x0e0f11);
constexpr Rgb kGunMetal = Hex(0x3b4149);
constexpr Rgb kBlack = Hex(0x24272b);
constexpr Rgb kWood = Hex(0x8a5a2e);
constexpr Rgb kOlive = Hex(0x5f6e34);

void Part(cairo_t* cr, Rgb colour, double lw) {
  double x0, y0, x1, y1;
  cairo_path_extents(cr, &x0, &y0, &x1, &y1);
  FillLit(cr, colour, x0, y0, x0 + (x1 - x0) * 0.3, y1, 0.32);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, lw);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void Poly(cairo_t* cr, std::initializer_list<std::pair<double, double>> pts) {
  bool first = true;
  for (auto [x, y] : pts) {
    if (first)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
    first = false;
  }
  cairo_close_path(cr);
}

// Each weapon in its own units, muzzle at x = 0 pointing left; the muzzle's
// y and the weapon's extent are returned for fitting and for the flash.
struct Shape {
  double width, height, muzzleY, gripX, gripY, foreX, foreY;
};

const Shape kShapes[5] = {
    {128, 66, 8, 100, 42, -1, 0},     // pistol
    {300, 52, 12, 208, 34, 95, 24},   // shotgun
    {296, 78, 15, 205, 40, 100, 22},  // machine gun
    {300, 70, 26, 170, 56, 90, 48},   // rocket launcher
    {110, 170, 0, 55, 130, -1, 0},    // detonator (upright)
};

void Pistol(cairo_t* cr, double lw) {
  Poly(cr, {{78, 18}, {112, 18}, {124, 60}, {120, 66}, {92, 66}, {86, 30}});
  Part(cr, kBlack, lw);
  for (double y = 30; y < 62; y += 6) {
    cairo_move_to(cr, 92 + (y - 30) * 0.2, y);
    cairo_line_to(cr, 114 + (y - 30) * 0.2, y);
  }
  SetRgb(cr, Hex(0x15171a));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  cairo_move_to(cr, 60, 18);
  cairo_curve_to(cr, 58, 34, 80, 36, 84, 26);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  RoundedRect(cr, 0, 0, 122, 19, 3);
  Part(cr, kGunMetal, lw);
  for (double x = 92; x < 118; x += 5) {
    cairo_move_to(cr, x, 3);
    cairo_line_to(cr, x, 16);
  }
  SetRgb(cr, kInk, 0.7);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  cairo_rectangle(cr, 4, -3, 5, 3);
  cairo_rectangle(cr, 112, -3, 7, 3);
  SetRgb(cr, kInk);
  cairo_fill(cr);
}

void Shotgun(cairo_t* cr, double lw) {
  // Stock.
  Poly(cr, {{222, 8}, {298, 16}, {300, 48}, {288, 50}, {222, 30}});
  Part(cr, kWood, lw);
  // Barrel and magazine tube.
  RoundedRect(cr, 0, 6, 180, 11, 3);
  Part(cr, kGunMetal, lw);
  RoundedRect(cr, 30, 18, 150, 9, 3);
  Part(cr, Darker(kGunMetal, 0.2), lw);
  // Receiver.
  Poly(cr, {{170, 2}, {226, 4}, {226, 30}, {170, 30}});
  Part(cr, kBlack, lw);
  // Trigger guard and grip part of the stock.
  cairo_move_to(cr, 192, 30);
  cairo_curve_to(cr, 192, 44, 214, 44, 214, 30);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 3.5);
  cairo_stroke(cr);
  // Pump.
  RoundedRect(cr, 64, 14, 70, 18, 5);
  Part(cr, Lighter(kWood, 0.1), lw);
  for (double x = 72; x < 130; x += 8) {
    cairo_move_to(cr, x, 17);
    cairo_line_to(cr, x, 29);
  }
  SetRgb(cr, Darker(kWood, 0.5));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_rectangle(cr, 2, 2, 5, 4);
  SetRgb(cr, Hex(0xd0d0d0));
  cairo_fill(cr);
}

void MachineGun(cairo_t* cr, double lw) {
  // Stock.
  Poly(cr, {{218, 8}, {292, 12}, {296, 44}, {284, 46}, {218, 30}});
  Part(cr, kBlack, lw);
  // Magazine, curved.
  cairo_move_to(cr, 150, 28);
  cairo_line_to(cr, 178, 28);
  cairo_curve_to(cr, 176, 48, 172, 62, 166, 76);
  cairo_line_to(cr, 140, 70);
  cairo_curve_to(cr, 146, 58, 150, 44, 150, 28);
  cairo_close_path(cr);
  Part(cr, Hex(0x4a4030), lw);
  // Grip.
  Poly(cr, {{196, 28}, {216, 28}, {214, 62}, {198, 60}});
  Part(cr, kBlack, lw);
  // Barrel, handguard, receiver.
  RoundedRect(cr, 0, 11, 64, 8, 2);
  Part(cr, kGunMetal, lw);
  RoundedRect(cr, 0, 8, 10, 14, 2);
  Part(cr, kBlack, lw);
  RoundedRect(cr, 60, 6, 84, 24, 4);
  Part(cr, Hex(0x3a3a32), lw);
  for (double x = 70; x < 138; x += 10) {
    RoundedRect(cr, x, 12, 6, 10, 2);
    SetRgb(cr, kInk, 0.8);
    cairo_fill(cr);
  }
  Poly(cr, {{140, 4}, {222, 4}, {222, 30}, {140, 30}});
  Part(cr, kGunMetal, lw);
  // Carry handle and sight.
  cairo_move_to(cr, 150, 4);
  cairo_line_to(cr, 156, -6);
  cairo_line_to(cr, 206, -6);
  cairo_line_to(cr, 210, 4);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  cairo_rectangle(cr, 20, 2, 5, 8);
  cairo_fill(cr);
  cairo_move_to(cr, 180, 30);
  cairo_curve_to(cr, 180, 42, 196, 42, 196, 30);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
}

void Launcher(cairo_t* cr, double lw, bool loaded) {
  if (loaded) {
    // The rocket's warhead showing at the front.
    cairo_move_to(cr, 26, 14);
    cairo_curve_to(cr, 12, 14, 2, 22, 0, 26);
    cairo_curve_to(cr, 2, 30, 12, 38, 26, 38);
    cairo_close_path(cr);
    Part(cr, Hex(0xc83020), lw);
  }
  // Grips under the tube.
  Poly(cr, {{160, 40}, {180, 40}, {176, 70}, {160, 68}});
  Part(cr, kBlack, lw);
  Poly(cr, {{84, 40}, {100, 40}, {98, 62}, {84, 62}});
  Part(cr, kBlack, lw);
  // Tube with flared ends.
  RoundedRect(cr, 20, 8, 266, 36, 6);
  Part(cr, kOlive, lw);
  Poly(cr, {{16, 4}, {36, 6}, {36, 46}, {16, 48}});
  Part(cr, Darker(kOlive, 0.3), lw);
  Poly(cr, {{270, 6}, {300, 0}, {300, 52}, {270, 46}});
  Part(cr, Darker(kOlive, 0.3), lw);
  // Bands and a sight box.
  for (double x : {90.0, 200.0}) {
    cairo_rectangle(cr, x, 8, 8, 36);
    SetRgb(cr, Darker(kOlive, 0.4));
    cairo_fill(cr);
  }
  RoundedRect(cr, 120, -6, 40, 14, 3);
  Part(cr, kBlack, lw);
  Ellipse(cr, 124, 1, 3, 3);
  SetRgb(cr, Hex(0xff4030));
  cairo_fill(cr);
  SetFont(cr, Face::Condensed, 11);
  Text(cr, "DANGER", 236, 30, 0.5, Hex(0xf0e070), 0.8);
}

void Detonator(cairo_t* cr, double lw, bool pressed) {
  // Antenna.
  cairo_move_to(cr, 84, 64);
  cairo_line_to(cr, 88, 4);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 5);
  cairo_stroke(cr);
  cairo_move_to(cr, 84, 64);
  cairo_line_to(cr, 88, 4);
  SetRgb(cr, Hex(0x9aa0a8));
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  Ellipse(cr, 88, 4, 5, 5);
  Part(cr, pressed ? Hex(0xff4020) : Hex(0x602020), lw * 0.6);
  // Body, yellow and black.
  RoundedRect(cr, 8, 60, 94, 108, 10);
  Part(cr, Hex(0xe8b820), lw);
  cairo_save(cr);
  RoundedRect(cr, 8, 60, 94, 108, 10);
  cairo_clip(cr);
  for (double x = -40; x < 110; x += 22)
    Poly(cr, {{x, 168}, {x + 11, 168}, {x + 41, 138}, {x + 30, 138}});
  SetRgb(cr, kInk);
  cairo_fill(cr);
  cairo_restore(cr);
  // Screen and button.
  RoundedRect(cr, 22, 72, 66, 24, 3);
  SetRgb(cr, pressed ? Hex(0x60ff40) : Hex(0x1a3a14));
  cairo_fill(cr);
  SetFont(cr, Face::Bold, 12);
  Text(cr, pressed ? "FIRE" : "ARMED", 55, 89, 0.5, pressed ? Hex(0x103010) : Hex(0x40a030));
  Ellipse(cr, 55, 116, 17, pressed ? 10 : 14);
  cairo_translate(cr, 0, 0);
  Part(cr, pressed ? Hex(0xff2010) : Hex(0xc01010), lw);
  if (pressed) {
    Ellipse(cr, 55, 116, 26, 20);
    SetRgb(cr, Hex(0xff6040), 0.35);
    cairo_fill(cr);
  }
}

void DrawShape(cairo_t* cr, int weapon, double lw, bool firing) {
  switch (weapon) {
    case 0:
      Pistol(cr, lw);
      break;
    case 1:
      Shotgun(cr, lw);
      break;
    case 2:
      MachineGun(cr, lw);
      break;
    case 3:
      Launcher(cr, lw, true);
      break;
    case 4:
      Detonator(cr, lw, firing);
      break;
    default:
      break;
  }
}

// A star-shaped muzzle flash centred on the muzzle, pointing along -x.
void MuzzleFlash(cairo_t* cr, double x, double y, double size) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_pattern_t* g = cairo_pattern_create_radial(-size * 0.3, 0, 0, -size * 0.3, 0, size);
  cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 0.8, 0.9);
  cairo_pattern_add_color_stop_rgba(g, 1, 1, 0.5, 0, 0);
  cairo_set_source(cr, g);
  Ellipse(cr, -size * 0.3, 0, size, size * 0.8);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_new_path(cr);
  const int n = 8;
  for (int i = 0; i < n * 2; ++i) {
    const double a = kPi + i * kPi / n;
    double r = i % 2 ? size * 0.28 : size * 0.75;
    if (i == 0) r = size * 1.15;  // the long tongue forward
    const double px = std::cos(a) * r - size * 0.25, py = std::sin(a) * r * 0.8;
    if (i == 0)
      cairo_move_to(cr, px, py);
    else
      cairo_line_to(cr, px, py);
  }
  cairo_close_path(cr);
  cairo_pattern_t* p = cairo_pattern_create_radial(-size * 0.25, 0, 1, -size * 0.25, 0, size);
  cairo_pattern_add_color_stop_rgb(p, 0, 1, 1, 0.9);
  cairo_pattern_add_color_stop_rgb(p, 0.4, 1, 0.85, 0.3);
  cairo_pattern_add_color_stop_rgb(p, 1, 1, 0.4, 0.0);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_restore(cr);
}

// Sleeve and gloved hand reaching from (fromX, fromY) to the hand point.
void Arm(cairo_t* cr, double fromX, double fromY, double handX, double handY, double thick) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, fromX, fromY);
  cairo_line_to(cr, handX, handY);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, thick + 5);
  cairo_stroke(cr);
  // Sleeve: olive drab, lit from the upper left along its length.
  cairo_move_to(cr, fromX, fromY);
  cairo_line_to(cr, handX + (fromX - handX) * 0.22, handY + (fromY - handY) * 0.22);
  cairo_pattern_t* p =
      cairo_pattern_create_linear(fromX - thick, fromY - thick, fromX + thick, fromY + thick);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.50, 0.55, 0.33);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.25, 0.28, 0.15);
  cairo_set_source(cr, p);
  cairo_set_line_width(cr, thick);
  cairo_stroke(cr);
  cairo_pattern_destroy(p);
  // Cuff.
  const double cx = handX + (fromX - handX) * 0.22, cy = handY + (fromY - handY) * 0.22;
  Ellipse(cr, cx, cy, thick * 0.52, thick * 0.52);
  SetRgb(cr, Hex(0x3a4222));
  cairo_fill(cr);
  // Glove: a fist closed around the grip, knuckles toward the weapon.
  cairo_save(cr);
  cairo_translate(cr, handX, handY);
  cairo_rotate(cr, std::atan2(handY - fromY, handX - fromX));
  RoundedRect(cr, -thick * 0.45, -thick * 0.36, thick * 0.8, thick * 0.72, thick * 0.22);
  FillLit(cr, Hex(0x3a342c), -thick * 0.45, -thick * 0.36, thick * 0.35, thick * 0.36, 0.35);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  for (double k : {-0.18, 0.0, 0.18}) {
    cairo_move_to(cr, thick * 0.12, k * thick);
    cairo_line_to(cr, thick * 0.32, k * thick);
  }
  SetRgb(cr, kInk, 0.7);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// Aim angles of the four columns (left to right), measured upward from
// pointing straight left.
const double kAim[4] = {0.22, 0.38, 0.58, 0.80};

// One gun picture: the weapon turned toward its column, held by the player's
// hands coming in from the lower right.
void DrawPlayerGun(Canvas& c, int weapon, int column, bool firing) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const Shape& s = kShapes[weapon];
  struct Setup {
    double scale, pivotX, pivotY;
  };
  // Pivot: where the rear hand holds the grip, in picture pixels.
  const Setup setups[3] = {{1.25, 300, 186}, {0.8, 262, 166}, {0.85, 312, 178}};
  const Setup& st = setups[weapon];
  const double angle = kAim[column];
  const double recoil = firing ? 8 : 0;
  // Rear hand position in the picture.
  const double hx = st.pivotX + std::cos(angle) * recoil;
  const double hy = st.pivotY + std::sin(angle) * recoil;
  auto toPicture = [&](double x, double y) {
    const double dx = (x - s.gripX) * st.scale, dy = (y - s.gripY) * st.scale;
    return std::pair{hx + dx * std::cos(angle) - dy * std::sin(angle),
                     hy + dx * std::sin(angle) + dy * std::cos(angle)};
  };
  // Front arm (rifles) goes behind the gun.
  if (s.foreX >= 0) {
    auto [fx, fy] = toPicture(s.foreX, s.foreY + 10);
    Arm(cr, fx + 70, h + 40, fx, fy, 34 * std::min(1.0, st.scale + 0.1));
  }
  cairo_save(cr);
  cairo_translate(cr, hx, hy);
  cairo_rotate(cr, angle);
  cairo_scale(cr, st.scale, st.scale);
  cairo_translate(cr, -s.gripX, -s.gripY);
  DrawShape(cr, weapon, 2.5 / st.scale, firing);
  if (firing) MuzzleFlash(cr, -2, s.muzzleY, (weapon == 0 ? 36 : 40) / st.scale);
  cairo_restore(cr);
  // Rear arm over the grip.
  Arm(cr, w + 30, h + 30, hx + 4, hy + 6, 40 * std::min(1.0, st.scale));
}

// Picture 25: the launcher on the shoulder, muzzle at the picture's left
// edge, 150 pixels from the top.
void DrawLauncherPicture(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const Shape& s = kShapes[3];
  const double angle = 0.42, scale = 0.98;
  const double mx = 6, my = 150;  // muzzle point (the tube's front centre)
  auto toPicture = [&](double x, double y) {
    const double dx = x * scale, dy = (y - s.muzzleY) * scale;
    return std::pair{mx + dx * std::cos(angle) - dy * std::sin(angle),
                     my + dx * std::sin(angle) + dy * std::cos(angle)};
  };
  auto [fx, fy] = toPicture(s.foreX + 5, s.foreY + 10);
  Arm(cr, fx + 30, h + 40, fx, fy, 40);
  cairo_save(cr);
  cairo_translate(cr, mx, my);
  cairo_rotate(cr, angle);
  cairo_scale(cr, scale, scale);
  cairo_translate(cr, 0, -s.muzzleY);
  DrawShape(cr, 3, 2.5, false);
  cairo_restore(cr);
  auto [gx, gy] = toPicture(s.gripX, s.gripY + 8);
  Arm(cr, w + 30, h - 20, gx, gy, 44);
}

// Pictures 26 and 27: the detonator held up, antenna high; 27 with the button
// pressed and radio waves.
void DrawDetonatorPicture(Canvas& c, bool firing) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const double scale = 1.45;
  cairo_save(cr);
  cairo_translate(cr, 70, 160);
  cairo_rotate(cr, -0.12);
  cairo_scale(cr, scale, scale);
  DrawShape(cr, 4, 2.5 / scale, firing);
  if (firing) {
    for (int i = 1; i <= 3; ++i) {
      cairo_new_sub_path(cr);
      cairo_arc(cr, 88, 4, 10 * i, -kPi * 0.95, -kPi * 0.05);
      SetRgb(cr, Hex(0xffe040), 1.0 - i * 0.22);
      cairo_set_line_width(cr, 3.5 / scale);
      cairo_stroke(cr);
    }
  }
  cairo_restore(cr);
  // Thumb on the button, hand around the body.
  Arm(cr, w + 20, h + 20, 150, 380, 52);
  // Thumb: beside the button at rest, pressing it when firing (the button's
  // centre is at about (169, 318)).
  const double tipX = firing ? 170 : 186, tipY = firing ? 324 : 342;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int pass = 0; pass < 2; ++pass) {
    cairo_move_to(cr, 158, 372);
    cairo_line_to(cr, tipX, tipY);
    SetRgb(cr, pass == 0 ? kInk : Hex(0x3a342c));
    cairo_set_line_width(cr, pass == 0 ? 19 : 15);
    cairo_stroke(cr);
  }
  Ellipse(cr, tipX - 2, tipY - 1, 3.5, 2.5);
  SetRgb(cr, Hex(0x5a5248));
  cairo_fill(cr);
}

}  // namespace

void DrawWeaponSide(cairo_t* cr, int weapon, double x, double y, double w, double h) {
  const Shape& s = kShapes[weapon];
  const double top = weapon == 2 ? -8 : (weapon == 3 ? -8 : (weapon == 0 ? -4 : 0));
  const double shapeH = s.height - top;
  const double scale = std::min(w / s.width, h / shapeH);
  cairo_save(cr);
  cairo_translate(cr, x + (w - s.width * scale) / 2, y + (h - shapeH * scale) / 2 - top * scale);
  cairo_scale(cr, scale, scale);
  DrawShape(cr, weapon, 2.0 / scale, false);
  cairo_restore(cr);
}

void AddGunPictures(PictureList& list) {
  struct Size {
    int w, h;
  };
  const Size sizes[3] = {{410, 246}, {344, 196}, {400, 214}};
  for (int weapon = 0; weapon < 3; ++weapon)
    for (int firing = 0; firing < 2; ++firing)
      for (int col = 0; col < 4; ++col) {
        const int n = weapon * 8 + firing * 4 + col + 1;
        list.push_back(
            {"Game/Player/" + std::to_string(n) + ".png", sizes[weapon].w, sizes[weapon].h,
             [weapon, col, firing](Canvas& c) { DrawPlayerGun(c, weapon, col, firing == 1); }});
      }
  list.push_back({"Game/Player/25.png", 306, 360, DrawLauncherPicture});
  list.push_back(
      {"Game/Player/26.png", 260, 430, [](Canvas& c) { DrawDetonatorPicture(c, false); }});
  list.push_back(
      {"Game/Player/27.png", 260, 430, [](Canvas& c) { DrawDetonatorPicture(c, true); }});
}

}  // namespace assets
