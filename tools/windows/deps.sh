#!/usr/bin/env bash
# Cross-builds the libraries the Windows build needs from Debian 12's own source
# packages, once, into a cache folder outside the clone:
#   ${XDG_CACHE_HOME:-~/.cache}/gravelhorn2-win/<key>
# where <key> is made of the source packages' versions and a digest of this
# recipe, so a changed version or recipe builds a fresh folder and an unchanged
# one is reused without touching the network. Prints the folder on stdout.
#
# Built: SDL2, SDL2_image (PNG and JPEG through its bundled stb loaders),
# SDL2_mixer (WAV, Ogg Vorbis through libogg + libvorbis), SDL2_ttf (FreeType),
# libepoxy, libcurl (Schannel, static; HTTP only) and GoogleTest and the
# header-only cpp-httplib (for the tests). Each is configured with only what the
# game uses, so that a fresh machine (CI) builds the lot in minutes.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
base=${GH_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/gravelhorn2-win}
jobs=${GH_WIN_JOBS:-2}
triple=x86_64-w64-mingw32
log() { echo "windows deps: $*" >&2; }

# Source package -> the folder its upstream tarball unpacks to is found at run time.
sources=(libsdl2 libsdl2-image libsdl2-mixer libsdl2-ttf libepoxy libogg libvorbis freetype curl
  cpp-httplib)

mkdir -p "$base/apt/lists/partial" "$base/src"
# A private copy of the system's apt sources with deb-src added; the system's
# own apt state is left alone.
# (deb822 .sources files as on Debian 12, or the one-line sources.list).
if ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1; then
  srclist=$base/apt/sources.sources
else
  srclist=$base/apt/sources.list
fi
apt_opts=(-o "Dir::Etc::sourcelist=$srclist" -o Dir::Etc::sourceparts=-
  -o "Dir::State::Lists=$base/apt/lists" -o "Dir::Cache=$base/apt/cache")
# As root, apt would hand the downloads to its sandbox user, who cannot write here.
[ "$(id -u)" -eq 0 ] && apt_opts+=(-o APT::Sandbox::User=root)
write_sources() {
  local f
  if [ "${srclist##*.}" = sources ]; then
    for f in /etc/apt/sources.list.d/*.sources; do
      sed -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb deb-src/' "$f"
      echo
    done
  else
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      sed -nE 's/^deb[[:space:]]/deb-src /p'
  fi >"$srclist.new"
  mv "$srclist.new" "$srclist"
}
refresh_lists() {
  write_sources
  mkdir -p "$base/apt/cache/archives/partial"
  log "updating the source package lists"
  apt-get "${apt_opts[@]}" -qq update >&2
}
version_of() {
  apt-cache "${apt_opts[@]}" showsrc --only-source "$1" 2>/dev/null |
    sed -n 's/^Version: //p' | sort -V | tail -1
}
compute_key() {
  local p v versions=""
  for p in "${sources[@]}"; do
    v=$(version_of "$p")
    [ -n "$v" ] || return 1
    versions+="$p=$v "
  done
  versions+="googletest=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null || true) "
  versions+="mingw=$($triple-gcc-posix -dumpversion)"
  local recipe
  recipe=$(cat "$here/deps.sh" "$here/mingw-w64.cmake" | sha256sum | cut -c1-12)
  echo "$versions" >"$base/apt/last-versions"
  echo "$(echo "$versions" | sha256sum | cut -c1-12)-$recipe"
}

key=""
if [ -f "$srclist" ] && [ -n "$(ls "$base/apt/lists" 2>/dev/null | grep -v partial)" ]; then
  key=$(compute_key || true)
fi
if [ -n "$key" ] && [ -f "$base/$key/.complete" ]; then
  log "reusing $base/$key"
  echo "$base/$key"
  exit 0
fi
refresh_lists
key=$(compute_key) || {
  log "a source package is missing from the lists: ${sources[*]}"
  exit 1
}
prefix=$base/$key
if [ -f "$prefix/.complete" ]; then
  log "reusing $prefix"
  echo "$prefix"
  exit 0
fi
log "building $prefix ($(cat "$base/apt/last-versions"))"
start=$(date +%s)
# A build cut off earlier resumes: each library leaves a stamp when installed.
rm -rf "$base/work"
mkdir -p "$prefix" "$base/work"

# Fetch and unpack the upstream tarballs. Debian's packaging part is not
# needed (and an old one can be gone from the mirror while the tarball is not).
unpacked=()
for p in "${sources[@]}"; do
  v=$(version_of "$p")
  upstream=${v#*:}
  upstream=${upstream%-*}
  dir=$base/src/$p-$upstream
  if [ ! -f "$dir/.fetched" ]; then
    rm -rf "$dir"
    mkdir -p "$dir"
    (cd "$dir" && apt-get "${apt_opts[@]}" -qq source --download-only "$p=$v" >&2) || true
    ls "$dir"/*.orig.tar.* >/dev/null 2>&1 || {
      log "could not fetch the source of $p $v"
      exit 1
    }
    touch "$dir/.fetched"
  fi
  mkdir -p "$base/work/$p"
  # The main tarball only: freetype ships its demos and documents as extra ones.
  tarball=$(ls "$dir"/*.orig.tar.* | grep -v '\.asc$' | grep -v 'orig-' | head -1)
  tar -xf "$tarball" -C "$base/work/$p"
  unpacked+=("$p=$(ls -d "$base/work/$p"/*/ | head -1)")
done
srcdir() {
  local e
  for e in "${unpacked[@]}"; do
    [ "${e%%=*}" = "$1" ] && echo "${e#*=}" && return
  done
}

export GH_WIN_PREFIX=$prefix
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
cmake_build() { # <name> <source dir> [cmake options...]
  local name=$1 src=$2
  shift 2
  [ -f "$prefix/.built-$name" ] && return 0
  log "building $name"
  nice -n 19 cmake -S "$src" -B "$base/work/build-$name" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" -DGH_WIN_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" "$@" >"$base/work/$name.log" 2>&1 || {
    tail -30 "$base/work/$name.log" >&2
    exit 1
  }
  nice -n 19 cmake --build "$base/work/build-$name" -j "$jobs" >>"$base/work/$name.log" 2>&1 &&
    nice -n 19 cmake --install "$base/work/build-$name" >>"$base/work/$name.log" 2>&1 || {
    tail -30 "$base/work/$name.log" >&2
    exit 1
  }
  touch "$prefix/.built-$name"
}

# SDL: the window with OpenGL, events, audio, threads and timers; no renderer,
# joysticks, haptics, sensors, DirectX, Vulkan or GLES.
cmake_build sdl2 "$(srcdir libsdl2)" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF \
  -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_POWER=OFF \
  -DSDL_SENSOR=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_FILESYSTEM=OFF -DSDL_DIRECTX=OFF \
  -DSDL_XINPUT=OFF -DSDL_VULKAN=OFF -DSDL_OPENGLES=OFF -DSDL_RENDER_D3D=OFF
cmake_build ogg "$(srcdir libogg)" -DBUILD_SHARED_LIBS=OFF -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF
cmake_build vorbis "$(srcdir libvorbis)" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF
cmake_build freetype "$(srcdir freetype)" -DBUILD_SHARED_LIBS=OFF \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cmake_build sdl2_image "$(srcdir libsdl2-image)" -DBUILD_SHARED_LIBS=ON \
  -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF \
  -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_JPG=ON -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF \
  -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF
cmake_build sdl2_mixer "$(srcdir libsdl2-mixer)" -DBUILD_SHARED_LIBS=ON \
  -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF \
  -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_MP3=OFF \
  -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_WAVE=ON -DSDL2MIXER_VORBIS=VORBISFILE \
  -DSDL2MIXER_VORBIS_VORBISFILE_SHARED=OFF \
  "-Dvorbisfile_LINK_LIBRARIES=$prefix/lib/libvorbis.a;$prefix/lib/libogg.a"
cmake_build sdl2_ttf "$(srcdir libsdl2-ttf)" -DBUILD_SHARED_LIBS=ON \
  -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF
# Schannel is Windows' own TLS, so no OpenSSL to build or ship; static, so the
# program carries it and the zip holds one DLL fewer.
cmake_build curl "$(srcdir curl)" -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DHTTP_ONLY=ON \
  -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF \
  -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF \
  -DCURL_USE_LIBSSH2=OFF -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DENABLE_UNIX_SOCKETS=OFF
cmake_build googletest /usr/src/googletest -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON \
  -Dgtest_disable_pthreads=OFF

# cpp-httplib is one header (the tests' HTTP server).
if [ ! -f "$prefix/.built-httplib" ]; then
  cp "$(srcdir cpp-httplib)/httplib.h" "$prefix/include/"
  touch "$prefix/.built-httplib"
fi

# libepoxy builds with Meson.
if [ ! -f "$prefix/.built-epoxy" ]; then
log "building epoxy"
cat >"$base/work/meson-cross.txt" <<CROSS
[binaries]
c = '$triple-gcc-posix'
cpp = '$triple-g++-posix'
ar = '$triple-gcc-ar-posix'
strip = '$triple-strip'
windres = '$triple-windres'
pkg-config = 'pkg-config'

[built-in options]
c_link_args = ['-static-libgcc']

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
CROSS
{
  nice -n 19 meson setup "$base/work/build-epoxy" "$(srcdir libepoxy)" \
    --cross-file "$base/work/meson-cross.txt" --prefix "$prefix" --libdir lib \
    --buildtype release -Dtests=false -Ddocs=false -Dglx=no -Degl=no -Dx11=false &&
    nice -n 19 ninja -C "$base/work/build-epoxy" -j "$jobs" install
} >"$base/work/epoxy.log" 2>&1 || {
  tail -30 "$base/work/epoxy.log" >&2
  exit 1
}
touch "$prefix/.built-epoxy"
fi

rm -rf "$base/work"
echo "built in $(($(date +%s) - start)) s on $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)" >"$prefix/.complete"
log "$(cat "$prefix/.complete")"
echo "$prefix"
