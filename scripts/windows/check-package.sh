#!/usr/bin/env bash
# Checks the installed Windows package as a plug-in author uses it: installs the Windows build
# (default build/windows) to a temporary prefix, builds examples/plugin-template against it with
# the toolchain file, and runs the template's DLL in the installed simulator under Wine, also
# through --validate; then registers the installed local server and its proxy/stub DLL and runs
# the template's client program against it. Runs in the environment scripts/windows/wine-env.sh
# sets (the host's ICU modules on the DLL path).
set -euo pipefail
TANSEL_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$TANSEL_ROOT/build/windows}
export TANSEL_WINDOWS_BUILD=$build
. "$TANSEL_ROOT/scripts/windows/wine-env.sh"
work=$(mktemp -d)
host_class='HKCR\CLSID\{539DB5D0-C0C6-11D0-985E-0060970BEC0B}\LocalServer32'
# register_host_server PROXY_DLL SERVER: the host's class served by SERVER in the prefix.
register_host_server() {
  timeout 120 wine regsvr32 /s "Z:$1" >/dev/null 2>&1 &&
    timeout 120 wine reg add "$host_class" /ve /d "Z:$2" /f >/dev/null 2>&1
}
# The build's own server is registered again when done: the tests and the main job use it.
trap 'register_host_server "$build/bridge/idl/tansel_host_ps.dll" \
  "$build/hostsim/tansel-host-server.exe" || true; rm -rf "$work"; tansel_wine_stop 2>/dev/null || true' EXIT
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

echo "== the template's client program against the installed local server, under Wine =="
for file in tansel_host_ps.dll tansel-host-server.exe; do
  [ -f "$prefix/bin/$file" ] || { echo "check-package: $file is not installed in bin/" >&2; exit 1; }
done
register_host_server "$prefix/bin/tansel_host_ps.dll" "$prefix/bin/tansel-host-server.exe" || {
  echo "check-package: the installed local server could not be registered" >&2
  exit 1
}
host_output=$work/host.txt
TANSEL_SIM_DOCUMENTS="Z:$TANSEL_ROOT/examples/report.json" TANSEL_SIM_OUTPUT="Z:$host_output" \
  timeout 120 wine "$work/template/marker-count-client.exe" </dev/null
for _ in $(seq 150); do
  grep -qs "the server ends" "$host_output" && break
  sleep 0.2
done
out=$(tr -d '\r' <"$host_output")
printf '%s\n' "$out"
expect "Host: serving the host's class" "$out"
expect '[message box, type 2] 4 markers' "$out"
expect 'every client let go; the server ends' "$out"
