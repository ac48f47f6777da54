#!/usr/bin/env bash
# Times opening a folder of 32,000 subfolders in the tree control against a bare listing of
# the same folders (treeexpand_bench), and shows `ls -f` over the same folders for scale.
#
#   bench/compare-expand.sh [FOLDERS [SUBFOLDERS [RUNS]]]
#
# Prints `expand-<FOLDERS>-ms <n>` (until every node is there), `gui-max-busy-ms <n>` (the
# longest stretch the GUI thread spends away from its event loop meanwhile; target 50 or
# less) and ends with `ratio expand/list <x.xx>` (target 2.0 or less).
# Environment: QUORVANE_BUILD_DIR to build somewhere other than the preset's build/.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."

. bench/build-bench.sh
build_bench treeexpand_bench

folders=${1:-32000}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/tree"
for ((i = 0; i < folders; i++)); do echo "$scratch/tree/folder$i/sub0"; done | xargs mkdir -p
ls -f "$scratch/tree" >/dev/null
start=$(date +%s%N)
find "$scratch/tree" -mindepth 1 -maxdepth 1 -print0 | xargs -0 ls -f >/dev/null
end=$(date +%s%N)
echo "ls -f of each folder: $(((end - start) / 1000000)) ms for $folders folders (with process start-up)"

"$bench_bin" "$@" | tail -n 7
