#!/usr/bin/env bash
# Installs the Debian packages Vernalo needs to build, run and test, when any is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-multimedia-dev libpulse-dev qt6-webengine-dev qt6-svg-dev libqt6svg6
  qt6-image-formats-plugins qt6-l10n-tools qt6-tools-dev qt6-translations-l10n libxcb1-dev
  libespeak-ng-dev espeak-ng-data espeak-ng libuchardet-dev libpcre2-dev
  libsndfile1-dev libsamplerate0-dev libmp3lame-dev libavformat-dev libavcodec-dev libtag1-dev
  ffmpeg python3-mutagen
  libspeechd-dev speech-dispatcher speech-dispatcher-espeak-ng speech-dispatcher-flite
  festival festvox-ru festvox-us-slt-hts speech-dispatcher-festival
  libzip-dev libexpat1-dev libpoppler-qt6-dev libgsf-1-dev
  libtesseract-dev libleptonica-dev tesseract-ocr tesseract-ocr-rus tesseract-ocr-eng tesseract-ocr-osd
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev libfuzzer-14-dev
  xvfb xauth x11-utils trayer imagemagick pulseaudio pulseaudio-utils sox xclip xdotool
  ffmpeg epubcheck
  adwaita-icon-theme fonts-dejavu-core desktop-file-utils appstream
  python3-pyatspi at-spi2-core dbus-x11 dbus-daemon dbus-bin
  lintian librsvg2-bin debootstrap weston qt6-wayland sndfile-programs
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
