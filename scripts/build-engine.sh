#!/usr/bin/env bash
# Builds the PostScript engine, orvpdf.dll, from Debian's Ghostscript source
# package, cross-compiled for 32-bit Windows (i686-w64-mingw32), and keeps it
# in a cache outside the checkout.
#
# Usage:
#   scripts/build-engine.sh [--host TRIPLET]              build if needed;
#                                                         print the DLL's path
#   scripts/build-engine.sh [--host TRIPLET] --print-key  print the cache key
#
# TRIPLET is i686-w64-mingw32 (the default: the shipped, 32-bit engine) or
# x86_64-w64-mingw32 (for running the tests where the machine cannot run
# 32-bit code).
#
# stdout carries exactly one line: the absolute path of the cached DLL. Build
# output goes to a log file beside it; on failure the script exits non-zero
# and shows the end of that log on stderr.
#
# Environment:
#   ORVPDF_ENGINE_CACHE  cache root (default /var/cache/orvpdf-engine)
#   ORVPDF_ENGINE_JOBS   parallel make jobs (default: number of cores)
#   ORVPDF_ENGINE_KEEP_WORK=1  keep the work tree after a successful build
#   ORVPDF_ENGINE_HOST   default for --host
#
# Everything is taken from Debian's archive: the sources with apt-get source
# (deb-src entries are added when missing), the toolchain with apt-get.
set -euo pipefail

script_path=$(readlink -f "${BASH_SOURCE[0]}")
script_dir=$(dirname "$script_path")
engine_dir=$script_dir/engine
host=${ORVPDF_ENGINE_HOST:-i686-w64-mingw32}
cache_root=${ORVPDF_ENGINE_CACHE:-/var/cache/orvpdf-engine}
jobs=${ORVPDF_ENGINE_JOBS:-$(nproc)}

# Source package versions, newest first. A version the archive lists but no
# longer serves (a withdrawn security upload, say) is skipped; an empty entry
# at the end means "whatever apt offers".
gs_versions=(10.0.0~dfsg-11+deb12u9 10.0.0~dfsg-11+deb12u8 "")
jpeg_versions=(1:2.1.5-2 "")
lcms_versions=(2.14-2+deb12u1 2.14-2 "")
freetype_versions=(2.12.1+dfsg-5+deb12u4 "")

say() { echo "build-engine: $*" >&2; }
die() { say "$*"; exit 1; }

print_key=0
while [ $# -gt 0 ]; do
  case "$1" in
    --print-key) print_key=1 ;;
    --host) [ $# -ge 2 ] || die "--host needs a value"; host=$2; shift ;;
    --host=*) host=${1#--host=} ;;
    -h|--help) sed -n '2,25p' "$script_path" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown argument: $1 (try --help)" ;;
  esac
  shift
done

case "$host" in
  i686-w64-mingw32)
    mingw_pkg=i686 cpu=X86
    # The gsapi_* functions are __stdcall; export them without the @N suffix.
    host_ldflags=-Wl,--kill-at ;;
  x86_64-w64-mingw32)
    mingw_pkg=x86-64 cpu=AMD64 host_ldflags= ;;
  *) die "unsupported host $host (i686-w64-mingw32 or x86_64-w64-mingw32)" ;;
esac

# Debian packages the build needs on the Linux side (the cross compiler is
# checked by command name below, as several packages provide it).
build_packages=(
  gcc make patch xz-utils dpkg-dev autoconf automake libtool pkg-config cmake
  zlib1g-dev libz-mingw-w64-dev
)

compute_key() {
  {
    echo "ghostscript ${gs_versions[*]}"
    echo "libjpeg-turbo ${jpeg_versions[*]}"
    echo "lcms2 ${lcms_versions[*]}"
    echo "freetype ${freetype_versions[*]}"
    echo "host $host"
    echo "zlib $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null || echo none)"
    "$host-gcc" --version 2>/dev/null || echo "no $host-gcc"
    sha256sum < "$script_path"
    if [ -d "$engine_dir" ]; then
      (cd "$engine_dir" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 -r sha256sum)
    fi
  } | sha256sum | cut -c1-16
}

key=$(compute_key)
if [ "$print_key" = 1 ]; then
  echo "$key"
  exit 0
fi

dll=$cache_root/$key/orvpdf.dll
if [ -f "$dll" ]; then
  echo "$dll"
  exit 0
fi

# ---------------------------------------------------------------- setup ---

[ "$(id -u)" = 0 ] || die "needs root (apt-get) to build; no cached DLL at $dll"

missing=()
for p in "${build_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
command -v "$host-gcc" >/dev/null || missing+=("gcc-mingw-w64-$mingw_pkg")
command -v "$host-strip" >/dev/null || missing+=("binutils-mingw-w64-$mingw_pkg")
if [ "${#missing[@]}" -gt 0 ]; then
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  # The compiler may have just arrived, which changes the key.
  key=$(compute_key)
  dll=$cache_root/$key/orvpdf.dll
fi

mkdir -p "$cache_root"
cache_root=$(readlink -f "$cache_root")
dll=$cache_root/$key/orvpdf.dll

# One build at a time per cache; a second caller waits and then finds the DLL.
exec 9>"$cache_root/.lock"
flock 9
if [ -f "$dll" ]; then
  echo "$dll"
  exit 0
fi

out_dir=$cache_root/$key
work=$cache_root/work/$key
downloads=$cache_root/downloads
log=$out_dir/build.log
mkdir -p "$out_dir" "$downloads"
# Work trees left by earlier failed builds (any key) go now; the lock makes
# sure no other build is using them.
rm -rf "$cache_root/work" "$out_dir"/orvpdf.dll.tmp.*
mkdir -p "$work"
: > "$log"
# Nothing below should write outside the cache; run from inside it.
cd "$work"

t_start=$(date +%s)
exec 3>&1 4>&2
exec >>"$log" 2>&1
note() {
  local t=$(( $(date +%s) - t_start ))
  echo "== [${t}s] $*"
  echo "build-engine: [${t}s] $*" >&4
}
on_exit() {
  local rc=$?
  if [ "$rc" != 0 ]; then
    {
      echo "build-engine: FAILED (exit $rc); last lines of $log:"
      tail -n 40 "$log"
      echo "build-engine: work tree kept in $work"
    } >&4
  fi
}
trap on_exit EXIT


# ------------------------------------------------------------- sources ---

ensure_deb_src() {
  if ! grep -rqsE '^[[:space:]]*(Types:.*deb-src|deb-src[[:space:]])' \
       /etc/apt/sources.list /etc/apt/sources.list.d/; then
    [ -f /etc/apt/sources.list.d/debian.sources ] ||
      die "no deb-src entries and no /etc/apt/sources.list.d/debian.sources to derive them from"
    note "adding deb-src entries (/etc/apt/sources.list.d/orvpdf-src.sources)"
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      > /etc/apt/sources.list.d/orvpdf-src.sources
    apt-get update -qq
  elif [ -z "$(apt-cache showsrc ghostscript 2>/dev/null | head -1)" ]; then
    apt-get update -qq
  fi
}

# fetch PACKAGE VERSION...: downloads the first version the archive serves in
# full and unpacks it, with Debian's patches applied, into $work/src/PACKAGE;
# the version used goes to $work/src/PACKAGE.version.
fetch() {
  local pkg=$1; shift
  local v spec dsc
  for v in "$@"; do
    spec=$pkg${v:+=$v}
    # Asked from an empty directory: --print-uris leaves out files that are
    # already in the current one.
    mkdir -p "$work/uris"
    dsc=$(cd "$work/uris" && apt-get source --print-uris -qq "$spec" 2>/dev/null |
          awk '{print $2}' | grep '\.dsc$' | head -1) || true
    [ -n "$dsc" ] || { echo "$spec: not listed"; continue; }
    if (cd "$downloads" && apt-get source --download-only -q "$spec"); then
      rm -rf "$work/src/$pkg"
      mkdir -p "$work/src"
      dpkg-source -x "$downloads/$dsc" "$work/src/$pkg" >/dev/null
      v=${dsc#"${pkg}_"}; v=${v%.dsc}
      echo "$v" > "$work/src/$pkg.version"
      return 0
    fi
    echo "$spec: download failed, trying the next version"
    rm -f "$downloads/$dsc"
  done
  die "no downloadable version of source package $pkg"
}

note "fetching sources"
ensure_deb_src
fetch ghostscript "${gs_versions[@]}"
fetch libjpeg-turbo "${jpeg_versions[@]}"
fetch lcms2 "${lcms_versions[@]}"
fetch freetype "${freetype_versions[@]}"

# ---------------------------------------------------------- libraries ---

prefix=$work/prefix
mkdir -p "$prefix/lib/pkgconfig" "$prefix/include"
export PKG_CONFIG=pkg-config
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig:/usr/$host/lib/pkgconfig
export PKG_CONFIG_PATH=
build_triplet=$(gcc -dumpmachine)

note "building libjpeg-turbo $(cat "$work/src/libjpeg-turbo.version")"
cmake -S "$work/src/libjpeg-turbo" -B "$work/build-jpeg" \
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR="$cpu" \
  -DCMAKE_C_COMPILER="$host-gcc" -DCMAKE_RC_COMPILER="$host-windres" \
  -DCMAKE_FIND_ROOT_PATH="/usr/$host" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DCMAKE_INSTALL_INCLUDEDIR="$prefix/include" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
cmake --build "$work/build-jpeg" -j "$jobs"
cmake --install "$work/build-jpeg"

note "building lcms2 $(cat "$work/src/lcms2.version")"
(
  cd "$work/src/lcms2"
  ./configure --host="$host" --build="$build_triplet" --prefix="$prefix" \
    --disable-shared --enable-static --without-jpeg --without-tiff --without-zlib
  make -C src -j "$jobs" install
  make -C include install
  make install-pkgconfigDATA
)

note "building freetype $(cat "$work/src/freetype.version")"
(
  cd "$work/src/freetype"
  # --with-zlib=yes: use zlib from libz-mingw-w64-dev; freetype's own copy
  # would clash with libz.a when the engine is linked.
  ./configure --host="$host" --build="$build_triplet" --prefix="$prefix" \
    --disable-shared --enable-static --with-zlib=yes \
    --without-bzip2 --without-png --without-harfbuzz --without-brotli
  make -j "$jobs"
  make install
)

# ------------------------------------------------------------- engine ---

gs=$work/src/ghostscript
note "preparing ghostscript $(cat "$work/src/ghostscript.version")"
for p in "$engine_dir"/patches/*.patch; do
  echo "applying $(basename "$p")"
  patch -d "$gs" -p1 --forward --batch < "$p"
done
cp "$engine_dir/mingw-platform.mak" "$gs/base/"

(
  cd "$gs"
  # libpng.dev is in the standard feature list, but only the PNG output
  # devices use libpng and none of them is built here.
  sed -i 's/ \$(GLD)libpng\.dev//' Makefile.in
  # Pull in the Windows platform layer rules (see mingw-platform.mak).
  printf '\ninclude $(GLSRCDIR)/mingw-platform.mak\n' >> Makefile.in

  # The shipped configure predates Debian's changes to configure.ac.
  NOCONFIGURE=1 ./autogen.sh

  # _Windows selects the Windows API conventions in iapi.h (__stdcall entry
  # points and callbacks); CHECK_INTERRUPTS makes the interpreter call the
  # gsapi_set_poll callback. The auxiliary build tools are built for Linux
  # with CCAUX.
  ./configure --host="$host" --build="$build_triplet" CCAUX=gcc \
    CFLAGS="-O2 -D_Windows -DCHECK_INTERRUPTS" \
    CPPFLAGS="-I$prefix/include" \
    LDFLAGS="-static $host_ldflags -L$prefix/lib" \
    PKG_CONFIG="pkg-config --static" \
    --with-drivers=pdfwrite,ps2write,eps2write,display \
    --enable-compile-inits \
    --without-pcl --without-xps --without-pdf --without-gpdl \
    --disable-contrib --without-jbig2dec --disable-openjpeg --without-libtiff \
    --disable-cups --without-pdftoraster --without-ijs --without-x --disable-gtk \
    --disable-fontconfig --disable-dbus --without-libpaper --without-libidn \
    --with-libiconv=no --without-tesseract --without-urf \
    --without-local-zlib
)

note "building the engine DLL"
# GSPLATFORM/SYNC on the command line reach every recursive make, so the
# Windows platform modules replace the Unix ones throughout.
make -C "$gs" -j "$jobs" so-only GSPLATFORM=mingw_ SYNC=winsync

built=$(find "$gs/sobin" -maxdepth 1 -name '*.dll' -type f | head -1)
[ -n "$built" ] || die "make finished but no DLL in $gs/sobin"

# Publish: strip to a temporary name in the final directory, then rename, so
# an interrupted build never leaves a partial orvpdf.dll behind.
tmp=$out_dir/orvpdf.dll.tmp.$$
"$host-strip" -o "$tmp" "$built"
{
  echo "key $key"
  echo "host $host"
  for p in ghostscript libjpeg-turbo lcms2 freetype; do
    echo "$p $(cat "$work/src/$p.version")"
  done
  echo "zlib (libz-mingw-w64-dev) $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)"
  echo "compiler $("$host-gcc" --version | head -1)"
  echo "built $(date -u +%Y-%m-%dT%H:%M:%SZ) in $(( $(date +%s) - t_start )) s"
} > "$out_dir/BUILDINFO"
mv -f "$tmp" "$dll"
note "done: $dll"

if [ "${ORVPDF_ENGINE_KEEP_WORK:-0}" != 1 ]; then
  rm -rf "$work"
fi
echo "$dll" >&3
