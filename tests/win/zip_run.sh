#!/usr/bin/env bash
# The Windows ZIP as a user has it: made by CPack, unpacked into a folder
# with a space in its name, its benchmark run there from another folder,
# the record read back by its own viewer.   zip_run.sh CPACK BUILD WINERUN
set -u
cpack=$1
build=$2
wine_run=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && "$cpack" -G ZIP -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack -G ZIP"; }
zip=$(ls "$work"/pkg/korvane-*-win64.zip 2>/dev/null | head -1)
[ -n "$zip" ] || fail "no korvane-*-win64.zip"
mkdir "$work/Korvane unpacked here"
unzip -q "$zip" -d "$work/Korvane unpacked here" || fail "unzip"
dir=$(ls -d "$work/Korvane unpacked here"/korvane-*-win64)
for f in townview.exe resview.exe korva_winbench.exe Korva.INI README.txt data/base.bin data/smltex.pac data/korvane.manifest; do
    [ -f "$dir/$f" ] || fail "the ZIP has no $f"
done
[ -e "$dir/bench.res" ] && fail "the ZIP carries a bench.res"

# started from another folder, the runner works from its own (a whole
# flight, on a clock eight times fast)
mkdir "$work/elsewhere"
cd "$work/elsewhere" || exit 1
KORVA_CLOCK_RATE=8 "$wine_run" "$dir/korva_winbench.exe" --save --size 200x150 gl > bench.log 2>&1
rc=$?
[ $rc -eq 0 ] || { cat bench.log; fail "the benchmark in the unpacked folder is status $rc"; }
[ -f "$dir/bench.res" ] || { cat bench.log; fail "no bench.res in the unpacked folder"; }
[ -e bench.res ] && fail "bench.res went into the starting folder"
[ "$(grep -c '^\[' "$dir/bench.res")" -eq 1 ] || fail "bench.res does not hold one record"

# the run's size, its record marked as a test clock's, which the viewer of the same folder reads and leaves out
grep -q '^200 x 150 x 32 fps: ' "$dir/bench.res" || { cat "$dir/bench.res"; fail "the record is not the 200 x 150 run"; }
grep -q 'TEST CLOCK x8' "$dir/bench.res" || { cat "$dir/bench.res"; fail "the record does not say its clock ran fast"; }
"$wine_run" "$dir/resview.exe" --csv "$dir/bench.res" > rows.csv 2> rows.err || { cat rows.csv rows.err; fail "resview --csv"; }
tr -d '\r' < rows.csv > rows.txt
[ "$(wc -l < rows.txt)" -eq 1 ] || { cat rows.txt; fail "the viewer shows a test clock's run as a result"; }
grep -q "left out 1 result of a test's fast clock" rows.err || { cat rows.err; fail "the viewer does not say what it left out"; }
# and the base database beside it, from the starting folder too
"$wine_run" "$dir/resview.exe" --table --base > base.txt 2> base.err || { cat base.txt base.err; fail "resview --table --base"; }
[ "$(tr -d '\r' < base.txt | grep -c ' [0-9]*\.[0-9][0-9]$')" -gt 5 ] || { cat base.txt; fail "no base database rows"; }
# and draws frame logs into a PNG, through the toolkit and libpng
printf 'frame,since_first_ms,frame_ms\n1,5.0,5.0\n2,9.5,4.5\n3,21.5,12.0\n' > frames.csv
"$wine_run" "$dir/resview.exe" --frames frames.csv --png frames.png --size 640x400 > png.txt 2>&1 ||
    { cat png.txt; fail "resview --frames --png"; }
[ "$(od -An -tx1 -N8 frames.png | tr -d ' ')" = 89504e470d0a1a0a ] || fail "frames.png is no PNG"
[ "$(od -An -tu1 -j16 -N8 frames.png | awk '{ print $3 * 256 + $4, $7 * 256 + $8 }')" = "640 400" ] ||
    fail "the frame-time picture is not 640 x 400"
# but never over a result file, its own log or a folder
cp "$dir/bench.res" kept.res
for target in "$dir/bench.res" frames.csv "$dir/data"; do
    "$wine_run" "$dir/resview.exe" --frames frames.csv --png "$target" > refused.txt 2>&1
    rc=$?
    [ $rc -eq 2 ] && grep -q "won't write" refused.txt || { cat refused.txt; fail "--png $target: status $rc"; }
done
cmp -s kept.res "$dir/bench.res" || fail "--png changed bench.res"
[ -d "$dir/data" ] || fail "--png replaced the data folder"
# a timedemo on both renderers: the same 2550 frames each, saved as a class of its own
"$wine_run" "$dir/korva_winbench.exe" --timedemo --save --size 64x48 gl d3d > timedemo.log 2>&1 ||
    { cat timedemo.log; fail "the timedemo on both renderers"; }
tr -d '\r' < timedemo.log | grep -q '^DIRECT3D 64x48x32 N.DETAIL TIMEDEMO: ' || { cat timedemo.log; fail "no Direct3D timedemo"; }
python3 - "$dir/bench.json" <<'PY' || fail "the timedemo results are not two lines of 2550 frames"
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1]) if l.strip()][1:]
names = sorted(j["benchmark"] for j in lines)
assert names == ["DIRECT3D  N.DETAIL  N.TEX  TIMEDEMO", "OPENGL    N.DETAIL  N.TEX  TIMEDEMO"], names
assert all(j["mode"] == "timedemo" and j["summary"]["frames"] == 2550 and j["fps"] > 0 for j in lines), lines
PY

echo "the unpacked ZIP ran its benchmark and timedemos: $(grep -i 'fps' "$dir/bench.res" | tr -d '\r' | tr '\n' ' ')"
