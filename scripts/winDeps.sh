#!/usr/bin/env bash
# Builds the Windows (mingw-w64, x86_64) libraries that townview.exe and
# resview.exe link with, from Debian's own source packages: libopenmpt,
# wxWidgets 3.2, and zlib with libpng for the validation's frames. Each
# lands in a folder named after its version under the cache folder and is
# built only when that folder is missing.
#   scripts/winDeps.sh [CACHE]      (default: .deps/win64 in the checkout)
set -euo pipefail
KORVA_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$KORVA_ROOT/scripts/deps.sh"
CACHE=${1:-$KORVA_ROOT/.deps/win64}
HOST=x86_64-w64-mingw32
JOBS=$(nproc)
# the posix thread model, as the programs use, so std::thread works in both
export CC=$HOST-gcc-posix CXX=$HOST-g++-posix
mkdir -p "$CACHE"
CACHE=$(cd "$CACHE" && pwd)

korva_need "${KORVA_WIN_PACKAGES[@]}"

# apt-get source needs a deb-src entry; add one beside the deb entries.
need_sources() {
    if apt-get source --print-uris -q "$1" 2>/dev/null | grep -q "orig.tar"; then
        return 0
    fi
    [ "$(id -u)" -eq 0 ] || { echo "need deb-src entries in the apt sources for $1" >&2; exit 1; }
    local f=/etc/apt/sources.list.d/debian.sources
    if [ -f "$f" ] && ! grep -q "deb-src" "$f"; then
        sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    elif [ -f /etc/apt/sources.list ] && ! grep -q "^deb-src" /etc/apt/sources.list; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >> /etc/apt/sources.list
    fi
    apt-get update -q >/dev/null
}

# version of the source package apt would fetch, e.g. 0.6.9-1
src_version() {
    apt-get source --print-uris -q "$1" 2>/dev/null | sed -n "s/.*\/$1_\([^']*\)\.dsc'.*/\1/p" | head -n1 | sed 's/%2b/+/g'
}

fetch_source() { # package, work folder
    local pkg=$1 work=$2
    rm -rf "$work" && mkdir -p "$work"
    # a mirror may lack the newest upload (a security update): the other versions apt knows are tried then
    local v
    (cd "$work" && apt-get source -q "$pkg" >/dev/null 2>&1 || apt-get source -q --download-only "$pkg" >/dev/null 2>&1) ||
        for v in $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p'); do
            (cd "$work" && apt-get source -q --download-only "$pkg=$v" >/dev/null 2>&1) && break
        done
    local dir
    dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)
    if [ -z "$dir" ]; then # no dpkg-source: unpack the upstream tarball by hand
        (cd "$work" && tar xf ./*.orig.tar.*)
        dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)
    fi
    echo "$dir"
}

build_openmpt() {
    local prefix=$OPENMPT_PREFIX
    if [ -f "$prefix/lib/libopenmpt.a" ]; then echo "$(basename "$prefix"): cached"; return; fi
    echo "$(basename "$prefix"): building"
    local work=$CACHE/work-openmpt src
    src=$(fetch_source libopenmpt "$work")
    (cd "$src" && ./configure -q --host=$HOST --prefix="$prefix.tmp" --disable-shared --enable-static \
        --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile --without-zlib \
        --without-portaudio --without-portaudiocpp --without-pulseaudio --without-sndfile --without-flac \
        --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
        CXXFLAGS="-O2 -w" CFLAGS="-O2 -w" >"$work/build.log" 2>&1 &&
        make -s -j "$JOBS" >>"$work/build.log" 2>&1 && make -s install >>"$work/build.log" 2>&1) ||
        { tail -n 40 "$work/build.log"; echo "libopenmpt: build failed" >&2; exit 1; }
    mv "$prefix.tmp" "$prefix"
    rm -rf "$work"
}

build_wx() {
    local prefix=$WX_PREFIX
    if [ -x "$prefix/bin/wx-config" ]; then echo "$(basename "$prefix"): cached"; return; fi
    echo "$(basename "$prefix"): building"
    local work=$CACHE/work-wx src
    src=$(fetch_source wxwidgets3.2 "$work")
    # only the core and base libraries the viewer uses; the free-of-patents
    # Debian tarball carries no image codecs or expat, so those are off too
    mkdir -p "$src/build-msw"
    (cd "$src/build-msw" && ../configure -q --host=$HOST --prefix="$prefix.tmp" --disable-shared \
        --disable-debug --enable-precomp-headers --disable-compat30 \
        --without-libpng --without-libjpeg --without-libtiff --without-zlib --without-expat \
        --without-liblzma --without-opengl --without-libnotify \
        --disable-xrc --disable-html --disable-htmlhelp --disable-richtext --disable-stc \
        --disable-aui --disable-propgrid --disable-ribbon --disable-webview --disable-mediactrl \
        --disable-sockets --disable-protocols --disable-url --disable-fs_inet --disable-ipc \
        --disable-svg --disable-printarch --disable-postscript --disable-help --disable-mshtmlhelp \
        --disable-webrequest --disable-secretstore --disable-sound --disable-joystick \
        CXXFLAGS="-O2 -w" CFLAGS="-O2 -w" >"$work/build.log" 2>&1 &&
        make -s -j "$JOBS" >>"$work/build.log" 2>&1 && make -s install >>"$work/build.log" 2>&1) ||
        { tail -n 40 "$work/build.log"; echo "wxWidgets: build failed" >&2; exit 1; }
    # wx-config holds its prefix; point it at the final folder
    sed -i "s|$prefix.tmp|$prefix|g" "$prefix.tmp/bin/wx-config" "$prefix.tmp"/lib/wx/config/* 2>/dev/null || true
    mv "$prefix.tmp" "$prefix"
    rm -rf "$work"
}

# zlib and libpng for the validation's reference frames
build_png() {
    local prefix=$PNG_PREFIX
    if [ -f "$prefix/lib/libpng.a" ] && [ -f "$prefix/lib/libz.a" ]; then echo "$(basename "$prefix"): cached"; return; fi
    echo "$(basename "$prefix"): building"
    local work=$CACHE/work-png src
    mkdir -p "$prefix.tmp/lib" "$prefix.tmp/include"
    src=$(fetch_source zlib "$work/zlib")
    # Debian's tarball carries no Windows makefile: the library's sources, compiled one by one
    (cd "$src" && for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
        inftrees trees uncompr zutil; do $CC -O2 -w -c $c.c -o $c.o || exit 1; done >"$work/build.log" 2>&1 &&
        $HOST-ar rcs "$prefix.tmp/lib/libz.a" ./*.o && cp zlib.h zconf.h "$prefix.tmp/include/") ||
        { tail -n 40 "$work/build.log"; echo "zlib: build failed" >&2; exit 1; }
    src=$(fetch_source libpng1.6 "$work/png")
    (cd "$src" && ./configure -q --host=$HOST --prefix="$prefix.tmp" --disable-shared --enable-static \
        --disable-tools CPPFLAGS="-I$prefix.tmp/include" LDFLAGS="-L$prefix.tmp/lib" CFLAGS="-O2 -w" \
        >>"$work/build.log" 2>&1 && make -s -j "$JOBS" libpng16.la >>"$work/build.log" 2>&1 &&
        make -s install-libLTLIBRARIES install-pkgincludeHEADERS install-nodist_pkgincludeHEADERS \
            >>"$work/build.log" 2>&1 && cp png.h pngconf.h pnglibconf.h "$prefix.tmp/include/" &&
        cp "$prefix.tmp/lib/libpng16.a" "$prefix.tmp/lib/libpng.a") ||
        { tail -n 40 "$work/build.log"; echo "libpng: build failed" >&2; exit 1; }
    mv "$prefix.tmp" "$prefix"
    rm -rf "$work"
}

need_sources libopenmpt
OPENMPT_PREFIX=$CACHE/libopenmpt-$(src_version libopenmpt)
WX_PREFIX=$CACHE/wxwidgets-$(src_version wxwidgets3.2)
PNG_PREFIX=$CACHE/libpng-$(src_version libpng1.6)-zlib-$(src_version zlib)
# side by side: each has single-threaded stretches (configure, linking) that
# the others' compiling fills; a failed or interrupted run stops the others
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
build_openmpt &
openmpt=$!
build_png &
png=$!
build_wx
wait $openmpt
wait $png
# the build reads these links
ln -sfn "$OPENMPT_PREFIX" "$CACHE/openmpt"
ln -sfn "$WX_PREFIX" "$CACHE/wx"
ln -sfn "$PNG_PREFIX" "$CACHE/png"
echo "Windows libraries in $CACHE"
