#!/usr/bin/env bash
# Fails, naming each place, when a tracked C++ source or header differs from
# what clang-format makes of it with the repository's .clang-format (CI runs
# it; `clang-format -i FILE` mends a file). impact/include/impact_api.inc is a
# list of one engine call a line and stays as written.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "check_format: every tracked C++ file is formatted"
