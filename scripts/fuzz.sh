#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given seconds, each from its seed corpus.
#   scripts/fuzz.sh [--jobs N] [--keep DIR] [--only NAME] [BUILD [SECONDS]]
# --jobs N   runs N targets at once (default 1)
# --keep DIR keeps each target's grown corpus in DIR/NAME, starts from it the next
#            time, and leaves the target's log and findings beside it: a campaign
#            of several runs grows one corpus
# --only N   runs the one target fuzz_N
# Each target ends with one line: its runs, their rate, coverage, corpus and findings.
# The exit status is 1 when a target found anything.
set -euo pipefail
jobs=1
keep=
only=
while [ $# -gt 0 ]; do
    case $1 in
    --jobs) jobs=${2:?--jobs needs a value}; shift 2 ;;
    --keep) keep=${2:?--keep needs a value}; shift 2 ;;
    --only) only=${2:?--only needs a value}; shift 2 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
[ -n "$keep" ] && { mkdir -p "$keep"; keep=$(realpath "$keep"); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# what fontconfig (under the frame-time pictures) keeps until the process ends is no leak of ours
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp}

# one target: NAME; writes WORK/NAME.line and WORK/NAME.status
run_target() {
    local target=$1 name corpus out log
    name=$(basename "$target")
    if [ -n "$keep" ]; then
        corpus=$keep/${name#fuzz_}
        out=$keep/$name
    else
        corpus=$work/corpus-$name
        out=$work/out-$name
    fi
    mkdir -p "$corpus" "$out"
    cp -n "$root/fuzz/corpus/${name#fuzz_}"/* "$corpus"/ 2>/dev/null || true
    log=$out/log.txt
    local status=0
    (cd "$out" && "$target" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$out/" "$corpus" >"$log" 2>&1) || status=$?
    local runs cov ft files found
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1 || true)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
    files=$(find "$corpus" -type f | wc -l)
    found=$(find "$out" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    [ "$status" -eq 0 ] || [ "$found" -gt 0 ] || found=1
    printf '%-18s %10s runs in %ss (%s/s), cov %s ft %s, corpus %s files, findings %s\n' "$name" "${runs:-0}" \
        "$seconds" $(( ${runs:-0} / (seconds > 0 ? seconds : 1) )) "${cov:-0}" "${ft:-0}" "$files" "$found" \
        >"$work/$name.line"
    if [ "$found" -gt 0 ]; then
        tail -n 40 "$log" >&2
        echo 1 >"$work/$name.status"
    else
        echo 0 >"$work/$name.status"
    fi
}

before=$(find /tmp -maxdepth 1 -name 'korva_fuzz_*' | wc -l)
targets=()
for target in "$build"/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    [ -z "$only" ] || [ "$(basename "$target")" = "fuzz_$only" ] || continue
    targets+=("$(realpath "$target")")
done
[ ${#targets[@]} -gt 0 ] || { echo "fuzz.sh: no fuzz targets in $build/fuzz" >&2; exit 1; }
echo "-- ${#targets[@]} targets for ${seconds}s each, $jobs at once"
running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    run_target "$target" &
    running=$((running + 1))
done
wait
failed=0
for target in "${targets[@]}"; do
    name=$(basename "$target")
    cat "$work/$name.line"
    [ "$(cat "$work/$name.status")" = 0 ] || failed=1
done
# the harness's private folders go with the runs
after=$(find /tmp -maxdepth 1 -name 'korva_fuzz_*' | wc -l)
[ "$after" -le "$before" ] || { echo "a fuzz target left a /tmp/korva_fuzz_* folder behind" >&2; exit 1; }

# a corpus named relative to the starting folder is found
first=
for target in "${targets[@]}"; do
    [ -d "$root/fuzz/corpus/$(basename "${target#*fuzz_}")" ] && { first=$target; break; }
done
[ -n "$first" ] || exit "$failed"
seeds=fuzz/corpus/$(basename "${first#*fuzz_}")
copy=$(mktemp -d -p "$root")
cp "$root/$seeds"/* "$copy"/
found=$(cd "$root" && { "$first" -runs=1 "$(basename "$copy")" 2>&1 || true; } | sed -n 's/.* \([0-9]*\) files found.*/\1/p')
rm -rf "$copy"
[ "${found:-0}" -gt 0 ] || { echo "$(basename "$first") found no files in a relative corpus folder" >&2; exit 1; }
exit "$failed"
