#!/usr/bin/env bash
# Installs what is missing, builds the release programs and opens the window.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "The window needs a display (DISPLAY or WAYLAND_DISPLAY is unset); try: xvfb-run scripts/run.sh" >&2
    exit 1
fi

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQINGYAN_TESTS=OFF
cmake --build build

exec build/app/qingyan
