#include "Icon.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <filesystem>

#include "Canvas.h"

namespace assets {
namespace {

constexpr int kIconSizes[] = {48, 128, 256};
constexpr double kDesign = 256;  // the drawing's own units; scaled to each size

// A dark olive badge lit from the upper left, the game's crosshair across it.
void DrawIcon(cairo_t* cr, double size) {
  cairo_scale(cr, size / kDesign, size / kDesign);
  const double c = kDesign / 2;
  RoundedRect(cr, 12, 12, 232, 232, 44);
  FillLit(cr, Hex(0x4a5a2c), 12, 12, 244, 244, 0.3);
  SetRgb(cr, {0, 0, 0}, 0.7);
  cairo_set_line_width(cr, 8);
  cairo_stroke(cr);

  auto cross = [&] {
    cairo_new_sub_path(cr);
    cairo_arc(cr, c, c, 70, 0, 2 * M_PI);
    for (int i = 0; i < 4; ++i) {
      const double a = i * M_PI / 2;
      cairo_move_to(cr, c + std::cos(a) * 30, c + std::sin(a) * 30);
      cairo_line_to(cr, c + std::cos(a) * 104, c + std::sin(a) * 104);
    }
  };
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cross();
  SetRgb(cr, {0, 0, 0}, 0.8);
  cairo_set_line_width(cr, 26);
  cairo_stroke(cr);
  cross();
  SetRgb(cr, Hex(0xf4fff0));
  cairo_set_line_width(cr, 13);
  cairo_stroke(cr);
  Ellipse(cr, c, c, 15, 15);
  SetRgb(cr, Hex(0xff2000));
  cairo_fill_preserve(cr);
  SetRgb(cr, {0, 0, 0}, 0.8);
  cairo_set_line_width(cr, 5);
  cairo_stroke(cr);
}

bool Check(cairo_t* cr, cairo_surface_t* surface, const std::string& path, std::string& error) {
  cairo_status_t status = cairo_status(cr);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
  if (status == CAIRO_STATUS_SUCCESS) return true;
  error = path + ": " + cairo_status_to_string(status);
  return false;
}

}  // namespace

bool WriteIcons(const std::string& dir, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (int size : kIconSizes) {
    const std::string folder = dir + "/" + std::to_string(size) + "x" + std::to_string(size);
    fs::create_directories(folder, ec);
    Canvas canvas(size, size);
    DrawIcon(canvas.cr(), size);
    if (!Check(canvas.cr(), canvas.surface(), folder, error) ||
        !canvas.SavePng(folder + "/gravelhorn2.png", error))
      return false;
  }
  const std::string folder = dir + "/scalable";
  fs::create_directories(folder, ec);
  const std::string path = folder + "/gravelhorn2.svg";
  cairo_surface_t* svg = cairo_svg_surface_create(path.c_str(), kDesign, kDesign);
  cairo_t* cr = cairo_create(svg);
  DrawIcon(cr, kDesign);
  bool ok = Check(cr, svg, path, error);
  cairo_destroy(cr);
  cairo_surface_finish(svg);  // writes the file
  if (ok && cairo_surface_status(svg) != CAIRO_STATUS_SUCCESS) {
    error = path + ": " + cairo_status_to_string(cairo_surface_status(svg));
    ok = false;
  }
  cairo_surface_destroy(svg);
  return ok;
}

}  // namespace assets
