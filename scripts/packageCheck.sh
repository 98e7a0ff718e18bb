#!/usr/bin/env bash
# The Debian package as a user meets it (run as root, on a built tree):
# made with CPack, checked by lintian, installed with dpkg, its benchmark
# run off-screen by an unprivileged user from an empty folder with no
# DISPLAY, the record read back with resview, and the package removed
# again, leaving the machine as it was.   scripts/packageCheck.sh [BUILD]
set -euo pipefail
KORVA_ROOT=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$KORVA_ROOT/build}")
. "$KORVA_ROOT/scripts/deps.sh"
[ "$(id -u)" -eq 0 ] || { echo "packageCheck.sh installs a package: run it as root" >&2; exit 1; }
korva_need dpkg-dev lintian
if dpkg-query -W -f='${Status}' korvane 2>/dev/null | grep -q 'install ok installed'; then
    echo "packageCheck.sh: korvane is installed already; the check would remove it" >&2
    exit 1
fi

rm -f "$build"/korvane_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/korvane_*.deb)
echo "== $(basename "$deb"): $(du -h "$deb" | cut -f1)"
dpkg-deb -f "$deb" Depends
lint_rc=0
lint=$(lintian --fail-on error --display-info "$deb" 2>&1) || lint_rc=$?
echo "$lint" | grep -v '^running with root privileges' || true
[ $lint_rc -eq 0 ] || { echo "lintian finds errors" >&2; exit 1; }

user=korvacheck
made_user=0
work=$(mktemp -d)
cleanup() {
    dpkg -P korvane >/dev/null 2>&1 || true
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
man -w townview_x resview >/dev/null

as_user() { runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$work" LANG=C.UTF-8 sh -c "cd '$work' && $*"; }
echo "== townview_x --bench normal --off-screen, as $user in an empty folder, no DISPLAY"
as_user townview_x --bench normal --off-screen | tail -n 3
[ -f "$work/bench.res" ] || { echo "no bench.res in the user's folder" >&2; exit 1; }
as_user resview --table bench.res
echo "== townview_x --validate normal --off-screen against the installed references"
as_user townview_x --validate normal --off-screen | tail -n 1
[ "$(as_user resview --csv bench.res | wc -l)" -eq 2 ] || { echo "resview does not read one record" >&2; exit 1; }

dpkg -P korvane >/dev/null
[ ! -e /usr/share/korvane ] && [ ! -e /usr/bin/townview_x ] || { echo "the package left files behind" >&2; exit 1; }
echo "== installed, run and removed"
