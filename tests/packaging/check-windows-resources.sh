#!/usr/bin/env bash
# Compiles the Windows resource script with the MinGW resource compiler, reads the
# object back and checks the version record, the icon and the manifest are in it.
# Usage: check-windows-resources.sh RC_FILE ICON_DIR WORK_DIR VERSION
set -euo pipefail
rc=$1 icon_dir=$2 work=$3 version=$4
windres=x86_64-w64-mingw32-windres
object="$work/zelvane-rc.o"

# No MinGW C compiler here: the host's preprocessor serves, the script needs no headers.
"$windres" --preprocessor=cpp --preprocessor-arg=-DRC_INVOKED \
  -I "$(dirname "$rc")" -I "$icon_dir" -O coff "$rc" -o "$object"
decompiled=$("$windres" -i "$object" -O rc)

# "0.1" in the string table is 0,1,0,0 in the numeric versions.
IFS=. read -r major minor patch tweak <<<"$version"
numeric="${major:-0}, ${minor:-0}, ${patch:-0}, ${tweak:-0}"

status=0
expect() { # LINE
  grep -Fxq -- "$1" <<<"$(sed 's/^ *//' <<<"$decompiled")" || { echo "resource lacks: $1"; status=1; }
}
expect "FILEVERSION $numeric"
expect "PRODUCTVERSION $numeric"
expect "FILETYPE 0x1"
expect 'BLOCK "080404B0"'
expect 'VALUE "ProductName", "Zelvane"'
expect 'VALUE "InternalName", "Zelvane"'
expect 'VALUE "OriginalFilename", "Zelvane.exe"'
expect "VALUE \"FileVersion\", \"$version\""
expect "VALUE \"ProductVersion\", \"$version\""
expect 'VALUE "Translation", 0x804, 1200'
expect '1 24 /* RT_MANIFEST */'
expect '0, 1, 3,	 /* Has 3 elements.  */'
[ $status -ne 0 ] && echo "$decompiled" | grep -v '^ *0x'
exit $status
