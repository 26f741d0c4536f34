#!/usr/bin/env bash
# Installs the Debian 12 packages Zelvane needs to build, run and test, if any is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-noto-cjk
  clang libclang-rt-14-dev
  binutils-mingw-w64-x86-64 desktop-file-utils appstream libxml2-utils
  dpkg-dev file lintian
  gettext libgettextpo-dev qt6-l10n-tools qt6-translations-l10n patch
)
if [ "${1:-}" = "--screenshot" ]; then
  packages+=(xvfb openbox imagemagick x11-utils xdotool)
fi
if [ "${1:-}" = "--icons" ]; then
  packages+=(librsvg2-bin imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
