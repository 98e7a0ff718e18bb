# Sourced by run.sh, test.sh and .ci/run: makes sure the Debian packages
# named as arguments are installed, installing them when run as root.
korva_need() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Korvane needs these Debian packages: ${missing[*]}" >&2
        echo "Install them as root with:" >&2
        echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q || exit 1
    apt-get install -y -q --no-install-recommends "${missing[@]}" || exit 1
}

# what every build needs
KORVA_BUILD_PACKAGES=(cmake make g++ pkg-config dpkg-dev libgtest-dev libbenchmark-dev libtinyobjloader-dev libgl-dev libx11-dev libopenmpt-dev libasound2-dev libfltk1.3-dev libwxgtk3.2-dev libssl-dev nlohmann-json3-dev libegl-dev libpng-dev libcairo2-dev)
# what a run needs on a machine without a screen
KORVA_RUN_PACKAGES=(xvfb xauth libgl1-mesa-dri libegl1 libegl-mesa0)
# what the tests use besides
KORVA_TEST_PACKAGES=("${KORVA_RUN_PACKAGES[@]}" imagemagick xdotool openmpt123 sox valgrind python3-scipy)

# the Windows cross build and its runs under Wine
KORVA_WIN_PACKAGES=(g++-mingw-w64-x86-64 mingw-w64-tools wine64 dpkg-dev make xz-utils googletest)

korva_configure() {
    local dir=$1
    shift
    cmake -S "$KORVA_ROOT" -B "$dir" "$@" >/dev/null || exit 1
    cmake --build "$dir" -j "$(nproc)" || exit 1
}
