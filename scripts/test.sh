#!/usr/bin/env bash
# Sets up and builds (scripts/setup.sh), then runs the whole test suite with CTest.
# Pass CTest options after it, e.g. scripts/test.sh -L unit
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${QDV70_BUILD_DIR:-build}
cd "$root"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
