#!/usr/bin/env bash
# Runs a Windows program under Wine for tests, from the program's own folder:
#
#   tools/windows/wine-run.sh <folder>/<program>.exe [arguments...]
#
# The Wine prefix is GH_WINEPREFIX (default: build-win/wine), made on first use
# without the Mono and Gecko installers. With no X display in DISPLAY the run
# gets its own Xvfb (xvfb-run -a, 1280x1024x24). The exit code is the
# program's; Wine's server is stopped afterwards so no Wine process outlives
# the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -ge 1 ] || { sed -n '2,10p' "$0" >&2; exit 2; }

if [ -z "${DISPLAY:-}" ] && [ -z "${GH_WINE_RUN_INNER:-}" ]; then
  GH_WINE_RUN_INNER=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || { echo "wine-run: no wine64 (tools/windows.sh deps installs it)" >&2; exit 127; }
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

export WINEPREFIX=${GH_WINEPREFIX:-$root/build-win/wine}
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot --init >/dev/null 2>&1 || true
  "$wineserver" -w || true
fi

program=$1
shift
cd "$(dirname "$program")"
status=0
"$wine" "./$(basename "$program")" "$@" || status=$?
"$wineserver" -k 2>/dev/null || true
exit "$status"
