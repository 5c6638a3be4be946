// The desktop icon: the crosshair on a lit badge, drawn as vectors so that
// every size and the scalable file come from one drawing.
#pragma once
#include <string>

namespace assets {

// Writes <dir>/<n>x<n>/gravelhorn2.png for each size desktops ask for, and
// <dir>/scalable/gravelhorn2.svg.
bool WriteIcons(const std::string& dir, std::string& error);

}  // namespace assets
