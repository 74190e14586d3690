#!/usr/bin/env bash
# Builds the libFuzzer harnesses of the workbook readers with clang and runs each one that
# exists (fuzz/xls_fuzzer.cpp, fuzz/xlsx_fuzzer.cpp, ...) for the given number of seconds.
#
#   bash scripts/fuzz.sh [seconds-per-fuzzer]      (default 300)
#
# The corpus of each fuzzer starts from the fixtures of its format (tests/fixtures/*.xls for
# xls_fuzzer, *.xlsx for xlsx_fuzzer) plus its saved crashers (tests/fixtures/fuzz/<format>/)
# and grows in build-fuzz/corpus/<format>/. Crashing inputs land in build-fuzz/artifacts/.
# Optional: clang is not part of scripts/install-deps.sh.
set -euo pipefail

seconds="${1:-300}"
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
cmake --build "$build" -j"$(nproc)"

mkdir -p "$build/artifacts"
status=0
for source in "$root"/fuzz/*_fuzzer.cpp; do
  [ -e "$source" ] || continue
  name="$(basename "$source" .cpp)"      # xls_fuzzer
  format="${name%_fuzzer}"                # xls
  corpus="$build/corpus/$format"
  mkdir -p "$corpus"
  cp -n "$root"/tests/fixtures/*."$format" "$corpus"/ 2>/dev/null || true
  if [ -d "$root/tests/fixtures/fuzz/$format" ]; then
    cp -n "$root/tests/fixtures/fuzz/$format"/* "$corpus"/ 2>/dev/null || true
  fi
  echo "== $name for ${seconds}s"
  if ! "$build/fuzz/$name" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -max_len=131072 -artifact_prefix="$build/artifacts/$format-" -print_final_stats=1; then
    echo "$name found a problem: see $build/artifacts/" >&2
    status=1
  fi
done
exit "$status"
