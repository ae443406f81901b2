#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the conformance
# checks need. Only missing packages are installed, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libfreetype-dev libfontconfig-dev libpng-dev
  libharfbuzz-dev libfribidi-dev libuchardet-dev libicu-dev
  libpugixml-dev
  fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra
  fonts-tlwg-garuda-ttf fonts-lohit-deva fonts-wqy-microhei
  libgtest-dev libbenchmark-dev
  qt6-base-dev libxcb1-dev
  ffmpeg dvdauthor mkvtoolnix
  xvfb xauth openbox wmctrl x11-utils x11-apps xdotool
  tesseract-ocr tesseract-ocr-eng tesseract-ocr-ara tesseract-ocr-heb
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

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
