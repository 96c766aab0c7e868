#!/usr/bin/env bash
# Builds with ThreadSanitizer and runs the tests of the parts that work on several threads at once:
# the command line (whose -j runs files in parallel) and the workflow it calls.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQINGYAN_TSAN=ON \
    -DQINGYAN_BENCH=OFF
cmake --build build-tsan --target workflow_tests strip_tests cli_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
export QT_QPA_PLATFORM=offscreen
for tests in workflow_tests strip_tests cli_tests; do
    echo "== $tests under ThreadSanitizer"
    build-tsan/tests/$tests --gtest_brief=1
done
