// Drawing surface and file writers shared by every picture of the asset pack.
#pragma once
#include <cairo.h>

#include <cstdint>
#include <string>

namespace assets {

struct Rgb {
  double r, g, b;
};

// Colour from 0xRRGGBB.
constexpr Rgb Hex(uint32_t v) {
  return {((v >> 16) & 0xff) / 255.0, ((v >> 8) & 0xff) / 255.0, (v & 0xff) / 255.0};
}
Rgb Mix(Rgb a, Rgb b, double t);
Rgb Lighter(Rgb c, double t);  // toward white by t
Rgb Darker(Rgb c, double t);   // toward black by t

// An ARGB picture being drawn; owns its cairo surface and context.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return cr_; }
  cairo_surface_t* surface() const { return surface_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // PNG with alpha (cairo's writer, deterministic).
  bool SavePng(const std::string& path, std::string& error) const;
  // Baseline JPEG in the layout the program's size reader expects: SOI, one
  // JFIF segment, two quantisation-table segments, frame header at byte 158.
  bool SaveJpeg(const std::string& path, int quality, std::string& error) const;

 private:
  int width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

// Encodes the surface (alpha dropped onto black) as JPEG bytes in that layout.
std::string EncodeJpeg(cairo_surface_t* surface, int quality);

// --- drawing helpers ---------------------------------------------------------
void SetRgb(cairo_t* cr, Rgb c, double alpha = 1.0);
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// Vertical linear gradient from top colour to bottom colour over [y0, y1].
void FillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom, double alpha = 1.0);
void FillHorizontal(cairo_t* cr, double x0, double x1, Rgb left, Rgb right, double alpha = 1.0);
// Fills the current path with a gradient lit from the upper left: lighter at
// (x0, y0), darker toward (x1, y1); the path is kept.
void FillLit(cairo_t* cr, Rgb base, double x0, double y0, double x1, double y1,
             double spread = 0.35, double alpha = 1.0);
void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
// A soft drop shadow: the path blurred by stacking translucent strokes.
void SoftShadow(cairo_t* cr, double alpha, double radius);

// --- text, from the pack's font file ---------------------------------------
enum class Face { Bold, Condensed, Sans };
// Sets the font face and pixel size (the em size).
void SetFont(cairo_t* cr, Face face, double size);
double TextWidth(cairo_t* cr, const std::string& text);
// Draws text with its baseline at y; anchor 0 left, 0.5 centre, 1 right.
void Text(cairo_t* cr, const std::string& text, double x, double y, double anchor, Rgb colour,
          double alpha = 1.0);
// Text with a dark outline and a shadow down-right, for captions on pictures.
void TextBold(cairo_t* cr, const std::string& text, double x, double y, double anchor, Rgb fill,
              Rgb outline, double outlineWidth);
// Text path (added to the current path) for custom fills.
void TextPath(cairo_t* cr, const std::string& text, double x, double y, double anchor);
// Centres text vertically on capitals: baseline for capitals of this face to
// be centred at cy.
double CapBaseline(cairo_t* cr, double cy);

// Path of the installed TrueType font the pack ships as its game font.
const char* GameFontPath();
const char* CondensedFontPath();

}  // namespace assets
