#!/usr/bin/env bash
# clang-tidy's bug-prone checks over the project's own sources; any finding fails.
#   scripts/tidy.sh [BUILD] [WINDOWS-BUILD]
# The Windows-only sources are checked against the Windows build's compile
# commands (mingw-w64's headers), when that build exists.
set -euo pipefail
build=${1:-build}
winBuild=${2:-build-win}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
checks='-*,bugprone-*,-bugprone-easily-swappable-parameters'
windowsOnly='^(front_win/|engine/d3d/|window/(wgl|d3d)[A-Za-z0-9]*\.cpp|window/displayVerdicts3D\.cpp|driver/platformWin\.cpp|music/soundOutWin\.cpp)'
jobs=$(nproc)
# a few files a clang-tidy, as many at once as there are cores; any finding fails the whole
git ls-files '*.cpp' | grep -v -E '^(tests|bench|fuzz)/' | grep -v -E "$windowsOnly" |
    xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet --checks="$checks" --warnings-as-errors='*'

if [ -f "$winBuild/compile_commands.json" ]; then
    gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
    git ls-files '*.cpp' | grep -E "$windowsOnly" |
        xargs -P "$jobs" -n 4 clang-tidy -p "$winBuild" --quiet --checks="$checks" --warnings-as-errors='*' \
            --extra-arg=--target=x86_64-w64-mingw32 \
            --extra-arg=-isystem"$gcc/include/c++" --extra-arg=-isystem"$gcc/include/c++/x86_64-w64-mingw32" \
            --extra-arg=-isystem/usr/x86_64-w64-mingw32/include
fi
