#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds the release programs without tests
# or benchmarks, and writes build-deb/qingyan_VERSION_ARCH.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --package
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQINGYAN_TESTS=OFF -DQINGYAN_BENCH=OFF
cmake --build build-deb
(cd build-deb && cpack)
ls build-deb/*.deb
