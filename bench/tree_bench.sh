#!/usr/bin/env bash
# qingyan-strip -r on whole trees: a generated tree of COUNT assembler and C sources of mixed
# sizes (GBK, 200 bytes to 200 KB), and the C headers under /usr/include. Writing the targets
# (one flush per run) against --check on the same tree, both with two jobs, and writing with one
# job against two. Targets are removed before each write run, so that each writes them anew.
# Usage: bench/tree_bench.sh [COUNT]   (after scripts/run.sh has built build/)
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-5000}
command -v hyperfine >/dev/null || scripts/install-deps.sh --bench
strip=$PWD/build/tools/qingyan-strip

work=$(mktemp -d "${TMPDIR:-/var/tmp}/qingyan-tree.XXXXXX")
trap 'rm -rf "$work"' EXIT
build/bench/make_source "$work/all.ASM" 60
python3 - "$work" "$count" <<'PY'
import os, random, sys
work, count = sys.argv[1], int(sys.argv[2])
source = open(os.path.join(work, "all.ASM"), "rb").read()
c_lines = [b"int count = 0; // \xbc\xc6\xca\xfd\r\n", b"/* \xd7\xa2\xca\xcd */ x = y * 2;\r\n",
           b"printf(\"%d // not a comment\\n\", n);\r\n", b"    if (flag) { return -1; }\r\n",
           b"char q = '\\'';\r\n", b"#define MASK 0x3F /* low bits */\r\n"]
rng = random.Random(7)
for i in range(count):
    folder = os.path.join(work, "tree", f"m{i % 40:02d}", f"s{i % 7}")
    os.makedirs(folder, exist_ok=True)
    size = int(200 * 1000 ** rng.random())  # 200 B to 200 KB, most of them small
    if i % 5 < 3:
        start = rng.randrange(len(source) - size)
        start = source.index(b"\n", start) + 1
        data, name = source[start:start + size], f"F{i:05d}.ASM"
    else:
        data = b"".join(rng.choice(c_lines) for _ in range(size // 30 + 1))
        name = f"f{i:05d}." + ("c" if i % 2 else "h")
    open(os.path.join(folder, name), "wb").write(data)
PY
echo "tree: $(find "$work/tree" -type f | wc -l) files, $(du -sh "$work/tree" | cut -f1)"
mkdir "$work/include"
find /usr/include -name '*.h' -type f | head -20000 | while read -r header; do
    target="$work/include/${header#/usr/include/}"
    mkdir -p "$(dirname "$target")" && cp "$header" "$target"
done
echo "/usr/include: $(find "$work/include" -type f | wc -l) headers"

clean="find '$work/tree' '$work/include' -name '*.TX_' -delete"
# One --prepare for each command, in their order: the checks need none. A check exits 1 when
# anything would change.
hyperfine --ignore-failure --warmup 1 --runs 5 --export-json "$work/times.json" \
    --prepare true --prepare "$clean" --prepare "$clean" --prepare true --prepare "$clean" \
    -n "check -j 2" "$strip --check -r -j 2 '$work/tree' > /dev/null" \
    -n "write -j 2" "$strip -r -j 2 '$work/tree'" \
    -n "write -j 1" "$strip -r -j 1 '$work/tree'" \
    -n "usr/include check -j 2" "$strip --check -r -j 2 '$work/include' > /dev/null" \
    -n "usr/include write -j 2" "$strip -r -j 2 '$work/include'" >/dev/null
python3 - "$work/times.json" <<'PY'
import json, sys
runs = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
for name, seconds in runs.items():
    print(f"{name:24s} {seconds:7.3f} s (median)")
print(f"write / check, -j 2: {runs['write -j 2'] / runs['check -j 2']:.2f} (at most 1.5)")
print(f"write -j 2 / -j 1:   {runs['write -j 2'] / runs['write -j 1']:.2f} (at most 0.65)")
print(f"/usr/include write / check: "
      f"{runs['usr/include write -j 2'] / runs['usr/include check -j 2']:.2f}")
PY
