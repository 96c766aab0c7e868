#!/usr/bin/env bash
# Two builds side by side in one run, on the same generated 20 MB sources: the engine benchmark of
# each, then each qingyan-strip end to end (read, both passes, save) in each language.
# Usage: bench/compare_builds.sh OLD_BUILD NEW_BUILD [MEGABYTES]
#   OLD_BUILD, NEW_BUILD: build folders with tools/qingyan-strip and bench/engine_bench.
# A language the old build does not know (c++) runs there as the nearest one it has (c).
set -euo pipefail
cd "$(dirname "$0")/.."
old=$(realpath "$1")
new=$(realpath "$2")
megabytes=${3:-20}
command -v hyperfine >/dev/null || scripts/install-deps.sh --bench

echo "== engine benchmark, old then new, alternating"
filter='BM_(Assembler|C|Cpp)/5$'
for round in 1 2 3; do
    for build in "$old" "$new"; do
        "$build/bench/engine_bench" --benchmark_filter="$filter" 2>/dev/null |
            awk -v b="$(basename "$build")" '/^BM_/ {print b, $1, $NF}'
    done
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$new/bench/make_source" "$work/MAIN.ASM" "$megabytes" asm
"$new/bench/make_source" "$work/main.c" "$megabytes" c
cp "$work/main.c" "$work/main.cpp"
old_knows_cpp=$("$old/tools/qingyan-strip" --help | grep -c 'c++' || true)
echo "== end to end, $megabytes MB each"
for file in MAIN.ASM main.c main.cpp; do
    old_lang=""
    [ "$file" = main.cpp ] && [ "$old_knows_cpp" = 0 ] && old_lang="--lang c"
    hyperfine --warmup 1 --runs 7 -N \
        -n "old $file" "$old/tools/qingyan-strip $old_lang $work/$file" \
        -n "new $file" "$new/tools/qingyan-strip $work/$file" 2>/dev/null |
        grep -E "^Benchmark|Time \(mean|±|faster|slower" || true
done
