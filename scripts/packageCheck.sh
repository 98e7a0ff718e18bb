#!/usr/bin/env bash
# The Debian packages as a user meets them (run as root, on a built tree):
# korvane and korvane-viewer made with CPack (and refused without
# dpkg-shlibdeps), checked by lintian, korvane installed alone with dpkg
# and its benchmark run off-screen by an unprivileged user from an empty
# folder with no DISPLAY, then the viewer installed and the record read
# back with resview, and both packages removed again, leaving the machine
# as it was.   scripts/packageCheck.sh [BUILD]
set -euo pipefail
KORVA_ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$KORVA_ROOT/build}")
. "$KORVA_ROOT/scripts/deps.sh"
[ "$(id -u)" -eq 0 ] || { echo "packageCheck.sh installs a package: run it as root" >&2; exit 1; }
korva_need dpkg-dev lintian
for p in korvane korvane-viewer; do
    if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        echo "packageCheck.sh: $p is installed already; the check would remove it" >&2
        exit 1
    fi
done

rm -f "$build"/korvane_*.deb "$build"/korvane-viewer_*.deb
# without dpkg-shlibdeps on the PATH no package is made
nodeps=$(mktemp -d)
for t in cmake cpack strip objcopy objdump gzip tar ar fakeroot sh bash dpkg dpkg-deb; do
    p=$(command -v "$t") && ln -s "$p" "$nodeps/$t"
done
if (cd "$build" && PATH=$nodeps cpack -G DEB >"$nodeps/log" 2>&1); then
    echo "cpack made a package without dpkg-shlibdeps" >&2
    exit 1
fi
grep -q "install dpkg-dev" "$nodeps/log" || { cat "$nodeps/log" >&2; echo "no word of dpkg-dev" >&2; exit 1; }
ls "$build"/korvane*.deb >/dev/null 2>&1 && { echo "a package was left without its Depends" >&2; exit 1; }
rm -rf "$nodeps"

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/korvane_*.deb)
viewer=$(ls "$build"/korvane-viewer_*.deb)
for d in "$deb" "$viewer"; do
    echo "== $(basename "$d"): $(du -h "$d" | cut -f1)"
    dpkg-deb -f "$d" Depends Recommends
    lint_rc=0
    lint=$(lintian --fail-on error --display-info "$d" 2>&1) || lint_rc=$?
    echo "$lint" | grep -v '^running with root privileges' || true
    [ $lint_rc -eq 0 ] || { echo "lintian finds errors in $(basename "$d")" >&2; exit 1; }
done
# the benchmark's package brings no toolkit for a viewer it may never open
if dpkg-deb -f "$deb" Depends | grep -q 'wx\|gtk'; then
    echo "korvane depends on the viewer's toolkit" >&2
    exit 1
fi

user=korvacheck
made_user=0
work=$(mktemp -d)
cleanup() {
    dpkg -P korvane-viewer korvane >/dev/null 2>&1 || true
    [ $made_user -eq 1 ] && userdel "$user" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
if ! id "$user" >/dev/null 2>&1; then
    useradd --no-create-home --home-dir "$work" --shell /usr/sbin/nologin "$user"
    made_user=1
fi
dpkg -i "$deb" >/dev/null
chown "$user" "$work"
man -w townview_x >/dev/null

as_user() { runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$work" LANG=C.UTF-8 sh -c "cd '$work' && $*"; }
echo "== townview_x --bench normal --off-screen, as $user in an empty folder, no DISPLAY"
as_user townview_x --bench normal --off-screen --frame-log frames.csv | tail -n 3
[ -f "$work/bench.res" ] || { echo "no bench.res in the user's folder" >&2; exit 1; }
[ ! -e /usr/bin/resview ] || { echo "korvane alone installed the viewer" >&2; exit 1; }
echo "== townview_x --validate normal --off-screen against the installed references"
as_user townview_x --validate normal --off-screen | tail -n 1

echo "== korvane-viewer added"
dpkg -i "$viewer" >/dev/null
man -w resview >/dev/null
as_user resview --table bench.res
[ "$(as_user resview --csv bench.res | wc -l)" -eq 2 ] || { echo "resview does not read one record" >&2; exit 1; }
as_user resview --check . | tail -n 1
# the frame-time picture needs nothing the package does not bring
as_user resview --frames frames.csv --png frames.png
[ -s "$work/frames.png" ] || { echo "resview drew no frame-time picture" >&2; exit 1; }

dpkg -P korvane-viewer korvane >/dev/null
for f in /usr/share/korvane /usr/bin/townview_x /usr/bin/resview; do
    [ ! -e "$f" ] || { echo "the packages left $f behind" >&2; exit 1; }
done
echo "== installed, run and removed"
