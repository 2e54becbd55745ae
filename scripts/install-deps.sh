#!/usr/bin/env bash
# Installs the Debian packages the tool, its tests, benchmarks and fuzzers need, when any is missing.
# Run as root (or through sudo); does nothing when everything is there.
#   --list   prints the list, one package a line, and installs nothing (the test command checks
#            with it that every package the build found on this machine is in the list).
set -euo pipefail
packages=(
  # the tool: compiler, build tools, Qt 6 (Charts needs Qt's OpenGL module), libcurl, and the
  # system's certificate store that https:// and ftps:// servers are checked against
  cmake ninja-build g++ binutils pkgconf
  qt6-base-dev libqt6opengl6-dev qt6-serialport-dev qt6-charts-dev libcurl4-openssl-dev ca-certificates
  # the Debian package: its dependencies come from the linked libraries
  dpkg-dev file
  # tests and benchmarks
  libgtest-dev libbenchmark-dev
  xvfb xauth python3-minimal python3-pyftpdlib srecord
  # the test HTTPS server's certificate, made when it starts
  openssl
  # the fuzz targets: clang with its libFuzzer and sanitizer runtimes
  clang libclang-rt-14-dev
  # the Windows programs (scripts/build-windows.sh): the MinGW-w64 compiler, Qt's host tools (moc,
  # rcc, uic) for the Windows Qt, Wine to run their tests, NSIS for the installer, xwininfo to see
  # the window under Xvfb, xz to unpack the Windows libraries
  g++-mingw-w64-x86-64-posix qt6-base-dev-tools wine64 nsis x11-utils xz-utils
)
if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
