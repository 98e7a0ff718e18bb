#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given seconds, each from its seed corpus.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
for target in "$build"/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$(mktemp -d)
    cp "$root/fuzz/corpus/${name#fuzz_}"/* "$corpus"/ 2>/dev/null || true
    echo "-- $name for ${seconds}s"
    before=$(find /tmp -maxdepth 1 -name 'korva_fuzz_*' | wc -l)
    "$target" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
    rm -rf "$corpus"
    # the harness's private folder goes with the run
    after=$(find /tmp -maxdepth 1 -name 'korva_fuzz_*' | wc -l)
    [ "$after" -le "$before" ] || { echo "$name left a /tmp/korva_fuzz_* folder behind" >&2; exit 1; }
done
# a corpus named relative to the starting folder is found
first=$(realpath "$(ls "$build"/fuzz/fuzz_* | head -1)")
seeds=fuzz/corpus/$(basename "${first#*fuzz_}")
copy=$(mktemp -d -p "$root")
cp "$root/$seeds"/* "$copy"/
found=$(cd "$root" && { "$first" -runs=1 "$(basename "$copy")" 2>&1 || true; } | sed -n 's/.* \([0-9]*\) files found.*/\1/p')
rm -rf "$copy"
[ "${found:-0}" -gt 0 ] || { echo "$(basename "$first") found no files in a relative corpus folder" >&2; exit 1; }
