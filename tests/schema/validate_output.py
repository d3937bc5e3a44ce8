#!/usr/bin/env python3
# Validates the JSON documents of `ostrel plan`, `feed`, `forms` and `tradeoffs`, and of the web
# page's answers, against schema/*.schema.json. Usage: validate_output.py OSTREL WEB_REQUEST_TOOL
# SCHEMA_DIR CASES_DIR. The documents: each row of schema_documents.jsonl, a command line (exit
# status checked) or a page request answered by the native build of the page's requests. Each
# edit of schema_mutations.jsonl must make the first document of its kind one the schema refuses.
import copy
import json
import pathlib
import subprocess
import sys
import tempfile
import warnings

import jsonschema

warnings.simplefilter("ignore", DeprecationWarning)  # RefResolver: the one API of every version


def validator_of(path):
    schema = json.loads(path.read_text())
    cls = jsonschema.validators.validator_for(schema)
    cls.check_schema(schema)
    return cls(schema, resolver=jsonschema.RefResolver(base_uri=path.as_uri(), referrer=schema))


def document_of(case, ostrel, tool, work):
    """The case's document, or a string saying why there is none."""
    page = "page" in case
    args = [tool, case["kind"]] if page else [ostrel] + case["args"]
    run = subprocess.run(args, input=json.dumps(case.get("page")), cwd=work, capture_output=True,
                         text=True, check=False)
    if not page and run.returncode != case["status"]:
        return f"status {run.returncode}, wanted {case['status']}"
    return json.loads(run.stdout).get("document", f"no document in {run.stdout}") if page \
        else json.loads(run.stdout)


def edited(document, edits):
    """The document with each edit applied: [path, value] sets, [path] deletes; a path step
    "[key=value]" picks the first element so keyed, and "-" the last."""
    def step_into(parent, step):
        if step.startswith("["):
            key, value = step[1:-1].split("=")
            return parent.index(next(item for item in parent if item[key] == value))
        return (len(parent) - 1 if step == "-" else int(step)) if isinstance(parent, list) else step

    document = copy.deepcopy(document)
    for path, *value in edits:
        parent, *steps = [document] + path.strip("/").split("/")
        for step in steps[:-1]:
            parent = parent[step_into(parent, step)]
        if value:
            parent[step_into(parent, steps[-1])] = value[0]
        else:
            del parent[step_into(parent, steps[-1])]
    return document


def main():
    ostrel, tool = (str(pathlib.Path(arg).resolve()) for arg in sys.argv[1:3])
    schema_dir, cases_dir = (pathlib.Path(arg).resolve() for arg in sys.argv[3:5])
    validators = {name: validator_of(schema_dir / f"{name}.schema.json")
                  for name in ("plan", "feed", "forms", "tradeoffs")}
    rows = lambda name: [json.loads(line) for line in (cases_dir / name).open()]
    cases, mutations = rows("schema_documents.jsonl"), rows("schema_mutations.jsonl")
    documents, failures = {}, []
    with tempfile.TemporaryDirectory() as work:
        for case in cases:
            document = document_of(case, ostrel, tool, work)
            errors = [document] if isinstance(document, str) else [f"{e.json_path}: {e.message}"
                for e in validators[case["kind"]].iter_errors(document)]
            failures += [f"{json.dumps(case)}: {error}" for error in errors]
            if not errors:
                documents.setdefault(case["kind"], document)
    for mutation in mutations:
        kind = mutation["kind"]
        if validators[kind].is_valid(edited(documents[kind], mutation["edits"])):
            failures.append(f"the {kind} schema accepts {mutation['why']}")
    print("".join(f"FAIL {failure}\n" for failure in failures) + f"{len(cases)} documents "
          f"validated, {len(mutations)} broken ones refused, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
