#!/usr/bin/env bash
# Builds the Debian package from the build folder (into a temporary folder) and checks its control
# fields and its files; lintian, appstreamcli and desktop-file-validate check it too where installed.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source=$2 version=$3
command -v dpkg-deb >/dev/null || {
    echo "dpkg-deb is not installed"
    exit 77
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out") >"$work/log" 2>&1 || {
    cat "$work/log"
    exit 1
}
deb=$(echo "$work"/out/qdv70_*.deb)
[ -f "$deb" ] || {
    cat "$work/log"
    echo "no qdv70_*.deb made"
    exit 1
}
[ "$(basename "$deb")" = "qdv70_${version}_$(dpkg --print-architecture).deb" ] || {
    echo "unexpected package name $(basename "$deb")"
    exit 1
}

status=0
fail() {
    echo "$*"
    status=1
}
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = qdv70 ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[ -n "$(field Section)" ] || fail "no Section"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
# The libraries from dpkg-shlibdeps, and the platform plugins the desktop program loads.
for p in libc6 libqt6core6 libqt6widgets6 libcurl4 qt6-qpa-plugins; do
    [[ ", $depends," == *", $p"[\ ,]* ]] || fail "Depends lacks $p: $depends"
done
# The FTP server only serves the demo and the tests.
[[ $depends != *pyftpdlib* ]] || fail "Depends names the FTP server: $depends"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./||' >"$work/files"
while IFS= read -r f; do
    [[ $f == usr/* || $f == usr || -z $f ]] || fail "outside /usr: $f"
done <"$work/files"
expected=(usr/bin/qdv70 usr/bin/qdv70cli usr/bin/qdv70sim usr/share/man/man1/qdv70.1.gz
    usr/share/man/man1/qdv70cli.1.gz usr/share/man/man1/qdv70sim.1.gz usr/share/applications/qdv70.desktop
    usr/share/icons/hicolor/scalable/apps/qdv70.svg usr/share/icons/hicolor/64x64/apps/qdv70.png
    usr/share/metainfo/org.qdv70.qdv70.metainfo.xml usr/share/bash-completion/completions/qdv70cli
    usr/lib/systemd/user/qdv70-backup@.service usr/lib/systemd/user/qdv70-backup@.timer
    usr/lib/systemd/user/qdv70-backup-failed@.service
    usr/share/doc/qdv70/copyright usr/share/doc/qdv70/changelog.gz)
# The operator's manual where the source has one, as Help looks for it beside the installed program.
[ -d "$source/docs/manual" ] && expected+=(usr/share/qdv70/manual/en/index.html usr/share/qdv70/manual/ja/index.html)
for f in "${expected[@]}"; do
    grep -qxF "$f" "$work/files" || fail "not in the package: /$f"
done

mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
grep -qx 'ExecStart=/usr/bin/qdv70cli .*' "$work/root/usr/lib/systemd/user/qdv70-backup@.service" ||
    fail "the packaged service does not run /usr/bin/qdv70cli"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.qdv70.qdv70.metainfo.xml" ||
        fail "appstreamcli validate failed"
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/root/usr/share/applications/qdv70.desktop" || fail "desktop-file-validate failed"
fi
if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb" || fail "lintian reports errors"
fi
exit $status
