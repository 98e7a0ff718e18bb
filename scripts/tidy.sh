#!/usr/bin/env bash
# clang-tidy's bug-prone checks over the project's own sources; any finding fails.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
files=$(cd "$root" && git ls-files '*.cpp' | grep -v -E '^(tests|bench|fuzz)/')
cd "$root"
# shellcheck disable=SC2086
clang-tidy -p "$build" --quiet --checks='-*,bugprone-*,-bugprone-easily-swappable-parameters' \
    --warnings-as-errors='*' $files
