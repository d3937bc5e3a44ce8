#!/usr/bin/env python3
"""Records what ostrel plans for a fixed set of requests, to show that a change to the searches'
code leaves every plan as it was: the eight benchmark targets and seeded random ones, each as the
JSON documents of `plan` for every goal, `forms` by both goals, `tradeoffs` and two budgets. One
file per request and command in OUT; compare two such folders with `diff -r`.

    tools/record_plans.py BUILD/ostrel OUT [--random N] [--seed S] [--only PREFIX]
"""
import argparse
import json
import pathlib
import random
import subprocess

SECTIONS = ["purplenum", "redria", "skyly", "bluefull", "pinkal", "oran", "greenill", "viridia",
            "yelloboze", "whitill"]
CLASSES = ["humar", "hunewearl", "hucast", "hucaseal", "ramar", "ramarl", "racast", "racaseal",
           "fomar", "fomarl", "fonewm", "fonewearl"]

# The benchmark's targets (bench/goal_bench.cc), as command-line arguments.
BENCH = [
    ("purplenum-humar", ["--section", "purplenum", "--class", "humar", "--target", "30/70/70/30"]),
    ("viridia-hucast", ["--section", "viridia", "--class", "hucast", "--target", "5/145/50/0"]),
    ("greenill-racast", ["--section", "greenill", "--class", "racast", "--target", "15/0/35/150"]),
    ("pinkal-fomar", ["--section", "pinkal", "--class", "fomar", "--target", "60/60/40/40"]),
    ("redria-hunewearl", ["--section", "redria", "--class", "hunewearl", "--target", "5/100/95/0"]),
    ("bluefull-ramarl", ["--section", "bluefull", "--class", "ramarl", "--target", "20/20/20/20"]),
    ("oran-fonewm", ["--section", "oran", "--class", "fonewm", "--target", "45/40/15/100"]),
    ("skyly-racaseal", ["--section", "skyly", "--class", "racaseal", "--mag", "varuna",
                        "--stats", "8/12/3/2", "--bars", "40/70/10/0", "--target", "20/110/50/20"]),
]


def random_requests(count, seed):
    """New mags to targets of level 20..200 with def at least 5, spread over sections and classes."""
    rng = random.Random(seed)
    requests = []
    for i in range(count):
        level = rng.randint(20, 200)
        cuts = sorted(rng.randint(0, level - 5) for _ in range(3))
        parts = [cuts[0], cuts[1] - cuts[0], cuts[2] - cuts[1], level - 5 - cuts[2]]
        stats = [5 + parts[0]] + parts[1:]
        section, char = rng.choice(SECTIONS), rng.choice(CLASSES)
        requests.append((f"random-{i:02d}-{section}-{char}",
                         ["--section", section, "--class", char,
                          "--target", "/".join(map(str, stats))]))
    return requests


def run(ostrel, args):
    done = subprocess.run([ostrel, *args, "--format", "json"], capture_output=True, text=True)
    return done.returncode, done.stdout


def record(ostrel, name, request, out):
    def keep(kind, args):
        status, text = run(ostrel, args)
        (out / f"{name}.{kind}.json").write_text(f"status {status}\n{text}")
        return status, text

    for goal in ["first", "cheapest", "fewest"]:
        keep(f"plan-{goal}", ["plan", *request, "--goal", goal, "--no-files"])
    keep("forms-cheapest", ["forms", *request])
    keep("forms-fewest", ["forms", *request, "--goal", "fewest"])
    status, text = keep("tradeoffs", ["tradeoffs", *request])
    if status != 0:
        return
    points = json.loads(text).get("points", [])
    if len(points) < 2:
        return
    # Two budgets halfway between the trade-off's ends: feedings alone, and meseta alone.
    feedings = [p["feedings"] for p in points]
    meseta = [p["meseta"] for p in points]
    keep("budget-feedings", ["plan", *request, "--no-files",
                             "--max-feedings", str((min(feedings) + max(feedings)) // 2)])
    keep("budget-meseta", ["plan", *request, "--no-files",
                           "--max-meseta", str((min(meseta) + max(meseta)) // 2)])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("ostrel")
    parser.add_argument("out")
    parser.add_argument("--random", type=int, default=40)
    parser.add_argument("--seed", type=int, default=39)
    parser.add_argument("--only", default="")
    options = parser.parse_args()
    out = pathlib.Path(options.out)
    out.mkdir(parents=True, exist_ok=True)
    for name, request in BENCH + random_requests(options.random, options.seed):
        if name.startswith(options.only):
            record(options.ostrel, name, request, out)
            print(name, flush=True)


if __name__ == "__main__":
    main()
