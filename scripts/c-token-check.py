#!/usr/bin/env python3
"""Checks that qingyan-strip loses no C code: for each C file, the tokens of its target (head
comments not kept) must be the tokens that GCC's own comment removal leaves,
`gcc -fpreprocessed -dD -E -P`, whitespace aside.

GCC is given each source with its backslash-newlines already joined, as a C compiler joins them
before it looks for comments (-fpreprocessed alone does not: it would keep a line comment's
continued line as code); the target is joined the same way before its tokens are read. A file on
which GCC reports an error or an unterminated literal is not counted. The comparison
without the joining is printed as well, for the record.

Usage: c-token-check.py STRIP [FILE|FOLDER...]
Without files: the C headers of the C library and of Linux (libc6-dev, linux-libc-dev).
Exit status 1 when any counted file differs.
"""
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import tempfile

PUNCTUATORS = sorted(
    "%:%: ... <<= >>= -> ++ -- << >> <= >= == != && || *= /= %= += -= &= ^= |= ## <: :> <% %> %:"
    .split(), key=len, reverse=True)
TOKEN = re.compile(
    r"""(?P<literal>(?:u8|[uUL])?(?:"(?:\\.|[^"\\\n])*"|'(?:\\.|[^'\\\n])*'))"""
    r"""|(?P<number>\.?[0-9](?:[eEpP][+-]|[0-9A-Za-z_.$])*)"""
    r"""|(?P<word>[A-Za-z_$\x80-\xff](?:[0-9A-Za-z_$\x80-\xff])*)"""
    r"""|(?P<punct>""" + "|".join(re.escape(p) for p in PUNCTUATORS) + r"""|\S)""")


# Lines GCC leaves out of its output although they are no comment: the null directive "#", and
# the pragmas it acts on (once, push_macro, GCC system_header ...). Both are left out on both sides.
DROPPED_LINE = re.compile(r"^[ \t]*#[ \t]*(?:pragma\b.*)?$", re.MULTILINE)


def tokens(text):
    return [m.group(0) for m in TOKEN.finditer(DROPPED_LINE.sub("", text))]


def joined(text):
    """The text with every backslash-newline removed, as a C compiler's second phase does."""
    return re.sub(r"\\(?:\r\n|\r|\n)", "", text)


def gcc(source_text):
    run = subprocess.run(["gcc", "-x", "c", "-fpreprocessed", "-dD", "-E", "-P", "-"],
                         input=source_text.encode("latin-1"), capture_output=True)
    return run.stdout.decode("latin-1"), run.stderr.decode("latin-1", "replace")


def default_files():
    listed = subprocess.run(["dpkg", "-L", "libc6-dev", "linux-libc-dev"], capture_output=True,
                            text=True, check=True).stdout.split("\n")
    return sorted(p for p in listed
                  if p.endswith(".h") and os.path.isfile(p) and not os.path.islink(p))


def collect(arguments):
    files = []
    for argument in arguments:
        if os.path.isdir(argument):
            for folder, _, names in os.walk(argument):
                files += [os.path.join(folder, n) for n in names if n.lower().endswith((".c", ".h"))]
        else:
            files.append(argument)
    return sorted(files)


def compare(source, target):
    """(counted, same, same without joining, GCC's first diagnostic line)"""
    expected, diagnostics = gcc(joined(source))
    plain, _ = gcc(source)
    same = tokens(expected) == tokens(joined(target))
    same_unjoined = tokens(plain) == tokens(target)
    # Redefined macros and the like say nothing of how the text splits into tokens.
    lexical = [line for line in diagnostics.splitlines()
               if ": error:" in line or "missing terminating" in line or "unterminated" in line]
    if lexical:
        return False, same, same_unjoined, lexical[0]
    return True, same, same_unjoined, ""


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    strip = os.path.abspath(sys.argv[1])
    files = collect(sys.argv[2:]) if len(sys.argv) > 2 else default_files()
    with tempfile.TemporaryDirectory() as work:
        # One run of the program over copies of the files, as a user cleans a tree.
        copies = []
        for number, path in enumerate(files):
            copy = os.path.join(work, str(number), os.path.basename(path))
            os.makedirs(os.path.dirname(copy))
            shutil.copyfile(path, copy)
            copies.append(copy)
        run = subprocess.run([strip, "-r", "--pattern", "*.C;*.H", "--no-keep-head-lines",
                              "--no-keep-head-block", work], capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stderr, file=sys.stderr)
            return 1

        def check(index):
            with open(copies[index], "rb") as s, open(copies[index] + ".TX_", "rb") as t:
                return compare(s.read().decode("latin-1"), t.read().decode("latin-1"))

        with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
            results = list(pool.map(check, range(len(files))))

    counted = [(f, r) for f, r in zip(files, results) if r[0]]
    differing = [f for f, r in counted if not r[1]]
    unjoined = [f for f, r in counted if not r[2]]
    print(f"files {len(files)}, counted {len(counted)}, same {len(counted) - len(differing)}, "
          f"differing {len(differing)}, not counted (GCC's errors) {len(files) - len(counted)}")
    for path in differing:
        print(f"  differs: {path}")
    for path, result in zip(files, results):
        if not result[0]:
            print(f"  not counted: {path}: {result[3]}")
    print(f"without joining backslash-newlines first: same {len(counted) - len(unjoined)}, "
          f"differing {len(unjoined)}")
    for path in unjoined:
        print(f"  differs unjoined: {path}")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
