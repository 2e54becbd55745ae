#!/usr/bin/env bash
# Installs what is missing and builds the Debian package qmr51-visualisation_<version>_amd64.deb in
# build-deb/ (Release, installed under /usr; dependencies from the libraries the program links).
#   sudo apt-get install ./build-deb/qmr51-visualisation_*_amd64.deb
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-deb" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQMR_TESTS=OFF -DQMR_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$here/build-deb" -j"$(nproc)"
cd "$here/build-deb"
cpack -G DEB
ls "$here"/build-deb/qmr51-visualisation_*_amd64.deb
