#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix (made on first use),
# under Xvfb when no display is set.
#   scripts/wineRun.sh PROGRAM.exe [ARGS...]
# KORVA_WINEPREFIX chooses the prefix (default: .deps/wineprefix).
set -u
KORVA_ROOT=$(cd "$(dirname "$0")/.." && pwd)
WINE=${KORVA_WINE:-/usr/lib/wine/wine64}
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
if [ -z "$WINE" ] || [ ! -x "$WINE" ]; then
    echo "wineRun.sh: Wine is not installed: install the package wine64 (apt-get install wine64)" >&2
    exit 1
fi
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
export WINEPREFIX=${KORVA_WINEPREFIX:-$KORVA_ROOT/.deps/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# no Mono or Gecko installers, no desktop menu entries
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            "$WINE" wineboot -i >/dev/null 2>&1
            "$WINESERVER" -w
        fi
    ) 9>"$WINEPREFIX.lock"
fi
if [ -z "${DISPLAY:-}" ]; then
    command -v xvfb-run >/dev/null || {
        echo "wineRun.sh: no display and no xvfb-run: install the package xvfb (apt-get install xvfb)" >&2
        exit 1
    }
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$WINE" "$@"
fi
exec "$WINE" "$@"
