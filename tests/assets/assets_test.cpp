// The Data/ folder as the build writes it: every file the program opens,
// readable the way the program and the engine read it, pictures sized for the
// places the program puts them, and the same bytes on every run of assetgen.
#include <cairo.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/ScreenUnits.h"

namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(GH_BIN_DIR) / "Data";

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

uint32_t Be16(const std::string& s, size_t at) {
  return (static_cast<uint8_t>(s[at]) << 8) | static_cast<uint8_t>(s[at + 1]);
}
uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

struct Size {
  int w = 0, h = 0;
  bool operator==(const Size& o) const { return w == o.w && h == o.h; }
};

// The program's own reader (header bytes only).
Size ProgramSize(const std::string& rel) {
  const gh::Result<gh::ImageSize> size = gh::GetImageSize((kData / rel).string());
  EXPECT_TRUE(size) << rel;
  if (!size) return {0, 0};
  return {size->width, size->height};
}

// Every picture the program opens, below Data/.
std::vector<std::string> Pictures() {
  std::vector<std::string> v = {
      "loading.jpg",     "MenuBack.jpg",   "Table.jpg",          "HiScore.png", "Help_Bonus.png",
      "Help_CTRL.png",   "Help_About.png", "cursor.png",         "cursor2.png", "Hit.png",
      "smoke.png",       "Edit.png",       "EditCursor.png",     "BossKey.png", "Game/level1.jpg",
      "Game/level2.jpg", "Game/Alarm.png", "Game/Bonus/para.png"};
  for (const char* b : {"b1", "b2", "b3", "b4", "b5", "Opt1", "Opt2"})
    for (const char* s : {"_0.png", "_1.png"}) v.push_back(std::string(b) + s);
  for (const char* l : {"L1_1", "L1_2", "L1_3", "L1_4", "L1_5", "L2_1", "L2_2", "L2_3", "Panel1",
                        "Panel2", "Panel3"})
    v.push_back(std::string("Game/") + l + ".png");
  for (int i = 1; i <= 5; ++i) {
    v.push_back("Game/B" + std::to_string(i) + ".png");
    v.push_back("Game/BGun" + std::to_string(i) + ".png");
    v.push_back("Game/Air" + std::to_string(i) + "/1.png");
  }
  for (int k = 1; k <= 3; ++k) {
    for (int p = 1; p <= 18; ++p)
      v.push_back("Game/T" + std::to_string(k) + "/" + std::to_string(p) + ".png");
    for (int p = 1; p <= 4; ++p)
      v.push_back("Game/T" + std::to_string(k) + "R/" + std::to_string(p) + ".png");
    v.push_back("Game/Train" + std::to_string(k) + "/1.png");
  }
  for (const char* f :
       {"Mercedes", "Audi", "K0", "K1", "K2", "KB0", "KB1", "K0R", "K1R", "K2R", "KB0R", "KB1R"})
    v.push_back(std::string("Game/") + f + "/1.png");
  for (int p = 1; p <= 2; ++p) v.push_back("Game/Arrow/" + std::to_string(p) + ".png");
  for (int p = 1; p <= 4; ++p) {
    v.push_back("Game/Fire/" + std::to_string(p) + ".png");
    v.push_back("Game/Box1/" + std::to_string(p) + ".png");
    v.push_back("Game/Box2/" + std::to_string(p) + ".png");
  }
  for (int p = 1; p <= 8; ++p) v.push_back("Game/Bonus/" + std::to_string(p) + ".png");
  for (int p = 1; p <= 27; ++p) v.push_back("Game/Player/" + std::to_string(p) + ".png");
  return v;
}

std::vector<std::string> Sounds() {
  std::vector<std::string> v = {"Sound/Click.wav", "Sound/Menu.ogg", "Sound/Game.ogg"};
  for (int i = 0; i <= 15; ++i) v.push_back("Sound/" + std::to_string(i) + ".wav");
  return v;
}

std::vector<std::string> EveryFile() {
  std::vector<std::string> v = Pictures();
  for (const std::string& s : Sounds()) v.push_back(s);
  v.push_back("font/BancoDi.wid");
  v.push_back("sprite.x");
  v.push_back("Help.txt");
  v.push_back("version.txt");  // the data's digest, which recordings name
  return v;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Relative luminance (WCAG 2) of an sRGB colour.
double Luminance(const iColor& c) {
  auto linear = [](double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

double ContrastRatio(double l1, double l2) {
  return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

// A decoded PNG (cairo's reader), for alpha and colour checks.
class Png {
 public:
  explicit Png(const std::string& rel)
      : s_(cairo_image_surface_create_from_png((kData / rel).c_str())) {}
  ~Png() { cairo_surface_destroy(s_); }
  bool ok() const { return cairo_surface_status(s_) == CAIRO_STATUS_SUCCESS; }
  int w() const { return cairo_image_surface_get_width(s_); }
  int h() const { return cairo_image_surface_get_height(s_); }
  int Alpha(int x, int y) const {
    if (x < 0 || y < 0 || x >= w() || y >= h()) return 0;
    const auto* row = cairo_image_surface_get_data(s_) + y * cairo_image_surface_get_stride(s_);
    return reinterpret_cast<const uint32_t*>(row)[x] >> 24;
  }
  // Relative luminance (WCAG) of an opaque pixel; -1 where it is not opaque.
  double Luminance(int x, int y) const {
    if (Alpha(x, y) < 255) return -1;
    const auto* row = cairo_image_surface_get_data(s_) + y * cairo_image_surface_get_stride(s_);
    const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
    return ::Luminance(
        {((p >> 16) & 0xff) / 255.0f, ((p >> 8) & 0xff) / 255.0f, (p & 0xff) / 255.0f, 1});
  }
  // Lowest row holding anything visible, -1 if none.
  int LowestOpaqueRow() const {
    for (int y = h() - 1; y >= 0; --y)
      for (int x = 0; x < w(); ++x)
        if (Alpha(x, y) > 128) return y;
    return -1;
  }

 private:
  cairo_surface_t* s_;
};

// --- the list -------------------------------------------------------------------

TEST(DataFolder, HoldsEveryFileTheProgramOpensAndNothingElse) {
  ASSERT_TRUE(fs::is_directory(kData)) << kData;
  std::set<std::string> expected;
  for (const std::string& f : EveryFile()) {
    expected.insert(f);
    EXPECT_TRUE(fs::is_regular_file(kData / f)) << "missing " << f;
    if (fs::is_regular_file(kData / f)) {
      EXPECT_GT(fs::file_size(kData / f), 0u) << f;
    }
  }
  for (const auto& e : fs::recursive_directory_iterator(kData)) {
    if (e.is_regular_file()) {
      EXPECT_TRUE(expected.count(fs::relative(e.path(), kData).generic_string()))
          << "unexpected file " << e.path();
    }
  }
}

// --- pictures ---------------------------------------------------------------------

TEST(Pictures, PngsAreRgbaAndDecode) {
  for (const std::string& p : Pictures()) {
    if (!EndsWith(p, ".png")) continue;
    SCOPED_TRACE(p);
    const std::string bytes = ReadFile(kData / p);
    ASSERT_GE(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(static_cast<uint8_t>(bytes[24]), 8) << "bit depth";
    EXPECT_EQ(static_cast<uint8_t>(bytes[25]), 6) << "colour type RGBA";
    Png png(p);
    ASSERT_TRUE(png.ok());
    // The program reads the size from the header; it must match the pixels.
    EXPECT_EQ(ProgramSize(p), (Size{png.w(), png.h()}));
  }
}

// Start of image, one JFIF segment, two quantisation tables each in its own
// segment, then the baseline frame header at byte 158: the program reads the
// height and width at bytes 163-166 without parsing markers.
TEST(Pictures, JpegsHaveTheLayoutTheSizeReaderNeeds) {
  for (const std::string& p : Pictures()) {
    if (!EndsWith(p, ".jpg")) continue;
    SCOPED_TRACE(p);
    const std::string b = ReadFile(kData / p);
    ASSERT_GE(b.size(), 170u);
    EXPECT_EQ(Be16(b, 0), 0xFFD8u);
    EXPECT_EQ(Be16(b, 2), 0xFFE0u);
    EXPECT_EQ(Be16(b, 4), 16u) << "JFIF segment of 18 bytes with its marker";
    EXPECT_EQ(b.substr(6, 5), std::string("JFIF\0", 5));
    EXPECT_EQ(Be16(b, 20), 0xFFDBu);
    EXPECT_EQ(Be16(b, 22), 67u);
    EXPECT_EQ(Be16(b, 89), 0xFFDBu);
    EXPECT_EQ(Be16(b, 91), 67u);
    EXPECT_EQ(Be16(b, 158), 0xFFC0u) << "baseline frame header";
    for (size_t i = 2; i + 1 < 158; ++i)  // no Adobe or other segment before it
      if (static_cast<uint8_t>(b[i]) == 0xFF && static_cast<uint8_t>(b[i + 1]) == 0xEE)
        ADD_FAILURE() << "Adobe marker at " << i;

    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, reinterpret_cast<const unsigned char*>(b.data()), b.size());
    ASSERT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
    EXPECT_FALSE(d.progressive_mode);
    jpeg_start_decompress(&d);
    std::vector<unsigned char> row(d.output_width * d.output_components);
    while (d.output_scanline < d.output_height) {
      JSAMPROW r = row.data();
      jpeg_read_scanlines(&d, &r, 1);
    }
    EXPECT_EQ(ProgramSize(p),
              (Size{static_cast<int>(d.output_width), static_cast<int>(d.output_height)}));
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
  }
}

// Sizes the layout fixes: widgets placed by their lower-left corner, screens
// shown whole.
TEST(Pictures, WidgetAndScreenSizesFitTheirPlaces) {
  const std::map<std::string, Size> fixed = {
      {"MenuBack.jpg", {800, 600}},    {"loading.jpg", {800, 600}}, {"Game/level1.jpg", {800, 600}},
      {"Game/level2.jpg", {800, 600}}, {"b1_0.png", {300, 50}},     {"b2_0.png", {200, 50}},
      {"b5_0.png", {130, 50}},         {"Edit.png", {280, 50}},     {"BossKey.png", {200, 50}},
      {"Opt1_0.png", {330, 50}},       {"Opt2_0.png", {150, 50}},
  };
  for (const auto& [name, size] : fixed) EXPECT_EQ(ProgramSize(name), size) << name;
  // Both pictures of a pair share a size.
  for (const char* b : {"b1", "b2", "b3", "b4", "b5", "Opt1", "Opt2"})
    EXPECT_EQ(ProgramSize(std::string(b) + "_0.png"), ProgramSize(std::string(b) + "_1.png")) << b;

  // The high-score screen: Clear at left -16.1 and World scores at 10.3 stay
  // inside the view and clear of the table rows (x -8.5 .. 9.5) and its frame.
  const Size b3 = ProgramSize("b3_0.png"), b4 = ProgramSize("b4_0.png");
  const Size frame = ProgramSize("HiScore.png");
  EXPECT_LE(-16.1 + b3.w / 25.0, -frame.w / 50.0) << "Clear overlaps the table frame";
  EXPECT_LE(10.3 + b4.w / 25.0, 16.0) << "World scores leaves the view";
  EXPECT_GE(10.3, frame.w / 50.0) << "World scores overlaps the table frame";
  EXPECT_GE(frame.w / 50.0, 9.5);
  // The frame (centre (0, -1.6)) holds the ten rows, 4.1 down to -8.77, and
  // stays under the title and above the Back button.
  EXPECT_GE(-1.6 + frame.h / 50.0, 4.1 + 0.5);
  EXPECT_LE(-1.6 - frame.h / 50.0, -8.77 - 0.5);
  EXPECT_LE(-1.6 + frame.h / 50.0, 6.9);
  EXPECT_GE(-1.6 - frame.h / 50.0, -10.0);

  // The question box (centre 0, 0) holds the text lines at 3.0 and 1.0, the
  // name box (-8 .. 8) and the Yes / No buttons (-8.8 .. 8.2, down to -5.0).
  const Size table = ProgramSize("Table.jpg");
  EXPECT_GE(table.w / 50.0, 8.8 + 0.5);
  EXPECT_GE(table.h / 50.0, 5.0 + 0.5);
  EXPECT_LE(table.h / 50.0, 12.0);
  // Asked over the high-score screen, it hides the table's frame (centre
  // (0, -1.6)) whole.
  EXPECT_GE(table.w, frame.w);
  EXPECT_LE(-table.h / 50.0, -1.6 - frame.h / 50.0) << "the table shows under the question";
  EXPECT_GE(table.h / 50.0, -1.6 + frame.h / 50.0);

  // Help pages 2-4 show their panel (what is drawn of the picture) at one
  // place and size, between the "HELP" title (its letters end at y 7.0) and
  // the buttons (up to -10), inside the view.
  const struct {
    const char* name;
    double cx, cy;
  } pages[] = {{"Help_Bonus.png", 0, -1.5}, {"Help_CTRL.png", 2.0, -1.5}, {"Help_About.png", 0, 0}};
  std::vector<std::array<double, 4>> panels;
  for (const auto& p : pages) {
    const Png png(p.name);
    ASSERT_TRUE(png.ok()) << p.name;
    int left = png.w(), right = -1, top = png.h(), bottom = -1;
    for (int y = 0; y < png.h(); ++y)
      for (int x = 0; x < png.w(); ++x)
        if (png.Alpha(x, y) > 128) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    ASSERT_GE(right, 0) << p.name;
    // Screen units of the panel's edges.
    const std::array<double, 4> edges = {
        p.cx + (left - png.w() / 2.0) / 25.0, p.cx + (right + 1 - png.w() / 2.0) / 25.0,
        p.cy + (png.h() / 2.0 - top) / 25.0, p.cy + (png.h() / 2.0 - bottom - 1) / 25.0};
    EXPECT_GE(edges[0], -16.0) << p.name;
    EXPECT_LE(edges[1], 16.0) << p.name;
    EXPECT_LE(edges[2], 7.0 - 0.5) << p.name << " touches the title";
    EXPECT_GE(edges[3], -10.0) << p.name;
    panels.push_back(edges);
  }
  for (size_t i = 1; i < panels.size(); ++i)
    for (int e = 0; e < 4; ++e)
      EXPECT_NEAR(panels[i][e], panels[0][e], 0.05) << pages[i].name << " edge " << e;
  // The menu pointer is centred on the pointer position: its tip is the
  // picture's centre, so the centre pixel must be drawn.
  Png pointer("cursor.png");
  EXPECT_GT(pointer.Alpha(pointer.w() / 2, pointer.h() / 2), 128);
  Png cross("cursor2.png");
  EXPECT_GT(cross.Alpha(cross.w() / 2, cross.h() / 2), 128);
}

// Every picture of one animated sprite is drawn with the first one's size.
TEST(Pictures, AnimationFramesShareTheirSize) {
  auto same = [](const std::vector<std::string>& names) {
    for (const std::string& n : names)
      EXPECT_EQ(ProgramSize(n), ProgramSize(names.front())) << n << " vs " << names.front();
  };
  for (int k = 1; k <= 3; ++k) {
    // Walking, shooting and dying sprites stand at the same place: one size.
    std::vector<std::string> v;
    for (int p = 1; p <= 18; ++p)
      v.push_back("Game/T" + std::to_string(k) + "/" + std::to_string(p) + ".png");
    for (int p = 1; p <= 4; ++p)
      v.push_back("Game/T" + std::to_string(k) + "R/" + std::to_string(p) + ".png");
    same(v);
  }
  for (const auto& [first, last] : {std::pair{1, 8}, {9, 16}, {17, 24}, {26, 27}}) {
    std::vector<std::string> v;
    for (int p = first; p <= last; ++p) v.push_back("Game/Player/" + std::to_string(p) + ".png");
    same(v);
  }
  same({"Game/Arrow/1.png", "Game/Arrow/2.png"});
  same({"Game/Fire/1.png", "Game/Fire/2.png", "Game/Fire/3.png", "Game/Fire/4.png"});
  same({"Game/Box1/1.png", "Game/Box1/2.png", "Game/Box1/3.png", "Game/Box1/4.png",
        "Game/Box2/1.png", "Game/Box2/2.png", "Game/Box2/3.png", "Game/Box2/4.png"});
  std::vector<std::string> bonus;
  for (int p = 1; p <= 8; ++p) bonus.push_back("Game/Bonus/" + std::to_string(p) + ".png");
  same(bonus);
  for (const char* f : {"K0", "K1", "K2", "KB0", "KB1"})
    same({std::string("Game/") + f + "/1.png", std::string("Game/") + f + "R/1.png"});
}

// Cabin and trailer centres are Gap units apart (25 pixels per unit at scale
// 1): the two pictures meet exactly.
TEST(Pictures, TruckCabinAndTrailerMeetAtTheirGap) {
  const struct {
    const char* cabin;
    const char* trailer;
    int gap;
  } trucks[] = {{"K0", "KB0", 6}, {"K1", "KB0", 5}, {"K2", "KB0", 5},
                {"K0", "KB1", 7}, {"K1", "KB1", 6}, {"K2", "KB1", 6}};
  for (const auto& t : trucks)
    for (const char* r : {"", "R"}) {
      const Size c = ProgramSize(std::string("Game/") + t.cabin + r + "/1.png");
      const Size tr = ProgramSize(std::string("Game/") + t.trailer + r + "/1.png");
      EXPECT_EQ(c.w + tr.w, t.gap * 50) << t.cabin << r << " + " << t.trailer << r;
      EXPECT_EQ(c.h, tr.h) << t.cabin << " and " << t.trailer << " stand on one lane";
    }
}

// Every HUD text is printed on its panel: the panel is drawn at the text's
// place. Panels are world quads at their picture size, centred as placed.
TEST(Pictures, HudTextsSitOnTheirPanels) {
  struct Spot {
    double x, y;
  };
  const struct {
    const char* panel;
    double cx, cy;
    std::vector<Spot> spots;
  } panels[] = {
      {"Game/Panel1.png", -12.4, 10.8, {{-14.0, 11.3}}},
      {"Game/Panel2.png", 8.14, 10.8, {{6.5, 11.3}, {13.5, 11.3}}},
      {"Game/Panel3.png",
       -5.24,
       -9.47,
       {{-6.0, -11.3},
        {0.3, -10.5},
        {2.3, -10.5},
        {-5.94, -9.47},
        {-12.46, -11.06},
        {-14.98, -9.43},
        {-10.46, -9.43}}},
  };
  for (const auto& p : panels) {
    Png png(p.panel);
    ASSERT_TRUE(png.ok()) << p.panel;
    for (const Spot& s : p.spots) {
      const int px = static_cast<int>(png.w() / 2.0 + (s.x - p.cx) * 25);
      const int py = static_cast<int>(png.h() / 2.0 - (s.y - p.cy) * 25);
      EXPECT_GT(png.Alpha(px, py), 200) << p.panel << " at (" << s.x << ", " << s.y << ")";
    }
  }
  // The weapon picture and the alarm fit inside Panel3 as well.
  const Size panel = ProgramSize("Game/Panel3.png");
  for (const auto& [name, x, y] :
       {std::tuple{"Game/BGun1.png", -5.94, -9.47}, {"Game/Alarm.png", -12.46, -11.06}}) {
    const Size s = ProgramSize(name);
    EXPECT_GE(x - s.w / 50.0, -5.24 - panel.w / 50.0) << name;
    EXPECT_LE(x + s.w / 50.0, -5.24 + panel.w / 50.0) << name;
    EXPECT_LE(y + s.h / 50.0, -9.47 + panel.h / 50.0) << name;
  }
  // Neighbouring weapon icons (1.13 units apart) do not overlap.
  EXPECT_LE(ProgramSize("Game/B1.png").w, static_cast<int>(1.13 * 25));
}

// A button's caption is printed on its face: orange on the plain face, red on
// the focused one. Every bit of face the caption can cover, between the rivets
// and across the caption's rows, gives the caption at least 4.5:1.
TEST(Pictures, CaptionsReadOnTheirButtonFaces) {
  for (const char* button : {"b1", "b2", "b5"}) {
    for (const auto& [state, caption] :
         {std::pair{"_0.png", gh::ColourCaption}, {"_1.png", gh::ColourFocused}}) {
      const std::string name = std::string(button) + state;
      Png png(name);
      ASSERT_TRUE(png.ok()) << name;
      // Captions are printed 0.6 units high (15 px) on the face's middle row.
      double lightest = 0;
      for (int y = png.h() / 2 - 10; y <= png.h() / 2 + 10; ++y)
        for (int x = 22; x < png.w() - 22; ++x) lightest = std::max(lightest, png.Luminance(x, y));
      EXPECT_GE(ContrastRatio(Luminance(caption), lightest), 4.5) << name;
    }
  }
}

// Walkers stand on their lane: the feet are on the picture's bottom rows in
// every walking and shooting picture.
TEST(Pictures, TerroristsStandOnTheBottomRow) {
  for (int k = 1; k <= 3; ++k)
    for (const std::string& folder :
         {"Game/T" + std::to_string(k), "Game/T" + std::to_string(k) + "R"})
      for (int p = 1; p <= (folder.back() == 'R' ? 4 : 6); ++p) {
        Png png(folder + "/" + std::to_string(p) + ".png");
        ASSERT_TRUE(png.ok());
        EXPECT_GE(png.LowestOpaqueRow(), png.h() * 93 / 100) << folder << "/" << p;
      }
}

// --- other files ------------------------------------------------------------

TEST(OtherFiles, HelpTextIsShortAsciiLines) {
  std::ifstream f(kData / "Help.txt", std::ios::binary);
  ASSERT_TRUE(f);
  std::string line;
  int count = 0, nonEmpty = 0;
  while (std::getline(f, line)) {
    ++count;
    if (!line.empty()) ++nonEmpty;
    EXPECT_LE(line.size(), 40u) << "line " << count << " too long to print centred: " << line;
    for (unsigned char c : line) EXPECT_TRUE(c >= 32 && c < 127) << "line " << count;
  }
  EXPECT_LT(count, 255);
  EXPECT_GT(nonEmpty, 20);
}

TEST(OtherFiles, QuadModelAndFont) {
  const std::string model = ReadFile(kData / "sprite.x");
  EXPECT_EQ(model.rfind("gravelhorn-quad 1\n", 0), 0u);
  EXPECT_NE(model.find("\nsize 1.6 1.6\n"), std::string::npos);
  const std::string font = ReadFile(kData / "font/BancoDi.wid");
  ASSERT_GE(font.size(), 12u);
  EXPECT_EQ(font.substr(0, 4), std::string("\0\1\0\0", 4)) << "a TrueType font";
}

// --- sounds ------------------------------------------------------------------

TEST(Sounds, WavesAre16BitPcmWithData) {
  for (const std::string& s : Sounds()) {
    if (!EndsWith(s, ".wav")) continue;
    SCOPED_TRACE(s);
    const std::string b = ReadFile(kData / s);
    ASSERT_GE(b.size(), 44u);
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(Le(b, 4, 4), b.size() - 8);
    EXPECT_EQ(b.substr(8, 4), "WAVE");
    // Walk the chunks: fmt first, then data.
    size_t at = 12;
    bool fmt = false, data = false;
    while (at + 8 <= b.size()) {
      const std::string id = b.substr(at, 4);
      const uint32_t len = Le(b, at + 4, 4);
      ASSERT_LE(at + 8 + len, b.size()) << "chunk " << id << " runs past the end";
      if (id == "fmt ") {
        fmt = true;
        EXPECT_EQ(Le(b, at + 8, 2), 1u) << "PCM";
        const uint32_t channels = Le(b, at + 10, 2);
        EXPECT_TRUE(channels == 1 || channels == 2);
        EXPECT_GE(Le(b, at + 12, 4), 8000u);
        EXPECT_EQ(Le(b, at + 22, 2), 16u) << "16-bit";
      } else if (id == "data") {
        data = true;
        EXPECT_TRUE(fmt) << "data before fmt";
        EXPECT_GT(len, 0u);
        EXPECT_EQ(len % 2, 0u);
      }
      at += 8 + len + (len & 1);
    }
    EXPECT_TRUE(fmt && data);
  }
}

TEST(Sounds, TunesDecodeAndLastAMinuteOrMore) {
  for (const char* tune : {"Sound/Menu.ogg", "Sound/Game.ogg"}) {
    SCOPED_TRACE(tune);
    OggVorbis_File vf;
    ASSERT_EQ(ov_fopen((kData / tune).c_str(), &vf), 0);
    const vorbis_info* info = ov_info(&vf, -1);
    ASSERT_NE(info, nullptr);
    long decoded = 0;
    char buf[8192];
    int section = 0;
    for (;;) {
      const long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
      ASSERT_GE(n, 0) << "decode error";
      if (n == 0) break;
      decoded += n;
    }
    const double seconds = static_cast<double>(decoded) / (2.0 * info->channels * info->rate);
    EXPECT_GE(seconds, 60.0);
    ov_clear(&vf);
  }
}

// --- determinism ----------------------------------------------------------------

TEST(Assetgen, TwoRunsWriteIdenticalFiles) {
  const fs::path base = fs::temp_directory_path() / ("gh-assetgen-" + std::to_string(getpid()));
  fs::remove_all(base);
  const fs::path a = base / "a", b = base / "b";
  for (const fs::path& dir : {a, b}) {
    const std::string cmd = std::string("\"") + GH_ASSETGEN + "\" \"" + dir.string() + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
  std::set<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(a))
    if (e.is_regular_file()) files.insert(fs::relative(e.path(), a).generic_string());
  EXPECT_GE(files.size(), EveryFile().size());
  for (const std::string& f : files) {
    EXPECT_TRUE(ReadFile(a / f) == ReadFile(b / f)) << f << " differs between runs";
    // And the build's own Data/ holds the same bytes.
    EXPECT_TRUE(ReadFile(a / f) == ReadFile(kData / f)) << f << " differs from the build's";
  }
  for (const auto& e : fs::recursive_directory_iterator(b)) {
    if (e.is_regular_file()) {
      EXPECT_TRUE(files.count(fs::relative(e.path(), b).generic_string())) << e.path();
    }
  }
  fs::remove_all(base);
}

}  // namespace

namespace {

cairo_status_t ReadFromString(void* closure, unsigned char* data, unsigned int length) {
  auto* source = static_cast<std::pair<const std::string*, size_t>*>(closure);
  if (source->second + length > source->first->size()) return CAIRO_STATUS_READ_ERROR;
  std::copy_n(source->first->data() + source->second, length, data);
  source->second += length;
  return CAIRO_STATUS_SUCCESS;
}

// One picture of an icon file as straight RGBA rows, top first (empty if it is
// neither a PNG nor a 32-bit bitmap of the size its entry gives).
std::vector<std::array<uint8_t, 4>> IconPixels(const std::string& image, int size) {
  std::vector<std::array<uint8_t, 4>> pixels;
  if (image.rfind("\x89PNG", 0) == 0) {
    std::pair<const std::string*, size_t> source{&image, 0};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadFromString, &source);
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS &&
        cairo_image_surface_get_width(s) == size && cairo_image_surface_get_height(s) == size) {
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          const uint32_t p = reinterpret_cast<const uint32_t*>(
              cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
          const uint32_t a = p >> 24;
          auto straight = [&](int shift) {
            return static_cast<uint8_t>(a ? std::min<uint32_t>(255, ((p >> shift) & 0xff) * 255 / a)
                                          : 0);
          };
          pixels.push_back({straight(16), straight(8), straight(0), static_cast<uint8_t>(a)});
        }
    }
    cairo_surface_destroy(s);
    return pixels;
  }
  const size_t maskRow = ((size + 31) / 32) * 4;
  if (image.size() != 40 + size * size * 4 + maskRow * size || Le(image, 0, 4) != 40 ||
      Le(image, 4, 4) != static_cast<uint32_t>(size) ||
      Le(image, 8, 4) != static_cast<uint32_t>(2 * size) || Le(image, 14, 2) != 32 ||
      Le(image, 16, 4) != 0)
    return pixels;
  for (int y = size - 1; y >= 0; --y)  // bottom row first in the file
    for (int x = 0; x < size; ++x) {
      const size_t at = 40 + (static_cast<size_t>(y) * size + x) * 4;
      pixels.push_back({static_cast<uint8_t>(image[at + 2]), static_cast<uint8_t>(image[at + 1]),
                        static_cast<uint8_t>(image[at]), static_cast<uint8_t>(image[at + 3])});
    }
  return pixels;
}

}  // namespace

// The Windows program's icon: an icon file with the sizes Explorer and the task
// bar ask for, each picture where its entry says, of its size, and the drawing
// itself (clear corners, the badge's olive, the red centre dot), not a blank.
TEST(Icons, TheWindowsIconHoldsEverySizeOfTheDrawing) {
  const fs::path dir = fs::temp_directory_path() / "gh_assets_icons";
  fs::remove_all(dir);
  const std::string cmd = std::string("\"") + GH_ASSETGEN + "\" --icons \"" + dir.string() + "\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  const std::string ico = ReadFile(dir / "gravelhorn2.ico");
  ASSERT_GE(ico.size(), 6u) << "no icon file";
  EXPECT_EQ(Le(ico, 0, 2), 0u);
  EXPECT_EQ(Le(ico, 2, 2), 1u) << "not an icon";
  const int count = static_cast<int>(Le(ico, 4, 2));
  ASSERT_GE(ico.size(), 6u + 16 * count);
  std::set<int> sizes;
  size_t end = 6 + 16 * count;
  for (int i = 0; i < count; ++i) {
    const size_t entry = 6 + 16 * i;
    const int size = ico[entry] ? static_cast<uint8_t>(ico[entry]) : 256;
    SCOPED_TRACE("size " + std::to_string(size));
    sizes.insert(size);
    EXPECT_EQ(static_cast<uint8_t>(ico[entry + 1]), static_cast<uint8_t>(ico[entry]));
    EXPECT_EQ(Le(ico, entry + 6, 2), 32u);
    const uint32_t bytes = Le(ico, entry + 8, 4), offset = Le(ico, entry + 12, 4);
    ASSERT_EQ(offset, end) << "pictures follow each other";
    ASSERT_LE(offset + bytes, ico.size());
    end = offset + bytes;
    const auto pixels = IconPixels(ico.substr(offset, bytes), size);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(size * size)) << "does not decode";
    const auto at = [&](double fx, double fy) {
      return pixels[static_cast<int>(fy * size) * size + static_cast<int>(fx * size)];
    };
    EXPECT_EQ(at(0, 0)[3], 0) << "corner not clear";
    const auto centre = at(0.5, 0.5);
    EXPECT_GT(centre[0], 120);
    EXPECT_GT(centre[0], 2 * centre[1]) << "not the red dot";
    EXPECT_EQ(centre[3], 255);
    const auto badge = at(0.3, 0.15);  // 0x4a5a2c lit from the upper left
    EXPECT_EQ(badge[3], 255);
    EXPECT_GT(badge[1], badge[2]);
    EXPECT_LT(badge[0], 160);
  }
  EXPECT_EQ(end, ico.size());
  EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64, 256}));
  fs::remove_all(dir);
}
