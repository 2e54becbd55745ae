#!/usr/bin/env bash
# Cross-builds the Windows programs (qmr51-visualisation.exe, qmr51ctl.exe) and their unit tests in
# Release with MinGW-w64, in build-win/: installs what is missing (scripts/install-deps.sh lists the
# compiler, Wine, NSIS and Qt's host tools), unpacks the Windows libraries from
# ../shared/toolchains/windows-x86_64.tar.xz into build-win-deps/ and makes a Wine prefix in
# build-win/wine for the tests. Fails with a sentence naming what is missing.
#   bash scripts/build-windows.sh [--package]   (--package also makes the installer and the zip)
# QMR_LINUX_SIMULATOR=<linux build>/sim/qmr51-sim saves building the simulator for the device test.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-win"
deps="$here/build-win-deps"
archive="${QMR_WINDOWS_TOOLCHAIN:-$here/../shared/toolchains/windows-x86_64.tar.xz}"
bash "$here/scripts/install-deps.sh"

missing() { echo "build-windows: $1" >&2; exit 1; }
[ -f "$archive" ] || missing "the Windows libraries $archive are missing (Qt, libcurl and GoogleTest built for MinGW-w64; set QMR_WINDOWS_TOOLCHAIN to another copy)."
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing "the MinGW-w64 compiler x86_64-w64-mingw32-g++-posix is missing: install the Debian package g++-mingw-w64-x86-64-posix."
[ -x /usr/lib/wine/wine64 ] || missing "Wine (/usr/lib/wine/wine64) is missing: install the Debian package wine64."
wine="$here/scripts/wine-run.sh" # Wine as the tests see it: without this machine's serial devices
command -v makensis >/dev/null || missing "makensis is missing: install the Debian package nsis."

# The libraries, unpacked again when the archive changes.
stamp="$deps/windows-x86_64/.unpacked-from"
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$(stat -c %s-%Y "$archive")" ]; then
  rm -rf "$deps" && mkdir -p "$deps"
  tar -xJf "$archive" -C "$deps"
  stat -c %s-%Y "$archive" >"$stamp"
fi

# One Wine prefix for the tests; made once (about half a minute).
export WINEPREFIX="$build/wine"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$build"
  "$wine" wineboot -i >/dev/null 2>&1 || missing "Wine could not make its prefix in $WINEPREFIX."
  /usr/lib/wine/wineserver -w
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# The device test talks to the Linux simulator through Wine's COM port: QMR_LINUX_SIMULATOR names one
# already built (scripts/test.sh passes its own), else it is built here.
simulator="${QMR_LINUX_SIMULATOR:-}"
if [ -z "$simulator" ]; then
  cmake -S "$here" -B "$here/build-win-sim" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQMR_TESTS=OFF -DQMR_BENCH=OFF \
    "${launcher[@]}" >/dev/null
  cmake --build "$here/build-win-sim" -j"${QMR_JOBS:-2}" --target qmr51-sim
  simulator="$here/build-win-sim/sim/qmr51-sim"
fi
"$deps/windows-x86_64/bin/qt-cmake" -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$deps/windows-x86_64" -DQMR_SANITIZE=OFF -DQMR_BENCH=OFF -DQMR_FUZZ=OFF \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" -DQMR_WINE_PREFIX="$WINEPREFIX" -DQMR_LINUX_SIMULATOR="$simulator" \
  "${launcher[@]}" >/dev/null
cmake --build "$build" -j"${QMR_JOBS:-2}"
if [ "${1:-}" = "--package" ]; then
  cmake --build "$build" --target windows-package
fi
