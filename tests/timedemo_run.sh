#!/usr/bin/env bash
# townview_x --timedemo off-screen: a series of two draws the same frames,
# frame for frame, at the path times of a 60-frames-a-second machine; its
# results are a class of their own for the viewer.
#   timedemo_run.sh TOWNVIEW_X RESVIEW TREE
set -u
prog=$(realpath "$1")
viewer=$(realpath "$2")
tree=$3
# shellcheck source=tests/scratchTree.sh
. "$(dirname "$0")/scratchTree.sh" "$tree"
unset KORVA_CLOCK_RATE

for wrong in "--timedemo fast" "--timedemo normal --bench normal" "--bench high --timedemo high" \
    "--demo --timedemo normal" "--timedemo normal --validate normal"; do
    # shellcheck disable=SC2086
    "$prog" $wrong --off-screen >out.txt 2>&1
    [ $? -eq 2 ] || { cat out.txt; fail "$wrong is not status 2"; }
done

timeout 600 "$prog" --timedemo normal --off-screen --size 64x48 --repeat 2 --frame-log td.csv >out.txt 2>&1
rc=$?
[ $rc -eq 0 ] || { tail -20 out.txt; fail "the timedemo series ended with status $rc"; }
grep -q "^STARTING NORMALDETAIL TIMEDEMO" out.txt || fail "no timedemo start line"
[ "$(grep -c '^frames: 2550  avg' out.txt)" -eq 2 ] || { grep '^frames' out.txt; fail "not two summaries of 2550 frames"; }

python3 - td-1.csv td-2.csv bench.json <<'PY' || fail "the runs drew different frames or saved a wrong line"
import csv, json, sys
runs = [list(csv.DictReader(open(p))) for p in sys.argv[1:3]]
for rows in runs:
    assert len(rows) == 2550, len(rows)
    for k, r in enumerate(rows):
        # frame k shows the path at 4 times floor(k * 1000 / 60) ms
        want = 4 * (k * 1000 // 60) / 1000
        assert abs(float(r["path_s"]) - want) < 0.0015, (k, r["path_s"], want)
a, b = runs
same = all(x["path_s"] == y["path_s"] and x["triangles"] == y["triangles"] for x, y in zip(a, b))
assert same, "the two runs drew different frames"
lines = [json.loads(l) for l in open(sys.argv[3])]
assert len(lines) == 2
for j, rows in zip(lines, runs):
    assert j["mode"] == "timedemo" and j["step_ms"] == 16.667, j
    assert j["benchmark"] == "OPENGL    N.DETAIL  N.TEX  TIMEDEMO", j["benchmark"]
    assert j["summary"]["frames"] == 2550
    # the rate is the frames over the time to the last one drawn
    span = float(rows[-1]["since_first_ms"]) / 1000
    assert j["fps"] > 0 and abs(2550 / j["fps"] - span) <= 0.05 * span + 0.01, (j["fps"], span)
PY

# the viewer reads both as a class of their own
"$viewer" --json bench.res >table.json 2>err.txt || { cat err.txt; fail "resview --json failed"; }
python3 - table.json <<'PY' || fail "the viewer does not show the timedemo class"
import json, sys
rows = json.load(open(sys.argv[1]))
rows = rows["results"] if isinstance(rows, dict) else rows
assert len(rows) == 2 and all(r["benchmark"].endswith("TIMEDEMO") for r in rows), rows
PY
"$viewer" --table bench.res --benchmark "normal timedemo" >typed.txt 2>&1 || { cat typed.txt; fail "the class is not found by its words"; }
[ "$(grep -c TIMEDEMO typed.txt)" -ge 2 ] || { cat typed.txt; fail "the class's words find no result"; }
echo "timedemo: two runs of 2550 frames drew the same frames"
