#!/bin/sh
# Usage: hostile_run.sh OMBRIX WORKBOOK COMMAND [ARGS...]
# Runs COMMAND on a copy of WORKBOOK within 1 GiB of address space, so a reader that allocates
# what the file claims fails here rather than on the machine. Prints the output, "status N",
# and after setcells either "unchanged" (refused, the copy byte for byte as it was) or the
# first line `mesh` prints on reading the written copy again within the same limit.
ombrix=$1 workbook=$2 command=$3
shift 3
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
copy="$dir/$(basename "$workbook")"
cp "$workbook" "$copy" || exit 1
[ "$command" = render ] && set -- -o "$dir/map.png"
prlimit --as=1073741824 "$ombrix" "$command" "$copy" "$@" 2>&1
status=$?
echo "status $status"
if [ "$command" = setcells ]; then
  if [ $status -ne 0 ]; then
    cmp -s "$workbook" "$copy" && echo unchanged
  else
    echo "reread: $(prlimit --as=1073741824 "$ombrix" mesh "$copy" 2>&1 | head -n 1)"
  fi
fi
