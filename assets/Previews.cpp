#include "Previews.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Files.h"

namespace assets {

namespace {

// One 800 x 600 view composed like the program composes it: screen plane x
// -16..16, y -12..12, 25 pixels per unit; every picture at its pixel size
// times its scale.
class View {
 public:
  View(const Drawn& pictures) : pictures_(pictures), canvas_(800, 600) {
    cairo_set_source_rgb(cr(), 0, 0, 0);
    cairo_paint(cr());
  }
  cairo_t* cr() const { return canvas_.cr(); }
  const Canvas& canvas() const { return canvas_; }

  cairo_surface_t* Get(const std::string& name) const {
    auto it = pictures_.find(name);
    return it == pictures_.end() ? nullptr : it->second;
  }
  static double Px(double x) { return 400 + x * 25; }
  static double Py(double y) { return 300 - y * 25; }

  // A picture centred at (x, y), drawn at scale times its pixel size.
  void Sprite(const std::string& name, double x, double y, double scale = 1.0, double alpha = 1.0) {
    cairo_surface_t* s = Get(name);
    if (!s) {
      missing_.push_back(name);
      return;
    }
    const double w = cairo_image_surface_get_width(s) * scale;
    const double h = cairo_image_surface_get_height(s) * scale;
    cairo_save(cr());
    cairo_translate(cr(), Px(x) - w / 2, Py(y) - h / 2);
    cairo_scale(cr(), scale, scale);
    cairo_set_source_surface(cr(), s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr()), CAIRO_FILTER_GOOD);
    cairo_paint_with_alpha(cr(), alpha);
    cairo_restore(cr());
  }
  // A widget picture placed by its lower-left corner like the widgets do.
  void Widget(const std::string& name, double left, double bottom, double alpha = 1.0) {
    cairo_surface_t* s = Get(name);
    if (!s) {
      missing_.push_back(name);
      return;
    }
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    Sprite(name, left + (w / 2) / 25.0, bottom + (h / 2) / 25.0, 1.0, alpha);
  }
  // Widget centre, for its caption.
  std::pair<double, double> Centre(const std::string& name, double left, double bottom) const {
    cairo_surface_t* s = Get(name);
    if (!s) return {left, bottom};
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    return {left + (w / 2) / 25.0, bottom + (h / 2) / 25.0};
  }

  // The engine's print as the program uses it: capitals about one unit high
  // at scale 1, spacing added to each advance, left end or centre at (x, y).
  void Print(const std::string& text, bool centred, double x, double y, double sx, double sy,
             double spacing, Rgb colour, double alpha = 1.0, bool shadow = false) {
    if (shadow) Print(text, centred, x - 0.2, y - 0.1, sx, sy, spacing, {0, 0, 0}, 0.5, false);
    cairo_t* c = cr();
    cairo_save(c);
    SetFont(c, Face::Bold, 25.0 / 0.729);
    double width = 0;
    for (char ch : text) {
      const char s[2] = {ch, 0};
      width += (TextWidth(c, s) * sx + spacing * 25.0);
    }
    double px = Px(x) - (centred ? width / 2 : 0);
    const double base = Py(y) + 25.0 * sy / 2;
    for (char ch : text) {
      const char s[2] = {ch, 0};
      cairo_save(c);
      cairo_translate(c, px, base);
      cairo_scale(c, sx, sy);
      cairo_move_to(c, 0, 0);
      SetRgb(c, colour, alpha);
      cairo_show_text(c, s);
      cairo_restore(c);
      px += TextWidth(c, s) * sx + spacing * 25.0;
    }
    cairo_restore(c);
  }

  bool Save(const std::string& path, std::string& error) {
    if (!missing_.empty()) {
      error = "preview " + path + " needs missing picture " + missing_.front();
      return false;
    }
    return canvas_.SavePng(path, error);
  }

 private:
  const Drawn& pictures_;
  Canvas canvas_;
  std::vector<std::string> missing_;
};

constexpr Rgb kCaption = {1, 0.47, 0};
constexpr Rgb kFocused = {1, 0, 0};
constexpr Rgb kEditText = {1, 0.28, 0};
constexpr Rgb kTitle = {1, 1, 0};
constexpr Rgb kGreen = {0.17, 1, 0};

void TextButton(View& v, const std::string& image, const std::string& caption, double left,
                double bottom, bool focused) {
  v.Widget(image + (focused ? "_1.png" : "_0.png"), left, bottom);
  auto [x, y] = v.Centre(image + "_0.png", left, bottom);
  v.Print(caption, true, x, y, 0.6, 0.6, -0.1, focused ? kFocused : kCaption);
}

void MainMenu(View& v) {
  v.Sprite("MenuBack.jpg", 0, 0);
  const char* captions[] = {"Start Game", "Options",       "High Score",
                            "Help",       "Visit Website", "Exit Game"};
  const double bottoms[] = {3.3, 1.0, -1.3, -3.6, -5.9, -8.2};
  for (int i = 0; i < 6; ++i) TextButton(v, "b1", captions[i], -6.0, bottoms[i], i == 1);
  v.Sprite("cursor.png", 2.5, 1.6);
}

void Options(View& v) {
  v.Sprite("MenuBack.jpg", 0, 0);
  v.Print("OPTIONS", false, 1.0, 7.7, 2, 2, -0.2, kTitle, 1, true);
  const char* labels[] = {"Display:", "Sound:", "Music:", "Your country:", "Boss Key:"};
  const double ys[] = {4.3, 2.0, -0.4, -2.5, -4.7};
  for (int i = 0; i < 5; ++i) v.Print(labels[i], false, -10.5, ys[i], 1, 1, -0.3, kGreen);
  v.Widget("Opt1_1.png", -5.0, 3.3, 1.0);
  v.Widget("Opt2_1.png", -6.0, 1.1, 0.6);
  v.Widget("Opt2_0.png", -6.0, -1.3, 0.6);
  v.Widget("Edit.png", -1.0, -3.6, 0.6);
  v.Print("Atlantis", false, -1.0 + 1.0, -3.6 + 1.0, 1, 1, -0.3, kEditText);
  v.Widget("BossKey.png", -4.0, -5.9, 0.6);
  v.Print("F12", true, 0, -4.9, 1, 1, -0.3, kEditText);
  TextButton(v, "b2", "Back", -2.8, -9.2, false);
  v.Sprite("cursor.png", 3.0, 4.0);
}

void HighScores(View& v, bool clearFocused) {
  v.Sprite("MenuBack.jpg", 0, 0);
  v.Sprite("HiScore.png", 0, -1.6);
  const char* names[] = {"Anonymous", "Sharpshooter", "Anonymous", "Mrs Wideletters", "Anonymous",
                         "Anonymous", "Anonymous",    "Anonymous", "Anonymous",       "Anonymous"};
  for (int i = 0; i < 10; ++i) {
    const double y = 4.1 - 1.43 * i;
    const double a = i == 0 ? 1.0 : 0.5;
    v.Print(std::to_string(i + 1), true, -7.5, y, 0.8, 0.8, -0.1, kCaption, a);
    v.Print(names[i], false, -3.8, y, 0.8, 0.8, -0.1, kCaption, a);
    v.Print(std::to_string(i == 1 ? 123450 : 5000 - 500 * i), true, 7.7, y, 0.8, 0.8, -0.1,
            kCaption, a);
  }
  v.Print("HIGH SCORE", false, -1.5, 7.9, 2, 2, -0.2, kTitle, 1, true);
  TextButton(v, "b2", "Back", -4.2, -12.0, false);
  v.Widget(clearFocused ? "b3_1.png" : "b3_0.png", -16.1, -2.8);
  v.Widget("b4_0.png", 10.3, -2.8);
}

void Question(View& v, bool name) {
  v.Sprite("MenuBack.jpg", 0, 0);
  if (!name) v.Sprite("HiScore.png", 0, -1.6);
  v.Sprite("Table.jpg", 0, 0);
  if (name) {
    v.Print("Your Scores is 123450", true, 0, 3.0, 1, 1, -0.2, kGreen);
    v.Print(" Please, enter your name:", true, 0, 1.0, 1, 1, -0.2, kGreen);
    v.Widget("Edit.png", -8.0, -2.2, 1.0);
    v.Print("WWWWWWWWWWWW", false, -7.0, -1.2, 1, 1, -0.3, kEditText);
    v.Sprite("EditCursor.png", -7.0 + 12 * 0.58 + 0.1, -1.2, 1.6 / 1.6 * 40.0 / 40.0);
  } else {
    v.Print("Do you want to clear", true, 0, 3.0, 1, 1, -0.2, kGreen);
    v.Print("the High Score Table?", true, 0, 1.0, 1, 1, -0.2, kGreen);
  }
  TextButton(v, "b2", "Yes", -8.8, -5.0, true);
  TextButton(v, "b2", "No", 0.2, -5.0, false);
}

void HelpPage(View& v, int page) {
  v.Sprite("MenuBack.jpg", 0, 0);
  if (page == 1) {
    int count = 0;
    const char* const* lines = HelpLines(count);
    const double offset = 3.0;  // a moment into the scroll
    for (int i = 0; i < count; ++i) {
      const double y = offset - 1.5 * i;
      double t = 0.94 - 0.06 * y - 0.018 * y * y;
      if (t <= 0) continue;
      t = std::min(1.0, t);
      v.Print(lines[i], true, 0, y, 1, 1, -0.3, {t, 0.5 * t + 0.5, 0}, t);
    }
  } else if (page == 2) {
    v.Sprite("Help_Bonus.png", 0, -1.5);
  } else if (page == 3) {
    v.Sprite("Help_CTRL.png", 2.0, -1.5);
    // The program prints the boss key set on the blank key cap.
    v.Print("F12", true, 2.0 - 14.8 + 256 / 25.0, -1.5 + 7.8 - 367 / 25.0, 0.5, 0.5, -0.1,
            {0.08, 0.09, 0.125}, 1);
  } else {
    v.Sprite("Help_About.png", 0, 0);
  }
  v.Print("HELP", false, -1.5, 7.9, 2, 2, -0.2, kTitle, 1, true);
  TextButton(v, "b2", "Back", -4.2, -12.0, false);
  if (page > 1) TextButton(v, "b5", "Prev", 4.0, -12.0, false);
  if (page < 4) TextButton(v, "b5", "Next", 9.6, -12.0, page == 2);
}

// --- the game --------------------------------------------------------------------

struct SceneExtras {
  std::function<void(View&)> behindFar;  // after the background and the first layer
  std::function<void(View&)> farLane;    // far walkers
  std::function<void(View&)> vehicles;   // cars, trains, trucks, boxes
  std::function<void(View&)> nearLane;   // near walkers
};

void Hud(View& v, int weapon, bool alarm) {
  v.Sprite("Game/Panel1.png", -12.4, 10.8);
  v.Sprite("Game/Panel2.png", 8.14, 10.8);
  v.Sprite("Game/Panel3.png", -5.24, -9.47);
  if (alarm) v.Sprite("Game/Alarm.png", -12.46, -11.06);
  for (int i = 0; i < 5; ++i)
    if (i != weapon) v.Sprite("Game/B" + std::to_string(i + 1) + ".png", -14.98 + 1.13 * i, -9.43);
  v.Sprite("Game/BGun" + std::to_string(weapon + 1) + ".png", -5.94, -9.47);
}

void HudText(View& v, const std::string& ammo, int lives, int health, int level, int score,
             const std::string& clock) {
  v.Print(ammo, true, -6.0, -11.3, 0.5, 0.35, -0.2, kGreen);
  v.Print(std::to_string(lives), true, 0.3, -10.5, 0.8, 1.0, -0.2, kGreen);
  v.Print(std::to_string(health), true, 2.3, -10.5, 0.6, 0.8, -0.2, kGreen);
  v.Print("LEVEL " + std::to_string(level), true, 13.5, 11.3, 0.6, 0.6, -0.2, kGreen);
  v.Print(std::to_string(score), true, 6.5, 11.3, 0.6, 0.6, -0.2, kGreen);
  v.Print(clock, true, -14.0, 11.3, 0.6, 0.6, -0.2, kGreen);
}

// Gun sprite positions and their first pictures.
const double kGunX[5] = {7.8, 9.14, 8.02, 9.87, 10.82};
const double kGunY[5] = {-7.09, -8.09, -7.73, -4.8, -3.4};

std::string GunPicture(int weapon, int column, bool firing) {
  static const int first[5] = {1, 9, 17, 25, 26};
  int n = first[weapon];
  if (weapon < 3) n += column + (firing ? 4 : 0);
  if (weapon == 4 && firing) n = 27;
  return "Game/Player/" + std::to_string(n) + ".png";
}

void Scene1(View& v, const SceneExtras& e) {
  // Creation order: background, far walkers, vehicles, boxes, layers 1-3,
  // near walkers, layers 4-5.
  v.Sprite("Game/level1.jpg", 0, 0);
  if (e.behindFar) e.behindFar(v);
  if (e.farLane) e.farLane(v);
  if (e.vehicles) e.vehicles(v);
  v.Sprite("Game/L1_1.png", 12.0, 3.5);
  v.Sprite("Game/L1_2.png", -11.1, 5.28);
  v.Sprite("Game/L1_3.png", -13.36, 2.8);
  if (e.nearLane) e.nearLane(v);
  v.Sprite("Game/L1_4.png", -12.28, -5.73);
  v.Sprite("Game/L1_5.png", 6.71, -3.89);
}

void Scene2(View& v, const SceneExtras& e) {
  v.Sprite("Game/level2.jpg", 0, 0);
  v.Sprite("Game/L2_1.png", 11.3, 1.35);
  if (e.behindFar) e.behindFar(v);
  if (e.farLane) e.farLane(v);
  if (e.vehicles) e.vehicles(v);
  v.Sprite("Game/L2_2.png", -7.7, 2.6);
  v.Sprite("Game/L2_3.png", -12.28, 1.91);
  if (e.nearLane) e.nearLane(v);
}

void Walker(View& v, int kind, bool left, int picture, double x, bool nearLane) {
  const std::string folder = "Game/T" + std::to_string(kind) + (left && picture <= 4 ? "R" : "");
  v.Sprite(folder + "/" + std::to_string(picture) + ".png", x, nearLane ? -2 : 0,
           nearLane ? 0.5 : 0.2);
}

// The picture's world width in units at scale 1 (what the program calls
// ScaleX x 1.6).
double Width(View& v, const std::string& name) {
  cairo_surface_t* s = v.Get(name);
  return s ? cairo_image_surface_get_width(s) / 25.0 : 0;
}

void Vehicle(View& v, const std::string& folder, double x, double y, bool arrow, int arrowFrame) {
  v.Sprite("Game/" + folder + "/1.png", x, y);
  if (arrow) {
    // Near the rear end, 2 units above the lane.
    const double scaleX = Width(v, "Game/" + folder + "/1.png") / 1.6;
    v.Sprite("Game/Arrow/" + std::to_string(arrowFrame) + ".png", x + (scaleX / 2 - 0.5), y + 2);
  }
}

void Truck(View& v, const std::string& cabin, const std::string& trailer, double gap, double cabinX,
           bool right, bool arrow) {
  const std::string r = right ? "R" : "";
  const double trailerX = right ? cabinX - gap : cabinX + gap;
  v.Sprite("Game/" + cabin + r + "/1.png", cabinX, 0.2);
  v.Sprite("Game/" + trailer + r + "/1.png", trailerX, 0.2);
  if (arrow) v.Sprite("Game/Arrow/1.png", (cabinX + trailerX) / 2, 0.2 + 4);
}

void Game1(View& v) {
  SceneExtras e;
  e.farLane = [](View& v) {
    Walker(v, 1, false, 2, -9.0, false);
    Walker(v, 2, true, 6, 3.0, false);
    Walker(v, 3, true, 3, 10.5, false);
  };
  e.vehicles = [](View& v) {
    Vehicle(v, "Mercedes", 1.5, -0.6, true, 1);
    // A bonus box on its way down and one lying open.
    v.Sprite("Game/Bonus/para.png", -4.0, 7.5);
    v.Sprite("Game/Bonus/6.png", 12.5, -1.0);
  };
  e.nearLane = [](View& v) {
    Walker(v, 2, false, 1, -7.5, true);
    Walker(v, 1, true, 5, 5.0, true);
    Walker(v, 3, false, 11, 12.5, true);
  };
  Scene1(v, e);
  Hud(v, 0, true);
  v.Sprite(GunPicture(0, 2, true), kGunX[0], kGunY[0]);
  HudText(v, "98/0", 3, 47, 1, 230, "0:37");
  v.Sprite("cursor2.png", 5.0, -2.0);
}

void Game1Trucks(View& v) {
  SceneExtras e;
  e.vehicles = [](View& v) {
    Truck(v, "K0", "KB1", 7, -6.5, false, true);
    v.Sprite("Game/Air2/1.png", 7.0, 6.0);
    v.Sprite("Game/Arrow/2.png", 7.0 + 3.5, 8.0);
  };
  e.farLane = [](View& v) { Walker(v, 1, false, 4, 0.0, false); };
  e.nearLane = [](View& v) { Walker(v, 3, true, 2, 9.5, true); };
  Scene1(v, e);
  Hud(v, 2, true);
  v.Sprite(GunPicture(2, 1, false), kGunX[2], kGunY[2]);
  HudText(v, "27/2", 2, 50, 7, 4120, "1:5");
}

void Game2(View& v) {
  SceneExtras e;
  e.farLane = [](View& v) {
    Walker(v, 2, false, 3, -12.0, false);
    Walker(v, 1, true, 6, 6.0, false);
  };
  e.vehicles = [](View& v) {
    Vehicle(v, "Train1", 4.0, 0.2, true, 1);
    v.Sprite("Game/Box1/3.png", -6.0, -1.0);
    v.Sprite("Game/Bonus/2.png", -6.0, -1.0);
    v.Sprite("Game/Box2/3.png", -6.0, -1.0);
    v.Sprite("Game/Fire/2.png", 0.5, 2.0);
  };
  e.nearLane = [](View& v) {
    Walker(v, 3, false, 6, -3.0, true);
    Walker(v, 2, true, 4, 8.0, true);
    Walker(v, 1, false, 15, 11.0, true);
  };
  Scene2(v, e);
  Hud(v, 3, true);
  v.Sprite(GunPicture(3, 1, false), kGunX[3], kGunY[3]);
  HudText(v, "1/2", 1, 12, 4, 1890, "0:9");
  v.Sprite("cursor2.png", 4.0, 1.0);
}

void Game2Trains(View& v) {
  SceneExtras e;
  e.vehicles = [](View& v) {
    Vehicle(v, "Train2", -2.0, 0.6, false, 1);
    v.Sprite("Game/Air4/1.png", -5.0, 6.0);
  };
  e.farLane = [](View& v) { Walker(v, 3, false, 1, -14.0, false); };
  e.nearLane = [](View& v) { Walker(v, 1, false, 6, 2.0, true); };
  Scene2(v, e);
  Hud(v, 4, false);
  v.Sprite(GunPicture(4, 3, true), kGunX[4], kGunY[4]);
  HudText(v, "1/0", 0, 50, 6, 98765, "0:52");
}

// Every gun picture at its place, one frame per weapon and column.
void Guns(const Drawn& pictures, const std::string& dir, std::string& error, bool& ok) {
  for (int weapon = 0; weapon < 5; ++weapon) {
    View v(pictures);
    v.Sprite("Game/level1.jpg", 0, 0);
    for (int col = 0; col < 4; ++col) {
      // Show the column's aim by a crosshair in its quarter of the screen.
      v.Sprite("cursor2.png", -12 + col * 8, 3);
    }
    v.Sprite(GunPicture(weapon, 0, false), kGunX[weapon], kGunY[weapon]);
    ok = ok && v.Save(dir + "/gun" + std::to_string(weapon + 1) + "-at-place.png", error);
  }
  // Sheet: all columns resting and firing, each at its real size.
  Canvas sheet(4 * 440, 10 * 440);
  cairo_t* cr = sheet.cr();
  cairo_set_source_rgb(cr, 0.35, 0.42, 0.5);
  cairo_paint(cr);
  for (int weapon = 0; weapon < 5; ++weapon)
    for (int firing = 0; firing < 2; ++firing)
      for (int col = 0; col < 4; ++col) {
        auto it = pictures.find(GunPicture(weapon, col, firing));
        if (it == pictures.end()) continue;
        cairo_set_source_surface(cr, it->second, col * 440 + 4, (weapon * 2 + firing) * 440 + 4);
        cairo_paint(cr);
      }
  ok = ok && sheet.SavePng(dir + "/guns-all.png", error);
}

void Terrorists(View& v) {
  v.Sprite("Game/level2.jpg", 0, 0);
  for (int kind = 1; kind <= 3; ++kind)
    for (int p = 1; p <= 18; ++p) {
      const double x = -15 + (p - 1) * 1.75;
      v.Sprite("Game/T" + std::to_string(kind) + "/" + std::to_string(p) + ".png", x,
               9.5 - (kind - 1) * 3.4, 0.35);
    }
  for (int kind = 1; kind <= 3; ++kind)
    for (int p = 1; p <= 4; ++p)
      v.Sprite("Game/T" + std::to_string(kind) + "R/" + std::to_string(p) + ".png",
               -15 + ((kind - 1) * 5 + p - 1) * 2.0, 0, 0.2);
  for (int kind = 1; kind <= 3; ++kind)
    for (int p = 1; p <= 4; ++p)
      v.Sprite("Game/T" + std::to_string(kind) + "R/" + std::to_string(p) + ".png",
               -15 + ((kind - 1) * 5 + p - 1) * 2.0, -2, 0.5);
}

void Vehicles(View& v) {
  v.Sprite("Game/level1.jpg", 0, 0);
  v.Sprite("Game/Air1/1.png", -10, 9.5);
  v.Sprite("Game/Air2/1.png", -2, 9.5);
  v.Sprite("Game/Air3/1.png", 6, 9.5);
  v.Sprite("Game/Air4/1.png", -9, 6);
  v.Sprite("Game/Air5/1.png", 6, 6);
  v.Sprite("Game/Mercedes/1.png", -10, 2.5);
  v.Sprite("Game/Audi/1.png", 0, 2.5);
  Truck(v, "K1", "KB0", 5, -12.0, true, false);
  Truck(v, "K2", "KB1", 6, 5.0, true, false);
  Truck(v, "K0", "KB0", 6, -11.0, false, false);
  v.Sprite("Game/K1/1.png", 6, -3.2);
  v.Sprite("Game/KB1/1.png", 6 + 6, -3.2);
  v.Sprite("Game/K2/1.png", 6, -7.5);
  v.Sprite("Game/KB0/1.png", 6 + 5, -7.5);
  v.Sprite("Game/K0R/1.png", -8, -7.5);
  v.Sprite("Game/KB1R/1.png", -8 - 7, -7.5);
}

void Trains(View& v) {
  v.Sprite("Game/level2.jpg", 0, 0);
  v.Sprite("Game/Train1/1.png", 0, 8);
  v.Sprite("Game/Train2/1.png", 0, 4);
  v.Sprite("Game/Train3/1.png", 0, 0.2);
  for (int f = 1; f <= 4; ++f) {
    v.Sprite("Game/Box1/" + std::to_string(f) + ".png", -12 + f * 4.5, -6);
    if (f > 1) v.Sprite("Game/Bonus/" + std::to_string(f) + ".png", -12 + f * 4.5, -6);
    v.Sprite("Game/Box2/" + std::to_string(f) + ".png", -12 + f * 4.5, -6);
    v.Sprite("Game/Fire/" + std::to_string(f) + ".png", -12 + f * 2, -10);
  }
  v.Sprite("Game/Bonus/para.png", -12, -6 + 2);
  v.Sprite("Game/Arrow/1.png", 8, -9);
  v.Sprite("Game/Arrow/2.png", 10, -9);
}

// Every picture in a grid, scaled down to fit its cell, name underneath.
bool ContactSheet(const Drawn& pictures, const std::string& path, std::string& error) {
  const int cell = 150, label = 26, cols = 12;
  const int rows = (static_cast<int>(pictures.size()) + cols - 1) / cols;
  Canvas sheet(cols * cell, rows * (cell + label));
  cairo_t* cr = sheet.cr();
  cairo_set_source_rgb(cr, 0.5, 0.52, 0.55);
  cairo_paint(cr);
  int i = 0;
  for (const auto& [name, surface] : pictures) {
    const int x = (i % cols) * cell, y = (i / cols) * (cell + label);
    // Checkerboard so transparency shows.
    for (int cy = 0; cy < cell; cy += 10)
      for (int cx = 0; cx < cell; cx += 10) {
        const bool dark = ((cx + cy) / 10) % 2;
        cairo_set_source_rgb(cr, dark ? 0.62 : 0.72, dark ? 0.62 : 0.72, dark ? 0.64 : 0.74);
        cairo_rectangle(cr, x + cx, y + cy, 10, 10);
        cairo_fill(cr);
      }
    const double w = cairo_image_surface_get_width(surface);
    const double h = cairo_image_surface_get_height(surface);
    const double s = std::min(1.0, std::min((cell - 8) / w, (cell - 8) / h));
    cairo_save(cr);
    cairo_translate(cr, x + (cell - w * s) / 2, y + (cell - h * s) / 2);
    cairo_scale(cr, s, s);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    SetFont(cr, Face::Condensed, 11);
    Text(cr, name, x + cell / 2.0, y + cell + 12, 0.5, Hex(0x101010));
    SetFont(cr, Face::Sans, 10);
    Text(cr, std::to_string(static_cast<int>(w)) + " x " + std::to_string(static_cast<int>(h)),
         x + cell / 2.0, y + cell + 23, 0.5, Hex(0x303030));
    ++i;
  }
  return sheet.SavePng(path, error);
}

}  // namespace

bool WritePreviews(const Drawn& pictures, const std::string& dir, std::string& error) {
  bool ok = ContactSheet(pictures, dir + "/contact-sheet.png", error);
  auto view = [&](const std::string& name, const std::function<void(View&)>& compose) {
    if (!ok) return;
    View v(pictures);
    compose(v);
    ok = v.Save(dir + "/" + name + ".png", error);
  };
  view("menu", MainMenu);
  view("options", Options);
  view("highscore", [](View& v) { HighScores(v, false); });
  view("highscore-clear-focused", [](View& v) { HighScores(v, true); });
  view("question-clear", [](View& v) { Question(v, false); });
  view("question-name", [](View& v) { Question(v, true); });
  for (int page = 1; page <= 4; ++page)
    view("help" + std::to_string(page), [page](View& v) { HelpPage(v, page); });
  view("game-scene1", Game1);
  view("game-scene1-truck", Game1Trucks);
  view("game-scene2", Game2);
  view("game-scene2-train", Game2Trains);
  view("terrorists", Terrorists);
  view("vehicles", Vehicles);
  view("trains-items", Trains);
  if (ok) Guns(pictures, dir, error, ok);
  return ok;
}

}  // namespace assets
