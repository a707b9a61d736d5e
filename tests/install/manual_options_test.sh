#!/usr/bin/env bash
# Every long option a program's own parser offers (PROGRAM --help) has its entry in the program's
# manual page: a .TP whose tag starts with the option. Usage: manual_options_test.sh PROGRAM PAGE...
set -euo pipefail
status=0
while (($# >= 2)); do
    program=$1 page=$2
    shift 2
    # The tags of the page's .TP entries, as plain text ("--home DIR", "-h, --help").
    tags=$(awk 'tp { print; tp = 0 } /^\.TP/ { tp = 1 }' "$page" |
        sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' -e 's/^\.[BI]*R* //')
    options=$(QT_QPA_PLATFORM=offscreen "$program" --help | grep -oE '^ +(-[a-zA-Z], )?--[a-z][a-z-]*' |
        grep -oE -- '--[a-z][a-z-]*')
    [ -n "$options" ] || { echo "$program --help lists no options"; status=1; }
    for option in $options; do
        if ! grep -qE -- "(^|, )$option( |,|$)" <<<"$tags"; then
            echo "$(basename "$program") $option: no entry in $page"
            status=1
        fi
    done
    # The page itself is well formed: man reports roff's warnings.
    if warnings=$(LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) && [ -n "$warnings" ]; then
        echo "$page: $warnings"
        status=1
    fi
done
exit $status
