#include "Pictures.h"

namespace assets {

void AddPeoplePictures(PictureList& list) {
  list.push_back(
      {"Game/T1/1.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/1.png"); }});
  list.push_back(
      {"Game/T1/2.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/2.png"); }});
  list.push_back(
      {"Game/T1/3.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/3.png"); }});
  list.push_back(
      {"Game/T1/4.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/4.png"); }});
  list.push_back(
      {"Game/T1/5.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/5.png"); }});
  list.push_back(
      {"Game/T1/6.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/6.png"); }});
  list.push_back(
      {"Game/T1/7.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/7.png"); }});
  list.push_back(
      {"Game/T1/8.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/8.png"); }});
  list.push_back(
      {"Game/T1/9.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/9.png"); }});
  list.push_back(
      {"Game/T1/10.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/10.png"); }});
  list.push_back(
      {"Game/T1/11.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/11.png"); }});
  list.push_back(
      {"Game/T1/12.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/12.png"); }});
  list.push_back(
      {"Game/T1/13.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/13.png"); }});
  list.push_back(
      {"Game/T1/14.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/14.png"); }});
  list.push_back(
      {"Game/T1/15.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/15.png"); }});
  list.push_back(
      {"Game/T1/16.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/16.png"); }});
  list.push_back(
      {"Game/T1/17.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/17.png"); }});
  list.push_back(
      {"Game/T1/18.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1/18.png"); }});
  list.push_back(
      {"Game/T2/1.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/1.png"); }});
  list.push_back(
      {"Game/T2/2.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/2.png"); }});
  list.push_back(
      {"Game/T2/3.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/3.png"); }});
  list.push_back(
      {"Game/T2/4.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/4.png"); }});
  list.push_back(
      {"Game/T2/5.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/5.png"); }});
  list.push_back(
      {"Game/T2/6.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/6.png"); }});
  list.push_back(
      {"Game/T2/7.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/7.png"); }});
  list.push_back(
      {"Game/T2/8.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/8.png"); }});
  list.push_back(
      {"Game/T2/9.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/9.png"); }});
  list.push_back(
      {"Game/T2/10.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/10.png"); }});
  list.push_back(
      {"Game/T2/11.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/11.png"); }});
  list.push_back(
      {"Game/T2/12.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/12.png"); }});
  list.push_back(
      {"Game/T2/13.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/13.png"); }});
  list.push_back(
      {"Game/T2/14.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/14.png"); }});
  list.push_back(
      {"Game/T2/15.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/15.png"); }});
  list.push_back(
      {"Game/T2/16.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/16.png"); }});
  list.push_back(
      {"Game/T2/17.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/17.png"); }});
  list.push_back(
      {"Game/T2/18.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2/18.png"); }});
  list.push_back(
      {"Game/T3/1.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/1.png"); }});
  list.push_back(
      {"Game/T3/2.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/2.png"); }});
  list.push_back(
      {"Game/T3/3.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/3.png"); }});
  list.push_back(
      {"Game/T3/4.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/4.png"); }});
  list.push_back(
      {"Game/T3/5.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/5.png"); }});
  list.push_back(
      {"Game/T3/6.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/6.png"); }});
  list.push_back(
      {"Game/T3/7.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/7.png"); }});
  list.push_back(
      {"Game/T3/8.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/8.png"); }});
  list.push_back(
      {"Game/T3/9.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/9.png"); }});
  list.push_back(
      {"Game/T3/10.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/10.png"); }});
  list.push_back(
      {"Game/T3/11.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/11.png"); }});
  list.push_back(
      {"Game/T3/12.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/12.png"); }});
  list.push_back(
      {"Game/T3/13.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/13.png"); }});
  list.push_back(
      {"Game/T3/14.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/14.png"); }});
  list.push_back(
      {"Game/T3/15.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/15.png"); }});
  list.push_back(
      {"Game/T3/16.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/16.png"); }});
  list.push_back(
      {"Game/T3/17.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/17.png"); }});
  list.push_back(
      {"Game/T3/18.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3/18.png"); }});
  list.push_back(
      {"Game/T1R/1.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1R/1.png"); }});
  list.push_back(
      {"Game/T1R/2.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1R/2.png"); }});
  list.push_back(
      {"Game/T1R/3.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1R/3.png"); }});
  list.push_back(
      {"Game/T1R/4.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T1R/4.png"); }});
  list.push_back(
      {"Game/T2R/1.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2R/1.png"); }});
  list.push_back(
      {"Game/T2R/2.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2R/2.png"); }});
  list.push_back(
      {"Game/T2R/3.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2R/3.png"); }});
  list.push_back(
      {"Game/T2R/4.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T2R/4.png"); }});
  list.push_back(
      {"Game/T3R/1.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3R/1.png"); }});
  list.push_back(
      {"Game/T3R/2.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3R/2.png"); }});
  list.push_back(
      {"Game/T3R/3.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3R/3.png"); }});
  list.push_back(
      {"Game/T3R/4.png", 200, 200, [](Canvas& c) { DrawPlaceholder(c, "Game/T3R/4.png"); }});
}

}  // namespace assets
