// Pictures for people, not for the game: the contact sheet and screens
// composed the way the program places the pictures.
#pragma once
#include <cairo.h>

#include <map>
#include <string>

namespace assets {

// Every drawn picture by its path below Data/.
using Drawn = std::map<std::string, cairo_surface_t*>;

bool WritePreviews(const Drawn& pictures, const std::string& previewDir, std::string& error);

}  // namespace assets
