#include "Canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

namespace assets {

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Lighter(Rgb c, double t) { return Mix(c, {1, 1, 1}, t); }
Rgb Darker(Rgb c, double t) { return Mix(c, {0, 0, 0}, t); }

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

bool Canvas::SavePng(const std::string& path, std::string& error) const {
  cairo_surface_flush(surface_);
  cairo_status_t st = cairo_surface_write_to_png(surface_, path.c_str());
  if (st != CAIRO_STATUS_SUCCESS) {
    error = "cannot write " + path + ": " + cairo_status_to_string(st);
    return false;
  }
  return true;
}

namespace {

struct JpegSink {
  jpeg_destination_mgr mgr;
  std::vector<unsigned char> buffer;
  std::string out;
};

void SinkInit(j_compress_ptr c) {
  auto* s = reinterpret_cast<JpegSink*>(c->dest);
  s->buffer.resize(65536);
  s->mgr.next_output_byte = s->buffer.data();
  s->mgr.free_in_buffer = s->buffer.size();
}
boolean SinkEmpty(j_compress_ptr c) {
  auto* s = reinterpret_cast<JpegSink*>(c->dest);
  s->out.append(reinterpret_cast<char*>(s->buffer.data()), s->buffer.size());
  s->mgr.next_output_byte = s->buffer.data();
  s->mgr.free_in_buffer = s->buffer.size();
  return TRUE;
}
void SinkTerm(j_compress_ptr c) {
  auto* s = reinterpret_cast<JpegSink*>(c->dest);
  s->out.append(reinterpret_cast<char*>(s->buffer.data()),
                s->buffer.size() - s->mgr.free_in_buffer);
}

// Rewrites every quantisation-table segment that holds more than one table as
// one segment per table, so the header has the fixed layout whatever the
// library's habit.
std::string SplitDqt(const std::string& in) {
  std::string out = in.substr(0, 2);
  size_t p = 2;
  while (p + 4 <= in.size()) {
    auto b = [&](size_t i) { return static_cast<unsigned char>(in[i]); };
    if (b(p) != 0xFF) break;
    unsigned marker = b(p + 1);
    size_t len = (b(p + 2) << 8) | b(p + 3);
    if (marker == 0xDA) break;  // scan: the rest is copied as is
    if (marker == 0xDB) {
      size_t q = p + 4, end = p + 2 + len;
      while (q < end) {
        size_t tableLen = (b(q) >> 4) ? 129 : 65;
        size_t segLen = tableLen + 2;
        out += '\xFF';
        out += '\xDB';
        out += static_cast<char>(segLen >> 8);
        out += static_cast<char>(segLen & 0xFF);
        out.append(in, q, tableLen);
        q += tableLen;
      }
    } else {
      out.append(in, p, len + 2);
    }
    p += len + 2;
  }
  out.append(in, p, std::string::npos);
  return out;
}

}  // namespace

std::string EncodeJpeg(cairo_surface_t* surface, int quality) {
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface);
  const int h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);

  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  JpegSink sink;
  sink.mgr.init_destination = SinkInit;
  sink.mgr.empty_output_buffer = SinkEmpty;
  sink.mgr.term_destination = SinkTerm;
  c.dest = &sink.mgr;
  c.image_width = w;
  c.image_height = h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  c.write_JFIF_header = TRUE;
  c.write_Adobe_marker = FALSE;
  c.optimize_coding = FALSE;
  c.dct_method = JDCT_ISLOW;
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(w * 3);
  while (c.next_scanline < c.image_height) {
    const uint32_t* px = reinterpret_cast<const uint32_t*>(data + c.next_scanline * stride);
    for (int x = 0; x < w; ++x) {
      // Premultiplied ARGB over black is just the colour channels.
      row[x * 3] = (px[x] >> 16) & 0xff;
      row[x * 3 + 1] = (px[x] >> 8) & 0xff;
      row[x * 3 + 2] = px[x] & 0xff;
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return SplitDqt(sink.out);
}

bool Canvas::SaveJpeg(const std::string& path, int quality, std::string& error) const {
  std::string bytes = EncodeJpeg(surface_, quality);
  if (bytes.size() < 167 || static_cast<unsigned char>(bytes[158]) != 0xFF ||
      static_cast<unsigned char>(bytes[159]) != 0xC0) {
    error = "JPEG layout check failed for " + path;
    return false;
  }
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

void SetRgb(cairo_t* cr, Rgb c, double alpha) {
  if (alpha >= 1.0)
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
  else
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void FillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom, double alpha) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, alpha);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

void FillHorizontal(cairo_t* cr, double x0, double x1, Rgb left, Rgb right, double alpha) {
  cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
  cairo_pattern_add_color_stop_rgba(p, 0, left.r, left.g, left.b, alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, right.r, right.g, right.b, alpha);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

void FillLit(cairo_t* cr, Rgb base, double x0, double y0, double x1, double y1, double spread,
             double alpha) {
  Rgb hi = Lighter(base, spread);
  Rgb lo = Darker(base, spread);
  cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, hi.r, hi.g, hi.b, alpha);
  cairo_pattern_add_color_stop_rgba(p, 0.5, base.r, base.g, base.b, alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, lo.r, lo.g, lo.b, alpha);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
}

void SoftShadow(cairo_t* cr, double alpha, double radius) {
  cairo_save(cr);
  cairo_path_t* path = cairo_copy_path(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  const int steps = 6;
  for (int i = steps; i >= 1; --i) {
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_set_source_rgba(cr, 0, 0, 0, alpha / steps);
    cairo_set_line_width(cr, radius * 2.0 * i / steps);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
  }
  cairo_new_path(cr);
  cairo_append_path(cr, path);
  cairo_path_destroy(path);
  cairo_restore(cr);
  cairo_new_path(cr);
}

// --- fonts -------------------------------------------------------------------

const char* GameFontPath() { return "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"; }
const char* CondensedFontPath() {
  return "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
}

namespace {

cairo_font_face_t* LoadFace(const char* path) {
  static FT_Library lib = nullptr;
  if (!lib && FT_Init_FreeType(&lib) != 0) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(lib, path, 0, &face) != 0) return nullptr;
  // The FreeType face lives as long as the program: the faces are shared.
  return cairo_ft_font_face_create_for_ft_face(face, 0);
}

cairo_font_face_t* FaceFor(Face f) {
  static cairo_font_face_t* bold = LoadFace(GameFontPath());
  static cairo_font_face_t* condensed = LoadFace(CondensedFontPath());
  static cairo_font_face_t* sans = LoadFace("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  switch (f) {
    case Face::Bold:
      return bold;
    case Face::Condensed:
      return condensed;
    case Face::Sans:
      return sans;
  }
  return bold;
}

}  // namespace

void SetFont(cairo_t* cr, Face face, double size) {
  cairo_font_face_t* ff = FaceFor(face);
  if (ff)
    cairo_set_font_face(cr, ff);
  else
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, size);
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, o);
  cairo_font_options_destroy(o);
}

double TextWidth(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  return e.x_advance;
}

void TextPath(cairo_t* cr, const std::string& text, double x, double y, double anchor) {
  double w = TextWidth(cr, text);
  cairo_move_to(cr, x - w * anchor, y);
  cairo_text_path(cr, text.c_str());
}

void Text(cairo_t* cr, const std::string& text, double x, double y, double anchor, Rgb colour,
          double alpha) {
  double w = TextWidth(cr, text);
  SetRgb(cr, colour, alpha);
  cairo_move_to(cr, x - w * anchor, y);
  cairo_show_text(cr, text.c_str());
  cairo_new_path(cr);
}

void TextBold(cairo_t* cr, const std::string& text, double x, double y, double anchor, Rgb fill,
              Rgb outline, double outlineWidth) {
  cairo_save(cr);
  cairo_new_path(cr);
  double sh = std::max(1.0, outlineWidth);
  TextPath(cr, text, x + sh, y + sh, anchor);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
  cairo_set_line_width(cr, outlineWidth * 2);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  cairo_fill(cr);
  TextPath(cr, text, x, y, anchor);
  SetRgb(cr, outline);
  cairo_set_line_width(cr, outlineWidth * 2);
  cairo_stroke_preserve(cr);
  SetRgb(cr, fill);
  cairo_fill(cr);
  cairo_restore(cr);
}

double CapBaseline(cairo_t* cr, double cy) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, "H", &e);
  return cy - e.y_bearing / 2.0;
}

}  // namespace assets
