#!/usr/bin/env python3
"""Checks that qingyan-strip loses no assembler code: each source and its cleaned target are
assembled by the dialect's own assembler, and their object code must be the same (the bytes of
each section and the symbol values for GNU as; the output file for the others), with no comment
left (every generated comment carries the word QYCMT).

It runs on
- generated programs, CASES per dialect from a fixed seed: real instructions and data whose
  strings and character constants hold ; @ # // /* and the like, with every comment kind of the
  dialect; the files are cleaned by one `qingyan-strip -r` at the defaults, so that each file's
  dialect is told from its type and its text, as a user's would be;
- the vendor headers that Debian ships with gputils (/usr/share/gputils/header/*.inc) and avra
  (/usr/share/avra/*.inc), each included by a small program that uses its symbols.
Dialects that no assembler here reads (IAR, MASM, armasm, MIPS, Xtensa, Nios II, MSP430) are
checked by tables of expected outputs in the tests.

Usage: asm-check.py STRIP [CASES] [SEED]
Prints, per dialect: files checked, same object code, comments left. Exit status 1 when any file
differs or keeps a comment.
"""
import collections
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

MARK = "QYCMT"
TRICKY = [";", "@", "#", "//", "/*", "*/", "! ", "a", "b", "1", " "]


def tricky(rng, n=4):
    return "".join(rng.choice(TRICKY) for _ in range(rng.randint(1, n)))


def char(rng):
    return rng.choice([";", "@", "#", "/", "*", "!", "a", "Z", "0", "$"])


def run(command, cwd):
    return subprocess.run(command, cwd=cwd, capture_output=True, text=True, errors="replace")


# ---- GNU as -------------------------------------------------------------------------------------

def elf_identity(objdump, path, cwd):
    """The contents of every section that is code or data, and the symbols with their values."""
    dumped = run([objdump, "-s", "-t", path], cwd)
    if dumped.returncode != 0:
        return None
    kept, skipping = [], False
    for line in dumped.stdout.splitlines()[2:]:
        if line.startswith("Contents of section "):
            name = line[len("Contents of section "):].rstrip(":")
            skipping = name.startswith((".debug", ".comment", ".note"))
        if not skipping:
            kept.append(line)
    return "\n".join(kept)


class Gas:
    def __init__(self, name, ext, tool, objdump, header, lines, comments, preprocessed=False):
        self.name, self.ext, self.tool, self.objdump = name, ext, tool, objdump
        self.header, self.lines, self.comments = header, lines, comments
        self.preprocessed = preprocessed

    def program(self, rng, n):
        out = list(self.header)
        for i in range(rng.randint(8, 20)):
            line = rng.choice(self.lines)(rng, f"{n}_{i}")
            if rng.randrange(2):
                line += " " + rng.choice(self.comments["after"]).format(m=MARK)
            out.append(line)
            if rng.randrange(4) == 0:
                out.append(rng.choice(self.comments["line"]).format(m=MARK))
        if self.preprocessed:
            out.insert(0, f"#define VALUE{n} 1 // {MARK} define")
            out.append(f"#if VALUE{n} /* {MARK} if */")
            out.append("\t.byte VALUE" + str(n))
            out.append("#endif")
        return "\n".join(out) + "\n"

    def identity(self, path, work):
        source = path
        if self.preprocessed:
            source = path + ".i"
            if run(["gcc", "-E", "-P", "-x", "assembler-with-cpp", path, "-o", source],
                   work).returncode != 0:
                return None
        if run([self.tool, "-o", path + ".o", source], work).returncode != 0:
            return None
        return elf_identity(self.objdump, path + ".o", work)


def string_lines(directive):
    return [lambda rng, n: f'\t{directive} "{tricky(rng)}"',
            lambda rng, n: f"\t.byte '{char(rng)}, '{char(rng)}'"]


GAS_COMMENTS_BLOCK = ["/* {m} block */", "/* {m} a ; b @ c # d */"]

ARM = dict(
    header=["\t.syntax unified", "\t.thumb", "\t.text", "f:", "\tbx lr"],
    lines=[lambda rng, n: f"\tmovs r0, #'{char(rng)}'",
           lambda rng, n: f"\tmovs r1, #'{char(rng)}",
           lambda rng, n: "\tadds r0, r0, #1 ; adds r1, r1, #2",
           lambda rng, n: "\tcpsid i"] + string_lines(".asciz"),
    comments={"after": ["@ {m} at", "/* {m} */"] + GAS_COMMENTS_BLOCK,
              "line": ["# {m} hash", "@ {m} whole line", "/* {m}\n   {m} */"]})
AARCH64 = dict(
    header=["\t.text", "f:", "\tret", "\tstp x29, x30, [sp, #-16]!", "\tldp x29, x30, [sp], #16"],
    lines=[lambda rng, n: f"\tmov x0, #'{char(rng)}'",
           lambda rng, n: "\tmov x1, x2; mov w3, w4",
           lambda rng, n: "\tadd x0, x0, #1"] + string_lines(".asciz"),
    comments={"after": ["// {m} slashes", "/* {m} */"] + GAS_COMMENTS_BLOCK,
              "line": ["# {m} hash", "// {m} whole line"]})
RISCV = dict(
    header=["\t.text", "f:", "\taddi sp, sp, -16", "\tli a0, 1", "\tcsrr t0, mstatus"],
    lines=[lambda rng, n: f"\tli a0, '{char(rng)}'",
           lambda rng, n: "\taddi a0,a0,1; addi a1,a1,1",
           lambda rng, n: "\tmv ra, a0"] + string_lines(".asciz"),
    comments={"after": ["# {m} hash", "/* {m} */"] + GAS_COMMENTS_BLOCK,
              "line": ["# {m} whole line"]})
X86 = dict(
    header=["\t.text", "f:", "\tpushq %rbp", "\tmovq %rsp, %rbp", "\tpopq %rbp"],
    lines=[lambda rng, n: f"\tmovl $'{char(rng)}', %eax",
           lambda rng, n: "\tnop; nop",
           lambda rng, n: "\tleaq 8(%rsp), %rax"] + string_lines(".asciz"),
    comments={"after": ["# {m} hash", "/* {m} */"] + GAS_COMMENTS_BLOCK,
              "line": ["# {m} whole line"]})
AVR = dict(
    header=["\t.text", "f:", "\tldi r16, 1", "\trjmp f", "\tsbi 0x18, 1"],
    lines=[lambda rng, n: f"\tldi r17, '{char(rng)}'",
           lambda rng, n: "\tsbrc r16, 1",
           lambda rng, n: "\tnop"] + string_lines(".asciz"),
    comments={"after": ["; {m} semicolon", "/* {m} */"],
              "line": ["# {m} hash", "; {m} whole line"]})

# ---- The ; assemblers -----------------------------------------------------------------------------

class Plain:
    """An assembler that turns a source into one output file, compared whole."""

    def __init__(self, name, ext, assemble, output, header, lines, footer, comments):
        self.name, self.ext, self.assemble, self.output = name, ext, assemble, output
        self.header, self.lines, self.footer, self.comments = header, lines, footer, comments

    def program(self, rng, n):
        out = list(self.header)
        for i in range(rng.randint(8, 20)):
            line = rng.choice(self.lines)(rng, f"{n}_{i}")
            if rng.randrange(2):
                line += " " + rng.choice(self.comments["after"]).format(m=MARK)
            out.append(line)
            if rng.randrange(4) == 0:
                out.append(rng.choice(self.comments["line"]).format(m=MARK))
        return "\n".join(out + self.footer) + "\n"

    def identity(self, path, work):
        for stale in (self.output(path),):
            if os.path.exists(stale):
                os.remove(stale)
        if run([part.format(path=path) for part in self.assemble], work).returncode != 0:
            return None
        with open(self.output(path), "rb") as produced:
            data = produced.read()
        if self.name == "sdas":  # the object file names the module, not the file
            data = b"\n".join(l for l in data.split(b"\n") if not l.startswith(b"O "))
        return data


def strings(quote_pairs):
    return lambda rng, n: "\t" + quote_pairs(rng)


NASM = Plain(
    "nasm", ".asm", ["nasm", "-f", "bin", "-o", "{path}.bin", "{path}"], lambda p: p + ".bin",
    ["bits 32", "section .text", "times 2 nop", "%define ONE 1"],
    [lambda rng, n: f"\tmov al, '{char(rng)}'",
     lambda rng, n: f"\tdb '{tricky(rng)}', 0",
     lambda rng, n: f'\tdb "{tricky(rng)}", 0',
     lambda rng, n: f"\tdb `{tricky(rng)}\\n`, 0",
     lambda rng, n: "\tresb 0",
     lambda rng, n: "\tmov eax, ONE"],
    [], {"after": ["; {m} semicolon"], "line": ["; {m} whole line"]})
AVRA = Plain(
    "avra", ".asm", ["avra", "-o", "{path}.hex", "{path}"], lambda p: p + ".hex",
    [".device ATmega8", ".def temp = r16", ".equ ONE = 1", ".cseg", "\tldi r17, ONE",
     "\trjmp PC+1"],
    [lambda rng, n: f"\tldi r16, '{char(rng)}'",
     lambda rng, n: f'\t.db "{tricky(rng)}", 0',
     lambda rng, n: "\tsbi 0x18, 1"],
    [], {"after": ["; {m} semicolon"], "line": ["; {m} whole line"]})
GPASM = Plain(
    "gpasm", ".asm", ["gpasm", "{path}"], lambda p: p[: -len(".asm")] + ".hex",
    ["\tlist p=16f84a", "\tradix hex", "\torg 0", "\tbanksel 0", "\tclrf 0x0c"],
    [lambda rng, n: f"\tretlw '{char(rng)}'",
     lambda rng, n: f"\tmovlw '{char(rng)}'",
     lambda rng, n: f'\tdt "{tricky(rng)}"',
     lambda rng, n: "\tmovwf 0x0c"],
    ["\tend"], {"after": ["; {m} semicolon"], "line": ["; {m} whole line"]})
SDAS = Plain(
    "sdas", ".asm", ["sdas8051", "-o", "{path}.rel", "{path}"], lambda p: p + ".rel",
    ["\t.module m", "\t.optsdcc -mmcs51", "\t.area CSEG (CODE)", "\t.globl f", "f:"],
    [lambda rng, n: f"\tmov a,#'{char(rng)}",
     lambda rng, n: f'\t.ascii "{tricky(rng)}"',
     lambda rng, n: "\t.db 1, 2",
     lambda rng, n: "\tmov r0,a"],
    [], {"after": ["; {m} semicolon"], "line": ["; {m} whole line"]})
AS31 = Plain(
    "as31", ".a51", ["as31", "-Fhex", "-O{path}.hex", "{path}"], lambda p: p + ".hex",
    ["\t.org 0", "\tljmp start", "start:", "\tmov dptr, #0"],
    [lambda rng, n: f"\tmov a, #'{char(rng)}'",
     lambda rng, n: f'\t.db "{tricky(rng)}", 0',
     lambda rng, n: "\tdjnz r7, start",
     lambda rng, n: "\tacall start"],
    [], {"after": ["; {m} semicolon"], "line": ["; {m} whole line"]})


def dialects():
    arm_as, arm_dump = "arm-none-eabi-as", "arm-none-eabi-objdump"
    a64_as, a64_dump = "aarch64-linux-gnu-as", "aarch64-linux-gnu-objdump"
    rv_as, rv_dump = "riscv64-unknown-elf-as", "riscv64-unknown-elf-objdump"
    found = []
    for name, ext, tool, dump, kind, pre in [
            ("gas-arm", ".s", arm_as, arm_dump, ARM, False),
            ("gas-arm-cpp", ".S", arm_as, arm_dump, ARM, True),
            ("gas-aarch64", ".s", a64_as, a64_dump, AARCH64, False),
            ("gas-aarch64-cpp", ".S", a64_as, a64_dump, AARCH64, True),
            ("gas-riscv", ".s", rv_as, rv_dump, RISCV, False),
            ("gas-riscv-cpp", ".S", rv_as, rv_dump, RISCV, True),
            ("gas-x86", ".s", "as", "objdump", X86, False),
            ("gas-x86-cpp", ".S", "as", "objdump", X86, True),
            ("gas-avr", ".s", "avr-as", "avr-objdump", AVR, False),
            ("gas-avr-cpp", ".S", "avr-as", "avr-objdump", AVR, True)]:
        if shutil.which(tool):
            found.append(Gas(name, ext, tool, dump, kind["header"], kind["lines"],
                             kind["comments"], pre))
    for plain in (NASM, AVRA, GPASM, SDAS, AS31):
        if shutil.which(plain.assemble[0]):
            found.append(plain)
    return found


# ---- Vendor headers -------------------------------------------------------------------------------

def gputils_symbols(listing):
    """The symbol table of a gpasm listing: its lines after SYMBOL TABLE."""
    text = listing.split("SYMBOL TABLE", 1)
    # Each page's head names the time of the run: no part of the symbols.
    return "\n".join(line for line in (text[1] if len(text) > 1 else "").splitlines()
                     if not re.search(r"gpasm-|PAGE\s+\d", line))


def check_headers(strip, work, report):
    headers = []
    for folder, pattern, kind in [("/usr/share/gputils/header", r"^p(\w+)\.inc$", "gputils"),
                                  ("/usr/share/avra", r"^(\w+)\.inc$", "avra")]:
        if os.path.isdir(folder):
            for name in sorted(os.listdir(folder)):
                match = re.match(pattern, name, re.IGNORECASE)
                if match:
                    headers.append((kind, os.path.join(folder, name), match.group(1)))
    for kind, header, chip in headers:
        base = os.path.basename(header)
        for side in ("source", "target"):
            os.makedirs(os.path.join(work, kind, side), exist_ok=True)
        shutil.copyfile(header, os.path.join(work, kind, "source", base))
    if not headers:
        return
    cleaned = run([strip, "-r", "--no-keep-head-lines", "--no-keep-head-block", "--report", "."],
                  os.path.join(work))
    if cleaned.returncode not in (0,):
        print(cleaned.stderr, file=sys.stderr)
    for kind, header, chip in headers:
        base = os.path.basename(header)
        source = os.path.join(work, kind, "source", base)
        if not os.path.exists(source + ".TX_"):
            report[kind + " headers"]["not cleaned"] += 1
            continue
        target_text = open(source + ".TX_", "rb").read()
        with open(os.path.join(work, kind, "target", base), "wb") as target:
            target.write(target_text)
        results = []
        for side in ("source", "target"):
            folder = os.path.join(work, kind, side)
            program = os.path.join(folder, "use.asm")
            if kind == "gputils":
                with open(program, "w") as out:
                    out.write(f'\tlist p={chip}\n\t#include "{base}"\n\torg 0\n\tnop\n\tend\n')
                done = run(["gpasm", "-I", folder, "use.asm"], folder)
                listing = os.path.join(folder, "use.lst")
                results.append(None if done.returncode != 0 else
                               (open(os.path.join(folder, "use.hex"), "rb").read(),
                                gputils_symbols(open(listing, errors="replace").read())))
            else:
                names = re.findall(r"^\s*\.equ\s+(\w+)\s*=", open(header, errors="replace").read(),
                                   re.MULTILINE | re.IGNORECASE)
                with open(program, "w") as out:
                    out.write(f'.include "{base}"\n.cseg\n' +
                              "".join(f".dw {n} & 0xFFFF\n" for n in names))
                done = run(["avra", "-I", folder, "-o", "use.hex", "use.asm"], folder)
                results.append(None if done.returncode != 0 or not os.path.exists(
                    os.path.join(folder, "use.hex")) else
                    open(os.path.join(folder, "use.hex"), "rb").read())
                for stale in ("use.hex",):
                    if os.path.exists(os.path.join(folder, stale)):
                        os.remove(os.path.join(folder, stale))
        counted = results[0] is not None
        report[kind + " headers"]["files"] += counted
        report[kind + " headers"]["same"] += counted and results[0] == results[1]
        report[kind + " headers"]["not assembled"] += not counted
        if counted and results[0] != results[1]:
            report[kind + " headers"]["differing"].append(header)


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    strip = os.path.abspath(sys.argv[1])
    cases = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 20261208)
    report = collections.defaultdict(lambda: {"files": 0, "same": 0, "comments left": 0,
                                              "not assembled": 0, "not cleaned": 0,
                                              "differing": []})
    with tempfile.TemporaryDirectory() as work:
        found = dialects()
        for dialect in found:
            os.makedirs(os.path.join(work, dialect.name))
            for n in range(cases):
                with open(os.path.join(work, dialect.name, f"p{n}{dialect.ext}"), "w") as out:
                    out.write(dialect.program(rng, n))
        cleaned = run([strip, "-r", "--no-keep-head-lines", "--no-keep-head-block", "."], work)
        if cleaned.returncode != 0:
            print(cleaned.stderr, file=sys.stderr)
            return 1
        for dialect in found:
            folder = os.path.join(work, dialect.name)
            for n in range(cases):
                source = os.path.join(folder, f"p{n}{dialect.ext}")
                target = os.path.join(folder, f"t{n}{dialect.ext}")
                entry = report[dialect.name]
                if not os.path.exists(source + ".TX_"):
                    entry["not cleaned"] += 1  # the run did not take it: a failure too
                    continue
                shutil.copyfile(source + ".TX_", target)
                before = dialect.identity(source, folder)
                after = dialect.identity(target, folder)
                if before is None:
                    entry["not assembled"] += 1
                    continue
                entry["files"] += 1
                entry["same"] += before == after
                entry["comments left"] += open(target, errors="replace").read().count(MARK)
                if before != after:
                    entry["differing"].append(source)
        check_headers(strip, work, report)
        failed = False
        print(f"{'dialect':18} {'files':>6} {'same':>6} {'comments left':>14} {'not assembled':>14}"
              f" {'not cleaned':>12}")
        for name, entry in report.items():
            print(f"{name:18} {entry['files']:6} {entry['same']:6} {entry['comments left']:14} "
                  f"{entry['not assembled']:14} {entry['not cleaned']:12}")
            failed = (failed or entry["same"] != entry["files"] or entry["comments left"] != 0 or
                      entry["not cleaned"] != 0)
            for path in entry["differing"][:3]:
                print(f"  differs: {path}")
                print(open(path, errors="replace").read())
                if os.path.exists(path + ".TX_"):
                    print("  --- cleaned:\n" + open(path + ".TX_", errors="replace").read())
        return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
