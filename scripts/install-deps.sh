#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need, and only those missing:
# the test set-up includes the assemblers that check the assembler dialects.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format patch python3 libacl1-dev clang
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    binutils binutils-arm-none-eabi binutils-aarch64-linux-gnu binutils-riscv64-unknown-elf
    binutils-avr nasm avra gputils sdcc as31
    qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev fonts-dejavu-core
    fonts-arphic-uming fonts-wqy-microhei qt6-translations-l10n
)
# The benchmark scripts also time whole commands; the fuzzers need clang and its runtimes.
[ "${1:-}" = "--bench" ] && packages+=(hyperfine time)
[ "${1:-}" = "--fuzz" ] && packages+=(libclang-rt-14-dev)
[ "${1:-}" = "--package" ] && packages+=(dpkg-dev file gzip)
# CI opens the window on a display of its own and waits for it to be mapped.
[ "${1:-}" = "--display" ] && packages+=(xvfb xauth xdotool)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
