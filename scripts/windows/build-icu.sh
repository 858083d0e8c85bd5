#!/usr/bin/env bash
# Builds ICU for 64-bit Windows from Debian's own ICU source package with the mingw-w64 tool chain,
# once per machine: the result lands in a cache folder outside the repository, keyed by the ICU
# version, and later runs reuse it. Prints the install prefix (include/, lib/, bin/ with the DLLs)
# as its last line. Cross-compiling ICU needs a native build of the same sources for its data tools,
# so both are built. Only what the library uses is built (the common and i18n libraries and the
# data; no io library, layout engines, extras, tests or samples), without debug information, and
# once the prefix is installed the sources and both build trees are removed: the cache keeps the
# prefix alone. Prints its phase and elapsed time to stderr every minute while it builds. Runs at
# low priority: the machine is shared.
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
started=$(date +%s)
phase_started=$started
phase=""
ticker=""
stop_ticker() {
  if [ -n "$ticker" ]; then
    kill "$ticker" 2>/dev/null || true
    wait "$ticker" 2>/dev/null || true
    ticker=""
  fi
}
trap stop_ticker EXIT
fail() {
  stop_ticker
  echo "ICU build failed: $1 (log: $log)" >&3
  exit 1
}
# begin PHASE: names the step now running; a ticker says every minute where the build is.
begin() {
  stop_ticker
  phase=$1
  phase_started=$(date +%s)
  echo "ICU for Windows: $phase ..." >&3
  (
    while sleep 60; do
      now=$(date +%s)
      echo "ICU for Windows: $phase, $(((now - phase_started) / 60)) min in this step," \
        "$(((now - started) / 60)) min in all" >&3
    done
  ) &
  ticker=$!
}
# Reports how long the step took, in the log and to the caller.
done_phase() {
  stop_ticker
  local now message
  now=$(date +%s)
  message="ICU for Windows: $phase took $((now - phase_started)) s"
  echo "$message"
  echo "$message" >&3
}

# apt-get source needs a deb-src entry; add one mirroring the system's own Debian entries.
tansel_ensure_deb_src || fail "no Debian package source to mirror as deb-src"
if [ ! -d "$cache/src" ]; then
  begin "fetching the source"
  rm -rf "$cache/download"
  mkdir -p "$cache/download"
  (cd "$cache/download" && apt-get source -qq "icu=$version") || fail "apt-get source icu=$version"
  srcdir=$(find "$cache/download" -mindepth 1 -maxdepth 1 -type d -name 'icu-*' | head -n1)
  [ -n "$srcdir" ] && [ -x "$srcdir/source/configure" ] || fail "no ICU source tree in the package"
  mv "$srcdir" "$cache/src"
  rm -rf "$cache/download"
  done_phase
fi
source_dir=$cache/src/source
common=(--disable-tests --disable-samples --disable-extras --disable-layoutex --disable-icuio
  --disable-debug --enable-release)
flags=(CFLAGS="-O2" CXXFLAGS="-O2")

# The native build: its tools (and config/icucross.*) build the data for the cross build, so it
# builds the libraries those tools link and the tools, not the native data.
if [ ! -f "$cache/native/.complete" ]; then
  begin "the native build (the data tools)"
  rm -rf "$cache/native"
  mkdir -p "$cache/native"
  (cd "$cache/native" && nice -n 19 "$source_dir/configure" "${common[@]}" "${flags[@]}" &&
    mkdir -p lib bin && for dir in stubdata common i18n tools; do
      nice -n 19 make -j"$jobs" -C "$dir" || exit 1
    done &&
    make config/icucross.mk config/icucross.inc) || fail "native build"
  touch "$cache/native/.complete"
  done_phase
fi

# The cross build, installed into the prefix. The C++ run-time, libgcc and the thread library are
# linked into each ICU DLL, so they need nothing beyond Windows' own DLLs; --exclude-libs keeps
# their symbols out of the DLLs' exports (a plug-in links its own copy).
ldflags="-static-libgcc -static-libstdc++ -Wl,--exclude-libs,ALL"
ldflags+=" -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic"
begin "the mingw-w64 build (libraries and data)"
rm -rf "$cache/mingw" "$prefix"
mkdir -p "$cache/mingw"
(cd "$cache/mingw" &&
  CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix LDFLAGS="$ldflags" \
    nice -n 19 "$source_dir/configure" "${common[@]}" "${flags[@]}" --host=x86_64-w64-mingw32 \
    --with-cross-build="$cache/native" --prefix="$prefix" --enable-shared --disable-static &&
  nice -n 19 make -j"$jobs" && make install) || fail "mingw-w64 build"
done_phase
touch "$prefix/.complete"
# A later run needs the prefix alone.
rm -rf "$cache/mingw" "$cache/native" "$cache/src"
echo "ICU for Windows: built in $(($(date +%s) - started)) s; the cache keeps $(du -sh "$prefix" | cut -f1)" >&3
exec >&4 2>&3
echo "$prefix"
