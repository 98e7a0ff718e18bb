#!/usr/bin/env bash
# resview used as a person would: under Xvfb, the menu and the file
# selector driven with xdotool, the charts checked in screenshots.
#   resview_ui.sh RESVIEW BASE.BIN SHOTS
set -u
prog=$1
base=$2
shots=$3
# shellcheck source=tests/ui/xwindows.sh
. "$(dirname "$0")/xwindows.sh"
uiStart "$shots"
mkdir -p "$work/data"
cp "$base" "$work/data/base.bin"
shot() { xgrab root "$shots/$1.png"; }
# blue bar pixels inside a window's chart
blue() {
    local win=$1 name=$2
    xgrab "$win" "$shots/$name.png" || return 1
    convert "$shots/$name.png" -crop +0+150 +repage -fill black +opaque "rgb(0,0,255)" -fill white -opaque "rgb(0,0,255)" \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}

cat > "$work/two.res" <<'RES'
[
slow box
OPENGL    N.DETAIL  N.TEX
first typed info
KORVA_LIN 1.3  GLvendor:V  GLrenderer:R
VSync OFF  DDMSwich OFF
640 x 480 x 16 fps: 10.0
]

[
fast box
OPENGL    N.DETAIL  N.TEX
second typed info
KORVA_LIN 1.3  GLvendor:V  GLrenderer:R
VSync OFF  DDMSwich OFF
640 x 480 x 16 fps: 20.0
]
RES

resviewStart "$prog"
shot main_window

# Korvane > Load benchmark result file, then the file selector
xmenu "$main" 1
xwait "Load benchmark result file" >/dev/null || fail "no file selector"
sleep 1
shot file_selector
xchoose "Load benchmark result file" "$work/two.res" || fail "no file selector"
view=$(xwait "KORVANE results") || fail "no view window"
sleep 1.5
own=$(blue "$view" view_alone)
echo "bars alone: $own blue pixels"
[ "$own" -gt 100 ] || fail "no bars in the chart"

# the chart's top: the first black line of its frame in a column right of every text
top=$(convert "$shots/view_alone.png" -crop 1x400+745+40 +repage txt:- | awk -F'[,:]' '/#000000/ { print $2 + 40; exit }')
[ -n "$top" ] || fail "no chart frame in the view"
echo "chart starts at y $top"

# no text of the panel is cut or covered: every label and button shows dark pixels of its own,
# and the panel's widest texts end before the next control begins
dark() { convert "$shots/view_alone.png" -crop "$1" +repage -threshold 50% -negate -format "%[fx:int(mean*w*h+0.5)]" info:; }
for area in 30x12+8+4:SHOW_BENCHMARKS 14x12+270+4:end_of_SHOW_COMPUTERS 60x14+0+$((top - 16)):AUTO_INFO2; do
    n=$(dark "${area%%:*}")
    [ "$n" -gt 5 ] || fail "no text where ${area##*:} should show ($n dark pixels)"
done

# a click on the second row selects it; the details change
xgrab "$view" "$shots/before_click.png" || fail "no screenshot before the click"
xdotool mousemove --window "$view" 300 $((top + 21 + 10)) click 1
sleep 0.7
xgrab "$view" "$shots/after_click.png" || fail "no screenshot after the click"
diff=$(compare -metric AE -crop 700x90+0+40 "$shots/before_click.png" "$shots/after_click.png" null: 2>&1 | cut -d' ' -f1)
echo "details changed in $diff pixels"
[ "${diff%.*}" -gt 50 ] || fail "the click did not show the other result"

# Korvane > View result database + result file on a corrupt file: the error box, and nothing changes
xdotool windowmove "$view" 500 480
sleep 0.5
own=$(blue "$view" view_moved)
printf '[\nbroken\n' > "$work/broken.res"
xmenu "$main" 2
xchoose "Load benchmark result file" "$work/broken.res" || fail "no file selector"
box=$(xwait "^ERROR$") || fail "no error box for a corrupt file"
sleep 0.5
shot error_box
xdotool windowfocus "$box" 2>/dev/null
xdotool key --window "$box" Return
sleep 1
[ "$(xcount 'KORVANE results')" = 1 ] || fail "a failed load opened a view"
xdotool windowraise "$view"
sleep 0.5
after=$(blue "$view" view_after_error)
echo "bars after the failed load: $after blue pixels (before $own)"
[ "$after" -eq "$own" ] || fail "a failed load changed the shared scale"

# Korvane > View result database: both charts share one scale, the base's fastest result
xmenu "$main" 0
for _ in $(seq 30); do
    [ "$(xcount 'KORVANE results')" = 2 ] && break
    sleep 0.3
done
[ "$(xcount 'KORVANE results')" = 2 ] || fail "no second view window"
sleep 1.5
shot two_views
xdotool windowraise "$view"
sleep 0.5
shared=$(blue "$view" view_shared)
echo "bars beside the database: $shared blue pixels"
[ "$shared" -lt "$own" ] || fail "the first chart was not rescaled to the shared maximum"

# a window lower than its panel: the chart keeps a row, the toolkit has nothing to complain of
xdotool windowsize "$view" 400 60
sleep 1
shot low_window
xdotool windowsize "$view" 760 520
sleep 0.5
grep -q "CRITICAL" "$work/stderr.txt" && { cat "$work/stderr.txt"; fail "the toolkit reported a critical error"; }
kill -0 $app 2>/dev/null || fail "resview ended"
# a view of a file holding a run on a test's fast clock leaves it out and says so in its title
printf '[\nslow box\nOPENGL    N.DETAIL  N.TEX\ni\nKORVA_LIN 1.3\nVSync OFF  DDMSwich OFF  TEST CLOCK x8\n640 x 480 x 16 fps: 99.0\n]\n\n' > fast.res
cat "$work/two.res" >> fast.res
"$prog" --open fast.res >/dev/null 2>>"$work/stderr.txt" &
fastApp=$!
xwait "KORVANE results - fast.res: left out 1 result of a test's fast clock" 20 >/dev/null ||
    { kill $fastApp; fail "a view does not say it left out a test clock's run"; }
kill $fastApp
echo "PASS: result file opened, panel readable, row selected, a failed load changing nothing, two views on one scale, a low window, a test clock's run left out; screenshots in $shots"
