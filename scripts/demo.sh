#!/usr/bin/env bash
# Sets up and builds, then shows the program at work on the simulated controller. With a display it
# opens the desktop program (qdv70 --demo): a sample plant served by qdv70sim on loopback and a setup
# "Demo (simulated controller)" pointing at it. Without one it says so and runs the command-line demo:
# a sample data set is served by qdv70sim, also as a network controller (its XML exchange, and an FTP
# server on the same folder), a demo setup points at it, and qdv70cli receives the Primary data through
# the exchange and FTP ("FTP OK.").
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
"$bin/qdv70sim" --data "$demo/device" --tcp 0 --netctl >"$demo/sim.log" 2>&1 &
sim=$!
# The network controller's FTP side, with the login network controllers have out of the box.
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p 0 -d "$demo/device" -w -u admin -P mrvt3904 >"$demo/ftp.log" 2>&1 &
ftp=$!
trap 'kill $sim $ftp 2>/dev/null || true' EXIT
port=""
getinfo=""
ftpport=""
for _ in $(seq 50); do
    port=$(grep -o 'listening on 127.0.0.1:[0-9]*' "$demo/sim.log" | sed 's/.*://' || true)
    getinfo=$(grep -o 'getinfo [0-9]*' "$demo/sim.log" | sed 's/.* //' || true)
    ftpport=$(grep -o 'FTP server on 127.0.0.1:[0-9]*' "$demo/ftp.log" | sed 's/.*://' || true)
    [ -n "$port" ] && [ -n "$getinfo" ] && [ -n "$ftpport" ] && break
    sleep 0.1
done
[ -n "$port" ] && [ -n "$getinfo" ] || { echo "demo: the simulator did not start" >&2; cat "$demo/sim.log" >&2; exit 1; }
[ -n "$ftpport" ] || { echo "demo: the FTP server did not start" >&2; cat "$demo/ftp.log" >&2; exit 1; }

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
cat >"$demo/home/QDV70COMM.INI" <<INI
[PORT]
GETINFO=$getinfo
FTP=$ftpport
[UDP]
BROADCAST=127.255.255.255
INI

cli=("$bin/qdv70cli" --home "$demo/home")
echo "== setups"
"${cli[@]}" setups
echo "== receive primary from the simulated network controller (XML exchange on port $getinfo, FTP on port $ftpport)"
"${cli[@]}" receive primary
echo "== the backup folder now holds:"
ls -l "$demo/backup/Primary"
echo
echo "Try more with: $bin/qdv70cli --home $demo/home receive description   (the simulator and the FTP"
echo "server have stopped; start them again with: $bin/qdv70sim --data $demo/device --tcp $port --netctl"
echo "--getinfo-port $getinfo and /usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p $ftpport -d $demo/device -w -u admin -P mrvt3904)"
