#!/usr/bin/env bash
# Korvane installed with cmake --install and run as a user runs it: from an
# empty folder, with no X server, Korva.INI of that folder, the results
# written there and nothing written into the installed tree.
#   installed_run.sh BUILD
set -u
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY

cmake --install "$build" --prefix "$work/usr" > "$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
usr=$work/usr
for f in bin/townview_x bin/resview share/korvane/linux/Korva.INI share/korvane/data/base.bin \
    share/korvane/data/smltex.pac share/korvane/data/korvane.manifest share/korvane/smltex \
    share/man/man6/townview_x.6.gz share/man/man1/resview.1.gz share/doc/korvane/copyright \
    share/applications/korvane-townview.desktop share/applications/korvane-resview.desktop \
    share/icons/hicolor/128x128/apps/korvane.png; do
    [ -e "$usr/$f" ] || fail "the install has no $f"
done
for d in korvane-townview korvane-resview; do
    exe=$(sed -n 's/^Exec=//p' "$usr/share/applications/$d.desktop")
    [ -x "$usr/bin/$exe" ] || fail "$d.desktop starts $exe, which the install has not"
    grep -qx "Icon=korvane" "$usr/share/applications/$d.desktop" || fail "$d.desktop has not the logo as icon"
done
touch "$work/stamp"

# the user's folder: its own Korva.INI with its own identification
mkdir "$work/home"
cd "$work/home" || exit 1
sed '1s/.*/Installed test machine/' "$usr/share/korvane/linux/Korva.INI" > Korva.INI
timeout 300 "$usr/bin/townview_x" --bench normal --off-screen --size 160x120 > console.txt 2>&1
rc=$?
[ $rc -eq 0 ] || { cat console.txt; fail "the installed benchmark is status $rc"; }
[ -f bench.res ] && [ -f bench.json ] || fail "the results are not in the starting folder"
"$usr/bin/resview" --csv bench.res > rows.csv || fail "the installed viewer does not read bench.res"
grep -q '^Installed test machine,' rows.csv || { cat rows.csv; fail "the record does not carry the folder's Korva.INI"; }
# the viewer finds the installed base database from any folder
"$usr/bin/resview" --table --base > base.txt || fail "resview --table --base from the user's folder"
[ "$(wc -l < base.txt)" -gt 5 ] || { cat base.txt; fail "no rows of the base database"; }
written=$(find "$usr" -newer "$work/stamp" -type f)
[ -z "$written" ] || fail "the run wrote into the installed tree: $written"
echo "installed run: $(grep 'fps:' bench.res)"
