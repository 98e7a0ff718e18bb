#!/usr/bin/env bash
# townview_x used as a person would: under Xvfb, clicks and keys with xdotool.
#   townview_ui.sh TOWNVIEW_X TREE SHOTS
# A single benchmark with typed identification texts, the demo settings
# changed, then the demo walked through with ESC; screenshots go to SHOTS.
set -u
prog=$1
tree=$2
shots=$3
# shellcheck source=tests/ui/xwindows.sh
. "$(dirname "$0")/xwindows.sh"
uiStart "$shots"
shot() { xgrab root "$shots/$1.png" || true; }

for d in data smltex bigtex endtex; do ln -s "$tree/$d" "$work/$d"; done
mkdir "$work/linux" && cp "$tree/linux/Korva.INI" "$work/linux/"

xserver || fail "no X server"
export LIBGL_ALWAYS_SOFTWARE=1 KORVA_CONSOLE_ECHO=1
cd "$work/linux" || exit 1
"$prog" > "$work/console.txt" 2>&1 &
app=$!

main=$(xwait "Korvane for FLTK" 20) || fail "no main dialog"
sleep 1
shot main_dialog

# the RESOLUTION list holds one selection: a click moves it, nothing stays highlighted beside it
# (its rows are 15 pixels apart from y 13; a highlighted row is dark blue)
row_blue() {
    xgrab "$main" "$work/list.png" || fail "no picture of the main dialog"
    convert "$work/list.png" -format "%[fx:int(255*p{350,$((13 + 15 * ($1 - 1) + 7))}.b - 255*p{350,$((13 + 15 * ($1 - 1) + 7))}.r)]" info:
}
xdotool mousemove --window "$main" 290 $((13 + 15 * 2 + 7)) click 1
sleep 0.5
[ "$(row_blue 3)" -gt 60 ] || fail "800x600 clicked is not highlighted"
[ "$(row_blue 2)" -lt 20 ] || { cp "$work/list.png" "$shots/two_selected.png"; fail "640x480 stays highlighted beside the entry clicked"; }
xdotool mousemove --window "$main" 290 $((13 + 15 + 7)) click 1
sleep 0.5
[ "$(row_blue 2)" -gt 60 ] && [ "$(row_blue 3)" -lt 20 ] || fail "the list does not go back to 640x480 alone"

# SINGLE BENCH, then the identification texts, then START BENCHMARK
xdotool mousemove --window "$main" 191 27 click 1
bench=$(xwait "^BENCHMARK$") || fail "no benchmark dialog"
sleep 0.5
xdotool mousemove --window "$bench" 228 100 click 1 key ctrl+a type "UI rig seven"
xdotool mousemove --window "$bench" 228 165 click 1 key ctrl+a type "typed at the dialog"
sleep 0.3
shot benchmark_dialog
xdotool mousemove --window "$bench" 64 242 click 1
xwait "Korvane FLTK" 20 >/dev/null || fail "no run window"
sleep 6
shot benchmark_running
xgone "Korvane FLTK" 150 || fail "the benchmark did not end"
[ -f bench.res ] || fail "no bench.res"
[ "$(wc -l < bench.res)" -eq 9 ] || fail "bench.res is not one nine-line record"
sed -n 2p bench.res | grep -qx "UI rig seven" || fail "identification not in the record"
sed -n 4p bench.res | grep -qx "typed at the dialog" || fail "information not in the record"
sed -n 3p bench.res | grep -qx "OPENGL    N.DETAIL  N.TEX" || fail "bad line 3"
sed -n 7p bench.res | grep -qE "^640 x 480 x 16 fps: +[0-9]+\.[0-9]$" || fail "bad result line"

# CONFIG DEMO opens only when the dialog is active again; DAY must stick
xdotool mousemove --window "$main" 65 52 click 1
settings=$(xwait "DEMO SETTINGS") || fail "no settings dialog"
sleep 0.5
xdotool mousemove --window "$settings" 230 26 click 1
sleep 0.3
shot demo_settings
xdotool key --window "$settings" Escape 2>/dev/null
xgone "DEMO SETTINGS" 3 || fail "settings dialog did not close"

# START DEMO, then ESC through intro, city and end
xdotool mousemove --window "$main" 65 27 click 1
run=$(xwait "Korvane FLTK" 20) || fail "no demo window"
sleep 5
shot demo_intro
xdotool key --window "$run" Escape 2>/dev/null
sleep 5
shot demo_city
xdotool key --window "$run" Escape 2>/dev/null
sleep 4
shot demo_end
xdotool key --window "$run" Escape 2>/dev/null
xgone "Korvane FLTK" 10 || fail "the demo did not close"
grep -q "STARTING DEMO" "$work/console.txt" || fail "no demo start on the console"
grep -q "FLY: DAY   " "$work/console.txt" || fail "the DAY setting did not stick"
[ "$(wc -l < bench.res)" -eq 9 ] || fail "the demo wrote to bench.res"
kill -0 $app 2>/dev/null || fail "townview_x ended"
echo "PASS: benchmark, settings and demo walked through; screenshots in $shots"
