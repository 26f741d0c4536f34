#!/usr/bin/env bash
# Installs the build into an empty prefix and checks every file a desktop needs is there.
# Usage: check-install.sh CMAKE BUILD_DIR CONFIG PREFIX APP_ID MAIN_CPP
set -euo pipefail
cmake=$1 build=$2 config=$3 prefix=$4 id=$5 main_cpp=$6

rm -rf "$prefix"
"$cmake" --install "$build" --config "$config" --prefix "$prefix" >/dev/null

expected=(
  bin/zelvane
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
)
for size in 16 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done

status=0
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || { echo "missing after install: $file"; status=1; }
done
[ -x "$prefix/bin/zelvane" ] || { echo "bin/zelvane is not executable"; status=1; }

# Each PNG must really be of the size its folder claims, or the theme picks a blurry one.
for size in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$png" ] || continue
  # Width and height are the big-endian words at bytes 16 and 20 of the IHDR chunk.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width x $height" = "$size x $size" ] || { echo "$png is ${width}x$height, not ${size}x$size"; status=1; }
done

# Wayland and the task bars match windows to the desktop entry by this name.
grep -Fq "setDesktopFileName(QStringLiteral(\"$id\"))" "$main_cpp" ||
  { echo "$main_cpp does not report the desktop file name $id"; status=1; }

[ $status -eq 0 ] && echo "installed ${#expected[@]} files under $prefix"
exit $status
