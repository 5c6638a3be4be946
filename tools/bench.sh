#!/usr/bin/env bash
# Builds the benchmarks in a release build of their own (build-bench/,
# tools/build.sh) and runs the main ones (the replay, the verifier, the window),
# printing their figures and the machine's load around them.
# bench/README.md has every benchmark and how to read it.
#   tools/bench.sh [--short]   (--short: one replay round and no window benchmark,
#                               which takes minutes; for CI's check)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
rounds=3 window=1
case "${1:-}" in
  "") ;;
  --short) rounds=1 window=0 ;;
  *) echo "usage: tools/bench.sh [--short]" >&2; exit 2 ;;
esac
"$root/tools/build.sh" bench gravelhorn2 floor_quads bench_replay_speed bench_verify_speed

load() { echo "== load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores: $*"; }
load "before"
echo "== a recorded game on the headless engine"
"$build/bin/bench_replay_speed" game "$rounds"
load "between"
echo "== a 20-minute recorded game verified (gravelhorn2-verify's player), rounds interleaved with the replay"
"$build/bin/bench_verify_speed" "$rounds" 20
load "between"
if [ "$window" -eq 1 ]; then
  echo "== the game in a window under Xvfb against the floor program"
  "$root/bench/window_bench.py" "$build/bin"
else
  echo "== --short: the window benchmark is left out"
fi
load "after"
