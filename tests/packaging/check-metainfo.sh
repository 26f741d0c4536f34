#!/usr/bin/env bash
# Validates the installed AppStream metadata with the desktop entry and icons beside it,
# and checks it describes this version in Chinese and English.
# Usage: check-metainfo.sh PREFIX APP_ID VERSION
set -euo pipefail
prefix=$1 id=$2 version=$3
metainfo="$prefix/share/metainfo/$id.metainfo.xml"

# --strict fails on warnings and infos too; no network, so the screenshot URL is not fetched.
appstreamcli validate --no-net --strict "$metainfo"
appstreamcli validate-tree --no-net --strict "$prefix"

count() { xmllint --xpath "count($1)" "$metainfo"; }
status=0
check() { # XPATH WHAT
  [ "$(count "$1")" -ge 1 ] || { echo "$metainfo: $2"; status=1; }
}
check "/component/id[text()='$id']" "the id is not $id"
check "/component/launchable[@type='desktop-id'][text()='$id.desktop']" "does not launch $id.desktop"
check "/component/summary[not(@xml:lang)]" "no English summary"
check "/component/summary[@xml:lang='zh_CN']" "no Chinese summary"
check "/component/description/p[not(@xml:lang)]" "no English description"
check "/component/description/p[@xml:lang='zh_CN']" "no Chinese description"
check "/component/screenshots/screenshot/image" "no screenshot"
check "/component/releases/release[@version='$version']" "no release $version, the project's version"
exit $status
