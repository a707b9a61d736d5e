#!/usr/bin/env bash
# Sets up and builds, then shows the program at work on the simulated controller. With a display it
# opens the desktop program (qdv70 --demo): a sample plant served by qdv70sim on loopback and a setup
# "Demo (simulated controller)" pointing at it. Without one it says so and runs the command-line demo:
# a sample data set is served by qdv70sim, a demo setup points at it, and qdv70cli receives the
# Primary data.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${QDV70_BUILD_DIR:-build}
bin="$root/$build/bin"
demo="$root/$build/demo"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "== the desktop program on the simulated controller (qdv70 --demo)"
    exec "$bin/qdv70" --demo
fi
echo "demo: no display (DISPLAY and WAYLAND_DISPLAY are unset), so the desktop program cannot open;"
echo "      running the command-line demo instead."
rm -rf "$demo/device"
mkdir -p "$demo/home" "$demo/backup"

"$bin/qdv70sim" --make-sample "$demo/device"
"$bin/qdv70sim" --data "$demo/device" --tcp 0 >"$demo/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
port=""
for _ in $(seq 50); do
    port=$(grep -o 'listening on 127.0.0.1:[0-9]*' "$demo/sim.log" | sed 's/.*://' || true)
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "demo: the simulator did not start" >&2; cat "$demo/sim.log" >&2; exit 1; }

cat >"$demo/home/QDV70LIST.INI" <<INI
[SETUP]
REG=1
[SELECT LIST]
SETUP=0
[SETUP_1]
NAME=Demo (simulated controller)
DIR=$demo/backup
IP=127.0.0.1
SELECT_LAN=1
REOTE3=$port
SELECT_PRIMARY_BACKUP_FILE=255
INI

cli=("$bin/qdv70cli" --home "$demo/home")
echo "== setups"
"${cli[@]}" setups
echo "== receive primary from the simulated controller on port $port"
"${cli[@]}" receive primary
echo "== the backup folder now holds:"
ls -l "$demo/backup/Primary"
echo
echo "Try more with: $bin/qdv70cli --home $demo/home receive description   (the simulator has stopped;"
echo "start it again with: $bin/qdv70sim --data $demo/device --tcp $port)"
