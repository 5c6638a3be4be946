#!/usr/bin/env bash
# The Windows build, cross-compiled here with MinGW-w64 and tested under Wine.
#
#   tools/windows.sh [deps|build|test|zip|e2e|all]     (all is the default)
#
# deps   installs the cross tools and the Linux build's packages (as root or
#        through sudo, only what is missing) and builds SDL2 and friends from
#        Debian's source packages into a cache outside the clone
#        (tools/windows/deps.sh), reused when present
# build  builds the Linux program in build-win/host (its assetgen writes Data/ and
#        the icon; e2e compares with it), then cross-builds the same project into
#        build-win/bin/: gravelhorn2.exe, system.dll, the DLLs they load, the
#        headless test programs and Data/
# test   runs those tests under Wine
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
  nice -n 19 cmake --build "$build/host" -j "$GH_WIN_JOBS" --target gravelhorn2 >/dev/null
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
  zip) package ;;
  e2e) e2e ;;
  all) build && run_tests && package && e2e ;;
  *) sed -n '2,18p' "$0" >&2; exit 2 ;;
esac
