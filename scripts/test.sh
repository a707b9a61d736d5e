#!/usr/bin/env bash
# Sets up and builds (scripts/setup.sh), then runs the whole test suite with CTest.
# Pass CTest options after it, e.g. scripts/test.sh -L unit. The package test (label package) builds
# the Debian package; it runs only when a label names it: scripts/test.sh -L package.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${QDV70_BUILD_DIR:-build}
cd "$root"
labels=(-LE package)
for a in "$@"; do
    case $a in -L | --label-regex) labels=() ;; esac
done
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "${labels[@]}" "$@"
