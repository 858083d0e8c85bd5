#!/usr/bin/env bash
# Builds ICU for 64-bit Windows from Debian's own ICU source package with the mingw-w64 tool chain,
# once per machine: the result lands in a cache folder outside the repository, keyed by the ICU
# version, and later runs reuse it. Prints the install prefix (include/, lib/, bin/ with the DLLs)
# as its last line. Cross-compiling ICU needs a native build of the same sources for its data tools,
# so both are built. Runs at low priority: the machine is shared.
#   TANSEL_ICU_CACHE  cache root (default ~/.cache/tansel)
#   TANSEL_ICU_JOBS   parallel jobs (default 2)
set -euo pipefail
TANSEL_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$TANSEL_ROOT/scripts/deps.sh"
. "$TANSEL_ROOT/scripts/windows/common.sh"

tansel_install_deps g++-mingw-w64-x86-64-posix dpkg-dev

# The version of the ICU the Linux build uses, so both systems build against the same release.
version=$(dpkg-query -W -f='${source:Version}' libicu-dev)
cache=$(tansel_icu_cache "$version")
prefix=$cache/prefix
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
jobs=${TANSEL_ICU_JOBS:-2}
mkdir -p "$cache"
log=$cache/build.log
echo "Building ICU $version for Windows x64 into $cache (once per machine; log: $log)" >&2
exec 3>&2 4>&1 >"$log" 2>&1
fail() {
  echo "ICU build failed: $1 (log: $log)" >&3
  exit 1
}
# Reports how long a step took, in the log and to the caller.
phase_started=$(date +%s)
took() {
  local now message
  now=$(date +%s)
  message="ICU for Windows: $1 took $((now - phase_started)) s"
  echo "$message"
  echo "$message" >&3
  phase_started=$now
}

# apt-get source needs a deb-src entry; add one mirroring the system's own Debian entries.
tansel_ensure_deb_src || fail "no Debian package source to mirror as deb-src"
if [ ! -d "$cache/src" ]; then
  rm -rf "$cache/download"
  mkdir -p "$cache/download"
  (cd "$cache/download" && apt-get source -qq "icu=$version") || fail "apt-get source icu=$version"
  srcdir=$(find "$cache/download" -mindepth 1 -maxdepth 1 -type d -name 'icu-*' | head -n1)
  [ -n "$srcdir" ] && [ -x "$srcdir/source/configure" ] || fail "no ICU source tree in the package"
  mv "$srcdir" "$cache/src"
  rm -rf "$cache/download"
  took "fetching the source"
fi
source_dir=$cache/src/source
common=(--disable-tests --disable-samples --disable-extras --disable-layoutex)

# The native build: its tools (and config/icucross.*) build the data for the cross build.
if [ ! -f "$cache/native/.complete" ]; then
  rm -rf "$cache/native"
  mkdir -p "$cache/native"
  (cd "$cache/native" && nice -n 19 "$source_dir/configure" "${common[@]}" &&
    nice -n 19 make -j"$jobs") || fail "native build"
  touch "$cache/native/.complete"
  took "the native build"
fi

# The cross build, installed into the prefix. The C++ run-time, libgcc and the thread library are
# linked into each ICU DLL, so they need nothing beyond Windows' own DLLs; --exclude-libs keeps
# their symbols out of the DLLs' exports (a plug-in links its own copy).
ldflags="-static-libgcc -static-libstdc++ -Wl,--exclude-libs,ALL"
ldflags+=" -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic"
rm -rf "$cache/mingw" "$prefix"
mkdir -p "$cache/mingw"
(cd "$cache/mingw" &&
  CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix LDFLAGS="$ldflags" \
    nice -n 19 "$source_dir/configure" "${common[@]}" --host=x86_64-w64-mingw32 \
    --with-cross-build="$cache/native" --prefix="$prefix" --enable-shared --disable-static &&
  nice -n 19 make -j"$jobs" && make install) || fail "mingw-w64 build"
took "the mingw-w64 build"
touch "$prefix/.complete"
exec >&4 2>&3
echo "$prefix"
