#!/usr/bin/env bash
# Renders the program's icon to the PNGs and the Windows .ico kept in ui/resources.
# Run it after changing an icon SVG and commit the results: the build itself needs
# no SVG renderer. Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
#
# zelvane.svg is the full-colour drawing, used from 48 px up and installed as the
# scalable icon. At 16 and 32 px it turns to mush, so those two sizes come from
# hand-drawn pixel versions in two colours (zelvane-16.svg, zelvane-32.svg).
set -euo pipefail
cd "$(dirname "$0")/../ui/resources"

for tool in rsvg-convert convert; do
  command -v "$tool" >/dev/null || { echo "render-icons.sh: $tool is missing (bash scripts/install-deps.sh --icons)" >&2; exit 1; }
done

for size in 16 32; do
  rsvg-convert --width "$size" --height "$size" "zelvane-$size.svg" --output "zelvane-$size.png"
done
for size in 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" zelvane.svg --output "zelvane-$size.png"
done

# No creation dates in the .ico, so re-running the script changes nothing.
convert zelvane-16.png zelvane-32.png zelvane-256.png \
  -define png:exclude-chunks=date,time +set date:create +set date:modify zelvane.ico
echo "icons written to $(pwd)"
