#!/usr/bin/env bash
# The main job: starts the program on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
./build/ombrix --version
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: the window cannot be shown here (start build/ombrix on a desktop, or under xvfb-run)"
  exit 0
fi
exec ./build/ombrix
