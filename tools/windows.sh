#!/usr/bin/env bash
# The Windows build, cross-compiled here with MinGW-w64 and tested under Wine.
#
#   tools/windows.sh [deps|build|test|proof|zip|e2e|all]     (all is the default)
#
# deps   installs the cross tools and the Linux build's packages (as root or
#        through sudo, only what is missing) and builds SDL2 and friends from
#        Debian's source packages into a cache outside the clone
#        (tools/windows/deps.sh), reused when present
# build  builds the Linux program in build-win/host (its assetgen writes Data/ and
#        the icon; e2e compares with it), then cross-builds the same project into
#        build-win/bin/: gravelhorn2.exe, system.dll, the DLLs they load, the
#        headless test programs and Data/
# test   runs those tests under Wine, then the cross-build proof: the scripted
#        player's game recorded by each build (gravelhorn2-verify --bot) and
#        played again by the other; every side must print the same outcome line
# proof  the cross-build proof alone (after build)
# zip    packs build-win/gravelhorn2-win64.zip, stripped, with one top folder
# e2e    unpacks the zip and plays it under Wine on Xvfb to the main menu and out,
#        and the Linux program of build-win/host the same way (tools/windows/e2e.sh)
# all    build, test, zip and e2e
#
# Heavy work runs under `nice -n 19` with GH_WIN_JOBS (default 2) jobs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${GH_WIN_BUILD:-$root/build-win}
what=${1:-all}
export GH_WIN_JOBS=${GH_WIN_JOBS:-2}

install_tools() {
  local packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    libz-mingw-w64-dev
    wine64 dpkg-dev cmake ninja-build meson pkg-config python3 googletest zip unzip
    xvfb xauth
  )
  # The same installer as the Linux build's, which the Data/ step needs too.
  "$root/tools/deps.sh" "${packages[@]}"
}

wine64_path() {
  # Debian's wine64 package keeps its binary off the PATH.
  command -v wine64 2>/dev/null || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; }
}

prefix=""
deps() {
  install_tools
  prefix=$("$root/tools/windows/deps.sh")
}

# The Linux program from the same sources: its assetgen writes Data/ and the
# icon, which do not cross-build, and e2e plays it beside the Windows one.
host() {
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  echo "windows build: the Linux program in $build/host" >&2
  nice -n 19 cmake -S "$root" -B "$build/host" -DGH_TESTS=OFF -DGH_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
  nice -n 19 cmake --build "$build/host" -j "$GH_WIN_JOBS" --target gravelhorn2 gravelhorn2-verify \
    >/dev/null
}

build() {
  [ -n "$prefix" ] || deps
  host
  echo "windows build: the Windows program in $build" >&2
  nice -n 19 cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/tools/windows/mingw-w64.cmake" -DGH_WIN_PREFIX="$prefix" \
    -DGH_HOST_BUILD="$build/host" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  nice -n 19 cmake --build "$build" -j "$GH_WIN_JOBS"
}

# A Wine prefix of the build's own, made once; no Mono or Gecko installers.
wine_env() {
  export WINEPREFIX=$build/wine WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX" >&2
    "$(wine64_path)" wineboot --init >/dev/null 2>&1
    "$(dirname "$(wine64_path)")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
  fi
}

run_tests() {
  [ -x "$(wine64_path)" ] || install_tools
  wine_env
  nice -n 19 ctest --test-dir "$build" --output-on-failure "$@"
  cross_build_proof
}

# The same game on both builds. The scripted player (a fixed seed) plays one
# game on the Windows build under Wine and one on the Linux build of the same
# sources (build-win/host); each build then plays the other's recording again.
# Every line must be the same "verified <score> <level> <frames>": a game
# recorded on one system ends the same on the other, and the player's own
# game is the same game on both.
cross_build_proof() {
  local out=$build/proof linux=$build/host/bin win=$build/bin seed=${GH_PROOF_SEED:-2026}
  local wine
  wine=$(wine64_path)
  local f
  for f in "$linux/gravelhorn2-verify" "$win/gravelhorn2-verify.exe"; do
    [ -f "$f" ] || { echo "cross-build proof: $f is not built" >&2; return 1; }
  done
  rm -rf "$out"
  mkdir -p "$out"
  on_linux() { nice -n 19 "$linux/gravelhorn2-verify" --data "$linux" "$@"; }
  # Wine sees this machine's root folder as drive Z:.
  on_windows() { nice -n 19 "$wine" "$win/gravelhorn2-verify.exe" --data "Z:$win" "$@" | tr -d '\r'; }
  local linux_made windows_made linux_on_windows windows_on_linux
  linux_made=$(on_linux --bot "$seed" "$out/linux.rec") || true
  windows_made=$(on_windows --bot "$seed" "Z:$out/windows.rec") || true
  linux_on_windows=$(on_windows "Z:$out/linux.rec") || true
  windows_on_linux=$(on_linux "$out/windows.rec") || true
  echo "cross-build proof: linux.rec made on Linux:         ${linux_made:-(nothing)}"
  echo "cross-build proof: linux.rec played on Windows:     ${linux_on_windows:-(nothing)}"
  echo "cross-build proof: windows.rec made on Windows:     ${windows_made:-(nothing)}"
  echo "cross-build proof: windows.rec played on Linux:     ${windows_on_linux:-(nothing)}"
  if [[ $linux_made != verified\ * || $linux_on_windows != "$linux_made" ||
    $windows_made != "$linux_made" || $windows_on_linux != "$linux_made" ]]; then
    echo "cross-build proof: FAILED, the builds do not play the same game (recordings in $out)" >&2
    return 1
  fi
  echo "cross-build proof: the same game on both builds"
}

# The zip a player unpacks: one folder holding the program, the engine library,
# the libraries they load, Data/ and README.txt (the build's install rules),
# without debug information.
package() {
  local bin=$build/bin stage=$build/zip/Gravelhorn2 f
  for f in gravelhorn2.exe system.dll; do
    [ -f "$bin/$f" ] || { echo "windows zip: $bin/$f is not built" >&2; return 1; }
  done
  rm -rf "$build/zip" "$build/gravelhorn2-win64.zip"
  cmake --install "$build" --prefix "$stage" >/dev/null
  for f in "$stage"/*.exe "$stage"/*.dll; do
    x86_64-w64-mingw32-strip --strip-unneeded "$f"
  done
  # Notepad before Windows 10 shows a file of bare line feeds as one line.
  sed -i 's/\r\?$/\r/' "$stage/README.txt"
  (cd "$build/zip" && zip -qrX9 "$build/gravelhorn2-win64.zip" Gravelhorn2)
  echo "$build/gravelhorn2-win64.zip"
}

# The zip under Wine on Xvfb; its screenshots and messages in build-win/e2e.
e2e() {
  [ -x "$(wine64_path)" ] || install_tools
  GH_E2E_OUT=$build/e2e GH_WINEPREFIX=$build/wine GH_LINUX_BIN=${GH_LINUX_BIN:-$build/host/bin} \
    "$root/tools/windows/e2e.sh" "$build/gravelhorn2-win64.zip"
}

case "$what" in
  deps) deps ;;
  build) build ;;
  test) shift; run_tests "$@" ;;
  proof) wine_env; cross_build_proof ;;
  zip) package ;;
  e2e) e2e ;;
  all) build && run_tests && package && e2e ;;
  *) sed -n '2,22p' "$0" >&2; exit 2 ;;
esac
