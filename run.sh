#!/usr/bin/env bash
# Set-up, then the main job: load a model into the scene store and print
# what it holds (the build's sample scene when no model is named).
set -u
KORVA_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KORVA_ROOT/scripts/deps.sh"
korva_need "${KORVA_BUILD_PACKAGES[@]}"
korva_configure "$KORVA_ROOT/build"
exec "$KORVA_ROOT/build/driver/korva_load" "$@"
