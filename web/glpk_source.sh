#!/usr/bin/env bash
# Downloads Debian's source of GLPK, the version the machine's package sources hold (the one
# libglpk-dev installs), into the folder $1, with apt: the machine's own package sources, asked for
# their source packages too, in a private list of their own, so nothing of the machine's apt
# setup changes and no root is needed. apt checks the files against the sources' signed index.
set -euo pipefail
dest="$1"
work="$dest/apt"
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts"
# Each of the machine's sources once more, for its source packages: deb822 files and one-line lists.
shopt -s nullglob
for file in /etc/apt/sources.list.d/*.sources; do
  sed -E 's/^Types:.*$/Types: deb-src/' "$file" > "$work/parts/$(basename "$file")"
done
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [[ -f $file ]] && sed -nE 's/^deb([[:space:]])/deb-src\1/p' "$file" >> "$work/parts/lines.list"
done
options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$work/parts"
  -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache" -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=$(id -un)")
apt-get "${options[@]}" update -qq
cd "$dest"
apt-get "${options[@]}" source --download-only -qq glpk
ls "$dest"/glpk_*.orig.tar.gz > /dev/null
