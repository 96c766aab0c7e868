#!/usr/bin/env bash
# The peak memory of qingyan-strip on one generated GBK assembler source of MEGABYTES, in bytes
# for every byte of source, for each mode: save, --stdout, --check and --diff (GNU time's maximum
# resident size).
# Usage: bench/memory_bench.sh [MEGABYTES]   (after scripts/run.sh has built build/)
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-200}
[ -x /usr/bin/time ] || scripts/install-deps.sh --bench
strip=$PWD/build/tools/qingyan-strip

work=$(mktemp -d "${TMPDIR:-/var/tmp}/qingyan-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT
build/bench/make_source "$work/MAIN.ASM" "$megabytes"
bytes=$(stat -c %s "$work/MAIN.ASM")
echo "source: $bytes bytes of GBK assembler"
for mode in save --stdout --check --diff; do
    arguments=("$work/MAIN.ASM")
    [ "$mode" != save ] && arguments=("$mode" "${arguments[@]}")
    /usr/bin/time -f '%M %e' -o "$work/time" "$strip" "${arguments[@]}" >/dev/null || true
    read -r kilobytes seconds < <(tail -1 "$work/time")  # after a line on a non-zero exit
    python3 -c "print(f'{\"$mode\":9s} {$kilobytes / 1024:8.1f} MB peak  {$kilobytes * 1024 / $bytes:5.2f} bytes per source byte  {$seconds} s')"
done
