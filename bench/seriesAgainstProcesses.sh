#!/usr/bin/env bash
# Whether a series in one process measures what separate processes
# measure: ROUNDS times, back to back, a --repeat N series and then N
# separate processes, each run with its frame log; then each run's rate,
# the series' first run against its later ones and against the separate
# processes, and where in the flight the difference lies (the mean frame
# time over each tenth of the path).
#   bench/seriesAgainstProcesses.sh TOWNVIEW_X ROUNDS N OUT townview_x-options...
# for example: ... build/korvane/linux/townview_x 2 5 /tmp/series --bench normal --off-screen --size 640x480
# Run it with nothing else running.
set -u
prog=$(realpath "$1")
rounds=$2
n=$3
out=$(realpath -m "$4")
shift 4
mkdir -p "$out" || exit 1
cd "$(dirname "$prog")" || exit 1
for r in $(seq "$rounds"); do
    "$prog" "$@" --no-save --repeat "$n" --frame-log "$out/series$r.csv" >"$out/series$r.txt" 2>&1 ||
        { tail "$out/series$r.txt"; exit 1; }
    for k in $(seq "$n"); do
        "$prog" "$@" --no-save --frame-log "$out/single$r-$k.csv" >"$out/single$r-$k.txt" 2>&1 ||
            { tail "$out/single$r-$k.txt"; exit 1; }
    done
done
python3 - "$out" "$rounds" "$n" <<'PY'
import csv, statistics, sys
out, rounds, n = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])

def load(path):
    rows = list(csv.DictReader(open(path)))
    ms = [float(r["frame_ms"]) for r in rows]
    path_s = [float(r["path_s"]) for r in rows]
    return len(ms) * 1000 / sum(ms), ms, path_s

def tenths(ms, path_s):
    end = path_s[-1] or 1
    bins = [[] for _ in range(10)]
    for t, p in zip(ms, path_s):
        bins[min(9, int(10 * p / end))].append(t)
    return [statistics.mean(b) if b else 0 for b in bins]

groups = {"series run 1": [], "series runs 2+": [], "processes": []}
for r in range(1, rounds + 1):
    line = []
    for k in range(1, n + 1):
        fps, ms, ps = load(f"{out}/series{r}-{k}.csv")
        groups["series run 1" if k == 1 else "series runs 2+"].append((fps, tenths(ms, ps)))
        line.append(f"{fps:.1f}")
    print(f"round {r} series:    " + "  ".join(line))
    line = []
    for k in range(1, n + 1):
        fps, ms, ps = load(f"{out}/single{r}-{k}.csv")
        groups["processes"].append((fps, tenths(ms, ps)))
        line.append(f"{fps:.1f}")
    print(f"round {r} processes: " + "  ".join(line))
base = statistics.mean(f for f, _ in groups["processes"])
for name, runs in groups.items():
    rates = [f for f, _ in runs]
    sd = statistics.stdev(rates) if len(rates) > 1 else 0.0
    print(f"{name:15} {len(rates):2} runs  mean {statistics.mean(rates):7.2f} fps  "
          f"CV {100 * sd / statistics.mean(rates):5.2f} %  against processes {100 * (statistics.mean(rates) / base - 1):+6.2f} %")
print("mean frame ms by tenth of the path:")
for name, runs in groups.items():
    cols = [statistics.mean(t[i] for _, t in runs) for i in range(10)]
    print(f"{name:15} " + " ".join(f"{c:6.2f}" for c in cols))
PY
