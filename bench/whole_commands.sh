#!/usr/bin/env bash
# Whole commands as a user runs them, side by side on the same grid: ombrix from the workbook
# to a PNG (each colour mode), ombrix segments, ombrix with a threefold division, matplotlib
# drawing bands and lines from a NumPy file to an 870 x 650 PNG, and gdal_contour drawing the
# lines alone from an ASCII grid. Each runs ROUNDS times, interleaved; the median wall time, the
# median CPU time (user + system: what the run costs on a shared machine) and the largest peak
# resident memory (/usr/bin/time) are printed with ratios to matplotlib.
#
#   bash bench/whole_commands.sh [N] [DIVIDED_N] [ROUNDS]    (defaults 1000 600 3)
#
# Debian's own python3 runs matplotlib (not one first on PATH). Needs a build (build/ombrix, build/bench/make_bench_grid); installs matplotlib, NumPy and
# gdal-bin from Debian when they are missing.
set -euo pipefail

N=${1:-1000}
DN=${2:-600}
ROUNDS=${3:-3}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
OMBRIX=$BUILD/ombrix
GRID=$BUILD/bench/make_bench_grid

for tool in "$OMBRIX" "$GRID"; do
  [[ -x $tool ]] || { echo "missing $tool: build first (cmake --build build)" >&2; exit 1; }
done

missing=()
for pkg in python3-matplotlib python3-numpy gdal-bin time; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
if ((${#missing[@]})); then
  SUDO=; [[ $(id -u) == 0 ]] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
"$GRID" "$N" "$WORK/mesh_$N" >/dev/null
"$GRID" "$DN" "$WORK/mesh_$DN" >/dev/null

cat >"$WORK/mpl.py" <<'PY'
import sys
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np
z = np.load(sys.argv[1])
levels = np.arange(np.ceil(z.min()), np.floor(z.max()) + 1)
fig = plt.figure(figsize=(8.7, 6.5), dpi=100)
ax = fig.add_axes([0, 0, 1, 1])
ax.contourf(z, levels=levels)
ax.contour(z, levels=levels, colors="k", linewidths=1)
fig.savefig(sys.argv[2], dpi=100)
PY

# name|command
commands=(
  "ombrix render normal|$OMBRIX render $WORK/mesh_$N.xlsx --mode normal -o $WORK/normal.png"
  "ombrix render easy|$OMBRIX render $WORK/mesh_$N.xlsx --mode easy -o $WORK/easy.png"
  "ombrix render nothing|$OMBRIX render $WORK/mesh_$N.xlsx --mode nothing -o $WORK/nothing.png"
  "ombrix segments|$OMBRIX segments $WORK/mesh_$N.xlsx"
  "matplotlib bands+lines|/usr/bin/python3 $WORK/mpl.py $WORK/mesh_$N.npy $WORK/mpl.png"
  "gdal_contour lines|gdal_contour -q -i 1 -a level $WORK/mesh_$N.asc $WORK/gdal_RUN.shp"
  "ombrix render ${DN}x${DN} divide 3|$OMBRIX render $WORK/mesh_$DN.xlsx --mode normal --divide 3 -o $WORK/divided.png"
  "ombrix segments ${DN}x${DN} divide 3|$OMBRIX segments $WORK/mesh_$DN.xlsx --divide 3"
)

declare -A times cpus peaks
for ((r = 1; r <= ROUNDS; r++)); do
  for entry in "${commands[@]}"; do
    name=${entry%%|*}
    cmd=${entry#*|}
    cmd=${cmd//RUN/$r}
    /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" $cmd >/dev/null
    read -r t user sys kb <"$WORK/time"
    times[$name]+="$t "
    cpus[$name]+="$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }') "
    peak=${peaks[$name]:-0}
    ((kb > peak)) && peaks[$name]=$kb || peaks[$name]=$peak
  done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
mpl_t=$(echo "${times[matplotlib bands+lines]}" | median)
mpl_c=$(echo "${cpus[matplotlib bands+lines]}" | median)
mpl_m=${peaks[matplotlib bands+lines]}

echo "grid ${N}x${N} (divided runs ${DN}x${DN}), $ROUNDS rounds, $(nproc) cores, load: $(uptime | sed 's/.*load average: //')"
printf '%-34s %9s %9s %9s %12s %11s %10s\n' command "time s" "cpu s" "peak MB" "time/mpl" "cpu/mpl" \
  "peak/mpl"
for entry in "${commands[@]}"; do
  name=${entry%%|*}
  t=$(echo "${times[$name]}" | median)
  c=$(echo "${cpus[$name]}" | median)
  m=${peaks[$name]}
  awk -v n="$name" -v t="$t" -v c="$c" -v m="$m" -v mt="$mpl_t" -v mc="$mpl_c" -v mm="$mpl_m" \
    'BEGIN { printf "%-34s %9.2f %9.2f %9.0f %12.2f %11.2f %10.2f\n", n, t, c, m / 1024, t / mt, c / mc, m / mm }'
done
