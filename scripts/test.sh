#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# fuzzes every parser of outside input for a short while, and runs every test headless under CTest.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The fuzz targets: a clang build of their own under the same sanitizers. Each target first runs its
# regression inputs and seeds, then fuzzes for 30 s from a temporary copy of them; a crash fails.
fuzzbuild="$here/build-fuzz-ci"
CC=clang CXX=clang++ cmake -S "$here" -B "$fuzzbuild" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQMR_FUZZ=ON -DQMR_TESTS=OFF -DQMR_BENCH=OFF -DQMR_SANITIZE=ON >/dev/null
cmake --build "$fuzzbuild" -j"$(nproc)" --target qmr_fuzzers
bash "$here/fuzz/run_fuzzers.sh" "$fuzzbuild" 30

# Everything else, built with g++ and run under CTest.
build="$here/build-test"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQMR_SANITIZE=ON -DQMR_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j2 --timeout 300
