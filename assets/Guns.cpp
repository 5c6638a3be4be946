#include "Pictures.h"

namespace assets {

void AddGunPictures(PictureList& list) {
  list.push_back(
      {"Game/Player/1.png", 410, 246, [](Canvas& c) { DrawPlaceholder(c, "Game/Player/1.png"); }});
  list.push_back(
      {"Game/Player/2.png", 410, 246, [](Canvas& c) { DrawPlaceholder(c, "Game/Player/2.png"); }});
  list.push_back(
      {"Game/Player/3.png", 410, 246, [](Canvas& c) { DrawPlaceholder(c, "Game/Player/3.png"); }});
  list.push_back(
      {"Game/Player/4.png", 410, 246, [](Canvas& c) { DrawPlaceholder(c, "Game/Player/4.png"); }});
  list.push_back(
      {"Game/Player/5.png", 410, 246, [](Canvas& c) { DrawPlaceholder(c, "Game/Player/5.png"); }});
  list.push_back(
      {"Game/Player/6.png", 410, 246, [](Canvas& c) { DrawPlaceholder(c, "Game/Player/6.png"); }});
  list.push_back(
      {"Game/Player/7.png", 410, 246, [](Canvas& c) { DrawPlaceholder(c, "Game/Player/7.png"); }});
  list.push_back(
      {"Game/Player/8.png", 410, 246, [](Canvas& c) { DrawPlaceholder(c, "Game/Player/8.png"); }});
  list.push_back(
      {"Game/Player/9.png", 344, 196, [](Canvas& c) { DrawPlaceholder(c, "Game/Player/9.png"); }});
  list.push_back({"Game/Player/10.png", 344, 196,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/10.png"); }});
  list.push_back({"Game/Player/11.png", 344, 196,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/11.png"); }});
  list.push_back({"Game/Player/12.png", 344, 196,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/12.png"); }});
  list.push_back({"Game/Player/13.png", 344, 196,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/13.png"); }});
  list.push_back({"Game/Player/14.png", 344, 196,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/14.png"); }});
  list.push_back({"Game/Player/15.png", 344, 196,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/15.png"); }});
  list.push_back({"Game/Player/16.png", 344, 196,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/16.png"); }});
  list.push_back({"Game/Player/17.png", 400, 214,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/17.png"); }});
  list.push_back({"Game/Player/18.png", 400, 214,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/18.png"); }});
  list.push_back({"Game/Player/19.png", 400, 214,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/19.png"); }});
  list.push_back({"Game/Player/20.png", 400, 214,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/20.png"); }});
  list.push_back({"Game/Player/21.png", 400, 214,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/21.png"); }});
  list.push_back({"Game/Player/22.png", 400, 214,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/22.png"); }});
  list.push_back({"Game/Player/23.png", 400, 214,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/23.png"); }});
  list.push_back({"Game/Player/24.png", 400, 214,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/24.png"); }});
  list.push_back({"Game/Player/25.png", 306, 360,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/25.png"); }});
  list.push_back({"Game/Player/26.png", 260, 430,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/26.png"); }});
  list.push_back({"Game/Player/27.png", 260, 430,
                  [](Canvas& c) { DrawPlaceholder(c, "Game/Player/27.png"); }});
}

}  // namespace assets
