#!/usr/bin/env bash
# Set-up, then every test through CTest: the Linux suite, then the Windows
# build (cross-built with mingw-w64) and its suite under Wine.
# KORVA_WINDOWS=0 leaves the Windows part out.
set -u
KORVA_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KORVA_ROOT/scripts/deps.sh"
korva_need "${KORVA_BUILD_PACKAGES[@]}" "${KORVA_TEST_PACKAGES[@]}"
korva_configure "$KORVA_ROOT/build"
echo "-- set-up and Linux build: $SECONDS s"
mark=$SECONDS
(cd "$KORVA_ROOT/build" && ctest --output-on-failure -j "$(nproc)")
status=$?
echo "-- Linux suite: $((SECONDS - mark)) s"

if [ "${KORVA_WINDOWS:-1}" != 0 ]; then
    echo "== Windows build under Wine"
    mark=$SECONDS
    "$KORVA_ROOT/scripts/winDeps.sh" || exit 1
    echo "-- Windows libraries: $((SECONDS - mark)) s"
    mark=$SECONDS
    korva_configure "$KORVA_ROOT/build-win" -DCMAKE_TOOLCHAIN_FILE="$KORVA_ROOT/cmake/mingw64.cmake" \
        -DKORVA_HOST_TREE="$KORVA_ROOT/build/korvane"
    echo "-- Windows build: $((SECONDS - mark)) s"
    mark=$SECONDS
    (cd "$KORVA_ROOT/build-win" && ctest --output-on-failure -j "$(nproc)") || status=1
    echo "-- Windows suite under Wine: $((SECONDS - mark)) s"
fi
exit $status
