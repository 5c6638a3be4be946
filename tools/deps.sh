#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, play and test the game,
# and the packages named on its command line (tools/windows.sh names its cross
# tools): the one place that installs packages.
#   tools/deps.sh [package ...]
# Runs apt-get only when something is missing (as root, or through sudo).
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache clang-format
  libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev libsdl2-ttf-dev libepoxy-dev
  libcurl4-openssl-dev zlib1g-dev libcairo2-dev libjpeg-dev libvorbis-dev libogg-dev
  libgtest-dev libgmock-dev libcpp-httplib-dev
  fonts-dejavu-core fonts-dejavu-extra
  xvfb xauth xdotool evilwm xfonts-base imagemagick x11-utils libgl1-mesa-dri mesa-utils
  libx11-dev
  clang libclang-rt-14-dev sox
  libsqlite3-dev libpq-dev postgresql libmicrohttpd-dev nginx-light
  desktop-file-utils
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
