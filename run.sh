#!/usr/bin/env bash
# Set-up, then the main job: a normal-detail TOWNVIEW benchmark of the whole
# city flight with townview_x, which prints the console's result and appends
# the record to build/korvane/linux/bench.res. Extra arguments go to
# townview_x (--bench high, --big-textures, --size WxH, --no-save). Without
# a display the benchmark runs off-screen, with no X server.
set -u
KORVA_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KORVA_ROOT/scripts/deps.sh"
korva_need "${KORVA_BUILD_PACKAGES[@]}" "${KORVA_RUN_PACKAGES[@]}"
korva_configure "$KORVA_ROOT/build"
cd "$KORVA_ROOT/build/korvane/linux" || exit 1
args=(--bench normal "$@")
if [ -n "${DISPLAY:-}" ]; then
    exec ./townview_x "${args[@]}"
fi
# no screen: the benchmark draws off-screen through EGL; a demo needs a
# window, so it gets Mesa's software renderer in a virtual screen
case " $* " in
*" --demo "*) ;;
*) exec ./townview_x --off-screen "${args[@]}" ;;
esac
LIBGL_ALWAYS_SOFTWARE=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" ./townview_x "${args[@]}"
