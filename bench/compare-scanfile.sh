#!/usr/bin/env bash
# Times scan files against ncdu on the synthetic tree of compare-du.sh (about 500,000 sparse
# files in 50,000 folders, built once under ${XDG_CACHE_HOME:-~/.cache}/quorvane-bench and
# reused): opening an `ncdu -o` file of it to the first chart against `ncdu -f FILE -o
# /dev/null`, the memory that takes per entry, and `quorvane --save-scan` of the tree against
# `ncdu -0 -o`, alternating, RUNS times each (5 unless set). See bench/scanfile_bench.cpp for
# the lines it prints: open-ratio, open-bytes-per-entry and save-ratio. Then
# bench/history_bench prints history-ms: the window's own time for recording a chart of
# 32,000 subfolders in the history (the writing is on the history's thread).
#
#   bench/compare-scanfile.sh [TREE]
#
# Environment: RUNS; QUORVANE_BUILD_DIR to build somewhere other than the preset's build/.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
command -v ncdu >/dev/null || { echo "compare-scanfile: ncdu is missing (scripts/install-deps.sh)" >&2; exit 2; }

. bench/build-bench.sh
build_bench foldersize_bench
maker=$bench_bin
build_bench history_bench
history_bin=$bench_bin
build_bench scanfile_bench
tree=${1:-}
if [ -z "$tree" ]; then
    cache=${XDG_CACHE_HOME:-$HOME/.cache}/quorvane-bench
    tree=$cache/tree-500k
    if [ ! -d "$tree" ]; then
        echo "compare-scanfile: building the synthetic tree $tree (once)"
        mkdir -p "$cache"
        rm -rf "$tree.partial"
        "$maker" --make-tree "$tree"
    fi
fi
"$bench_bin" "$tree"
"$history_bin"
