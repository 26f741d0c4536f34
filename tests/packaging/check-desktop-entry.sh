#!/usr/bin/env bash
# Validates the installed desktop entry and checks the keys the menu relies on.
# Usage: check-desktop-entry.sh PREFIX APP_ID
set -euo pipefail
prefix=$1 id=$2
entry="$prefix/share/applications/$id.desktop"
export LC_ALL=C.UTF-8

# desktop-file-validate exits 0 on warnings; a warning is a fault here too.
report=$(desktop-file-validate "$entry" 2>&1) || true
[ -z "$report" ] || { echo "$report"; exit 1; }

status=0
for line in "Name=Zelvane" "Exec=zelvane" "Icon=$id" "Type=Application"; do
  grep -Fxq "$line" "$entry" || { echo "$entry lacks '$line'"; status=1; }
done
grep -Eq '^Categories=(.*;)?Development;' "$entry" || { echo "$entry is not in Development"; status=1; }
for key in GenericName Comment; do
  grep -Pq "^$key=.*\p{Han}" "$entry" || { echo "$entry has no Chinese $key"; status=1; }
done
# The icon the entry names must be installed in the theme.
[ -f "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ] || { echo "icon $id is not installed"; status=1; }
exit $status
