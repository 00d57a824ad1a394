#!/bin/sh
# Runs a Windows program under wine64 in the build's private prefix, so that
# tests never touch ~/.wine. Usage: wine-run.sh <prefix dir> <program.exe> [args]
# The prefix is created once (wineboot takes about half a minute); a lock keeps
# tests started in parallel from creating it twice.
set -e
prefix=$1
shift
: "${WINEPREFIX:=$prefix}"
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINEDEBUG
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  flock "$WINEPREFIX.lock" sh -c \
    '[ -f "$WINEPREFIX/system.reg" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1; /usr/lib/wine/wineserver -w'
fi
exec /usr/lib/wine/wine64 "$@"
