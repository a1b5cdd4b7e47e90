#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, as root.
# Idempotent: every step checks first and says what it does; a second run takes seconds.
#
#   tools/deps.sh            all steps
#
# Cross-built libraries (libjpeg-turbo, FreeType, GoogleTest) land in build/cache/win32 (i686,
# the deliverables) and build/cache/win64 (x86-64, the test build for machines that cannot run
# i386 code, see tools/winrun.sh); the native GoogleTest in build/cache/native; fetched
# sources in build/cache/src.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
CACHE=$ROOT/build/cache
SRC=$CACHE/src
NATIVE_PREFIX=$CACHE/native
JOBS=$(nproc 2>/dev/null || echo 2)

say()  { printf '\033[1m[deps]\033[0m %s\n' "$*"; }
fail() { printf '[deps] error: %s\n' "$*" >&2; exit 1; }

SUDO=
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || fail "run as root (or install sudo): packages must be installed"
    SUDO=sudo
fi

PACKAGES=(
    build-essential cmake ninja-build pkg-config git make ca-certificates dpkg-dev xz-utils
    locales xvfb xauth wine wine32:i386 wine64
    gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
    fonts-liberation2 fonts-wqy-microhei
    libz-mingw-w64-dev zlib1g-dev libjpeg-dev libfreetype-dev libfontconfig-dev libpng-dev
    googletest libbenchmark-dev imagemagick clang libclang-rt-14-dev
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# --- 1. i386 architecture ---------------------------------------------------------
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    say "adding the i386 architecture (for wine32)"
    $SUDO dpkg --add-architecture i386
    NEED_UPDATE=1
fi

# --- 2. deb-src entry -------------------------------------------------------------
SRC_LIST=/etc/apt/sources.list.d/tarnelosd-src.sources
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    say "adding a deb-src entry ($SRC_LIST)"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $SUDO tee "$SRC_LIST" >/dev/null
    else
        cat <<EOF | $SUDO tee "$SRC_LIST" >/dev/null
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    fi
    NEED_UPDATE=1
fi

# --- 3. packages ------------------------------------------------------------------
MISSING=()
for p in "${PACKAGES[@]}"; do installed "$p" || MISSING+=("$p"); done
if [ ${#MISSING[@]} -gt 0 ] || [ -n "${NEED_UPDATE:-}" ]; then
    say "apt-get update"
    $SUDO apt-get update -q
fi
if [ ${#MISSING[@]} -gt 0 ]; then
    say "installing ${#MISSING[@]} packages: ${MISSING[*]}"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${MISSING[@]}"
else
    say "packages: all ${#PACKAGES[@]} present"
fi

# --- 4. locale zh_CN.UTF-8 (Wine's ANSI code page 936) -----------------------------
if ! locale -a 2>/dev/null | grep -qiE '^zh_CN\.utf-?8$'; then
    say "generating the zh_CN.UTF-8 locale"
    $SUDO sed -i -E 's/^# *(zh_CN\.UTF-8 UTF-8)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
else
    say "locale zh_CN.UTF-8: present"
fi

# --- 5. source packages and GoogleTest, cross-built for Windows --------------------
mkdir -p "$SRC" "$NATIVE_PREFIX"

fetch_source() {  # name -> prints the unpacked directory
    local name=$1 dir
    dir=$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "$name-*" | head -n1)
    if [ -z "$dir" ]; then
        say "fetching Debian's source package $name" >&2
        (cd "$SRC" && apt-get source -q "$name" >&2) || fail "apt-get source $name failed"
        dir=$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "$name-*" | head -n1)
    fi
    [ -n "$dir" ] || fail "source of $name not found under $SRC"
    echo "$dir"
}

cmake_install() {  # label srcdir builddir args...
    local label=$1 src=$2 bld=$3; shift 3
    say "building $label"
    rm -rf "$bld"
    cmake -S "$src" -B "$bld" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >"$bld.log" 2>&1 \
        || { tail -n 30 "$bld.log" >&2; fail "configuring $label failed (log: $bld.log)"; }
    cmake --build "$bld" -j"$JOBS" >>"$bld.log" 2>&1 \
        || { tail -n 30 "$bld.log" >&2; fail "building $label failed (log: $bld.log)"; }
    cmake --install "$bld" >>"$bld.log" 2>&1 \
        || { tail -n 30 "$bld.log" >&2; fail "installing $label failed (log: $bld.log)"; }
}

cross_build() {  # arch toolchain-file
    local arch=$1 toolchain=$ROOT/cmake/$2 prefix=$CACHE/$1 dir
    local args=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib)
    mkdir -p "$prefix"
    if [ ! -f "$prefix/lib/libjpeg.a" ]; then
        dir=$(fetch_source libjpeg-turbo)
        cmake_install "libjpeg-turbo for $arch" "$dir" "$CACHE/build-jpeg-$arch" "${args[@]}" \
            -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF
    else
        say "libjpeg-turbo for $arch: present"
    fi
    if [ ! -f "$prefix/lib/libfreetype.a" ]; then
        dir=$(fetch_source freetype)  # Debian's source package carries the library at its top level
        cmake_install "FreeType for $arch" "$dir" "$CACHE/build-freetype-$arch" "${args[@]}" \
            -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
            -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
    else
        say "FreeType for $arch: present"
    fi
    [ -d /usr/src/googletest ] || fail "/usr/src/googletest is missing (package googletest)"
    if [ ! -f "$prefix/lib/libgtest.a" ]; then
        cmake_install "GoogleTest and GoogleMock for $arch" /usr/src/googletest "$CACHE/build-gtest-$arch" \
            "${args[@]}" -Dgtest_force_shared_crt=ON -DBUILD_GMOCK=ON
    else
        say "GoogleTest for $arch: present"
    fi
}

# --- 6. GoogleTest and GoogleMock from /usr/src/googletest, both targets ------------
cross_build win32 mingw-i686.cmake
cross_build win64 mingw-x86_64.cmake
if [ ! -f "$NATIVE_PREFIX/lib/libgtest.a" ]; then
    cmake_install "GoogleTest and GoogleMock (native)" /usr/src/googletest "$CACHE/build-gtest-native" \
        -DCMAKE_INSTALL_PREFIX="$NATIVE_PREFIX" -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_GMOCK=ON
else
    say "GoogleTest (native): present"
fi

say "done"
