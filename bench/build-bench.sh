# Sourced by the bench scripts: builds one benchmark program with the default preset and sets
# bench_bin to its path. QUORVANE_BUILD_DIR builds somewhere other than the preset's build/.
build_bench() {
    local build_dir
    if [ -n "${QUORVANE_BUILD_DIR:-}" ]; then
        build_dir=$QUORVANE_BUILD_DIR
        cmake --preset default -B "$build_dir" >/dev/null
    else
        build_dir=build
        cmake --preset default >/dev/null
    fi
    cmake --build "$build_dir" --target "$1" >/dev/null
    bench_bin=$build_dir/bench/$1
}
