#!/usr/bin/env bash
# The committed files of other model formats are exactly what their scripts write, so they can
# be made again.
set -eu
root=$1
formats=$root/tests/data/model/formats
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for script in "$formats"/make_*.py; do
  python3 "$script" "$tmp"
done
for file in "$tmp"/*; do
  cmp "$file" "$formats/$(basename "$file")"
done
[ "$(ls "$tmp" | wc -l)" = "$(ls "$formats" | grep -vc '\.py$')" ]
