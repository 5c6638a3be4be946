#include "Icon.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xff);
  out += static_cast<char>((v >> 8) & 0xff);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

cairo_status_t AppendPng(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// One picture of the icon file as Windows reads it before Vista: a bitmap header
// of twice the height (the colour rows, then the transparency mask), 32-bit
// BGRA rows bottom up with straight alpha, and an all-zero 1-bit mask (the
// alpha decides).
std::string IconBitmap(cairo_surface_t* surface, int size) {
  std::string out;
  const int maskRow = ((size + 31) / 32) * 4;
  Put32(out, 40);
  Put32(out, size);
  Put32(out, 2 * size);
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, 0);   // uncompressed
  Put32(out, size * size * 4 + maskRow * size);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = size - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < size; ++x) {
      const uint32_t argb = row[x];  // premultiplied, as cairo keeps it
      const uint32_t a = argb >> 24;
      auto straight = [&](int shift) {
        const uint32_t c = (argb >> shift) & 0xff;
        return static_cast<char>(a ? std::min<uint32_t>(255, (c * 255 + a / 2) / a) : 0);
      };
      out += straight(0);
      out += straight(8);
      out += straight(16);
      out += static_cast<char>(a);
    }
  }
  out.append(static_cast<size_t>(maskRow * size), '\0');
  return out;
}

}  // namespace

std::string IconFile(const std::vector<int>& sizes) {
  std::vector<std::string> images;
  for (int size : sizes) {
    Canvas canvas(size, size);
    DrawIcon(canvas.cr(), size);
    std::string image;
    // Large pictures are stored as PNG, as Windows since Vista reads them;
    // the small ones every version reads.
    if (size >= 256) {
      cairo_surface_flush(canvas.surface());
      if (cairo_surface_write_to_png_stream(canvas.surface(), AppendPng, &image) !=
          CAIRO_STATUS_SUCCESS)
        return "";
    } else {
      image = IconBitmap(canvas.surface(), size);
    }
    images.push_back(std::move(image));
  }
  std::string out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, static_cast<uint32_t>(sizes.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(sizes.size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    const int size = sizes[i];
    out += static_cast<char>(size >= 256 ? 0 : size);  // 0 stands for 256
    out += static_cast<char>(size >= 256 ? 0 : size);
    out += '\0';  // no palette
    out += '\0';
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, static_cast<uint32_t>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const std::string& image : images) out += image;
  return out;
}

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
  // The Windows program's icon, built into gravelhorn2.exe.
  const std::string ico = dir + "/gravelhorn2.ico";
  const std::string icoBytes = IconFile({16, 24, 32, 48, 64, 256});
  std::ofstream icoFile(ico, std::ios::binary);
  if (icoBytes.empty() ||
      !icoFile.write(icoBytes.data(), static_cast<std::streamsize>(icoBytes.size()))) {
    error = "cannot write " + ico;
    return false;
  }
  icoFile.close();
  if (!icoFile) {
    error = "cannot write " + ico;
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
