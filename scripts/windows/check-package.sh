#!/usr/bin/env bash
# Checks the installed Windows package as a plug-in author uses it: installs the Windows build
# (default build/windows) to a temporary prefix, builds examples/plugin-template against it with
# the toolchain file, and runs the template's DLL in the installed simulator under Wine, also
# through --validate. Runs in the environment scripts/windows/wine-env.sh sets (the host's ICU
# modules on the DLL path).
set -euo pipefail
TANSEL_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$TANSEL_ROOT/build/windows}
export TANSEL_WINDOWS_BUILD=$build
. "$TANSEL_ROOT/scripts/windows/wine-env.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"; tansel_wine_stop 2>/dev/null || true' EXIT
prefix=$work/prefix

echo "== install the Windows build to a temporary prefix, build the plug-in template against it =="
cmake --install "$build" --prefix "$prefix" >/dev/null
cmake -S "$TANSEL_ROOT/examples/plugin-template" -B "$work/template" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$TANSEL_ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DTansel_DIR="$prefix/lib/cmake/Tansel" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$work/template" >/dev/null

expect() {  # expect TEXT OUTPUT: fails unless OUTPUT holds TEXT
  if ! grep -qF -- "$1" <<<"$2"; then
    printf '%s\n' "$2" >&2
    echo "check-package: expected \"$1\" in the output above" >&2
    exit 1
  fi
}

echo "== the template in the installed simulator, under Wine =="
out=$(wine "$prefix/bin/tansel-hostsim.exe" --plugin "$work/template/marker_count.dll" \
  "$TANSEL_ROOT/examples/report.json" | tr -d '\r')
printf '%s\n' "$out"
expect 'Loaded "Marker Count"' "$out"
expect '[message box, type 2] 4 markers' "$out"

echo "== the template under --validate =="
# pipefail: the validator's own status decides this step.
out=$(wine "$prefix/bin/tansel-hostsim.exe" --validate "$work/template/marker_count.dll" --seed 1 |
  tr -d '\r')
printf '%s\n' "$out" | tail -n1
expect ' checks passed' "$out"
