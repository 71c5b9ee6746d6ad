#!/usr/bin/env bash
# The committed data set is exactly what tools/make_vorbel.py writes, so it can be remade.
set -eu
root=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 "$root/tools/make_vorbel.py" "$tmp" >/dev/null
for file in uvmappedvorbel.obj vorbel.mtl vorbel_details.mtl vorbel_olho.bmp; do
  cmp "$tmp/$file" "$root/Data/$file"
done
