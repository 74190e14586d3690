#!/usr/bin/env bash
# Mutation score of the test suite on a seeded sample of mutants of src/, and which test cases
# kill which mutant. Optional and slow (a minute or more a mutant on two cores): not part of CI.
#
#   bash scripts/mutation.sh [SAMPLE] [SEED] [COMMIT]      (defaults 120 7 HEAD)
#
# The committed tree of COMMIT is cloned into build-mutation/checkout (uncommitted edits are
# not measured) and built in build-mutation/build; mutate.py (MUTATE=path, default
# ../shared/tools/mutate.py beside the repository) changes one operator or statement at a time,
# rebuilds and runs ctest. Every ctest run also leaves the mutant's diff, ctest's JUnit report
# and each test executable's GoogleTest JSON under build-mutation/runs/NNN/, from which
# scripts/mutation_matrix.py prints the kill matrix: mutants killed by one test case alone and
# test cases whose kills all other cases share. The same SAMPLE and SEED on two commits with the
# same src/ compare two versions of the tests on the same mutants.
set -euo pipefail

sample="${1:-120}"
seed="${2:-7}"
commit="${3:-HEAD}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mutate="${MUTATE:-$root/../shared/tools/mutate.py}"
work="$root/build-mutation"
if [ ! -f "$mutate" ]; then
  echo "mutation.sh: mutate.py not found at $mutate (set MUTATE=path)" >&2
  exit 2
fi
sha="$(git -C "$root" rev-parse --verify "$commit^{commit}")"

rm -rf "$work/checkout" "$work/runs" "$work/bin"
mkdir -p "$work/runs" "$work/bin"
git clone -q "$root" "$work/checkout"
git -C "$work/checkout" checkout -q "$sha"

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$work/checkout" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DOMBRIX_BUILD_BENCH=OFF \
  "${launcher[@]}" >/dev/null

# A ctest in front of the real one: each run keeps the mutant under test and every test
# case's verdict, so kills can be told apart by test case and not only by executable.
real_ctest="$(command -v ctest)"
cat >"$work/bin/ctest" <<EOF
#!/usr/bin/env bash
n=\$(ls "$work/runs" | wc -l)
dir="$work/runs/\$(printf %03d "\$n")"
mkdir -p "\$dir"
git -C "$work/checkout" diff >"\$dir/diff.txt"
GTEST_OUTPUT="json:\$dir/" exec "$real_ctest" "\$@" --output-junit "\$dir/ctest.xml"
EOF
chmod +x "$work/bin/ctest"

PATH="$work/bin:$PATH" python3 "$mutate" "$work/checkout" --sample "$sample" --seed "$seed" \
  --build "$work/build" --report "$work/report-$sample-$seed-${sha:0:10}.json" |
  tee "$work/log-$sample-$seed-${sha:0:10}.txt"
python3 "$root/scripts/mutation_matrix.py" "$work/runs" |
  tee "$work/matrix-$sample-$seed-${sha:0:10}.txt"
