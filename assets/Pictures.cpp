#include "Pictures.h"

namespace assets {

void DrawPlaceholder(Canvas& c, const std::string& label) {
  cairo_t* cr = c.cr();
  RoundedRect(cr, 1, 1, c.width() - 2, c.height() - 2, 6);
  FillLit(cr, Hex(0x4a5560), 0, 0, c.width(), c.height());
  SetRgb(cr, Hex(0x1c2228));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  SetFont(cr, Face::Condensed, std::min(20.0, c.height() * 0.4));
  Text(cr, label, c.width() / 2.0, CapBaseline(cr, c.height() / 2.0), 0.5, Hex(0xf0f0f0));
}

PictureList AllPictures() {
  PictureList list;
  AddMenuPictures(list);
  AddScenePictures(list);
  AddPeoplePictures(list);
  AddVehiclePictures(list);
  AddItemPictures(list);
  AddGunPictures(list);
  return list;
}

}  // namespace assets
