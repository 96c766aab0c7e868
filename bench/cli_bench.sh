#!/usr/bin/env bash
# End to end on one generated GBK assembler source: qingyan-strip (read, both passes, atomic
# write with fsync) beside the copy floor (cat) and the naive strip that users reach for (sed).
# Usage: bench/cli_bench.sh [MEGABYTES]   (after scripts/run.sh has built build/)
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-50}
command -v hyperfine >/dev/null || scripts/install-deps.sh --bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source="$work/MAIN.ASM"
build/bench/make_source "$source" "$megabytes"
bytes=$(stat -c %s "$source")
echo "source: $bytes bytes of GBK assembler"

hyperfine --warmup 1 --runs 5 --export-json "$work/times.json" \
    -n cat "cat '$source' > '$work/copy'" \
    -n sed "sed 's/;.*//' '$source' > '$work/sed'" \
    -n qingyan-strip "build/tools/qingyan-strip '$source'"

python3 - "$work/times.json" "$bytes" <<'PY'
import json, sys
runs = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
mb = int(sys.argv[2]) / 1e6
for name, seconds in runs.items():
    print(f"{name:14s} {seconds * 1000:8.1f} ms  {mb / seconds:8.1f} MB/s")
print(f"qingyan-strip is {runs['sed'] / runs['qingyan-strip']:.2f}x as fast as sed, "
      f"{runs['qingyan-strip'] / runs['cat']:.2f}x the time of cat")
PY
