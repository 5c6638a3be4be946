#!/usr/bin/env bash
# Drives the real program through every screen and scene in a window under a
# virtual X server (the contact-sheet test of tests/look/), then lays the
# screenshots out on one sheet, docs/contact-sheet.png, and refreshes the
# README's pictures in docs/.
#
#   tools/contact_sheet.sh [build dir]
# Without a folder it uses the test build, build-test/ (tools/build.sh test),
# where the test is built anyway; a folder given must hold a build with the
# tests, and is built as it was configured.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -gt 0 ]; then
  build="$(cd "$1" && pwd)"
  cmake --build "$build" -j"$(nproc)" --target test_look
else
  build="$root/build-test"
  "$root/tools/build.sh" test test_look
fi
# Harmless outside a sanitizer build.
. "$root/tools/sanitizers.sh"
shots="$build/shots/contact-sheet"
rm -rf "$shots"
GH_SHOTS_DIR="$shots" xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/test_look"
cd "$shots"
# Each shot labelled with its name, without its number.
args=()
for f in [0-9][0-9]-*.png; do
  label="${f#*-}"
  args+=(-label "${label%.png}" "$f")
done
montage "${args[@]}" -tile 5x -geometry 320x240+6+6 -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 15 -background '#1d232b' \
  -fill '#e8edf2' "$root/docs/contact-sheet.png"
for pick in main-menu:menu scene-1-car-behind-kiosk:play scene-2-train-1:play-2 \
  explosion-car:explosion high-score-long-name:high-score help-1:help; do
  cp "$(ls [0-9][0-9]-"${pick%%:*}".png)" "$root/docs/${pick##*:}.png"
done
echo "wrote $root/docs/contact-sheet.png"
