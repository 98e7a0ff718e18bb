# shellcheck shell=bash
# Window lookups for the UI scripts (sourced, needs DISPLAY).
# xdotool's search dies of an X error (BadWindow) when a window it is
# reading is destroyed under it: a menu, a dialog closing. Its status is
# then that of "nothing found", and a search piped to head gave an empty
# id, which import takes as "let the user pick a window" and waits for a
# click that never comes. These lookups retry past such an error and
# never answer an empty id as found.

xwin_err=$(mktemp)

# xfind PATTERN [SEARCH OPTIONS]: the windows whose names match now, one id a line
xfind() {
    local out tries=0
    while :; do
        out=$(xdotool search "${@:2}" --name "$1" 2>"$xwin_err")
        grep -q "X Error" "$xwin_err" || break
        tries=$((tries + 1))
        [ $tries -lt 50 ] || { echo "xdotool keeps failing: $(head -1 "$xwin_err")" >&2; return 2; }
        sleep 0.1
    done
    [ -n "$out" ] && printf '%s\n' "$out"
    return 0
}

# xcount PATTERN [SEARCH OPTIONS]: how many windows match now
xcount() {
    local ids
    ids=$(xfind "$@") || return 2
    [ -n "$ids" ] && printf '%s\n' "$ids" | wc -l || echo 0
}

# xwait PATTERN [SECONDS [SEARCH OPTIONS]]: waits for a matching window and prints the first one
xwait() {
    local end=$((SECONDS + ${2:-10})) ids
    while :; do
        ids=$(xfind "$1" "${@:3}") || return 2
        [ -n "$ids" ] && { printf '%s\n' "$ids" | head -1; return 0; }
        [ $SECONDS -lt "$end" ] || return 1
        sleep 0.2
    done
}

# xgone PATTERN [SECONDS [SEARCH OPTIONS]]: waits until no window matches
xgone() {
    local end=$((SECONDS + ${2:-10})) ids
    while :; do
        ids=$(xfind "$1" "${@:3}") || return 2
        [ -z "$ids" ] && return 0
        [ $SECONDS -lt "$end" ] || return 1
        sleep 0.5
    done
}

# a screenshot of one window; an empty id is refused rather than
# leaving import waiting for a click
xgrab() {
    [ -n "$1" ] || { echo "no window to take $2 of" >&2; return 1; }
    timeout 20 import -window "$1" "$2" 2>/dev/null
}

# xmenu WINDOW INDEX: the INDEX-th item (from 0) of the first menu of
# WINDOW's menu bar; the items lie below the bar, 25 pixels apart
xmenu() {
    local X Y
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^[XY]=')"
    # a window may lie over the menu bar: raise it first
    xdotool windowraise "$1"
    sleep 0.3
    xdotool mousemove --window "$1" 30 12 click 1
    sleep 0.7
    xdotool mousemove $((X + 110)) $((Y + 37 + 25 * $2)) click 1
}

# xchoose TITLE PATH: types PATH into the file selector titled TITLE (the
# toolkit's location field) and takes it; fails when no selector opens
xchoose() {
    local sel
    sel=$(xwait "$1") || return 1
    sleep 1
    xdotool windowfocus "$sel" 2>/dev/null
    xdotool key --window "$sel" ctrl+l
    sleep 0.3
    xdotool type --window "$sel" "$2"
    sleep 0.3
    xdotool key --window "$sel" Return
}

# xserver [SCREEN]: starts Xvfb (default screen 1280x1024x24) on a display
# it finds free itself, waits until it takes clients and exports DISPLAY; its
# pid is in xvfb_pid for the caller's trap to kill.
xvfb_pid=''
xserver() {
    local dfile n=0
    dfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${1:-1280x1024x24}" -nolisten tcp 3>"$dfile" >/dev/null 2>&1 &
    xvfb_pid=$!
    while ! grep -q '^[0-9]' "$dfile"; do
        kill -0 "$xvfb_pid" 2>/dev/null && [ $n -lt 100 ] || { rm -f "$dfile"; echo "Xvfb did not start" >&2; return 1; }
        n=$((n + 1))
        sleep 0.1
    done
    export DISPLAY=:$(head -1 "$dfile")
    rm -f "$dfile"
}

# uiStart SHOTS: what every UI script does first: a work folder in $work,
# SHOTS made, and a trap that ends the program in $app and the X server and
# removes the work folder; fail stops the script with its reason
uiStart() {
    work=$(mktemp -d)
    mkdir -p "$1"
    app=''
    trap 'kill $app $xvfb_pid 2>/dev/null; rm -rf "$work" "$xwin_err"' EXIT
}
fail() { echo "FAIL: $*"; exit 1; }

# resviewStart RESVIEW: resview under a new X server, started in $work with
# its errors in $work/stderr.txt; its main window's id in $main
resviewStart() {
    xserver || fail "no X server"
    export GDK_BACKEND=x11 NO_AT_BRIDGE=1
    cd "$work" || exit 1
    "$1" >/dev/null 2>"$work/stderr.txt" &
    app=$!
    main=$(xwait "KORVANE benchmarks result viewer 1.3" 20) || fail "no main window"
    sleep 1
}
