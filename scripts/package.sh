#!/usr/bin/env bash
# Builds the Debian package build/tq-interface_VERSION_amd64.deb: sets up and
# builds what it holds (scripts/setup.sh), then packs it with cpack. The
# dependencies are computed by dpkg-shlibdeps; the binaries are stripped.
#   bash scripts/package.sh
#   sudo apt-get install ./build/tq-interface_*.deb
# scripts/package-check.sh also lints it, installs it, tries it and removes it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

# cpack's DEB generator needs dpkg-shlibdeps (dpkg-dev) and file.
missing=()
for p in dpkg-dev file; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Only the programs and the generated documents; an existing tree that has
# them already built (the test stage's) compiles nothing here.
if [ "${PACKAGE_REUSE_BUILD:-0}" = 1 ] && [ -f "$build/build.ninja" ]; then
  cmake --build "$build" -j "$(nproc)" --target tq_interface tqctl tq-sim man_pages package_changelog
else
  SETUP_FOR=run BUILD_DIR="$build" BUILD_TARGETS="tq_interface tqctl tq-sim man_pages package_changelog" bash scripts/setup.sh
fi

rm -f "$build"/tq-interface_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$build" >"$build/cpack.log" 2>&1 || { cat "$build/cpack.log"; exit 1; }
deb=$(ls "$build"/tq-interface_*.deb)
echo "$deb"
