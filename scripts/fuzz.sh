#!/usr/bin/env bash
# Builds the libFuzzer harnesses of the workbook layer and the picture loader with clang and
# runs each one that exists (fuzz/xls_fuzzer.cpp, fuzz/xlsx_fuzzer.cpp, fuzz/xls_writer_fuzzer.cpp,
# fuzz/picture_fuzzer.cpp, ...) for the given number of seconds, or only those whose name
# contains the second argument.
#
#   bash scripts/fuzz.sh [seconds-per-fuzzer] [name-filter]     (default 300, all)
#
# The corpus of each fuzzer starts from the fixtures of its format (tests/fixtures/*.xls for
# xls_fuzzer and xls_writer_fuzzer, *.xlsx for xlsx_fuzzer) plus the saved inputs of the format
# and of the harness (tests/fixtures/fuzz/xls/, tests/fixtures/fuzz/xls_writer/; the seed
# pictures of picture_fuzzer in tests/fixtures/fuzz/picture/, written by
# tests/make_picture_seeds.py) and grows in build-fuzz/corpus/<harness>/. Crashing inputs land
# in build-fuzz/artifacts/.
# Optional: clang is not part of scripts/install-deps.sh.
set -euo pipefail

seconds="${1:-300}"
filter="${2:-}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"

need=()
for p in clang libclang-rt-14-dev; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    need+=("$p")
  fi
done
if ((${#need[@]})); then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DOMBRIX_FUZZ=ON -DOMBRIX_BUILD_TESTS=OFF -DOMBRIX_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Release "${launcher[@]}"
jobs="$(nproc)"
if [ "$jobs" -gt 2 ]; then jobs=2; fi
# Only the harnesses and what they link (the core, the workbook layer, the Qt adapters), not
# the window.
targets=()
for source in "$root"/fuzz/*_fuzzer.cpp; do
  name="$(basename "$source" .cpp)"
  if [ -e "$source" ] && { [ -z "$filter" ] || [[ "$name" == *"$filter"* ]]; }; then
    targets+=(--target "$name")
  fi
done
cmake --build "$build" -j"$jobs" "${targets[@]}"

mkdir -p "$build/artifacts"
status=0
for source in "$root"/fuzz/*_fuzzer.cpp; do
  [ -e "$source" ] || continue
  name="$(basename "$source" .cpp)"      # xls_writer_fuzzer
  harness="${name%_fuzzer}"               # xls_writer
  format="${harness%%_*}"                 # xls
  if [ -n "$filter" ] && [[ "$name" != *"$filter"* ]]; then continue; fi
  corpus="$build/corpus/$harness"
  mkdir -p "$corpus"
  cp -n "$root"/tests/fixtures/*."$format" "$corpus"/ 2>/dev/null || true
  saved_dirs=("$root/tests/fixtures/fuzz/$format" "$root/tests/fixtures/fuzz/$harness")
  # The odd .xls layouts seed the workbook harnesses only.
  if [ "$format" != picture ]; then saved_dirs+=("$root/tests/fixtures/crafted"); fi
  for saved in "${saved_dirs[@]}"; do
    if [ -d "$saved" ]; then
      cp -n "$saved"/* "$corpus"/ 2>/dev/null || true
    fi
  done
  echo "== $name for ${seconds}s"
  if ! "$build/fuzz/$name" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -max_len=131072 -artifact_prefix="$build/artifacts/$harness-" -print_final_stats=1; then
    echo "$name found a problem: see $build/artifacts/" >&2
    status=1
  fi
done
exit "$status"
