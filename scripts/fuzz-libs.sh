#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds libpng and libjpeg-turbo from their Debian source packages as static
# libraries instrumented for the fuzz targets, so that libFuzzer sees inside
# them and the address sanitizer checks their memory:
#   scripts/fuzz-libs.sh PREFIX
# leaves PREFIX/include and PREFIX/lib/libpng.a, libjpeg.a. The sources come
# through a private apt state under PREFIX (no change to the system's apt
# configuration, no root needed); the system's zlib is used as it is.
# Exits non-zero when the sources cannot be had.
set -euo pipefail
prefix=$(mkdir -p "$1" && cd "$1" && pwd)
[ -f "$prefix/lib/libpng.a" ] && [ -f "$prefix/lib/libjpeg.a" ] && exit 0

src=$prefix/src
rm -rf "$src"
mkdir -p "$src/lists/partial" "$src/cache/archives/partial" "$prefix/include" "$prefix/lib"
echo "deb-src http://deb.debian.org/debian bookworm main" >"$src/sources.list"
apt_opts=(-qq -o "Dir::Etc::SourceList=$src/sources.list" -o "Dir::Etc::SourceParts=$src/none"
  -o "Dir::State::Lists=$src/lists" -o "Dir::Cache=$src/cache" -o "APT::Sandbox::User=$(id -un)")
apt-get "${apt_opts[@]}" update
(cd "$src" && apt-get "${apt_opts[@]}" source libpng1.6 libjpeg-turbo >/dev/null)

flags="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer -g -O1"
# Through ccache where the machine has it: the sources change only with a new
# Debian release, so after the first run nearly every object is a cache hit.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache)
# Paths below the sources count relative to them, so that a checkout elsewhere
# hits the same entries.
export CCACHE_BASEDIR=$src CCACHE_NOHASHDIR=1
cmake_lib() {
  local dir=$1; shift
  CC=clang cmake -S "$dir" -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=None "${launcher[@]}" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_POSITION_INDEPENDENT_CODE=ON "$@" >/dev/null
}

# libjpeg-turbo without its assembly, which the sanitizer cannot see into.
jpeg=$(echo "$src"/libjpeg-turbo-*/)
cmake_lib "$jpeg" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
cmake --build "$jpeg/build" --target jpeg-static >/dev/null
cp "$jpeg/build/libjpeg.a" "$prefix/lib/libjpeg.a"
cp "$jpeg"/{jpeglib.h,jmorecfg.h,jerror.h} "$jpeg/build/jconfig.h" "$prefix/include/"

png=$(echo "$src"/libpng1.6-*/)
cmake_lib "$png" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF
cmake --build "$png/build" --target png_static >/dev/null
cp "$png"/build/libpng16*.a "$prefix/lib/libpng.a"
cp "$png"/{png.h,pngconf.h} "$png/build/pnglibconf.h" "$prefix/include/"
rm -rf "$src"
echo "fuzz-libs: instrumented libpng and libjpeg-turbo in $prefix"
