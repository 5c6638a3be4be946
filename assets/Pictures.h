// The list of every picture of the asset pack: path below Data/, pixel size
// and the routine that draws it.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "Canvas.h"

namespace assets {

struct Picture {
  std::string path;  // below Data/, '/' separated; ".jpg" pictures are JPEG
  int width = 0, height = 0;
  std::function<void(Canvas&)> draw;
};

using PictureList = std::vector<Picture>;

void AddMenuPictures(PictureList& list);     // Menus.cpp
void AddScenePictures(PictureList& list);    // Scenes.cpp: backgrounds, layers, HUD
void AddPeoplePictures(PictureList& list);   // People.cpp: terrorists
void AddVehiclePictures(PictureList& list);  // Vehicles.cpp: aircraft, cars, trains, trucks
void AddItemPictures(PictureList& list);     // Items.cpp: arrow, fire, boxes, bonuses
void AddGunPictures(PictureList& list);      // Guns.cpp: the player's gun pictures

PictureList AllPictures();

}  // namespace assets

namespace assets {
// A plain labelled panel, for pictures still being drawn.
void DrawPlaceholder(Canvas& c, const std::string& label);
}  // namespace assets
