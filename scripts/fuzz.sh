#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, core instrumented, ASan and UBSan) and
# runs each in turn for SECONDS (default 600), one at a time. Each target
# starts from its committed corpus; what it finds goes to a work folder, and
# a crash stops the script with the crashing input beside the log.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     targets default to all of fuzz/
#
# Afterwards, to fold the new inputs into the committed corpus (small, only
# inputs that add coverage):
#   build-fuzz/fuzz/fuzz_NAME -merge=1 fuzz/corpus/NAME "$WORK/NAME"
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
build=${BUILD:-build-fuzz}
work=${WORK:-/tmp/kestrelpix-fuzz}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in fuzz/*_fuzzer.cpp; do
    n=$(basename "$f" _fuzzer.cpp)
    targets+=("$n")
  done
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DKESTRELPIX_FUZZ=ON -DKESTRELPIX_GUI=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
for n in "${targets[@]}"; do
  cmake --build "$build" -j"${JOBS:-2}" --target "fuzz_$n" >/dev/null
done

mkdir -p "$work"
# Font libraries keep caches for the life of the process; their leaks at
# exit are not findings.
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
for n in "${targets[@]}"; do
  mkdir -p "$work/$n"
  log="$work/$n.log"
  echo "fuzz_$n: ${seconds} s, log $log"
  status=0
  "$build/fuzz/fuzz_$n" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
    -artifact_prefix="$work/$n-" "$work/$n" "fuzz/corpus/$n" >"$log" 2>&1 || status=$?
  grep -E '^Done|stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$n stopped with status $status; see $log and $work/$n-*" >&2
    exit "$status"
  fi
done
