#!/usr/bin/env bash
# Set-up, then the main job: a normal-detail TOWNVIEW benchmark through the
# driver on the build's data tree; its record is appended to
# build/korvane/linux/bench.res. Extra arguments go to the runner
# (--high, --big, --size WxH, --nosave).
set -u
KORVA_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KORVA_ROOT/scripts/deps.sh"
korva_need "${KORVA_BUILD_PACKAGES[@]}" "${KORVA_RUN_PACKAGES[@]}"
korva_configure "$KORVA_ROOT/build"
runner=("$KORVA_ROOT/build/bench/korva_bench" "$KORVA_ROOT/build/korvane" "$@")
if [ -n "${DISPLAY:-}" ]; then
    exec "${runner[@]}"
fi
# no screen: Mesa's software renderer in a virtual one
LIBGL_ALWAYS_SOFTWARE=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "${runner[@]}"
