#!/usr/bin/env bash
# Set-up, then every test through CTest.
set -u
KORVA_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KORVA_ROOT/scripts/deps.sh"
korva_need "${KORVA_BUILD_PACKAGES[@]}" "${KORVA_TEST_PACKAGES[@]}"
korva_configure "$KORVA_ROOT/build"
cd "$KORVA_ROOT/build" && ctest --output-on-failure -j "$(nproc)"
