#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests (CTest's cross-compiling emulator) in a Wine that
# sees none of this machine's serial devices: a virtual machine's /dev/ttyS* are UARTs with nothing
# behind them, Wine's serial emulation blocks on them, and what the tests find must not depend on
# the machine. As root it runs in a mount namespace of its own in which every /dev/ttyS*, ttyUSB*
# and ttyACM* is covered by an empty file; otherwise Wine runs as it is.
#   WINEPREFIX=... scripts/wine-run.sh PROGRAM.exe ARGUMENTS...
set -euo pipefail
if [ -z "${QMR_WINE_SERIAL_HIDDEN:-}" ] && [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
  export QMR_WINE_SERIAL_HIDDEN=1
  exec unshare -m --propagation private "$0" "$@"
fi
if [ "${QMR_WINE_SERIAL_HIDDEN:-}" = 1 ]; then
  export QMR_WINE_SERIAL_HIDDEN=done
  empty="$(mktemp)"
  for device in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM*; do
    [ -c "$device" ] && mount --bind "$empty" "$device"
  done
fi
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec /usr/lib/wine/wine64 "$@"
