#include "Previews.h"

#include <algorithm>
#include <cmath>

#include "Canvas.h"

namespace assets {

namespace {

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

bool WritePreviews(const Drawn& pictures, const std::string& previewDir, std::string& error) {
  return ContactSheet(pictures, previewDir + "/contact-sheet.png", error);
}

}  // namespace assets
