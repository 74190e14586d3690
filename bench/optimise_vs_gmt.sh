#!/usr/bin/env bash
# The fit side by side with GMT's `surface` on the same generated points and grid, as whole
# commands: wall time and peak memory of each, and the ratio ombrix / GMT.
#   bash bench/optimise_vs_gmt.sh [BUILD_DIR]
# GMT is installed here (Debian package gmt) for the comparison only; ombrix never needs it.
set -euo pipefail

build=${1:-build}
if ! command -v gmt >/dev/null; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends gmt
fi
cmake --build "$build" --target ombrix make_fit_inputs -j2 >/dev/null

build=$(cd "$build" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # GMT leaves its history file in the current folder

# Runs a command under /usr/bin/time; prints "wall_seconds cpu_seconds kilobytes". On a shared
# machine the CPU seconds (user + system) are the steadier figure.
measure() {
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >"$work/out" 2>"$work/err" || {
    echo "failed: $*" >&2
    cat "$work/err" >&2
    exit 1
  }
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time"
}

echo "load average: $(uptime | sed 's/.*load average: //')"
printf '%-10s %-6s %-10s %8s %8s %7s %8s %8s %7s %6s %6s\n' mesh points solver \
  ours_wall ours_cpu ours_MB gmt_wall gmt_cpu gmt_MB wall_x cpu_x
# mesh side, points, solver
for run in "100 1000 relaxation" "300 1000 relaxation" "1000 10000 exact"; do
  read -r n count solver <<<"$run"
  "$build/bench/make_fit_inputs" "$n" "$n" "$count" 7 "$work"
  read -r ours_s ours_cpu ours_kb < <(measure "$build/ombrix" optimise "$work/mesh.xlsx" \
    "$work/points.xlsx" --solver "$solver")
  head -2 "$work/out" | tr '\n' ' ' >"$work/summary"
  step=$(awk -v n="$n" 'BEGIN { printf "%.17g", 200 / (n - 1) }')
  read -r gmt_s gmt_cpu gmt_kb < <(measure gmt surface "$work/points.xyz" -R0/200/0/200 -I"$step" \
    -G"$work/gmt.nc")
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
  printf '%-10s %-6s %-10s %8s %8s %7d %8s %8s %7d %6s %6s  %s\n' "${n}x${n}" "$count" "$solver" \
    "$ours_s" "$ours_cpu" $((ours_kb / 1024)) "$gmt_s" "$gmt_cpu" $((gmt_kb / 1024)) \
    "$(ratio "$ours_s" "$gmt_s")" "$(ratio "$ours_cpu" "$gmt_cpu")" "$(cat "$work/summary")"
done
