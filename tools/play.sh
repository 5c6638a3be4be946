#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DGH_TESTS=OFF -DGH_BENCH=OFF \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target gravelhorn2
exec "$root/build/bin/gravelhorn2"
