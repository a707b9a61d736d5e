#!/usr/bin/env bash
# Sets up and builds, then runs the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${QDV70_BUILD_DIR:-build}
home=${QDV70_HOME:-$root/$build/demo-home}
mkdir -p "$home"
exec "$root/$build/bin/qdv70cli" --home "$home" setups
