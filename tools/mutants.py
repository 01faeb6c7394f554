#!/usr/bin/env python3
"""Mutation testing for Tessary's C++ sources.

Applies one small fault at a time to the named source files (a flipped comparison, true for
false, + for -, && for ||, a dropped negation, a removed call statement, two arguments of a
call swapped), rebuilds the tests incrementally, runs the chosen test executables and lists
the mutants that no test killed. A mutant that does not compile is not counted. The source
files are always put back as they were, also when the run is interrupted.

See tools/mutants.sh for the usual way to call it.
"""

import argparse
import dataclasses
import os
import random
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


@dataclasses.dataclass
class Mutant:
    path: str
    line: int  # 1-based
    start: int  # offset in the file
    end: int
    replacement: str
    kind: str
    original_line: str
    mutated_line: str

    def describe(self):
        return f"{os.path.relpath(self.path, ROOT)}:{self.line}: [{self.kind}] {self.original_line.strip()}  =>  {self.mutated_line.strip()}"


# Binary operators are written with a space on each side in this code base, which tells a
# comparison from a template's angle brackets and keeps stream operators out.
OPERATOR_SWAPS = [
    ("comparison", " < ", " >= "),
    ("comparison", " <= ", " > "),
    ("comparison", " > ", " <= "),
    ("comparison", " >= ", " < "),
    ("comparison", " == ", " != "),
    ("comparison", " != ", " == "),
    ("arithmetic", " + ", " - "),
    ("arithmetic", " - ", " + "),
    ("arithmetic", " += ", " -= "),
    ("arithmetic", " -= ", " += "),
    ("arithmetic", " * ", " / "),
    ("logic", " && ", " || "),
    ("logic", " || ", " && "),
]
WORD_SWAPS = [
    ("boolean", "true", "false"),
    ("boolean", "false", "true"),
]
# Names that come in mirrored pairs: a turn to the right for one to the left, the next image
# for the previous one. Found inside longer names too (RotateRight, kBottom, NextImage).
MIRRORED_NAMES = [("Right", "Left"), ("Left", "Right"), ("Next", "Previous"), ("Previous", "Next"),
                  ("Top", "Bottom"), ("Bottom", "Top"), ("Width", "Height"), ("Height", "Width")]
CALL_STATEMENT = re.compile(
    r"^(?P<indent>[ \t]*)(?!return\b|delete\b|throw\b|case\b|else\b|co_\w+\b)"
    r"(?P<call>[A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*|::[A-Za-z_]\w*)*(?:<[^;=]*>)?\((?P<args>.*)\));[ \t]*$"
)
NEGATION = re.compile(r"(?<=[(\s])!(?=[A-Za-z_(])")
SIMPLE_ARGUMENT = r"[A-Za-z_][\w.]*(?:\(\))?|-?\d+(?:\.\d+)?f?"
TWO_ARGUMENTS = re.compile(r"\((?P<a>" + SIMPLE_ARGUMENT + r"), (?P<b>" + SIMPLE_ARGUMENT + r")\)")


def masked_text(text):
    """The file with comments, string and character literals blanked out (same offsets), so
    that no mutation lands in them, and preprocessor lines blanked as well."""
    out = list(text)
    i = 0
    n = len(text)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif c == 'R' and text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            if m:
                close = ")" + m.group(1) + '"'
                j = text.find(close, i + m.end())
                j = n if j < 0 else j + len(close)
                blank(i + 1, j)
                i = j
            else:
                i += 1
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            blank(i + 1, min(j, n))
            i = j + 1
        else:
            i += 1
    masked = "".join(out)
    lines = masked.split("\n")
    for index, line in enumerate(lines):
        if line.lstrip().startswith("#"):
            lines[index] = " " * len(line)
    return "\n".join(lines)


def line_bounds(text, offset):
    start = text.rfind("\n", 0, offset) + 1
    end = text.find("\n", offset)
    return start, (len(text) if end < 0 else end)


def make_mutant(path, text, start, end, replacement, kind):
    line_start, line_end = line_bounds(text, start)
    original_line = text[line_start:line_end]
    mutated_line = text[line_start:start] + replacement + text[end:line_end]
    line = text.count("\n", 0, start) + 1
    return Mutant(path, line, start, end, replacement, kind, original_line, mutated_line)


def find_mutants(path, line_filter):
    with open(path, encoding="utf-8") as handle:
        text = handle.read()
    masked = masked_text(text)
    found = []

    def wanted(offset):
        return line_filter is None or line_filter(text.count("\n", 0, offset) + 1)

    for kind, before, after in OPERATOR_SWAPS:
        for match in re.finditer(re.escape(before), masked):
            if wanted(match.start()):
                found.append(make_mutant(path, text, match.start(), match.end(), after, kind))
    for kind, before, after in WORD_SWAPS:
        for match in re.finditer(r"\b" + before + r"\b", masked):
            if wanted(match.start()):
                found.append(make_mutant(path, text, match.start(), match.end(), after, kind))
    for before, after in MIRRORED_NAMES:
        for match in re.finditer(r"(?<=[\w])" + before + r"(?=\w|\b)|\b" + before + r"(?=\w|\b)", masked):
            if wanted(match.start()):
                found.append(make_mutant(path, text, match.start(), match.end(), after, "mirrored name"))
    for match in NEGATION.finditer(masked):
        if wanted(match.start()):
            found.append(make_mutant(path, text, match.start(), match.end(), "", "negation"))
    offset = 0
    for line in masked.split("\n"):
        match = CALL_STATEMENT.match(line)
        if match and wanted(offset) and not re.match(r"^[ \t]*[A-Z]\w*(?:::\w+)*<", line):
            start = offset + match.start("call")
            end = offset + len(line.rstrip())
            found.append(make_mutant(path, text, start, end, ";", "removed call"))
        offset += len(line) + 1
    for match in TWO_ARGUMENTS.finditer(masked):
        a, b = match.group("a"), match.group("b")
        if a != b and wanted(match.start()):
            found.append(make_mutant(path, text, match.start(), match.end(), f"({b}, {a})", "swapped arguments"))
    found.sort(key=lambda m: (m.start, m.kind))
    return text, found


def parse_lines(spec):
    if not spec:
        return None
    ranges = []
    for part in spec.split(","):
        first, _, last = part.partition("-")
        ranges.append((int(first), int(last or first)))
    return lambda line: any(a <= line <= b for a, b in ranges)


def run(command, timeout, env=None):
    try:
        result = subprocess.run(command, cwd=ROOT, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        return result.returncode, result.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, "timed out"


def build(build_dir, targets, timeout):
    command = ["cmake", "--build", build_dir]
    for target in targets:
        command += ["--target", target]
    code, output = run(command, timeout)
    return code == 0, output


def run_tests(build_dir, tests, gtest_filter, timeout):
    env = dict(os.environ)
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    for test in tests:
        command = [os.path.join(build_dir, test), "--gtest_fail_fast", "--gtest_brief=1"]
        if gtest_filter:
            command.append("--gtest_filter=" + gtest_filter)
        code, output = run(command, timeout, env)
        if code != 0:
            return False, f"{test}: " + ("timed out" if code is None else f"exit {code}")
    return True, ""


class Restorer:
    """Puts every touched file back when the run ends, however it ends."""

    def __init__(self):
        self.originals = {}

    def write(self, path, text):
        if path not in self.originals:
            with open(path, encoding="utf-8") as handle:
                self.originals[path] = handle.read()
        with open(path, "w", encoding="utf-8") as handle:
            handle.write(text)

    def restore(self, path=None):
        paths = [path] if path else list(self.originals)
        for name in paths:
            if name in self.originals:
                with open(name, "w", encoding="utf-8") as handle:
                    handle.write(self.originals.pop(name))


def is_program(path):
    """A test program of the build: an executable file, not a folder such as tests_app_autogen."""
    return os.path.isfile(path) and os.access(path, os.X_OK)


def main():
    parser = argparse.ArgumentParser(description="Lists the mutants of the named source files that no test kills.")
    parser.add_argument("files", nargs="+", help="source files (.cpp or .h) to mutate")
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutants"), help="build folder (default build-mutants)")
    parser.add_argument("--tests", default="", help="comma-separated test executables (default: every tests_* of the build)")
    parser.add_argument("--filter", default="", help="a GoogleTest filter for the test runs")
    parser.add_argument("--lines", default="", help="only these lines, e.g. 40-90,120 (one file only)")
    parser.add_argument("--kinds", default="", help="only these kinds, comma-separated: comparison, arithmetic, logic, boolean, mirrored name, negation, removed call, swapped arguments")
    parser.add_argument("--max", type=int, default=0, help="at most this many mutants per file, chosen at random")
    parser.add_argument("--seed", type=int, default=1, help="seed for --max (default 1)")
    parser.add_argument("--timeout", type=int, default=300, help="seconds a test executable may run (default 300)")
    parser.add_argument("--list", action="store_true", help="only list the mutants")
    parser.add_argument("--report", default="", help="also write the survivors to this file")
    args = parser.parse_args()

    files = [os.path.abspath(f) for f in args.files]
    line_filter = parse_lines(args.lines)
    if line_filter and len(files) != 1:
        parser.error("--lines takes one file")
    kinds = {k.strip() for k in args.kinds.split(",") if k.strip()}
    plan = []
    for path in files:
        _, mutants = find_mutants(path, line_filter)
        if kinds:
            mutants = [m for m in mutants if m.kind in kinds]
        if args.max and len(mutants) > args.max:
            mutants = sorted(random.Random(args.seed).sample(mutants, args.max), key=lambda m: m.start)
        plan.append((path, mutants))
    if args.list:
        for _, mutants in plan:
            for mutant in mutants:
                print(mutant.describe())
        print(f"{sum(len(m) for _, m in plan)} mutants")
        return 0

    if not os.path.isfile(os.path.join(args.build, "build.ninja")):
        code, output = run(["bash", os.path.join(ROOT, "tools/build.sh"), args.build], None)
        if code != 0:
            print(output)
            return 2
    tests = [t for t in args.tests.split(",") if t] or sorted(
        f for f in os.listdir(args.build) if f.startswith("tests_") and is_program(os.path.join(args.build, f)))
    targets = tests

    ok, output = build(args.build, targets, None)
    if not ok:
        print("The unmutated tree does not build:\n" + output)
        return 2
    ok, why = run_tests(args.build, tests, args.filter, args.timeout)
    if not ok:
        print("The tests fail before any mutation: " + why)
        return 2

    restorer = Restorer()

    def stop(signum, frame):
        raise KeyboardInterrupt

    signal.signal(signal.SIGTERM, stop)
    counts = {"killed": 0, "survived": 0, "did not compile": 0}
    survivors = []
    started = time.time()
    try:
        total = sum(len(m) for _, m in plan)
        done = 0
        for path, mutants in plan:
            with open(path, encoding="utf-8") as handle:
                text = handle.read()
            for mutant in mutants:
                done += 1
                restorer.write(path, text[:mutant.start] + mutant.replacement + text[mutant.end:])
                built, _ = build(args.build, targets, None)
                if not built:
                    verdict = "did not compile"
                else:
                    passed, _ = run_tests(args.build, tests, args.filter, args.timeout)
                    verdict = "survived" if passed else "killed"
                counts[verdict] += 1
                if verdict == "survived":
                    survivors.append(mutant)
                print(f"[{done}/{total}] {verdict}: {mutant.describe()}", flush=True)
            restorer.restore(path)
    except KeyboardInterrupt:
        print("Interrupted; the sources are put back.")
    finally:
        restorer.restore()
        build(args.build, targets, None)

    tested = counts["killed"] + counts["survived"]
    minutes = (time.time() - started) / 60
    print(f"\nmutants: {tested} (and {counts['did not compile']} that did not compile), "
          f"killed: {counts['killed']}, survived: {counts['survived']}, in {minutes:.1f} min")
    if survivors:
        print("Survivors:")
        for mutant in survivors:
            print("  " + mutant.describe())
    if args.report:
        with open(args.report, "w", encoding="utf-8") as handle:
            handle.write(f"mutants: {tested}, killed: {counts['killed']}, survived: {counts['survived']}, "
                         f"did not compile: {counts['did not compile']}\n")
            for mutant in survivors:
                handle.write(mutant.describe() + "\n")
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
