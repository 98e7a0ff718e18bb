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
    "$target" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
    rm -rf "$corpus"
done
