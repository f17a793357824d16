#!/bin/sh
# Renders the icon's PNG sizes from vornix.svg (needs rsvg-convert, package librsvg2-bin).
set -eu
cd "$(dirname "$0")"
for size in 48 128 256; do
    rsvg-convert -w "$size" -h "$size" vornix.svg -o "vornix-$size.png"
done
