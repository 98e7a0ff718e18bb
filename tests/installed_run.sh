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

# the user's folder: its own Korva.INI with its own identification, and a
# folder named data beside it that is no data tree
mkdir -p "$work/home/user" "$work/home/data"
cd "$work/home/user" || exit 1
sed '1s/.*/Installed test machine/' "$usr/share/korvane/linux/Korva.INI" > Korva.INI
# its console read only up to the data tree's line: the closed pipe must not end the run
KORVA_CLOCK_RATE=8 timeout 300 "$usr/bin/townview_x" --bench normal --off-screen --size 160x120 2>&1 | head -4 > console.txt
rc=${PIPESTATUS[0]}
[ $rc -eq 0 ] || { cat console.txt; fail "the installed benchmark is status $rc"; }
grep -qx "data tree: $usr/share/korvane" console.txt || { cat console.txt; fail "the console does not name the installed tree"; }
[ -f bench.res ] && [ -f bench.json ] || fail "the results are not in the starting folder"
# the user's help works from a folder that is gone, a run says why it can't start
mkdir "$work/gone" && cd "$work/gone" && rmdir "$work/gone"
"$usr/bin/townview_x" --help > /dev/null || fail "--help needs a working folder"
"$usr/bin/townview_x" --bench normal --off-screen 2> "$work/gone.txt"
[ $? -eq 1 ] || fail "a start from a folder that is gone is not status 1"
grep -q "the working folder can't be read" "$work/gone.txt" || { cat "$work/gone.txt"; fail "no word of the gone folder"; }
cd "$work/home/user" || exit 1
"$usr/bin/townview_x" --bench normal > nodisplay.txt 2>&1
[ $? -eq 1 ] || fail "a windowed benchmark without DISPLAY is not status 1"
grep -q "no X display (DISPLAY is not set).*--off-screen" nodisplay.txt || { cat nodisplay.txt; fail "no way forward without a display"; }
"$usr/bin/resview" > nodisplay.txt 2>&1
[ $? -eq 1 ] || fail "the viewer's window without a display is not status 1"
grep -q "^resview: no display (DISPLAY is not set).*--table" nodisplay.txt || { cat nodisplay.txt; fail "the viewer gives no way forward without a display"; }
grep -qx "Installed test machine" bench.res || { cat bench.res; fail "the record does not carry the folder's Korva.INI"; }
"$usr/bin/resview" --csv bench.res > rows.csv 2> left.txt || fail "the installed viewer does not read bench.res"
[ "$(wc -l < rows.csv)" -eq 1 ] && grep -q "left out 1 result of a test's fast clock" left.txt ||
    { cat rows.csv left.txt; fail "the installed viewer shows a test clock's run as a result"; }
# bench.res moved aside, as the program advises when it is full: the next run keeps every JSON line
mv bench.res bench-old.res
KORVA_CLOCK_RATE=8 timeout 300 "$usr/bin/townview_x" --bench normal --off-screen --size 160x120 > again.txt 2>&1 ||
    { cat again.txt; fail "the run after bench.res was moved aside"; }
[ "$(wc -l < bench.json)" -eq 2 ] || { cat bench.json; fail "moving bench.res aside cost bench.json its lines"; }
"$usr/bin/resview" --check . > check.txt || { cat check.txt; fail "the check fails on a folder whose bench.res was moved aside"; }
grep -q "^1 whole, 0 JSON lines without their record, 0 records without a JSON line, 0 JSON lines naming no record, 0 lines that are no JSON, 1 of an earlier bench.res, 0 duplicates$" check.txt ||
    { cat check.txt; fail "the check does not count one pair and one of an earlier bench.res"; }
# the viewer finds the installed base database from any folder
"$usr/bin/resview" --table --base > base.txt || fail "resview --table --base from the user's folder"
[ "$(wc -l < base.txt)" -gt 5 ] || { cat base.txt; fail "no rows of the base database"; }
written=$(find "$usr" -newer "$work/stamp" -type f)
[ -z "$written" ] || fail "the run wrote into the installed tree: $written"
echo "installed run: $(grep 'fps:' bench.res)"
