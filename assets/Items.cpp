#include "Pictures.h"

namespace assets {

void AddItemPictures(PictureList& list) {
  list.push_back(
      {"Game/Arrow/1.png", 50, 60, [](Canvas& c) { DrawPlaceholder(c, "Game/Arrow/1.png"); }});
  list.push_back(
      {"Game/Arrow/2.png", 50, 60, [](Canvas& c) { DrawPlaceholder(c, "Game/Arrow/2.png"); }});
  list.push_back(
      {"Game/Fire/1.png", 48, 48, [](Canvas& c) { DrawPlaceholder(c, "Game/Fire/1.png"); }});
  list.push_back(
      {"Game/Fire/2.png", 48, 48, [](Canvas& c) { DrawPlaceholder(c, "Game/Fire/2.png"); }});
  list.push_back(
      {"Game/Fire/3.png", 48, 48, [](Canvas& c) { DrawPlaceholder(c, "Game/Fire/3.png"); }});
  list.push_back(
      {"Game/Fire/4.png", 48, 48, [](Canvas& c) { DrawPlaceholder(c, "Game/Fire/4.png"); }});
  list.push_back(
      {"Game/Box1/1.png", 120, 80, [](Canvas& c) { DrawPlaceholder(c, "Game/Box1/1.png"); }});
  list.push_back(
      {"Game/Box1/2.png", 120, 80, [](Canvas& c) { DrawPlaceholder(c, "Game/Box1/2.png"); }});
  list.push_back(
      {"Game/Box1/3.png", 120, 80, [](Canvas& c) { DrawPlaceholder(c, "Game/Box1/3.png"); }});
  list.push_back(
      {"Game/Box1/4.png", 120, 80, [](Canvas& c) { DrawPlaceholder(c, "Game/Box1/4.png"); }});
  list.push_back(
      {"Game/Box2/1.png", 120, 80, [](Canvas& c) { DrawPlaceholder(c, "Game/Box2/1.png"); }});
  list.push_back(
      {"Game/Box2/2.png", 120, 80, [](Canvas& c) { DrawPlaceholder(c, "Game/Box2/2.png"); }});
  list.push_back(
      {"Game/Box2/3.png", 120, 80, [](Canvas& c) { DrawPlaceholder(c, "Game/Box2/3.png"); }});
  list.push_back(
      {"Game/Box2/4.png", 120, 80, [](Canvas& c) { DrawPlaceholder(c, "Game/Box2/4.png"); }});
  list.push_back(
      {"Game/Bonus/1.png", 64, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Bonus/1.png"); }});
  list.push_back(
      {"Game/Bonus/2.png", 64, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Bonus/2.png"); }});
  list.push_back(
      {"Game/Bonus/3.png", 64, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Bonus/3.png"); }});
  list.push_back(
      {"Game/Bonus/4.png", 64, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Bonus/4.png"); }});
  list.push_back(
      {"Game/Bonus/5.png", 64, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Bonus/5.png"); }});
  list.push_back(
      {"Game/Bonus/6.png", 64, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Bonus/6.png"); }});
  list.push_back(
      {"Game/Bonus/7.png", 64, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Bonus/7.png"); }});
  list.push_back(
      {"Game/Bonus/8.png", 64, 64, [](Canvas& c) { DrawPlaceholder(c, "Game/Bonus/8.png"); }});
  list.push_back({"Game/Bonus/para.png", 120, 170,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Bonus/para.png"); }});
}

}  // namespace assets
