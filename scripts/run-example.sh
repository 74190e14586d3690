#!/usr/bin/env bash
# The main job: reads the bundled example workbooks headless, then opens the window.
set -euo pipefail
cd "$(dirname "$0")/.."
./build/ombrix --version
echo "--- example mesh (examples/hills_mesh.xlsx): size, parameters and plot frame"
./build/ombrix mesh examples/hills_mesh.xlsx | grep -E '^(size|param|frame),'
echo "--- example points (examples/hills_points.xls): first points"
./build/ombrix points examples/hills_points.xls | head -n 4
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: the window cannot be shown here (start build/ombrix on a desktop, or under xvfb-run)"
  exit 0
fi
exec ./build/ombrix
