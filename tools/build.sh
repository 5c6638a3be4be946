#!/usr/bin/env bash
# The build folders and every cache value each is made with, in one place: a
# script or a document that builds names its kind here, so no one configures a
# folder with other values than the last one did (a flipped build type or
# option rebuilds everything, and a missing option loses targets).
#
#   tools/build.sh <kind> [target ...]    (no target: everything of that kind)
#
#   play   build/        Release, the game and the score server only
#                        (tools/play.sh, `cmake --install build`)
#   test   build-test/   RelWithDebInfo with the address and undefined-behaviour
#                        sanitizers, every test and benchmark
#                        (tools/test.sh, tools/contact_sheet.sh)
#   bench  build-bench/  Release with the benchmarks and the test harness they
#                        drive the program with (tools/bench.sh)
#   fuzz   build-fuzz/   clang with the libFuzzer targets (tools/fuzz.sh)
#
# Installs what is missing first (tools/deps.sh). GH_JOBS sets the number of
# compile jobs (default: the number of cores).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind=${1:-}
[ $# -gt 0 ] && shift
case "$kind" in
  play)
    folder=build
    values=(-DCMAKE_BUILD_TYPE=Release -DGH_SANITIZE=OFF -DGH_TESTS=OFF -DGH_BENCH=OFF -DGH_FUZZ=OFF)
    ;;
  test)
    folder=build-test
    values=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DGH_SANITIZE=ON -DGH_TESTS=ON -DGH_BENCH=ON -DGH_FUZZ=OFF)
    ;;
  bench)
    folder=build-bench
    values=(-DCMAKE_BUILD_TYPE=Release -DGH_SANITIZE=OFF -DGH_TESTS=ON -DGH_BENCH=ON -DGH_FUZZ=OFF)
    ;;
  fuzz)
    folder=build-fuzz
    values=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
      -DGH_SANITIZE=OFF -DGH_TESTS=OFF -DGH_BENCH=OFF -DGH_FUZZ=ON)
    ;;
  *)
    echo "usage: tools/build.sh play|test|bench|fuzz [target ...]" >&2
    exit 2
    ;;
esac
"$root/tools/deps.sh"
cmake -S "$root" -B "$root/$folder" "${values[@]}" -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$root/$folder" -j"${GH_JOBS:-$(nproc)}" "${targets[@]}"
