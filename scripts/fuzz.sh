#!/usr/bin/env bash
# Builds the libFuzzer harnesses of the workbook layer with clang and runs each one that
# exists (fuzz/xls_fuzzer.cpp, fuzz/xlsx_fuzzer.cpp, fuzz/xls_writer_fuzzer.cpp, ...) for the
# given number of seconds, or only those whose name contains the second argument.
#
#   bash scripts/fuzz.sh [seconds-per-fuzzer] [name-filter]     (default 300, all)
#
# The corpus of each fuzzer starts from the fixtures of its format (tests/fixtures/*.xls for
# xls_fuzzer and xls_writer_fuzzer, *.xlsx for xlsx_fuzzer) plus the saved inputs of the format
# and of the harness (tests/fixtures/fuzz/xls/, tests/fixtures/fuzz/xls_writer/) and grows in
# build-fuzz/corpus/<harness>/. Crashing inputs land in build-fuzz/artifacts/.
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

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DOMBRIX_FUZZ=ON -DOMBRIX_BUILD_TESTS=OFF -DOMBRIX_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Release
jobs="$(nproc)"
if [ "$jobs" -gt 2 ]; then jobs=2; fi
cmake --build "$build" -j"$jobs"

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
  for saved in "$root/tests/fixtures/fuzz/$format" "$root/tests/fixtures/fuzz/$harness" \
      "$root/tests/fixtures/crafted"; do
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
