#!/usr/bin/env bash
# Builds the whole tree with sanitizers and runs the full test suite on it.
#   bash scripts/sanitize.sh asan   # AddressSanitizer + UndefinedBehaviorSanitizer -> build-asan
#   bash scripts/sanitize.sh tsan   # ThreadSanitizer -> build-tsan
# Every report stops the process that made it, so its test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:?asan or tsan}
case "$mode" in
  asan) sanitize="address,undefined" ;;
  tsan) sanitize="thread" ;;
  *) echo "usage: $0 asan|tsan" >&2; exit 64 ;;
esac
build=${SANITIZE_BUILD_DIR:-build-$mode}
root=$(pwd)

# -O1 and line tables only: sanitizer builds are for finding faults, and a
# report still names file and line. AddressSanitizer builds with clang, in 60 %
# of the time g++ takes; ThreadSanitizer stays with g++, as clang 14's aborts
# in a child after fork() (QProcess starts the window's own processes).
case "$mode" in
  asan) compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) debug=-gline-tables-only ;;
  tsan) compilers=() debug=-g1 ;;
esac
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None "${compilers[@]}" \
    -DCMAKE_CXX_FLAGS="-O1 $debug" -DCMAKE_C_FLAGS="-O1 $debug" \
    -DTQ_SANITIZE="$sanitize" -DTQ_BUILD_BENCH=OFF ${CMAKE_ARGS:-} >/dev/null
fi
cmake --build "$build" -j "$(nproc)"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=0"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/.ci/tsan.supp:print_suppressions=0"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
