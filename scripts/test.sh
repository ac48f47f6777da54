#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test with ctest.
# scripts/test.sh          the normal build (build/)
# scripts/test.sh asan     the AddressSanitizer + UndefinedBehaviorSanitizer build (build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j"$(nproc)"
