#!/usr/bin/env bash
# townview_x --off-screen with no X server at all: a device that is missing
# is one line and status 1, the retry then measures and writes records that
# the viewer reads back; their frame logs are drawn and kept in KEEP for
# the frame-time window's test.   offscreen_bench.sh TOWNVIEW_X RESVIEW TREE KEEP
set -u
prog=$(realpath "$1")
viewer=$(realpath "$2")
tree=$3
keep=$4
# shellcheck source=tests/scratchTree.sh
. "$(dirname "$0")/scratchTree.sh" "$tree"

# what the command line refuses before any start
"$prog" --off-screen > out.txt 2>&1
[ $? -eq 2 ] || fail "--off-screen without a benchmark is not status 2"
grep -q "add --bench normal" out.txt || { cat out.txt; fail "no word of the missing --bench"; }
"$prog" --demo --off-screen > out.txt 2>&1
[ $? -eq 2 ] || fail "a demo off-screen is not status 2"
for opt in --bench --size --repeat --frame-log; do
    "$prog" --off-screen $opt > out.txt 2>&1
    [ $? -eq 2 ] || fail "$opt without its value is not status 2"
    head -1 out.txt | grep -qx "townview_x: $opt needs a value" || { cat out.txt; fail "$opt without its value says: $(head -1 out.txt)"; }
done

# what a user types wrong: one line and a pointer to --help, status 2
wrong() {
    "$prog" "$@" > out.txt 2>&1
    [ $? -eq 2 ] || fail "$* is not status 2"
    if [ "$(wc -l < out.txt)" -ne 2 ] || ! tail -1 out.txt | grep -qx "Try 'townview_x --help' for more information."; then
        cat out.txt
        fail "$* is not one line and a pointer to --help"
    fi
}
wrong --bogus
wrong --bench normal --off-screen --size ' 200x150'
wrong --bench normal --off-screen --repeat +2
wrong --bench normal --off-screen --size=200x
wrong --bench normal --off-screen --frame-log ''
wrong --validate normal --off-screen --validate-out=
wrong --no-save=1
"$prog" -h | head -1 | grep -q '^usage: townview_x' || fail "-h does not show the usage"
[ "$("$prog" --version)" = "townview_x KORVA_LIN 1.3" ] || fail "--version says '$("$prog" --version)'"

# no usable device, then no EGL with the surfaceless platform: one line each, no record
one_line_failure() {
    env "$1" timeout 60 "$prog" --bench normal --off-screen > stdout.txt 2> stderr.txt
    rc=$?
    [ $rc -eq 1 ] || { cat stdout.txt stderr.txt; fail "$1: status $rc, not 1"; }
    [ -s stdout.txt ] && { cat stdout.txt; fail "$1: the console printed more than the one line"; }
    [ "$(wc -l < stderr.txt)" -eq 1 ] || { cat stderr.txt; fail "$1: not one line"; }
    grep -q "^townview_x: off-screen: $2" stderr.txt || { cat stderr.txt; fail "$1 says: $(cat stderr.txt)"; }
    [ -e bench.res ] && fail "$1: a run that never started wrote bench.res"
}
one_line_failure LIBGL_DRIVERS_PATH=/nonexistent "no usable GL device"
one_line_failure __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json \
    "this EGL has no surfaceless platform: __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json names no EGL vendor"

# the retry in a good environment: two benchmarks in one process, each its own record,
# on a clock eight times fast (the flights are whole, their rates no measurement);
# their results where the user asks, the relative frame logs with them
"$prog" --bench normal --off-screen --results-dir nowhere > out.txt 2>&1
[ $? -eq 2 ] || fail "a missing --results-dir is not status 2"
grep -qx "townview_x: --results-dir $(pwd -P)/nowhere: no such folder" out.txt || { cat out.txt; fail "a missing --results-dir says: $(cat out.txt)"; }
: > afile
"$prog" --bench normal --off-screen --results-dir afile > out.txt 2>&1
[ $? -eq 2 ] && grep -qx "townview_x: --results-dir $(pwd -P)/afile: not a folder" out.txt || { cat out.txt; fail "a file as --results-dir says: $(cat out.txt)"; }
# bench.json that is bench.res by another name: refused before the flight, status 6, never waited on
mkdir linked && ln -s bench.res linked/bench.json
timeout 60 "$prog" --bench normal --off-screen --results-dir linked > out.txt 2>&1
rc=$?
[ $rc -eq 6 ] && grep -q "benchmark not started: can't write bench.json in .*/linked: it is bench.res by another name" out.txt ||
    { cat out.txt; fail "bench.json linked to bench.res is status $rc"; }
mkdir results
KORVA_CLOCK_RATE=8 timeout 300 "$prog" --bench normal --off-screen --size=200x150 --repeat 2 --frame-log frames.csv --results-dir results > out.txt 2>&1
rc=$?
[ $rc -eq 0 ] || { cat out.txt; fail "the off-screen benchmark is status $rc"; }
grep -q "^SWAP3DBuffer: 200 buffer swaps in " out.txt || { cat out.txt; fail "no display test line"; }
grep -q "^repeat 2: mean " out.txt || { cat out.txt; fail "no summary of the two runs"; }
grep -q $'\r' out.txt && fail "a progress line went into a file"
for f in bench.res bench.json frames-1.csv; do
    [ -e "$f" ] && fail "$f went into the starting folder, not --results-dir"
    [ -s "results/$f" ] || fail "no $f in --results-dir"
done
mv out.txt results/ && cd results || exit 1
grep -q "^the program clock runs 8 times fast (KORVA_CLOCK_RATE=8): this run measures nothing$" out.txt ||
    { cat out.txt; fail "the console does not say the clock ran fast"; }
# two 200 x 150 records without VSync, marked as a test clock's, which every reader leaves out and says so
[ "$(grep -c '^VSync OFF  DDMSwich OFF  TEST CLOCK x8$' bench.res)" -eq 2 ] || { cat bench.res; fail "the records are not two marked runs without VSync"; }
[ "$(grep -c '^200 x 150 x 16 fps: ' bench.res)" -eq 2 ] || { cat bench.res; fail "the records are not two 200 x 150 runs"; }
grep -q 'GLrenderer:' bench.res || fail "the record does not name the renderer"
for f in bench.res bench.json; do
    "$viewer" --csv $f > rows.csv 2> left.txt || { cat left.txt; fail "the viewer does not read $f"; }
    [ "$(wc -l < rows.csv)" -eq 1 ] || { cat rows.csv; fail "the viewer shows a test clock's run from $f as a result"; }
    grep -qx "resview: $f: left out 2 results of a test's fast clock (no measurement)" left.txt || { cat left.txt; fail "the viewer does not say what it left out of $f"; }
done
[ "$(wc -l < bench.json)" -eq 2 ] || fail "bench.json does not hold two lines"
[ "$(grep -c '"clock_rate":8' bench.json)" -eq 2 ] || fail "bench.json does not name the fast clock"
[ "$(grep -c '"window_system":"egl-surfaceless"' bench.json)" -eq 2 ] || fail "bench.json does not name the window system"
grep -q '"frame_log":"frames-2.csv"' bench.json || fail "bench.json does not name its frame log"
"$viewer" --check . > check.txt || { cat check.txt; fail "the records and JSON lines are not whole pairs"; }
grep -q "^2 whole, 0 JSON lines without their record, 0 records without a JSON line" check.txt ||
    { cat check.txt; fail "the check does not count two pairs"; }
# one frame log a run, each whole
for k in 1 2; do
    head -1 "frames-$k.csv" | grep -qx 'frame,since_first_ms,frame_ms,path_s,triangles,texture_kb' ||
        fail "frames-$k.csv is no frame log"
    grep -q "^frame log written to .*/frames-$k.csv$" out.txt || fail "no line names frames-$k.csv"
done
[ -e frames.csv ] && fail "a series wrote a frame log without its run's number"
# both drawn without a display, as scripts make their pictures
"$viewer" --frames frames-1.csv frames-2.csv --png frames.png --size 800x500 > png.txt 2>&1 ||
    { cat png.txt; fail "the viewer does not draw the frame logs"; }
# the PNG signature, then the header's width and height, big-endian
[ "$(od -An -tx1 -N8 frames.png | tr -d ' ')" = 89504e470d0a1a0a ] || fail "frames.png is no PNG"
[ "$(od -An -tu1 -j16 -N8 frames.png | awk '{ print $3 * 256 + $4, $7 * 256 + $8 }')" = "800 500" ] ||
    fail "the frame-time picture is not 800 x 500"
mkdir -p "$keep" && cp frames-1.csv frames-2.csv frames.png "$keep/" || fail "can't keep the frame logs in $keep"
echo "off-screen: $(grep -c '^\[' bench.res) records, $(grep 'fps:' bench.res | tr '\n' ' ')"
