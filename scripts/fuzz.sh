#!/usr/bin/env bash
# Builds the libFuzzer targets (clang) into build-fuzz and runs each for
# SECONDS (default 20) from its seeds in fuzz/corpus/<name>. New inputs go to
# a scratch corpus, never into the tree; a crash leaves its input in
# $FUZZ_OUT (default build-fuzz/findings) and makes the script fail.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
build=${FUZZ_BUILD_DIR:-build-fuzz}
out=${FUZZ_OUT:-$build/findings}

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ_FUZZ=ON \
    -DTQ_BUILD_UI=OFF -DTQ_BUILD_BENCH=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ ${CMAKE_ARGS:-} >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target fuzz_targets

targets=("$@")
if ((${#targets[@]} == 0)); then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

mkdir -p "$out"
failed=()
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# One target per core at a time: each runs its full time, the stage takes
# a fraction of it.
fuzz_one() {
  local name=$1 scratch log
  scratch=$(mktemp -d)
  log="$out/$name.log"
  if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$out/$name-" "$scratch" "fuzz/corpus/$name" >"$log" 2>&1; then
    rm -f "$out/$name.failed"
  else
    touch "$out/$name.failed"
  fi
  rm -rf "$scratch"
}
jobs_max=$(nproc)
for name in "${targets[@]}"; do
  while (( $(jobs -rp | wc -l) >= jobs_max )); do wait -n || true; done
  fuzz_one "$name" &
done
wait
for name in "${targets[@]}"; do
  log="$out/$name.log"
  if [ -e "$out/$name.failed" ]; then
    printf '%-16s FAILED, see %s\n' "$name" "$log"
    tail -40 "$log"
    failed+=("$name")
  else
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    printf '%-16s %10s runs in %ss\n' "$name" "${runs:-?}" "$seconds"
  fi
done
if ((${#failed[@]})); then
  echo "fuzz targets failed: ${failed[*]}"
  exit 1
fi
