#!/usr/bin/env bash
# Installs what is missing, builds the tool and starts it. Arguments go to the tool
# (e.g. --demo to try it with a simulated TIKA V2).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQMR_TESTS=OFF -DQMR_BENCH=OFF >/dev/null
cmake --build "$here/build-release" -j"$(nproc)"
exec "$here/build-release/src/qmr51-visualisation" "$@"
