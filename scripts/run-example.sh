#!/usr/bin/env bash
# The main job: draws the contour map of the bundled example mesh into an image file, then
# opens the window where a display exists.
set -euo pipefail
cd "$(dirname "$0")/.."
./build/ombrix --version
echo "--- example mesh (examples/hills_mesh.xlsx): size and plot frame"
./build/ombrix mesh examples/hills_mesh.xlsx | grep -E '^(size|frame),'
echo "--- its levels"
./build/ombrix levels examples/hills_mesh.xlsx | grep -E '^(first|top|labelunit),'
./build/ombrix render examples/hills_mesh.xlsx -o build/hills_map.png
echo "the contour map of the example is in $(pwd)/build/hills_map.png"
echo "--- the mesh fitted to the 60 example points (examples/hills_points.xlsx)"
# Captured whole, not piped into head: under pipefail a reader that stops early kills ombrix
# with SIGPIPE and fails the job.
fitted="$(./build/ombrix optimise examples/hills_mesh.xlsx examples/hills_points.xlsx)"
echo "${fitted%%$'\n'*}"
./build/ombrix render examples/hills_mesh.xlsx --points examples/hills_points.xlsx --optimise \
  --mode normal -o build/hills_fitted.png
echo "its colour map is in $(pwd)/build/hills_fitted.png"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: the window is not opened (start build/ombrix on a desktop, or under xvfb-run)"
  exit 0
fi
exec ./build/ombrix
