#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for SECONDS (60 by default), starting from the committed seed corpora. Fails when a
# target finds a fault; the input that shows it is left in build-fuzz/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh --fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQINGYAN_SANITIZE=ON -DQINGYAN_FUZZ=ON -DQINGYAN_TESTS=OFF -DQINGYAN_BENCH=OFF
cmake --build build-fuzz --target codec_fuzz engine_fuzz

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
for target in codec engine; do
    corpus=build-fuzz/corpus-$target
    mkdir -p "$corpus"
    cp -n tests/fuzz/corpus/$target/* "$corpus"/
    echo "== ${target}_fuzz for ${seconds} s"
    (cd build-fuzz && "./tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
        -max_len=4096 "corpus-$target" 2>&1 | grep -E 'DONE|INFO: Seed|==|stat::|SUMMARY|Done' || true)
    # A finding leaves crash-*, leak-* or timeout-* behind.
    if ls build-fuzz/crash-* build-fuzz/leak-* build-fuzz/timeout-* >/dev/null 2>&1; then
        echo "${target}_fuzz found a fault: see build-fuzz/" >&2
        exit 1
    fi
done
