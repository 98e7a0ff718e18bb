#!/usr/bin/env bash
# townview_x --bench as a script runs it: its exit status says what became
# of the record.   bench_exit.sh TOWNVIEW_X TREE
set -u
prog=$(realpath "$1")
tree=$2
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

disp=:$((90 + RANDOM % 400))
Xvfb "$disp" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$disp LIBGL_ALWAYS_SOFTWARE=1
sleep 1

# a tree of its own: linux/ with the parameter file, data/ whatever the case needs
tree_with() {
    rm -rf "$work/t" && mkdir -p "$work/t/linux" "$work/t/data"
    cp "$tree/linux/Korva.INI" "$work/t/linux/"
    for d in smltex bigtex endtex; do ln -s "$tree/$d" "$work/t/$d"; done
    [ "$1" = full ] && for f in "$tree"/data/*; do ln -s "$f" "$work/t/data/"; done
    cd "$work/t/linux" || exit 1
}

tree_with full
"$prog" --bench fast > out.txt 2>&1
[ $? -eq 2 ] || fail "a wrong option is not status 2"
[ -e bench.res ] && fail "a wrong option wrote bench.res"

# a data folder without the scene: the run cannot start
tree_with empty
timeout 60 "$prog" --bench normal --size 160x100 > out.txt 2>&1
rc=$?
[ $rc -eq 1 ] || { cat out.txt; fail "a run that cannot start is status $rc, not 1"; }
[ -e bench.res ] && fail "a run that never started wrote bench.res"

# ESC in the flight: no measurement, no record
tree_with full
timeout 120 "$prog" --bench normal --size 160x100 > out.txt 2>&1 &
app=$!
win=$(timeout 30 xdotool search --sync --name "Korvane FLTK" | head -1) || fail "no run window"
sleep 3
xdotool windowfocus --sync "$win" 2>/dev/null; xdotool key Escape
wait $app
rc=$?
[ $rc -eq 4 ] || { cat out.txt; fail "a benchmark left with ESC is status $rc, not 4"; }
grep -q "BENCHMARK CANCELLED. NO RESULT WRITTEN" out.txt || fail "no line says the benchmark was cancelled"
[ -e bench.res ] && fail "a cancelled benchmark wrote bench.res"

# a bench.res that cannot be written: the result is shown, the status is 3
tree_with full
mkdir bench.res
timeout 300 "$prog" --bench normal --size 160x100 > out.txt 2>&1
rc=$?
[ $rc -eq 3 ] || { cat out.txt; fail "an unwritable bench.res is status $rc, not 3"; }
grep -q "can't write BENCH.RES file" out.txt || fail "no line says bench.res was not written"
grep -qE "^160 x 100 x 16 fps: +[0-9]+\.[0-9]$" out.txt || fail "the result is not shown"
echo "exit statuses 2, 1, 4 and 3 as documented"
