#!/usr/bin/env bash
# The main job: draws the bundled example mesh in the three colour styles and fitted to its
# scattered points, says where each picture is, then opens the window where a display exists.
set -euo pipefail
cd "$(dirname "$0")/.."
./build/ombrix --version
echo "--- example mesh (examples/hills_mesh.xlsx): size and plot frame"
./build/ombrix mesh examples/hills_mesh.xlsx | grep -E '^(size|frame),'
echo "--- its levels"
./build/ombrix levels examples/hills_mesh.xlsx | grep -E '^(first|top|labelunit),'
echo "--- the contour map in each colour style"
./build/ombrix render examples/hills_mesh.xlsx -o build/hills_map.png
echo "lines only (Nothing):       $(pwd)/build/hills_map.png"
./build/ombrix render examples/hills_mesh.xlsx --mode easy -o build/hills_easy.png
echo "green shading (Easy):       $(pwd)/build/hills_easy.png"
./build/ombrix render examples/hills_mesh.xlsx --mode normal -o build/hills_normal.png
echo "colour bands (Normal):      $(pwd)/build/hills_normal.png"
echo "--- the mesh fitted to the 60 example points (examples/hills_points.xlsx)"
# Captured whole, not piped into head: under pipefail a reader that stops early kills ombrix
# with SIGPIPE and fails the job.
fitted="$(./build/ombrix optimise examples/hills_mesh.xlsx examples/hills_points.xlsx)"
echo "${fitted%%$'\n'*}"
./build/ombrix render examples/hills_mesh.xlsx --points examples/hills_points.xlsx --optimise \
  --mode normal -o build/hills_fitted.png
echo "fitted mesh, colour bands:  $(pwd)/build/hills_fitted.png"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: the window is not opened (start build/ombrix on a desktop, or under xvfb-run)"
  exit 0
fi
exec ./build/ombrix
