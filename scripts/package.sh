#!/usr/bin/env bash
# Builds the project (scripts/setup.sh) and makes the Debian package build/qdv70_<version>_<arch>.deb
# with CPack. Install it with: sudo apt install ./build/qdv70_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${QDV70_BUILD_DIR:-build}
cd "$root"
cd "$build"
cpack -G DEB
ls "$PWD"/qdv70_*.deb
