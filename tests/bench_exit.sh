#!/usr/bin/env bash
# townview_x --bench as a script runs it: its exit status says what became
# of the record.   bench_exit.sh TOWNVIEW_X TREE
set -u
prog=$(realpath "$1")
tree=$2
work=$(mktemp -d)
. "$(dirname "$0")/ui/xwindows.sh"
trap 'kill $xvfb_pid 2>/dev/null; rm -rf "$work" "$xwin_err"' EXIT

xserver 1024x768x24 || fail "no X server"
export LIBGL_ALWAYS_SOFTWARE=1

# a tree of its own: linux/ with the parameter file, data/ whatever the case needs
tree_with() {
    rm -rf "$work/t" && mkdir -p "$work/t/linux" "$work/t/data"
    cp "$tree/linux/Korva.INI" "$work/t/linux/"
    for d in smltex bigtex endtex; do ln -s "$tree/$d" "$work/t/$d"; done
    # a data folder is the tree's only with its manifest
    if [ "$1" = full ]; then
        for f in "$tree"/data/*; do ln -s "$f" "$work/t/data/"; done
    else
        ln -s "$tree/data/korvane.manifest" "$work/t/data/"
    fi
    cd "$work/t/linux" || exit 1
}

tree_with full
"$prog" --bench fast > out.txt 2>&1
[ $? -eq 2 ] || fail "a wrong option is not status 2"
[ -e bench.res ] && fail "a wrong option wrote bench.res"

# a data folder with its manifest but without the scene: the run cannot start
tree_with empty
timeout 60 "$prog" --bench normal --size 160x100 > out.txt 2>&1
rc=$?
[ $rc -eq 1 ] || { cat out.txt; fail "a run that cannot start is status $rc, not 1"; }
[ -e bench.res ] && fail "a run that never started wrote bench.res"

# data that are not the build's: refused at the start, however they are damaged
damaged() {
    tree_with full
    rm "$work/t/data/cam.bre"
    cp "$tree/data/cam.bre" "$work/t/data/cam.bre"
    "$@" "$work/t/data/cam.bre"
    timeout 60 "$prog" --bench normal --size 160x100 > out.txt 2>&1
    rc=$?
    [ $rc -eq 1 ] || { cat out.txt; fail "a benchmark on a damaged cam.bre is status $rc, not 1"; }
    grep -q "^data check: ../data/cam.bre " out.txt || { cat out.txt; fail "no line names the damaged cam.bre"; }
    [ -e bench.res ] && fail "a benchmark on damaged data wrote bench.res"
}
nan_step() { printf '\x00\x00\xc0\x7f' | dd of="$1" bs=1 seek=$((68 * 7 + 64)) conv=notrunc status=none; }
huge_step() { printf '\xca\xf2\x49\x71' | dd of="$1" bs=1 seek=$((68 * 7 + 64)) conv=notrunc status=none; }
garbage_behind() { head -c 3000000 /dev/urandom >> "$1"; }
emptied() { : > "$1"; }
cut_to_half() { truncate -s $(($(stat -c %s "$1") / 2)) "$1"; }
for d in nan_step huge_step garbage_behind emptied cut_to_half; do damaged "$d"; done

# a file size limit that the record would cross: status 3, bench.res as it was, no signal
tree_with full
for i in $(seq 43); do printf '[\nOld PC\nOPENGL    N.DETAIL  N.TEX\nold\nKORVA_LIN 1.3\nVSync OFF\n640 x 480 x 16 fps: 40.0\n]\n\n'; done > bench.res
head -c $((4000 - $(stat -c %s bench.res))) /dev/zero | tr '\0' '\n' >> bench.res
cp bench.res "$work/before.res"
# (a whole flight, on a clock eight times fast)
( ulimit -f 4; KORVA_CLOCK_RATE=8 exec timeout 300 "$prog" --bench normal --size 160x100 ) 2>&1 | cat > out.txt
rc=${PIPESTATUS[0]}
[ $rc -eq 3 ] || { cat out.txt; fail "a record beyond the file size limit is status $rc, not 3"; }
cmp -s bench.res "$work/before.res" || fail "a failed append changed bench.res"
grep -q "bench.res is left as it was" out.txt || fail "no line says bench.res is as it was"

# ESC in the flight: no measurement, no record
tree_with full
timeout 120 "$prog" --bench normal --size 160x100 > out.txt 2>&1 &
app=$!
win=$(xwait "Korvane FLTK" 30) || fail "no run window"
sleep 3
xdotool windowfocus --sync "$win" 2>/dev/null; xdotool key Escape
wait $app
rc=$?
[ $rc -eq 4 ] || { cat out.txt; fail "a benchmark left with ESC is status $rc, not 4"; }
grep -q "BENCHMARK CANCELLED. NO RESULT WRITTEN" out.txt || fail "no line says the benchmark was cancelled"
[ -e bench.res ] && fail "a cancelled benchmark wrote bench.res"

# music asked into a relative WAV file goes where the program was started,
# though it moves into the folder beside its data
tree_with full
cp "$prog" "$work/t/linux/townview_x"
mkdir -p "$work/elsewhere" && cd "$work/elsewhere" || exit 1
KORVA_AUDIO=wav:mix.wav timeout 8 "$work/t/linux/townview_x" --demo --size 160x100 > out.txt 2>&1
[ -s mix.wav ] || { cat out.txt; fail "the music did not go to mix.wav in the starting folder"; }
[ -e "$work/t/linux/mix.wav" ] && fail "the music went into the program's folder"

# a bench.res that cannot be written: refused before the flight, status 3, nothing created
tree_with full
mkdir bench.res
timeout 300 "$prog" --bench normal --size 160x100 > out.txt 2>&1
rc=$?
[ $rc -eq 3 ] || { cat out.txt; fail "an unwritable bench.res is status $rc, not 3"; }
grep -qx "benchmark not started: can't write bench.res in $PWD: it is not a regular file" out.txt ||
    { cat out.txt; fail "no one line names the folder and why bench.res can't be written"; }
[ -e bench.json ] && fail "a refused benchmark created bench.json"

# a frame log over a result file, or a link to one: refused before anything runs
rmdir bench.res
printf '[\nkept\n' > bench.res
ln -s bench.res link.csv
for log in bench.res link.csv; do
    timeout 60 "$prog" --bench normal --size 160x100 --frame-log "$log" > out.txt 2>&1
    rc=$?
    [ $rc -eq 2 ] || { cat out.txt; fail "--frame-log $log is status $rc, not 2"; }
    grep -q "it is a result file; it is left as it is" out.txt || { cat out.txt; fail "--frame-log $log: no reason"; }
    [ "$(cat bench.res)" = "$(printf '[\nkept')" ] || fail "--frame-log $log changed bench.res"
done
echo "exit statuses 2, 1 (damaged data included), 4 and 3 (a file size limit and an unwritable folder included) as documented"
