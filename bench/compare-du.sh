#!/usr/bin/env bash
# Compares the folder size scanner with `du -sb` on the same trees in the same run.
#
#   bench/compare-du.sh [TREE...]
#
# With no TREE it measures a synthetic tree (about 500,000 sparse files in 50,000 folders,
# depth up to 12, built once under ${XDG_CACHE_HOME:-~/.cache}/quorvane-bench and reused)
# and /usr. For each tree it checks that FolderSize equals the sum of the lengths that
# `find TREE -type f` reports, then, with a warm cache, times FolderSize with no yield,
# FolderSize with a yield that reads a steady clock per entry, and du -sb, alternating them,
# RUNS times each (7 unless set, at least 5), and prints the medians. It ends with one line
# `ratio <tree> FolderSize/du <x.xx>` per tree and last `worst-ratio <x.xx>`.
# Environment: RUNS; QUORVANE_BUILD_DIR to build somewhere other than the preset's build/.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."

runs=${RUNS:-7}
[ "$runs" -ge 5 ] || { echo "compare-du: RUNS must be at least 5" >&2; exit 2; }

if [ -n "${QUORVANE_BUILD_DIR:-}" ]; then
    build_dir=$QUORVANE_BUILD_DIR
    cmake --preset default -B "$build_dir" >/dev/null
else
    build_dir=build
    cmake --preset default >/dev/null
fi
cmake --build "$build_dir" --target foldersize_bench >/dev/null
bench=$build_dir/bench/foldersize_bench

if [ $# -eq 0 ]; then
    cache=${XDG_CACHE_HOME:-$HOME/.cache}/quorvane-bench
    synthetic=$cache/tree-500k
    if [ ! -d "$synthetic" ]; then
        echo "compare-du: building the synthetic tree $synthetic (once)"
        mkdir -p "$cache"
        rm -rf "$synthetic.partial"
        "$bench" --make-tree "$synthetic"
    fi
    set -- "$synthetic" /usr
fi

# Wall-clock seconds of one run of a command, its output discarded.
seconds() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    local end=$EPOCHREALTIME
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { printf "%.6f\n", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

status=0
ratios=()
worst=0
for tree in "$@"; do
    if [ ! -d "$tree" ]; then
        echo "compare-du: $tree is not a folder" >&2
        exit 2
    fi
    scanned=$("$bench" "$tree")
    found=$(find "$tree" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f\n", s }')
    verdict=equal
    if [ "$scanned" != "$found" ]; then
        verdict=DIFFERENT
        status=1
    fi
    echo "check $tree FolderSize $scanned find $found $verdict"

    # One untimed round first, so every timed run starts with a warm cache.
    "$bench" "$tree" >/dev/null
    du -sb "$tree" >/dev/null 2>&1 || true
    plain=() clocked=() du=()
    for ((i = 0; i < runs; i++)); do
        plain+=("$(seconds "$bench" "$tree")")
        clocked+=("$(seconds "$bench" --yield clock "$tree")")
        du+=("$(seconds du -sb "$tree")")
    done
    m_plain=$(printf '%s\n' "${plain[@]}" | median)
    m_clocked=$(printf '%s\n' "${clocked[@]}" | median)
    m_du=$(printf '%s\n' "${du[@]}" | median)
    echo "median $tree FolderSize $m_plain FolderSize+clock-yield $m_clocked du $m_du (seconds, $runs runs)"
    awk -v c="$m_clocked" -v p="$m_plain" -v t="$tree" \
        'BEGIN { printf "yield %s clock/no-op %.2f\n", t, c / p }'
    ratio=$(awk -v p="$m_plain" -v d="$m_du" 'BEGIN { printf "%.2f\n", p / d }')
    ratios+=("ratio $tree FolderSize/du $ratio")
    worst=$(awk -v a="$worst" -v b="$ratio" 'BEGIN { printf "%.2f\n", (b > a) ? b : a }')
done

printf '%s\n' "${ratios[@]}"
echo "worst-ratio $worst"
exit $status
