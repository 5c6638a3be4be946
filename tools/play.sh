#!/usr/bin/env bash
# Installs what is missing, builds the game (build/, tools/build.sh) and starts it.
#   tools/play.sh [--build-only]   (--build-only: CI's check of the README)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
start=1
case "${1:-}" in
  "") ;;
  --build-only) start=0 ;;
  *) echo "usage: tools/play.sh [--build-only]" >&2; exit 2 ;;
esac
# The program's target brings everything `cmake --install build` installs.
"$root/tools/build.sh" play gravelhorn2
[ "$start" -eq 1 ] || exit 0
exec "$root/build/bin/gravelhorn2"
