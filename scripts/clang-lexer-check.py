#!/usr/bin/env python3
"""A second reading of C++ beside GCC's: clang's raw lexer, which joins backslash-newlines inside
tokens and knows raw string literals. From a fixed seed, this makes C++ lines of the shapes that
are easy to get wrong (raw strings holding //, /*, */, " and )", their prefixes and delimiters,
digit separators beside character constants, u8'a', comment markers cut by backslash-newlines),
cleans them with qingyan-strip --lang c++, and compares the tokens that
`clang -cc1 -dump-raw-tokens` reads in the source, comments taken as spaces, with those it reads
in the target. Header names (#include <a//b.h>, __has_include(<a/*b>)) are what the raw lexer
does not read as the preprocessor does; for them, `clang -E` of the source and of the target must
give the same text, the headers named being there to include.

Usage: clang-lexer-check.py STRIP [CASES] [SEED]
Exit status 1 when any case differs.
"""
import os
import random
import re
import subprocess
import sys
import tempfile

TOKEN = re.compile(r"(\w+) '(.*?)'\t[^\n]*?Loc=<[^>\n]*>\n", re.DOTALL)
SPLICE = re.compile(r"\\(?:\r\n|\r|\n)")
DELIMITER_CHARACTERS = "abcXYZ019_{}[]#<>%:;.?*+-/^&|~!=,\"'"
CONTENTS = ["//", "/*", "*/", '"', ')"', "\\", "'", " // x ", "/**/", "\n", "R\"(", "\\n"]


def raw_string(rng):
    delimiter = "".join(rng.choice(DELIMITER_CHARACTERS) for _ in range(rng.randint(0, 16)))
    body = "".join(rng.choice(CONTENTS) for _ in range(rng.randint(0, 5)))
    while ")" + delimiter + '"' in body:
        body = body.replace(")" + delimiter + '"', ")")
    prefix = rng.choice(["", "", "u8", "u", "U", "L"])
    return f'{prefix}R"{delimiter}({body}){delimiter}"'


def number(rng):
    return rng.choice(["1'000'000", "0x10'0000", "0b1010'1010", "1'0.5e1'0", "0'7", "12'34u",
                       "0xA'Bull", "1'2'3.4'5f"])


def character(rng):
    return rng.choice(["'a'", "u8'a'", "L'x'", "'\\''", "'\"'", "u'/'", "U'*'", "'//'"])


def block_comment(rng, n):
    return rng.choice([f"/* c{n} */", f"/\\\n* c{n} *\\\n/", f"/* a \\\n b */", "/**/",
                       f"/* // {n} */"])


def line_comment(rng, n):
    return rng.choice([f"// c{n}", f"/\\\n/ c{n}", f"//{n} \\\n continued", f"// /* {n}"])


def line(rng, n):
    parts = []
    for _ in range(rng.randint(1, 4)):
        kind = rng.randrange(4)
        if kind == 0:
            parts.append(f"auto s{n}_{len(parts)} = {raw_string(rng)};")
        elif kind == 1:
            parts.append(f"long n{n}_{len(parts)} = {number(rng)}; char c{n}_{len(parts)} = "
                         f"{character(rng)};")
        elif kind == 2:
            parts.append(f"f({raw_string(rng)}, {character(rng)}, {number(rng)});")
        else:
            parts.append(block_comment(rng, n))
    if rng.randrange(2) == 0:
        parts.append(line_comment(rng, n))  # a line comment ends its line
    return " ".join(parts) + "\n"


def header_lines(rng, n):
    name = rng.choice(["a//b.h", "a/*b.h", "dir/*x*/.h", "a//b*/.h"])
    spelling = rng.choice([f"#include <{name}>", f"  #  include <{name}> // c",
                           f"#if __has_include(<{name}>) /* c */\nint yes{n};\n#endif"])
    return name, spelling + "\n"


def raw_tokens(text, work, name):
    path = os.path.join(work, name)
    with open(path, "w", encoding="latin-1") as out:
        out.write(text)
    run = subprocess.run(["clang", "-cc1", "-dump-raw-tokens", "-x", "c++", "-std=c++20", path],
                         capture_output=True, text=True, encoding="latin-1")
    return [(kind, SPLICE.sub("", spelling)) for kind, spelling in TOKEN.findall(run.stderr)
            if kind != "comment" and not (kind == "unknown" and spelling.isspace())]


def strip(program, text):
    run = subprocess.run([program, "--lang", "c++", "--no-keep-head-lines", "--no-keep-head-block",
                          "--strip-tool-comments",
                          "--stdout", "-"], input=text.encode("latin-1"), capture_output=True)
    if run.returncode != 0:
        raise SystemExit(run.stderr.decode("utf-8", "replace"))
    return run.stdout.decode("latin-1")


def preprocessed(text, work, name):
    path = os.path.join(work, name)
    with open(path, "w", encoding="latin-1") as out:
        out.write(text)
    run = subprocess.run(["clang", "-E", "-P", "-x", "c++", "-I", work, path], capture_output=True,
                         text=True, encoding="latin-1")
    return run.returncode, run.stdout.split()


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(sys.argv[1])
    cases = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 20261208)
    differing = []
    with tempfile.TemporaryDirectory() as work:
        # Cases go in files of 25 lines: each file is one text for the program and the lexer.
        per_file = 25
        for first in range(0, cases, per_file):
            source = "".join(line(rng, n) for n in range(first, min(cases, first + per_file)))
            target = strip(program, source)
            if raw_tokens(source, work, "s.cpp") != raw_tokens(target, work, "t.cpp"):
                differing.append(source)
        headers = 0
        for n in range(max(cases // 20, 1)):
            name, source = header_lines(rng, n)
            folder = os.path.join(work, os.path.dirname(name.replace("//", "/")))
            os.makedirs(folder, exist_ok=True)
            with open(os.path.join(work, name.replace("//", "/")), "w") as header:
                header.write(f"int header{n};\n")
            target = strip(program, source)
            if preprocessed(source, work, "s.cpp") != preprocessed(target, work, "t.cpp"):
                differing.append(source)
            headers += 1
    print(f"cases {cases} in {(cases + per_file - 1) // per_file} files, header names {headers}, "
          f"differing texts {len(differing)}")
    for text in differing[:5]:
        print("  differs:\n" + text)
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
