#!/bin/sh
# Builds the Debian package of build folder $1 (version $3) into folder $2, then checks
# the files a user needs, Depends, the changelog's version, and lintian.
set -eu
rm -rf "$2"
cpack --config "$1/CPackConfig.cmake" -G DEB -B "$2" >/dev/null
deb="$2/zelvane_$3_$(dpkg --print-architecture).deb"
contents=$(dpkg-deb -c "$deb")
for f in bin/zelvane lib/zelvane/modules/zelvane-window.so share/applications/org.example.zelvane.desktop \
    share/metainfo/org.example.zelvane.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.example.zelvane.svg \
    share/icons/hicolor/256x256/apps/org.example.zelvane.png \
    share/doc/zelvane/copyright share/doc/zelvane/changelog.gz; do
  echo "$contents" | grep -q " \./usr/$f\$" || { echo "not in the package: /usr/$f"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libgettextpo0 fonts-noto-cjk qt6-translations-l10n; do
  echo "$depends" | grep -q "$p" || { echo "no $p in Depends: $depends"; exit 1; }
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/zelvane/changelog.gz | gzip -dc \
  | head -n 1 | grep -qF "zelvane ($3) " || { echo "changelog: no entry for $3"; exit 1; }
lintian --allow-root --fail-on error "$deb"
