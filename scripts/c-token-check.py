#!/usr/bin/env python3
"""Checks that qingyan-strip loses no C or C++ code: for each file, the tokens of its target (head
comments and the comments tools read not kept) must be the tokens that the compiler's own comment removal leaves,
`gcc -fpreprocessed -dD -E -P` (for C++: `g++ ... -x c++ -std=c++20`), whitespace aside.

The compiler is given each source with its backslash-newlines already joined, as a compiler joins
them before it looks for comments (-fpreprocessed alone does not: it would keep a line comment's
continued line as code); the target is joined the same way before its tokens are read. A file on
which the compiler reports an error or an unterminated literal is not counted. For C, the
comparison without the joining is printed as well, for the record.

Usage: c-token-check.py STRIP [--lang c++] [FILE|FOLDER...]
Without files: for C, the headers of the C library and of Linux (libc6-dev, linux-libc-dev); for
C++, every header of libstdc++ (/usr/include/c++/12) and every fourth header of Qt.
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
    r"""(?P<raw>(?:u8|[uUL])?R"(?P<delimiter>[^()\\\s]{0,16})\((?:.|\n)*?\)(?P=delimiter)")"""
    r"""|(?P<literal>(?:u8|[uUL])?(?:"(?:\\.|[^"\\\n])*"|'(?:\\.|[^'\\\n])*'))"""
    r"""|(?P<number>\.?[0-9](?:[eEpP][+-]|'[0-9A-Za-z_]|[0-9A-Za-z_.$])*)"""
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


COMPILERS = {"c": ["gcc", "-x", "c"], "c++": ["g++", "-x", "c++", "-std=c++20"]}


def gcc(language, source_text):
    run = subprocess.run(COMPILERS[language] + ["-fpreprocessed", "-dD", "-E", "-P", "-"],
                         input=source_text.encode("latin-1"), capture_output=True)
    return run.stdout.decode("latin-1"), run.stderr.decode("latin-1", "replace")


def regular_files(paths):
    return sorted(p for p in paths if os.path.isfile(p) and not os.path.islink(p))


def default_files(language):
    if language == "c++":
        qt = regular_files(os.path.join(folder, n)
                           for folder, _, names in os.walk("/usr/include/x86_64-linux-gnu/qt6")
                           for n in names if n.endswith(".h"))
        return regular_files(os.path.join(folder, n)
                             for folder, _, names in os.walk("/usr/include/c++/12")
                             for n in names) + qt[::4]
    listed = subprocess.run(["dpkg", "-L", "libc6-dev", "linux-libc-dev"], capture_output=True,
                            text=True, check=True).stdout.split("\n")
    return regular_files(p for p in listed if p.endswith(".h"))


def collect(arguments):
    files = []
    for argument in arguments:
        if os.path.isdir(argument):
            for folder, _, names in os.walk(argument):
                files += [os.path.join(folder, n) for n in names]
        else:
            files.append(argument)
    return sorted(files)


def compare(language, source, target):
    """(counted, same, same without joining, the compiler's first diagnostic line)"""
    expected, diagnostics = gcc(language, joined(source))
    same = tokens(expected) == tokens(joined(target))
    # For the record, for C alone: GCC's reading without the joining.
    same_unjoined = language != "c" or tokens(gcc(language, source)[0]) == tokens(target)
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
    arguments = sys.argv[2:]
    language = "c"
    if arguments[:1] == ["--lang"]:
        language, arguments = arguments[1], arguments[2:]
    files = collect(arguments) if arguments else default_files(language)
    with tempfile.TemporaryDirectory() as work:
        # One run of the program over copies of the files, as a user cleans a tree.
        copies = []
        for number, path in enumerate(files):
            copy = os.path.join(work, str(number), os.path.basename(path))
            os.makedirs(os.path.dirname(copy))
            shutil.copyfile(path, copy)
            copies.append(copy)
        run = subprocess.run([strip, "-r", "--lang", language, "--pattern", "*",
                              "--no-keep-head-lines", "--no-keep-head-block", "--strip-tool-comments",
                              work],
                             capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stderr, file=sys.stderr)
            return 1

        def check(index):
            with open(copies[index], "rb") as s, open(copies[index] + ".TX_", "rb") as t:
                return compare(language, s.read().decode("latin-1"),
                               t.read().decode("latin-1"))

        with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
            results = list(pool.map(check, range(len(files))))

    counted = [(f, r) for f, r in zip(files, results) if r[0]]
    differing = [f for f, r in counted if not r[1]]
    unjoined = [f for f, r in counted if not r[2]]
    print(f"files {len(files)}, counted {len(counted)}, same {len(counted) - len(differing)}, "
          f"differing {len(differing)}, not counted (the compiler's errors) {len(files) - len(counted)}")
    for path in differing:
        print(f"  differs: {path}")
    for path, result in zip(files, results):
        if not result[0]:
            print(f"  not counted: {path}: {result[3]}")
    if language == "c":
        print(f"without joining backslash-newlines first: same {len(counted) - len(unjoined)}, "
              f"differing {len(unjoined)}")
    for path in unjoined:
        print(f"  differs unjoined: {path}")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
