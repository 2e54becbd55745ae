#!/usr/bin/env bash
# The fresh-install check: proves the README's commands on a Debian 12 machine that has nothing
# installed by hand, which a development machine (or CI on it) cannot prove.
#  1. makes a minimal Debian 12 root (mmdebstrap), copies this checkout into it (committed and
#     uncommitted files, no build folders; the Windows libraries beside it) and runs there, as root:
#     the install step, the build of every target and the whole test command (bash scripts/test.sh,
#     the Windows programs under Wine included), the tool's own build and start
#     (bash scripts/run.sh --version, headless) and the Debian package (bash scripts/package.sh);
#  2. makes a second minimal root, installs that .deb with apt-get, and starts the installed tool on
#     an X display (Xvfb) far enough to answer --version, proving the package's dependencies.
# Prints each step and what failed. Needs root and the Debian 12 package sources this machine's apt
# uses (its mirror, proxy or local archive, as /etc/apt/sources.list and sources.list.d/ name them);
# takes about as long as two full builds and one run of the test command.
#   sudo bash scripts/check-fresh-install.sh [WORK_DIR]      (default /var/tmp/qmr51-fresh)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
work="${1:-/var/tmp/qmr51-fresh}"
[ "$(id -u)" -eq 0 ] || { echo "check-fresh-install: run as root (it makes and enters Debian roots)" >&2; exit 2; }
command -v mmdebstrap >/dev/null || { apt-get update -qq; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq mmdebstrap; }

# The roots get their packages where this machine gets its own: every sources file apt reads here
# (one-line .list or deb822 .sources; apt ignores other names, and so does this), as it is.
mirrors=()
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  if [ -f "$file" ] && grep -qE '^[[:space:]]*(deb|Types:)' "$file"; then mirrors+=("$file"); fi
done
[ "${#mirrors[@]}" -gt 0 ] || {
  echo "check-fresh-install: apt on this machine names no package source (/etc/apt/sources.list, /etc/apt/sources.list.d/)" >&2
  exit 2
}
mounted=()
cleanup() {
  local m
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT

make_root() { # a minimal Debian 12 root with /dev, /dev/pts, /proc and /sys (the tests need pseudo-terminals)
  local root="$1"
  rm -rf "$root"
  mmdebstrap --variant=minbase --mode=root bookworm "$root" "${mirrors[@]}" >"$root.log" 2>&1
  # The root is a mount point of its own, as on a machine: the tests that run Wine in a mount
  # namespace of its own (scripts/wine-run.sh) cannot make "/" private inside a plain chroot.
  mount --bind "$root" "$root" && mounted+=("$root")
  mount --bind /dev "$root/dev" && mounted+=("$root/dev")
  mount --bind /dev/pts "$root/dev/pts" && mounted+=("$root/dev/pts")
  mount -t proc proc "$root/proc" && mounted+=("$root/proc")
  mount -t sysfs sys "$root/sys" && mounted+=("$root/sys")
}

step() { # step NAME ROOT COMMAND: runs COMMAND in ROOT as root, logs it, stops with what failed
  local name="$1" root="$2" command="$3" log
  log="$work/$(echo "$name" | sed -E "s/[^A-Za-z0-9]+/_/g" | cut -c1-60).log"
  echo "== $name"
  local start=$SECONDS
  if ! chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        bash -c "$command" >"$log" 2>&1; then
    echo "FAILED: $name (after $((SECONDS - start)) s). The end of $log:"
    tail -n 40 "$log"
    exit 1
  fi
  echo "   ok in $((SECONDS - start)) s"
}

mkdir -p "$work"
echo "== making a fresh Debian 12 root in $work/build-root"
make_root "$work/build-root"
mkdir -p "$work/build-root/src/qmr51"
(cd "$here" && git ls-files -co --exclude-standard -z | tar --null -T - -cf -) | tar -xf - -C "$work/build-root/src/qmr51"
# The Windows libraries the test command cross-builds with lie beside the checkout, as on CI.
mkdir -p "$work/build-root/src/shared/toolchains"
cp "$here/../shared/toolchains/windows-x86_64.tar.xz" "$work/build-root/src/shared/toolchains/"

cd_src="cd /src/qmr51"
step "install step (scripts/install-deps.sh)" "$work/build-root" "$cd_src && bash scripts/install-deps.sh"
step "test command: build of every target and all tests (scripts/test.sh)" "$work/build-root" "$cd_src && bash scripts/test.sh"
step "the tool builds and starts (scripts/run.sh --version)" "$work/build-root" \
  "$cd_src && QT_QPA_PLATFORM=offscreen bash scripts/run.sh --version"
step "Debian package (scripts/package.sh)" "$work/build-root" "$cd_src && bash scripts/package.sh"
deb="$(ls "$work"/build-root/src/qmr51/build-deb/qmr51-visualisation_*_amd64.deb | head -n 1)"

echo "== making a second fresh Debian 12 root in $work/package-root"
make_root "$work/package-root"
cp "$deb" "$work/package-root/root/"
step "the package installs with its dependencies (apt-get install ./$(basename "$deb"))" "$work/package-root" \
  "cd /root && apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ./$(basename "$deb") xvfb xauth"
step "the installed tool starts on an X display (xvfb-run qmr51-visualisation --version)" "$work/package-root" \
  "out=\$(QT_QPA_PLATFORM=xcb xvfb-run -a qmr51-visualisation --version) && echo \"\$out\" && echo \"\$out\" | grep -q 'platform xcb' && test -f /usr/share/applications/qmr51-visualisation.desktop && test -f /usr/share/icons/hicolor/scalable/apps/qmr51-visualisation.svg"
cat "$work"/the_installed_tool_starts*.log
echo "Fresh-install check passed."
