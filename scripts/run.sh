#!/usr/bin/env bash
# Sets up, builds and runs the program. With no argument it runs on the
# virtual regulator; give a port to use a real board:
#   bash scripts/run.sh               # virtual regulator
#   bash scripts/run.sh /dev/ttyUSB0  # a board on that port
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bin="${BUILD_DIR:-build}"
port="${1:-}"

if [ -x "$bin/ui/tq_interface" ] || [ -x "$bin/app/tq_interface" ]; then
  exe="$bin/ui/tq_interface"; [ -x "$exe" ] || exe="$bin/app/tq_interface"
  args=(--simulate); [ -n "$port" ] && args=(--port "$port")
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running the window under Xvfb for 20 s, then the terminal monitor."
    timeout 20 xvfb-run -a "$exe" "${args[@]}" || true
  else
    exec "$exe" "${args[@]}"
  fi
fi

link=(--simulate); [ -n "$port" ] && link=(--port "$port")
"$bin/tools/tqctl" "${link[@]}" version
exec "$bin/tools/tqctl" "${link[@]}" monitor --seconds "${SECONDS_TO_RUN:-15}"
