#!/usr/bin/env bash
# qingyan-strip -r on COUNT generated GBK sources of about 20 KB, written to a real disk with one
# fsync each: one job against two (and more when the machine has the cores).
# Usage: bench/jobs_bench.sh [COUNT]   (after scripts/run.sh has built build/)
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-2000}
command -v hyperfine >/dev/null || scripts/install-deps.sh --bench

work=$(mktemp -d "${TMPDIR:-/var/tmp}/qingyan-jobs.XXXXXX")
trap 'rm -rf "$work"' EXIT
build/bench/make_source "$work/all" $(( (count * 20 + 999) / 1000 ))
mkdir "$work/tree"
(cd "$work/tree" && split -C 20000 -a 5 -d --additional-suffix=.ASM "$work/all" F && ls | tail -n +$((count + 1)) | xargs -r rm)
echo "$(ls "$work/tree" | wc -l) sources in $work/tree"

jobs=(-n "one job" "build/tools/qingyan-strip -r -j 1 '$work/tree'" -n "two jobs" "build/tools/qingyan-strip -r -j 2 '$work/tree'")
[ "$(nproc)" -gt 2 ] && jobs+=(-n "$(nproc) jobs" "build/tools/qingyan-strip -r -j $(nproc) '$work/tree'")
hyperfine --warmup 1 --runs 5 "${jobs[@]}"
