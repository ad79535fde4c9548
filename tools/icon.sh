#!/usr/bin/env bash
# Renders the 256-pixel PNG icon from the SVG one; run it after changing the
# SVG and commit both. With --check it only says whether the PNG is current.
set -euo pipefail
cd "$(dirname "$0")/../packaging"
svg=io.github.ombrel.Ombrel.svg
png=io.github.ombrel.Ombrel-256.png
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing; tools/setup.sh installs it (librsvg2-bin)" >&2; exit 1; }
if [ "${1:-}" = --check ]; then
  fresh="$(mktemp)"
  trap 'rm -f "$fresh"' EXIT
  rsvg-convert -w 256 -h 256 "$svg" -o "$fresh"
  cmp -s "$fresh" "$png" || { echo "$png is older than $svg: run tools/icon.sh" >&2; exit 1; }
else
  rsvg-convert -w 256 -h 256 "$svg" -o "$png"
fi
