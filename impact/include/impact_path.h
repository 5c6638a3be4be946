// File names as the game writes them ("Data\Game\T1\1.png") resolved on this
// file system: '\' becomes '/', and each part of the name matches an existing
// file or folder without regard to case. Names that match nothing come back with
// their separators changed only, so opening them fails with the usual message.
#pragma once
#include <string>

namespace impact {

std::string ResolvePath(const std::string& name);

}  // namespace impact
