#!/usr/bin/env bash
# Installs the Debian packages Lumivo needs to build, run and test, when missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-svg-dev libgl-dev
  qt6-translations-l10n
  libpoppler-qt6-dev libjpeg62-turbo-dev libpng-dev zlib1g-dev
  libarchive-dev libavif-dev libjxl-dev
  fonts-noto-cjk
  xvfb xauth xdotool openbox libx11-dev libxkbcommon-dev libxkbcommon-x11-dev
  clang-format valgrind
  desktop-file-utils appstream lintian dpkg-dev groff-base
  qt6-wayland weston
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Lumivo needs these packages. Please run:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
