#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in a build of their own (build-fuzz/,
# tools/build.sh) and runs them: each on its corpus in fuzz/corpus/ plus
# build-fuzz/new/<target> for what it finds new (copy what is worth keeping
# into the corpus). A finding stops the target with its report and a crash-*
# file in build-fuzz/.
#   tools/fuzz.sh [runs] [target ...]   default: 10000000 runs of every target
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
all=(fuzz_config fuzz_version_reply fuzz_image_header fuzz_help_text fuzz_edit_typing fuzz_submission
  fuzz_client_address fuzz_recording fuzz_upload)
runs=10000000
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  runs=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
for t in "${targets[@]}"; do
  if [[ " ${all[*]} " != *" $t "* ]]; then
    echo "tools/fuzz.sh: no fuzz target '$t' (there are: ${all[*]})" >&2
    exit 2
  fi
done
"$root/tools/build.sh" fuzz "${targets[@]}"
new="$build/new"
for t in "${targets[@]}"; do
  mkdir -p "$new/$t"
  echo "== $t: $runs runs"
  "$build/bin/$t" -runs="$runs" -print_final_stats=1 -artifact_prefix="$build/" \
    "$new/$t" "$root/fuzz/corpus/${t#fuzz_}"
done
echo "== new inputs found: $new"
