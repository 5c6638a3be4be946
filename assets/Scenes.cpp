#include "Pictures.h"

namespace assets {

void AddScenePictures(PictureList& list) {
  list.push_back(
      {"Game/level1.jpg", 800, 600, [](Canvas& c) { DrawPlaceholder(c, "Game/level1.jpg"); }});
  list.push_back(
      {"Game/level2.jpg", 800, 600, [](Canvas& c) { DrawPlaceholder(c, "Game/level2.jpg"); }});
  list.push_back(
      {"Game/L1_1.png", 120, 220, [](Canvas& c) { DrawPlaceholder(c, "Game/L1_1.png"); }});
  list.push_back(
      {"Game/L1_2.png", 70, 304, [](Canvas& c) { DrawPlaceholder(c, "Game/L1_2.png"); }});
  list.push_back(
      {"Game/L1_3.png", 130, 180, [](Canvas& c) { DrawPlaceholder(c, "Game/L1_3.png"); }});
  list.push_back(
      {"Game/L1_4.png", 186, 126, [](Canvas& c) { DrawPlaceholder(c, "Game/L1_4.png"); }});
  list.push_back(
      {"Game/L1_5.png", 140, 84, [](Canvas& c) { DrawPlaceholder(c, "Game/L1_5.png"); }});
  list.push_back(
      {"Game/L2_1.png", 160, 110, [](Canvas& c) { DrawPlaceholder(c, "Game/L2_1.png"); }});
  list.push_back(
      {"Game/L2_2.png", 50, 190, [](Canvas& c) { DrawPlaceholder(c, "Game/L2_2.png"); }});
  list.push_back(
      {"Game/L2_3.png", 180, 156, [](Canvas& c) { DrawPlaceholder(c, "Game/L2_3.png"); }});
  list.push_back(
      {"Game/Panel1.png", 180, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Panel1.png"); }});
  list.push_back(
      {"Game/Panel2.png", 400, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Panel2.png"); }});
  list.push_back(
      {"Game/Panel3.png", 520, 130, [](Canvas& c) { DrawPlaceholder(c, "Game/Panel3.png"); }});
  list.push_back(
      {"Game/Alarm.png", 120, 30, [](Canvas& c) { DrawPlaceholder(c, "Game/Alarm.png"); }});
  list.push_back({"Game/B1.png", 26, 44, [](Canvas& c) { DrawPlaceholder(c, "Game/B1.png"); }});
  list.push_back({"Game/B2.png", 26, 44, [](Canvas& c) { DrawPlaceholder(c, "Game/B2.png"); }});
  list.push_back({"Game/B3.png", 26, 44, [](Canvas& c) { DrawPlaceholder(c, "Game/B3.png"); }});
  list.push_back({"Game/B4.png", 26, 44, [](Canvas& c) { DrawPlaceholder(c, "Game/B4.png"); }});
  list.push_back({"Game/B5.png", 26, 44, [](Canvas& c) { DrawPlaceholder(c, "Game/B5.png"); }});
  list.push_back(
      {"Game/BGun1.png", 180, 76, [](Canvas& c) { DrawPlaceholder(c, "Game/BGun1.png"); }});
  list.push_back(
      {"Game/BGun2.png", 180, 76, [](Canvas& c) { DrawPlaceholder(c, "Game/BGun2.png"); }});
  list.push_back(
      {"Game/BGun3.png", 180, 76, [](Canvas& c) { DrawPlaceholder(c, "Game/BGun3.png"); }});
  list.push_back(
      {"Game/BGun4.png", 180, 76, [](Canvas& c) { DrawPlaceholder(c, "Game/BGun4.png"); }});
  list.push_back(
      {"Game/BGun5.png", 180, 76, [](Canvas& c) { DrawPlaceholder(c, "Game/BGun5.png"); }});
}

}  // namespace assets
