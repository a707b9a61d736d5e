#!/usr/bin/env bash
# `cmake --install` into a staging root with DESTDIR and a prefix other than the configured one: every
# installed file lies under DESTDIR/PREFIX, and the installed service runs the installed tool.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=/opt/qdv70-staged
root=$work/root
DESTDIR=$root cmake --install "$build" --prefix "$prefix" >"$work/log" 2>&1 || {
    cat "$work/log"
    exit 1
}

status=0
fail() {
    echo "$*"
    status=1
}
# The manifest names the installed files without DESTDIR.
mapfile -t installed <"$build/install_manifest.txt"
((${#installed[@]} > 0)) || fail "install_manifest.txt lists nothing"
for f in "${installed[@]}"; do
    [[ $f == "$prefix/"* ]] || fail "installed outside $prefix: $f"
    [ -e "$root$f" ] || fail "listed but not under $root: $f"
done
# Every file under the root is in the manifest: nothing was written beside it.
while IFS= read -r f; do
    printf '%s\n' "${installed[@]}" | grep -qxF "${f#"$root"}" || fail "not in the manifest: $f"
done < <(find "$root" -type f)

for f in bin/qdv70 bin/qdv70cli bin/qdv70sim share/man/man1/qdv70.1.gz share/man/man1/qdv70cli.1.gz \
    share/man/man1/qdv70sim.1.gz share/applications/qdv70.desktop share/metainfo/org.qdv70.qdv70.metainfo.xml \
    share/bash-completion/completions/qdv70cli lib/systemd/user/qdv70-backup@.service \
    lib/systemd/user/qdv70-backup@.timer lib/systemd/user/qdv70-backup-failed@.service; do
    [ -e "$root$prefix/$f" ] || fail "not installed: $prefix/$f"
done

for unit in qdv70-backup@.service qdv70-backup-failed@.service; do
    exec_start=$(sed -n 's/^ExecStart=//p' "$root$prefix/lib/systemd/user/$unit")
    tool=${exec_start%% *}
    [ "$tool" = "$prefix/bin/qdv70cli" ] || fail "the installed $unit runs $tool, not $prefix/bin/qdv70cli"
done
[ -x "$root$tool" ] || fail "the installed service's tool $tool is not installed"
"$root$prefix/bin/qdv70cli" --version | grep -q '^qdv70cli ' || fail "the installed qdv70cli does not run"
exit $status
