#include "Pictures.h"

namespace assets {

void AddMenuPictures(PictureList& list) {
  list.push_back({"loading.jpg", 800, 600, [](Canvas& c) { DrawPlaceholder(c, "loading.jpg"); }});
  list.push_back({"MenuBack.jpg", 800, 600, [](Canvas& c) { DrawPlaceholder(c, "MenuBack.jpg"); }});
  list.push_back({"Table.jpg", 500, 300, [](Canvas& c) { DrawPlaceholder(c, "Table.jpg"); }});
  list.push_back({"HiScore.png", 500, 400, [](Canvas& c) { DrawPlaceholder(c, "HiScore.png"); }});
  list.push_back(
      {"Help_Bonus.png", 720, 400, [](Canvas& c) { DrawPlaceholder(c, "Help_Bonus.png"); }});
  list.push_back(
      {"Help_CTRL.png", 640, 400, [](Canvas& c) { DrawPlaceholder(c, "Help_CTRL.png"); }});
  list.push_back(
      {"Help_About.png", 640, 340, [](Canvas& c) { DrawPlaceholder(c, "Help_About.png"); }});
  list.push_back({"cursor.png", 48, 48, [](Canvas& c) { DrawPlaceholder(c, "cursor.png"); }});
  list.push_back({"cursor2.png", 56, 56, [](Canvas& c) { DrawPlaceholder(c, "cursor2.png"); }});
  list.push_back({"Hit.png", 64, 64, [](Canvas& c) { DrawPlaceholder(c, "Hit.png"); }});
  list.push_back({"Edit.png", 400, 50, [](Canvas& c) { DrawPlaceholder(c, "Edit.png"); }});
  list.push_back(
      {"EditCursor.png", 40, 40, [](Canvas& c) { DrawPlaceholder(c, "EditCursor.png"); }});
  list.push_back({"BossKey.png", 200, 50, [](Canvas& c) { DrawPlaceholder(c, "BossKey.png"); }});
  list.push_back({"b1_0.png", 300, 50, [](Canvas& c) { DrawPlaceholder(c, "b1_0.png"); }});
  list.push_back({"b1_1.png", 300, 50, [](Canvas& c) { DrawPlaceholder(c, "b1_1.png"); }});
  list.push_back({"b2_0.png", 200, 50, [](Canvas& c) { DrawPlaceholder(c, "b2_0.png"); }});
  list.push_back({"b2_1.png", 200, 50, [](Canvas& c) { DrawPlaceholder(c, "b2_1.png"); }});
  list.push_back({"b3_0.png", 140, 110, [](Canvas& c) { DrawPlaceholder(c, "b3_0.png"); }});
  list.push_back({"b3_1.png", 140, 110, [](Canvas& c) { DrawPlaceholder(c, "b3_1.png"); }});
  list.push_back({"b4_0.png", 140, 110, [](Canvas& c) { DrawPlaceholder(c, "b4_0.png"); }});
  list.push_back({"b4_1.png", 140, 110, [](Canvas& c) { DrawPlaceholder(c, "b4_1.png"); }});
  list.push_back({"b5_0.png", 130, 50, [](Canvas& c) { DrawPlaceholder(c, "b5_0.png"); }});
  list.push_back({"b5_1.png", 130, 50, [](Canvas& c) { DrawPlaceholder(c, "b5_1.png"); }});
  list.push_back({"Opt1_0.png", 330, 50, [](Canvas& c) { DrawPlaceholder(c, "Opt1_0.png"); }});
  list.push_back({"Opt1_1.png", 330, 50, [](Canvas& c) { DrawPlaceholder(c, "Opt1_1.png"); }});
  list.push_back({"Opt2_0.png", 150, 50, [](Canvas& c) { DrawPlaceholder(c, "Opt2_0.png"); }});
  list.push_back({"Opt2_1.png", 150, 50, [](Canvas& c) { DrawPlaceholder(c, "Opt2_1.png"); }});
}

}  // namespace assets
