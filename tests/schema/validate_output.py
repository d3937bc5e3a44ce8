#!/usr/bin/env python3
"""Validates the JSON documents of `ostrel plan`, `ostrel feed` and `ostrel forms` against
schema/*.schema.json.

Usage: validate_output.py OSTREL SCHEMA_DIR

Runs ostrel in a temporary directory on requests that end in each outcome (a plan, no plan at
all, a give-up, a form excluded or not reached; each goal; new and grown mags; a feeding past
level 200; forms reached, not found and excluded), checks the exit status and that
standard output is one document that the schema accepts; then checks that the schema does refuse
documents that break it, so that a schema accepting everything cannot pass.
"""
import copy
import json
import pathlib
import subprocess
import sys
import tempfile
import warnings

import jsonschema

warnings.simplefilter("ignore", DeprecationWarning)  # RefResolver: the one API of every version

PLAN = ["plan", "--format", "json", "--no-files", "--section"]
FEED = ["feed", "--format", "json", "--section"]
FORMS = ["forms", "--format", "json", "--section"]
CASES = [
    (PLAN + ["skyly", "--class", "ramar", "--target", "50/60/60/20"], 0, "plan"),
    (PLAN + ["2", "--class", "4", "--mag", "varaha", "--stats", "5/30/40/5", "--bars",
             "20/10/10/55", "--target", "10/60/60/20"], 0, "plan"),
    (PLAN + ["oran", "--class", "fomarl", "--mag", "45", "--stats", "100/50/49/0", "--target",
             "100/50/49/1"], 0, "plan"),
    (PLAN + ["0", "--class", "0", "--target", "8/0/0/0"], 1, "plan"),
    (PLAN + ["0", "--class", "0", "--target", "5/0/0/195"], 1, "plan"),
    (PLAN + ["skyly", "--class", "ramar", "--target", "20/30/10/5", "--goal", "cheapest",
             "--beam-width", "8"], 0, "plan"),
    (PLAN + ["skyly", "--class", "ramar", "--target", "20/30/10/5", "--goal", "fewest",
             "--form", "kama", "--beam-width", "8"], 0, "plan"),
    (PLAN + ["0", "--class", "0", "--target", "50/50/50/50", "--goal", "cheapest", "--form",
             "ila"], 1, "plan"),
    (PLAN + ["0", "--class", "0", "--target", "30/70/70/30", "--goal", "cheapest", "--form",
             "nandin", "--beam-width", "30"], 1, "plan"),
    (FORMS + ["purplenum", "--class", "humar", "--target", "30/70/70/30", "--beam-width", "30"],
     0, "forms"),
    (FORMS + ["2", "--class", "4", "--mag", "varaha", "--stats", "5/30/40/5", "--bars",
              "20/10/10/55", "--target", "10/60/60/20", "--goal", "fewest", "--beam-width", "4"],
     0, "forms"),
    (FORMS + ["skyly", "--class", "ramar", "--target", "12/6/4/2", "--beam-width", "2"], 1,
     "forms"),
    (FEED + ["skyly", "--class", "ramar", "--items", "4 Sol Atomizer, 2 Moon Atomizer, Difluid"],
     0, "feed"),
    (FEED + ["pinkal", "--class", "hucast", "--mag", "sato", "--stats", "100/50/49/0", "--bars",
             "99/99/99/99", "--items", "Star Atomizer, 3 trimate"], 0, "feed"),
]


def main():
    ostrel = str(pathlib.Path(sys.argv[1]).resolve())
    schema_dir = pathlib.Path(sys.argv[2]).resolve()
    validators = {}
    for name in ("plan", "feed", "forms"):
        path = schema_dir / f"{name}.schema.json"
        schema = json.loads(path.read_text())
        cls = jsonschema.validators.validator_for(schema)
        cls.check_schema(schema)
        resolver = jsonschema.RefResolver(base_uri=path.as_uri(), referrer=schema)
        validators[name] = cls(schema, resolver=resolver)

    documents = {}
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for args, status, kind in CASES:
            run = subprocess.run([ostrel] + args, cwd=work, capture_output=True, text=True,
                                 check=False)
            document = json.loads(run.stdout)
            errors = list(validators[kind].iter_errors(document))
            if run.returncode != status or errors:
                failures += 1
                print(f"FAIL {' '.join(args)}: status {run.returncode}, wanted {status}")
                for error in errors:
                    print(f"  {error.json_path}: {error.message}")
            documents.setdefault(kind, document)

    # Broken documents must be refused: a wrong outcome, a missing field, a run of no feedings.
    broken = []
    plan = copy.deepcopy(documents["plan"])
    plan["outcome"] = "maybe"
    broken.append(("plan", plan))
    plan = copy.deepcopy(documents["plan"])
    del plan["start"]["bars"]
    broken.append(("plan", plan))
    plan = copy.deepcopy(documents["plan"])
    plan["summary"] = None
    broken.append(("plan", plan))
    plan = copy.deepcopy(documents["plan"])
    plan["goal"] = "best"
    plan["form"] = None
    broken.append(("plan", plan))
    plan = copy.deepcopy(documents["plan"])
    plan["goal"] = "cheapest"  # a goal without the form asked for
    broken.append(("plan", plan))
    forms = copy.deepcopy(documents["forms"])
    forms["forms"][0]["status"] = "impossible"
    broken.append(("forms", forms))
    forms = copy.deepcopy(documents["forms"])
    reached = next(f for f in forms["forms"] if f["status"] == "reached")
    reached["meseta"] = None
    broken.append(("forms", forms))
    forms = copy.deepcopy(documents["forms"])
    excluded = next(f for f in forms["forms"] if f["status"] == "excluded")
    excluded["reason"] = None
    broken.append(("forms", forms))
    forms = copy.deepcopy(documents["forms"])
    forms["forms"].pop()
    broken.append(("forms", forms))
    feed = copy.deepcopy(documents["feed"])
    feed["runs"][0]["count"] = 0
    broken.append(("feed", feed))
    for kind, document in broken:
        if validators[kind].is_valid(document):
            failures += 1
            print(f"FAIL the {kind} schema accepts a broken document")

    print(f"{len(CASES)} documents validated, {len(broken)} broken ones refused, "
          f"{failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
