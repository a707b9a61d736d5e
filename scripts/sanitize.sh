#!/usr/bin/env bash
# Builds the test suite with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and runs it.
# Pass CTest options after it, e.g. scripts/sanitize.sh -L unit
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
QDV70_BUILD_DIR=build-asan scripts/setup.sh -DQDV70_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DQDV70_BUILD_BENCH=OFF
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" "$@"
