// The desktop icon: the crosshair on a lit badge, drawn as vectors so that
// every size and the scalable file come from one drawing.
#pragma once
#include <string>
#include <vector>

namespace assets {

// Writes <dir>/<n>x<n>/gravelhorn2.png for each size desktops ask for,
// <dir>/scalable/gravelhorn2.svg, and <dir>/gravelhorn2.ico for the Windows
// program.
bool WriteIcons(const std::string& dir, std::string& error);

// The bytes of a Windows icon file holding the icon at each size (1 to 256
// pixels), or "" if a picture could not be encoded.
std::string IconFile(const std::vector<int>& sizes);

}  // namespace assets
