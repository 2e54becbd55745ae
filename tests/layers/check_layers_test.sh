#!/bin/bash
# The layer check on a small tree: a tree whose includes point down passes; an include against the
# direction, the simulator including the tool, and a widget outside the ui/ folders each stop the
# configure, naming the file.
set -u
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
put() { mkdir -p "$(dirname "$work/$1")"; printf '%s\n' "$2" >"$work/$1"; }
configure() { rm -rf "$work/build"; cmake -S "$root/tests/layers" -B "$work/build" -DQMR_ROOT="$root" -DFIXTURE_SRC="$work/src" >"$work/out" 2>&1; }

put src/platform/Port.h ''
put src/link/Exchange.h '#include "platform/Port.h"'
put src/device/Session.h '#include "link/Exchange.h"'
put src/firmware/Upgrade.h '#include "device/Session.h"'
put src/device/ui/Handler.h '#include <QWidget>'
put sim/Device.h '#include <QByteArray>'
configure || { cat "$work/out"; echo "a tree whose includes point down was refused"; exit 1; }

failed=0
while IFS='|' read -r file line; do
    cp "$work/$file" "$work/saved"
    put "$file" "$line"
    if configure; then
        echo "not refused: $file: $line"; failed=1
    elif ! grep -q "$(basename "$file"): $line" "$work/out"; then
        cat "$work/out"; echo "refused without naming $file"; failed=1
    fi
    mv "$work/saved" "$work/$file"
done <<'CASES'
src/link/Exchange.h|#include "device/Session.h"
src/device/Session.h|#include "firmware/Upgrade.h"
sim/Device.h|#include "device/Session.h"
src/firmware/Upgrade.h|#include <QPushButton>
CASES
exit $failed
