#!/usr/bin/env bash
# Installs what is missing, builds everything with the address and
# undefined-behaviour sanitizers, and runs every test (the window and
# end-to-end tests inside a virtual X server).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-test"
"$root/tools/deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGH_SANITIZE=ON \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j"$(nproc)"
# The GL driver (Mesa's swrast_dri.so) is unloaded whenever a test's window
# closes; with its dynamic thread-local blocks still on record, the leak check
# at exit can crash reading them ("Tracer caught signal 11"), depending only on
# where memory happens to lie. Not recording them avoids that; the static TLS
# and every stack and heap are still searched.
export ASAN_OPTIONS="abort_on_error=0:intercept_tls_get_addr=0"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# A test that fails runs once more before it counts: the end-to-end tests drive
# the real program with real X input on real time, and a shared machine can
# starve one run (each failure is still printed in full).
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --repeat until-pass:2 "$@"
