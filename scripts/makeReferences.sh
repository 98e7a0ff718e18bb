#!/usr/bin/env bash
# Makes the validation's reference frames anew from this build's renderer on
# Mesa's llvmpipe, off-screen, for both detail classes, into validate/references/.
# Run it when the scene or the renderer changed on purpose, never to make a
# failing validation pass; commit the frames with the change that made them.
#   scripts/makeReferences.sh [BUILD]      (a Linux build; default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
cmake --build "$build" --target townview_x >/dev/null
cd "$build/korvane/linux"
for class in normal high; do
    rm -rf "$root/validate/references/$class"
    LIBGL_ALWAYS_SOFTWARE=1 ./townview_x --validate "$class" --off-screen --make-references \
        --references "$root/validate/references/$class" | grep -E '^validat'
done
echo "references made by $(cat "$root/validate/references/normal/made-with.txt")"
