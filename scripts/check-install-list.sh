#!/usr/bin/env bash
# After a configure: every Debian package that owns something the build found on this machine must
# be in the list of scripts/install-deps.sh. A package that a development machine happens to have
# (installed by hand, or pulled in by other work) would otherwise keep CI green while a fresh
# machine cannot build. Checked: the CMake package files (the *_DIR entries of the cache), the
# compiler, make program and cmake itself, libcurl (found by a find module, not a package file), and the
# programs and files the tests and fuzzers ask for (QMR_NEEDS_*).
#   scripts/check-install-list.sh BUILD_DIR...
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
mapfile -t listed < <(bash "$here/scripts/install-deps.sh" --list)
in_list() { local p; for p in "${listed[@]}"; do [ "$p" = "$1" ] && return 0; done; return 1; }

# The packages owning a path, following its chain of symbolic links (/usr/bin/c++ -> alternatives ->
# /usr/bin/g++ -> g++-12): any owner along the chain will do.
owners_of() {
  local path="$1" hops=0
  while [ -n "$path" ] && [ $hops -lt 10 ]; do
    { dpkg-query -S "$path" 2>/dev/null || true; } | sed -n 's/^\([^:,]*\)\(:[a-z0-9]*\)\?\(, [^:]*\)*: .*/\1/p' | head -n 1
    [ -L "$path" ] || break
    local next; next="$(readlink "$path")"
    case "$next" in /*) path="$next" ;; *) path="$(dirname "$path")/$next" ;; esac
    hops=$((hops + 1))
  done
}

failed=0
declare -A reported=()
for build in "$@"; do
  cache="$build/CMakeCache.txt"
  [ -f "$cache" ] || { echo "check-install-list: no CMake cache in $build" >&2; exit 2; }
  while IFS='=' read -r key value; do
    name="${key%%:*}"
    case "$value" in /*) ;; *) continue ;; esac
    [ -e "$value" ] || continue
    # A CMake package folder may be shared by several packages; its Config file has one owner.
    if [[ "$name" == *_DIR ]]; then
      [[ "$value" == */cmake/* ]] || continue # include folders and the like: shared by many packages
      config="$(ls "$value"/*[Cc]onfig.cmake 2>/dev/null | head -n 1 || true)"
      [ -n "$config" ] && value="$config"
    fi
    case "$value" in "$here"/*|"$build"/*) continue ;; esac
    mapfile -t owners < <(owners_of "$value")
    [ ${#owners[@]} -gt 0 ] || continue # not from a package (e.g. /usr/local): nothing to install
    ok=0
    for o in "${owners[@]}"; do in_list "$o" && ok=1; done
    if [ $ok -eq 0 ] && [ -z "${reported[${owners[0]}]:-}" ]; then
      reported[${owners[0]}]=1
      echo "The Debian package ${owners[0]} is missing from scripts/install-deps.sh: the build uses its $value ($name), so a fresh machine could not build or test without it."
      failed=1
    fi
  done < <(grep -E '^([A-Za-z0-9_]+_DIR:PATH|CMAKE_CXX_COMPILER:(FILEPATH|STRING)|CMAKE_MAKE_PROGRAM:FILEPATH|CMAKE_COMMAND:INTERNAL|CURL_LIBRARY(_RELEASE)?:FILEPATH|PKG_CONFIG_EXECUTABLE:FILEPATH|QMR_NEEDS_[A-Z0-9_]+:(FILEPATH|PATH))=' "$cache")
done
exit $failed
