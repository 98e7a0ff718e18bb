#!/usr/bin/env bash
# townview_x --stress off-screen on the fast test clock: whole loops, at
# least two, a line each, the stability line and its status, one stress.json
# line and no result; one frame log over every loop, which resview draws.
#   stress_run.sh TOWNVIEW_X RESVIEW TREE
set -u
prog=$(realpath "$1")
viewer=$(realpath "$2")
tree=$3
# shellcheck source=tests/scratchTree.sh
. "$(dirname "$0")/scratchTree.sh" "$tree"

for wrong in "--stress 0" "--stress 2x" "--stress 1 --timedemo normal" "--stress 1 --repeat 2" \
    "--stress 1 --validate normal"; do
    # shellcheck disable=SC2086
    "$prog" $wrong --off-screen >out.txt 2>&1
    [ $? -eq 2 ] || { cat out.txt; fail "$wrong is not status 2"; }
done

# a 1-minute run on a clock 64 times fast: two loops of 42.5 s (0.7 s each here)
stress() { KORVA_CLOCK_RATE=64 timeout 300 "$prog" --stress 1 --off-screen --size 64x48 "$@" >out.txt 2>&1; }
stress --frame-log drift.csv
rc=$?
[ $rc -eq 0 ] || [ $rc -eq 8 ] || { tail -20 out.txt; fail "the stress run ended with status $rc"; }
[ -e bench.res ] || [ -e bench.json ] && fail "a stress run wrote a result"
python3 - out.txt stress.json drift.csv $rc <<'PY' || { cat out.txt; fail "the stress run's lines, JSON or log"; }
import csv, json, re, sys
out = open(sys.argv[1]).read()
loops = re.findall(r"^stress loop (\d+): ([0-9.]+) fps", out, re.M)
assert len(loops) >= 2 and [int(n) for n, _ in loops] == list(range(1, len(loops) + 1)), loops
m = re.search(r"^stress: (\d+) loops in [0-9.]+ minutes  lowest ([0-9.]+) fps  highest ([0-9.]+) fps  "
              r"stability ([0-9.]+) %: (stable|NOT STABLE \(below 97 %\))$", out, re.M)
assert m and int(m[1]) == len(loops), m
j = [json.loads(l) for l in open(sys.argv[2])]
assert len(j) == 1, j
j = j[0]
rates = [float(r) for _, r in loops]
assert j["mode"] == "stress" and j["minutes"] == 1 and j["loops"] == len(loops) and j["loop_fps"] == rates, j
assert j["clock_rate"] == 64 and "TEST CLOCK x64" in j["auto_info2"]
want = round(100 * min(rates) / max(rates), 1)
# the printed rates are rounded to 0.01
assert abs(j["stability_pct"] - want) <= 0.06 + 100 * 0.01 / min(rates) and float(m[4]) == j["stability_pct"], (j["stability_pct"], want)
# stable at 97 % or more: status 0, else 8
assert j["stable"] == (j["stability_pct"] >= 97.0) == (m[5] == "stable") == (sys.argv[4] == "0")
rows = list(csv.DictReader(open(sys.argv[3])))
ends = [float(r["since_first_ms"]) for r in rows]
assert ends == sorted(ends), "the log goes back in time"
restarts = sum(1 for a, b in zip(rows, rows[1:]) if float(b["path_s"]) < float(a["path_s"]))
assert restarts == len(loops) - 1, restarts
assert [int(r["frame"]) for r in rows] == list(range(1, len(rows) + 1))
PY
"$viewer" --frames drift.csv --png drift.png --size 640x400 >png.txt 2>&1 || { cat png.txt; fail "resview does not draw the stress log"; }
[ "$(od -An -tx1 -N8 drift.png | tr -d ' ')" = 89504e470d0a1a0a ] || fail "drift.png is no PNG"

# a second run adds its line; stress.json that is bench.json by another name is refused untouched
stress
[ "$(wc -l <stress.json)" -eq 2 ] || fail "the second run did not add its line"
mv stress.json bench.json
ln -s bench.json stress.json
stress
rc=$?
[ $rc -eq 6 ] || { cat out.txt; fail "stress.json as a link to bench.json: status $rc"; }
grep -q "stress.json: it is a result file" out.txt || { cat out.txt; fail "no word of the result file"; }
[ "$(wc -l <bench.json)" -eq 2 ] || fail "bench.json changed"
echo "stress: $(grep '^stress:' "$work/t/linux/out.txt" || true)"
