#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and nothing when all are present.
set -euo pipefail

packages=(
  ${PICTORAND_EXTRA_PACKAGES:-}
  cmake g++ make pkg-config
  qt6-base-dev
  zlib1g-dev libjpeg62-turbo-dev liblcms2-dev libdeflate-dev
  libheif-dev libwebp-dev libavif-dev libjxl-dev libraw-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation
  python3 python3-pil time
  qt6-translations-l10n qt6-l10n-tools qt6-tools-dev
  nlohmann-json3-dev
  libtiff-tools parallel
  libheif-examples libavif-bin webp libjxl-tools libraw-bin
  desktop-file-utils lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
