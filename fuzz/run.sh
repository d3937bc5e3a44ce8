#!/usr/bin/env bash
# Runs both fuzz targets built by `cmake --build --preset fuzz` side by side, a core each, for half
# of SECONDS each (default 60: half a minute), with any further arguments passed on to libFuzzer:
# - the dialogue, from fuzz/corpus/ and the input of every scripted session in tests/golden/;
# - the command line, from fuzz/command_line_corpus/ (one argument a line).
# The corpora grow in temporary copies, so the seeds stay as checked in. Fails on any crash,
# leak, sanitizer report, or an input that runs longer than 10 s; libFuzzer then names the input
# it saved in build-fuzz/artifacts/.
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
mkdir "$work/dialogue" "$work/command_line"
cp fuzz/corpus/* "$work/dialogue/"
for input in tests/golden/*/input; do
  [[ -e "$input" ]] || continue
  cp "$input" "$work/dialogue/golden-$(basename "$(dirname "$input")")"
done
cp fuzz/command_line_corpus/* "$work/command_line/"
mkdir -p build-fuzz/artifacts

# Each target runs in a folder of its own under build-fuzz/, where libFuzzer's -jobs leaves its
# fuzz-N.log files; what a target printed is shown when both have ended.
artifacts="$PWD/build-fuzz/artifacts/"
pids=()
for target in dialogue command_line; do
  mkdir -p "build-fuzz/$target"
  echo "== fuzzing the ${target//_/ } for $each s"
  (cd "build-fuzz/$target" &&
    "../ostrel_${target}_fuzz" -max_total_time="$each" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$artifacts" "$@" "$work/$target" \
      > "$work/$target.log" 2>&1) &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do
  wait "$pid" || failed=1
done
for target in dialogue command_line; do
  echo "== the ${target//_/ }'s fuzzing"
  cat "$work/$target.log"
done
exit "$failed"
