#!/usr/bin/env bash
# Runs the engine's fuzz target (libFuzzer, clang, address and undefined-behaviour sanitizers).
#   scripts/fuzz.sh [SECONDS]   (default 300)
# The working corpus grows in build/fuzz/corpus (seeded from tests/fuzz/seeds and
# tests/fuzz/regressions); an input that crashes the target is written to build/fuzz/crashes/.
# Put such an input into tests/fuzz/regressions with its fix: ./test replays that folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
TERVALA_PACKAGES+=(clang libclang-rt-14-dev)
ensure_packages
seconds="${1:-300}"
if [ ! -f build/fuzz/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTERVALA_FUZZ=ON -DTERVALA_SANITIZE=ON -DTERVALA_BUILD_TESTS=OFF -DTERVALA_BUILD_BENCH=OFF
fi
cmake --build build/fuzz -j2 --target fuzz_engine
mkdir -p build/fuzz/corpus build/fuzz/crashes
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
build/fuzz/tests/fuzz/fuzz_engine build/fuzz/corpus tests/fuzz/seeds tests/fuzz/regressions \
    -dict=tests/fuzz/jet.dict -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
    -max_len=4096 -print_final_stats=1 -artifact_prefix=build/fuzz/crashes/
