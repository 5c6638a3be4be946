#!/usr/bin/env bash
# Installs what is missing, builds everything with the address and
# undefined-behaviour sanitizers (build-test/, tools/build.sh), and runs every
# test (the window and end-to-end tests inside a virtual X server). Arguments
# go to ctest: tools/test.sh -R ContactSheet runs the tests whose names match.
# A test that fails counts at once: none is run a second time.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/build.sh" test
. "$root/tools/sanitizers.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$root/build-test" --output-on-failure -j"$(nproc)" "$@"
