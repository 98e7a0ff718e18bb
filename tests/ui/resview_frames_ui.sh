#!/usr/bin/env bash
# resview's frame-time window used as a person would: opened from the menu
# on one log, then from the command line on two real logs of a short
# benchmark, checked by its pixels, resized and checked again.
#   resview_frames_ui.sh RESVIEW LOGDIR SHOTS
set -u
prog=$(realpath "$1")
logs=$(realpath "$2")
shots=$3
# shellcheck source=tests/ui/xwindows.sh
. "$(dirname "$0")/xwindows.sh"
uiStart "$shots"
for k in 1 2; do
    [ -s "$logs/frames-$k.csv" ] || fail "no frame log $logs/frames-$k.csv (the off-screen benchmark makes them)"
done

# The picture's parts found by their pixels: the two panels' frames are the
# only long rows of their grey; then each log's colour counted in the upper
# panel, the lower one and the legend below, and the lower curves' tops
# checked to rise (never fall by more than a pixel) from left to right.
#   check SHOT LOGS
check() {
    local shot=$1
    convert "$shot" -depth 8 txt:- | awk -v shot="$shot" -v logs="$2" '
        function colour(hex) { return hex == "#005AB5" ? 1 : hex == "#DC3220" ? 2 : 0 }
        NR > 1 {
            split($1, p, /[,:]/); x = p[1] + 0; y = p[2] + 0
            if ($3 == "#787878") grey[y]++
            c = colour($3)
            if (c) { n++; px[n] = x; py[n] = y; pc[n] = c }
            if (x > w) w = x
        }
        END {
            for (y in grey) if (grey[y] > w / 2) rows[++r] = y + 0
            if (r != 4) { print "FAIL: " r " long grey rows in " shot ", not the 4 edges of two panels"; exit 1 }
            for (i = 2; i <= 4; i++) for (j = i; j > 1 && rows[j] < rows[j - 1]; j--) { t = rows[j]; rows[j] = rows[j - 1]; rows[j - 1] = t }
            for (i = 1; i <= n; i++) {
                y = py[i]; c = pc[i]
                if (y > rows[1] && y < rows[2]) upper[c]++
                else if (y > rows[3] && y < rows[4]) {
                    lower[c]++
                    if (!((c, px[i]) in top) || y < top[c, px[i]]) top[c, px[i]] = y
                } else if (y > rows[4] + 30) legend[c]++
            }
            bad = 0
            for (c = 1; c <= logs; c++) {
                printf "log %d: %d pixels over the run, %d by percentile, %d in the legend\n", c, upper[c], lower[c], legend[c]
                if (upper[c] < 100 || lower[c] < 30 || legend[c] < 40) bad = 1
                last = -1; first = -1; falls = 0
                for (x = 0; x <= w; x++) {
                    if (!((c, x) in top)) continue
                    if (first < 0) first = top[c, x]
                    if (last >= 0 && top[c, x] > last + 1) falls++
                    last = top[c, x]
                }
                printf "log %d: the lower curve from y %d to y %d, %d falls\n", c, first, last, falls
                if (falls > 0 || last >= first - 2) bad = 1
            }
            exit bad
        }'
}

# The window grabbed until it shows LOGS logs as check wants them (and is
# WIDTH HEIGHT, when given): its first paint, or the one after a resize,
# comes when the machine lets it, not after a fixed time. Gives up after 20 s
# with the last check's words.
#   drawn WINDOW SHOT LOGS [WIDTH HEIGHT]
drawn() {
    local end=$((SECONDS + 20)) words size
    while :; do
        words="no screenshot"
        if xgrab "$1" "$2"; then
            size=$(identify -format '%w %h' "$2")
            if [ $# -gt 3 ] && [ "$size" != "$4 $5" ]; then
                words="the window is $size, not $4 $5"
            elif words=$(check "$2" "$3"); then
                echo "$words"
                return 0
            fi
        fi
        [ $SECONDS -lt $end ] || { echo "$words"; return 1; }
        sleep 0.3
    done
}

# Korvane > View frame logs, then one log in the file selector
resviewStart "$prog"
xmenu "$main" 3
xchoose "View frame logs" "$logs/frames-1.csv" || fail "no file selector"
view=$(xwait "KORVANE frame times: frames-1.csv$" 20) || fail "no frame-time window from the menu"
drawn "$view" "$shots/frames_menu.png" 1 || fail "the log from the menu is not drawn as it should be"
kill $app
wait $app 2>/dev/null

# two logs from the command line; a third that is no log is one line and left out
printf 'frame,since_first_ms,frame_ms\n1,2,-3\n' > "$work/bad.csv"
"$prog" --frames "$logs/frames-1.csv" "$logs/frames-2.csv" "$work/bad.csv" >/dev/null 2>"$work/stderr.txt" &
app=$!
box=$(xwait "^ERROR$" 20) || fail "no error box for the bad log"
xdotool windowfocus "$box" 2>/dev/null
xdotool key --window "$box" Return
grep -qx "resview: $work/bad.csv: row 2: a negative time: \"1,2,-3\"" "$work/stderr.txt" ||
    { cat "$work/stderr.txt"; fail "the bad log's line is missing"; }
view=$(xwait "KORVANE frame times: frames-1.csv, frames-2.csv$" 20) || fail "no frame-time window for two logs"
drawn "$view" "$shots/frames_two.png" 2 || fail "the two logs are not drawn as they should be"

# smaller, then larger: the pictures are drawn again to fit
for size in "640 420" "1200 900"; do
    # shellcheck disable=SC2086
    xdotool windowsize "$view" $size
    # shellcheck disable=SC2086
    drawn "$view" "$shots/frames_${size/ /x}.png" 2 $size || fail "at $size the logs are not drawn as they should be"
done
grep -q "CRITICAL" "$work/stderr.txt" && { cat "$work/stderr.txt"; fail "the toolkit reported a critical error"; }
kill -0 $app 2>/dev/null || fail "resview ended"
echo "PASS: frame-time window from the menu and the command line, two logs in both panels and the legend, drawn again when resized; screenshots in $shots"
