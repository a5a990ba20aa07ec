#!/usr/bin/env bash
# Installs what the build needs (Debian 12, as root or with sudo), then
# configures and builds into ./build. Safe to run again: it installs only
# what is missing and rebuilds only what changed. BUILD_TARGETS names the
# targets to build (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."

# What building and running the window, tqctl and tq-sim needs; the tests,
# benchmarks, sanitizer and fuzzing builds need the rest (SETUP_FOR=test,
# the default).
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          nlohmann-json3-dev libx11-dev)
if [ "${SETUP_FOR:-test}" != run ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth x11-utils poppler-utils
             fonts-liberation2 clang libclang-rt-14-dev llvm lld groff-base locales ser2net)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The locale tests format numbers under a decimal-comma locale.
if [ "${SETUP_FOR:-test}" != run ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "de_DE.UTF-8 not generated; the locale tests will skip"
fi

BUILD_DIR=${BUILD_DIR:-build}
if [ "${SETUP_FOR:-test}" = run ]; then
  # Tests and benchmarks stay as configured before; a first configuration
  # leaves them out (their libraries may be missing).
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    set -- -DTQ_BUILD_TESTS=OFF -DTQ_BUILD_BENCH=OFF
  else
    set --
  fi
else
  set -- -DTQ_BUILD_TESTS=ON -DTQ_BUILD_BENCH=${TQ_BUILD_BENCH:-ON}
fi
# Line tables only (-g1): a crash's backtrace still names file and line, and
# the build takes a fifth less time than with full debug information.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  "$@" ${CMAKE_ARGS:-}
cmake --build "$BUILD_DIR" -j "$(nproc)" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
