#!/usr/bin/env bash
# Installs what is missing, builds the release programs and opens the window.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQINGYAN_TESTS=OFF
cmake --build build

if [ -x build/app/qingyan ]; then
    exec build/app/qingyan
fi
echo "The engine, benchmarks and tools are built in build/; the window is not part of this build yet."
