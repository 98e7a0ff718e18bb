#!/usr/bin/env bash
# The generated music read by an independent player: openmpt123 must take
# both modules, with about three minutes for the demo and half a minute for the intro.
set -u
data=$1
seconds() {
    openmpt123 --info "$1" 2>/dev/null | sed -n 's/^Duration\.*: *\([0-9]*\):\([0-9.]*\).*/\1 \2/p' |
        awk '{ printf "%d\n", $1 * 60 + $2 }'
}
demo=$(seconds "$data/celesfnt.mus")
intro=$(seconds "$data/intro.mus")
echo "celesfnt.mus: ${demo:-none} s, intro.mus: ${intro:-none} s"
[ -n "$demo" ] && [ "$demo" -ge 165 ] && [ "$demo" -le 200 ] || { echo "FAIL: celesfnt.mus duration"; exit 1; }
[ -n "$intro" ] && [ "$intro" -ge 15 ] && [ "$intro" -le 60 ] || { echo "FAIL: intro.mus duration"; exit 1; }
openmpt123 --info "$data/celesfnt.mus" 2>/dev/null | grep -q "^Type.*xm" || { echo "FAIL: not an XM module"; exit 1; }
echo "PASS"
