#!/usr/bin/env bash
# Sets up, builds and runs the program. With no argument it runs on the
# virtual regulator; name a port to use a real board:
#   bash scripts/run.sh               # virtual regulator
#   bash scripts/run.sh /dev/ttyUSB0  # a board on that port
# Without a display it shows the same live panel in the terminal (tqctl).
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what it runs: the window (which carries its own virtual regulator)
# when there is a display, tqctl otherwise.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then targets="tq_interface"; else targets="tqctl"; fi
SETUP_FOR=run BUILD_TARGETS="$targets" bash scripts/setup.sh
bin="${BUILD_DIR:-build}"
port="${1:-}"

if [ -n "$port" ]; then link=(--port "$port"); else link=(--simulate); fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/ui/tq_interface" "${link[@]}"
fi

echo "No display: the live status panel in the terminal (Ctrl-C ends it)."
[ -n "$port" ] || link=(--demo)
"$bin/tools/tqctl" "${link[@]}" version
exec "$bin/tools/tqctl" "${link[@]}" monitor ${SECONDS_TO_RUN:+--seconds "$SECONDS_TO_RUN"}
