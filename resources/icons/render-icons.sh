#!/bin/bash
# Renders the program's icons from the SVG drawings beside this script into the .ico files of
# resources/. The .ico files are committed, so a build needs neither tool; run this after
# changing a drawing. Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
#
#   resources/icons/render-icons.sh [preview-folder]
# With a preview folder, the PNGs and a contact sheet are kept there for a look.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$(cd "$here/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

render() { # svg size png
  rsvg-convert -w "$2" -h "$2" -o "$3" "$here/$1"
}

# Program icon: the small size has its own, simpler drawing.
render program-16.svg 16 "$work/program-16.png"
for size in 32 48 64; do render program.svg "$size" "$work/program-$size.png"; done
convert "$work/program-16.png" "$work/program-32.png" "$work/program-48.png" "$work/program-64.png" \
  "$out/program.ico"

# Toolbar icons: 32 x 32 at 100 % scaling, with the sizes for 125, 150 and 200 % beside it,
# so a high-DPI toolbar picks a drawing instead of stretching the small one.
for name in refresh device-manager windows-flag plug driver-files save restore; do
  for size in 40 48 64; do render "$name.svg" "$size" "$work/$name-$size.png"; done
  render "$name.svg" 32 "$work/$name.png"
  convert "$work/$name.png" "$work/$name-40.png" "$work/$name-48.png" "$work/$name-64.png" "$out/$name.ico"
done

# The toolbar's placeholder bitmap: the seven pictures in button order on the button face.
convert -background '#f0f0f0' "$work/refresh.png" "$work/plug.png" "$work/windows-flag.png" \
  "$work/driver-files.png" "$work/save.png" "$work/restore.png" "$work/device-manager.png" +append -alpha remove \
  -type TrueColor "BMP3:$out/toolbar.bmp"

if [ $# -gt 0 ]; then
  mkdir -p "$1"
  cp "$work"/*.png "$1/"
  convert -background white "$work/program-64.png" "$work/program-48.png" "$work/program-32.png" \
    "$work/program-16.png" "$work/refresh.png" "$work/plug.png" "$work/windows-flag.png" \
    "$work/driver-files.png" "$work/save.png" "$work/restore.png" "$work/device-manager.png" -gravity center +append \
    -alpha remove "$1/contact-sheet.png"
fi
