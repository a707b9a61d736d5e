#!/usr/bin/env bash
# The bash completion of qdv70cli, driven as bash drives it, with the built tool.
# Usage: completion_test.sh QDV70CLI COMPLETION_SCRIPT
set -euo pipefail
tool=$1
# shellcheck source=/dev/null
source "$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
home=$work/home
mkdir -p "$home" "$work/files/folder"
touch "$work/files/plant.csv"
"$tool" --home "$home" setups add --name Studio-A --dir "$work/a" --lan 127.0.0.1 >/dev/null
"$tool" --home "$home" setups add --name "Studio B" --dir "$work/b" --com 1 >/dev/null
cd "$work/files"

# The words offered for the command line $1 (the last word is the one completed; "\ " is a blank
# inside a word), sorted, on one line.
offered() {
    local line=${1//\\ /$'\x01'}
    read -r -a COMP_WORDS <<<"$line"
    COMP_WORDS=("${COMP_WORDS[@]//$'\x01'/\\ }")
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_WORDS[0]=$tool
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _qdv70cli
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}

status=0
while IFS='|' read -r line expected; do
    got=$(offered "$line")
    if [[ "$got" != "$expected" ]]; then
        echo "'$line': offered '$got', expected '$expected'"
        status=1
    fi
done <<EOT
qdv70cli se|send serve setups 
qdv70cli setups |add copy delete list move select set show 
qdv70cli setups move Studio-A |down up 
qdv70cli --home $home --setup |Studio-A Studio\\ B 
qdv70cli --home $home setups show Studio\\ |Studio\\ B 
qdv70cli --home $home --setup Studio-A receive |crosspoint description primary secondary 
qdv70cli receive secondary --|--help --stations 
qdv70cli backup --wait-line 60 --|--all-setups --help --json --kinds --metrics --setup --wait-line 
qdv70cli --home $home backup --setup |Studio-A Studio\\ B 
qdv70cli stations check |all clear device 
qdv70cli export description |folder plant.csv 
qdv70cli setups add --dir |folder 
qdv70cli help st|stations status 
qdv70cli --|--help --home --setup --version --wait-folder 
EOT
exit $status
