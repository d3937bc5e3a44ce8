#!/usr/bin/env python3
"""Plants one-line faults in src/, one at a time, and counts those the test suite catches.

Each fault changes one operator (a comparison, a logical or arithmetic one) or one whole-number
constant on one line of a file of an area below. The sites are drawn from every candidate of an
area in an order fixed by --seed, PER_AREA of them per area; a fault that does not compile is
passed over for the next site. For each fault the file is changed, ostrel and the tests are built
in build-faults/ (a build of its own, one object per source file, through ccache where it is
installed), the tests run in tiers, quick ones first, until one fails (caught) or all pass
(survived), and the file is restored: always, after a failure, a timeout or Ctrl-C too. The faults
named in EQUIVALENT change nothing a player could see; they are counted apart, with why.

Usage: tools/plant_faults.py [--seed N] [--per-area N] [--only ID...] [--list]
Not part of `make test`: one run takes about half an hour on two cores.
"""
import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build-faults"

# The areas and their files: every fault planted is in one of them.
AREAS = {
    "goal search": ["src/plan/goal/*.cc", "src/plan/goal/*.h"],
    "trade-off": ["src/plan/tradeoff/*.cc", "src/plan/tradeoff/*.h"],
    "form rules": ["src/model/form_rules.cc", "src/model/form_proof.cc", "src/model/evolution.cc"],
    "limits": ["src/model/limits.cc", "src/plan/request.cc", "src/plan/request.h"],
    "commands": ["src/app/*_command.cc", "src/app/command_line.cc", "src/app/command_options.cc",
                 "src/app/request_options.cc", "src/app/mag_options.cc"],
}
PER_AREA = 8

# The tests run on each fault, quickest first; a tier runs only when the one before passed.
# The status line on a terminal and the install (neither reads the planner's results) are left out.
TIERS = [
    ["-E", "^(ProgressLine|Install|JsonSchema)\\.|Seeded|PrintsAndWrites|PlansAreTheConsole|"
           "LastResorts|AnswersAreTheLines"],
    ["-R", "Seeded|LastResorts|AnswersAreTheLines|^JsonSchema\\."],
    ["-R", "PrintsAndWrites|PlansAreTheConsole"],
]
TEST_TIMEOUT = 120  # seconds per test: a fault that makes a search run on is caught by it

# Faults that change nothing observable, by their id (the line as it stands, the change, and the
# occurrence on the line): why each cannot be caught.
EQUIVALENT = {
    "src/plan/goal/top_k.h: std::uint32_t index = 0; [0 -> 1 at 26]":
        "a slot's index is written whenever the slot is taken (its epoch made the current one); "
        "the default is never read",
    "src/plan/tradeoff/tradeoffs.cc: const int fewestPart = goals[0] == Goal::kFewest ? 0 : 1; "
    "[1 -> 0 at 59]":
        "on one thread the two goals' searches run one after the other, each on its own options "
        "and into its own goal's list and result: the order changes nothing they find",
    "src/plan/tradeoff/tradeoffs.cc: const int fewestPart = goals[0] == Goal::kFewest ? 0 : 1; "
    "[0 -> 1 at 55]":
        "the same two searches in the other order, as above",
    "src/plan/tradeoff/tradeoffs.cc: const int fewestPart = goals[0] == Goal::kFewest ? 0 : 1; "
    "[0 -> 1 at 33]":
        "the same two searches in the other order, as above",
    "src/plan/tradeoff/front.cc: return a.feedCount() != b.feedCount() ? a.feedCount() < "
    "b.feedCount() [< -> <= at 58]":
        "compared only where the two counts differ, where < and <= agree",
    "src/plan/tradeoff/front.cc: return width(a) != width(b) ? width(a) > width(b) : a < b; "
    "[> -> >= at 61]":
        "compared only where the two widths differ, where > and >= agree",
    "src/plan/tradeoff/front.cc: return width(a) != width(b) ? width(a) > width(b) : a < b; "
    "[< -> <= at 76]":
        "a and b are the indices of two different gaps, never equal",
    "src/plan/goal/corners.h: best = value > best ? value : best; [> -> >= at 19]":
        "of two equal products either is the larger: the same number is kept (0 and -0, the only "
        "equal values that differ, compare equal wherever the estimate is used)",
    "src/model/form_rules.cc: Source sources[5]; [5 -> 6 at 19]":
        "a form has at most five evolutions that give it; a sixth slot is never written or read",
    "src/model/form_rules.cc: for (std::int32_t changes = 0; changes < 27; ++changes) { "
    "[0 -> 1 at 30]":
        "the evolution rules compare the last feeding's bar changes with each other alone, and "
        "no changes at all order them as one of each does, which the loop tries too",
    "src/model/limits.cc: const std::array<std::int32_t, 4> wanted = {target.def, target.pow, "
    "target.dex, target.mind}; [4 -> 5 at 33]":
        "a fifth stat, 0, that the loop over the four fields never reads",
    "src/app/mag_options.cc: constexpr std::array<const char*, 4> kStatNames = {\"def\", "
    "\"pow\", \"dex\", \"mind\"}; [4 -> 5 at 34]":
        "a fifth name, null, that no stat of the four reads",
}

# Operators changed, each into its fault; matched with a space on either side, as the code is
# formatted, so that a template's angle brackets and the stream operators are never taken.
OPERATORS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==",
             "&&": "||", "||": "&&", "+": "-", "-": "+"}
OPERATOR = re.compile(r"(?<= )(<=|>=|==|!=|&&|\|\||<|>|\+|-)(?= )")
CONSTANT = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")


def code_of(line):
    """The line with its comment cut and its strings and characters blanked."""
    line = re.sub(r'"(\\.|[^"\\])*"', lambda m: '"' + " " * (len(m.group()) - 2) + '"', line)
    line = re.sub(r"'(\\.|[^'\\])'", "' '", line)
    return line.split("//")[0]


def candidates(path):
    """Every fault that can be planted in the file: (line index, column, old, new)."""
    found = []
    for index, line in enumerate(path.read_text().splitlines()):
        stripped = line.strip()
        if not stripped or stripped.startswith(("#", "//", "*", "static_assert")):
            continue
        code = code_of(line)
        for match in OPERATOR.finditer(code):
            found.append((index, match.start(), match.group(), OPERATORS[match.group()]))
        for match in CONSTANT.finditer(code):
            number = int(match.group())
            found.append((index, match.start(), match.group(), str(number + 1 if number != 1 else 0)))
    return found


def fault_id(path, lines, site):
    index, column, old, new = site
    return f"{path.relative_to(ROOT)}: {lines[index].strip()} [{old} -> {new} at {column}]"


def sample(seed, per_area):
    """The sites of each area in the seed's order: (area, path, site), per_area of them and the
    rest after, to draw from when a fault does not compile."""
    chosen = {}
    for area, patterns in AREAS.items():
        sites = []
        for pattern in patterns:
            for path in sorted(ROOT.glob(pattern)):
                sites += [(path, site) for site in candidates(path)]
        random.Random(f"{seed}:{area}").shuffle(sites)
        chosen[area] = sites
    return chosen


def run(args, timeout=None):
    return subprocess.run(args, cwd=ROOT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=timeout, check=False).returncode


def build():
    return run(["cmake", "--build", str(BUILD), "-j2", "--target", "ostrel", "ostrel_tests",
                "ostrel_web_request_tool"]) == 0


def tests_fail():
    """The first tier with a failing test, or 0 when every test passes."""
    for number, selection in enumerate(TIERS, 1):
        if run(["ctest", "--test-dir", str(BUILD), "-j2", "--timeout", str(TEST_TIMEOUT),
                "--stop-on-failure", *selection]) != 0:
            return number
    return 0


def plant(path, site):
    """Plants the fault; returns the file's text as it was."""
    text = path.read_text()
    lines = text.splitlines(keepends=True)
    index, column, old, new = site
    line = lines[index]
    lines[index] = line[:column] + new + line[column + len(old):]
    path.write_text("".join(lines))
    return text


def configure():
    launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
    if run(["cmake", "--preset", "default", "-B", str(BUILD), "-DCMAKE_UNITY_BUILD=OFF",
            "-DOSTREL_WERROR=OFF", "-DOSTREL_BENCH=OFF", *launcher]) != 0 or not build():
        sys.exit("build-faults/ does not build as the sources stand")
    if tests_fail():
        sys.exit("the tests fail before any fault is planted")


def stop(*_):
    """A kill is taken as Ctrl-C: the file in hand is restored on the way out."""
    raise KeyboardInterrupt


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--seed", type=int, default=40)
    parser.add_argument("--per-area", type=int, default=PER_AREA)
    parser.add_argument("--only", nargs="*", help="plant only these sites, by the number listed")
    parser.add_argument("--list", action="store_true", help="list the sample, plant nothing")
    options = parser.parse_args()
    signal.signal(signal.SIGTERM, stop)

    drawn = sample(options.seed, options.per_area)
    if not options.list:
        configure()
    rows, counts = [], {}
    for area, sites in drawn.items():
        planted = 0
        for number, (path, site) in enumerate(sites, 1):
            if planted == options.per_area:
                break
            label = f"{area[0]}{number}"
            if options.only is not None and label not in options.only:
                continue
            ident = fault_id(path, path.read_text().splitlines(), site)
            if options.list:
                planted += 1
                print(f"{label:5} {ident}")
                continue
            began = time.monotonic()
            if ident in EQUIVALENT:
                verdict = "equivalent"
            else:
                original = plant(path, site)
                try:
                    verdict = "does not compile"
                    if build():
                        tier = tests_fail()
                        verdict = f"caught (tier {tier})" if tier else "survived"
                finally:
                    path.write_text(original)
            if verdict == "does not compile":
                continue
            planted += 1
            kind = verdict.split(" ")[0]
            counts.setdefault(area, {}).setdefault(kind, 0)
            counts[area][kind] += 1
            rows.append(f"{label:5} {verdict:16} {time.monotonic() - began:5.0f} s  {ident}")
            print(rows[-1], flush=True)
    if options.list:
        return 0
    build()  # the sources as they are
    print("\narea          caught  survived  equivalent")
    total = {"caught": 0, "survived": 0, "equivalent": 0}
    for area, count in counts.items():
        print(f"{area:13} {count.get('caught', 0):6}  {count.get('survived', 0):8}  "
              f"{count.get('equivalent', 0):10}")
        for kind in total:
            total[kind] += count.get(kind, 0)
    print(f"{'all':13} {total['caught']:6}  {total['survived']:8}  {total['equivalent']:10}")
    for ident, why in EQUIVALENT.items():
        if any(ident in row for row in rows):
            print(f"equivalent: {ident}\n  {why}")
    return 1 if total["survived"] else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit("stopped; the file in hand was restored")
