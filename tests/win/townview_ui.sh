#!/usr/bin/env bash
# townview.exe under Wine and Xvfb, used as a person would with xdotool:
# OPEN GL, a mode typed by hand, SINGLE  BENCH and START BENCHMARK until the
# record is in bench.res, the 3D MATH TEST and its lines in the log, the
# settings dialog, RESULT VIEWER until the viewer's window shows, and a
# MULTI  BENCH of both detail classes writing two more records. The dialogs
# are what it tests, not the flights' length: the program's clock runs
# eight times fast (KORVA_CLOCK_RATE), and its records say so.
#   townview_ui.sh TREE PROBE.exe SHOTS
set -u
TREE=$1
PROBE=$2
SHOTS=$3
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUN=$ROOT/scripts/wineRun.sh
MAIN="KORVANE 1.3 for Windows by the Korvane team"
mkdir -p "$SHOTS"
WORK=$(mktemp -d)
. "$ROOT/tests/ui/xwindows.sh"
cleanup() {
    WINEPREFIX=${KORVA_WINEPREFIX:-$ROOT/.deps/wineprefix} /usr/lib/wine/wineserver64 -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$WORK" "$xwin_err"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    /usr/bin/import -window root "$SHOTS/failure.png" 2>/dev/null
    exit 1
}

cp "$TREE/townview.exe" "$TREE/resview.exe" "$TREE/Korva.INI" "$WORK/"
ln -s "$TREE/data" "$WORK/data"
xserver || fail "no X server"
cd "$WORK" || exit 1

probe() { "$RUN" "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }
# window id of a visible window with exactly this title, waiting up to $2 s
waitWindow() { xwait "^$1\$" "$2" --onlyvisible; }
waitGone() { xgone "^$1\$" "$2" --onlyvisible; }
# the centres of controls of a dialog template, from the client corner
declare -A AT
layout() { # template id...
    local t=$1
    shift
    while read -r id x y; do
        AT[$t.$id]="$x $y"
    done < <(probe geom townview.exe "$t" "$@" | grep -v '^window')
}
click() { # window template id
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    read -r cx cy <<<"${AT[$2.$3]:-}"
    [ -n "${cx:-}" ] || fail "no place for control $3 of $2"
    xdotool mousemove $((X + cx)) $((Y + cy))
    sleep 0.3
    xdotool click 1
    sleep 0.5
}
typeInto() { # window template id text
    click "$1" "$2" "$3"
    xdotool key Home shift+End BackSpace
    xdotool type --delay 40 "$4"
    sleep 0.3
}
shot() { xgrab "$1" "$SHOTS/$2.png"; }

layout TOWNVIEW 1070 1071 1072 1019 1020 1021 1099 1098 1116 1050 1037
layout BENCH_DIALOG 1002 1100 1105
layout SETTINGS_DIALOG 1

KORVA_CLOCK_RATE=8 "$RUN" townview.exe >"$WORK/townview.out" 2>&1 &
main=$(waitWindow "$MAIN" 120) || fail "no main dialog"
sleep 2
shot "$main" main_dialog
log=$(probe text "$MAIN" 1001)
grep -q "^resolution now: [0-9]* x [0-9]* x [0-9]*" <<<"$log" || fail "no desktop line: $log"
grep -q "^Desktop rendering FPS " <<<"$log" || fail "no desktop rendering rate: $log"
grep -q "^3DNOW" <<<"$log" || fail "no processor line: $log"

click "$main" TOWNVIEW 1071
click "$main" TOWNVIEW 1072
typeInto "$main" TOWNVIEW 1019 640
typeInto "$main" TOWNVIEW 1020 480
typeInto "$main" TOWNVIEW 1021 32

click "$main" TOWNVIEW 1099
bench=$(waitWindow "KORVANE BENCHMARK - SINGLE" 30) || fail "no benchmark dialog"
sleep 1
typeInto "$bench" BENCH_DIALOG 1100 "Wine test PC"
shot "$bench" bench_dialog
click "$bench" BENCH_DIALOG 1002
waitGone "KORVANE BENCHMARK - SINGLE" 20 || fail "the benchmark dialog stays"

# the flight: 170 s of path at 4x and eight times fast, then the record
ok=0
for i in $(seq 1 400); do
    [ "$i" -eq 20 ] && /usr/bin/import -window root "$SHOTS/bench_run.png"
    if [ -f bench.res ] && grep -q "^\]" bench.res; then
        ok=1
        break
    fi
    sleep 1
done
[ $ok -eq 1 ] || fail "no record in bench.res"
cp bench.res "$SHOTS/bench.res"
awk 'NR==1 && $0!="[" {exit 1}
     NR==2 && $0!="Wine test PC" {exit 1}
     NR==3 && $0!="OPENGL    N.DETAIL  N.TEX" {exit 1}
     NR==5 && $0 !~ /^KORVA_WIN 1\.3  GLvendor:.*  GLrenderer:/ {exit 1}
     NR==6 && $0 !~ /^VSync O(N |FF)  DDMSwich OFF  TEST CLOCK x8$/ {exit 1}
     NR==7 && $0 !~ /^640 x 480 x (16|24|32) fps: +[0-9]+\.[0-9]$/ {exit 1}
     NR==8 && $0!="]" {exit 1}
     NR==9 && $0!="" {exit 1}
     END {if (NR!=9) exit 1}' bench.res || fail "record not as expected: $(cat bench.res)"
grep -q $'\r' bench.res && fail "CR in bench.res"

# the dialog is back once the run window is gone
waitGone Korvane 30 || fail "the run window stays"
sleep 2
log=$(probe text "$MAIN" 1001)
grep -q "^640 x 480 x [0-9]* fps: " <<<"$log" || fail "no result in the log: $log"

click "$main" TOWNVIEW 1116
for i in $(seq 1 120); do
    log=$(probe text "$MAIN" 1001)
    grep -q "Pentium 233" <<<"$log" && break
    sleep 1
done
printf '%s\n' "$log" >"$SHOTS/math_log.txt"
shot "$main" main_math
grep -q "^This a speed test of Korvane internal Matrix routines with 3DNOW$" <<<"$log" || fail "math test: $log"
grep -q "^Testing 10.000.000 x  matrix\*vector$" <<<"$log" || fail "math test: $log"
grep -q "^Testing 1.000.000 x  matrix\*matrix$" <<<"$log" || fail "math test: $log"
grep -q "^Time to calculate  *[0-9]*\.[0-9][0-9] s$" <<<"$log" || fail "math test: $log"
[ "$(grep -c " x faster than a " <<<"$log")" -eq 7 ] || fail "math test lines: $log"

click "$main" TOWNVIEW 1050
settings=$(waitWindow "DEMO SETTINGS" 30) || fail "no settings dialog"
sleep 1
shot "$settings" settings_dialog
click "$settings" SETTINGS_DIALOG 1
waitGone "DEMO SETTINGS" 20 || fail "the settings dialog stays"
sleep 1

click "$main" TOWNVIEW 1037
viewer=$(waitWindow "KORVANE benchmarks result viewer 1.3" 60) || fail "no result viewer"
sleep 2
shot "$viewer" viewer
# the viewer covers the dialog: closed as a person would, with Alt+F4
xdotool mousemove 300 300
sleep 0.3
xdotool key --window "$viewer" alt+F4
waitGone "KORVANE benchmarks result viewer 1.3" 20 || fail "the viewer stays"
sleep 1

# both classes one after the other, at the mode of the main dialog
click "$main" TOWNVIEW 1098
multi=$(waitWindow "KORVANE BENCHMARK - MULTI" 30) || fail "no multi benchmark dialog"
sleep 1
click "$multi" BENCH_DIALOG 1105
shot "$multi" multi_bench_dialog
click "$multi" BENCH_DIALOG 1002
waitGone "KORVANE BENCHMARK - MULTI" 20 || fail "the multi benchmark dialog stays"
for i in $(seq 1 500); do
    [ "$(grep -c '^\]' bench.res)" -ge 3 ] && break
    sleep 1
done
cp bench.res "$SHOTS/bench.res"
[ "$(grep -c '^\]' bench.res)" -eq 3 ] || fail "multi bench records: $(cat bench.res)"
[ "$(sed -n 12p bench.res)" = "OPENGL    N.DETAIL  N.TEX" ] || fail "first multi run: $(cat bench.res)"
[ "$(sed -n 21p bench.res)" = "OPENGL    H.DETAIL  N.TEX" ] || fail "second multi run: $(cat bench.res)"
[ "$(grep -c '^640 x 480 x 32 fps: ' bench.res)" -eq 3 ] || fail "multi bench modes: $(cat bench.res)"
waitGone Korvane 30 || fail "the run window stays after the multi benchmark"
sleep 2

# the same flight on DIRECT 3D, in the same mode: the display cannot switch
# to it here, so the run goes into a window
click "$main" TOWNVIEW 1070
click "$main" TOWNVIEW 1099
bench=$(waitWindow "KORVANE BENCHMARK - SINGLE" 30) || fail "no benchmark dialog for Direct3D"
sleep 1
click "$bench" BENCH_DIALOG 1002
waitGone "KORVANE BENCHMARK - SINGLE" 20 || fail "the benchmark dialog stays"
for i in $(seq 1 300); do
    [ "$i" -eq 20 ] && /usr/bin/import -window root "$SHOTS/bench_run_d3d.png"
    [ "$(grep -c '^\]' bench.res)" -ge 4 ] && break
    sleep 1
done
cp bench.res "$SHOTS/bench.res"
[ "$(grep -c '^\]' bench.res)" -eq 4 ] || fail "no Direct3D record: $(cat bench.res)"
awk 'NR==30 && $0!="DIRECT3D  N.DETAIL  N.TEX" {exit 1}
     NR==32 && $0 !~ /^KORVA_WIN 1\.3  D3Ddriver:.*  D3Ddevice:/ {exit 1}
     NR==33 && $0 !~ /VSync O(N |FF)  DDMSwich OFF  TEST CLOCK x8$/ {exit 1}
     NR==34 && $0 !~ /^640 x 480 x 32 fps: +[0-9]+\.[0-9]$/ {exit 1}
     END {if (NR!=36) exit 1}' bench.res || fail "Direct3D record not as expected: $(cat bench.res)"
waitGone Korvane 30 || fail "the Direct3D run window stays"
echo "townview UI under Wine: all steps passed"
