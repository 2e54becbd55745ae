#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build (configured with -DQMR_FUZZ=ON and built with clang).
#
#   fuzz/run_fuzzers.sh BUILD_DIR [SECONDS_PER_TARGET] [TARGET ...]
#
# For each target (all fuzz_* programs of BUILD_DIR/fuzz unless named):
#  1. every file in fuzz/regressions/<target>/ and fuzz/corpus/<target>/ is run once: inputs that
#     crashed before, and the seeds, must not crash now;
#  2. the target fuzzes for SECONDS_PER_TARGET (default 30) from a temporary copy of those files,
#     so the repository stays as it is.
# A crash fails the script. Its input is copied to fuzz/regressions/<target>/ (to be committed as a
# regression test) and printed in base64, so that it can be taken from a CI log too.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:?usage: $0 BUILD_DIR [SECONDS_PER_TARGET] [TARGET ...]}"
seconds="${2:-30}"
shift $(( $# > 1 ? 2 : 1 ))

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for program in "$build"/fuzz/fuzz_*; do
    [ -x "$program" ] && [ -f "$program" ] && targets+=("$(basename "$program")")
  done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "No fuzz targets in $build/fuzz: configure with -DQMR_FUZZ=ON and build the qmr_fuzzers target." >&2
  exit 1
fi

# Set here whatever the caller had: undefined behaviour stops a run like an address error does, a
# finding prints its stack, and memory an input leaks counts as a finding too.
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

keep_crash() {
  local target="$1" log="$2"
  local found=0
  mkdir -p "$here/regressions/$target"
  for artifact in "$work/$target"-crash-* "$work/$target"-timeout-* "$work/$target"-oom-* "$work/$target"-leak-*; do
    [ -f "$artifact" ] || continue
    found=1
    local name
    name="$(basename "$artifact")"
    name="${name#"$target"-}"
    cp "$artifact" "$here/regressions/$target/$name"
    echo "  input kept as fuzz/regressions/$target/$name; base64:"
    base64 -w 76 "$artifact" | sed 's/^/    /'
  done
  [ "$found" -eq 1 ] || echo "  (no input was written; see the log above)"
  echo "  last lines of the run:"
  tail -n 40 "$log" | sed 's/^/    /'
}

failed=()
total_runs=0
printf '%-24s %12s %10s %10s\n' "target" "executions" "seconds" "per second"
for target in "${targets[@]}"; do
  program="$build/fuzz/$target"
  log="$work/$target.log"
  corpus="$work/$target-corpus"
  mkdir -p "$corpus"
  seeds=()
  for folder in "$here/regressions/$target" "$here/corpus/$target"; do
    [ -d "$folder" ] || continue
    while IFS= read -r -d '' file; do seeds+=("$file"); done < <(find "$folder" -type f -print0 | sort -z)
  done

  # 1. Regressions and seeds, each once.
  if [ ${#seeds[@]} -gt 0 ]; then
    if ! "$program" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/$target-" "${seeds[@]}" >"$log" 2>&1; then
      echo "$target: an input of fuzz/regressions/$target or fuzz/corpus/$target crashes it"
      grep -E "^Running: " "$log" | tail -n 1 | sed 's/^/  /'
      tail -n 40 "$log" | sed 's/^/    /'
      failed+=("$target")
      continue
    fi
    cp "${seeds[@]}" "$corpus/" 2>/dev/null || true
  fi

  # 2. Fuzzing for a fixed time.
  started=$(date +%s.%N)
  status=0
  "$program" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/$target-" "$corpus" >"$log" 2>&1 || status=$?
  ended=$(date +%s.%N)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ -z "$runs" ]; then
    runs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  fi
  runs=${runs:-0}
  elapsed=$(awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.1f", b - a }')
  rate=$(awk -v r="$runs" -v s="$elapsed" 'BEGIN { printf "%d", (s > 0 ? r / s : 0) }')
  total_runs=$((total_runs + runs))
  printf '%-24s %12s %10s %10s\n' "$target" "$runs" "$elapsed" "$rate"
  if [ "$status" -ne 0 ]; then
    echo "$target: CRASH (exit status $status)"
    keep_crash "$target" "$log"
    failed+=("$target")
  fi
done

echo "Fuzzing: ${#targets[@]} targets, ${#failed[@]} crashed, $total_runs executions in all."
if [ ${#failed[@]} -gt 0 ]; then
  echo "Crashed: ${failed[*]}" >&2
  exit 1
fi
