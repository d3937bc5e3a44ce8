#!/usr/bin/env bash
# Runs the dialogue fuzz target built by `cmake --build --preset fuzz` for SECONDS (default 60),
# with any further arguments passed on to libFuzzer, starting from the seeds: fuzz/corpus/ and
# the input of every scripted session in tests/golden/.
# The corpus grows in a temporary copy, so the seeds stay as checked in. Fails on any crash,
# leak, sanitizer report, or an input that runs longer than 10 s; libFuzzer then names the input
# it saved in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true

# The fuzz target writes the plan files into a scratch directory under TMPDIR, in memory if
# possible; all of it goes when the run ends.
work="$(mktemp -d -p /dev/shm 2> /dev/null || mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"
mkdir "$work/corpus"
cp fuzz/corpus/* "$work/corpus/"
for input in tests/golden/*/input; do
  [[ -e "$input" ]] || continue
  cp "$input" "$work/corpus/golden-$(basename "$(dirname "$input")")"
done
mkdir -p build-fuzz/artifacts

# Run from build-fuzz/, where libFuzzer's -jobs leaves its fuzz-N.log files.
cd build-fuzz
./ostrel_dialogue_fuzz -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$PWD/artifacts/" "$@" "$work/corpus"
