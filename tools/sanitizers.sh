# Sourced by the scripts that run programs of the sanitizer build (build-test/):
# the sanitizers' options for every test and tool run from there.
# shellcheck shell=bash
root="${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
# The GL driver (Mesa's swrast_dri.so) is unloaded whenever a test's window
# closes; with its dynamic thread-local blocks still on record, the leak check
# at exit can crash reading them ("Tracer caught signal 11"), depending only on
# where memory happens to lie. Not recording them avoids that; the static TLS
# and every stack and heap are still searched.
export ASAN_OPTIONS="abort_on_error=0:intercept_tls_get_addr=0"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
