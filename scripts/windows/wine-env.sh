# Sourced: the environment the Windows build's programs run in under Wine, for ./scripts/test-windows
# and for rerunning its tests by hand:
#   . scripts/windows/wine-env.sh && ctest --test-dir build/windows
# Sets a private 64-bit prefix in build/windows/wine-prefix (created on first use), headless, with
# the build's stand-in for the host's ICU modules (build/windows/host_icu) as the only DLL path,
# and starts one Wine server for the session (tansel_wine_stop ends it).
#   TANSEL_WINDOWS_BUILD  the build folder (default build/windows of this checkout)

TANSEL_WINDOWS_BUILD=${TANSEL_WINDOWS_BUILD:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/windows}
export WINEPREFIX=$TANSEL_WINDOWS_BUILD/wine-prefix WINEARCH=win64 WINEDEBUG=-all
# Drive Z: is this system's root.
export WINEPATH="Z:${TANSEL_WINDOWS_BUILD//\//\\}\\host_icu"

# tansel_wine_start: one Wine server for the prefix until tansel_wine_stop. Left to itself a server
# exits a moment after its last program, and a program starting in that moment loses its
# connection ("recvmsg: Connection reset by peer"). A server still running (one that lingers after
# an earlier command, or the persistent one of another session) is waited for a while, then reused.
# Its services start now, away from the build's and the tests' pipes, which they would otherwise
# hold open after the program that started them has ended.
tansel_wine_start() {
  mkdir -p "$TANSEL_WINDOWS_BUILD"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  TANSEL_WINE_OWN_SERVER=0
  local waited=0
  until wineserver -p 2>/dev/null; do
    if [ "$waited" -ge 30 ]; then
      echo "A Wine server for $WINEPREFIX keeps running; using it"
      break
    fi
    [ "$waited" -eq 0 ] && echo "A Wine server for $WINEPREFIX is still running; waiting for it to end"
    sleep 1
    waited=$((waited + 1))
  done
  [ "$waited" -lt 30 ] && TANSEL_WINE_OWN_SERVER=1
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
  export TANSEL_WINE_SESSION=$WINEPREFIX  # commands this one starts use the same server
}

# tansel_wine_stop: ends the server tansel_wine_start started (not one it found running).
tansel_wine_stop() {
  if [ "${TANSEL_WINE_OWN_SERVER:-0}" = 1 ]; then
    wineserver -k 2>/dev/null || true
    TANSEL_WINE_OWN_SERVER=0
    unset TANSEL_WINE_SESSION
  fi
}

if [ "${TANSEL_WINE_SESSION:-}" != "$WINEPREFIX" ]; then
  tansel_wine_start
fi
