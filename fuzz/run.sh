#!/usr/bin/env bash
# Runs the three fuzz targets built by `cmake --build --preset fuzz` side by side, each for half of
# SECONDS (default 60: half a minute, as long as when there were two targets), with any further
# arguments passed on to libFuzzer:
# - the dialogue, from fuzz/corpus/ and the input of every scripted session in tests/golden/;
# - the command line, from fuzz/command_line_corpus/ (one argument a line);
# - the page's requests, from every request of the page's case tables (tests/cases/page_*.jsonl
#   and the page's rows of schema_documents.jsonl; a short run, from the refusals and the links
#   alone), with fuzz/page_request.dict.
# The corpora grow in temporary copies, so the seeds stay as checked in. Fails on any crash,
# leak, sanitizer report, or an input that runs longer than 10 s (20 s for a command line, whose
# largest targets with a budget take 5 s alone under the sanitizers; 30 s for a page request,
# which every entry answers and whose documents are checked against their schemas); libFuzzer
# then names the input it saved in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
each=$(((seconds + 1) / 2))

# The fuzz targets write the plan files into a scratch directory under TMPDIR, in memory if
# possible; all of it goes when the run ends.
work="$(mktemp -d -p /dev/shm 2> /dev/null || mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"
mkdir "$work/dialogue" "$work/command_line" "$work/page_request"
cp fuzz/corpus/* "$work/dialogue/"
for input in tests/golden/*/input; do
  [[ -e "$input" ]] || continue
  cp "$input" "$work/dialogue/golden-$(basename "$(dirname "$input")")"
done
cp fuzz/command_line_corpus/* "$work/command_line/"
# A request given as a string is the text sent as it is. A run shorter than two minutes (CI's
# smoke run) seeds only from the refusals and the links: the plans' rows plan whole targets with
# every entry, and their seeds alone would take the page's target a minute and a half under the
# sanitizers before it mutates anything.
page_tables=(tests/cases/page_refusals.jsonl tests/cases/page_links.jsonl)
if ((seconds >= 120)); then
  page_tables=(tests/cases/page_*.jsonl tests/cases/schema_documents.jsonl)
fi
python3 - "$work/page_request" "${page_tables[@]}" <<'EOF'
import json, pathlib, sys
seeds = pathlib.Path(sys.argv[1])
for table in map(pathlib.Path, sys.argv[2:]):
    for number, line in enumerate(table.open(), 1):
        row = json.loads(line)
        for key in ("request", "opens", "page"):
            if key in row:
                request = row[key]
                text = request if isinstance(request, str) else json.dumps(request)
                (seeds / f"{table.stem}-{number}-{key}").write_text(text)
EOF
mkdir -p build-fuzz/artifacts

# Each target runs in a folder of its own under build-fuzz/, where libFuzzer's -jobs leaves its
# fuzz-N.log files; what a target printed is shown when both have ended.
artifacts="$PWD/build-fuzz/artifacts/"
pids=()
for target in dialogue command_line page_request; do
  mkdir -p "build-fuzz/$target"
  echo "== fuzzing the ${target//_/ } for $each s"
  dict=()
  [[ -e "fuzz/$target.dict" ]] && dict=(-dict="$PWD/fuzz/$target.dict")
  timeout=10
  [[ "$target" == command_line ]] && timeout=20
  [[ "$target" == page_request ]] && timeout=30
  (cd "build-fuzz/$target" &&
    "../ostrel_${target}_fuzz" -max_total_time="$each" -timeout="$timeout" -print_final_stats=1 \
      -artifact_prefix="$artifacts" "${dict[@]}" "$@" "$work/$target" \
      > "$work/$target.log" 2>&1) &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do
  wait "$pid" || failed=1
done
for target in dialogue command_line page_request; do
  echo "== the ${target//_/ }'s fuzzing"
  cat "$work/$target.log"
done
exit "$failed"
