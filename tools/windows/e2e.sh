#!/usr/bin/env bash
# The Windows zip end to end, under Wine on a virtual X server:
#
#   tools/windows/e2e.sh [build-win/gravelhorn2-win64.zip]
#
# Unpacks the zip into a fresh folder and starts gravelhorn2.exe from another
# folder; waits for the main menu (its pixels), answers Escape with "Yes", and
# expects the program to end with status 0. The Linux program (GH_LINUX_BIN,
# which tools/windows.sh sets to its own Linux build; else build-test/bin or
# build/bin) goes through the same steps first, and the two
# Config.cfg files they wrote must be the same bytes. Screenshots and the game's
# messages (GH_LOG) are kept in build-win/e2e/. Before, the zip must hold one
# folder, the program its icon and version information, and nothing debug
# information (pe_check.py). Last, with a driver without OpenGL 3.3 and without
# system.dll the program must say so in the GH_LOG file (and a message box).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
zip=${1:-$root/build-win/gravelhorn2-win64.zip}
zip=$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")
out=${GH_E2E_OUT:-$root/build-win/e2e}

if [ -z "${GH_E2E_INNER:-}" ]; then
  for tool in xvfb-run xdotool import unzip python3; do
    command -v "$tool" >/dev/null || { echo "windows e2e: $tool is missing" >&2; exit 1; }
  done
  GH_E2E_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$zip"
fi

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || { echo "windows e2e: no wine64 (tools/windows.sh deps installs it)" >&2; exit 1; }
wineserver=$(dirname "$wine")/wineserver
linux_bin=${GH_LINUX_BIN:-}
if [ -z "$linux_bin" ]; then
  for b in "$root/build-test/bin" "$root/build/bin"; do
    [ -x "$b/gravelhorn2" ] && [ -f "$b/Data/Help.txt" ] && { linux_bin=$b; break; }
  done
fi
[ -n "$linux_bin" ] || { echo "windows e2e: no Linux build to compare with (GH_LINUX_BIN)" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out/win" "$out/linux" "$out/elsewhere"
export WINEPREFIX=${GH_WINEPREFIX:-$root/build-win/wine} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot --init >/dev/null 2>&1 || true
  "$wineserver" -w || true
fi
# A window manager, as on a desktop, so the game's window gets the focus.
command -v evilwm >/dev/null && { evilwm >/dev/null 2>&1 & }
wm=$!

fail() {
  echo "windows e2e: $*" >&2
  import -window root "$out/failure.png" 2>/dev/null || true
  [ -f "$out/win/game.log" ] && sed 's/^/  game: /' "$out/win/game.log" >&2
  exit 1
}

# How many pixels of a rectangle of screen units (x -16..16, y -12..12 over the
# 800 x 600 view) are within 40 of a colour, in the window's picture now.
count() { # <window> <left> <top> <right> <bottom> <r> <g> <b>
  import -window "$1" -depth 8 ppm:- 2>/dev/null | python3 -c '
import sys
l, t, r, b, cr, cg, cb = map(float, sys.argv[1:])
data = sys.stdin.buffer.read()
parts, at = [], 0
while len(parts) < 4:  # P6 width height maxval, comments skipped
    while data[at:at + 1].isspace(): at += 1
    if data[at:at + 1] == b"#":
        at = data.index(b"\n", at); continue
    end = at
    while not data[end:end + 1].isspace(): end += 1
    parts.append(data[at:end]); at = end
at += 1
w, h = int(parts[1]), int(parts[2])
if (w, h) != (800, 600):
    print(0); sys.exit()
x0, x1 = int((l + 16) * 25), int((r + 16) * 25)
y0, y1 = int((12 - t) * 25), int((12 - b) * 25)
n = 0
for y in range(y0, y1):
    row = at + (y * w) * 3
    for x in range(x0, x1):
        p = data[row + 3 * x: row + 3 * x + 3]
        if abs(p[0] - cr) < 40 and abs(p[1] - cg) < 40 and abs(p[2] - cb) < 40: n += 1
print(n)' "${@:2}"
}
menu_shown() { [ "$(count "$1" -3 -6.8 3 -7.6 255 120 0)" -gt 30 ] && ! question_shown "$1"; }
question_shown() { [ "$(count "$1" -6 3.8 6 2.2 43 255 0)" -gt 30 ]; }
wait_for() { # <seconds> <command...>
  local until=$(($(date +%s) + $1))
  shift
  until "$@"; do
    [ "$(date +%s)" -lt "$until" ] || return 1
    sleep 0.5
  done
}
window() { xdotool search --onlyvisible --name '^Gravelhorn 2$' 2>/dev/null | head -1; }

# Plays one copy: start, main menu, Escape, "Yes", the end. With `startlog` set
# (the file the program's messages go to), a start whose window could not be made
# is tried once more: under a fresh Wine prefix (CI's) the first program's window
# was refused once ("Couldn't create window"), while every later start made it.
play() { # <name> <folder> <program and arguments...>
  local name=$1 folder=$2 id="" pid status=0 start until
  shift 2
  for start in 1 2; do
    (cd "$out/elsewhere" && exec "$@") >"$out/$name.out" 2>&1 &
    pid=$!
    until=$(($(date +%s) + 120))
    while [ "$(date +%s)" -lt "$until" ]; do
      if [ "$start" -eq 1 ] && [ -n "${startlog:-}" ] &&
        grep -q "Cannot create the game's window" "$startlog" 2>/dev/null; then
        echo "windows e2e: $name: the window could not be made; starting again" >&2
        sed 's/^/  game: /' "$startlog" >&2
        "$wineserver" -k 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        : >"$startlog"
        continue 2
      fi
      id=$(window) || true
      [ -n "$id" ] && break 2
      sleep 0.5
    done
    break
  done
  [ -n "$id" ] || fail "$name: no window"
  wait_for 120 menu_shown "$id" || fail "$name: no main menu"
  import -window "$id" "$out/$name-menu.png"
  # The pointer rests on the window, off the buttons, so that it has the keys.
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove $((X + 60)) $((Y + 60))
  sleep 0.3
  xdotool key --window "$id" Escape
  wait_for 60 question_shown "$id" || { xdotool key Escape; wait_for 30 question_shown "$id"; } ||
    fail "$name: Escape asked no question"
  import -window "$id" "$out/$name-question.png"
  # "Yes" sits at (-4.8, -4.0) in screen units. The question rests the pointer
  # on its focused button when it opens, which a slow start (Wine's first run)
  # can do after our move: wait for that, and if a click still found "No",
  # ask again.
  local attempt until
  for attempt in 1 2 3; do
    sleep 1
    xdotool mousemove $((X + 280)) $((Y + 400))
    sleep 0.3
    xdotool click 1
    until=$(($(date +%s) + 60))
    while kill -0 "$pid" 2>/dev/null; do
      [ "$(date +%s)" -lt "$until" ] || fail "$name: the program did not end after \"Yes\""
      # Still running 5 s later with the menu back and no question: it was "No".
      if [ "$attempt" -lt 3 ] && [ $((until - $(date +%s))) -lt 55 ] &&
        menu_shown "$id" 2>/dev/null && kill -0 "$pid" 2>/dev/null; then
        echo "windows e2e: $name: the click answered \"No\"; asking again" >&2
        xdotool key --window "$id" Escape
        wait_for 60 question_shown "$id" || fail "$name: Escape asked no question"
        continue 2
      fi
      sleep 0.5
    done
    break
  done
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "$name: the program ended with status $status"
  [ -f "$folder/Config.cfg" ] || fail "$name: no Config.cfg in $folder"
  echo "windows e2e: $name: main menu, Escape, \"Yes\", exit status 0" >&2
}

# The Linux program, from a copy of its folder (so the build's own folder keeps
# no Config.cfg).
cp -r "$linux_bin/gravelhorn2" "$linux_bin/system.so" "$linux_bin/Data" "$out/linux/"
ASAN_OPTIONS=detect_leaks=0 play linux "$out/linux" "$out/linux/gravelhorn2"

# The zip unpacks into one folder; the program carries its icon and version
# information, and nothing in it carries debug information.
tops=$(unzip -Z1 "$zip" | cut -d/ -f1 | sort -u | tr '\n' ' ')
[ "$tops" = "Gravelhorn2 " ] || fail "the zip's top level is not the one folder Gravelhorn2: $tops"
(cd "$out/win" && unzip -q "$zip")
folder=$out/win/Gravelhorn2
pe_check=$root/tools/windows/pe_check.py
resources=$(python3 "$pe_check" "$folder/gravelhorn2.exe") || fail "gravelhorn2.exe: $resources"
python3 "$pe_check" --no-debug "$folder"/*.exe "$folder"/*.dll || fail "debug information in the zip"
echo "windows e2e: the zip: one folder; gravelhorn2.exe: $resources; no debug information" >&2
# Wine's drive Z: is the root folder.
log=$out/win/game.log
startlog=$log GH_LOG="Z:${log//\//\\}" \
  play windows "$folder" "$wine" "$folder/gravelhorn2.exe"
"$wineserver" -k 2>/dev/null || true

cmp "$out/linux/Config.cfg" "$folder/Config.cfg" ||
  fail "Config.cfg differs from the Linux build's (build-win/e2e/{linux,win})"
echo "windows e2e: Config.cfg the same $(stat -c %s "$folder/Config.cfg") bytes as the Linux build's" >&2

# A graphics driver without OpenGL 3.3 (the host's Mesa, which Wine draws with,
# told to offer 3.0 at most): the message says so, without a guess at the
# display or the system's "Success." after it.
: >"$log"
(cd "$out/elsewhere" && MESA_GL_VERSION_OVERRIDE=3.0 GH_LOG="Z:${log//\//\\}" exec "$wine" \
  "$folder/gravelhorn2.exe") >"$out/no-gl33.out" 2>&1 &
pid=$!
told_gl() { tr '\r\n' '  ' <"$log" | tr -s ' ' | grep -q "The game needs OpenGL 3.3, which this computer's graphics driver does not offer"; }
wait_for 60 told_gl || fail "no message about OpenGL 3.3 in GH_LOG's file"
sleep 2
import -window root "$out/no-gl33.png"
! grep -qi -e 'no display' -e 'success' "$log" || fail "the OpenGL 3.3 message: $(cat "$log")"
"$wineserver" -k 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "windows e2e: without OpenGL 3.3, the message says so" >&2

# Without its engine library the program has no console to say so: a message
# box names the file, and the message reaches the GH_LOG file.
mv "$folder/system.dll" "$folder/system.dll.away"
: >"$log"
(cd "$out/elsewhere" && GH_LOG="Z:${log//\//\\}" exec "$wine" "$folder/gravelhorn2.exe") \
  >"$out/missing.out" 2>&1 &
pid=$!
# (wrapped to lines of 60 characters)
told() { grep -q 'Cannot load the engine library' "$log" && grep -q 'system\.dll' "$log"; }
wait_for 60 told ||
  fail "no message about the missing system.dll in GH_LOG's file"
wait_for 30 eval '[ -n "$(xdotool search --onlyvisible --name "^Gravelhorn 2$" 2>/dev/null)" ]' ||
  fail "no message box about the missing system.dll"
import -window root "$out/missing-engine.png"
"$wineserver" -k 2>/dev/null || true
wait "$pid" 2>/dev/null || true
mv "$folder/system.dll.away" "$folder/system.dll"
echo "windows e2e: without system.dll, a message box and the message in GH_LOG's file" >&2
kill "$wm" 2>/dev/null || true
