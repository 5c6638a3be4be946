// assetgen: writes the whole Data/ folder of the game, identically on every
// run, and optionally the preview pictures.
//
//   assetgen <data dir> [<preview dir>]
//   assetgen --icons <dir>      the desktop icons, which are not part of Data/
#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "Files.h"
#include "Icon.h"
#include "Pictures.h"
#include "Previews.h"
#include "sound/Sounds.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--icons") {
    std::string error;
    if (assets::WriteIcons(argv[2], error)) return 0;
    std::fprintf(stderr, "assetgen: icons: %s\n", error.c_str());
    return 1;
  }
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s <data dir> [<preview dir>] | --icons <dir>\n", argv[0]);
    return 2;
  }
  const std::string dataDir = argv[1];
  std::string error;
  std::error_code ec;
  fs::create_directories(dataDir + "/font", ec);
  fs::create_directories(dataDir + "/Sound", ec);
  if (ec) {
    std::fprintf(stderr, "assetgen: cannot create %s: %s\n", dataDir.c_str(), ec.message().c_str());
    return 1;
  }

  assets::Drawn drawn;
  std::set<std::string> seen;
  bool ok = true;
  for (const assets::Picture& p : assets::AllPictures()) {
    if (!seen.insert(p.path).second) {
      std::fprintf(stderr, "assetgen: %s listed twice\n", p.path.c_str());
      ok = false;
      continue;
    }
    assets::Canvas canvas(p.width, p.height);
    cairo_save(canvas.cr());
    p.draw(canvas);
    cairo_restore(canvas.cr());
    if (cairo_status(canvas.cr()) != CAIRO_STATUS_SUCCESS) {
      std::fprintf(stderr, "assetgen: drawing %s: %s\n", p.path.c_str(),
                   cairo_status_to_string(cairo_status(canvas.cr())));
      ok = false;
      continue;
    }
    const std::string path = dataDir + "/" + p.path;
    fs::create_directories(fs::path(path).parent_path(), ec);
    const bool jpeg = p.path.size() > 4 && p.path.substr(p.path.size() - 4) == ".jpg";
    if (!(jpeg ? canvas.SaveJpeg(path, 92, error) : canvas.SavePng(path, error))) {
      std::fprintf(stderr, "assetgen: %s\n", error.c_str());
      ok = false;
      continue;
    }
    drawn[p.path] = cairo_surface_reference(canvas.surface());
  }

  if (!assets::WriteFont(dataDir, error) || !assets::WriteModel(dataDir, error) ||
      !assets::WriteHelpText(dataDir, error) || !assets::WriteSounds(dataDir, error)) {
    std::fprintf(stderr, "assetgen: %s\n", error.c_str());
    ok = false;
  }

  // Last: the digest of everything above, which recordings name.
  if (ok && !assets::WriteDataVersion(dataDir, error)) {
    std::fprintf(stderr, "assetgen: %s\n", error.c_str());
    ok = false;
  }

  if (ok && argc == 3) {
    fs::create_directories(argv[2], ec);
    if (!assets::WritePreviews(drawn, argv[2], error)) {
      std::fprintf(stderr, "assetgen: previews: %s\n", error.c_str());
      ok = false;
    }
  }
  for (auto& [name, surface] : drawn) cairo_surface_destroy(surface);
  return ok ? 0 : 1;
}
