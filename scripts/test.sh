#!/usr/bin/env bash
# Installs what is missing, checks that the install list is complete, builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer, fuzzes every parser of outside input for a short
# while, and runs every test headless under CTest (each benchmark once, too).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

fuzzbuild="$here/build-fuzz-ci"
build="$here/build-test"
CC=clang CXX=clang++ cmake -S "$here" -B "$fuzzbuild" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQMR_FUZZ=ON -DQMR_TESTS=OFF -DQMR_BENCH=OFF -DQMR_SANITIZE=ON >/dev/null
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQMR_SANITIZE=ON -DQMR_BENCH=ON >/dev/null

# What this machine happens to have must not hide a package a fresh machine lacks.
bash "$here/scripts/check-install-list.sh" "$fuzzbuild" "$build"

# The fuzz targets: a clang build of their own under the same sanitizers. Each target first runs its
# regression inputs and seeds, then fuzzes for 30 s from a temporary copy of them; a crash fails.
cmake --build "$fuzzbuild" -j"$(nproc)" --target qmr_fuzzers
bash "$here/fuzz/run_fuzzers.sh" "$fuzzbuild" 30

# Everything else, built with g++ and run under CTest.
cmake --build "$build" -j"$(nproc)"
(cd "$build" && ctest --output-on-failure -j2 --timeout 300)

# The Windows programs: cross-built in Release (no sanitizers there), their unit tests under Wine,
# and the smoke tests of qmr51ctl.exe (alone, and over Wine's COM port to the simulator), the window
# and the installer under Wine and Xvfb. A missing compiler, Wine or the Windows libraries fails here
# with a sentence naming what is missing.
windows_start=$SECONDS
QMR_LINUX_SIMULATOR="$build/sim/qmr51-sim" bash "$here/scripts/build-windows.sh"
bash "$here/scripts/check-install-list.sh" "$here/build-win"
(cd "$here/build-win" && ctest --output-on-failure -j2 --timeout 300)
echo "The Windows part took $((SECONDS - windows_start)) s."
