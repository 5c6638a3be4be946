// Terrorists: stylised figures in dark clothes and masks, with rifles.
//
// Every picture is 200 x 200 with the feet on the bottom row, so the walking,
// shooting and dying sprites (drawn at the same place) line up. They are drawn
// at scale 0.5 on the near lane (100 pixels, a figure about 90 tall) and 0.2
// on the far lane (40 pixels), so limbs are thick enough to read when small.
//
//   1-4   walking to the right (T1, T2, T3); the R folders walk to the left
//   5-6   standing, facing the player and shooting; 6 has the muzzle flash
//   7-18  hit, falling and lying still
#include <cmath>
#include <string>

#include "Art.h"
#include "Pictures.h"

namespace assets {

namespace {

constexpr double kPi = M_PI;
constexpr Rgb kInk = Hex(0x0a0a0c);
constexpr Rgb kSkin = Hex(0xc89a74);

struct Outfit {
  Rgb jacket, trousers, mask, accent, boots;
};

// Each kind reads apart by colour and outline: T1 (10 points) a grey-blue
// hoodie and jeans, hood up; T2 (20) olive fatigues, a cap and a pack; T3 (30)
// black body armour with red, a helmet and broad shoulders.
const Outfit kOutfits[3] = {
    {Hex(0x56657a), Hex(0x34425a), Hex(0x1d1f24), Hex(0x8293a8), Hex(0x1a1a1a)},
    {Hex(0x4f5d30), Hex(0x3b4424), Hex(0x1c1e18), Hex(0x8a9a48), Hex(0x2a2418)},
    {Hex(0x232427), Hex(0x1c1c1f), Hex(0x151314), Hex(0xd0281c), Hex(0x121010)},
};

// Side-view pose: angles in radians from straight down (limbs) or straight
// up (torso); positive turns toward the facing direction.
struct Pose {
  double hipX, hipY;     // in picture pixels, figure facing right
  double torso;          // lean forward (+) or back (-)
  double thighN, shinN;  // near leg: thigh angle, knee bend
  double thighF, shinF;  // far leg
  double upperN, foreN;  // near arm
  double upperF, foreF;  // far arm
  double rifle;          // rifle angle (0 level, + muzzle down)
  bool rifleHeld;        // false: dropped
  double rifleDropX, rifleDropY, rifleDropAngle;
};

constexpr double kThigh = 42, kShin = 44, kTorso = 58, kUpper = 32, kFore = 32;
constexpr double kLimb = 17;  // limb thickness

struct Pt {
  double x, y;
};
Pt Along(Pt from, double angleFromDown, double len) {
  return {from.x + std::sin(angleFromDown) * len, from.y + std::cos(angleFromDown) * len};
}

void Limb(cairo_t* cr, Pt a, Pt b, Pt c, Rgb colour, double thick) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_line_to(cr, c.x, c.y);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, thick + 4);
  cairo_stroke(cr);
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_line_to(cr, c.x, c.y);
  SetRgb(cr, colour);
  cairo_set_line_width(cr, thick);
  cairo_stroke(cr);
  // Highlight on the upper-left edge.
  cairo_move_to(cr, a.x - thick * 0.22, a.y - thick * 0.1);
  cairo_line_to(cr, b.x - thick * 0.22, b.y - thick * 0.1);
  SetRgb(cr, Lighter(colour, 0.25), 0.6);
  cairo_set_line_width(cr, thick * 0.25);
  cairo_stroke(cr);
}

void Boot(cairo_t* cr, Pt ankle, double shinAngle, Rgb colour) {
  cairo_save(cr);
  cairo_translate(cr, ankle.x, ankle.y);
  cairo_rotate(cr, -shinAngle);
  RoundedRect(cr, -8, -4, 24, 11, 4);
  SetRgb(cr, colour);
  cairo_fill_preserve(cr);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// A rifle lying along +x from `grip` at `angle` (side view).
void Rifle(cairo_t* cr, Pt at, double angle, double scale) {
  cairo_save(cr);
  cairo_translate(cr, at.x, at.y);
  cairo_rotate(cr, angle);
  cairo_scale(cr, scale, scale);
  // Stock behind the grip, barrel forward.
  cairo_move_to(cr, -30, -4);
  cairo_line_to(cr, -6, -5);
  cairo_line_to(cr, -6, 5);
  cairo_line_to(cr, -30, 9);
  cairo_close_path(cr);
  cairo_rectangle(cr, -6, -6, 44, 10);
  cairo_rectangle(cr, 38, -3, 26, 4);
  SetRgb(cr, Hex(0x0c0c0c));
  cairo_fill(cr);
  // Magazine and a glint.
  cairo_move_to(cr, 12, 4);
  cairo_line_to(cr, 22, 4);
  cairo_line_to(cr, 20, 18);
  cairo_line_to(cr, 12, 16);
  cairo_close_path(cr);
  SetRgb(cr, Hex(0x3a2a1a));
  cairo_fill(cr);
  cairo_rectangle(cr, -4, -6, 40, 2);
  SetRgb(cr, Hex(0x6a6e76));
  cairo_fill(cr);
  cairo_restore(cr);
}

void Head(cairo_t* cr, Pt neck, double tilt, const Outfit& o, int kind, bool facingViewer) {
  cairo_save(cr);
  cairo_translate(cr, neck.x, neck.y);
  cairo_rotate(cr, tilt);
  const double r = 15;
  Ellipse(cr, 0, -r - 2, r, r * 1.05);
  FillLit(cr, o.mask, -r, -2 * r, r, 0, 0.25);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  // Eye slit showing skin, with eyes.
  if (facingViewer) {
    RoundedRect(cr, -10, -r - 7, 20, 8, 3);
    SetRgb(cr, kSkin);
    cairo_fill(cr);
    Ellipse(cr, -4.5, -r - 3, 2, 2);
    Ellipse(cr, 4.5, -r - 3, 2, 2);
    SetRgb(cr, kInk);
    cairo_fill(cr);
  } else {
    RoundedRect(cr, 2, -r - 7, 14, 8, 3);
    SetRgb(cr, kSkin);
    cairo_fill(cr);
    Ellipse(cr, 10, -r - 3, 2, 2);
    SetRgb(cr, kInk);
    cairo_fill(cr);
  }
  // Kind marks: T1 a hood, T2 a cap, T3 a helmet with a red band.
  if (kind == 1) {
    cairo_new_path(cr);
    if (facingViewer) {
      cairo_arc(cr, 0, -r - 2, r + 4, kPi * 0.95, kPi * 2.05);
      cairo_line_to(cr, r + 5, -r + 8);
      cairo_line_to(cr, r - 1, -r + 8);
      cairo_arc_negative(cr, 0, -r - 2, r - 1, kPi * 2.0, kPi * 1.0);
      cairo_line_to(cr, -r - 5, -r + 8);
    } else {
      cairo_arc(cr, -2, -r - 3, r + 4, kPi * 0.55, kPi * 1.85);
      cairo_line_to(cr, 6, -2 * r - 1);
      cairo_curve_to(cr, -6, -2 * r + 2, -10, -r, -6, 2);
    }
    cairo_close_path(cr);
    FillLit(cr, o.jacket, -r - 4, -2 * r - 6, r + 4, 0, 0.3);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  } else if (kind == 2) {
    cairo_move_to(cr, -r, -r - 6);
    cairo_curve_to(cr, -r, -2 * r - 8, r, -2 * r - 8, r, -r - 6);
    cairo_close_path(cr);
    FillLit(cr, o.accent, -r, -2 * r - 8, r, -r - 6, 0.25);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    if (!facingViewer) {
      RoundedRect(cr, 4, -r - 10, 18, 5, 2);
      SetRgb(cr, Darker(o.accent, 0.3));
      cairo_fill(cr);
    }
  } else if (kind == 3) {
    // A helmet dome over the mask, rim low over the eyes, red band.
    cairo_new_path(cr);
    cairo_arc(cr, 0, -r - 4, r + 3, kPi, 2 * kPi);
    cairo_line_to(cr, r + (facingViewer ? 4 : 8), -r - 2);
    cairo_line_to(cr, -r - 4, -r - 2);
    cairo_close_path(cr);
    FillLit(cr, Hex(0x2e3034), -r - 3, -2 * r - 7, r + 3, -r - 2, 0.4);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_rectangle(cr, -r - 2, -r - 9, 2 * r + 4, 4);
    SetRgb(cr, o.accent);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

void Torso(cairo_t* cr, Pt hip, Pt neck, const Outfit& o, int kind) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  if (kind == 2) {  // a pack on the back
    RoundedRect(cr, neck.x - 34, neck.y + 8, 20, 36, 5);
    FillLit(cr, Darker(o.accent, 0.25), neck.x - 34, neck.y + 8, neck.x - 14, neck.y + 44, 0.3);
    SetRgb(cr, kInk);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
  const double girth = kind == 3 ? 38 : 30;  // armour makes the toughest kind broad
  cairo_move_to(cr, hip.x, hip.y);
  cairo_line_to(cr, neck.x, neck.y + 6);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, girth + 4);
  cairo_stroke(cr);
  cairo_move_to(cr, hip.x, hip.y);
  cairo_line_to(cr, neck.x, neck.y + 6);
  SetRgb(cr, o.jacket);
  cairo_set_line_width(cr, girth);
  cairo_stroke(cr);
  // Vest with pouches, and the light on the upper left.
  const double mx = (hip.x + neck.x) / 2, my = (hip.y + neck.y) / 2;
  cairo_move_to(cr, hip.x - 8, hip.y - 4);
  cairo_line_to(cr, neck.x - 8, neck.y + 10);
  SetRgb(cr, Lighter(o.jacket, 0.22), 0.7);
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  RoundedRect(cr, mx - 4, my - 2, 12, 10, 2);
  SetRgb(cr, o.accent, kind == 3 ? 0.0 : 0.9);
  cairo_fill(cr);
  // Belt.
  cairo_move_to(cr, hip.x - 14, hip.y - 2);
  cairo_line_to(cr, hip.x + 14, hip.y - 2);
  SetRgb(cr, Hex(0x0c0c0c));
  cairo_set_line_width(cr, 5);
  cairo_stroke(cr);
  if (kind == 3) {  // red armband
    Ellipse(cr, neck.x, neck.y + 22, 8, 6);
    SetRgb(cr, o.accent);
    cairo_fill(cr);
  }
}

void SidePose(cairo_t* cr, const Pose& p, const Outfit& o, int kind) {
  const Pt hip{p.hipX, p.hipY};
  const Pt neck = Along(hip, kPi - p.torso, kTorso);  // upward along the torso
  const Pt shoulder{neck.x, neck.y + 8};
  // Far limbs first, darker.
  {
    const Pt knee = Along(hip, p.thighF, kThigh);
    const Pt ankle = Along(knee, p.thighF - p.shinF, kShin);
    Limb(cr, hip, knee, ankle, Darker(o.trousers, 0.35), kLimb);
    Boot(cr, ankle, p.thighF - p.shinF, Darker(o.boots, 0.3));
    const Pt elbow = Along(shoulder, p.upperF, kUpper);
    const Pt hand = Along(elbow, p.upperF + p.foreF, kFore);
    Limb(cr, shoulder, elbow, hand, Darker(o.jacket, 0.35), kLimb - 2);
  }
  Torso(cr, hip, neck, o, kind);
  Head(cr, neck, p.torso, o, kind, false);
  {
    const Pt knee = Along(hip, p.thighN, kThigh);
    const Pt ankle = Along(knee, p.thighN - p.shinN, kShin);
    Limb(cr, hip, knee, ankle, o.trousers, kLimb);
    Boot(cr, ankle, p.thighN - p.shinN, o.boots);
  }
  const Pt elbow = Along(shoulder, p.upperN, kUpper);
  const Pt hand = Along(elbow, p.upperN + p.foreN, kFore);
  if (p.rifleHeld) Rifle(cr, hand, p.rifle, 1.0);
  Limb(cr, shoulder, elbow, hand, o.jacket, kLimb - 2);
  Ellipse(cr, hand.x, hand.y, 6, 6);
  SetRgb(cr, Hex(0x1a1a1a));
  cairo_fill(cr);
  if (!p.rifleHeld) Rifle(cr, {p.rifleDropX, p.rifleDropY}, p.rifleDropAngle, 1.0);
}

// Facing the player, rifle levelled at the camera (foreshortened).
void FrontPose(cairo_t* cr, const Outfit& o, int kind, bool flash) {
  const double cx = 100, feet = 196;
  // Legs apart.
  for (int side : {-1, 1}) {
    const Pt hip{cx + side * 9, feet - kThigh - kShin - 4};
    const Pt knee{cx + side * 16, feet - kShin - 2};
    const Pt ankle{cx + side * 20, feet - 6};
    Limb(cr, hip, knee, ankle, side < 0 ? o.trousers : Darker(o.trousers, 0.2), kLimb);
    RoundedRect(cr, ankle.x - 9, ankle.y - 3, 18, 9, 4);
    SetRgb(cr, o.boots);
    cairo_fill(cr);
  }
  const Pt hip{cx, feet - kThigh - kShin - 4};
  const Pt neck{cx, hip.y - kTorso};
  // Broad torso.
  RoundedRect(cr, cx - 22, neck.y + 2, 44, kTorso + 4, 12);
  FillLit(cr, o.jacket, cx - 22, neck.y, cx + 22, hip.y, 0.25);
  SetRgb(cr, kInk);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  RoundedRect(cr, cx - 15, neck.y + 16, 12, 12, 2);
  RoundedRect(cr, cx + 3, neck.y + 16, 12, 12, 2);
  SetRgb(cr, o.accent, 0.9);
  cairo_fill(cr);
  cairo_move_to(cr, cx - 22, hip.y - 4);
  cairo_line_to(cr, cx + 22, hip.y - 4);
  SetRgb(cr, Hex(0x0c0c0c));
  cairo_set_line_width(cr, 5);
  cairo_stroke(cr);
  Head(cr, {cx, neck.y + 2}, 0, o, kind, true);
  // Arms bent forward to the rifle held at the shoulder.
  const Pt sL{cx - 20, neck.y + 10}, sR{cx + 20, neck.y + 10};
  const Pt rifleAt{cx + 8, neck.y + 26};
  Limb(cr, sL, {cx - 26, neck.y + 34}, {rifleAt.x - 10, rifleAt.y + 10}, Darker(o.jacket, 0.1),
       kLimb - 3);
  // The rifle seen from the front: a dark block with the muzzle ring.
  RoundedRect(cr, rifleAt.x - 12, rifleAt.y - 10, 24, 22, 5);
  SetRgb(cr, Hex(0x0c0c0c));
  cairo_fill(cr);
  Ellipse(cr, rifleAt.x, rifleAt.y, 7, 7);
  SetRgb(cr, Hex(0x3a3e44));
  cairo_fill(cr);
  Ellipse(cr, rifleAt.x, rifleAt.y, 3, 3);
  SetRgb(cr, kInk);
  cairo_fill(cr);
  Limb(cr, sR, {cx + 26, neck.y + 34}, {rifleAt.x + 8, rifleAt.y + 12}, o.jacket, kLimb - 3);
  if (flash) {
    cairo_pattern_t* g =
        cairo_pattern_create_radial(rifleAt.x, rifleAt.y, 2, rifleAt.x, rifleAt.y, 40);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 0.85, 1);
    cairo_pattern_add_color_stop_rgba(g, 0.35, 1, 0.75, 0.2, 0.85);
    cairo_pattern_add_color_stop_rgba(g, 1, 1, 0.4, 0, 0);
    cairo_set_source(cr, g);
    cairo_new_path(cr);
    const int n = 10;
    for (int i = 0; i < n * 2; ++i) {
      const double a = i * kPi / n + 0.15;
      const double r = i % 2 ? 10 : (i % 4 == 0 ? 38 : 28);
      if (i == 0)
        cairo_move_to(cr, rifleAt.x + std::cos(a) * r, rifleAt.y + std::sin(a) * r);
      else
        cairo_line_to(cr, rifleAt.x + std::cos(a) * r, rifleAt.y + std::sin(a) * r);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    Ellipse(cr, rifleAt.x, rifleAt.y, 8, 8);
    SetRgb(cr, Hex(0xffffff));
    cairo_fill(cr);
  }
}

// Standing hip height: the legs reach the bottom row.
constexpr double kStandHip = 190 - kThigh - kShin;

double LegDrop(double thigh, double bend) {
  return kThigh * std::cos(thigh) + kShin * std::cos(thigh - bend);
}

Pose WalkPose(int frame) {
  // Contact, passing, contact, passing; rifle carried across the chest.
  static const double legs[4][4] = {{0.42, 0.05, -0.38, 0.25},
                                    {0.0, 0.05, 0.18, 0.75},
                                    {-0.38, 0.25, 0.42, 0.05},
                                    {0.18, 0.75, 0.0, 0.05}};
  const double* l = legs[(frame - 1) % 4];
  Pose p{};
  p.thighN = l[0];
  p.shinN = l[1];
  p.thighF = l[2];
  p.shinF = l[3];
  // The lower foot stands on the bottom row.
  p.hipY = 190 - std::max(LegDrop(p.thighN, p.shinN), LegDrop(p.thighF, p.shinF));
  p.hipX = 96;
  p.torso = 0.1;
  const double swing = frame % 2 ? (frame == 1 ? 0.12 : -0.12) : 0.0;
  p.upperN = 0.5 + swing;
  p.foreN = 0.9;
  p.upperF = 0.9 - swing;
  p.foreF = 0.5;
  p.rifle = -0.45;
  p.rifleHeld = true;
  return p;
}

// Frames 7-18: struck, knees buckle, falls backward, lies still.
Pose DiePose(int frame) {
  const int k = frame - 7;  // 0..11
  Pose p = WalkPose(1);
  p.thighN = 0.05;
  p.thighF = -0.05;
  p.shinN = p.shinF = 0.1;
  const double fall = std::min(1.0, std::max(0.0, (k - 1) / 5.0));  // 0..1 over frames 8-13
  const double bounce = (k == 6) ? 0.06 : 0.0;
  // Struck: torso thrown back, arms fly up.
  p.torso = -0.35 - 0.1 * std::min(k, 2);
  p.upperN = 2.2;
  p.foreN = 0.4;
  p.upperF = 2.6;
  p.foreF = 0.3;
  p.rifleHeld = k < 2;
  p.rifle = -1.2;
  // Knees buckle, then the body tips over backwards onto the ground.
  const double kneel = std::min(1.0, k / 3.0);
  p.thighN = 0.9 * kneel;
  p.shinN = 1.6 * kneel * (1 - fall) + 0.3 * fall;
  p.thighF = 0.6 * kneel;
  p.shinF = 1.4 * kneel * (1 - fall) + 0.2 * fall;
  p.hipY = kStandHip + 40 * kneel + (190 - 10 - (kStandHip + 40)) * fall;
  p.hipX = 100 + 10 * kneel - 18 * fall;
  p.torso = p.torso * (1 - fall) - (kPi / 2 - bounce) * fall;
  if (fall > 0.5) {  // legs straighten along the ground, to the right
    const double t = (fall - 0.5) * 2;
    p.thighN = p.thighN * (1 - t) + 1.3 * t;
    p.shinN = p.shinN * (1 - t) + 0.5 * t;
    p.thighF = p.thighF * (1 - t) + 1.45 * t;
    p.shinF = p.shinF * (1 - t) + 0.35 * t;
    p.upperN = p.upperN * (1 - t) + 1.75 * t;
    p.foreN = p.foreN * (1 - t) + 0.1 * t;
    p.upperF = p.upperF * (1 - t) + 1.6 * t;
    p.foreF = p.foreF * (1 - t) + 0.1 * t;
  }
  p.rifleDropX = 40 + 30 * fall;
  p.rifleDropY = 150 + 40 * fall;
  p.rifleDropAngle = -1.0 + 0.9 * fall;
  if (k >= 2 && fall >= 1.0) p.rifleDropY = 192;
  return p;
}

void DrawFigure(Canvas& c, int kind, int picture, bool left) {
  cairo_t* cr = c.cr();
  const Outfit& o = kOutfits[kind - 1];
  if (picture == 5 || picture == 6) {
    FrontPose(cr, o, kind, picture == 6);
    return;
  }
  cairo_save(cr);
  if (left) {  // mirror the right-walking figure
    cairo_translate(cr, c.width(), 0);
    cairo_scale(cr, -1, 1);
  }
  SidePose(cr, picture <= 4 ? WalkPose(picture) : DiePose(picture), o, kind);
  cairo_restore(cr);
}

void DrawTerrorist(Canvas& c, int kind, int picture, bool left) {
  cairo_t* cr = c.cr();
  // A soft ground shadow keeps the figure standing on the lane.
  const bool lying = picture >= 12;
  Ellipse(cr, 100, 194, lying ? 82 : 38, 5);
  SetRgb(cr, {0, 0, 0}, 0.28);
  cairo_fill(cr);
  Canvas figure(c.width(), c.height());
  DrawFigure(figure, kind, picture, left);
  cairo_set_source_surface(cr, figure.surface(), 0, 0);
  cairo_paint(cr);
  // A pale rim along the figure's upper-left edge, inside its outline so what
  // can be hit stays the same, broad enough to survive the far lane's scale
  // of 0.2: the dark figure reads against dark doorways and shade.
  Canvas rim(c.width(), c.height());
  cairo_set_source_surface(rim.cr(), figure.surface(), 0, 0);
  cairo_paint(rim.cr());
  cairo_set_operator(rim.cr(), CAIRO_OPERATOR_DEST_OUT);
  cairo_set_source_surface(rim.cr(), figure.surface(), 4, 4);
  cairo_paint(rim.cr());
  SetRgb(cr, Hex(0xdde6f0), 0.6);
  cairo_mask_surface(cr, rim.surface(), 0, 0);
}

}  // namespace

void AddPeoplePictures(PictureList& list) {
  for (int kind = 1; kind <= 3; ++kind) {
    const std::string folder = "Game/T" + std::to_string(kind);
    for (int p = 1; p <= 18; ++p)
      list.push_back({folder + "/" + std::to_string(p) + ".png", 200, 200,
                      [kind, p](Canvas& c) { DrawTerrorist(c, kind, p, false); }});
    for (int p = 1; p <= 4; ++p)
      list.push_back({folder + "R/" + std::to_string(p) + ".png", 200, 200,
                      [kind, p](Canvas& c) { DrawTerrorist(c, kind, p, true); }});
  }
}

}  // namespace assets
