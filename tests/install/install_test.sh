#!/usr/bin/env bash
# Installs the build into a temporary prefix, as a user would with `cmake --install`, and checks
# that the program runs from there, that its manual page is in place and renders cleanly, and that
# the JSON Schemas of its documents are there.
# Usage: install_test.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
shown="$("$prefix/bin/ostrel" --version)"
if [[ "$shown" != "ostrel $version" ]]; then
  echo "installed ostrel --version printed '$shown', not 'ostrel $version'"
  exit 1
fi
page="$prefix/share/man/man1/ostrel.1"
if [[ ! -s "$page" ]]; then
  echo "no manual page at $page"
  exit 1
fi
for schema in plan feed forms; do
  if [[ ! -s "$prefix/share/ostrel/$schema.schema.json" ]]; then
    echo "no JSON Schema at $prefix/share/ostrel/$schema.schema.json"
    exit 1
  fi
done
# groff comes with man-db on Debian; where it is, the page must render without a warning.
if command -v groff > /dev/null; then
  warnings="$(groff -man -Tutf8 -ww -z "$page" 2>&1)"
  if [[ -n "$warnings" ]]; then
    echo "groff warns about the manual page:"
    echo "$warnings"
    exit 1
  fi
  rendered="$(groff -man -Tutf8 -P-cbu "$page" 2> /dev/null)"
  for section in "SYNOPSIS" "EXIT STATUS" "FILES" "EXAMPLES"; do
    if ! grep -q "^$section" <<< "$rendered"; then
      echo "the manual page has no $section section"
      exit 1
    fi
  done
fi
echo "installed into $prefix: ostrel $version and its manual page"
