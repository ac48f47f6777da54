#!/usr/bin/env bash
# Compares the folder size scanner with `du -sb` on the same trees in the same run.
#
#   bench/compare-du.sh [TREE...]
#
# With no TREE it measures a synthetic tree (about 500,000 sparse files in 50,000 folders,
# depth up to 12, built once under ${XDG_CACHE_HOME:-~/.cache}/quorvane-bench and reused)
# and /usr. For each tree it checks that FolderSize equals the sum of the lengths that
# `find TREE -type f` reports, then, with a warm cache, times FolderSize and du -sb,
# alternating them, RUNS times each (7 unless set, at least 5), and prints the medians of wall-clock and of
# processor time. The ratios compare wall-clock medians. It ends with one line
# `ratio <tree> FolderSize/du <x.xx>` per tree and `worst-ratio <x.xx>`.
#
# Run as root where /proc/sys/vm/drop_caches can be written, it then also measures with a cold
# cache: the caches are dropped before every run, FolderSize and du alternate COLD_RUNS times
# each (3 unless set, at least 3), and it ends with `cold-ratio <tree> FolderSize/du <x.xx>`
# per tree and `worst-cold-ratio <x.xx>`. It prints the scanner's thread count first.
#
# With no TREE it also sizes, warm, every subfolder of a folder of 32,000 empty subfolders
# (built once beside the synthetic tree) in one SizeScan, as a chart of that folder does,
# against du -sb of the folder, and prints `wide-ratio SizeScan/du <x.xx>`.
#
# For each tree it also runs the program's command line, `quorvane --json - TREE` against
# `du -sb TREE` and `quorvane --disk-usage --json - TREE` against `du -s --block-size=1 TREE`,
# warm, alternating, RUNS times each; it checks that each subfolder's --disk-usage size sums
# to what `du -s --block-size=1` prints for the subfolders one at a time, and ends with
# `ratio-du <tree> apparent/du <x.xx>`, `ratio-du <tree> disk-usage/du <x.xx>` and
# `ratio-du <tree> disk-usage/apparent <x.xx>` (the cost of the count itself) per tree.
# The synthetic tree gets hard links once (inside a folder and across subfolders) for it.
# Environment: RUNS, COLD_RUNS, QUORVANE_SCAN_THREADS; QUORVANE_BUILD_DIR to build somewhere
# other than the preset's build/.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."

runs=${RUNS:-7}
[ "$runs" -ge 5 ] || { echo "compare-du: RUNS must be at least 5" >&2; exit 2; }
cold_runs=${COLD_RUNS:-3}
[ "$cold_runs" -ge 3 ] || { echo "compare-du: COLD_RUNS must be at least 3" >&2; exit 2; }

. bench/build-bench.sh
build_bench foldersize_bench
bench=$bench_bin
cmake --build "${QUORVANE_BUILD_DIR:-build}" --target quorvane >/dev/null
program=${QUORVANE_BUILD_DIR:-build}/app/quorvane
echo "threads $("$bench" --threads)"

if [ $# -eq 0 ]; then
    cache=${XDG_CACHE_HOME:-$HOME/.cache}/quorvane-bench
    synthetic=$cache/tree-500k
    if [ ! -d "$synthetic" ]; then
        echo "compare-du: building the synthetic tree $synthetic (once)"
        mkdir -p "$cache"
        rm -rf "$synthetic.partial"
        "$bench" --make-tree "$synthetic"
    fi
    wide=$cache/scan-wide-32000
    if [ ! -d "$wide" ]; then
        echo "compare-du: building the folder of 32,000 empty subfolders $wide (once)"
        rm -rf "$wide.partial"
        mkdir -p "$wide.partial"
        (cd "$wide.partial" && seq -f 'sub%05g' 0 31999 | xargs mkdir)
        mv "$wide.partial" "$wide"
    fi
    if [ ! -e "$synthetic.links" ]; then
        # Hard links for --disk-usage: a second name beside 2,000 files, and a name in the
        # first subfolder for 500 files of the others.
        echo "compare-du: adding hard links to $synthetic (once)"
        first=$(find "$synthetic" -mindepth 1 -maxdepth 1 -type d | sort | awk 'NR == 1')
        find "$synthetic" -type f -not -name '*.link' -not -path '*/cross-links/*' |
            awk 'NR <= 2000' | while read -r file; do ln -f "$file" "$file.link"; done
        mkdir -p "$first/cross-links"
        find "$synthetic" -type f -not -name '*.link' -not -path "$first/*" | tail -500 |
            while read -r file; do
                ln -f "$file" "$first/cross-links/$(echo "$file" | md5sum | cut -c1-16)"
            done
        touch "$synthetic.links"
    fi
    set -- "$synthetic" /usr
fi

# Wall-clock and processor (user + system) seconds of one run of a command, output discarded.
measure() {
    local TIMEFORMAT='%3R %3U %3S' times
    times=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<<"$times"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { printf "%.3f\n", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Median of one column of "wall processor" lines.
column() {
    local which=$1
    shift
    printf '%s\n' "$@" | awk -v c="$which" '{ print $c }' | median
}

lengths_found() {
    find "$1" -type f -printf '%s\n' 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'
}

# FolderSize against the lengths find reports; tried again if the tree changed meanwhile.
check() {
    local tree=$1 scanned before after attempt
    for attempt in 1 2 3; do
        before=$(lengths_found "$tree")
        scanned=$("$bench" "$tree")
        after=$(lengths_found "$tree")
        [ "$before" = "$after" ] && break
        echo "compare-du: $tree changed during the check (attempt $attempt)" >&2
    done
    if [ "$scanned" = "$after" ]; then
        echo "check $tree FolderSize $scanned find $after equal"
    else
        echo "check $tree FolderSize $scanned find $after DIFFERENT"
        return 1
    fi
}

# The --disk-usage total against du -s --block-size=1 of each subfolder alone (du counts a
# file with several names once per run, so one run per subfolder).
check_disk_usage() {
    local tree=$1 total subfolder sum=0
    total=$("$program" --disk-usage --json - "$tree" 2>/dev/null |
        awk -F': ' '/^  "total"/ { sub(/,$/, "", $2); print $2 }')
    while IFS= read -r -d '' subfolder; do
        sum=$((sum + $(du -s --block-size=1 "$subfolder" 2>/dev/null | cut -f1)))
    done < <(find "$tree" -mindepth 1 -maxdepth 1 -type d -print0)
    if [ "$total" = "$sum" ]; then
        echo "check $tree disk-usage $total du $sum equal"
    else
        echo "check $tree disk-usage $total du $sum DIFFERENT"
        return 1
    fi
}

drop_caches() {
    sync
    echo 3 >/proc/sys/vm/drop_caches
}

cold=0
if [ "$(id -u)" -eq 0 ] && drop_caches 2>/dev/null; then
    cold=1
else
    echo "compare-du: not root or /proc/sys/vm/drop_caches not writable: no cold pass" >&2
fi

status=0
ratios=()
cold_ratios=()
worst=0
worst_cold=0
for tree in "$@"; do
    if [ ! -d "$tree" ]; then
        echo "compare-du: $tree is not a folder" >&2
        exit 2
    fi
    check "$tree" || status=1

    # One untimed round first, so every timed run starts with a warm cache.
    "$bench" "$tree" >/dev/null
    du -sb "$tree" >/dev/null 2>&1 || true
    check_disk_usage "$tree" || status=1
    apparent=() usage=() du_apparent=() du_usage=()
    for ((i = 0; i < runs; i++)); do
        apparent+=("$(measure "$program" --json - "$tree")")
        du_apparent+=("$(measure du -sb "$tree")")
        usage+=("$(measure "$program" --disk-usage --json - "$tree")")
        du_usage+=("$(measure du -s --block-size=1 "$tree")")
    done
    m_apparent=$(column 1 "${apparent[@]}") m_usage=$(column 1 "${usage[@]}")
    m_du_apparent=$(column 1 "${du_apparent[@]}") m_du_usage=$(column 1 "${du_usage[@]}")
    echo "median $tree wall seconds ($runs runs): quorvane --json $m_apparent du -sb $m_du_apparent quorvane --disk-usage --json $m_usage du -s --block-size=1 $m_du_usage"
    ratios+=("$(awk -v p="$m_apparent" -v d="$m_du_apparent" -v t="$tree" 'BEGIN { printf "ratio-du %s apparent/du %.2f\n", t, p / d }')")
    ratios+=("$(awk -v p="$m_usage" -v d="$m_du_usage" -v t="$tree" 'BEGIN { printf "ratio-du %s disk-usage/du %.2f\n", t, p / d }')")
    # du -sb and du -s walk alike, so the program's own cost of the count shows best here.
    ratios+=("$(awk -v p="$m_usage" -v d="$m_apparent" -v t="$tree" 'BEGIN { printf "ratio-du %s disk-usage/apparent %.2f\n", t, p / d }')")
    plain=() du=()
    for ((i = 0; i < runs; i++)); do
        plain+=("$(measure "$bench" "$tree")")
        du+=("$(measure du -sb "$tree")")
    done
    m_plain=$(column 1 "${plain[@]}") c_plain=$(column 2 "${plain[@]}")
    m_du=$(column 1 "${du[@]}") c_du=$(column 2 "${du[@]}")
    echo "median $tree wall seconds ($runs runs): FolderSize $m_plain du $m_du"
    echo "median $tree processor seconds: FolderSize $c_plain du $c_du"
    ratio=$(awk -v p="$m_plain" -v d="$m_du" 'BEGIN { printf "%.2f\n", p / d }')
    ratios+=("ratio $tree FolderSize/du $ratio")
    worst=$(awk -v a="$worst" -v b="$ratio" 'BEGIN { printf "%.2f\n", (b > a) ? b : a }')

    [ "$cold" -eq 1 ] || continue
    plain=() du=()
    for ((i = 0; i < cold_runs; i++)); do
        drop_caches
        plain+=("$(measure "$bench" "$tree")")
        drop_caches
        du+=("$(measure du -sb "$tree")")
    done
    m_plain=$(column 1 "${plain[@]}") m_du=$(column 1 "${du[@]}")
    echo "cold median $tree wall seconds ($cold_runs runs): FolderSize $m_plain du $m_du"
    ratio=$(awk -v p="$m_plain" -v d="$m_du" 'BEGIN { printf "%.2f\n", p / d }')
    cold_ratios+=("cold-ratio $tree FolderSize/du $ratio")
    worst_cold=$(awk -v a="$worst_cold" -v b="$ratio" 'BEGIN { printf "%.2f\n", (b > a) ? b : a }')
done

wide_line=
if [ -n "${wide:-}" ]; then
    "$bench" --subfolders "$wide" >/dev/null
    scans=() du=()
    for ((i = 0; i < runs; i++)); do
        scans+=("$(measure "$bench" --subfolders "$wide")")
        du+=("$(measure du -sb "$wide")")
    done
    m_scan=$(column 1 "${scans[@]}") m_du=$(column 1 "${du[@]}")
    echo "median $wide wall seconds ($runs runs): SizeScan of every subfolder $m_scan du $m_du"
    wide_line=$(awk -v p="$m_scan" -v d="$m_du" 'BEGIN { printf "wide-ratio SizeScan/du %.2f\n", p / d }')
fi

printf '%s\n' "${ratios[@]}"
echo "worst-ratio $worst"
[ -z "$wide_line" ] || echo "$wide_line"
if [ "$cold" -eq 1 ]; then
    printf '%s\n' "${cold_ratios[@]}"
    echo "worst-cold-ratio $worst_cold"
fi
exit $status
