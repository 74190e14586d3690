#!/usr/bin/env bash
# Draws the README's pictures again into docs/images/: the bundled example in the three colour
# styles and fitted to its points (the headless command line), and the window with the example
# drawn in colour bands (driven with xdotool on a virtual display). Needs build/ombrix.
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/images
mesh=examples/hills_mesh.xlsx

if [ "${1:-}" = "--in-display" ]; then
  # The window on the virtual display, without a window manager: it opens at (0, 0), its menu
  # bar on top. The clicks below are at the places of "Normal", "ファイル読込" →
  # "メッシュ数値データ" and "コンター図" → "作図" in the window's own font.
  ./build/ombrix >/dev/null 2>&1 &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  sleep 3
  xdotool mousemove 185 49 click 1
  sleep 0.5
  xdotool mousemove 45 8 click 1
  sleep 1
  xdotool mousemove 70 30 click 1
  sleep 2
  xdotool type --delay 20 "$(pwd)/$mesh"
  xdotool key Return
  sleep 3
  xdotool mousemove 115 8 click 1
  sleep 1
  xdotool mousemove 130 30 click 1
  sleep 5
  xdotool mousemove 1390 890
  import -window root "$out/window_full.png"
  # The two windows on the black root, cut out together.
  convert "$out/window_full.png" -bordercolor black -border 1 -trim +repage "$out/window.png"
  rm -f "$out/window_full.png"
  exit 0
fi

mkdir -p "$out"
./build/ombrix render "$mesh" --mode nothing -o "$out/hills_nothing.png"
./build/ombrix render "$mesh" --mode easy -o "$out/hills_easy.png"
./build/ombrix render "$mesh" --mode normal -o "$out/hills_normal.png"
./build/ombrix render "$mesh" --points examples/hills_points.xlsx --optimise --mode normal \
  -o "$out/hills_fitted.png"
for tool in xvfb-run xdotool import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "make-showcase: $tool is missing; the window's picture was not made" >&2
    exit 1
  fi
done
xvfb-run -a -s "-screen 0 1400x900x24" bash "$0" --in-display
echo "pictures in $(pwd)/$out"
