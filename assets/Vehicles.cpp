#include "Pictures.h"

namespace assets {

void AddVehiclePictures(PictureList& list) {
  list.push_back(
      {"Game/Air1/1.png", 220, 70, [](Canvas& c) { DrawPlaceholder(c, "Game/Air1/1.png"); }});
  list.push_back(
      {"Game/Air2/1.png", 200, 80, [](Canvas& c) { DrawPlaceholder(c, "Game/Air2/1.png"); }});
  list.push_back(
      {"Game/Air3/1.png", 200, 90, [](Canvas& c) { DrawPlaceholder(c, "Game/Air3/1.png"); }});
  list.push_back(
      {"Game/Air4/1.png", 300, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/Air4/1.png"); }});
  list.push_back(
      {"Game/Air5/1.png", 160, 60, [](Canvas& c) { DrawPlaceholder(c, "Game/Air5/1.png"); }});
  list.push_back({"Game/Mercedes/1.png", 180, 64,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Mercedes/1.png"); }});
  list.push_back(
      {"Game/Audi/1.png", 170, 62, [](Canvas& c) { DrawPlaceholder(c, "Game/Audi/1.png"); }});
  list.push_back(
      {"Game/Train1/1.png", 640, 114, [](Canvas& c) { DrawPlaceholder(c, "Game/Train1/1.png"); }});
  list.push_back(
      {"Game/Train2/1.png", 560, 90, [](Canvas& c) { DrawPlaceholder(c, "Game/Train2/1.png"); }});
  list.push_back(
      {"Game/Train3/1.png", 720, 114, [](Canvas& c) { DrawPlaceholder(c, "Game/Train3/1.png"); }});
  list.push_back(
      {"Game/K0/1.png", 130, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/K0/1.png"); }});
  list.push_back(
      {"Game/K0R/1.png", 130, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/K0R/1.png"); }});
  list.push_back(
      {"Game/K1/1.png", 80, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/K1/1.png"); }});
  list.push_back(
      {"Game/K1R/1.png", 80, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/K1R/1.png"); }});
  list.push_back(
      {"Game/K2/1.png", 80, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/K2/1.png"); }});
  list.push_back(
      {"Game/K2R/1.png", 80, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/K2R/1.png"); }});
  list.push_back(
      {"Game/KB0/1.png", 170, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/KB0/1.png"); }});
  list.push_back(
      {"Game/KB0R/1.png", 170, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/KB0R/1.png"); }});
  list.push_back(
      {"Game/KB1/1.png", 220, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/KB1/1.png"); }});
  list.push_back(
      {"Game/KB1R/1.png", 220, 100, [](Canvas& c) { DrawPlaceholder(c, "Game/KB1R/1.png"); }});
}

}  // namespace assets
